#include "store/PartyIdentity.h"

namespace brevalto {

const QList<IdentityFieldDef>& identityFieldDefs() {
    using F = IdentityField;
    static const QList<IdentityFieldDef> defs = {
        {F::Country, "IdPaese", "Nazione", ".1.1", 0, false, false},
        {F::Vat, "IdCodice", "P.Iva", ".1.2", 28, true, true},
        {F::TaxCode, "CodiceFiscale", "Codice Fiscale", ".2", 16, true, true},
        {F::Name, "Denominazione", "Rag. Sociale", ".3.1", 80, false, false},
        {F::FirstName, "Nome", "Nome", ".3.2", 60, false, false},
        {F::Surname, "Cognome", "Cognome", ".3.3", 60, false, false},
        {F::Title, "Titolo", "Titolo", ".3.4", 10, false, false},
        {F::Eori, "CodEORI", "Cod. Eori", ".3.5", 17, true, false},
    };
    return defs;
}

QStringList identityColumns(const QString& prefix, const QString& eoriTail) {
    QStringList columns;
    for (const IdentityFieldDef& def : identityFieldDefs())
        columns << prefix + (def.field == IdentityField::Eori ? eoriTail : QLatin1String(def.tail));
    return columns;
}

} // namespace brevalto
