#include "ui/DataGrid.h"

#include "store/Dataset.h"
#include "store/TextFields.h"
#include "ui/GuardedAction.h"

#include <QContextMenuEvent>
#include <QDate>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QTimer>

#include <cmath>

namespace brevalto {

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::setDataset(Dataset* dataset) {
    beginResetModel();
    if (dataset_)
        disconnect(dataset_, nullptr, this, nullptr);
    dataset_ = dataset;
    if (dataset_) {
        connect(dataset_, &Dataset::rowsChanged, this, [this] {
            beginResetModel();
            endResetModel();
        });
        connect(dataset_, &Dataset::valueChanged, this, [this] {
            if (dataset_ && dataset_->position() >= 0)
                Q_EMIT dataChanged(index(dataset_->position(), 0),
                                   index(dataset_->position(), columnCount() - 1));
        });
    }
    endResetModel();
}

void DatasetModel::setColumns(const QList<GridColumn>& columns) {
    beginResetModel();
    columns_ = columns;
    endResetModel();
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !dataset_ ? 0 : dataset_->rowCount();
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QString DatasetModel::displayText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("Sì") : QStringLiteral("No");
    case QMetaType::Double:
        return QLocale().toString(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    default:
        return ConvertiMemo(value.toString());
    }
}

QString DatasetModel::displayText(const QVariant& value, const QString& field) {
    if (value.typeId() != QMetaType::Double ||
        field.startsWith(QLatin1String("Quantita"), Qt::CaseInsensitive))
        return displayText(value);
    const double d = value.toDouble();
    const bool cents = std::abs(d * 100 - std::round(d * 100)) < 1e-7;
    return cents ? QLocale().toString(d, 'f', 2)
                 : QLocale().toString(d, 'f', QLocale::FloatingPointShortest);
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!dataset_ || !index.isValid() || index.column() >= columns_.size())
        return {};
    const int column = dataset_->columnIndex(columns_[index.column()].field);
    QVariant value;
    try {
        value = column < 0 && computedValue
                    ? computedValue(index.row(), columns_[index.column()].field)
                    : dataset_->valueAt(index.row(), column);
    } catch (const DbError&) {
        // A row whose other columns could not be read from the archive shows empty here; the
        // next paint reads again, and the screen that opens the row says what went wrong.
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return displayText(value, columns_[index.column()].field);
    if (role == Qt::EditRole) // the whole text, a number without rounding
        return value.typeId() == QMetaType::Double
                   ? QLocale().toString(value.toDouble(), 'f', QLocale::FloatingPointShortest)
                   : value.toString();
    if (role == Qt::BackgroundRole && rowBackground)
        return rowBackground(index.row());
    if (role == Qt::TextAlignmentRole) {
        const bool number = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int;
        return int(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_ && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!editable_ || !dataset_ || role != Qt::EditRole || !index.isValid() ||
        index.column() >= columns_.size())
        return false;
    const QString field = columns_[index.column()].field;
    QVariant stored = value.toString();
    if (readCell && !readCell(field, value.toString(), &stored))
        return false;
    return guarded([&] {
        if (dataset_->position() != index.row())
            dataset_->moveTo(index.row());
        dataset_->edit();
        dataset_->setValue(field, stored);
    });
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < columns_.size())
        return columns_[section].caption;
    return {};
}

DataGrid::DataGrid(QWidget* parent) : QTableView(parent), model_(new DatasetModel(this)) {
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DataGrid::onTitleClicked);
    // What a screen does on a row, a title or a menu entry runs guarded, as the kit's buttons.
    connect(this, &QTableView::doubleClicked, this, guard([this] { Q_EMIT rowActivated(); }));
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (syncing_ || !dataset() || !current.isValid())
                    return;
                // Leaving a row posts its pending change; when the archive refuses it the
                // dataset stays where it was, and so does the grid.
                if (!guarded([&] { dataset()->moveTo(current.row()); }))
                    QTimer::singleShot(0, this, &DataGrid::syncFromDataset);
            });
}

void DataGrid::setDataset(Dataset* dataset) {
    if (model_->dataset())
        disconnect(model_->dataset(), nullptr, this, nullptr);
    model_->setDataset(dataset);
    if (dataset) {
        connect(dataset, &Dataset::currentChanged, this, &DataGrid::syncFromDataset);
        connect(dataset, &Dataset::rowsChanged, this, &DataGrid::syncFromDataset);
    }
    syncFromDataset();
}

void DataGrid::syncFromDataset() {
    Dataset* d = dataset();
    if (!d || d->position() < 0)
        return;
    // Already there (the user moved, the dataset followed): the selection the user makes with
    // Ctrl or Shift is left to the view.
    if (currentIndex().isValid() && currentIndex().row() == d->position())
        return;
    syncing_ = true;
    const QModelIndex index = model_->index(d->position(), qMax(0, currentIndex().column()));
    setCurrentIndex(index);
    scrollTo(index);
    syncing_ = false;
}

void DataGrid::setColumns(const QList<GridColumn>& designed) {
    QList<GridColumn> columns;
    for (const GridColumn& column : designed) {
        if (column.field.compare(QLatin1String("Id"), Qt::CaseInsensitive) != 0)
            columns << column;
    }
    model_->setColumns(columns);
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns[i].width);
    syncFromDataset();
}

QList<GridColumn> DataGrid::columns() const {
    QList<GridColumn> out = model_->columns();
    for (int i = 0; i < out.size(); ++i)
        out[i].width = columnWidth(i);
    return out;
}

void DataGrid::removeSelectedColumn() {
    const int column = currentIndex().column();
    QList<GridColumn> current = columns();
    if (column < 0 || column >= current.size())
        return;
    current.removeAt(column);
    setColumns(current);
}

QString DataGrid::toggledSort(const QString& previous, const QString& field) {
    if (previous.isEmpty())
        return field + QStringLiteral(" ASC");
    return previous.right(3) == QLatin1String("ASC") ? field + QStringLiteral(" DESC")
                                                     : field + QStringLiteral(" ASC");
}

void DataGrid::onTitleClicked(int section) {
    const QList<GridColumn>& cols = model_->columns();
    if (section < 0 || section >= cols.size())
        return;
    if (sortOnTitleClick_ && dataset() && dataset()->hasColumn(cols[section].field))
        guarded([&] { dataset()->setSort(toggledSort(dataset()->sort(), cols[section].field)); });
    guarded([&] { Q_EMIT titleClicked(cols[section].field); });
}

void DataGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (!layoutMenu_)
        return QTableView::contextMenuEvent(event);
    QMenu menu(this);
    menu.addAction(QStringLiteral("Salva Griglia"), this,
                   guard([this] { Q_EMIT saveLayoutRequested(); }));
    menu.addAction(QStringLiteral("Elimina Colonna"), this,
                   guard([this] { removeSelectedColumn(); }));
    menu.addAction(QStringLiteral("Reset Griglia"), this,
                   guard([this] { Q_EMIT resetLayoutRequested(); }));
    menu.exec(event->globalPos());
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter that closes a cell being typed in (an editable grid) comes here too: it only
        // ends the typing.
        if (state() != QAbstractItemView::EditingState)
            guarded([this] { Q_EMIT rowActivated(); });
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace brevalto
