#include "logic/Parties.h"

#include "check/RecipientCode.h"

namespace brevalto {

using rules::missing;
using rules::tooShort;
using rules::whileOn;

QString PartyBlock::column(IdentityField field) const {
    if (field == IdentityField::Eori)
        return prefix + eoriTail;
    for (const IdentityFieldDef& def : identityFieldDefs()) {
        if (def.field == field)
            return prefix + QLatin1String(def.tail);
    }
    return {};
}

QString PartyBlock::help(IdentityField field) const {
    for (const IdentityFieldDef& def : identityFieldDefs()) {
        if (def.field == field)
            return helpRoot + QLatin1String(def.help);
    }
    return {};
}

namespace party {

PartyBlock seller() {
    return {.prefix = QStringLiteral("CedentePrestatore_"),
            .helpRoot = QStringLiteral("1.2.1"),
            .eoriTail = QStringLiteral("CodOERI")};
}

PartyBlock buyer() {
    return {.prefix = QStringLiteral("CessionarioCommittente_"),
            .helpRoot = QStringLiteral("1.4.1"),
            .vatRequired = false,
            .vatOrTaxCode = true};
}

PartyBlock representative() {
    return {.prefix = QStringLiteral("RappresentanteFiscale_DatiAnagrafici_"),
            .helpRoot = QStringLiteral("1.3.1"),
            .flags = {QStringLiteral("RappresentanteFiscale")}};
}

PartyBlock intermediary() {
    return {.prefix = QStringLiteral("TerzoIntermediarioOSoggettoEmittente_"),
            .helpRoot = QStringLiteral("1.5.1"),
            .flags = {QStringLiteral("TerzoIntermediarioOSoggettoEmittente")},
            .vatRequired = false};
}

PartyBlock carrier() {
    return {.prefix = QString(), .helpRoot = QStringLiteral("2.1.9.1")};
}

PartyBlock bodyCarrier() {
    return {.prefix = QStringLiteral("Vettore_"),
            .helpRoot = QStringLiteral("2.1.9.1"),
            .flags = {QStringLiteral("DatiTrasporto"), QStringLiteral("DatiAnagraficiVettore")},
            .whose = QStringLiteral(" del Vettore")};
}

QString buyerRepresentativeFlag() {
    return QStringLiteral("CessionarioCommittente_RappresentanteFiscale");
}

QStringList buyerRepresentativeColumns() {
    const QString rf = buyerRepresentativeFlag() + QLatin1Char('_');
    return {rf + "Nazione", rf + "IdCodice", rf + "Denominazione", rf + "Cognome", rf + "Nome"};
}

} // namespace party

namespace {

const QString kNoVat = QStringLiteral("Attenzione manca la Partita Iva");
const QString kNoCountry = QStringLiteral("Attenzione manca la Nazione");
const QString kNoName = QStringLiteral("Attenzione manca la Ragione sociale oppure Nome e Cognome");

RowTest noName(const QString& name, const QString& surname, const QString& firstName) {
    return [=](const RowValues& row) {
        return row.isEmpty(name) && row.isEmpty(surname) && row.isEmpty(firstName);
    };
}

} // namespace

QList<RowRule> identityRules(const PartyBlock& block) {
    using F = IdentityField;
    const QString vat = block.column(F::Vat), country = block.column(F::Country),
                  taxCode = block.column(F::TaxCode), name = block.column(F::Name);
    QList<RowRule> list;
    if (block.vatRequired) {
        list << RowRule{missing(vat), kNoVat + block.whose, vat}
             << RowRule{missing(country), kNoCountry + block.whose, country};
    } else {
        // Known by tax code alone, a party needs no country.
        list << RowRule{
            [=](const RowValues& row) { return !row.isEmpty(vat) && row.isEmpty(country); },
            kNoCountry + block.whose, country};
    }
    if (block.vatOrTaxCode) {
        list << RowRule{
            [=](const RowValues& row) { return row.isEmpty(vat) && row.isEmpty(taxCode); },
            QStringLiteral("Attenzione Manca o il codice fiscale oppure la partita Iva"), vat};
    }
    // Three fields, none of them to blame: the block's tab is shown.
    list << RowRule{noName(name, block.column(F::Surname), block.column(F::FirstName)),
                    kNoName + block.whose,
                    {},
                    -1,
                    name};
    list << RowRule{tooShort(taxCode, 11),
                    QStringLiteral(
                        "Attenzione il Codice fiscale deve essere di almeno 11 caratteri"),
                    taxCode}
         << RowRule{tooShort(block.column(F::Title), 2),
                    QStringLiteral("Attenzione il Titolo deve essere di almeno 2 caratteri"),
                    block.column(F::Title)}
         << RowRule{tooShort(block.column(F::Eori), 13),
                    QStringLiteral("Attenzione il codice EORI deve essere di almeno 13 caratteri"),
                    block.column(F::Eori)};
    return whileOn(block.flags, list);
}

QList<RowRule> establishmentRules(const QString& so) {
    const QString postcode = so + "_CAP";
    return whileOn(
        {so},
        {
            {missing(so + "_Indirizzo"),
             QStringLiteral("Attenzione manca l'Indirizzo dello Stabile dell'organizzazione"),
             so + "_Indirizzo"},
            {missing(postcode),
             QStringLiteral("Attenzione manca il Cap dello Stabile dell'organizzazione"), postcode},
            {[postcode](const RowValues& row) { return row.length(postcode) < 5; },
             QStringLiteral("Attenzione il Cap dello Stabile dell'organizzazione deve essere di "
                            "almeno 5 Caratteri !"),
             postcode},
            {missing(so + "_Comune"),
             QStringLiteral("Attenzione manca il Comune dello Stabile dell'organizzazione"),
             so + "_Comune"},
            {missing(so + "_Nazione"),
             QStringLiteral("Attenzione manca la Nazione dello Stabile dell'organizzazione"),
             so + "_Nazione"},
        });
}

QList<RowRule> sellerRules() {
    const PartyBlock block = party::seller();
    const QString& p = block.prefix;
    const QString sede = p + "Sede_", rea = p + "Iscrizione_REA",
                  contatti = p + "Iscrizione_Contatti";
    return identityRules(block) +
           QList<RowRule>{
               {missing(p + "RegimeFiscale"), QStringLiteral("Attenzione manca il regime fiscale"),
                p + "RegimeFiscale"},
               {missing(sede + "Indirizzo"),
                QStringLiteral("Attenzione manca l'Indirizzo della Sede"), sede + "Indirizzo"},
               {missing(sede + "CAP"), QStringLiteral("Attenzione manca il Cap della Sede"),
                sede + "CAP"},
               {missing(sede + "Comune"), QStringLiteral("Attenzione manca il Comune della Sede"),
                sede + "Comune"},
               {missing(sede + "Nazione"), QStringLiteral("Attenzione manca la Nazione della Sede"),
                sede + "Nazione"},
               // Whatever the nation: the file's postcode has five digits.
               {tooShort(sede + "CAP", 5),
                QStringLiteral("Attenzione il CAP della sede deve essere di almeno 5 caratteri"),
                sede + "CAP"},
           } +
           establishmentRules(p + "StabileOrganizzazione") +
           whileOn({rea},
                   {
                       {missing(rea + "_Ufficio"), QStringLiteral("Attenzione manca l'Ufficio "),
                        rea + "_Ufficio"},
                       {missing(rea + "_NumeroREA"),
                        QStringLiteral("Attenzione manca il Numero REA"), rea + "_NumeroREA"},
                       {missing(rea + "_StatoLiquidazione"),
                        QStringLiteral("Attenzione manca lo stato di liquidazione "),
                        rea + "_StatoLiquidazione"},
                   }) +
           whileOn({contatti},
                   {
                       {tooShort(p + "Contatti_Telefono", 5),
                        QStringLiteral("Attenzione il telefono del contatto deve essere di almeno "
                                       "5 Caratteri !"),
                        p + "Contatti_Telefono"},
                       {tooShort(p + "Contatti_Fax", 5),
                        QStringLiteral(
                            "Attenzione il fax del contatto deve essere di almeno 5 Caratteri !"),
                        p + "Contatti_Fax"},
                       {tooShort(p + "Contatti_Email", 5),
                        QStringLiteral("Attenzione l'Email del contatto deve essere di almeno 5 "
                                       "Caratteri !"),
                        p + "Contatti_Email"},
                   });
}

QList<RowRule> buyerRules(const QString& code) {
    const PartyBlock block = party::buyer();
    const QString& p = block.prefix;
    const QString sede = p + "Sede_", postcode = sede + "CAP", pa = p + "PubblicaAmministrazione",
                  pec = p + "Pec", rf = party::buyerRepresentativeFlag();
    return identityRules(block) +
           QList<RowRule>{
               {missing(sede + "Indirizzo"), QStringLiteral("Attenzione manca l'Indirizzo"),
                sede + "Indirizzo"},
               {missing(postcode), QStringLiteral("Attenzione manca il Cap"), postcode},
               {missing(sede + "Comune"), QStringLiteral("Attenzione manca il Comune"),
                sede + "Comune"},
               {missing(sede + "Nazione"), QStringLiteral("Attenzione manca la Nazione"),
                sede + "Nazione"},
               // The file's postcode has five digits whatever the nation; a foreign address that
               // has none of its kind takes 00000.
               {[=](const RowValues& row) {
                    return tooShort(postcode, 5)(row) &&
                           row.text(sede + "Nazione") == QLatin1String("IT");
                },
                QStringLiteral("Attenzione il codice CAP deve essere di almeno 5 caratteri"),
                postcode},
               {tooShort(postcode, 5),
                QStringLiteral("Attenzione il CAP deve essere di 5 cifre anche per un indirizzo "
                               "estero: se non ne ha uno di 5 cifre indicare 00000"),
                postcode},
           } +
           establishmentRules(p + "StabileOrganizzazione") +
           whileOn({rf},
                   {
                       {missing(rf + "_IdCodice"), kNoVat, rf + "_IdCodice"},
                       {missing(rf + "_Nazione"), kNoCountry, rf + "_Nazione"},
                       {noName(rf + "_Denominazione", rf + "_Cognome", rf + "_Nome"),
                        kNoName,
                        {},
                        -1,
                        rf + "_Denominazione"},
                   }) +
           QList<RowRule>{
               {[=](const RowValues& row) { return row.flag(pa) && row.isEmpty(code); },
                QStringLiteral("Attenzione manca il codice destinatario - codice univoco"), code},
               {[=](const RowValues& row) {
                    return !row.flag(pa) && row.isEmpty(code) && row.isEmpty(pec);
                },
                QStringLiteral("Attenzione manca il codice destinatario accreditato sdi - o la "
                               "pec"),
                pec},
               {[=](const RowValues& row) {
                    return row.flag(pa) && row.length(code) != recipientCodeLength(true);
                },
                QStringLiteral("Attenzione il codice destinatario di una Pubblica "
                               "Amministrazione (codice univoco ufficio) deve essere di 6 "
                               "caratteri"),
                code},
               {[=](const RowValues& row) {
                    return !row.flag(pa) && !row.isEmpty(code) &&
                           row.length(code) != recipientCodeLength(false);
                },
                QStringLiteral("Attenzione il codice destinatario deve essere di 7 caratteri "
                               "(0000000 per chi riceve con la PEC o non è accreditato)"),
                code},
           };
}

QList<RowRule> firmRules() {
    const QString country = QStringLiteral("IdPaese");
    const QString taxCode = QStringLiteral("CodFisc");
    return {
        {[=](const RowValues& row) { return row.text(country).trimmed().isEmpty(); },
         QStringLiteral("Attenzione manca la Nazione della Ditta"), country},
        {[=](const RowValues& row) { return row.text(taxCode).trimmed().isEmpty(); },
         QStringLiteral("Attenzione manca il Codice fiscale della Ditta: identifica chi trasmette "
                        "le fatture e dà il nome ai file esportati"),
         taxCode},
        {[=](const RowValues& row) {
             const qsizetype length = row.text(taxCode).trimmed().size();
             return row.text(country).trimmed() == QLatin1String("IT") && length != 11 &&
                    length != 16;
         },
         QStringLiteral("Attenzione il Codice fiscale della Ditta è di 11 o 16 caratteri"),
         taxCode},
    };
}

CustomerNames customerNames(const RowValues& customer) {
    const QString p = party::buyer().prefix;
    CustomerNames names;
    if (customer.length(p + "Denominazione") < 2) {
        names.printed = customer.text(p + "Cognome") + QLatin1Char(' ') + customer.text(p + "Nome");
        names.listed = names.printed;
        if (!customer.isEmpty(p + "CodiceFiscale"))
            names.listed += QStringLiteral(" - ") + customer.text(p + "CodiceFiscale");
    } else {
        names.printed = names.listed = customer.text(p + "Denominazione");
    }
    return names;
}

std::optional<bool> identifiedByVat(const RowValues& header) {
    const PartyBlock block = party::buyer();
    const QString vat = block.column(IdentityField::Vat);
    if (!header.isEmpty(vat) && header.isEmpty(block.column(IdentityField::Country)))
        return std::nullopt;
    return !header.isEmpty(vat);
}

QString transmissionFormat(bool publicAdministration) {
    return publicAdministration ? QStringLiteral("FPA12") : QStringLiteral("FPR12");
}

} // namespace brevalto
