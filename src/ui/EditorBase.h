#pragma once
// The base of every record editor. A concrete editor is mostly two tables: its fields (label,
// column, control, pick list, help number, maximum length, tab) and its save rules in order
// (condition, message, field). The base builds the form, keeps the "modified" and "save failed"
// flags, runs the rules, saves through the shared routines and offers "Indietro", "Salva" (hidden)
// and "Annulla" (shown only for a row just added).
#include "export/IncludedBlocks.h"
#include "logic/RowRules.h"

#include <QDialog>
#include <QList>
#include <QMap>
#include <QPointer>
#include <functional>

class QTabWidget;
class QPushButton;
class QGridLayout;
class QLabel;

namespace brevalto {

class DataModule;
class Dataset;
class FieldNavigator;

enum class FieldControl { Text, Number, Integer, Date, DateTime, Memo, Check, Lookup };

// A pick list: the shared dataset it lists, the column it stores and the column it shows. Retired
// keys stay readable where a row holds them, but are not offered for a new choice.
struct PickList {
    QString dataset;
    QString key;
    QString display;
    QStringList retired = {};
};

// One input of an editor's field table, written with designated initializers:
//   {.label = "CAP", .column = "Sede_CAP", .help = "1.2.2.3", .tab = 1}
// A field with a pick list is a Lookup whatever its control says. Without a maxLength a field
// takes the maximum length of its FatturaPA element (help). pattern, when given, is a regular
// expression every text typed must match (e.g. "[0-9]*" for a postcode).
struct Field {
    QString label;
    QString column;
    FieldControl control = FieldControl::Text;
    QString help = {}; // FatturaPA element number shown on the help button
    int maxLength = 0;
    int tab = 0;
    PickList list = {};
    bool upperCase = false;
    bool readOnly = false;
    bool noSpaces = false; // a typed space is dropped (an IBAN, a code)
    QString pattern = {};
};

// One save rule, a function over the values of the row (logic/RowRules.h): when it fails, the save
// stops with its message, the field's tab is shown and the field focused.
using Rule = RowRule;

// A save warning, asked once the rules passed: when question() gives a text, the user answers it
// Yes/No; No stops the save as a failed rule does, showing the field. For what is probably wrong
// but may be right (a check digit, a duplicate).
struct Warning {
    std::function<QString()> question;
    QString focusColumn = {};
    int focusTab = -1;
};

class EditorBase : public QDialog {
    Q_OBJECT
public:
    EditorBase(DataModule& db, const QString& datasetName, const QString& keyColumn,
               const QString& caption, QWidget* parent = nullptr);

    Dataset& dataset() const { return *dataset_; }
    DataModule& db() const { return db_; }

    // True when an input was edited (even with a text that is no value) since the last save.
    bool isModified() const { return modified_; }
    void setModified(bool on) { modified_ = on; }
    bool saveFailed() const { return saveFailed_; }
    void setAnnullaVisible(bool on);
    bool isAnnullaVisible() const;
    // Selects the first tab (browsers and registers do it before showing).
    void selectFirstTab();
    QTabWidget* tabs() const { return tabs_; }

    // Runs the rules and saves; false when a rule failed or the archive refused the row.
    bool save();
    // "Indietro": saves when modified, closes unless the save failed.
    virtual void indietro();
    // "Annulla": deletes the row just added, asking nothing (deletes run silent meanwhile), and
    // closes; a screen may ask first (confirmAnnulla). An archive error is shown; the screen
    // closes all the same.
    void annulla();
    // Leaving without saving: "Annulla" for a row just added; otherwise the stored values come
    // back and the screen closes.
    virtual void discard();
    // Escape and the window's close button: with unsaved changes (or a row just added) the
    // question "Salvare le modifiche?" (Sì: indietro(), No: discard(), Annulla: stay, Sì by
    // default); without, the screen just closes through indietro().
    void leave();

    QWidget* field(const QString& column) const;
    QPushButton* indietroButton() const { return indietro_; }
    QPushButton* annullaButton() const { return annulla_; }

protected:
    // Building the form: beginForm() with the tab captions, then the fields above the tabs
    // (addTop) and on them (addTabbed, on each field's .tab) in reading order (the Tab and Enter
    // keys follow it), then finishForm(), which lines the fields up. Fields above the tabs stay
    // in sight whatever tab is shown; a form without them is all tabs.
    void beginForm(const QStringList& tabCaptions = {});
    void addTop(QList<Field> fields);
    void addTabbed(const QList<Field>& fields);
    // A widget of the screen's own (a grid, a button row) below the fields above the tabs, or
    // on a tab below its fields.
    void addTopWidget(QWidget* widget, int stretch = 0);
    void addWidget(int tab, QWidget* widget, int stretch = 0);
    void finishForm();
    void setRules(QList<Rule> rules) { rules_ = std::move(rules); }
    void setWarnings(QList<Warning> warnings) { warnings_ = std::move(warnings); }
    // Blocks written only while their "Includi" check box is ticked (those whose inputs are on
    // this screen): typing into or picking for one of their inputs ticks the block (and the block
    // it sits in); unticking a block that holds data asks whether to clear it (No by default: the
    // data stay, left out of the file).
    void setIncludedBlocks(const QList<IncludedBlock>& blocks);
    // The title of the rules' messages ("Messaggio di errore" unless a screen says otherwise).
    void setErrorTitle(const QString& title) { errorTitle_ = title; }
    // Runs before the rules (derived values) and after them (the row is about to be stored).
    virtual void beforeRules() {}
    virtual bool confirmSave() { return true; }
    // Stores the row; SaveRecord by default.
    virtual bool store(QString* error);
    // What "Annulla" deletes: the current row by default; screens whose row owns other rows
    // delete those too. Runs with silent deletes on; may throw DbError.
    virtual void deleteJustAdded();
    // Asked before "Annulla" deletes anything; true by default. A No keeps the screen open.
    virtual bool confirmAnnulla() { return true; }
    void fail(const QString& message, const QString& column, int tab = -1);
    void fail(const Rule& rule);
    // Shows the field's tab (or the tab given) and focuses the field.
    void showField(const QString& column, int tab = -1);
    // The shared "modified" hook of every bound input.
    void markModified() { modified_ = true; }
    void reject() override; // Escape and the close button: leave()
    void showEvent(QShowEvent* event) override;

    QString keyColumn_;

private:
    QWidget* makeInput(const Field& def);
    // A user change to an input of the block: ticks it and the blocks it sits in.
    void includeBlock(const QString& flag);
    // The block was unticked by the user: offers to clear what it and its inner blocks hold.
    void offerToClear(const IncludedBlock& block);
    void refreshInput(const QString& column);
    // A change not yet stored: the modified flag, or the row's edit buffer changed by code.
    bool hasUnsavedChanges() const;
    // True when this screen edits a row of a Document another workstation has deleted.
    bool documentGone() const;

    DataModule& db_;
    Dataset* dataset_;
    QTabWidget* tabs_;
    QList<QGridLayout*> tabLayouts_;
    int topPage_ = -1; // the page of the fields above the tabs until finishForm()
    QMap<QString, QWidget*> inputs_;
    QMap<QString, int> inputTabs_;
    QList<QWidget*> inputOrder_; // the fields in reading order
    QList<Rule> rules_;
    QList<Warning> warnings_;
    QString errorTitle_;
    QPushButton* indietro_;
    QPushButton* salva_;
    QPushButton* annulla_;
    FieldNavigator* navigator_;
    bool modified_ = false;
    bool saveFailed_ = false;
    QList<IncludedBlock> includedBlocks_;
};

} // namespace brevalto
