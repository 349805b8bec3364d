#include "documents/HeaderPartyEditors.h"

#include "documents/HeaderFields.h"
#include "documents/PartyColumns.h"
#include "store/DataModule.h"
#include "ui/BoundInputs.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace brevalto {

using namespace headerfields;

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
        pick(QStringLiteral("Cambia Cedente - Prestatore"), p + "Id", QString(),
             QStringLiteral("TablePA_CedentePrestatore"), p + "Id", QStringLiteral("Nominativo")),
        country(QStringLiteral("Nazione"), p + "IdPaese", QStringLiteral("1.2.1.1.1")),
        text(QStringLiteral("P.Iva"), p + "IdCodice", QStringLiteral("1.2.1.1.2")),
        text(QStringLiteral("Codice Fiscale"), p + "CodiceFiscale", QStringLiteral("1.2.1.2")),
        text(QStringLiteral("Rag. Sociale"), p + "Denominazione", QStringLiteral("1.2.1.3.1")),
        text(QStringLiteral("Nome"), p + "Nome", QStringLiteral("1.2.1.3.2")),
        text(QStringLiteral("Cognome"), p + "Cognome", QStringLiteral("1.2.1.3.3")),
        text(QStringLiteral("Titolo"), p + "Titolo", QStringLiteral("1.2.1.3.4")),
        text(QStringLiteral("Cod. Eori"), p + "CodOERI", QStringLiteral("1.2.1.3.5")),
        code(QStringLiteral("Regime fiscale"), p + "RegimeFiscale", QStringLiteral("1.2.1.8"),
             QStringLiteral("TablePA_RegimeFiscale")),
        text(QStringLiteral("Rif. Amministraz."), p + "RiferimentoAmministrazione",
             QStringLiteral("1.2.6")),
    });
    addTabbed({
        text(QStringLiteral("Albo Profess."), p + "AlboProfessionale", QStringLiteral("1.2.1.4"),
             0),
        province(QStringLiteral("Provincia albo"), p + "ProvinciaAlbo", QStringLiteral("1.2.1.5"),
                 0),
        text(QStringLiteral("N° Iscriz. albo"), p + "NumeroIscrizioneAlbo",
             QStringLiteral("1.2.1.6"), 0),
        date(QStringLiteral("Data Iscriz. albo"), p + "DataIscrizioneAlbo",
             QStringLiteral("1.2.1.7"), 0),
    });
    addTabbed(address(p + "Sede_", QStringLiteral("1.2.2"), 1));
    addTabbed({check(QStringLiteral("Includi"), p + "StabileOrganizzazione",
                     QStringLiteral("1.2.3"), 2)});
    addTabbed(address(p + "StabileOrganizzazione_", QStringLiteral("1.2.3"), 2));
    addTabbed({
        check(QStringLiteral("Includi"), p + "Iscrizione_REA", QStringLiteral("1.2.4"), 3),
        province(QStringLiteral("Ufficio"), p + "Iscrizione_REA_Ufficio", QStringLiteral("1.2.4.1"),
                 3),
        text(QStringLiteral("Numero REA"), p + "Iscrizione_REA_NumeroREA",
             QStringLiteral("1.2.4.2"), 3),
        number(QStringLiteral("Cap. sociale"), p + "Iscrizione_REA_CapitaleSociale",
               QStringLiteral("1.2.4.3"), 3, 15),
        code(QStringLiteral("Socio unico"), p + "Iscrizione_REA_SocioUnico",
             QStringLiteral("1.2.4.4"), QStringLiteral("TablePA_IscrizRea_SocioUnico"), 3),
        code(QStringLiteral("Stato Liquidazione"), p + "Iscrizione_REA_StatoLiquidazione",
             QStringLiteral("1.2.4.5"), QStringLiteral("TablePA_IscrizRea_StatoLiquidazione"), 3),
    });
    addTabbed({
        check(QStringLiteral("Includi"), p + "Iscrizione_Contatti", QStringLiteral("1.2.5"), 4),
        text(QStringLiteral("Email"), p + "Contatti_Email", QStringLiteral("1.2.5.3"), 4),
        text(QStringLiteral("Telefono"), p + "Contatti_Telefono", QStringLiteral("1.2.5.1"), 4),
        text(QStringLiteral("Fax"), p + "Contatti_Fax", QStringLiteral("1.2.5.2"), 4),
    });
    finishForm();

    connect(lookup(p + "Id"), &BoundLookup::picked, this, &HeaderCedenteEditor::copySeller);
    bindMunicipality(p + "Sede_Comune", p + "Sede_CAP", p + "Sede_Provincia", p + "Sede_Nazione");
    bindMunicipality(p + "StabileOrganizzazione_Comune", p + "StabileOrganizzazione_CAP",
                     p + "StabileOrganizzazione_Provincia", p + "StabileOrganizzazione_Nazione");

    const QString so = p + "StabileOrganizzazione";
    const QString rea = p + "Iscrizione_REA";
    const QString contatti = p + "Iscrizione_Contatti";
    setRules({
        {missing(p + "IdCodice"), QStringLiteral("Attenzione manca la Partita Iva"),
         p + "IdCodice"},
        {missing(p + "IdPaese"), QStringLiteral("Attenzione manca la Nazione"), p + "IdPaese"},
        {missing(p + "RegimeFiscale"), QStringLiteral("Attenzione manca il regime fiscale"),
         p + "RegimeFiscale"},
        {[this, p] {
             return isEmpty(p + "Denominazione") && isEmpty(p + "Cognome") && isEmpty(p + "Nome");
         },
         kNamesMissing, QString()},
        {missing(p + "Sede_Indirizzo"), QStringLiteral("Attenzione manca l'Indirizzo della Sede"),
         p + "Sede_Indirizzo"},
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
         p + "Sede_CAP"},
        {inBlock(so, missing(so + "_Indirizzo")),
         QStringLiteral("Attenzione manca l'Indirizzo dello Stabile dell'organizzazione"),
         so + "_Indirizzo"},
        {inBlock(so, missing(so + "_CAP")),
         QStringLiteral("Attenzione manca il Cap dello Stabile dell'organizzazione"), so + "_CAP"},
        {inBlock(so, [this, so] { return length(so + "_CAP") < 5; }),
         QStringLiteral("Attenzione il Cap dello Stabile dell'organizzazione deve essere di almeno "
                        "5 Caratteri !"),
         so + "_CAP"},
        {inBlock(so, missing(so + "_Comune")),
         QStringLiteral("Attenzione manca il Comune dello Stabile dell'organizzazione"),
         so + "_Comune"},
        {inBlock(so, missing(so + "_Nazione")),
         QStringLiteral("Attenzione manca la Nazione dello Stabile dell'organizzazione"),
         so + "_Nazione"},
        {inBlock(rea, missing(rea + "_Ufficio")), QStringLiteral("Attenzione manca l'Ufficio "),
         rea + "_Ufficio"},
        {inBlock(rea, missing(rea + "_NumeroREA")),
         QStringLiteral("Attenzione manca il Numero REA"), rea + "_NumeroREA"},
        {inBlock(rea, missing(rea + "_StatoLiquidazione")),
         QStringLiteral("Attenzione manca lo stato di liquidazione "), rea + "_StatoLiquidazione"},
        {inBlock(contatti, tooShort(p + "Contatti_Telefono", 5)),
         QStringLiteral("Attenzione il telefono del contatto deve essere di almeno 5 Caratteri !"),
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
    const Dataset& seller = db().table(QStringLiteral("TablePA_CedentePrestatore"));
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
        pick(QStringLiteral("Cessionario - Committente"), p + "ID", QString(),
             QStringLiteral("TablePA_CessionarioCommittente"), p + "ID",
             p + "NominativoVisualizzato"),
        country(QStringLiteral("Nazione"), p + "IdPaese", QStringLiteral("1.4.1.1.1")),
        text(QStringLiteral("P.Iva"), p + "IdCodice", QStringLiteral("1.4.1.1.2")),
        text(QStringLiteral("Codice Fiscale"), p + "CodiceFiscale", QStringLiteral("1.4.1.2")),
        text(QStringLiteral("Rag. Sociale"), p + "Denominazione", QStringLiteral("1.4.1.3.1")),
        text(QStringLiteral("Nome"), p + "Nome", QStringLiteral("1.4.1.3.2")),
        text(QStringLiteral("Cognome"), p + "Cognome", QStringLiteral("1.4.1.3.3")),
        text(QStringLiteral("Titolo"), p + "Titolo", QStringLiteral("1.4.1.3.4")),
        text(QStringLiteral("Cod. Eori"), p + "CodEORI", QStringLiteral("1.4.1.3.5")),
        text(QStringLiteral("Codice destinatario"),
             QStringLiteral("DatiTrasmissione_CodiceDestinatario"), QStringLiteral("1.1.4")),
        text(QStringLiteral("Pec"), p + "Pec", QStringLiteral("1.1.6")),
        check(QStringLiteral("Pubblica Amministrazione"), p + "PubblicaAmministrazione", QString()),
        {QStringLiteral("Formato Trasmissione"),
         QStringLiteral("DatiTrasmissione_FormatoTrasmissione"),
         FieldControl::Text,
         0,
         0,
         QStringLiteral("1.1.3"),
         {},
         {},
         {},
         false,
         true},
    });
    addTabbed(address(p + "Sede_", QStringLiteral("1.4.2"), 0));
    addTabbed({check(QStringLiteral("Includi"), p + "StabileOrganizzazione",
                     QStringLiteral("1.4.3"), 1)});
    addTabbed(address(p + "StabileOrganizzazione_", QStringLiteral("1.4.3"), 1));
    const QString rf = p + "RappresentanteFiscale";
    addTabbed({
        check(QStringLiteral("Includi"), rf, QStringLiteral("1.4.4"), 2),
        country(QStringLiteral("Nazione"), rf + "_Nazione", QStringLiteral("1.4.4.1.1"), 2),
        text(QStringLiteral("P.Iva"), rf + "_IdCodice", QStringLiteral("1.4.4.1.2"), 2),
        text(QStringLiteral("Rag. Sociale"), rf + "_Denominazione", QStringLiteral("1.4.4.2"), 2),
        text(QStringLiteral("Cognome"), rf + "_Cognome", QStringLiteral("1.4.4.4"), 2),
        text(QStringLiteral("Nome"), rf + "_Nome", QStringLiteral("1.4.4.3"), 2),
    });
    finishForm();

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
    bindMunicipality(p + "Sede_Comune", p + "Sede_CAP", p + "Sede_Provincia", p + "Sede_Nazione");
    bindMunicipality(p + "StabileOrganizzazione_Comune", p + "StabileOrganizzazione_CAP",
                     p + "StabileOrganizzazione_Provincia", p + "StabileOrganizzazione_Nazione");

    const auto italian = [this](const QString& country) {
        return shown(country) == QLatin1String("Italia");
    };
    const QString so = p + "StabileOrganizzazione";
    const QString pa = p + "PubblicaAmministrazione";
    const QString destinatario = QStringLiteral("DatiTrasmissione_CodiceDestinatario");
    setRules({
        // Checked before the VAT-number flag is derived (beforeRules), and only this one.
        {[this, p] { return !isEmpty(p + "IdCodice") && isEmpty(p + "IdPaese"); },
         QStringLiteral("Attenzione manca la Nazione"), p + "IdPaese"},
        {[this, p] { return isEmpty(p + "IdCodice") && isEmpty(p + "CodiceFiscale"); },
         QStringLiteral("Attenzione Manca o il codice fiscale oppure la partita Iva"),
         p + "IdCodice"},
        {[this, p] {
             return isEmpty(p + "Denominazione") && isEmpty(p + "Cognome") && isEmpty(p + "Nome");
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
         p + "Sede_CAP"},
        {inBlock(so, missing(so + "_Indirizzo")),
         QStringLiteral("Attenzione manca l'Indirizzo dello Stabile dell'organizzazione"),
         so + "_Indirizzo"},
        {inBlock(so, missing(so + "_CAP")),
         QStringLiteral("Attenzione manca il Cap dello Stabile dell'organizzazione"), so + "_CAP"},
        {inBlock(so, [=, this] { return length(so + "_CAP") < 5 && italian(so + "_Nazione"); }),
         QStringLiteral("Attenzione il Cap dello Stabile dell'organizzazione deve essere di almeno "
                        "5 Caratteri !"),
         so + "_CAP"},
        {inBlock(so, missing(so + "_Comune")),
         QStringLiteral("Attenzione manca il Comune dello Stabile dell'organizzazione"),
         so + "_Comune"},
        {inBlock(so, missing(so + "_Nazione")),
         QStringLiteral("Attenzione manca la Nazione dello Stabile dell'organizzazione"),
         so + "_Nazione"},
        {inBlock(rf, missing(rf + "_IdCodice")), QStringLiteral("Attenzione manca la partita iva"),
         rf + "_IdCodice"},
        {inBlock(rf, missing(rf + "_Nazione")), QStringLiteral("Attenzione manca la Nazione"),
         rf + "_Nazione"},
        {inBlock(rf,
                 [this, rf] {
                     return isEmpty(rf + "_Denominazione") && isEmpty(rf + "_Cognome") &&
                            isEmpty(rf + "_Nome");
                 }),
         kNamesMissing, rf + "_Denominazione"},
        {[=, this] { return dataset().flag(pa) && isEmpty(destinatario); },
         QStringLiteral("Attenzione manca il codice destinatario - codice univoco"), destinatario},
        {[=, this] { return !dataset().flag(pa) && isEmpty(destinatario) && isEmpty(p + "Pec"); },
         QStringLiteral("Attenzione manca il codice destinatario accreditato sdi - o la pec"),
         p + "Pec"},
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
    const Dataset& buyer = db().table(QStringLiteral("TablePA_CessionarioCommittente"));
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
    header.setValue(QStringLiteral("DatiTrasmissione_CodiceDestinatario"),
                    buyer.value(QStringLiteral("CessionarioCommittente_CodiceUnivocoUfficio")));
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
        check(QStringLiteral("Includi"), shape.flag, shape.helpRoot),
        country(QStringLiteral("Nazione"), p + "IdPaese", help(".1.1.1")),
        text(QStringLiteral("P.Iva"), p + "IdCodice", help(".1.1.2")),
        text(QStringLiteral("Codice Fiscale"), p + "CodiceFiscale", help(".1.2")),
        text(QStringLiteral("Rag. Sociale"), p + "Denominazione", help(".1.3.1")),
        text(QStringLiteral("Nome"), p + "Nome", help(".1.3.2")),
        text(QStringLiteral("Cognome"), p + "Cognome", help(".1.3.3")),
        text(QStringLiteral("Titolo"), p + "Titolo", help(".1.3.4")),
        text(QStringLiteral("Cod. Eori"), p + "CodEORI", help(".1.3.5")),
    });
    finishForm();

    const QString flag = shape.flag;
    const auto included = [this, flag](Test test) { return inBlock(flag, std::move(test)); };
    QList<RuleSpec> rules;
    if (shape.vatRequired) {
        rules << RuleSpec{included([this, p] { return isEmpty(p + "IdCodice"); }),
                          QStringLiteral("Attenzione manca la Partita Iva"), p + "IdCodice"};
        rules << RuleSpec{included([this, p] { return isEmpty(p + "IdPaese"); }),
                          QStringLiteral("Attenzione manca la Nazione"), p + "IdPaese"};
    } else {
        // An intermediary identified by tax code alone needs no country.
        rules << RuleSpec{
            included([this, p] { return !isEmpty(p + "IdCodice") && isEmpty(p + "IdPaese"); }),
            QStringLiteral("Attenzione manca la Nazione"), p + "IdPaese"};
    }
    rules << RuleSpec{included([this, p] {
                          return isEmpty(p + "Denominazione") && isEmpty(p + "Cognome") &&
                                 isEmpty(p + "Nome");
                      }),
                      kNamesMissing, p + "Denominazione"};
    rules << RuleSpec{included(tooShort(p + "CodiceFiscale", 11)), kCodiceFiscaleShort,
                      p + "CodiceFiscale"};
    rules << RuleSpec{included(tooShort(p + "Titolo", 2)), kTitoloShort, p + "Titolo"};
    rules << RuleSpec{included(tooShort(p + "CodEORI", 13)), kEoriShort, p + "CodEORI"};
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
