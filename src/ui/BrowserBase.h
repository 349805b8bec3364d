#pragma once
// The base of every list screen: a read-only grid over a shared dataset, search boxes that filter
// it as the user types, title clicks that sort it, and a row of tool buttons. A concrete browser
// is mostly a Browser definition; it overrides an action only where it does more than the base
// (the body register re-queries a body's rows before opening it, for instance). Pickers are
// browsers whose double click chooses the current row.
#include "ui/DataGrid.h"

#include <QDialog>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QSize>
#include <QVariant>

class QLineEdit;
class QPushButton;

namespace brevalto {

class DataModule;
class Dataset;
class EditorBase;

// What a tool button (or a double click on the grid) does. Each standard action runs the virtual
// of the same name; Custom buttons are connected by the screen (button(objectName)).
enum class BrowserAction { Aggiungi, Elimina, Modifica, Ricarica, Indietro, Scegli, Custom };

struct ToolButton {
    QString objectName; // "spdInserisci"
    QString caption;    // "Aggiungi"
    BrowserAction action = BrowserAction::Custom;
    QString hint = {};
    bool hidden = false;
    bool stretchAfter = false; // the buttons after it stand at the right end
};

struct SearchBox {
    QString caption;
    QString column;
};

// The tool buttons of the master-data browsers: Aggiungi, Elimina, Avanti, Ricarica, Indietro.
QList<ToolButton> standardBrowserTools();

struct Browser {
    QString caption;
    QString objectName = {}; // the screen's identifier ("frmGriglia_PA_Body"); may be empty
    QString dataset;
    QString keyColumn;
    QList<GridColumn> columns;
    QList<ToolButton> tools = standardBrowserTools();
    QList<SearchBox> searchBoxes = {};                  // in the order their criteria are joined
    QList<QPair<QString, QVariant>> initialValues = {}; // of a row added with "Aggiungi"
    QString deleteQuestion = {};
    QString layoutName = {}; // grid layout key; empty for none
    BrowserAction onDoubleClick = BrowserAction::Modifica;
    bool sortOnTitleClick = true;
    bool clearFilterOnAdd = true;
    // A table of many wide rows (tens of thousands of customers): the list reads its columns, the
    // key and the searched columns of every row, and a row's others when first asked for
    // (opening it, copying it into a Document). Archive files only; it behaves the same either way.
    bool readsListedColumns = false;
    QSize size = {900, 560};
};

class BrowserBase : public QDialog {
    Q_OBJECT
public:
    BrowserBase(DataModule& db, const Browser& def, QWidget* parent = nullptr);

    Dataset& dataset() const { return *dataset_; }
    DataGrid* grid() const { return grid_; }
    const Browser& definition() const { return def_; }
    void setEditor(EditorBase* editor);
    EditorBase* editor() const;
    QPushButton* button(const QString& objectName) const;

    QLineEdit* searchBox(int index) const { return searchEdits_.value(index); }
    void clearSearch(); // empties the boxes and the filter (the main window does it on close)

    // The filter the search boxes give: prefix matches joined with " and "; a text starting with
    // "*" matches anywhere. Empty texts and a lone "*" filter nothing.
    static QString searchFilter(const QList<QPair<QString, QString>>& columnsAndTexts);

    // The standard actions. Aggiungi stores a new row (filter cleared, initial values, its key
    // filled) and opens it with "Annulla" offered; false when the archive refused the row.
    virtual bool aggiungi();
    // Asks the definition's question, then deletes the current row; false when nothing was
    // deleted.
    virtual bool elimina();
    // Opens the current row in the editor ("Avanti", "Modifica", double click).
    virtual void modifica();
    virtual void ricarica();
    virtual void indietro();
    // Pickers: marks the current row chosen and closes.
    void scegli();
    // Whether the last showing ended with a row chosen.
    bool chosen() const { return chosen_; }
    void setChosen(bool on) { chosen_ = on; }

protected:
    // Hooks: a browser may refuse a delete (with its own message), fill a new row its own way or
    // open its editor its own way.
    virtual bool canDelete() { return true; }
    virtual void fillNewRow();
    virtual void openEditor();
    // Opens a row just added, with "Annulla" offered.
    virtual void openNewRow();
    // Deletes the current row; DeleteAndReposition by default. May throw DbError.
    virtual void deleteCurrent();
    void applySearch();
    void reject() override { indietro(); } // Escape closes as "Indietro" does
    void run(BrowserAction action);

    DataModule& db_;

private:
    Browser def_;
    Dataset* dataset_;
    DataGrid* grid_;
    QList<QLineEdit*> searchEdits_;
    // The boxes' texts and the filter of the last search, to narrow from it.
    QStringList searchTexts_;
    QString searchFilterText_;
    QPointer<EditorBase> editor_;
    bool chosen_ = false;
};

} // namespace brevalto
