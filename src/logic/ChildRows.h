#pragma once
// Rows of a body's sections and their second-level rows: reading them for a parent, adding one
// under its parent, deleting the current one with the rows that belong to it. Shared by the section
// screens, the line logic and the payment logic.
#include <QList>
#include <QString>
#include <functional>

namespace brevalto {

class Connection;
class DataModule;
class Dataset;

namespace documenti {
// Re-queries dataset with every row of table whose parentColumn equals parentId, in ordering.
void requeryChildren(Dataset& dataset, const QString& table, const QString& parentColumn,
                     int parentId, const QString& ordering);
// Appends a sub-row carrying the body's key and the parent's key and stores it; false (with the
// error shown) when the archive refused it.
bool addChildRow(Dataset& dataset, int bodyId, const QString& parentColumn, int parentId,
                 const std::function<void(Dataset&)>& startValues = {});
// Asks question (unless silent) and deletes the current row; false when there was nothing to
// delete or the user said No.
bool confirmAndDelete(Dataset& dataset, const QString& question, bool silent = false);
// A table whose rows belong to a row of another table: its name and the column holding the
// owner's key.
struct ChildTable {
    QString table;
    QString parentColumn;
};
// Deletes the current row of rows with every row of the child tables that belongs to it, in one
// transaction: all of them go, or, when the archive refuses one (a lock, a full disk), none does,
// rows is read again on the same row and the DbError reaches the caller. A pending edit of the row
// is dropped first. False when rows is empty.
bool deleteWithChildren(Connection& connection, Dataset& rows, const QList<ChildTable>& children);
// The current body's key.
int bodyId(DataModule& db);
} // namespace documenti

} // namespace brevalto
