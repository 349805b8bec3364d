#pragma once
// Rows of a body's sections and their second-level rows: reading them for a parent, adding one
// under its parent, deleting the current one. Shared by the section screens and the line logic.
#include <QString>
#include <functional>

namespace brevalto {

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
// The current body's key.
int bodyId(DataModule& db);
} // namespace documenti

} // namespace brevalto
