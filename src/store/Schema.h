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
QString quoteIdentifier(const QString& name);

} // namespace brevalto
