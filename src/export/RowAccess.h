#pragma once
// Reading rows for the export: the current row of a shared dataset, any row of a dataset, and the
// second-level rows of a body (line codes, references, instalments) grouped by their parent row.
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

namespace brevalto {

class Connection;
class Dataset;

// Column positions of one dataset, looked up once per name (names match in any letter case).
class Columns {
public:
    explicit Columns(const Dataset& dataset) : dataset_(dataset) {}
    const Dataset& dataset() const { return dataset_; }
    int index(const QString& column) const;

private:
    const Dataset& dataset_;
    mutable QHash<QString, int> cache_;
};

// One row seen through its dataset's columns: row -1 is the current row (the edit buffer while
// the row is edited). A missing column reads as null. Null reads as empty text, 0 and false.
class Row {
public:
    Row(const Columns& columns, int row = -1) : columns_(&columns), row_(row) {}

    QVariant value(const QString& column) const;
    bool isNull(const QString& column) const { return value(column).isNull(); }
    QString text(const QString& column) const;
    bool flag(const QString& column) const;
    double number(const QString& column) const;
    qint64 integer(const QString& column) const;

private:
    const Columns* columns_;
    int row_;
};

// The rows of a second-level table whose parent key names a row of the parent table that belongs
// to one body, grouped by parent key and, within a parent, in key order. One query serves every
// parent of the body, which gives the same rows as one query per parent.
class ChildRows {
public:
    ChildRows(Connection& connection, const QString& table, const QString& parentKeyColumn,
              const QString& parentTable, int bodyId);
    ~ChildRows();

    // The rows of one parent, in key order.
    QVector<Row> of(int parentId) const;

private:
    std::unique_ptr<Dataset> dataset_;
    std::unique_ptr<Columns> columns_;
    QHash<int, QVector<int>> byParent_;
};

} // namespace brevalto
