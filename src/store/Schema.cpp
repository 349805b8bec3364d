#include "store/Schema.h"

namespace brevalto {

const ColumnDef* TableDef::column(const QString& wanted) const {
    for (const ColumnDef& c : columns) {
        if (c.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

QString TableDef::autoNumberColumn() const {
    for (const ColumnDef& c : columns) {
        if (c.kind == ColumnKind::AutoNumber)
            return c.name;
    }
    return {};
}

const TableDef* findTable(const QString& name) {
    for (const TableDef& t : archiveSchema()) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

QString sqlColumnType(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::AutoNumber:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case ColumnKind::Long:
    case ColumnKind::YesNo:
        return QStringLiteral("INTEGER");
    case ColumnKind::Double:
        return QStringLiteral("REAL");
    case ColumnKind::Date:
    case ColumnKind::Memo:
        return QStringLiteral("TEXT");
    case ColumnKind::Text:
        break;
    }
    return QStringLiteral("TEXT COLLATE NOCASE");
}

QString quoteIdentifier(const QString& name) {
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString createTableSql(const TableDef& table) {
    QStringList parts;
    for (const ColumnDef& c : table.columns)
        parts << quoteIdentifier(c.name) + QLatin1Char(' ') + sqlColumnType(c.kind);
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quoteIdentifier(table.name), parts.join(QLatin1String(", ")));
}

QString addColumnSql(const TableDef& table, const ColumnDef& column) {
    // SQLite cannot add a PRIMARY KEY column to an existing table; an AutoNumber column added
    // late becomes a plain integer.
    const QString type = column.kind == ColumnKind::AutoNumber ? QStringLiteral("INTEGER")
                                                               : sqlColumnType(column.kind);
    return QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
        .arg(quoteIdentifier(table.name), quoteIdentifier(column.name), type);
}

QString indexName(const TableDef& table, const QString& column) {
    return QStringLiteral("ix_%1_%2").arg(table.name, column);
}

QString createIndexSql(const TableDef& table, const QString& column) {
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
        .arg(quoteIdentifier(indexName(table, column)), quoteIdentifier(table.name),
             quoteIdentifier(column));
}

} // namespace brevalto
