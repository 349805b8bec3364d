#pragma once
// Save rules as functions over the values of a row. A rule reads the row (a Document, a party, a
// line: whatever the screen edits, the command line reads or an import builds), never a widget;
// when it fails it names its message and the field to focus, and the screen only shows the one
// and focuses the other.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

namespace brevalto {

class Dataset;

// The values of one row as rules read them: a column's text (empty for null) and flags.
class RowValues {
public:
    virtual ~RowValues() = default;
    virtual QString text(const QString& column) const = 0;
    virtual bool flag(const QString& column) const = 0;
    bool isEmpty(const QString& column) const { return text(column).isEmpty(); }
    int length(const QString& column) const { return int(text(column).size()); }
    // The column as a number is read from it (Decimal::fromVariant): null when empty.
    QVariant numeric(const QString& column) const {
        const QString t = text(column);
        return t.isEmpty() ? QVariant() : QVariant(t);
    }
};

// A row given as values by column (names in any letter case).
class ValueRow : public RowValues {
public:
    ValueRow() = default;
    ValueRow(std::initializer_list<std::pair<QString, QVariant>> values);
    void set(const QString& column, const QVariant& value);
    QString text(const QString& column) const override;
    bool flag(const QString& column) const override;

private:
    QHash<QString, QVariant> values_;
};

// The current row of a dataset (its edit buffer while it is edited).
class DatasetRow : public RowValues {
public:
    explicit DatasetRow(const Dataset& dataset) : dataset_(dataset) {}
    QString text(const QString& column) const override;
    bool flag(const QString& column) const override;

private:
    const Dataset& dataset_;
};

using RowTest = std::function<bool(const RowValues&)>;

// One save rule: when fails() holds, the save stops with message and focusColumn is focused (its
// tab shown). A rule about no single field shows the tab given, or the tab of showColumn.
struct RowRule {
    RowTest fails;
    QString message;
    QString focusColumn = {};
    int focusTab = -1;
    QString showColumn = {};
};

// The first rule that fails on the row, in order.
const RowRule* firstFailure(const QList<RowRule>& rules, const RowValues& row);
// Every message of the rules that fail, in order (what a command-line check prints).
QStringList failures(const QList<RowRule>& rules, const RowValues& row);

namespace rules {

// The column's text is empty.
RowTest missing(const QString& column);
// Given but shorter than min: an empty field is another rule's business.
RowTest tooShort(const QString& column, int min);
// The test, only while every flag is on (a block included with its "Includi").
RowTest whileOn(const QStringList& flags, RowTest test);
// Every rule of the list, only while every flag is on.
QList<RowRule> whileOn(const QStringList& flags, QList<RowRule> list);
// Given but other than "SI" in any letter case: a yes-or-nothing flag of the file.
RowTest notSi(const QString& column);

} // namespace rules

} // namespace brevalto
