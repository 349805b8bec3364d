#pragma once
// What the body's section screens share: fields above an optional set of tabs (the tabs carry the
// grids of second-level rows), tests on the text a field shows, and grids of sub-rows with their
// delete, add and open buttons.
#include "logic/ChildRows.h"
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

} // namespace brevalto
