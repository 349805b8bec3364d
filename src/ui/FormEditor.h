#pragma once
// An editor with the kit's extras: tool buttons beside "Indietro" and beside a field, the text a
// field shows, the municipality pick that fills an address, and the tests rules are written
// with. Most record screens of the program are built on it.
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
};

} // namespace brevalto
