#include "store/ArchiveUpgrade.h"

#include "store/ArchiveCatalog.h"
#include "store/Connection.h"
#include "store/ReferenceData.h"
#include "store/Schema.h"

#include <QSet>
#include <QSqlQuery>

namespace brevalto {

namespace {

QSet<QString> lowerCase(const QStringList& names) {
    QSet<QString> set;
    for (const QString& n : names)
        set.insert(n.toLower());
    return set;
}

QStringList existingTables(Connection& connection) {
    return archiveTables(connection);
}

QStringList existingColumns(Connection& connection, const QString& table) {
    return archiveColumns(connection, table);
}

// Inserts the rows the program ships for a table, if any. Values go in as text: the columns'
// storage types turn numbers and flags back into numbers.
void insertReferenceRows(Connection& connection, const QString& table) {
    for (const QString& path : referenceDataFiles()) {
        const ReferenceTable data = readReferenceTable(path);
        if (data.name.compare(table, Qt::CaseInsensitive) != 0)
            continue;
        QStringList quoted;
        for (const QString& column : data.columns)
            quoted << quoteIdentifier(column);
        const QString sql =
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(quoteIdentifier(table), quoted.join(QLatin1String(", ")),
                     QStringList(quoted.size(), QStringLiteral("?")).join(QLatin1String(", ")));
        for (const QVariantList& row : data.rows)
            connection.execNative(sql, row);
        return;
    }
}

QSet<QString> existingIndexes(Connection& connection) {
    return lowerCase(archiveIndexes(connection));
}

} // namespace

void addMissingIndexes(Connection& connection, UpgradeReport& report) {
    const QSet<QString> indexes = existingIndexes(connection);
    for (const TableDef& table : archiveSchema()) {
        for (const QString& column : table.indexed) {
            if (indexes.contains(indexName(table, column, connection.dialect()).toLower()))
                continue;
            connection.execNative(createIndexSql(table, column, connection.dialect()));
            report.indexesAdded << indexName(table, column, connection.dialect());
        }
    }
}

QString UpgradeReport::text() const {
    QStringList lines;
    if (tablesAdded.isEmpty() && columnsAdded.isEmpty() && indexesAdded.isEmpty())
        lines << QStringLiteral(
            "L'archivio contiene già tutte le tabelle, le colonne e gli indici.");
    if (!tablesAdded.isEmpty())
        lines << QStringLiteral("Tabelle aggiunte (%1): %2")
                     .arg(tablesAdded.size())
                     .arg(tablesAdded.join(QLatin1String(", ")));
    if (!columnsAdded.isEmpty())
        lines << QStringLiteral("Colonne aggiunte (%1): %2")
                     .arg(columnsAdded.size())
                     .arg(columnsAdded.join(QLatin1String(", ")));
    if (!indexesAdded.isEmpty())
        lines << QStringLiteral("Indici aggiunti: %1.").arg(indexesAdded.size());
    lines << QStringLiteral("Versione dell'archivio: %1 (prima %2).")
                 .arg(version)
                 .arg(previousVersion);
    return lines.join(QLatin1Char('\n'));
}

UpgradeReport upgradeArchive(Connection& connection) {
    UpgradeReport report;
    connection.inTransaction([&] {
        const QSet<QString> tables = lowerCase(existingTables(connection));
        for (const TableDef& table : archiveSchema()) {
            if (!tables.contains(table.name.toLower())) {
                connection.execNative(createTableSql(table, connection.dialect()));
                insertReferenceRows(connection, table.name);
                report.tablesAdded << table.name;
                continue;
            }
            const QSet<QString> columns = lowerCase(existingColumns(connection, table.name));
            for (const ColumnDef& column : table.columns) {
                if (columns.contains(column.name.toLower()))
                    continue;
                connection.execNative(addColumnSql(table, column, connection.dialect()));
                report.columnsAdded << table.name + QLatin1Char('.') + column.name;
            }
        }

        // Before version 4 the list and the XML export shared one mark: what it holds counts as
        // listed, or the first list would repeat every invoice ever exported.
        if (report.columnsAdded.contains(QStringLiteral("PA_FE_Header.EsportatoElenco")))
            connection.execNative(
                QStringLiteral("UPDATE PA_FE_Header SET EsportatoElenco = 1 WHERE Esportato <> 0"));

        addMissingIndexes(connection, report);
        // New tables of a server archive get their trigger of the change counter too.
        installChangeCounter(connection);
        catchUpKeyCounters(connection);

        // A settings table created just now already holds the shipped settings row.
        const bool settingsTableNew = report.tablesAdded.contains(QStringLiteral("opzioni"));
        const QString countSql = QStringLiteral("SELECT count(*) FROM opzioni");
        if (connection.scalar(countSql).toInt() == 0) {
            insertReferenceRows(connection, QStringLiteral("opzioni"));
            if (connection.scalar(countSql).toInt() == 0)
                connection.exec(QStringLiteral("INSERT INTO opzioni (VerBaseDati) VALUES (?)"),
                                {requiredArchiveVersion});
        } else if (!settingsTableNew) {
            report.previousVersion =
                connection.scalar(QStringLiteral("SELECT min(VerBaseDati) FROM opzioni")).toInt();
        }
        // Numbers already given are never given again, even after their Document is deleted.
        connection.execNative(
            QStringLiteral("UPDATE opzioni SET UltimoProgressivoInvio = max(coalesce("
                           "UltimoProgressivoInvio, 0), coalesce((SELECT max(Numero) FROM "
                           "PA_FE_Header), 0))"));
        connection.exec(QStringLiteral("UPDATE opzioni SET VerBaseDati = ? WHERE VerBaseDati IS "
                                       "NULL OR VerBaseDati < ?"),
                        {requiredArchiveVersion, requiredArchiveVersion});
        report.version =
            connection.scalar(QStringLiteral("SELECT min(VerBaseDati) FROM opzioni")).toInt();
    });
    return report;
}

} // namespace brevalto
