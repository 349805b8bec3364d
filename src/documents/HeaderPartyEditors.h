#pragma once
// The party screens of the header editor. Each edits the Document's own copy of one party
// (columns of the current TablePA_FE_Header row); the seller and buyer screens copy a party from
// the master data when one is picked, after which the copy is edited freely.
#include "documents/HeaderForm.h"
#include "logic/Parties.h"

#include <functional>

class QToolButton;

namespace brevalto {

// "Cedente Prestatore" (TfrmModifica_PA_Header_CedentePrestatore).
class HeaderCedenteEditor : public HeaderForm {
    Q_OBJECT
public:
    explicit HeaderCedenteEditor(DataModule& db, QWidget* parent = nullptr);

    // "Cambia Cedente - Prestatore" with its caption: shown only when several sellers are kept.
    QWidget* sellerSelector() const;
    QWidget* sellerSelectorLabel() const;

    // Copies the current seller of TablePA_CedentePrestatore into the Document.
    void copySeller();
};

// "Cessionario - Committente" (TfrmModifica_PA_Header_CessionarioCommittente).
class HeaderCessionarioEditor : public HeaderForm {
    Q_OBJECT
public:
    explicit HeaderCessionarioEditor(DataModule& db, QWidget* parent = nullptr);

    // Shows the body register of the current Document modally; set by the main window. While
    // unset, "Avanti" saves and closes.
    std::function<void()> openBodyRegister;
    // Runs the customer browser's "Aggiungi"; the button that asks for it stays disabled until
    // this is set.
    void setAddCustomer(std::function<void()> add);

    // "Avanti": saves when modified and, unless the save failed, opens the body register.
    void avanti();
    // Copies the current buyer of TablePA_CessionarioCommittente into the Document.
    void copyBuyer();

    QPushButton* avantiButton() const { return avanti_; }
    QToolButton* newCustomerButton() const { return newCustomer_; }

protected:
    void beforeRules() override;
    bool confirmSave() override;

private:
    QPushButton* avanti_;
    QToolButton* newCustomer_;
    std::function<void()> addCustomer_;
};

// The seller's fiscal representative and the intermediary share one screen shape: an "Includi"
// switch and a party's identity fields, checked only when the switch is on.
class HeaderSoggettoEditor : public HeaderForm {
    Q_OBJECT
protected:
    HeaderSoggettoEditor(DataModule& db, const QString& caption, const PartyBlock& block,
                         QWidget* parent);
};

// "Rappresentante Fiscale" (TfrmModifica_PA_Header_RappresentanteFiscale).
class HeaderRappresentanteEditor : public HeaderSoggettoEditor {
    Q_OBJECT
public:
    explicit HeaderRappresentanteEditor(DataModule& db, QWidget* parent = nullptr);
};

// "Terzo Intermediario o Soggetto Emittente" (TfrmModifica_PA_Header_TerzoIntermediario).
class HeaderTerzoIntermediarioEditor : public HeaderSoggettoEditor {
    Q_OBJECT
public:
    explicit HeaderTerzoIntermediarioEditor(DataModule& db, QWidget* parent = nullptr);
};

} // namespace brevalto
