#pragma once
// The base of every record editor. A concrete editor is mostly two tables: its fields (label,
// column, control, pick list, help number, maximum length, tab) and its save rules in order
// (condition, message, field). The base builds the form, keeps the "modified" and "save failed"
// flags, runs the rules, saves through the shared routines and offers "Indietro", "Salva" (hidden)
// and "Annulla" (shown only for a row just added).
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

struct FieldSpec {
    QString label;
    QString column;
    FieldControl control = FieldControl::Text;
    int tab = 0;
    int maxLength = 0;
    QString helpCode;    // FatturaPA element number shown on the help button
    QString listDataset; // pick lists: the shared dataset of the list
    QString listKey;     // its key column (stored)
    QString listDisplay; // its shown column
    bool upperCase = false;
    bool readOnly = false;
};

struct RuleSpec {
    std::function<bool()> fails; // true when the row breaks the rule
    QString message;
    QString focusColumn; // the field to show and focus; its tab is selected
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
    // "Annulla": deletes the row just added and closes.
    virtual void annulla();
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
    // Builds the form: tab captions, then the field table.
    void setTabs(const QStringList& captions);
    void addFields(const QList<FieldSpec>& fields);
    // A widget of the screen's own (a grid, a button row) placed on a tab below its fields.
    void addWidget(int tab, QWidget* widget, int stretch = 0);
    void setRules(QList<RuleSpec> rules) { rules_ = std::move(rules); }
    // Runs before the rules (derived values) and after them (the row is about to be stored).
    virtual void beforeRules() {}
    virtual bool confirmSave() { return true; }
    // Stores the row; SaveRecord by default.
    virtual bool store(QString* error);
    void fail(const QString& message, const QString& column);
    // The shared "modified" hook of every bound input.
    void markModified() { modified_ = true; }
    void reject() override; // Escape and the close button: leave()
    void showEvent(QShowEvent* event) override;

    QString keyColumn_;

private:
    QWidget* makeInput(const FieldSpec& def);
    // A change not yet stored: the modified flag, or the row's edit buffer changed by code.
    bool hasUnsavedChanges() const;
    // True when this screen edits a row of a Document another workstation has deleted.
    bool documentGone() const;

    DataModule& db_;
    Dataset* dataset_;
    QTabWidget* tabs_;
    QList<QGridLayout*> tabLayouts_;
    QMap<QString, QWidget*> inputs_;
    QMap<QString, int> inputTabs_;
    QList<QWidget*> inputOrder_; // the fields in the order they were added
    QList<RuleSpec> rules_;
    QPushButton* indietro_;
    QPushButton* salva_;
    QPushButton* annulla_;
    FieldNavigator* navigator_;
    bool modified_ = false;
    bool saveFailed_ = false;
};

} // namespace brevalto
