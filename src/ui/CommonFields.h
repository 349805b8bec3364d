#pragma once
// Pick lists and field blocks that many screens share: the FatturaPA code lists, countries,
// provinces and municipalities, and the six fields of an address.
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
        {.label = "Indirizzo",
         .column = prefix + "Indirizzo",
         .help = help(1),
         .maxLength = 60,
         .tab = tab},
        {.label = "N° Civico",
         .column = prefix + "NumeroCivico",
         .help = help(2),
         .maxLength = 8,
         .tab = tab},
        {.label = "Comune",
         .column = prefix + "Comune",
         .help = help(4),
         .tab = tab,
         .list = kMunicipalities},
        {.label = "CAP",
         .column = prefix + "CAP",
         .help = help(3),
         .maxLength = 5,
         .tab = tab,
         .pattern = QStringLiteral("[0-9]*")},
        {.label = "Provincia",
         .column = prefix + "Provincia",
         .help = help(5),
         .tab = tab,
         .list = kProvinces},
    };
}

} // namespace brevalto
