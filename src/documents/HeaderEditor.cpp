#include "documents/HeaderEditor.h"

#include "documents/HeaderPartyEditors.h"
#include "logic/DocumentRegister.h"
#include "logic/DocumentRules.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "ui/BoundInputs.h"
#include "ui/CommonFields.h"
#include "ui/ScreenHost.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace brevalto {

namespace {

// A caption that opens another screen when clicked (or activated from the keyboard).
QLabel* linkLabel(const QString& caption, const QString& objectName) {
    auto* label = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(caption.toHtmlEscaped()));
    label->setObjectName(objectName);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setToolTip(caption);
    return label;
}

} // namespace

HeaderEditor::HeaderEditor(DataModule& db, QWidget* parent)
    : HeaderForm(db, QStringLiteral("Dati Trasmissione"), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Header"));
    beginForm();
    addTop({
        {.label = "Progressivo Invio",
         .column = "DatiTrasmissione_ProgressivoInvio",
         .help = "1.1.2"},
        {.label = "Soggetto emittente",
         .column = "SoggettoEmittente",
         .help = "1.6",
         .list = codeList("TablePA_SoggettoEmittente")},
        {.label = "Numero Interno", .column = "Numero", .control = FieldControl::Integer},
        {.label = "Esportato", .column = "Esportato", .control = FieldControl::Check},
    });
    auto* group = new QLabel(QStringLiteral("<b>DATI TRASMITTENTE</b>"));
    group->setObjectName(QStringLiteral("lblDatiTrasmittente"));
    group->setContentsMargins(0, 8, 0, 0);
    addTopWidget(group);
    addTop({
        {.label = "Nazione",
         .column = "DatiTrasmissione_IdPaese",
         .help = "1.1.1.1",
         .list = kCountries},
        {.label = "Codice Fiscale", .column = "DatiTrasmissione_IdCodice", .help = "1.1.1.2"},
        {.label = "Telefono",
         .column = "DatiTrasmissione_ContattiTrasmittente_Telefono",
         .help = "1.1.5.1"},
        {.label = "Email",
         .column = "DatiTrasmissione_ContattiTrasmittente_Email",
         .help = "1.1.5.2"},
    });
    cedenteLink_ =
        linkLabel(QStringLiteral("Cedente - Prestatore"), QStringLiteral("lblCedentePrestatore"));
    rappresentanteLink_ = linkLabel(QStringLiteral("Rappresentante Fiscale"),
                                    QStringLiteral("lblRappresentanteFiscale"));
    terzoLink_ =
        linkLabel(QStringLiteral("Terzo Intermediario"), QStringLiteral("lblTerzoIntermediario"));
    auto* parties = new QWidget;
    auto* row = new QHBoxLayout(parties);
    row->setContentsMargins(0, 12, 0, 0);
    row->addWidget(cedenteLink_);
    row->addSpacing(24);
    row->addWidget(rappresentanteLink_);
    row->addSpacing(24);
    row->addWidget(terzoLink_);
    row->addStretch();
    addTopWidget(parties);
    finishForm();

    avanti_ =
        addToolButton(QStringLiteral("spdAvanti"), QStringLiteral("Avanti"), [this] { avanti(); });
    connect(cedenteLink_, &QLabel::linkActivated, this, &HeaderEditor::openCedente);
    connect(rappresentanteLink_, &QLabel::linkActivated, this, &HeaderEditor::openRappresentante);
    connect(terzoLink_, &QLabel::linkActivated, this, &HeaderEditor::openTerzoIntermediario);

    setRules(transmissionRules());
}

void HeaderEditor::setPartyScreens(HeaderCedenteEditor* cedente,
                                   HeaderRappresentanteEditor* rappresentante,
                                   HeaderTerzoIntermediarioEditor* terzo,
                                   HeaderCessionarioEditor* cessionario) {
    cedente_ = cedente;
    rappresentante_ = rappresentante;
    terzo_ = terzo;
    cessionario_ = cessionario;
}

int HeaderEditor::showDocument(bool justAdded) {
    setAnnullaVisible(justAdded);
    const int result = showModal(*this);
    setAnnullaVisible(false);
    return result;
}

void HeaderEditor::avanti() {
    if (isModified() && !save())
        return;
    if (cessionario_)
        showModal(*cessionario_);
}

bool HeaderEditor::confirmAnnulla() {
    // Bodies added since the Document was created go with it: that much is not taken back
    // without asking.
    const int bodies =
        db().connessione()
            .scalar(QStringLiteral("select count(*) from PA_FE_Body where PA_FE_Header_Id = ?"),
                    {dataset().value(QStringLiteral("ID"))})
            .toInt();
    return bodies == 0 ||
           prompt().question(
               Prompt::warningTitle(),
               QStringLiteral("Eliminare il documento appena creato con le sue fatture e righe?"));
}

void HeaderEditor::deleteJustAdded() {
    if (dataset().state() != Dataset::State::Browse)
        dataset().cancel();
    if (deleteCurrentDocument)
        deleteCurrentDocument();
    else
        DocumentRegister(db(), prompt()).elimina();
}

void HeaderEditor::openCedente() {
    if (!cedente_)
        return;
    cedente_->selectFirstTab();
    showModal(*cedente_);
}

void HeaderEditor::openRappresentante() {
    if (rappresentante_)
        showModal(*rappresentante_);
}

void HeaderEditor::openTerzoIntermediario() {
    if (terzo_)
        showModal(*terzo_);
}

} // namespace brevalto
