#pragma once
// The screens of the documents a body refers to: purchase orders, contracts, agreements,
// receipts and related invoices (one design), delivery notes, work-progress stages, and the line
// references of the first six with their line picker.
#include "documents/DocumentiForm.h"

namespace brevalto {

class CercaLineePicker;

enum class DocumentiKind {
    OrdineAcquisto,
    Contratto,
    Convenzione,
    Ricezione,
    FattureCollegate,
    DDT
};

namespace documenti {
// "DatiOrdineAcquisto", ..., "DatiDDT".
QString block(DocumentiKind kind);
// The table of the kind ("PA_FE_Body_DatiContratto") and of its line references.
QString table(DocumentiKind kind);
QString referenceTable(DocumentiKind kind);
// The column of a line reference that holds its document's key.
QString parentKey(DocumentiKind kind);
// Loads the line references of the current row of the kind's dataset.
void requeryReferences(DataModule& db, DocumentiKind kind);
// Deletes the current row of the kind's dataset with its line references, without asking.
void deleteCurrentWithReferences(DataModule& db, DocumentiKind kind);
} // namespace documenti

// One line reference: the line number typed or picked with "Cerca".
class DocumentiRiferimentoLineaEditor : public DocumentiForm {
    Q_OBJECT
public:
    DocumentiRiferimentoLineaEditor(DataModule& db, DocumentiKind kind, QWidget* parent = nullptr);

    // "Cerca": the body's lines in the picker; the line picked fills the number and the line key.
    void cerca();
    CercaLineePicker* picker();
    void setPicker(CercaLineePicker* picker) { picker_ = picker; }

private:
    CercaLineePicker* picker_ = nullptr;
};

// A document reference or a delivery note, with its grid of line references: one screen per
// kind, each on its kind's dataset.
class DocumentiRiferimentoEditor : public DocumentiForm {
    Q_OBJECT
public:
    DocumentiRiferimentoEditor(DataModule& db, DocumentiKind kind, QWidget* parent = nullptr);

    DocumentiKind kind() const { return kind_; }
    DocumentiSubList* referenceList() const { return list_; }
    DocumentiRiferimentoLineaEditor* referenceScreen() const { return detail_; }

    void addReference();
    void openReference();
    void removeReference();

    // Deletes the row just added with its line references and closes.
    void deleteJustAdded() override;

private:
    DocumentiKind kind_;
    DocumentiSubList* list_;
    DocumentiRiferimentoLineaEditor* detail_;
};

// Registered for TablePA_FE_Body_DatiSAL.
class DocumentiSALEditor : public DocumentiForm {
    Q_OBJECT
public:
    explicit DocumentiSALEditor(DataModule& db, QWidget* parent = nullptr);
};

} // namespace brevalto
