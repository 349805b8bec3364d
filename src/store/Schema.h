#pragma once
// The archive's tables and columns, kept as data: the DDL, the Dataset's column kinds and the
// archive upgrade are all derived from this one table.
#include <QList>
#include <QString>
#include <QStringList>

namespace brevalto {

enum class ColumnKind { Text, Memo, Long, Double, Date, YesNo, AutoNumber };

struct ColumnDef {
    QString name;
    ColumnKind kind = ColumnKind::Text;
};

struct TableDef {
    QString name;
    QList<ColumnDef> columns;
    // Columns that get an index of their own: the keys of a parent row that the program filters
    // or joins on (bodies by Document, every section by body, second-level rows by their parent),
    // so that reading one Document costs the same in a new archive and in one holding years of
    // invoices.
    QStringList indexed;

    // Case-insensitive lookup; nullptr when the table has no such column.
    const ColumnDef* column(const QString& name) const;
    // The AutoNumber column, or an empty text when the table has none.
    QString autoNumberColumn() const;
};

// Every table of the archive, in creation order. Defined in SchemaTables.cpp.
const QList<TableDef>& archiveSchema();

// Case-insensitive lookup of a table; nullptr when unknown.
const TableDef* findTable(const QString& name);

// SQLite storage of each kind: AutoNumber "INTEGER PRIMARY KEY AUTOINCREMENT", Long and Yes/No
// "INTEGER", Double "REAL", Date and Memo "TEXT", Text "TEXT COLLATE NOCASE".
QString sqlColumnType(ColumnKind kind);
QString createTableSql(const TableDef& table);
QString addColumnSql(const TableDef& table, const ColumnDef& column);
// The index of one column of `indexed`: named after table and column, created only when missing.
QString indexName(const TableDef& table, const QString& column);
QString createIndexSql(const TableDef& table, const QString& column);
QString quoteIdentifier(const QString& name);

} // namespace brevalto
