#pragma once
// The base of every list screen: a read-only grid over a shared dataset, search boxes that filter
// it as the user types, title clicks that sort it, and the tool buttons "Aggiungi", "Elimina",
// "Avanti", "Ricarica", "Indietro". A concrete browser is a BrowserSpec.
#include <QDialog>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QVariant>

class QLineEdit;
class QPushButton;

namespace brevalto {

class DataGrid;
class DataModule;
class Dataset;
class EditorBase;
struct GridColumn;

struct SearchBox {
    QString caption;
    QString column;
};

struct BrowserSpec {
    QString caption;
    QString dataset;
    QString keyColumn;
    QList<GridColumn> columns;
    QList<SearchBox> searchBoxes;                  // in the order their criteria are joined
    QList<QPair<QString, QVariant>> initialValues; // of a row added with "Aggiungi"
    QString deleteQuestion;
    QString layoutName; // grid layout key; empty for none
};

class BrowserBase : public QDialog {
    Q_OBJECT
public:
    BrowserBase(DataModule& db, const BrowserSpec& def, QWidget* parent = nullptr);

    Dataset& dataset() const { return *dataset_; }
    DataGrid* grid() const { return grid_; }
    const BrowserSpec& definition() const { return def_; }
    void setEditor(EditorBase* editor) { editor_ = editor; }
    EditorBase* editor() const { return editor_; }

    QLineEdit* searchBox(int index) const { return searchEdits_.value(index); }
    void clearSearch(); // empties the boxes and the filter (the main window does it on close)

    // The filter the search boxes give: prefix matches joined with " and ".
    static QString searchFilter(const QList<QPair<QString, QString>>& columnsAndTexts);

    void avanti();
    void aggiungi();
    void elimina();
    void ricarica();

protected:
    // Hooks: a browser may refuse a delete (with its own message) or open its editor its own way.
    virtual bool canDelete() { return true; }
    virtual void openEditor();
    void applySearch();

    DataModule& db_;

private:
    BrowserSpec def_;
    Dataset* dataset_;
    DataGrid* grid_;
    QList<QLineEdit*> searchEdits_;
    QPointer<EditorBase> editor_;
};

} // namespace brevalto
