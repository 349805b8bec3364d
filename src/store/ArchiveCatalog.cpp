#include "store/ArchiveCatalog.h"

#include "store/Connection.h"
#include "store/Schema.h"

#include <QSqlQuery>

namespace brevalto {

namespace {

QStringList firstColumn(QSqlQuery q, int column = 0) {
    QStringList names;
    while (q.next())
        names << q.value(column).toString();
    return names;
}

} // namespace

QStringList archiveTables(Connection& connection) {
    if (connection.isServer())
        return firstColumn(connection.execNative(
            QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = "
                           "current_schema() AND table_type = 'BASE TABLE' AND table_name <> "
                           "'brevalto_versione' ORDER BY table_name")));
    return firstColumn(connection.execNative(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'")));
}

QStringList archiveColumns(Connection& connection, const QString& table) {
    if (connection.isServer())
        return firstColumn(connection.execNative(
            QStringLiteral(
                "SELECT column_name FROM information_schema.columns WHERE table_schema "
                "= current_schema() AND table_name = lower(?) ORDER BY ordinal_position"),
            {table}));
    return firstColumn(
        connection.execNative(QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table))),
        1);
}

QStringList archiveIndexes(Connection& connection) {
    if (connection.isServer())
        return firstColumn(connection.execNative(QStringLiteral(
            "SELECT indexname FROM pg_indexes WHERE schemaname = current_schema()")));
    return firstColumn(connection.execNative(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index'")));
}

bool archiveHasTable(Connection& connection, const QString& table) {
    if (connection.isServer())
        return connection
            .execNative(QStringLiteral("SELECT 1 FROM information_schema.tables WHERE "
                                       "table_schema = current_schema() AND table_name = lower(?)"),
                        {table})
            .next();
    return connection
        .execNative(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND "
                                   "name = ? COLLATE NOCASE"),
                    {table})
        .next();
}

void catchUpKeyCounters(Connection& connection) {
    if (!connection.isServer())
        return;
    const QStringList present = archiveTables(connection);
    for (const TableDef& table : archiveSchema()) {
        const QString key = table.autoNumberColumn();
        if (key.isEmpty() || !present.contains(table.name.toLower()))
            continue;
        const QVariantList names{table.name.toLower(), key.toLower()};
        connection.execNative(
            QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), m) FROM (SELECT max(%1) AS "
                           "m FROM %2) AS highest WHERE m > coalesce(pg_sequence_last_value("
                           "pg_get_serial_sequence(?, ?)), 0)")
                .arg(quoteIdentifier(key), quoteIdentifier(table.name)),
            names + names);
    }
}

void installChangeCounter(Connection& connection) {
    if (!connection.isServer())
        return;
    connection.execNative(
        QStringLiteral("CREATE TABLE IF NOT EXISTS brevalto_versione (n bigint NOT NULL)"));
    connection.execNative(QStringLiteral("INSERT INTO brevalto_versione (n) SELECT 0 WHERE NOT "
                                         "EXISTS (SELECT 1 FROM brevalto_versione)"));
    // brevalto.contato: the transaction that bumped last (local to the transaction);
    // brevalto.proprie: how many of the counter's bumps are this session's own.
    connection.execNative(QStringLiteral(
        "CREATE OR REPLACE FUNCTION brevalto_conta_modifica() RETURNS trigger LANGUAGE plpgsql AS "
        "$body$\n"
        "BEGIN\n"
        "  IF coalesce(current_setting('brevalto.contato', true), '') <> "
        "txid_current()::text THEN\n"
        "    UPDATE brevalto_versione SET n = n + 1;\n"
        "    PERFORM set_config('brevalto.contato', txid_current()::text, true);\n"
        "    PERFORM set_config('brevalto.proprie', (coalesce(nullif(current_setting("
        "'brevalto.proprie', true), ''), '0')::bigint + 1)::text, false);\n"
        "  END IF;\n"
        "  RETURN NULL;\n"
        "END\n"
        "$body$"));
    for (const QString& table : archiveTables(connection))
        connection.execNative(
            QStringLiteral("CREATE OR REPLACE TRIGGER brevalto_versione AFTER INSERT OR UPDATE OR "
                           "DELETE OR TRUNCATE ON %1 FOR EACH STATEMENT EXECUTE FUNCTION "
                           "brevalto_conta_modifica()")
                .arg(quoteIdentifier(table)));
}

} // namespace brevalto
