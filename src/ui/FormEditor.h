#pragma once
// An editor whose form has fields above its tabs (the identity of the row, always in sight) and
// fields or grids on the tabs, extra tool buttons beside "Indietro", and rules written on the text
// a field shows. Most record screens of the program are built this way.
#include "ui/EditorBase.h"

#include <functional>

class QLabel;
class QPushButton;

namespace brevalto {

class BoundLookup;

class FormEditor : public EditorBase {
    Q_OBJECT
public:
    using EditorBase::EditorBase;

    BoundLookup* lookup(const QString& column) const;
    // The caption beside a field.
    QLabel* labelOf(const QString& column) const;
    // The text a field shows: a pick list's shown text, otherwise the input's text.
    QString shown(const QString& column) const;

protected:
    // Building the form: the tab captions first, then the fields above the tabs and on them in
    // reading order (the Tab and Enter keys follow it), then finishForm().
    void beginForm(const QStringList& tabCaptions = {});
    void addTop(QList<Field> fields);
    void addTopWidget(QWidget* widget, int stretch = 0);
    void addTabbed(const QList<Field>& fields);
    void finishForm();
    // A tool button placed after "Indietro" that runs the action when clicked. The action runs
    // guarded: an archive error it throws is shown to the user.
    QPushButton* addToolButton(const QString& objectName, const QString& caption,
                               std::function<void()> action);
    // A button on the row of a field, after its help button; its action runs guarded as well.
    QPushButton* addButtonBeside(const QString& column, const QString& objectName,
                                 const QString& caption, std::function<void()> action);
    // Any widget there.
    void placeBeside(const QString& column, QWidget* widget);

    // Picking a municipality in comune fills the address's CAP and province from it, and its
    // country with the municipality's country ("IT" when it has none).
    void bindMunicipality(const QString& comune, const QString& cap, const QString& provincia,
                          const QString& nazione);
    // The same filling from the municipality current in TableComuni.
    void fillFromMunicipality(const QString& cap, const QString& provincia, const QString& nazione);

    // Rules call a field "empty" when the text it shows has length 0.
    bool isEmpty(const QString& column) const { return shown(column).isEmpty(); }
    int length(const QString& column) const { return int(shown(column).size()); }
    // The tests rules are written with (logic/RowRules.h): over the row's values, never a widget.
    using Test = RowTest;
    static Test missing(const QString& column) { return rules::missing(column); }
    // Given but shorter than min: an empty field is another rule's business.
    static Test tooShort(const QString& column, int min) { return rules::tooShort(column, min); }
    // A test that applies only while the block's flag is on.
    static Test inBlock(const QString& flag, Test test) {
        return rules::whileOn({flag}, std::move(test));
    }

private:
    int topPage_ = -1;
    QList<QWidget*> readingOrder_;
};

} // namespace brevalto
