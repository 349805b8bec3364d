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

// --- seller ---

HeaderCedenteEditor::HeaderCedenteEditor(DataModule& db, QWidget* parent)
    : HeaderForm(db, QStringLiteral("Cedente Prestatore"), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Header_CedentePrestatore"));
    const QString p = QStringLiteral("CedentePrestatore_");
    beginForm({QStringLiteral("Albo Professionale"), QStringLiteral("Sede"),
               QStringLiteral("Stabile Organizzazione"), QStringLiteral("Iscrizione REA"),
               QStringLiteral("Contatti")});
    addTop(QList<Field>{{.label = "Cambia Cedente - Prestatore",
                         .column = p + "Id",
                         .list = PickList{"TablePA_CedentePrestatore", p + "Id", "Nominativo"}}} +
           identityFields(party::seller()) +
           QList<Field>{
               {.label = "Regime fiscale",
                .column = p + "RegimeFiscale",
                .help = "1.2.1.8",
                .list = codeList("TablePA_RegimeFiscale")},
               {.label = "Rif. Amministraz.",
                .column = p + "RiferimentoAmministrazione",
                .help = "1.2.6"},
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

    setRules(sellerRules());
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
    addTop(
        QList<Field>{{.label = "Cessionario - Committente",
                      .column = p + "ID",
                      .list = PickList{"TablePA_CessionarioCommittente", p + "ID",
                                       p + "NominativoVisualizzato"}}} +
        identityFields(party::buyer()) +
        QList<Field>{
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
    });
    addTabbed(buyerRepresentativeFields(2));
    finishForm();
    setIncludedBlocks(headerBlocks());

    avanti_ =
        addToolButton(QStringLiteral("spdAvanti"), QStringLiteral("Avanti"), [this] { avanti(); });

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

    setRules(buyerRules(QStringLiteral("DatiTrasmissione_CodiceDestinatario")));
}

void HeaderCessionarioEditor::setAddCustomer(std::function<void()> add) {
    addCustomer_ = std::move(add);
    newCustomer_->setEnabled(bool(addCustomer_));
}

void HeaderCessionarioEditor::beforeRules() {
    // Set even when a later rule stops the save.
    const std::optional<bool> byVat = identifiedByVat(DatasetRow(dataset()));
    if (!byVat)
        return;
    dataset().edit();
    dataset().setValue(QStringLiteral("CessionarioCommittente_IdFiscaleIva"), *byVat);
}

bool HeaderCessionarioEditor::confirmSave() {
    dataset().edit();
    dataset().setValue(QStringLiteral("DatiTrasmissione_FormatoTrasmissione"),
                       transmissionFormat(dataset().flag(
                           QStringLiteral("CessionarioCommittente_PubblicaAmministrazione"))));
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
                    transmissionFormat(buyer.flag(
                        QStringLiteral("CessionarioCommittente_PubblicaAmministrazione"))));
    setModified(true);
}

// --- fiscal representative and intermediary ---

HeaderSoggettoEditor::HeaderSoggettoEditor(DataModule& db, const QString& caption,
                                           const PartyBlock& block, QWidget* parent)
    : HeaderForm(db, caption, parent) {
    beginForm();
    addTop(QList<Field>{{.label = "Includi",
                         .column = block.flags.constFirst(),
                         .control = FieldControl::Check,
                         .help = block.helpRoot.left(block.helpRoot.lastIndexOf(u'.'))}} +
           identityFields(block));
    finishForm();
    setIncludedBlocks(headerBlocks());
    setRules(identityRules(block));
}

HeaderRappresentanteEditor::HeaderRappresentanteEditor(DataModule& db, QWidget* parent)
    : HeaderSoggettoEditor(db, QStringLiteral("Rappresentante Fiscale"), party::representative(),
                           parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Header_RappresentanteFiscale"));
}

HeaderTerzoIntermediarioEditor::HeaderTerzoIntermediarioEditor(DataModule& db, QWidget* parent)
    : HeaderSoggettoEditor(db, QStringLiteral("Terzo Intermediario o Soggetto Emittente"),
                           party::intermediary(), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Header_TerzoIntermediario"));
}

} // namespace brevalto
