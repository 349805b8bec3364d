#include "store/ArchiveCopy.h"

#include "store/ArchiveAddress.h"
#include "store/ArchiveCatalog.h"
#include "store/ArchiveCheck.h"
#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/SystemText.h"
#include "store/WholeFile.h"
#include "store/WorkFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>
#include <cstring>

namespace brevalto {

namespace {

struct Cancelled {};

// First value of a native statement (the program's quoted names are not Jet's).
QVariant nativeScalar(Connection& c, const QString& sql) {
    QSqlQuery q = c.execNative(sql);
    return q.next() ? q.value(0) : QVariant();
}

QString shown(const QString& location) {
    return isServerAddress(location) ? locationWithoutPassword(location)
                                     : QDir::toNativeSeparators(location);
}

QStringList quotedColumns(const TableDef& table) {
    QStringList names;
    for (const ColumnDef& c : table.columns)
        names << quoteIdentifier(c.name);
    return names;
}

// A double written with 17 significant digits. Writing one takes a microsecond (big-number
// arithmetic), and an archive's amounts, quantities and rates repeat from row to row: each value's
// text is kept once written, for the source's rows and the copy's alike, up to a bounded number
// of distinct values.
QByteArray doubleText(double d) {
    static thread_local QHash<quint64, QByteArray> written;
    quint64 bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    if (const auto it = written.constFind(bits); it != written.cend())
        return *it;
    if (written.size() >= (1 << 16))
        written.clear();
    return *written.insert(bits, QByteArray::number(d, 'g', 17));
}

// One value as text the same on both engines: numbers by their kind, not by the type the driver
// happens to give.
QByteArray canonical(const QVariant& v, ColumnKind kind) {
    if (v.isNull())
        return QByteArrayLiteral("\x01");
    switch (kind) {
    case ColumnKind::AutoNumber:
    case ColumnKind::Long:
    case ColumnKind::YesNo: {
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        if (ok)
            return QByteArray::number(n);
        break;
    }
    case ColumnKind::Double: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (ok)
            return doubleText(d);
        break;
    }
    default:
        break;
    }
    return v.toString().toUtf8();
}

// The checksum of a table's rows, added to one row at a time (see tableChecksum).
class RowSum {
public:
    explicit RowSum(const TableDef& table) : table_(table) {}
    // Adds the row whose values `value(i)` gives, in the table's column order.
    template <typename Values> void add(const Values& value) {
        hash_.reset();
        for (int i = 0; i < table_.columns.size(); ++i) {
            const QByteArray v = canonical(value(i), table_.columns.at(i).kind);
            buffer_.setNum(v.size());
            buffer_ += ':';
            buffer_ += v;
            hash_.addData(buffer_);
        }
        quint64 part = 0;
        std::memcpy(&part, hash_.resultView().constData(), sizeof part);
        sum_ += part;
        ++rows_;
    }
    TableCopy result() const {
        return {table_.name, rows_, QString::number(sum_, 16).rightJustified(16, QLatin1Char('0'))};
    }

private:
    const TableDef& table_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
    QByteArray buffer_;
    quint64 sum_ = 0;
    qint64 rows_ = 0;
};

// The highest key a table has ever given: its counter, or its highest row when that is higher.
qint64 keysGiven(Connection& c, const TableDef& table) {
    const QString key = table.autoNumberColumn();
    qint64 given = nativeScalar(c, QStringLiteral("SELECT max(%1) FROM %2")
                                       .arg(quoteIdentifier(key), quoteIdentifier(table.name)))
                       .toLongLong();
    if (c.isServer()) {
        QSqlQuery q = c.execNative(
            QStringLiteral("SELECT pg_sequence_last_value(pg_get_serial_sequence(?, ?))"),
            {table.name.toLower(), key.toLower()});
        if (q.next())
            given = std::max(given, q.value(0).toLongLong());
    } else if (archiveHasTable(c, QStringLiteral("sqlite_sequence"))) {
        QSqlQuery q = c.execNative(
            QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ? COLLATE NOCASE"),
            {table.name});
        if (q.next())
            given = std::max(given, q.value(0).toLongLong());
    }
    return given;
}

void setKeysGiven(Connection& c, const TableDef& table, qint64 given) {
    if (given <= 0)
        return;
    if (c.isServer()) {
        c.execNative(QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), ?)"),
                     {table.name.toLower(), table.autoNumberColumn().toLower(), given});
        return;
    }
    c.execNative(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = ?"), {table.name});
    c.execNative(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"),
                 {table.name, given});
}

// Creates the tables, copies the rows, adds indexes and counters, and compares; throws on any
// difference. Runs inside the target's transaction.
void copyInto(Connection& source, Connection& target, CopyReport& report,
              const CopyProgress& progress) {
    const QSet<QString> present = [&] {
        QSet<QString> names;
        for (const QString& t : archiveTables(source))
            names << t.toLower();
        return names;
    }();
    QSet<QString> known;
    qint64 total = 0;
    QList<const TableDef*> tables;
    for (const TableDef& table : archiveSchema()) {
        known << table.name.toLower();
        target.execNative(createTableSql(table, target.dialect()));
        if (!present.contains(table.name.toLower()))
            continue;
        tables << &table;
        total +=
            nativeScalar(source,
                         QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(table.name)))
                .toLongLong();
    }
    for (const QString& name : present) {
        if (!known.contains(name) && name != QLatin1String("sqlite_sequence"))
            report.skipped << name;
    }

    qint64 done = 0;
    QList<QPair<TableCopy, TableCopy>> sums; // of each table: the source's and the target's
    for (const TableDef* table : std::as_const(tables)) {
        if (progress && !progress(done, total, table->name))
            throw Cancelled{};
        const QStringList columns = quotedColumns(*table);
        const QString list = columns.join(QLatin1String(", "));
        // Each row is counted and hashed as it is read from the source, and again as the target
        // stored it (what the insert gives back): a copy that differs is never kept, and neither
        // archive is read a second time to know it.
        const QString insertSql =
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %2")
                .arg(quoteIdentifier(table->name), list,
                     QStringList(columns.size(), QStringLiteral("?")).join(QLatin1String(", ")));
        RepeatedStatement insert = target.prepare(insertSql);
        RowSum fromSum(*table);
        RowSum toSum(*table);
        QSqlQuery rows = source.execNative(
            QStringLiteral("SELECT %1 FROM %2").arg(list, quoteIdentifier(table->name)));
        qint64 copied = 0;
        QVariantList values;
        while (rows.next()) {
            values.clear();
            for (int i = 0; i < columns.size(); ++i) {
                QVariant v = rows.value(i);
                if (v.typeId() == QMetaType::Bool)
                    v = v.toBool() ? 1 : 0;
                values << v;
            }
            fromSum.add([&](int i) { return rows.value(i); });
            try {
                insert.run(values,
                           [&](const RepeatedStatement::Row& stored) { toSum.add(stored); });
            } catch (const DbError& e) {
                throw DbError(QStringLiteral("Tabella %1, riga %2: %3")
                                  .arg(table->name)
                                  .arg(copied + 1)
                                  .arg(e.text()));
            }
            ++copied;
            if (progress && ++done % 1000 == 0 && !progress(done, total, table->name))
                throw Cancelled{};
        }
        if (!table->autoNumberColumn().isEmpty())
            setKeysGiven(target, *table, keysGiven(source, *table));
        sums << qMakePair(fromSum.result(), toSum.result());
    }
    for (const TableDef& table : archiveSchema()) {
        for (const QString& column : table.indexed)
            target.execNative(createIndexSql(table, column, target.dialect()));
    }
    installChangeCounter(target);

    // Compared before committing: a copy that differs is never kept.
    for (const auto& [from, to] : std::as_const(sums)) {
        if (from.rows != to.rows || from.checksum != to.checksum)
            throw DbError(QStringLiteral("La copia della tabella %1 non corrisponde all'originale "
                                         "(righe %2 e %3, controllo %4 e %5): nulla è stato "
                                         "salvato.")
                              .arg(from.table)
                              .arg(from.rows)
                              .arg(to.rows)
                              .arg(from.checksum, to.checksum));
        report.tables << from;
    }
    if (progress)
        progress(total, total, QString());
}

} // namespace

TableCopy tableChecksum(Connection& connection, const TableDef& table) {
    QSqlQuery rows = connection.execNative(
        QStringLiteral("SELECT %1 FROM %2")
            .arg(quotedColumns(table).join(QLatin1String(", ")), quoteIdentifier(table.name)));
    RowSum sum(table);
    while (rows.next())
        sum.add([&](int i) { return rows.value(i); });
    return sum.result();
}

QString CopyReport::text() const {
    QStringList lines;
    qint64 rows = 0;
    for (const TableCopy& t : tables) {
        lines << QStringLiteral("%1\t%2 righe\tcontrollo %3")
                     .arg(t.table)
                     .arg(t.rows)
                     .arg(t.checksum);
        rows += t.rows;
    }
    lines << QStringLiteral("Copiate %1 tabelle, %2 righe: conteggi e controlli uguali "
                            "nell'originale e nella copia.")
                 .arg(tables.size())
                 .arg(rows);
    if (!skipped.isEmpty())
        lines << QStringLiteral("Tabelle non del programma, non copiate: %1")
                     .arg(skipped.join(QLatin1String(", ")));
    return lines.join(QLatin1Char('\n'));
}

CopyReport copyArchive(const QString& from, const QString& to, const CopyProgress& progress) {
    if (from.trimmed().isEmpty() || to.trimmed().isEmpty())
        throw DbError(QStringLiteral("Indicare l'archivio da copiare e quello da creare."));
    if (!isServerAddress(from) && !isServerAddress(to) &&
        QFileInfo(from).absoluteFilePath() == QFileInfo(to).absoluteFilePath())
        throw DbError(QStringLiteral("L'archivio da copiare e la copia sono lo stesso file."));

    Connection source;
    source.setReadOnly(true);
    source.open(from);
    if (!hasProgramTables(source))
        throw DbError(notAnArchiveMessage(shown(from)));
    const int version = storedArchiveVersion(source);
    if (version < requiredArchiveVersion)
        throw DbError(olderArchiveMessage(shown(from), version, requiredArchiveVersion));
    if (version > requiredArchiveVersion)
        throw DbError(newerArchiveMessage() +
                      QStringLiteral(" Per copiarlo usare la versione più recente."));

    CopyReport report;
    Connection target;
    QString work; // a file target is written beside it and moved into place at the end
    if (isServerAddress(to)) {
        target.open(to);
        if (!archiveTables(target).isEmpty())
            throw DbError(QStringLiteral("Il database %1 contiene già delle tabelle: la copia va "
                                         "fatta in un database vuoto, per non perdere nulla.")
                              .arg(shown(to)));
        target.execNative(QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext"));
    } else {
        const QFileInfo info(to);
        if (info.isSymLink())
            throw DbError(symbolicLinkMessage(to));
        if (info.exists())
            throw DbError(QStringLiteral("Il file %1 esiste già: per non perderne il contenuto la "
                                         "copia non viene fatta.")
                              .arg(shown(to)));
        if (!info.absoluteDir().exists())
            throw DbError(QStringLiteral("La cartella %1 non esiste.")
                              .arg(QDir::toNativeSeparators(info.absolutePath())));
        // What a copy killed before it could clean up left here goes first.
        removeLeftOverWorkFiles(to, QStringLiteral("copia"));
        work = workFileBeside(to, QStringLiteral("copia"));
        QFile file(work);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw DbError(QStringLiteral("Impossibile creare la copia %1: %2")
                              .arg(shown(to), italianReason(file.errorString())));
        file.close();
        target.open(work);
        target.execNative(QStringLiteral("PRAGMA journal_mode = DELETE"));
    }
    try {
        target.inTransaction([&] { copyInto(source, target, report, progress); });
    } catch (...) {
        target.close();
        if (!work.isEmpty()) {
            QFile::remove(work);
            QFile::remove(work + QStringLiteral("-journal"));
        }
        try {
            throw;
        } catch (const Cancelled&) {
            throw DbError(QStringLiteral("Copia annullata: %1 è rimasto com'era.").arg(shown(to)));
        } catch (const DbError& e) {
            throw DbError(QStringLiteral("Copia di %1 in %2 non riuscita, nulla è stato salvato: "
                                         "%3")
                              .arg(shown(from), shown(to), e.text()),
                          e.kind());
        }
    }
    target.close();
    if (!work.isEmpty() && !QFile::rename(work, to)) {
        QFile::remove(work);
        throw DbError(QStringLiteral("Impossibile creare la copia %1: il file è stato creato nel "
                                     "frattempo da un altro programma.")
                          .arg(shown(to)));
    }
    return report;
}

} // namespace brevalto
