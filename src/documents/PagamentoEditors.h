#pragma once
// The payment screens: a term ("Dati pagamento") with its list of instalments, and one
// instalment ("Dettagli Pagamento").
#include "documents/DocumentiForm.h"

namespace brevalto {

class PagamentoDettaglioEditor : public DocumentiForm {
    Q_OBJECT
public:
    explicit PagamentoDettaglioEditor(DataModule& db, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Registered for TablePA_FE_Body_DatiPagamento; the body editor loads the term's instalments
// into TablePA_FE_Body_DatiPagamento_Dettaglio before showing it.
class PagamentoEditor : public DocumentiForm {
    Q_OBJECT
public:
    explicit PagamentoEditor(DataModule& db, QWidget* parent = nullptr);

    DocumentiSubList* instalmentList() const { return list_; }
    PagamentoDettaglioEditor* instalmentScreen() const { return detail_; }

    // A new instalment with the proposal, then its screen.
    void addInstalment();
    void openInstalment();
    void removeInstalment();

    // Deletes the term just added with its instalments and closes.
    void deleteJustAdded() override;
    // A term without instalments is not left as it is, changed or not (a new term holds the
    // proposed conditions only): the missing instalment is said and one is started.
    void indietro() override;

protected:
    bool confirmSave() override;

private:
    DocumentiSubList* list_;
    PagamentoDettaglioEditor* detail_;
};

} // namespace brevalto
