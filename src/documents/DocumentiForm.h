#pragma once
// What the body's section screens share: fields above an optional set of tabs (the tabs carry the
// grids of second-level rows), tests on the text a field shows, and grids of sub-rows with their
// delete, add and open buttons.
#include "ui/FormEditor.h"

#include <QWidget>
#include <functional>

class QPushButton;

namespace brevalto {

class DataGrid;
struct GridColumn;

// A read-only grid of sub-rows with the three buttons "Elimina", "Aggiungi", "Modifica"; a double
// click on the grid is the same as "Modifica".
class DocumentiSubList : public QWidget {
    Q_OBJECT
public:
    DocumentiSubList(Dataset& dataset, const QList<GridColumn>& columns, const QString& caption,
                     QWidget* parent = nullptr);
    DataGrid* grid() const { return grid_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* openButton() const { return open_; }

Q_SIGNALS:
    void removeRequested();
    void addRequested();
    void openRequested();

private:
    DataGrid* grid_;
    QPushButton* remove_;
    QPushButton* add_;
    QPushButton* open_;
};

// The base of the section screens: a form editor on one of the body's child datasets.
class DocumentiForm : public FormEditor {
    Q_OBJECT
public:
    using FormEditor::FormEditor;
};

// Sub-row operations shared by the screens.
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
