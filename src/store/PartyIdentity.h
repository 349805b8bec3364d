#pragma once
// The identity of a party, described once: the eight columns a party's identity takes under the
// prefix of its block (country and VAT number, tax code, company name, name, surname, title, EORI
// code), in the order of the invoice format, with each field's caption, its element number under
// the block, its length and how it is typed. The archive's tables, the Documents' copies of the
// parties, the screens and the save rules all read this table.
#include <QList>
#include <QString>
#include <QStringList>

namespace brevalto {

enum class IdentityField { Country, Vat, TaxCode, Name, FirstName, Surname, Title, Eori };

struct IdentityFieldDef {
    IdentityField field;
    const char* tail;  // the column is prefix + tail ("IdPaese")
    const char* label; // the caption on screens ("Nazione")
    const char* help;  // the element number under the block's number (".1.1")
    int maxLength;     // 0: a pick list (the countries)
    bool upperCase;    // typed letters become capitals
    bool noSpaces;     // typed spaces are dropped
};

// The eight fields in the order of the invoice format.
const QList<IdentityFieldDef>& identityFieldDefs();

// A block's identity columns: prefix + each tail, the EORI column's tail given (the sellers' tables
// spell it "CodOERI").
QStringList identityColumns(const QString& prefix,
                            const QString& eoriTail = QStringLiteral("CodEORI"));

} // namespace brevalto
