#pragma once
// The VAT summary screen ("Dati riepilogo"): one summary row of the body, with "calcola" for the
// tax from the rate and the taxable amount.
#include "documents/DocumentiForm.h"

namespace brevalto {

// Registered for TablePA_FE_Body_DatiBeniServizi_DatiRiepilogo.
class RiepilogoEditor : public DocumentiForm {
    Q_OBJECT
public:
    explicit RiepilogoEditor(DataModule& db, QWidget* parent = nullptr);
    // "calcola": the tax of the rate on the taxable amount, rounded to cents.
    void calcola();
    QPushButton* calcolaButton() const { return calcola_; }

private:
    QPushButton* calcola_;
};

} // namespace brevalto
