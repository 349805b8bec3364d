#include "store/ArchiveCheck.h"

#include "store/ArchiveCatalog.h"

#include "store/Connection.h"
#include "store/Schema.h"
#include "store/SystemText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <limits>

namespace brevalto {

namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool tableExists(Connection& connection, const QString& table) {
    return archiveHasTable(connection, table);
}

// A name beside the damaged file that nothing uses yet.
QString recoveryPath(const QString& damagedPath) {
    const QFileInfo info(damagedPath);
    const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                         QStringLiteral("-recuperato-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString path = stem + suffix;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QStringLiteral("-%1").arg(n) + suffix;
    return path;
}

// Reads rows of one table in key order starting after a key, copying each; stops at the end or at
// the first row that cannot be read. Returns whether the end was reached.
struct TableCopy {
    QSqlDatabase source;
    Connection& target;
    QString table;
    QStringList columns;
    qint64 copied = 0;

    // The first row after `after` can be read (or there is none).
    bool readableAfter(qint64 after) {
        QSqlQuery q(source);
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT rowid FROM %1 WHERE rowid > ? ORDER BY rowid LIMIT 1")
                      .arg(quoteIdentifier(table)));
        q.addBindValue(after);
        if (!q.exec())
            return false;
        return q.next() || !q.lastError().isValid();
    }

    // Copies from after `after`; sets *last to the last key copied. True when the end was reached.
    bool copyFrom(qint64 after, qint64* last) {
        QStringList quoted;
        for (const QString& c : columns)
            quoted << quoteIdentifier(c);
        QSqlQuery q(source);
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid > ? ORDER BY rowid")
                      .arg(quoted.join(QLatin1String(", ")), quoteIdentifier(table)));
        q.addBindValue(after);
        if (!q.exec())
            return false;
        const QString insert =
            QStringLiteral("INSERT OR IGNORE INTO %1 (%2) VALUES (%3)")
                .arg(quoteIdentifier(table), quoted.join(QLatin1String(", ")),
                     QStringList(quoted.size(), QStringLiteral("?")).join(QLatin1String(", ")));
        while (q.next()) {
            QVariantList values;
            for (int i = 0; i < columns.size(); ++i)
                values << q.value(i + 1);
            target.execNative(insert, values);
            *last = q.value(0).toLongLong();
            ++copied;
        }
        return !q.lastError().isValid();
    }

    // Copies the whole table; true when no row was lost to an unreadable page.
    bool run() {
        qint64 last = std::numeric_limits<qint64>::min();
        bool complete = true;
        while (!copyFrom(last, &last)) {
            complete = false;
            // Skip ahead past the unreadable page: double the jump until a read succeeds, then
            // narrow it down so that as few readable rows as possible are passed over.
            qint64 failed = 0, step = 1;
            const qint64 limit = std::numeric_limits<qint64>::max() / 4;
            while (step < limit && !readableAfter(last + step)) {
                failed = step;
                step *= 2;
            }
            if (step >= limit)
                break;
            while (step - failed > 1) {
                const qint64 mid = failed + (step - failed) / 2;
                if (readableAfter(last + mid))
                    step = mid;
                else
                    failed = mid;
            }
            last += step;
        }
        return complete;
    }
};

} // namespace

bool hasProgramTables(Connection& connection) {
    return tableExists(connection, QStringLiteral("Ditta")) &&
           tableExists(connection, QStringLiteral("PA_FE_Header"));
}

QString notAnArchiveMessage(const QString& path) {
    return QStringLiteral(
               "Il file %1 non contiene un archivio del programma: è vuoto oppure è un database di "
               "un altro programma (mancano le tabelle Ditta e PA_FE_Header).\n"
               "Il file non è stato modificato. Ripristinare una copia dell'archivio oppure "
               "indicare l'archivio giusto in percorsoPa.txt.")
        .arg(shown(path));
}

QStringList quickCheckProblems(Connection& connection, const QString& table) {
    QStringList problems;
    QSqlQuery q = connection.execNative(
        table.isEmpty() ? QStringLiteral("PRAGMA quick_check")
                        : QStringLiteral("PRAGMA quick_check(%1)").arg(quoteIdentifier(table)));
    while (q.next()) {
        const QString line = q.value(0).toString();
        if (line.compare(QLatin1String("ok"), Qt::CaseInsensitive) != 0)
            problems << line;
    }
    if (q.lastError().isValid())
        problems << q.lastError().text();
    return problems;
}

QStringList archiveDamage(Connection& connection) {
    // A server keeps its own pages sound (and checks them with its own tools).
    if (connection.isServer())
        return {};
    try {
        return quickCheckProblems(connection);
    } catch (const DbError& e) {
        return {e.text()};
    }
}

QString damagedArchiveMessage(const QString& path) {
    return QStringLiteral(
               "L'archivio %1 è danneggiato: alcune sue parti non si possono più leggere "
               "correttamente (può succedere dopo un'interruzione di corrente, un disco pieno o "
               "una copia non riuscita).\n"
               "Per non peggiorare il danno il programma non lo usa e non vi scrive nulla.\n\n"
               "Cosa si può fare:\n"
               "- ripristinare la copia di sicurezza più recente dell'archivio;\n"
               "- farne una copia recuperata: i dati ancora leggibili vengono copiati in un nuovo "
               "file accanto all'archivio, che resta com'è.")
        .arg(shown(path));
}

int storedArchiveVersion(Connection& connection) {
    if (!tableExists(connection, QStringLiteral("opzioni")))
        return 0;
    bool hasColumn = false;
    for (const QString& column : archiveColumns(connection, QStringLiteral("opzioni")))
        hasColumn |= column.compare(QLatin1String("VerBaseDati"), Qt::CaseInsensitive) == 0;
    if (!hasColumn)
        return 0;
    return connection.scalar(QStringLiteral("SELECT max(VerBaseDati) FROM opzioni")).toInt();
}

QString newerArchiveMessage() {
    return QStringLiteral("L'archivio è stato aggiornato da una versione più recente del "
                          "programma.");
}

void requireUsableArchive(Connection& connection, int requiredVersion, bool newerRefused) {
    const QString path = connection.path();
    if (!hasProgramTables(connection))
        throw DbError(notAnArchiveMessage(path));
    const QStringList damage = archiveDamage(connection);
    if (!damage.isEmpty())
        throw DbError(damagedArchiveMessage(path) + QStringLiteral("\n\nDettagli: ") +
                          damage.mid(0, 3).join(QLatin1String("; ")),
                      DbError::Kind::Damaged);
    if (newerRefused && storedArchiveVersion(connection) > requiredVersion)
        throw DbError(newerArchiveMessage() +
                      QStringLiteral(" Questo programma non può modificarlo: usare la versione "
                                     "più recente."));
}

QString olderArchiveMessage(const QString& path, int version, int requiredVersion) {
    return QStringLiteral("L'archivio %1 è della versione %2, più vecchia della %3 di questo "
                          "programma: aggiornarlo prima con UpgradeDb.")
        .arg(QDir::toNativeSeparators(path))
        .arg(version)
        .arg(requiredVersion);
}

void requireCurrentArchive(Connection& connection, int requiredVersion) {
    requireUsableArchive(connection, requiredVersion);
    const int version = storedArchiveVersion(connection);
    if (version < requiredVersion)
        throw DbError(olderArchiveMessage(connection.path(), version, requiredVersion));
}

QString RecoveryReport::text() const {
    QStringList lines;
    lines << QStringLiteral("Copia recuperata scritta in %1.").arg(shown(path));
    if (incomplete.isEmpty())
        lines << QStringLiteral("Tutte le righe leggibili sono state copiate.");
    else
        lines << QStringLiteral("Righe perse nelle parti danneggiate delle tabelle: %1.")
                     .arg(incomplete.join(QLatin1String(", ")));
    lines << QStringLiteral("Controllare la copia e, se è completa, rinominarla archivioPa.mdb "
                            "al posto dell'archivio danneggiato (tenendo da parte quest'ultimo).");
    return lines.join(QLatin1Char('\n'));
}

RecoveryReport recoverArchive(const QString& damagedPath) {
    Connection source;
    source.setReadOnly(true);
    source.open(damagedPath);

    struct Entry {
        QString type, name, sql;
    };
    QList<Entry> entries;
    try {
        QSqlQuery q = source.execNative(
            QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL AND "
                           "name NOT LIKE 'sqlite_%' ORDER BY type = 'index', rowid"));
        while (q.next())
            entries.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
        if (q.lastError().isValid())
            throw DbError(q.lastError().text());
    } catch (const DbError& e) {
        throw DbError(QStringLiteral("Impossibile recuperare l'archivio %1: non si può leggere "
                                     "nemmeno l'elenco delle sue tabelle. Ripristinare una copia "
                                     "di sicurezza. (%2)")
                          .arg(shown(damagedPath), e.text()),
                      DbError::Kind::Damaged);
    }

    RecoveryReport report;
    report.path = recoveryPath(damagedPath);
    {
        QFile file(report.path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw DbError(QStringLiteral("Impossibile creare il file %1: %2")
                              .arg(shown(report.path), italianReason(file.errorString())));
    }
    try {
        Connection target;
        target.open(report.path);
        target.inTransaction([&] {
            for (const Entry& e : entries) {
                if (e.type != QLatin1String("table"))
                    continue;
                target.execNative(e.sql);
                QStringList columns;
                QSqlQuery info = target.execNative(
                    QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(e.name)));
                while (info.next())
                    columns << info.value(1).toString();
                TableCopy copy{source.database(), target, e.name, columns};
                if (!copy.run())
                    report.incomplete << e.name;
                report.tables << QStringLiteral("%1: %2 righe").arg(e.name).arg(copy.copied);
            }
            // Keys are never reused: the counters go over as far as they can be read.
            try {
                QSqlQuery seq =
                    source.execNative(QStringLiteral("SELECT name, seq FROM sqlite_sequence"));
                while (seq.next()) {
                    target.execNative(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) "
                                                     "SELECT ?, 0 WHERE NOT EXISTS (SELECT 1 "
                                                     "FROM sqlite_sequence WHERE name = ?)"),
                                      {seq.value(0), seq.value(0)});
                    target.execNative(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, "
                                                     "?) WHERE name = ?"),
                                      {seq.value(1), seq.value(0)});
                }
            } catch (const DbError&) {
            }
            for (const Entry& e : entries) {
                if (e.type == QLatin1String("table"))
                    continue;
                try {
                    target.execNative(e.sql);
                } catch (const DbError&) {
                    // An index the recovered rows do not allow is left out.
                }
            }
        });
        target.close();
    } catch (const DbError& e) {
        QFile::remove(report.path);
        QFile::remove(report.path + QStringLiteral("-journal"));
        throw DbError(QStringLiteral("Impossibile scrivere la copia recuperata %1: %2")
                          .arg(shown(report.path), e.text()));
    }
    return report;
}

} // namespace brevalto
