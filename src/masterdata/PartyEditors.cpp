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

QList<Warning> PartyEditor::identityWarnings(const PartyBlock& block,
                                             const QString& duplicateOf) const {
    using F = IdentityField;
    const QString vatColumn = block.column(F::Vat), country = block.column(F::Country),
                  taxCode = block.column(F::TaxCode);
    const auto included = [this, flags = block.flags] {
        for (const QString& flag : flags) {
            if (!dataset().flag(flag))
                return false;
        }
        return true;
    };
    QList<Warning> warnings{
        {[=, this]() -> QString {
             // Only Italian VAT numbers have a check digit to test.
             const QString vat = dataset().text(vatColumn);
             if (!included() || vat.isEmpty() || dataset().text(country) != QLatin1String("IT") ||
                 IsValidPartitaIva(vat) || vat == storedText(vatColumn))
                 return {};
             return QStringLiteral("Attenzione la Partita Iva %1 non sembra valida: salvare "
                                   "comunque?")
                 .arg(vat);
         },
         vatColumn},
        {[=, this]() -> QString {
             const QString code = dataset().text(taxCode);
             if (!included() || code.isEmpty() || IsValidCodiceFiscale(code) ||
                 code == storedText(taxCode))
                 return {};
             return QStringLiteral("Attenzione il Codice fiscale %1 non sembra valido: salvare "
                                   "comunque?")
                 .arg(code);
         },
         taxCode},
    };
    if (!duplicateOf.isEmpty())
        warnings << Warning{
            [this, block, duplicateOf] { return duplicateQuestion(block, duplicateOf); },
            vatColumn};
    return warnings;
}

QString PartyEditor::duplicateQuestion(const PartyBlock& block, const QString& party) const {
    using F = IdentityField;
    const struct {
        QString country, vat, taxCode, name, surname, firstName;
    } id{block.column(F::Country), block.column(F::Vat),     block.column(F::TaxCode),
         block.column(F::Name),    block.column(F::Surname), block.column(F::FirstName)};
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
    const PartyBlock block = party::seller();
    beginForm({QStringLiteral("Albo Professionale"), QStringLiteral("   Sede   "),
               QStringLiteral("Stabile Organizzazione"), QStringLiteral("Iscrizione REA"),
               QStringLiteral("   Contatti   "), QStringLiteral("Dati predefiniti bancari")});
    addTop(identityFields(block) + QList<Field>{
                                       {.label = "Regime fiscale",
                                        .column = p + "RegimeFiscale",
                                        .help = "1.2.1.8",
                                        .list = codeList("TablePA_RegimeFiscale")},
                                       {.label = "Rif. Amministraz.",
                                        .column = p + "RiferimentoAmministrazione",
                                        .help = "1.2.6"},
                                   });
    addTabbed({
        {.label = "Albo Profession.", .column = p + "AlboProfessionale", .help = "1.2.1.4"},
        {.label = "N° Iscriz. albo", .column = p + "NumeroIscrizioneAlbo", .help = "1.2.1.6"},
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
        {.label = "Numero REA", .column = rea + "_NumeroREA", .help = "1.2.4.2", .tab = 3},
        {.label = "Capitale sociale",
         .column = rea + "_CapitaleSociale",
         .control = FieldControl::Number,
         .help = "1.2.4.3",
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
        {.label = "Telefono", .column = p + "Contatti_Telefono", .help = "1.2.5.1", .tab = 4},
        {.label = "Fax", .column = p + "Contatti_Fax", .help = "1.2.5.2", .tab = 4},
        {.label = "Email", .column = p + "Contatti_Email", .help = "1.2.5.3", .tab = 4},
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

    setRules(sellerRules());
    setWarnings(identityWarnings(block, QStringLiteral("il Cedente - Prestatore")));
}

// --- customer ---

CessionarioEditor::CessionarioEditor(DataModule& db, QWidget* parent)
    : PartyEditor(db, ds::PA_CessionarioCommittente, QStringLiteral("CessionarioCommittente_ID"),
                  QStringLiteral("Cessionario - Committente"), parent) {
    setObjectName(QStringLiteral("frmModificaCessionarioCommittente"));
    const QString p = QStringLiteral("CessionarioCommittente_");
    const PartyBlock block = party::buyer();
    beginForm({QStringLiteral("  Sede  "), QStringLiteral("  Stabile Organizzazione  "),
               QStringLiteral("  Rappresentante fiscale")});
    const QString destinatario = p + "CodiceUnivocoUfficio";
    const QString pa = p + "PubblicaAmministrazione";
    addTop(identityFields(block) +
           QList<Field>{
               {.label = "Codice Destinatario",
                .column = destinatario,
                .help = "1.1.4",
                .upperCase = true,
                .noSpaces = true},
               {.label = "Pec", .column = p + "Pec", .help = "1.1.6"},
               {.label = "Pubblica Amministrazione", .column = pa, .control = FieldControl::Check},
           });
    addTabbed(addressFields(p + "Sede_", QStringLiteral("1.4.2"), 0));
    const QString so = p + "StabileOrganizzazione";
    addTabbed({{.label = "Includi", .column = so, .control = FieldControl::Check, .tab = 1}});
    addTabbed(addressFields(so + "_", QStringLiteral("1.4.3"), 1));
    const QString rf = p + "RappresentanteFiscale";
    addTabbed({{.label = "Includi", .column = rf, .control = FieldControl::Check, .tab = 2}});
    addTabbed(buyerRepresentativeFields(2));
    finishForm();
    setIncludedBlocks(headerBlocks());
    field(destinatario)
        ->setToolTip(QStringLiteral("Codice univoco dell'ufficio destinatario: per una pubblica "
                                    "amministrazione si trova nell'Indice delle Pubbliche "
                                    "Amministrazioni (www.indicepa.gov.it)"));
    bindMunicipality(p + "Sede_Comune", p + "Sede_CAP", p + "Sede_Provincia", p + "Sede_Nazione");
    bindMunicipality(so + "_Comune", so + "_CAP", so + "_Provincia", so + "_Nazione");

    // Enabled when the program gives the finder (setFinder).
    cercaPa_ = addToolButton(QStringLiteral("spdCercaPa"), QStringLiteral("Cerca P.A."),
                             [this] { cercaPa(); });
    cercaPa_->setToolTip(QStringLiteral("Cerca il cliente tra la pubblica amministrazione"));
    cercaPa_->setEnabled(false);

    setRules(buyerRules(destinatario));
    setWarnings(identityWarnings(block, QStringLiteral("il Cessionario - Committente")));
}

bool CessionarioEditor::confirmSave() {
    const QString p = party::buyer().prefix;
    const CustomerNames names = customerNames(DatasetRow(dataset()));
    Dataset& row = dataset();
    row.edit();
    row.setValue(p + "NominativoDocumenti", names.printed);
    row.setValue(p + "NominativoVisualizzato", names.listed);
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
                               const QString& caption, const PartyBlock& block, QWidget* parent)
    : PartyEditor(db, datasetName, key, caption, parent), flag_(block.flags.constFirst()) {
    beginForm();
    addTop(QList<Field>{{.label = "Includi", .column = flag_, .control = FieldControl::Check}} +
           identityFields(block));
    finishForm();
    setRules(identityRules(block));
    setWarnings(identityWarnings(block));
}

RappresentanteFiscaleEditor::RappresentanteFiscaleEditor(DataModule& db, QWidget* parent)
    : SoggettoEditor(db, ds::PA_RappresentanteFiscale, QStringLiteral("RappresentanteFiscale_id"),
                     QStringLiteral("Rappresentante Fiscale"), party::representative(), parent) {
    setObjectName(QStringLiteral("frmModificaRappresentanteFiscale"));
}

TerzoIntermediarioEditor::TerzoIntermediarioEditor(DataModule& db, QWidget* parent)
    : SoggettoEditor(db, ds::PA_TerzoIntermediarioOSoggettoEmittente, QStringLiteral("id"),
                     QStringLiteral("Terzo Intermediario"), party::intermediary(), parent) {
    setObjectName(QStringLiteral("frmModificaTerzoIntermediario"));
}

// --- carrier ---

VettoreEditor::VettoreEditor(DataModule& db, QWidget* parent)
    : PartyEditor(db, ds::Vettori, QStringLiteral("ID"), QStringLiteral("Vettori"), parent) {
    setObjectName(QStringLiteral("frmModificaVettori"));
    const PartyBlock block = party::carrier();
    beginForm();
    addTop(identityFields(block) +
           QList<Field>{
               {.label = "N° Lic. guida", .column = "NumeroLicenzaGuida", .help = "2.1.9.1.4"}});
    finishForm();
    setRules(identityRules(block));
    setWarnings(identityWarnings(block));
}

} // namespace brevalto
