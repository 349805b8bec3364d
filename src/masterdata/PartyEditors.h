#pragma once
// The master records of the parties a Document names: the seller, the customer, the seller's
// fiscal representative, the intermediary and the carrier. Each edits the current row of its
// shared dataset; the document register and the header screens copy these rows into a Document.
#include "logic/Parties.h"
#include "ui/FormEditor.h"

#include <functional>

namespace brevalto {

// What the party editors share beyond the party's description (logic/Parties.h): the warnings
// about a VAT number or tax code that looks wrong or that another record already has.
class PartyEditor : public FormEditor {
    Q_OBJECT
public:
    using FormEditor::FormEditor;

protected:
    // Stored with a new read of the table, so that the names other screens list a party under
    // (computed by the query) show the new values at once.
    bool store(QString* error) override;

    // An Italian VAT number or a tax code whose check character is wrong, and (with the party's
    // name for messages, "il Cessionario - Committente") a VAT number or tax code another row of
    // the table already has. Asked only for a value that differs from the stored one, so a record
    // accepted once is not questioned at every save, and only while the block's flags are on.
    QList<Warning> identityWarnings(const PartyBlock& block, const QString& duplicateOf = {}) const;

private:
    QString storedText(const QString& column) const;
    QString duplicateQuestion(const PartyBlock& block, const QString& party) const;
};

// "Cedente - Prestatore" (TfrmModificaCedentePrestatore): a seller, with six tabs.
class CedenteEditor : public PartyEditor {
    Q_OBJECT
public:
    explicit CedenteEditor(DataModule& db, QWidget* parent = nullptr);
};

// "Cessionario - Committente" (TfrmModificaCessionarioCommittente): a customer. Its save writes
// the two names the customer is listed and printed under.
class CessionarioEditor : public PartyEditor {
    Q_OBJECT
public:
    explicit CessionarioEditor(DataModule& db, QWidget* parent = nullptr);
    QPushButton* cercaPaButton() const { return cercaPa_; }
    // The public-administration finder, reset and shown modally by "Cerca P.A."; the button is
    // enabled once a finder is given.
    void setFinder(std::function<void()> showFinder);
    // "Cerca P.A.": asks first, since the finder may overwrite this customer, then shows the
    // finder; its result is closed afterwards whatever the answer.
    void cercaPa();

protected:
    bool confirmSave() override;

private:
    QPushButton* cercaPa_;
    std::function<void()> showFinder_;
};

// The fiscal representative and the intermediary: one row each, an "Includi" switch and the eight
// identity fields, checked only while the switch is on.
class SoggettoEditor : public PartyEditor {
    Q_OBJECT
public:
    // The switch column ("RappresentanteFiscale").
    QString flagColumn() const { return flag_; }

protected:
    SoggettoEditor(DataModule& db, const QString& dataset, const QString& key,
                   const QString& caption, const PartyBlock& block, QWidget* parent);

private:
    QString flag_;
};

// "Rappresentante Fiscale" (TfrmModificaRappresentanteFiscale).
class RappresentanteFiscaleEditor : public SoggettoEditor {
    Q_OBJECT
public:
    explicit RappresentanteFiscaleEditor(DataModule& db, QWidget* parent = nullptr);
};

// "Terzo Intermediario" (TfrmModificaTerzoIntermediario).
class TerzoIntermediarioEditor : public SoggettoEditor {
    Q_OBJECT
public:
    explicit TerzoIntermediarioEditor(DataModule& db, QWidget* parent = nullptr);
};

// "Vettori" (TfrmModificaVettori): a carrier.
class VettoreEditor : public PartyEditor {
    Q_OBJECT
public:
    explicit VettoreEditor(DataModule& db, QWidget* parent = nullptr);
};

} // namespace brevalto
