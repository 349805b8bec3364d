#include "documents/PagamentoEditors.h"

#include "logic/DocumentRules.h"
#include "logic/PagamentoProposal.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "ui/CommonFields.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QKeyEvent>

namespace brevalto {

PagamentoDettaglioEditor::PagamentoDettaglioEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, pagamento::kInstalmentsDataset, QStringLiteral("id"),
                    QStringLiteral("Dettagli Pagamento"), parent) {
    using C = FieldControl;
    beginForm();
    addTop(
        {{.label = "Beneficiario", .column = "Beneficiario", .control = C::Text, .help = "2.4.2.1"},
         {.label = "Mod. Pagamento",
          .column = "ModalitaPagamento",
          .help = "2.4.2.2",
          .list = codeList("TablePA_ModalitaPagamento")},
         {.label = "Data rif. termini pagam.",
          .column = "DataRiferimentoTerminiPagamento",
          .control = C::Date,
          .help = "2.4.2.3"},
         {.label = "Giorni Termini Pagamento",
          .column = "GiorniTerminiPagamento",
          .control = C::Integer,
          .help = "2.4.2.4"},
         {.label = "Data scadenza",
          .column = "DataScadenzaPagamento",
          .control = C::Date,
          .help = "2.4.2.5"},
         {.label = "Importo",
          .column = "ImportoPagamento",
          .control = C::Number,
          .help = "2.4.2.6"},
         {.label = "Cod. Ufficio Postale",
          .column = "CodUfficioPostale",
          .control = C::Text,
          .help = "2.4.2.7"},
         {.label = "Cognome Quietanzante",
          .column = "CognomeQuietanzante",
          .control = C::Text,
          .help = "2.4.2.8"},
         {.label = "Nome", .column = "NomeQuietanzante", .control = C::Text, .help = "2.4.2.9"},
         {.label = "Cod.Fisc. Quietanzante",
          .column = "CFQuietanzante",
          .control = C::Text,
          .help = "2.4.2.10"},
         {.label = "Titolo ",
          .column = "TitoloQuietanzante",
          .control = C::Text,
          .help = "2.4.2.11"},
         {.label = "Istituto Finanziario",
          .column = "IstitutoFinanziario",
          .control = C::Text,
          .help = "2.4.2.12"},
         {.label = "Iban", .column = "Iban", .control = C::Text, .help = "2.4.2.13"},
         {.label = "Abi", .column = "Abi", .control = C::Text, .help = "2.4.2.14"},
         {.label = "Cab", .column = "Cab", .control = C::Text, .help = "2.4.2.15"},
         {.label = "Bic", .column = "Bic", .control = C::Text, .help = "2.4.2.16"},
         {.label = "Sconto Pagamento Anticipato",
          .column = "ScontoPagamentoAnticipato",
          .control = C::Number,
          .help = "2.4.2.17"},
         {.label = "Data Limite Pagamento Anticipato",
          .column = "DataLimitePagamentoAnticipato",
          .control = C::Date,
          .help = "2.4.2.18"},
         {.label = " Penalita Pagamenti Ritardati",
          .column = "PenalitaPagamentiRitardati",
          .control = C::Number,
          .help = "2.4.2.19"},
         {.label = "Data Decorrenza Penale",
          .column = "DataDecorrenzaPenale",
          .control = C::Date,
          .help = "2.4.2.20"},
         {.label = "Codice Pagamento",
          .column = "CodicePagamento",
          .control = C::Text,
          .help = "2.4.2.21"}});
    field(QStringLiteral("Iban"))->installEventFilter(this);
    finishForm();
    setRules(instalmentRules());
}

bool PagamentoDettaglioEditor::eventFilter(QObject* watched, QEvent* event) {
    // An IBAN is written without spaces: the space key is dropped.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space)
        return true;
    return DocumentiForm::eventFilter(watched, event);
}

PagamentoEditor::PagamentoEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, pagamento::kTermsDataset, QStringLiteral("id"),
                    QStringLiteral("Dati pagamento"), parent),
      detail_(new PagamentoDettaglioEditor(db, this)) {
    beginForm();
    addTop({{.label = "Condizioni Pagamento",
             .column = "CondizioniPagamento",
             .help = "2.4.1",
             .list = codeList("TablePA_CondizioniPagamenti")}});
    list_ = new DocumentiSubList(
        db.table(pagamento::kInstalmentsDataset),
        {{QStringLiteral("Beneficiario"), QStringLiteral("Beneficiario"), 160},
         {QStringLiteral("ModalitaPagamento"), QStringLiteral("Mod. Pagamento"), 100},
         {QStringLiteral("DataScadenzaPagamento"), QStringLiteral("Data Scadenza"), 100},
         {QStringLiteral("ImportoPagamento"), QStringLiteral("Importo Pagamento"), 120},
         {QStringLiteral("Iban"), QStringLiteral("Iban"), 220}},
        QStringLiteral("Dettagli pagamento"));
    addTopWidget(list_, 1);
    connect(list_, &DocumentiSubList::addRequested, this, &PagamentoEditor::addInstalment);
    connect(list_, &DocumentiSubList::openRequested, this, &PagamentoEditor::openInstalment);
    connect(list_, &DocumentiSubList::removeRequested, this, &PagamentoEditor::removeInstalment);
    finishForm();
    setMinimumSize(720, 360);
    setRules(paymentRules());
}

bool PagamentoEditor::confirmSave() {
    if (detail_->dataset().isEmpty()) {
        fail(QStringLiteral("Attenzione manca il dettaglio di pagamento. Il file non può essere "
                            "completo se mancano queste informazioni !"),
             QString());
        addInstalment();
        return false;
    }
    return true;
}

void PagamentoEditor::indietro() {
    if (!dataset().isEmpty() && detail_->dataset().isEmpty())
        setModified(true);
    DocumentiForm::indietro();
}

void PagamentoEditor::addInstalment() {
    Dataset& term = dataset();
    if (term.isEmpty())
        return;
    DataModule& data = db();
    if (!documenti::addChildRow(detail_->dataset(), documenti::bodyId(data), pagamento::kTermKey,
                                term.integer(QStringLiteral("Id")),
                                [&data](Dataset& d) { pagamento::applyProposal(data, d); }))
        return;
    detail_->setModified(true);
    detail_->setAnnullaVisible(true);
    openInstalment();
    detail_->setAnnullaVisible(false);
}

void PagamentoEditor::openInstalment() {
    if (detail_->dataset().isEmpty() || db().batchInsert())
        return;
    showModal(*detail_);
}

void PagamentoEditor::removeInstalment() {
    documenti::confirmAndDelete(detail_->dataset(),
                                QStringLiteral("Sei sicuro di voler eliminare il Record ?"));
}

void PagamentoEditor::deleteJustAdded() {
    pagamento::deleteCurrentTerm(db());
}

} // namespace brevalto
