#include "documents/HeaderPartyEditors.h"

#include "export/IncludedBlocks.h"
#include "logic/PartyColumns.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "ui/BoundInputs.h"
#include "ui/CommonFields.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace brevalto {

namespace {

const QString kNamesMissing =
    QStringLiteral("Attenzione manca la Ragione sociale oppure Nome e Cognome");
const QString kCodiceFiscaleShort =
    QStringLiteral("Attenzione il Codice fiscale deve essere di almeno 11 caratteri");
const QString kTitoloShort =
    QStringLiteral("Attenzione il Titolo deve essere di almeno 2 caratteri");
const QString kEoriShort =
    QStringLiteral("Attenzione il codice EORI deve essere di almeno 13 caratteri");

} // namespace

// --- seller ---

HeaderCedenteEditor::HeaderCedenteEditor(DataModule& db, QWidget* parent)
    : HeaderForm(db, QStringLiteral("Cedente Prestatore"), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Header_CedentePrestatore"));
    const QString p = QStringLiteral("CedentePrestatore_");
    beginForm({QStringLiteral("Albo Professionale"), QStringLiteral("Sede"),
               QStringLiteral("Stabile Organizzazione"), QStringLiteral("Iscrizione REA"),
               QStringLiteral("Contatti")});
    addTop({
        {.label = "Cambia Cedente - Prestatore",
         .column = p + "Id",
         .list = PickList{"TablePA_CedentePrestatore", p + "Id", "Nominativo"}},
        {.label = "Nazione", .column = p + "IdPaese", .help = "1.2.1.1.1", .list = kCountries},
        {.label = "P.Iva", .column = p + "IdCodice", .help = "1.2.1.1.2"},
        {.label = "Codice Fiscale", .column = p + "CodiceFiscale", .help = "1.2.1.2"},
        {.label = "Rag. Sociale", .column = p + "Denominazione", .help = "1.2.1.3.1"},
        {.label = "Nome", .column = p + "Nome", .help = "1.2.1.3.2"},
        {.label = "Cognome", .column = p + "Cognome", .help = "1.2.1.3.3"},
        {.label = "Titolo", .column = p + "Titolo", .help = "1.2.1.3.4"},
        {.label = "Cod. Eori", .column = p + "CodOERI", .help = "1.2.1.3.5"},
        {.label = "Regime fiscale",
         .column = p + "RegimeFiscale",
         .help = "1.2.1.8",
         .list = codeList("TablePA_RegimeFiscale")},
        {.label = "Rif. Amministraz.", .column = p + "RiferimentoAmministrazione", .help = "1.2.6"},
    });
    addTabbed({
        {.label = "Albo Profess.", .column = p + "AlboProfessionale", .help = "1.2.1.4"},
        {.label = "Provincia albo",
         .column = p + "ProvinciaAlbo",
         .help = "1.2.1.5",
         .list = kProvinces},
        {.label = "N° Iscriz. albo", .column = p + "NumeroIscrizioneAlbo", .help = "1.2.1.6"},
        {.label = "Data Iscriz. albo",
         .column = p + "DataIscrizioneAlbo",
         .control = FieldControl::Date,
         .help = "1.2.1.7"},
    });
    addTabbed(addressFields(p + "Sede_", QStringLiteral("1.2.2"), 1));
    addTabbed({{.label = "Includi",
                .column = p + "StabileOrganizzazione",
                .control = FieldControl::Check,
                .help = "1.2.3",
                .tab = 2}});
    addTabbed(addressFields(p + "StabileOrganizzazione_", QStringLiteral("1.2.3"), 2));
    addTabbed({
        {.label = "Includi",
         .column = p + "Iscrizione_REA",
         .control = FieldControl::Check,
         .help = "1.2.4",
         .tab = 3},
        {.label = "Ufficio",
         .column = p + "Iscrizione_REA_Ufficio",
         .help = "1.2.4.1",
         .tab = 3,
         .list = kProvinces},
        {.label = "Numero REA",
         .column = p + "Iscrizione_REA_NumeroREA",
         .help = "1.2.4.2",
         .tab = 3},
        {.label = "Cap. sociale",
         .column = p + "Iscrizione_REA_CapitaleSociale",
         .control = FieldControl::Number,
         .help = "1.2.4.3",
         .maxLength = 15,
         .tab = 3},
        {.label = "Socio unico",
         .column = p + "Iscrizione_REA_SocioUnico",
         .help = "1.2.4.4",
         .tab = 3,
         .list = codeList("TablePA_IscrizRea_SocioUnico")},
        {.label = "Stato Liquidazione",
         .column = p + "Iscrizione_REA_StatoLiquidazione",
         .help = "1.2.4.5",
         .tab = 3,
         .list = codeList("TablePA_IscrizRea_StatoLiquidazione")},
    });
    addTabbed({
        {.label = "Includi",
         .column = p + "Iscrizione_Contatti",
         .control = FieldControl::Check,
         .help = "1.2.5",
         .tab = 4},
        {.label = "Email", .column = p + "Contatti_Email", .help = "1.2.5.3", .tab = 4},
        {.label = "Telefono", .column = p + "Contatti_Telefono", .help = "1.2.5.1", .tab = 4},
        {.label = "Fax", .column = p + "Contatti_Fax", .help = "1.2.5.2", .tab = 4},
    });
    finishForm();
    setIncludedBlocks(headerBlocks());

    connect(lookup(p + "Id"), &BoundLookup::picked, this, &HeaderCedenteEditor::copySeller);
    bindMunicipality(p + "Sede_Comune", p + "Sede_CAP", p + "Sede_Provincia", p + "Sede_Nazione");
    bindMunicipality(p + "StabileOrganizzazione_Comune", p + "StabileOrganizzazione_CAP",
                     p + "StabileOrganizzazione_Provincia", p + "StabileOrganizzazione_Nazione");

    const QString so = p + "StabileOrganizzazione";
    const QString rea = p + "Iscrizione_REA";
    const QString contatti = p + "Iscrizione_Contatti";
    setRules(
        QList<Rule>{
            {missing(p + "IdCodice"), QStringLiteral("Attenzione manca la Partita Iva"),
             p + "IdCodice"},
            {missing(p + "IdPaese"), QStringLiteral("Attenzione manca la Nazione"), p + "IdPaese"},
            {missing(p + "RegimeFiscale"), QStringLiteral("Attenzione manca il regime fiscale"),
             p + "RegimeFiscale"},
            {[this, p] {
                 return isEmpty(p + "Denominazione") && isEmpty(p + "Cognome") &&
                        isEmpty(p + "Nome");
             },
             kNamesMissing, QString()},
            {missing(p + "Sede_Indirizzo"),
             QStringLiteral("Attenzione manca l'Indirizzo della Sede"), p + "Sede_Indirizzo"},
            {missing(p + "Sede_CAP"), QStringLiteral("Attenzione manca il Cap della Sede"),
             p + "Sede_CAP"},
            {missing(p + "Sede_Comune"), QStringLiteral("Attenzione manca il Comune della Sede"),
             p + "Sede_Comune"},
            {missing(p + "Sede_Nazione"), QStringLiteral("Attenzione manca la Nazione della Sede"),
             p + "Sede_Nazione"},
            {tooShort(p + "CodiceFiscale", 11), kCodiceFiscaleShort, p + "CodiceFiscale"},
            {tooShort(p + "Titolo", 2), kTitoloShort, p + "Titolo"},
            {tooShort(p + "CodOERI", 13), kEoriShort, p + "CodOERI"},
            {[this, p] { return length(p + "Sede_CAP") <= 4; },
             QStringLiteral("Attenzione il CAP della sede deve essere di almeno 5 caratteri"),
             p + "Sede_CAP"}} +
        stableOrganizationRules(so) +
        QList<Rule>{
            {inBlock(rea, missing(rea + "_Ufficio")), QStringLiteral("Attenzione manca l'Ufficio "),
             rea + "_Ufficio"},
            {inBlock(rea, missing(rea + "_NumeroREA")),
             QStringLiteral("Attenzione manca il Numero REA"), rea + "_NumeroREA"},
            {inBlock(rea, missing(rea + "_StatoLiquidazione")),
             QStringLiteral("Attenzione manca lo stato di liquidazione "),
             rea + "_StatoLiquidazione"},
            {inBlock(contatti, tooShort(p + "Contatti_Telefono", 5)),
             QStringLiteral(
                 "Attenzione il telefono del contatto deve essere di almeno 5 Caratteri !"),
             p + "Contatti_Telefono"},
            {inBlock(contatti, tooShort(p + "Contatti_Fax", 5)),
             QStringLiteral("Attenzione il fax del contatto deve essere di almeno 5 Caratteri !"),
             p + "Contatti_Fax"},
            {inBlock(contatti, tooShort(p + "Contatti_Email", 5)),
             QStringLiteral("Attenzione l'Email del contatto deve essere di almeno 5 Caratteri !"),
             p + "Contatti_Email"},
        });
}

QWidget* HeaderCedenteEditor::sellerSelector() const {
    return field(QStringLiteral("CedentePrestatore_Id"));
}

QWidget* HeaderCedenteEditor::sellerSelectorLabel() const {
    return labelOf(QStringLiteral("CedentePrestatore_Id"));
}

void HeaderCedenteEditor::copySeller() {
    const Dataset& seller = db().table(ds::PA_CedentePrestatore);
    Dataset& header = dataset();
    header.edit();
    copyColumns(header, seller, sellerColumns());
    // A block the picked seller does not use is switched off, but what the Document held there
    // stays, so that switching it back on restores it.
    for (const OptionalBlock& block : sellerBlocks()) {
        const bool used = seller.flag(block.flag);
        header.setValue(block.flag, used);
        if (used)
            copyColumns(header, seller, block.columns);
    }
    copyColumns(header, seller, {QStringLiteral("CedentePrestatore_RiferimentoAmministrazione")});
    setModified(true);
}

// --- buyer ---

HeaderCessionarioEditor::HeaderCessionarioEditor(DataModule& db, QWidget* parent)
    : HeaderForm(db, QStringLiteral("Cessionario - Committente"), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Header_CessionarioCommittente"));
    const QString p = QStringLiteral("CessionarioCommittente_");
    beginForm({QStringLiteral("Sede"), QStringLiteral("Stabile Organizzazione"),
               QStringLiteral("Rappresentante fiscale")});
    addTop({
        {.label = "Cessionario - Committente",
         .column = p + "ID",
         .list =
             PickList{"TablePA_CessionarioCommittente", p + "ID", p + "NominativoVisualizzato"}},
        {.label = "Nazione", .column = p + "IdPaese", .help = "1.4.1.1.1", .list = kCountries},
        {.label = "P.Iva", .column = p + "IdCodice", .help = "1.4.1.1.2"},
        {.label = "Codice Fiscale", .column = p + "CodiceFiscale", .help = "1.4.1.2"},
        {.label = "Rag. Sociale", .column = p + "Denominazione", .help = "1.4.1.3.1"},
        {.label = "Nome", .column = p + "Nome", .help = "1.4.1.3.2"},
        {.label = "Cognome", .column = p + "Cognome", .help = "1.4.1.3.3"},
        {.label = "Titolo", .column = p + "Titolo", .help = "1.4.1.3.4"},
        {.label = "Cod. Eori", .column = p + "CodEORI", .help = "1.4.1.3.5"},
        // Letters and digits, upper case: 6 for a public administration's office, 7 otherwise.
        {.label = "Codice destinatario",
         .column = "DatiTrasmissione_CodiceDestinatario",
         .help = "1.1.4",
         .upperCase = true,
         .pattern = QStringLiteral("[A-Za-z0-9]*")},
        {.label = "Pec", .column = p + "Pec", .help = "1.1.6"},
        {.label = "Pubblica Amministrazione",
         .column = p + "PubblicaAmministrazione",
         .control = FieldControl::Check},
        {.label = "Formato Trasmissione",
         .column = "DatiTrasmissione_FormatoTrasmissione",
         .help = "1.1.3",
         .readOnly = true},
    });
    addTabbed(addressFields(p + "Sede_", QStringLiteral("1.4.2"), 0));
    addTabbed({{.label = "Includi",
                .column = p + "StabileOrganizzazione",
                .control = FieldControl::Check,
                .help = "1.4.3",
                .tab = 1}});
    addTabbed(addressFields(p + "StabileOrganizzazione_", QStringLiteral("1.4.3"), 1));
    const QString rf = p + "RappresentanteFiscale";
    addTabbed({
        {.label = "Includi",
         .column = rf,
         .control = FieldControl::Check,
         .help = "1.4.4",
         .tab = 2},
        {.label = "Nazione",
         .column = rf + "_Nazione",
         .help = "1.4.4.1.1",
         .tab = 2,
         .list = kCountries},
        {.label = "P.Iva", .column = rf + "_IdCodice", .help = "1.4.4.1.2", .tab = 2},
        {.label = "Rag. Sociale", .column = rf + "_Denominazione", .help = "1.4.4.2", .tab = 2},
        {.label = "Cognome", .column = rf + "_Cognome", .help = "1.4.4.4", .tab = 2},
        {.label = "Nome", .column = rf + "_Nome", .help = "1.4.4.3", .tab = 2},
    });
    finishForm();
    setIncludedBlocks(headerBlocks());

    avanti_ = addToolButton(QStringLiteral("spdAvanti"), QStringLiteral("Avanti"));
    connect(avanti_, &QPushButton::clicked, this, &HeaderCessionarioEditor::avanti);

    // The new-customer button sits beside the customer pick.
    newCustomer_ = new QToolButton(this);
    newCustomer_->setObjectName(QStringLiteral("btnNuovoCessionario"));
    newCustomer_->setText(QStringLiteral("Nuovo"));
    newCustomer_->setToolTip(
        QStringLiteral("Inserisce un nuovo Cessionario - Committente non presente in archivio"));
    newCustomer_->setEnabled(false);
    QWidget* customerPick = field(p + "ID");
    auto* grid = qobject_cast<QGridLayout*>(customerPick->parentWidget()->layout());
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(customerPick), &row, &column, &rowSpan, &columnSpan);
    grid->addWidget(newCustomer_, row, 2);
    connect(newCustomer_, &QToolButton::clicked, this, [this] {
        if (addCustomer_)
            addCustomer_();
    });

    connect(lookup(p + "ID"), &BoundLookup::picked, this, &HeaderCessionarioEditor::copyBuyer);
    // A customer deleted from the archive still names the Document's own copy of its data.
    lookup(p + "ID")->missingText = [this, p] {
        const Dataset& header = dataset();
        QString name = header.text(p + "Denominazione").trimmed();
        if (name.isEmpty())
            name = (header.text(p + "Cognome") + u' ' + header.text(p + "Nome")).trimmed();
        return name.isEmpty() ? QString() : QStringLiteral("%1 (non più in archivio)").arg(name);
    };
    bindMunicipality(p + "Sede_Comune", p + "Sede_CAP", p + "Sede_Provincia", p + "Sede_Nazione");
    bindMunicipality(p + "StabileOrganizzazione_Comune", p + "StabileOrganizzazione_CAP",
                     p + "StabileOrganizzazione_Provincia", p + "StabileOrganizzazione_Nazione");

    const auto italian = [this](const QString& country) {
        return shown(country) == QLatin1String("Italia");
    };
    const QString so = p + "StabileOrganizzazione";
    const QString pa = p + "PubblicaAmministrazione";
    const QString destinatario = QStringLiteral("DatiTrasmissione_CodiceDestinatario");
    setRules(
        QList<Rule>{
            // Checked before the VAT-number flag is derived (beforeRules), and only this one.
            {[this, p] { return !isEmpty(p + "IdCodice") && isEmpty(p + "IdPaese"); },
             QStringLiteral("Attenzione manca la Nazione"), p + "IdPaese"},
            {[this, p] { return isEmpty(p + "IdCodice") && isEmpty(p + "CodiceFiscale"); },
             QStringLiteral("Attenzione Manca o il codice fiscale oppure la partita Iva"),
             p + "IdCodice"},
            {[this, p] {
                 return isEmpty(p + "Denominazione") && isEmpty(p + "Cognome") &&
                        isEmpty(p + "Nome");
             },
             kNamesMissing, QString()},
            {missing(p + "Sede_Indirizzo"), QStringLiteral("Attenzione manca l'Indirizzo"),
             p + "Sede_Indirizzo"},
            {missing(p + "Sede_CAP"), QStringLiteral("Attenzione manca il Cap"), p + "Sede_CAP"},
            {missing(p + "Sede_Comune"), QStringLiteral("Attenzione manca il Comune"),
             p + "Sede_Comune"},
            {missing(p + "Sede_Nazione"), QStringLiteral("Attenzione manca la Nazione"),
             p + "Sede_Nazione"},
            {tooShort(p + "CodiceFiscale", 11), kCodiceFiscaleShort, p + "CodiceFiscale"},
            {tooShort(p + "Titolo", 2), kTitoloShort, p + "Titolo"},
            {tooShort(p + "CodEORI", 13), kEoriShort, p + "CodEORI"},
            // Foreign postcodes may be shorter.
            {[=, this] { return tooShort(p + "Sede_CAP", 5)() && italian(p + "Sede_Nazione"); },
             QStringLiteral("Attenzione il codice CAP deve essere di almeno 5 caratteri"),
             p + "Sede_CAP"}} +
        stableOrganizationRules(so) +
        QList<Rule>{
            {inBlock(rf, missing(rf + "_IdCodice")),
             QStringLiteral("Attenzione manca la partita iva"), rf + "_IdCodice"},
            {inBlock(rf, missing(rf + "_Nazione")), QStringLiteral("Attenzione manca la Nazione"),
             rf + "_Nazione"},
            {inBlock(rf,
                     [this, rf] {
                         return isEmpty(rf + "_Denominazione") && isEmpty(rf + "_Cognome") &&
                                isEmpty(rf + "_Nome");
                     }),
             kNamesMissing, rf + "_Denominazione"},
            {[=, this] { return dataset().flag(pa) && isEmpty(destinatario); },
             QStringLiteral("Attenzione manca il codice destinatario - codice univoco"),
             destinatario},
            {[=, this] {
                 return !dataset().flag(pa) && isEmpty(destinatario) && isEmpty(p + "Pec");
             },
             QStringLiteral("Attenzione manca il codice destinatario accreditato sdi - o la pec"),
             p + "Pec"},
            {[=, this] { return dataset().flag(pa) && length(destinatario) != 6; },
             QStringLiteral("Attenzione il codice destinatario di una Pubblica Amministrazione "
                            "(codice univoco ufficio) deve essere di 6 caratteri"),
             destinatario},
            {[=, this] {
                 return !dataset().flag(pa) && length(destinatario) != 0 &&
                        length(destinatario) != 7;
             },
             QStringLiteral("Attenzione il codice destinatario deve essere di 7 caratteri "
                            "(0000000 per chi riceve con la PEC o non è accreditato)"),
             destinatario},
        });
}

void HeaderCessionarioEditor::setAddCustomer(std::function<void()> add) {
    addCustomer_ = std::move(add);
    newCustomer_->setEnabled(bool(addCustomer_));
}

void HeaderCessionarioEditor::beforeRules() {
    // Whether the buyer is identified by VAT number follows the number itself; it is set even
    // when a later rule stops the save, but not when the country of that number is missing.
    const QString vat = QStringLiteral("CessionarioCommittente_IdCodice");
    if (!isEmpty(vat) && isEmpty(QStringLiteral("CessionarioCommittente_IdPaese")))
        return;
    dataset().edit();
    dataset().setValue(QStringLiteral("CessionarioCommittente_IdFiscaleIva"), !isEmpty(vat));
}

bool HeaderCessionarioEditor::confirmSave() {
    dataset().edit();
    dataset().setValue(
        QStringLiteral("DatiTrasmissione_FormatoTrasmissione"),
        dataset().flag(QStringLiteral("CessionarioCommittente_PubblicaAmministrazione"))
            ? QStringLiteral("FPA12")
            : QStringLiteral("FPR12"));
    return true;
}

void HeaderCessionarioEditor::avanti() {
    if (isModified() && !save())
        return;
    if (openBodyRegister)
        openBodyRegister();
    else
        done(QDialog::Accepted);
}

void HeaderCessionarioEditor::copyBuyer() {
    const Dataset& buyer = db().table(ds::PA_CessionarioCommittente);
    if (buyer.isNull(QStringLiteral("CessionarioCommittente_ID")))
        return;
    Dataset& header = dataset();
    header.edit();
    // A buyer without VAT number leaves the Document's VAT identity as it was.
    if (!buyer.text(QStringLiteral("CessionarioCommittente_IdCodice")).isEmpty()) {
        header.setValue(QStringLiteral("CessionarioCommittente_IdFiscaleIva"), true);
        copyColumns(header, buyer, {QStringLiteral("CessionarioCommittente_IdCodice")});
    }
    copyColumns(header, buyer, buyerColumns());
    // The recipient code is upper case in the file, as typed on this screen.
    QVariant code = buyer.value(QStringLiteral("CessionarioCommittente_CodiceUnivocoUfficio"));
    if (!code.isNull())
        code = code.toString().trimmed().toUpper();
    header.setValue(QStringLiteral("DatiTrasmissione_CodiceDestinatario"), code);
    // Both blocks are copied with their flags, whether they are used or not.
    for (const OptionalBlock& block : buyerBlocks())
        copyColumns(header, buyer, QStringList{block.flag} + block.columns);
    copyColumns(header, buyer,
                {QStringLiteral("CessionarioCommittente_PubblicaAmministrazione"),
                 QStringLiteral("CessionarioCommittente_Pec")});
    header.setValue(QStringLiteral("DatiTrasmissione_FormatoTrasmissione"),
                    buyer.flag(QStringLiteral("CessionarioCommittente_PubblicaAmministrazione"))
                        ? QStringLiteral("FPA12")
                        : QStringLiteral("FPR12"));
    setModified(true);
}

// --- fiscal representative and intermediary ---

HeaderSoggettoEditor::HeaderSoggettoEditor(DataModule& db, const Shape& shape, QWidget* parent)
    : HeaderForm(db, shape.caption, parent) {
    const QString& p = shape.prefix;
    const auto help = [&shape](const char* tail) { return shape.helpRoot + QLatin1String(tail); };
    beginForm();
    addTop({
        {.label = "Includi",
         .column = shape.flag,
         .control = FieldControl::Check,
         .help = shape.helpRoot},
        {.label = "Nazione", .column = p + "IdPaese", .help = help(".1.1.1"), .list = kCountries},
        {.label = "P.Iva", .column = p + "IdCodice", .help = help(".1.1.2")},
        {.label = "Codice Fiscale", .column = p + "CodiceFiscale", .help = help(".1.2")},
        {.label = "Rag. Sociale", .column = p + "Denominazione", .help = help(".1.3.1")},
        {.label = "Nome", .column = p + "Nome", .help = help(".1.3.2")},
        {.label = "Cognome", .column = p + "Cognome", .help = help(".1.3.3")},
        {.label = "Titolo", .column = p + "Titolo", .help = help(".1.3.4")},
        {.label = "Cod. Eori", .column = p + "CodEORI", .help = help(".1.3.5")},
    });
    finishForm();
    setIncludedBlocks(headerBlocks());

    const QString flag = shape.flag;
    const auto included = [this, flag](Test test) { return inBlock(flag, std::move(test)); };
    QList<Rule> rules;
    if (shape.vatRequired) {
        rules << Rule{included([this, p] { return isEmpty(p + "IdCodice"); }),
                      QStringLiteral("Attenzione manca la Partita Iva"), p + "IdCodice"};
        rules << Rule{included([this, p] { return isEmpty(p + "IdPaese"); }),
                      QStringLiteral("Attenzione manca la Nazione"), p + "IdPaese"};
    } else {
        // An intermediary identified by tax code alone needs no country.
        rules << Rule{
            included([this, p] { return !isEmpty(p + "IdCodice") && isEmpty(p + "IdPaese"); }),
            QStringLiteral("Attenzione manca la Nazione"), p + "IdPaese"};
    }
    rules << Rule{included([this, p] {
                      return isEmpty(p + "Denominazione") && isEmpty(p + "Cognome") &&
                             isEmpty(p + "Nome");
                  }),
                  kNamesMissing, p + "Denominazione"};
    rules << Rule{included(tooShort(p + "CodiceFiscale", 11)), kCodiceFiscaleShort,
                  p + "CodiceFiscale"};
    rules << Rule{included(tooShort(p + "Titolo", 2)), kTitoloShort, p + "Titolo"};
    rules << Rule{included(tooShort(p + "CodEORI", 13)), kEoriShort, p + "CodEORI"};
    setRules(rules);
}

HeaderRappresentanteEditor::HeaderRappresentanteEditor(DataModule& db, QWidget* parent)
    : HeaderSoggettoEditor(
          db,
          {QStringLiteral("Rappresentante Fiscale"), QStringLiteral("RappresentanteFiscale"),
           QStringLiteral("RappresentanteFiscale_DatiAnagrafici_"), QStringLiteral("1.3"), true},
          parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Header_RappresentanteFiscale"));
}

HeaderTerzoIntermediarioEditor::HeaderTerzoIntermediarioEditor(DataModule& db, QWidget* parent)
    : HeaderSoggettoEditor(db,
                           {QStringLiteral("Terzo Intermediario o Soggetto Emittente"),
                            QStringLiteral("TerzoIntermediarioOSoggettoEmittente"),
                            QStringLiteral("TerzoIntermediarioOSoggettoEmittente_"),
                            QStringLiteral("1.5"), false},
                           parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Header_TerzoIntermediario"));
}

} // namespace brevalto
