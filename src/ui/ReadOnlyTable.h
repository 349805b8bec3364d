#pragma once
// A table that lists results (findings, notifications, outcomes): whole rows selected, nothing
// edited, no row numbers, the last column taking the width left, and every cell's full text in
// its tooltip for the columns too narrow to show it.
#include <QStringList>

class QTableWidget;
class QWidget;

namespace brevalto {

// The table with its column titles, its object name and the name assistive technology reads.
QTableWidget* readOnlyTable(const QStringList& titles, const QString& objectName,
                            const QString& accessibleName, QWidget* parent);

// Fills one row; a tooltip given replaces the cell's text as its tooltip (an empty one keeps it).
void setTableRow(QTableWidget* table, int row, const QStringList& cells,
                 const QStringList& tooltips = {});

} // namespace brevalto
