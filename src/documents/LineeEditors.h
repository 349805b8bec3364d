#pragma once
// The invoice line screen ("Linee fattura") and its three sub-screens: article codes, discounts
// and surcharges, other management data. The line screen edits the current row of the lines
// dataset; its tabs list the line's sub-rows, which the body editor loads when it opens a line.
#include "documents/DocumentiForm.h"

namespace brevalto {
class BoundNumberEdit;
}

namespace brevalto {

class LineeCodiciEditor : public DocumentiForm {
    Q_OBJECT
public:
    explicit LineeCodiciEditor(DataModule& db, QWidget* parent = nullptr);
};

class LineeScontiEditor : public DocumentiForm {
    Q_OBJECT
public:
    explicit LineeScontiEditor(DataModule& db, QWidget* parent = nullptr);
};

class LineeAltroEditor : public DocumentiForm {
    Q_OBJECT
public:
    explicit LineeAltroEditor(DataModule& db, QWidget* parent = nullptr);
};

// Registered for TablePA_FE_Body_DatiBeniServizi_DettaglioLinee.
class LineeEditor : public DocumentiForm {
    Q_OBJECT
public:
    explicit LineeEditor(DataModule& db, QWidget* parent = nullptr);

    enum SubKind { Codici = 0, Sconti = 1, Altro = 2 };
    DocumentiSubList* subList(SubKind kind) const { return lists_[kind]; }
    DocumentiForm* subScreen(SubKind kind) const { return screens_[kind]; }

    void addSubRow(SubKind kind);
    void openSubRow(SubKind kind);
    void removeSubRow(SubKind kind);
    // F2: the line total from quantity, unit price and the line's discounts.
    void computeTotal();
    // The quantity or price input whose text is no number, if any.
    const BoundNumberEdit* wrongFactor() const;

    // Deletes the line just added with its sub-rows and closes.
    void deleteJustAdded() override;

protected:
    bool confirmSave() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DocumentiSubList* lists_[3] = {};
    DocumentiForm* screens_[3] = {};
};

} // namespace brevalto
