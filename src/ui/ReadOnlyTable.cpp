#include "ui/ReadOnlyTable.h"

#include <QHeaderView>
#include <QTableWidget>

namespace brevalto {

QTableWidget* readOnlyTable(const QStringList& titles, const QString& objectName,
                            const QString& accessibleName, QWidget* parent) {
    auto* table = new QTableWidget(0, int(titles.size()), parent);
    table->setObjectName(objectName);
    table->setAccessibleName(accessibleName);
    table->setHorizontalHeaderLabels(titles);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void setTableRow(QTableWidget* table, int row, const QStringList& cells,
                 const QStringList& tooltips) {
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        const QString tip = tooltips.value(column);
        item->setToolTip(tip.isEmpty() ? cells[column] : tip);
        table->setItem(row, column, item);
    }
}

} // namespace brevalto
