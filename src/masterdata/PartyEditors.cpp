#include "masterdata/PartyEditors.h"

#include "export/IncludedBlocks.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "store/Saving.h"
#include "store/VatNumber.h"
#include "ui/BoundInputs.h"
#include "ui/CommonFields.h"
#include "ui/GuardedAction.h"

#include <QPushButton>
#include <QSqlQuery>
#include <QTabBar>
#include <QTabWidget>

namespace brevalto {

// --- what the party editors share ---

PartyEditor::Identity PartyEditor::identity(const QString& prefix, const QString& eoriColumn) {
    return {prefix + "IdPaese",       prefix + "IdCodice", prefix + "CodiceFiscale",
            prefix + "Denominazione", prefix + "Cognome",  prefix + "Nome",
            prefix + "Titolo",        prefix + eoriColumn};
}

QList<Field> PartyEditor::identityFields(const Identity& id, const QString& helpRoot) {
    const auto help = [&helpRoot](const char* tail) { return helpRoot + QLatin1String(tail); };
    return {
        {.label = "Nazione", .column = id.country, .help = help(".1.1"), .list = kCountries},
        {.label = "P.Iva",
         .column = id.vat,
         .help = help(".1.2"),
         .maxLength = 28,
         .upperCase = true,
         .noSpaces = true},
        {.label = "Codice Fiscale",
         .column = id.taxCode,
         .help = help(".2"),
         .maxLength = 16,
         .upperCase = true,
         .noSpaces = true},
        {.label = "Rag. Sociale", .column = id.name, .help = help(".3.1"), .maxLength = 80},
        {.label = "Cognome", .column = id.surname, .help = help(".3.3"), .maxLength = 60},
        {.label = "Nome", .column = id.firstName, .help = help(".3.2"), .maxLength = 60},
        {.label = "Titolo", .column = id.title, .help = help(".3.4"), .maxLength = 10},
        {.label = "Cod. Eori",
         .column = id.eori,
         .help = help(".3.5"),
         .maxLength = 17,
         .upperCase = true},
    };
}

Rule PartyEditor::namesMissing(const Identity& id, int tab) const {
    return {[this, id] { return isEmpty(id.name) && isEmpty(id.surname) && isEmpty(id.firstName); },
            QStringLiteral("Attenzione manca la Ragione sociale oppure Nome e Cognome"), QString(),
            tab};
}

QList<Rule> PartyEditor::lengthRules(const Identity& id) const {
    return {
        {tooShort(id.taxCode, 11),
         QStringLiteral("Attenzione il Codice fiscale deve essere di almeno 11 caratteri"),
         id.taxCode},
        {tooShort(id.title, 2),
         QStringLiteral("Attenzione il Titolo deve essere di almeno 2 caratteri"), id.title},
        {tooShort(id.eori, 13),
         QStringLiteral("Attenzione il codice EORI deve essere di almeno 13 caratteri"), id.eori},
    };
}

QList<Rule> PartyEditor::whileFlag(const QString& flag, QList<Rule> rules) const {
    for (Rule& rule : rules)
        rule.fails = inBlock(flag, rule.fails);
    return rules;
}

bool PartyEditor::store(QString* error) {
    return SaveNewRecord(dataset(), keyColumn_, error);
}

QString PartyEditor::storedText(const QString& column) const {
    const QVariant key = dataset().value(keyColumn_);
    if (key.isNull())
        return {};
    return dataset()
        .connection()
        .scalar(QStringLiteral("select %1 from %2 where %3 = ?")
                    .arg(column, dataset().baseTable(), keyColumn_),
                {key})
        .toString();
}

QList<Warning> PartyEditor::identityWarnings(const Identity& id, const QString& duplicateOf) const {
    QList<Warning> warnings{
        {[this, id]() -> QString {
             // Only Italian VAT numbers have a check digit to test.
             const QString vat = dataset().text(id.vat);
             if (vat.isEmpty() || dataset().text(id.country) != QLatin1String("IT") ||
                 IsValidPartitaIva(vat) || vat == storedText(id.vat))
                 return {};
             return QStringLiteral("Attenzione la Partita Iva %1 non sembra valida: salvare "
                                   "comunque?")
                 .arg(vat);
         },
         id.vat},
        {[this, id]() -> QString {
             const QString code = dataset().text(id.taxCode);
             if (code.isEmpty() || IsValidCodiceFiscale(code) || code == storedText(id.taxCode))
                 return {};
             return QStringLiteral("Attenzione il Codice fiscale %1 non sembra valido: salvare "
                                   "comunque?")
                 .arg(code);
         },
         id.taxCode},
    };
    if (!duplicateOf.isEmpty())
        warnings << Warning{[this, id, duplicateOf] { return duplicateQuestion(id, duplicateOf); },
                            id.vat};
    return warnings;
}

QString PartyEditor::duplicateQuestion(const Identity& id, const QString& party) const {
    const Dataset& row = dataset();
    const QString country = row.text(id.country), vat = row.text(id.vat),
                  code = row.text(id.taxCode);
    const bool vatChanged =
        !vat.isEmpty() && (vat != storedText(id.vat) || country != storedText(id.country));
    const bool codeChanged = !code.isEmpty() && code != storedText(id.taxCode);
    if (!vatChanged && !codeChanged)
        return {};
    const QVariant key = row.value(keyColumn_);
    QSqlQuery found = row.connection().exec(
        QStringLiteral("select %1, %2, %3, %4, %5, %6 from %7 where %8 <> ? and ((%9 = ? and %4 "
                       "= ?) or %5 = ?)")
            .arg(id.name, id.surname, id.firstName, id.vat, id.taxCode, id.country, row.baseTable(),
                 keyColumn_, id.country),
        {key.isNull() ? QVariant(-1) : key, country, vatChanged ? vat : QString(),
         codeChanged ? code : QString()});
    // A value that did not change is passed empty and may match rows whose value is empty: the
    // rows are told apart here.
    while (found.next()) {
        const bool sameVat = vatChanged &&
                             found.value(3).toString().compare(vat, Qt::CaseInsensitive) == 0 &&
                             found.value(5).toString().compare(country, Qt::CaseInsensitive) == 0;
        const bool sameCode =
            codeChanged && found.value(4).toString().compare(code, Qt::CaseInsensitive) == 0;
        if (!sameVat && !sameCode)
            continue;
        QString name = found.value(0).toString();
        if (name.trimmed().isEmpty())
            name = (found.value(1).toString() + QLatin1Char(' ') + found.value(2).toString())
                       .trimmed();
        const QString what = sameVat && sameCode ? QStringLiteral("la stessa Partita Iva e lo "
                                                                  "stesso Codice fiscale")
                             : sameVat           ? QStringLiteral("la stessa Partita Iva")
                                                 : QStringLiteral("lo stesso Codice fiscale");
        return QStringLiteral("Attenzione esiste già %1 \"%2\" con %3: salvare comunque?")
            .arg(party, name, what);
    }
    return {};
}

// --- seller ---

CedenteEditor::CedenteEditor(DataModule& db, QWidget* parent)
    : PartyEditor(db, ds::PA_CedentePrestatore, QStringLiteral("CedentePrestatore_Id"),
                  QStringLiteral("Cedente - Prestatore"), parent) {
    setObjectName(QStringLiteral("frmModificaCedentePrestatore"));
    const QString p = QStringLiteral("CedentePrestatore_");
    const Identity id = identity(p, QStringLiteral("CodOERI"));
    beginForm({QStringLiteral("Albo Professionale"), QStringLiteral("   Sede   "),
               QStringLiteral("Stabile Organizzazione"), QStringLiteral("Iscrizione REA"),
               QStringLiteral("   Contatti   "), QStringLiteral("Dati predefiniti bancari")});
    addTop(identityFields(id, QStringLiteral("1.2.1")) +
           QList<Field>{
               {.label = "Regime fiscale",
                .column = p + "RegimeFiscale",
                .help = "1.2.1.8",
                .list = codeList("TablePA_RegimeFiscale")},
               {.label = "Rif. Amministraz.",
                .column = p + "RiferimentoAmministrazione",
                .help = "1.2.6",
                .maxLength = 20},
           });
    addTabbed({
        {.label = "Albo Profession.",
         .column = p + "AlboProfessionale",
         .help = "1.2.1.4",
         .maxLength = 60},
        {.label = "N° Iscriz. albo",
         .column = p + "NumeroIscrizioneAlbo",
         .help = "1.2.1.6",
         .maxLength = 60},
        {.label = "Provincia albo",
         .column = p + "ProvinciaAlbo",
         .help = "1.2.1.5",
         .list = kProvinces},
        {.label = "Data Iscriz. albo",
         .column = p + "DataIscrizioneAlbo",
         .control = FieldControl::Date,
         .help = "1.2.1.7"},
    });
    addTabbed(addressFields(p + "Sede_", QStringLiteral("1.2.2"), 1));
    const QString so = p + "StabileOrganizzazione";
    addTabbed({{.label = "Includi", .column = so, .control = FieldControl::Check, .tab = 2}});
    addTabbed(addressFields(so + "_", QStringLiteral("1.2.3"), 2));
    const QString rea = p + "Iscrizione_REA";
    addTabbed({
        {.label = "Includi", .column = rea, .control = FieldControl::Check, .tab = 3},
        {.label = "Ufficio",
         .column = rea + "_Ufficio",
         .help = "1.2.4.1",
         .tab = 3,
         .list = kProvinces},
        {.label = "Numero REA",
         .column = rea + "_NumeroREA",
         .help = "1.2.4.2",
         .maxLength = 20,
         .tab = 3},
        {.label = "Capitale sociale",
         .column = rea + "_CapitaleSociale",
         .control = FieldControl::Number,
         .help = "1.2.4.3",
         .maxLength = 15,
         .tab = 3},
        {.label = "Socio unico",
         .column = rea + "_SocioUnico",
         .help = "1.2.4.4",
         .tab = 3,
         .list = codeList("TablePA_IscrizRea_SocioUnico")},
        {.label = "Stato Liquidazione",
         .column = rea + "_StatoLiquidazione",
         .help = "1.2.4.5",
         .tab = 3,
         .list = codeList("TablePA_IscrizRea_StatoLiquidazione")},
    });
    const QString contatti = p + "Iscrizione_Contatti";
    addTabbed({
        {.label = "Includi", .column = contatti, .control = FieldControl::Check, .tab = 4},
        {.label = "Telefono",
         .column = p + "Contatti_Telefono",
         .help = "1.2.5.1",
         .maxLength = 12,
         .tab = 4},
        {.label = "Fax",
         .column = p + "Contatti_Fax",
         .help = "1.2.5.2",
         .maxLength = 12,
         .tab = 4},
        {.label = "Email",
         .column = p + "Contatti_Email",
         .help = "1.2.5.3",
         .maxLength = 256,
         .tab = 4},
    });
    addTabbed({
        {.label = "Beneficiario", .column = "DPBeneficiario", .maxLength = 200, .tab = 5},
        {.label = "Istituto finanziario",
         .column = "DPIstitutoFinanziario",
         .maxLength = 80,
         .tab = 5},
        {.label = "Iban",
         .column = "DPIban",
         .maxLength = 34,
         .tab = 5,
         .upperCase = true,
         .noSpaces = true},
    });
    finishForm();
    setIncludedBlocks(headerBlocks());
    // Six tabs: wide enough that every caption shows without scroll arrows.
    setMinimumWidth(qMax(minimumWidth(), tabs()->tabBar()->sizeHint().width() + 40));
    bindMunicipality(p + "Sede_Comune", p + "Sede_CAP", p + "Sede_Provincia", p + "Sede_Nazione");
    bindMunicipality(so + "_Comune", so + "_CAP", so + "_Provincia", so + "_Nazione");

    const int sede = 1;
    setRules(
        QList<Rule>{
            {missing(id.vat), QStringLiteral("Attenzione manca la Partita Iva"), id.vat},
            {missing(id.country), QStringLiteral("Attenzione manca la Nazione"), id.country},
            {missing(p + "RegimeFiscale"), QStringLiteral("Attenzione manca il regime fiscale"),
             p + "RegimeFiscale"},
            namesMissing(id),
            {missing(p + "Sede_Indirizzo"),
             QStringLiteral("Attenzione manca l'Indirizzo della Sede"), p + "Sede_Indirizzo", sede},
            {missing(p + "Sede_CAP"), QStringLiteral("Attenzione manca il Cap della Sede"),
             p + "Sede_CAP", sede},
            // Whatever the nation: the FatturaPA postcode has five digits.
            {tooShort(p + "Sede_CAP", 5),
             QStringLiteral("Attenzione il CAP della sede deve essere di almeno 5 caratteri"),
             p + "Sede_CAP", sede},
            {missing(p + "Sede_Comune"), QStringLiteral("Attenzione manca il Comune della Sede"),
             p + "Sede_Comune", sede},
            {missing(p + "Sede_Nazione"), QStringLiteral("Attenzione manca la Nazione della Sede"),
             p + "Sede_Nazione", sede},
        } +
        lengthRules(id) + stableOrganizationRules(so, true) +
        whileFlag(rea,
                  {
                      {missing(rea + "_Ufficio"), QStringLiteral("Attenzione manca l'Ufficio "),
                       rea + "_Ufficio"},
                      {missing(rea + "_NumeroREA"),
                       QStringLiteral("Attenzione manca il Numero REA"), rea + "_NumeroREA"},
                      {missing(rea + "_StatoLiquidazione"),
                       QStringLiteral("Attenzione manca lo stato di liquidazione "),
                       rea + "_StatoLiquidazione"},
                  }) +
        whileFlag(contatti,
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
                  }));
    setWarnings(identityWarnings(id, QStringLiteral("il Cedente - Prestatore")));
}

// --- customer ---

CessionarioEditor::CessionarioEditor(DataModule& db, QWidget* parent)
    : PartyEditor(db, ds::PA_CessionarioCommittente, QStringLiteral("CessionarioCommittente_ID"),
                  QStringLiteral("Cessionario - Committente"), parent) {
    setObjectName(QStringLiteral("frmModificaCessionarioCommittente"));
    const QString p = QStringLiteral("CessionarioCommittente_");
    const Identity id = identity(p);
    beginForm({QStringLiteral("  Sede  "), QStringLiteral("  Stabile Organizzazione  "),
               QStringLiteral("  Rappresentante fiscale")});
    const QString destinatario = p + "CodiceUnivocoUfficio";
    const QString pa = p + "PubblicaAmministrazione";
    addTop(identityFields(id, QStringLiteral("1.4.1")) +
           QList<Field>{
               {.label = "Codice Destinatario",
                .column = destinatario,
                .help = "1.1.4",
                .maxLength = 7,
                .upperCase = true,
                .noSpaces = true},
               {.label = "Pec", .column = p + "Pec", .help = "1.1.6", .maxLength = 256},
               {.label = "Pubblica Amministrazione", .column = pa, .control = FieldControl::Check},
           });
    addTabbed(addressFields(p + "Sede_", QStringLiteral("1.4.2"), 0));
    const QString so = p + "StabileOrganizzazione";
    addTabbed({{.label = "Includi", .column = so, .control = FieldControl::Check, .tab = 1}});
    addTabbed(addressFields(so + "_", QStringLiteral("1.4.3"), 1));
    const QString rf = p + "RappresentanteFiscale";
    addTabbed({
        {.label = "Includi", .column = rf, .control = FieldControl::Check, .tab = 2},
        {.label = "Nazione",
         .column = rf + "_Nazione",
         .help = "1.4.4.1.1",
         .tab = 2,
         .list = kCountries},
        {.label = "P.Iva",
         .column = rf + "_IdCodice",
         .help = "1.4.4.1.2",
         .maxLength = 28,
         .tab = 2,
         .upperCase = true,
         .noSpaces = true},
        {.label = "Rag. Sociale",
         .column = rf + "_Denominazione",
         .help = "1.4.4.2",
         .maxLength = 80,
         .tab = 2},
        {.label = "Cognome",
         .column = rf + "_Cognome",
         .help = "1.4.4.4",
         .maxLength = 60,
         .tab = 2},
        {.label = "Nome", .column = rf + "_Nome", .help = "1.4.4.3", .maxLength = 60, .tab = 2},
    });
    finishForm();
    setIncludedBlocks(headerBlocks());
    field(destinatario)
        ->setToolTip(QStringLiteral("Codice univoco dell'ufficio destinatario: per una pubblica "
                                    "amministrazione si trova nell'Indice delle Pubbliche "
                                    "Amministrazioni (www.indicepa.gov.it)"));
    bindMunicipality(p + "Sede_Comune", p + "Sede_CAP", p + "Sede_Provincia", p + "Sede_Nazione");
    bindMunicipality(so + "_Comune", so + "_CAP", so + "_Provincia", so + "_Nazione");

    // Enabled when the program gives the finder (setFinder).
    cercaPa_ = addToolButton(QStringLiteral("spdCercaPa"), QStringLiteral("Cerca P.A."));
    cercaPa_->setToolTip(QStringLiteral("Cerca il cliente tra la pubblica amministrazione"));
    cercaPa_->setEnabled(false);
    connect(cercaPa_, &QPushButton::clicked, this, guard([this] { cercaPa(); }));

    const int sede = 0;
    const auto italian = [this](const QString& country) {
        return shown(country) == QLatin1String("Italia");
    };
    setRules(
        QList<Rule>{
            // A customer without VAT number needs no nation here.
            {[this, id] { return !isEmpty(id.vat) && isEmpty(id.country); },
             QStringLiteral("Attenzione manca la Nazione"), id.country},
            namesMissing(id),
            {missing(p + "Sede_Indirizzo"), QStringLiteral("Attenzione manca l'Indirizzo"),
             p + "Sede_Indirizzo", sede},
            {missing(p + "Sede_CAP"), QStringLiteral("Attenzione manca il Cap"), p + "Sede_CAP",
             sede},
            {missing(p + "Sede_Comune"), QStringLiteral("Attenzione manca il Comune"),
             p + "Sede_Comune", sede},
            {missing(p + "Sede_Nazione"), QStringLiteral("Attenzione manca la Nazione"),
             p + "Sede_Nazione", sede},
        } +
        lengthRules(id) +
        QList<Rule>{
            // The file's postcode has five digits whatever the nation; a foreign address that has
            // none of its kind takes 00000.
            {[=, this] { return tooShort(p + "Sede_CAP", 5)() && italian(p + "Sede_Nazione"); },
             QStringLiteral("Attenzione il codice CAP deve essere di almeno 5 caratteri"),
             p + "Sede_CAP", sede},
            {tooShort(p + "Sede_CAP", 5),
             QStringLiteral("Attenzione il CAP deve essere di 5 cifre anche per un indirizzo "
                            "estero: se non ne ha uno di 5 cifre indicare 00000"),
             p + "Sede_CAP", sede},
        } +
        stableOrganizationRules(so, true) +
        whileFlag(rf,
                  {
                      {missing(rf + "_IdCodice"), QStringLiteral("Attenzione manca la Partita Iva"),
                       rf + "_IdCodice", 2},
                      {missing(rf + "_Nazione"), QStringLiteral("Attenzione manca la Nazione"),
                       rf + "_Nazione", 2},
                      {[this, rf] {
                           return isEmpty(rf + "_Denominazione") && isEmpty(rf + "_Cognome") &&
                                  isEmpty(rf + "_Nome");
                       },
                       QStringLiteral("Attenzione manca la Ragione sociale oppure Nome e Cognome"),
                       QString(), 2},
                  }) +
        QList<Rule>{
            {[=, this] { return dataset().flag(pa) && isEmpty(destinatario); },
             QStringLiteral("Attenzione manca il codice destinatario - codice univoco"),
             destinatario},
            // The exchange system delivers by code: 6 characters name a public administration's
            // office, 7 a recipient's channel.
            {[=, this] { return dataset().flag(pa) && length(destinatario) != 6; },
             QStringLiteral("Attenzione il codice univoco ufficio di una pubblica amministrazione "
                            "è di 6 caratteri"),
             destinatario},
            {[=, this] {
                 return !dataset().flag(pa) && !isEmpty(destinatario) && length(destinatario) != 7;
             },
             QStringLiteral("Attenzione il codice destinatario è di 7 caratteri (quello di 6 "
                            "caratteri di un ufficio vale solo per una Pubblica Amministrazione)"),
             destinatario},
            {[=, this] {
                 return !dataset().flag(pa) && isEmpty(destinatario) && isEmpty(p + "Pec");
             },
             QStringLiteral("Attenzione manca il codice destinatario accreditato sdi - o la pec"),
             p + "Pec"},
        });
    setWarnings(identityWarnings(id, QStringLiteral("il Cessionario - Committente")));
}

bool CessionarioEditor::confirmSave() {
    // The names the customer is listed under (with the tax code of a person, to tell namesakes
    // apart) and printed under.
    const QString p = QStringLiteral("CessionarioCommittente_");
    Dataset& row = dataset();
    row.edit();
    QString name;
    if (length(p + "Denominazione") < 2) {
        name = shown(p + "Cognome") + QLatin1Char(' ') + shown(p + "Nome");
        row.setValue(p + "NominativoDocumenti", name);
        if (!isEmpty(p + "CodiceFiscale"))
            name += QStringLiteral(" - ") + shown(p + "CodiceFiscale");
    } else {
        name = shown(p + "Denominazione");
        row.setValue(p + "NominativoDocumenti", name);
    }
    row.setValue(p + "NominativoVisualizzato", name);
    return true;
}

// --- fiscal representative and intermediary ---

void CessionarioEditor::setFinder(std::function<void()> showFinder) {
    showFinder_ = std::move(showFinder);
    cercaPa_->setEnabled(bool(showFinder_));
}

void CessionarioEditor::cercaPa() {
    // Searching loses nothing: the finder names what the chosen office would replace, and asks,
    // before it copies anything.
    if (showFinder_)
        showFinder_();
    db().table(ds::PA_fatturazioneElettronica).close();
}

SoggettoEditor::SoggettoEditor(DataModule& db, const QString& datasetName, const QString& key,
                               const QString& caption, const QString& flag, const QString& prefix,
                               const QString& helpRoot, bool vatRequired, QWidget* parent)
    : PartyEditor(db, datasetName, key, caption, parent), flag_(flag) {
    const Identity id = identity(prefix);
    beginForm();
    addTop(QList<Field>{{.label = "Includi", .column = flag, .control = FieldControl::Check}} +
           identityFields(id, helpRoot));
    finishForm();

    QList<Rule> rules;
    if (vatRequired) {
        rules << Rule{missing(id.vat), QStringLiteral("Attenzione manca la Partita Iva"), id.vat};
        rules << Rule{missing(id.country), QStringLiteral("Attenzione manca la Nazione"),
                      id.country};
    } else {
        // An intermediary identified by tax code alone needs no country.
        rules << Rule{[this, id] { return !isEmpty(id.vat) && isEmpty(id.country); },
                      QStringLiteral("Attenzione manca la Nazione"), id.country};
    }
    rules << namesMissing(id);
    setRules(whileFlag(flag, rules + lengthRules(id)));
    QList<Warning> warnings = identityWarnings(id);
    for (Warning& warning : warnings) {
        warning.question = [this, flag, ask = warning.question]() -> QString {
            return dataset().flag(flag) ? ask() : QString();
        };
    }
    setWarnings(warnings);
}

RappresentanteFiscaleEditor::RappresentanteFiscaleEditor(DataModule& db, QWidget* parent)
    : SoggettoEditor(db, ds::PA_RappresentanteFiscale, QStringLiteral("RappresentanteFiscale_id"),
                     QStringLiteral("Rappresentante Fiscale"),
                     QStringLiteral("RappresentanteFiscale"),
                     QStringLiteral("RappresentanteFiscale_DatiAnagrafici_"),
                     QStringLiteral("1.3.1"), true, parent) {
    setObjectName(QStringLiteral("frmModificaRappresentanteFiscale"));
}

TerzoIntermediarioEditor::TerzoIntermediarioEditor(DataModule& db, QWidget* parent)
    : SoggettoEditor(db, ds::PA_TerzoIntermediarioOSoggettoEmittente, QStringLiteral("id"),
                     QStringLiteral("Terzo Intermediario"),
                     QStringLiteral("TerzoIntermediarioOSoggettoEmittente"),
                     QStringLiteral("TerzoIntermediarioOSoggettoEmittente_"),
                     QStringLiteral("1.5.1"), false, parent) {
    setObjectName(QStringLiteral("frmModificaTerzoIntermediario"));
}

// --- carrier ---

VettoreEditor::VettoreEditor(DataModule& db, QWidget* parent)
    : PartyEditor(db, ds::Vettori, QStringLiteral("ID"), QStringLiteral("Vettori"), parent) {
    setObjectName(QStringLiteral("frmModificaVettori"));
    const Identity id = identity(QString());
    beginForm();
    addTop(identityFields(id, QStringLiteral("2.1.9.1")) +
           QList<Field>{{.label = "N° Lic. guida",
                         .column = "NumeroLicenzaGuida",
                         .help = "2.1.9.1.4",
                         .maxLength = 20}});
    finishForm();
    setRules(QList<Rule>{
                 {missing(id.vat), QStringLiteral("Attenzione manca la Partita Iva"), id.vat},
                 {missing(id.country), QStringLiteral("Attenzione manca la Nazione"), id.country},
                 namesMissing(id),
             } +
             lengthRules(id));
    setWarnings(identityWarnings(id));
}

} // namespace brevalto
