#pragma once
// The archive's tables and columns, kept as data: the DDL, the Dataset's column kinds and the
// archive upgrade are all derived from this one table.
#include "store/SqlDialect.h"

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
//
// On a server (PostgreSQL): AutoNumber an identity column (keys given by the server, explicit keys
// accepted as SQLite does), Long and Yes/No "integer" (so that the program's 0/1 tests stay as
// they are), Double "double precision", Date and Memo "text", Text "citext": text compared without
// regard to letter case in =, <, ORDER BY, DISTINCT, indexes and LIKE alike, as NOCASE does on
// SQLite. A case-insensitive ICU collation would do the same for = and ORDER BY, but PostgreSQL 15
// refuses LIKE on such columns, and the search boxes are all LIKE; lower() on both sides would
// need an expression index for every searched column. The extension ships with PostgreSQL and
// may be installed by the database's owner.
QString sqlColumnType(ColumnKind kind, SqlDialect dialect = SqlDialect::Sqlite);
QString createTableSql(const TableDef& table, SqlDialect dialect = SqlDialect::Sqlite);
QString addColumnSql(const TableDef& table, const ColumnDef& column,
                     SqlDialect dialect = SqlDialect::Sqlite);
// The index of one column of `indexed`: named after table and column, created only when missing.
// A server cuts names at 63 characters, where two long names could meet: there a longer name ends
// in a checksum of the whole one instead.
QString indexName(const TableDef& table, const QString& column,
                  SqlDialect dialect = SqlDialect::Sqlite);
QString createIndexSql(const TableDef& table, const QString& column,
                       SqlDialect dialect = SqlDialect::Sqlite);
QString quoteIdentifier(const QString& name);

} // namespace brevalto
