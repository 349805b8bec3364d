// The parties' save rules over a row's values, without a screen: each rule once, over every party
// block that has it (the master-data editors, the Document's screens and the body's carrier run
// these same lists).
#include "check/RecipientCode.h"
#include "logic/Parties.h"

#include <gtest/gtest.h>

using namespace brevalto;

namespace {

using F = IdentityField;

// A block whose identity is complete: a company with an Italian VAT number, its switches on.
ValueRow validIdentity(const PartyBlock& block) {
    ValueRow row;
    for (const QString& flag : block.flags)
        row.set(flag, true);
    row.set(block.column(F::Country), "IT");
    row.set(block.column(F::Vat), "01234567897");
    row.set(block.column(F::Name), "Alfa Srl");
    return row;
}

struct Failure {
    QString message;
    QString focus;
};

Failure firstOf(const QList<RowRule>& rules, const RowValues& row) {
    const RowRule* failed = firstFailure(rules, row);
    if (!failed)
        return {};
    return {failed->message,
            failed->focusColumn.isEmpty() ? failed->showColumn : failed->focusColumn};
}

} // namespace

TEST(PartyRules, IdentityRulesHoldOnEveryBlock) {
    const QList<PartyBlock> blocks = {party::seller(),         party::buyer(),
                                      party::representative(), party::intermediary(),
                                      party::carrier(),        party::bodyCarrier()};
    struct Case {
        const char* what;
        QList<std::pair<F, QString>> change;
        QString message; // empty: the identity passes
        F focus;
    };
    const QList<Case> cases = {
        {"valid", {}, "", F::Country},
        {"tax code of 10",
         {{F::TaxCode, "0123456789"}},
         "Attenzione il Codice fiscale deve essere di almeno 11 caratteri",
         F::TaxCode},
        {"tax code of 11", {{F::TaxCode, "01234567897"}}, "", F::TaxCode},
        {"title of 1",
         {{F::Title, "D"}},
         "Attenzione il Titolo deve essere di almeno 2 caratteri",
         F::Title},
        {"EORI of 12",
         {{F::Eori, "IT1234567890"}},
         "Attenzione il codice EORI deve essere di almeno 13 caratteri",
         F::Eori},
        {"EORI of 13", {{F::Eori, "IT12345678901"}}, "", F::Eori},
        {"surname alone", {{F::Name, ""}, {F::Surname, "Rossi"}}, "", F::Name},
        {"a blank is a name", {{F::Name, " "}}, "", F::Name},
        {"no name",
         {{F::Name, ""}},
         "Attenzione manca la Ragione sociale oppure Nome e Cognome",
         F::Name},
        {"VAT number without country",
         {{F::Country, ""}},
         "Attenzione manca la Nazione",
         F::Country},
    };
    for (const PartyBlock& block : blocks) {
        for (const Case& c : cases) {
            ValueRow row = validIdentity(block);
            for (const auto& [field, value] : c.change)
                row.set(block.column(field), value);
            const Failure failed = firstOf(identityRules(block), row);
            const QString what = block.prefix + ": " + c.what;
            EXPECT_EQ(failed.message, c.message.isEmpty() || c.message.contains("deve essere")
                                          ? c.message
                                          : c.message + block.whose)
                << what.toStdString();
            if (!c.message.isEmpty()) {
                EXPECT_EQ(failed.focus, block.column(c.focus)) << what.toStdString();
            }
            // A block left out (any of its switches off) is not checked.
            for (const QString& flag : block.flags) {
                row.set(flag, false);
                EXPECT_EQ(firstOf(identityRules(block), row).message, "") << what.toStdString();
                row.set(flag, true);
            }
        }
    }
}

TEST(PartyRules, WhatIdentifiesAPartyDependsOnTheParty) {
    // Without a VAT number: the seller, the representative and the carriers need one; the buyer
    // and the intermediary may be known by tax code, the buyer by one of the two at least.
    const struct {
        PartyBlock block;
        QString taxCode;
        QString message;
    } cases[] = {
        {party::seller(), "RSSMRA80A01H501U", "Attenzione manca la Partita Iva"},
        {party::representative(), "RSSMRA80A01H501U", "Attenzione manca la Partita Iva"},
        {party::carrier(), "RSSMRA80A01H501U", "Attenzione manca la Partita Iva"},
        {party::bodyCarrier(), "RSSMRA80A01H501U", "Attenzione manca la Partita Iva del Vettore"},
        {party::intermediary(), "", ""},
        {party::buyer(), "RSSMRA80A01H501U", ""},
        {party::buyer(), "", "Attenzione Manca o il codice fiscale oppure la partita Iva"},
    };
    for (const auto& c : cases) {
        ValueRow row = validIdentity(c.block);
        row.set(c.block.column(F::Vat), "");
        row.set(c.block.column(F::Country), "");
        row.set(c.block.column(F::TaxCode), c.taxCode);
        const Failure failed = firstOf(identityRules(c.block), row);
        EXPECT_EQ(failed.message, c.message) << c.block.prefix.toStdString();
        if (!c.message.isEmpty()) {
            EXPECT_EQ(failed.focus, c.block.column(F::Vat)) << c.block.prefix.toStdString();
        }
    }
}

TEST(PartyRules, RecipientCodeFollowsTheKindOfRecipient) {
    const QString p = "CessionarioCommittente_", code = "DatiTrasmissione_CodiceDestinatario";
    const struct {
        bool administration;
        QString code, pec, message;
    } cases[] = {
        {true, "UFABCD", "", ""},
        {true, "", "ente@pec.it", "Attenzione manca il codice destinatario - codice univoco"},
        {true, "ABC1234", "",
         "Attenzione il codice destinatario di una Pubblica Amministrazione (codice univoco "
         "ufficio) deve essere di 6 caratteri"},
        {false, "ABC1234", "", ""},
        {false, "", "beta@pec.it", ""},
        {false, "", "", "Attenzione manca il codice destinatario accreditato sdi - o la pec"},
        {false, "UFABCD", "",
         "Attenzione il codice destinatario deve essere di 7 caratteri (0000000 per chi riceve "
         "con la PEC o non è accreditato)"},
    };
    for (const auto& c : cases) {
        ValueRow row = validIdentity(party::buyer());
        row.set(p + "Sede_Indirizzo", "Via Po");
        row.set(p + "Sede_CAP", "10100");
        row.set(p + "Sede_Comune", "Torino");
        row.set(p + "Sede_Nazione", "IT");
        row.set(p + "PubblicaAmministrazione", c.administration);
        row.set(code, c.code);
        row.set(p + "Pec", c.pec);
        EXPECT_EQ(firstOf(buyerRules(code), row).message, c.message) << c.code.toStdString();
        // The check of a file finds a code of the other kind of recipient.
        EXPECT_EQ(isOtherKindOfRecipientCode(c.administration, c.code),
                  c.code.size() == (c.administration ? 7 : 6))
            << c.code.toStdString();
    }
}

TEST(PartyRules, CustomerNamesAndTransmissionFormat) {
    const QString p = "CessionarioCommittente_";
    const struct {
        const char *name, *surname, *firstName, *taxCode, *listed, *printed;
    } cases[] = {
        {"Bianchi Spa", "Rossi", "Mario", "RSSMRA80A01H501U", "Bianchi Spa", "Bianchi Spa"},
        {"X", "Rossi", "Mario", "RSSMRA80A01H501U", "Rossi Mario - RSSMRA80A01H501U",
         "Rossi Mario"},
        {"", "Rossi", "Mario", "", "Rossi Mario", "Rossi Mario"},
    };
    for (const auto& c : cases) {
        const ValueRow row{{p + "Denominazione", c.name},
                           {p + "Cognome", c.surname},
                           {p + "Nome", c.firstName},
                           {p + "CodiceFiscale", c.taxCode}};
        const CustomerNames names = customerNames(row);
        EXPECT_EQ(names.listed, c.listed);
        EXPECT_EQ(names.printed, c.printed);
    }
    EXPECT_EQ(transmissionFormat(true), "FPA12");
    EXPECT_EQ(transmissionFormat(false), "FPR12");
}
