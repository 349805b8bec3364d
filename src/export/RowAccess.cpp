#include "export/RowAccess.h"

#include "store/Connection.h"
#include "store/Dataset.h"

namespace brevalto {

int Columns::index(const QString& column) const {
    auto it = cache_.constFind(column);
    if (it != cache_.constEnd())
        return *it;
    const int i = dataset_.columnIndex(column);
    cache_.insert(column, i);
    return i;
}

QVariant Row::value(const QString& column) const {
    const int i = columns_->index(column);
    if (i < 0)
        return {};
    const Dataset& d = columns_->dataset();
    if (row_ < 0)
        return d.isEmpty() ? QVariant() : d.value(i);
    return d.valueAt(row_, i);
}

QString Row::text(const QString& column) const {
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

bool Row::flag(const QString& column) const {
    const QVariant v = value(column);
    return !v.isNull() && v.toBool();
}

double Row::number(const QString& column) const {
    const QVariant v = value(column);
    return v.isNull() ? 0.0 : v.toDouble();
}

qint64 Row::integer(const QString& column) const {
    const QVariant v = value(column);
    return v.isNull() ? 0 : v.toLongLong();
}

ChildRows::ChildRows(Connection& connection, const QString& table, const QString& parentKeyColumn,
                     const QString& parentTable, int bodyId) {
    dataset_ = std::make_unique<Dataset>(
        connection, QStringLiteral("ExportPrivateQuery"),
        QStringLiteral("SELECT * from %1 where %2 in (select Id from %3 where PA_FE_Body_Id = %4) "
                       "order by %2, Id")
            .arg(table, parentKeyColumn, parentTable)
            .arg(bodyId));
    dataset_->open();
    columns_ = std::make_unique<Columns>(*dataset_);
    const int key = columns_->index(parentKeyColumn);
    for (int r = 0; r < dataset_->rowCount(); ++r)
        byParent_[dataset_->valueAt(r, key).toInt()].append(r);
}

ChildRows::~ChildRows() = default;

QVector<Row> ChildRows::of(int parentId) const {
    QVector<Row> rows;
    const auto it = byParent_.constFind(parentId);
    if (it == byParent_.constEnd())
        return rows;
    rows.reserve(it->size());
    for (int r : *it)
        rows.append(Row(*columns_, r));
    return rows;
}

} // namespace brevalto
