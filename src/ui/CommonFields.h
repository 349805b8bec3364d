#pragma once
// Pick lists and field blocks that many screens share: the FatturaPA code lists, countries,
// provinces and municipalities, and the six fields of an address.
#include "logic/Parties.h"
#include "logic/VatRules.h"
#include "store/DatasetNames.h"
#include "ui/EditorBase.h"

namespace brevalto {

// A FatturaPA code list: stores Codice, shows Descrizione.
inline PickList codeList(const QString& dataset) {
    return {dataset, QStringLiteral("Codice"), QStringLiteral("Descrizione")};
}
// The VAT natures: the generic N2, N3 and N6 are shown where a row holds them, never offered.
inline PickList natureList() {
    PickList list = codeList(ds::PA_Natura);
    list.retired = vat::retiredNatures();
    return list;
}
inline const PickList kCountries{ds::Nazioni, QStringLiteral("SIGLA"), QStringLiteral("DENOMINAZ")};
inline const PickList kProvinces{ds::Province, QStringLiteral("PROVINCIA"),
                                 QStringLiteral("CAPOLUOGO")};
inline const PickList kMunicipalities{ds::Comuni, QStringLiteral("Comune"),
                                      QStringLiteral("Comune")};

// The six fields of an address (prefix + Nazione, Indirizzo, NumeroCivico, Comune, CAP,
// Provincia) with the help numbers of its FatturaPA block (block + .1 Indirizzo ... .6 Nazione)
// and the lengths the FatturaPA format admits.
inline QList<Field> addressFields(const QString& prefix, const QString& block, int tab) {
    const auto help = [&block](int n) { return block + QLatin1Char('.') + QString::number(n); };
    return {
        {.label = "Nazione",
         .column = prefix + "Nazione",
         .help = help(6),
         .tab = tab,
         .list = kCountries},
        {.label = "Indirizzo", .column = prefix + "Indirizzo", .help = help(1), .tab = tab},
        {.label = "N° Civico", .column = prefix + "NumeroCivico", .help = help(2), .tab = tab},
        {.label = "Comune",
         .column = prefix + "Comune",
         .help = help(4),
         .tab = tab,
         .list = kMunicipalities},
        {.label = "CAP",
         .column = prefix + "CAP",
         .help = help(3),
         .tab = tab,
         .pattern = QStringLiteral("[0-9]*")},
        {.label = "Provincia",
         .column = prefix + "Provincia",
         .help = help(5),
         .tab = tab,
         .list = kProvinces},
    };
}

// A party's eight identity fields (logic/Parties.h) on a tab, in the order of the invoice format.
inline QList<Field> identityFields(const PartyBlock& block, int tab = 0) {
    QList<Field> fields;
    for (const IdentityFieldDef& def : identityFieldDefs()) {
        Field field{.label = QString::fromUtf8(def.label),
                    .column = block.column(def.field),
                    .help = block.help(def.field),
                    .maxLength = def.maxLength,
                    .tab = tab,
                    .upperCase = def.upperCase,
                    .noSpaces = def.noSpaces};
        if (def.field == IdentityField::Country)
            field.list = kCountries;
        fields << field;
    }
    return fields;
}

// The fields of a buyer's own fiscal representative, on a tab.
inline QList<Field> buyerRepresentativeFields(int tab) {
    const QStringList c = party::buyerRepresentativeColumns();
    return {
        {.label = "Nazione", .column = c[0], .help = "1.4.4.1.1", .tab = tab, .list = kCountries},
        {.label = "P.Iva",
         .column = c[1],
         .help = "1.4.4.1.2",
         .tab = tab,
         .upperCase = true,
         .noSpaces = true},
        {.label = "Rag. Sociale", .column = c[2], .help = "1.4.4.2", .tab = tab},
        {.label = "Cognome", .column = c[3], .help = "1.4.4.4", .tab = tab},
        {.label = "Nome", .column = c[4], .help = "1.4.4.3", .tab = tab},
    };
}

} // namespace brevalto
