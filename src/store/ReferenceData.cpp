#include "store/ReferenceData.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Schema.h"
#include "store/SqlDialect.h"
#include "store/SystemText.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>

namespace brevalto {

namespace {

const QString resourceFolder = QStringLiteral(":/data");

DbError fileError(const QString& path, int line, const QString& what) {
    const QString file = QFileInfo(path).fileName();
    if (line <= 0)
        return DbError(QStringLiteral("Dati di riferimento %1: %2").arg(file, what));
    return DbError(
        QStringLiteral("Dati di riferimento %1, riga %2: %3").arg(file).arg(line).arg(what));
}

// Undoes the escapes of one field; false on a backslash that starts no known escape.
bool unescapeField(const QString& raw, QString& out) {
    out.clear();
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != QLatin1Char('\\')) {
            out.append(c);
            continue;
        }
        if (++i == raw.size())
            return false;
        switch (raw.at(i).unicode()) {
        case 't':
            out.append(QLatin1Char('\t'));
            break;
        case 'n':
            out.append(QLatin1Char('\n'));
            break;
        case 'r':
            out.append(QLatin1Char('\r'));
            break;
        case '\\':
            out.append(QLatin1Char('\\'));
            break;
        default:
            return false;
        }
    }
    return true;
}

ColumnKind kindOf(const TableDef* table, const QString& column) {
    const ColumnDef* def = table ? table->column(column) : nullptr;
    return def ? def->kind : ColumnKind::Text;
}

// The value to bind for one field, or an invalid QVariant with a reason when the text does not
// fit the column's kind. Numbers, Yes/No and dates left empty are stored as NULL.
QVariant bindValue(const QVariant& field, ColumnKind kind, QString& problem) {
    if (field.isNull())
        return QVariant();
    const QString text = field.toString();
    switch (kind) {
    case ColumnKind::Text:
    case ColumnKind::Memo:
        return text;
    default:
        break;
    }
    if (text.isEmpty())
        return QVariant();
    bool ok = false;
    switch (kind) {
    case ColumnKind::Long:
    case ColumnKind::AutoNumber: {
        const qlonglong n = text.toLongLong(&ok);
        if (ok)
            return n;
        problem = QStringLiteral("\"%1\" non è un numero intero").arg(text);
        break;
    }
    case ColumnKind::YesNo:
        if (text == QLatin1String("0") || text == QLatin1String("1"))
            return text.toInt();
        problem = QStringLiteral("\"%1\" non è un valore Sì/No (0 o 1)").arg(text);
        break;
    case ColumnKind::Double: {
        const double d = text.toDouble(&ok);
        if (ok)
            return d;
        problem = QStringLiteral("\"%1\" non è un numero").arg(text);
        break;
    }
    case ColumnKind::Date:
        if (QDate::fromString(text, Qt::ISODate).isValid() ||
            QDateTime::fromString(text, Qt::ISODate).isValid())
            return text;
        problem = QStringLiteral("\"%1\" non è una data nel formato AAAA-MM-GG").arg(text);
        break;
    case ColumnKind::Text:
    case ColumnKind::Memo:
        break;
    }
    return QVariant();
}

} // namespace

QStringList referenceDataFiles() {
    QStringList paths;
    const QDir folder(resourceFolder);
    for (const QString& name :
         folder.entryList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name | QDir::IgnoreCase))
        paths << folder.filePath(name);
    return paths;
}

ReferenceTable readReferenceTable(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(path, 0,
                        QStringLiteral("impossibile leggere il file (%1)")
                            .arg(italianReason(file.errorString())));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString content = decoder(file.readAll());
    if (decoder.hasError())
        throw fileError(path, 0, QStringLiteral("il file non è in UTF-8"));

    QStringList lines = content.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    if (lines.isEmpty() || lines.constFirst().isEmpty())
        throw fileError(path, 1, QStringLiteral("manca la riga con i nomi delle colonne"));

    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).contains(QLatin1Char('\r')))
            throw fileError(
                path, int(i) + 1,
                QStringLiteral("ritorno a capo CR non ammesso (il file deve usare LF)"));
    }

    ReferenceTable table;
    table.name = QFileInfo(path).completeBaseName();
    table.columns = lines.constFirst().split(QLatin1Char('\t'));
    for (const QString& column : std::as_const(table.columns)) {
        if (column.isEmpty() || column.contains(QLatin1Char('\\')))
            throw fileError(path, 1,
                            QStringLiteral("nome di colonna non valido \"%1\"").arg(column));
    }

    QString value;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const int lineNumber = int(i) + 1;
        const QString& line = lines.at(i);
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != table.columns.size())
            throw fileError(path, lineNumber,
                            QStringLiteral("%1 campi invece di %2")
                                .arg(fields.size())
                                .arg(table.columns.size()));
        QVariantList row;
        row.reserve(fields.size());
        for (const QString& field : fields) {
            if (field == QLatin1String("\\N")) {
                row.append(QVariant());
                continue;
            }
            if (!unescapeField(field, value))
                throw fileError(
                    path, lineNumber,
                    QStringLiteral("sequenza di escape non valida in \"%1\"").arg(field));
            row.append(value);
        }
        table.rows.append(row);
        table.lineNumbers.append(lineNumber);
    }
    return table;
}

void loadReferenceData(Connection& connection) {
    const QStringList files = referenceDataFiles();
    if (files.isEmpty())
        throw DbError(QStringLiteral("Il programma non contiene i dati di riferimento."));

    for (const QString& path : files) {
        const ReferenceTable data = readReferenceTable(path);
        if (data.rows.isEmpty())
            continue;
        const TableDef* def = findTable(data.name);
        QList<ColumnKind> kinds;
        QStringList quoted;
        for (const QString& column : data.columns) {
            kinds << kindOf(def, column);
            quoted << quoteIdentifier(column);
        }
        QString sql =
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(quoteIdentifier(data.name), quoted.join(QLatin1String(", ")),
                     QStringList(quoted.size(), QStringLiteral("?")).join(QLatin1String(", ")));
        if (connection.isServer())
            sql = sqliteToPostgres(sql);

        QSqlQuery insert(connection.database());
        insert.setForwardOnly(true);
        if (!insert.prepare(sql))
            throw fileError(path, 1,
                            QStringLiteral("impossibile inserire nella tabella %1: %2")
                                .arg(data.name, insert.lastError().text()));
        for (qsizetype r = 0; r < data.rows.size(); ++r) {
            const QVariantList& row = data.rows.at(r);
            for (qsizetype c = 0; c < row.size(); ++c) {
                QString problem;
                const QVariant value = bindValue(row.at(c), kinds.at(c), problem);
                if (!problem.isEmpty())
                    throw fileError(
                        path, data.lineNumbers.at(r),
                        QStringLiteral("colonna %1: %2").arg(data.columns.at(c), problem));
                insert.bindValue(int(c), value);
            }
            if (!insert.exec())
                throw fileError(path, data.lineNumbers.at(r),
                                QStringLiteral("inserimento nella tabella %1 non riuscito: %2")
                                    .arg(data.name, insert.lastError().text()));
        }
    }
}

} // namespace brevalto
