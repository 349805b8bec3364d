#pragma once
// The parties of an invoice, each described once: where its identity columns are (prefix, EORI
// column, "Includi" switches), the element numbers of its fields, and its save rules as functions
// over a row. The master-data editors and the Document's screens show the same blocks and run the
// same rules; the names a customer is listed and printed under and the transmission format are
// derived here too.
#include "logic/RowRules.h"
#include "store/PartyIdentity.h"

namespace brevalto {

// A party's identity where a table holds it.
struct PartyBlock {
    QString prefix;                               // of the eight identity columns
    QString helpRoot;                             // its element number ("1.2.1")
    QString eoriTail = QStringLiteral("CodEORI"); // the sellers' tables spell it "CodOERI"
    QStringList flags = {};                       // checked only while these are on
    bool vatRequired = true;   // otherwise a country is needed only with a VAT number
    bool vatOrTaxCode = false; // one of the two identifies the party (a buyer)
    // Whose block it is, in the messages of missing values on a screen that shows other blocks
    // too (" del Vettore" in a body); empty where the screen shows the one party.
    QString whose = {};

    QString column(IdentityField field) const;
    QStringList columns() const { return identityColumns(prefix, eoriTail); }
    // The element number of a field ("1.2.1.1.2" for the seller's VAT number).
    QString help(IdentityField field) const;
};

namespace party {

// The seller, in its table and in a Document.
PartyBlock seller();
// The buyer, in its table and in a Document.
PartyBlock buyer();
// The seller's fiscal representative, with its "Includi".
PartyBlock representative();
// The intermediary or issuing party, with its "Includi"; it may be known by tax code alone.
PartyBlock intermediary();
// A carrier: in the carriers' table (no prefix, no switch) or in a body ("Vettore_", checked
// while the transport data and the carrier are included).
PartyBlock carrier();
PartyBlock bodyCarrier();

// The buyer's own fiscal representative (a smaller block: prefix + Nazione, IdCodice,
// Denominazione, Cognome, Nome), with its "Includi".
QString buyerRepresentativeFlag();
QStringList buyerRepresentativeColumns();

} // namespace party

// The rules of a party's identity, in order: VAT number and country, the VAT number or tax code of
// a buyer, a name of some kind, then the lengths of tax code, title and EORI code. Checked only
// while the block's flags are on.
QList<RowRule> identityRules(const PartyBlock& block);

// The rules of a permanent establishment's address (block: prefix of its columns, whose flag
// column it names), checked while its flag is on. Its postcode has five digits whatever the
// country.
QList<RowRule> establishmentRules(const QString& block);

// Every save rule of the seller, in order (its master record and a Document's copy).
QList<RowRule> sellerRules();
// Every save rule of the buyer; the recipient code is kept in recipientCodeColumn (the customer's
// table and a Document name it differently).
QList<RowRule> buyerRules(const QString& recipientCodeColumn);

// The firm's own data: it is the transmitter of every new Document, whose country and tax code
// identify it and name the exported files.
QList<RowRule> firmRules();

// The names a customer is listed under (with the tax code of a person, to tell namesakes apart)
// and printed under on its Documents.
struct CustomerNames {
    QString listed;
    QString printed;
};
CustomerNames customerNames(const RowValues& customer);

// Whether a Document's buyer is identified by VAT number: it follows the number itself; nothing
// when a VAT number is given without its country (that rule fails first).
std::optional<bool> identifiedByVat(const RowValues& header);

// The transmission format of an invoice to a public administration or to anyone else.
QString transmissionFormat(bool publicAdministration);

} // namespace brevalto
