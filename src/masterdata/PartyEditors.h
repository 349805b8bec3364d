#pragma once
// The master records of the parties a Document names: the seller, the customer, the seller's
// fiscal representative, the intermediary and the carrier. Each edits the current row of its
// shared dataset; the document register and the header screens copy these rows into a Document.
#include "ui/FormEditor.h"

#include <functional>

namespace brevalto {

// What the party editors share: the eight identity fields (country, VAT number, tax code, company
// name, surname, name, title, EORI code) with the lengths the FatturaPA format admits, their
// rules, and the warnings about a VAT number or tax code that looks wrong or that another record
// already has.
class PartyEditor : public FormEditor {
    Q_OBJECT
public:
    using FormEditor::FormEditor;

protected:
    // Stored with a new read of the table, so that the names other screens list a party under
    // (computed by the query) show the new values at once.
    bool store(QString* error) override;

    // The identity columns of a table: prefix + IdPaese, IdCodice, CodiceFiscale, Denominazione,
    // Cognome, Nome, Titolo and the EORI column.
    struct Identity {
        QString country, vat, taxCode, name, surname, firstName, title, eori;
    };
    static Identity identity(const QString& prefix, const QString& eoriColumn = "CodEORI");
    // The fields in reading order, with help numbers under the FatturaPA block helpRoot
    // ("1.2.1": 1.2.1.1.1 for the country ... 1.2.1.3.5 for the EORI code).
    static QList<Field> identityFields(const Identity& id, const QString& helpRoot);

    // Company name, surname and name all empty (one of them suffices).
    Rule namesMissing(const Identity& id, int tab = -1) const;
    // Tax code of 1 to 10 characters, title of 1, EORI code of 1 to 12.
    QList<Rule> lengthRules(const Identity& id) const;
    // The same rules, checked only while the flag column is on.
    QList<Rule> whileFlag(const QString& flag, QList<Rule> rules) const;

    // An Italian VAT number or a tax code whose check character is wrong, and (with the party's
    // name for messages, "il Cessionario - Committente") a VAT number or tax code another row of
    // the table already has. Asked only for a value that differs from the stored one, so a record
    // accepted once is not questioned at every save.
    QList<Warning> identityWarnings(const Identity& id, const QString& duplicateOf = {}) const;

private:
    QString storedText(const QString& column) const;
    QString duplicateQuestion(const Identity& id, const QString& party) const;
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
                   const QString& caption, const QString& flag, const QString& prefix,
                   const QString& helpRoot, bool vatRequired, QWidget* parent);

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
