#pragma once
// Inputs bound to one column of a Dataset's current row. They show the row's value, follow the
// cursor, and on every user change put the row in edit state, write the edit buffer and emit
// edited() (editors use it for their "modified" flag).
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <functional>

#include "store/Dataset.h"

namespace brevalto {

// What every bound input shares: the dataset, the column, and the guard that keeps a refresh
// from being taken for a user edit.
class Binding {
public:
    Binding(QWidget* widget, Dataset* dataset, const QString& column);
    virtual ~Binding() = default;
    Dataset* dataset() const { return dataset_; }
    QString column() const { return column_; }
    // Shows the value of the current row.
    virtual void refresh() = 0;
    // What is wrong with the text the input shows ("Importo non valido: € 5x"); empty when it
    // shows a value the row can hold. A wrong text is kept, framed in red, and never stored.
    virtual QString problem() const { return {}; }
    // Shows the stored value again, dropping whatever the user typed (a discarded edit).
    virtual void revert() { refresh(); }

protected:
    // Writes a user change into the row (entering edit state first) and reports it.
    void write(const QVariant& value);
    virtual void notifyEdited() = 0;
    QVariant current() const;
    bool refreshing_ = false;

private:
    QPointer<Dataset> dataset_;
    QString column_;
};

class BoundLineEdit : public QLineEdit, public Binding {
    Q_OBJECT
public:
    BoundLineEdit(Dataset* dataset, const QString& column, QWidget* parent = nullptr);
    void refresh() override;
    void setUpperCase(bool on) { upper_ = on; }
    // Spaces typed or pasted are dropped; typing only a space changes nothing.
    void setNoSpaces(bool on) { noSpaces_ = on; }
Q_SIGNALS:
    void edited();

protected:
    void notifyEdited() override { Q_EMIT edited(); }

private:
    bool upper_ = false;
    bool noSpaces_ = false;
};

// A line edit whose text must read as a value of its column. A text that does not is kept as
// typed, framed in red with the reason as tooltip, and the row keeps its last good value until
// the text is mended; editors refuse to save while any input has a problem().
class CheckedLineEdit : public QLineEdit, public Binding {
    Q_OBJECT
public:
    CheckedLineEdit(Dataset* dataset, const QString& column, QWidget* parent = nullptr);
    QString problem() const override;
    bool isInvalid() const { return invalid_; }
    void refresh() override;
    void revert() override;
Q_SIGNALS:
    void edited();

protected:
    void notifyEdited() override { Q_EMIT edited(); }
    // Reads a text into a value; false when the text is no value of this input.
    virtual bool read(const QString& text, QVariant* value) const = 0;
    // The text shown for a stored value.
    virtual QString show(const QVariant& value) const = 0;
    // The message for a text read() refuses, e.g. "Importo non valido: %1".
    virtual QString invalidMessage() const = 0;

private:
    void setInvalid(bool on);
    bool invalid_ = false;
    QString ownToolTip_; // the screen's tooltip, shown again once the text is valid
    QVariant heldValue_; // the row's value and position when the text went wrong
    int heldPosition_ = -1;
};

// A number read by parseNumberText ("," or "." as the decimal mark, "1.250" is 1250); empty means
// null. Shown without thousands separators, with the locale's decimal mark, so that the shown text
// reads back as the same value; on leaving the field the text becomes the value read ("1.250"
// shows 1250), so the user sees what was understood. An amount may carry a euro sign, which is
// dropped.
class BoundNumberEdit : public CheckedLineEdit {
    Q_OBJECT
public:
    BoundNumberEdit(Dataset* dataset, const QString& column, bool integer,
                    QWidget* parent = nullptr);
    static bool parse(const QString& text, bool integer, QVariant* value);
    // The text shown for a value: no thousands separator, the locale's "," or "."; a "." that
    // parse() would take for a thousands mark gets a trailing 0 ("1.1250" for 1.125).
    static QString format(const QVariant& value, bool integer);

protected:
    bool read(const QString& text, QVariant* value) const override {
        return parse(text, integer_, value);
    }
    void focusOutEvent(QFocusEvent* event) override;
    QString show(const QVariant& value) const override { return format(value, integer_); }
    QString invalidMessage() const override;

private:
    bool integer_;
};

// A date typed as dd/mm/yyyy (also d/m/yy); empty means null. With withTime, "dd/mm/yyyy hh:mm".
class BoundDateEdit : public CheckedLineEdit {
    Q_OBJECT
public:
    BoundDateEdit(Dataset* dataset, const QString& column, bool withTime = false,
                  QWidget* parent = nullptr);
    static bool parse(const QString& text, bool withTime, QVariant* value);

protected:
    bool read(const QString& text, QVariant* value) const override {
        return parse(text, withTime_, value);
    }
    QString show(const QVariant& value) const override;
    QString invalidMessage() const override;

private:
    bool withTime_;
};

class BoundMemo : public QPlainTextEdit, public Binding {
    Q_OBJECT
public:
    BoundMemo(Dataset* dataset, const QString& column, QWidget* parent = nullptr);
    void refresh() override;
    void setMaxLength(int length) { maxLength_ = length; }
Q_SIGNALS:
    void edited();

protected:
    void notifyEdited() override { Q_EMIT edited(); }

private:
    int maxLength_ = 0;
};

class BoundCheckBox : public QCheckBox, public Binding {
    Q_OBJECT
public:
    BoundCheckBox(Dataset* dataset, const QString& column, const QString& text,
                  QWidget* parent = nullptr);
    void refresh() override;
Q_SIGNALS:
    void edited();

protected:
    void notifyEdited() override { Q_EMIT edited(); }
};

// A pick list: shows the display column of the list row whose key equals the bound value (nothing
// when none does) and stores the key of the row picked. Backspace or Delete empties the column.
class BoundLookup : public QComboBox, public Binding {
    Q_OBJECT
public:
    BoundLookup(Dataset* dataset, const QString& column, Dataset* list, const QString& keyColumn,
                const QString& displayColumn, QWidget* parent = nullptr);
    void refresh() override;
    Dataset* list() const { return list_; }
    // Rebuilds the items from the list dataset (done on its changes too).
    void reload();
    // Re-reads the list dataset when another workstation changed the archive (keeping its
    // current row); its items follow. Done when the list is opened and when its screen is shown.
    // A list whose opening was deferred is opened here.
    void refreshList();
    void showPopup() override;
    // The list has a row with this key (a list whose opening was deferred is opened).
    bool holds(const QString& key);
    // Keys no longer valid for a new choice: their items are shown marked "non più valida" and
    // only while the row holds them; they cannot be picked.
    void setRetired(const QStringList& keys);
    // The text shown when the row holds a key the list no longer has (a record deleted since):
    // without it the input shows nothing. Asked at each refresh.
    std::function<QString()> missingText;
Q_SIGNALS:
    void edited();
    // A row of the list was picked; the list dataset stands on it.
    void picked();
    void cleared();

protected:
    void notifyEdited() override { Q_EMIT edited(); }
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showRetired(int current);

    QPointer<Dataset> list_;
    QString keyColumn_;
    QString displayColumn_;
    QStringList retired_;
};

} // namespace brevalto
