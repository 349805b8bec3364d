#pragma once
// What the header editor's five screens share: they all edit the current Document
// (TablePA_FE_Header), show the party's identity above its tabs (or alone, when the screen has
// no tabs), fill CAP, province and country when a municipality is picked, and test their rules on
// the text a field shows.
#include "ui/EditorBase.h"

#include <functional>

class QLabel;
class QPushButton;

namespace brevalto {

class BoundLookup;

class HeaderForm : public EditorBase {
    Q_OBJECT
public:
    HeaderForm(DataModule& db, const QString& caption, QWidget* parent = nullptr);

    BoundLookup* lookup(const QString& column) const;
    // The caption beside a field.
    QLabel* labelOf(const QString& column) const;

protected:
    // Building the form: the tab captions first, then fields above the tabs and fields on them
    // in reading order, then finishForm().
    void beginForm(const QStringList& tabCaptions = {});
    void addTop(QList<FieldSpec> fields);
    void addTopWidget(QWidget* widget);
    void addTabbed(const QList<FieldSpec>& fields);
    void finishForm();
    // A tool button placed after "Indietro".
    QPushButton* addToolButton(const QString& objectName, const QString& caption);

    // The text a field shows: a pick list's shown text, otherwise the column's text. The rules
    // call a field "empty" when this has length 0.
    QString shown(const QString& column) const;
    bool isEmpty(const QString& column) const { return shown(column).isEmpty(); }
    int length(const QString& column) const { return int(shown(column).size()); }

    // Rule tests the party screens share.
    using Test = std::function<bool()>;
    Test missing(const QString& column) const;
    // Given but shorter than min: an empty field is another rule's business.
    Test tooShort(const QString& column, int min) const;
    // A test that applies only while the block's flag is on.
    Test inBlock(const QString& flag, Test test) const;

    // Picking a municipality in comune fills the address's CAP and province from it, and its
    // country with the municipality's country ("IT" when it has none).
    void bindMunicipality(const QString& comune, const QString& cap, const QString& provincia,
                          const QString& nazione);

private:
    int topPage_ = -1;
    QList<QWidget*> readingOrder_;
};

} // namespace brevalto
