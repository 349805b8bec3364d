#include "documents/PagamentoEditors.h"

#include "documents/PagamentoProposal.h"
#include "store/DataModule.h"
#include "ui/DataGrid.h"
#include "ui/QtPrompt.h"
#include "ui/ScreenHost.h"

#include <QKeyEvent>

namespace brevalto {

namespace {
FieldSpec fieldDef(const QString& label, const QString& column, FieldControl control,
                   const QString& help, int max = 0) {
    FieldSpec f{label, column, control};
    f.helpCode = help;
    f.maxLength = max;
    return f;
}
} // namespace

PagamentoDettaglioEditor::PagamentoDettaglioEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, pagamento::kInstalmentsDataset, QStringLiteral("id"),
                    QStringLiteral("Dettagli Pagamento"), parent) {
    using C = FieldControl;
    FieldSpec method =
        fieldDef(QStringLiteral("Mod. Pagamento"), QStringLiteral("ModalitaPagamento"), C::Lookup,
                 QStringLiteral("2.4.2.2"));
    method.listDataset = QStringLiteral("TablePA_ModalitaPagamento");
    method.listKey = QStringLiteral("Codice");
    method.listDisplay = QStringLiteral("Descrizione");
    beginForm();
    addTop({fieldDef(QStringLiteral("Beneficiario"), QStringLiteral("Beneficiario"), C::Text,
                     QStringLiteral("2.4.2.1"), 200),
            method,
            fieldDef(QStringLiteral("Data rif. termini pagam."),
                     QStringLiteral("DataRiferimentoTerminiPagamento"), C::Date,
                     QStringLiteral("2.4.2.3")),
            fieldDef(QStringLiteral("Giorni Termini Pagamento"),
                     QStringLiteral("GiorniTerminiPagamento"), C::Integer,
                     QStringLiteral("2.4.2.4"), 3),
            fieldDef(QStringLiteral("Data scadenza"), QStringLiteral("DataScadenzaPagamento"),
                     C::Date, QStringLiteral("2.4.2.5")),
            fieldDef(QStringLiteral("Importo"), QStringLiteral("ImportoPagamento"), C::Number,
                     QStringLiteral("2.4.2.6"), 15),
            fieldDef(QStringLiteral("Cod. Ufficio Postale"), QStringLiteral("CodUfficioPostale"),
                     C::Text, QStringLiteral("2.4.2.7"), 20),
            fieldDef(QStringLiteral("Cognome Quietanzante"), QStringLiteral("CognomeQuietanzante"),
                     C::Text, QStringLiteral("2.4.2.8"), 60),
            fieldDef(QStringLiteral("Nome"), QStringLiteral("NomeQuietanzante"), C::Text,
                     QStringLiteral("2.4.2.9"), 60),
            fieldDef(QStringLiteral("Cod.Fisc. Quietanzante"), QStringLiteral("CFQuietanzante"),
                     C::Text, QStringLiteral("2.4.2.10"), 16),
            fieldDef(QStringLiteral("Titolo "), QStringLiteral("TitoloQuietanzante"), C::Text,
                     QStringLiteral("2.4.2.11"), 10),
            fieldDef(QStringLiteral("Istituto Finanziario"), QStringLiteral("IstitutoFinanziario"),
                     C::Text, QStringLiteral("2.4.2.12"), 80),
            fieldDef(QStringLiteral("Iban"), QStringLiteral("Iban"), C::Text,
                     QStringLiteral("2.4.2.13"), 34),
            fieldDef(QStringLiteral("Abi"), QStringLiteral("Abi"), C::Text,
                     QStringLiteral("2.4.2.14"), 5),
            fieldDef(QStringLiteral("Cab"), QStringLiteral("Cab"), C::Text,
                     QStringLiteral("2.4.2.15"), 5),
            fieldDef(QStringLiteral("Bic"), QStringLiteral("Bic"), C::Text,
                     QStringLiteral("2.4.2.16"), 11),
            fieldDef(QStringLiteral("Sconto Pagamento Anticipato"),
                     QStringLiteral("ScontoPagamentoAnticipato"), C::Number,
                     QStringLiteral("2.4.2.17"), 15),
            fieldDef(QStringLiteral("Data Limite Pagamento Anticipato"),
                     QStringLiteral("DataLimitePagamentoAnticipato"), C::Date,
                     QStringLiteral("2.4.2.18")),
            fieldDef(QStringLiteral(" Penalita Pagamenti Ritardati"),
                     QStringLiteral("PenalitaPagamentiRitardati"), C::Number,
                     QStringLiteral("2.4.2.19"), 15),
            fieldDef(QStringLiteral("Data Decorrenza Penale"),
                     QStringLiteral("DataDecorrenzaPenale"), C::Date, QStringLiteral("2.4.2.20")),
            fieldDef(QStringLiteral("Codice Pagamento"), QStringLiteral("CodicePagamento"), C::Text,
                     QStringLiteral("2.4.2.21"), 60)});
    field(QStringLiteral("Iban"))->installEventFilter(this);
    finishForm();
    setRules({
        {missing(QStringLiteral("ModalitaPagamento")),
         QStringLiteral("Attenzione manca la modalità di pagamento"),
         QStringLiteral("ModalitaPagamento")},
        {missing(QStringLiteral("ImportoPagamento")),
         QStringLiteral("Attenzione manca l'importo !"), QStringLiteral("ImportoPagamento")},
        {tooShort(QStringLiteral("CFQuietanzante"), 16),
         QStringLiteral("Attenzione il codice fiscale del Quietanzante deve essere di almeno 16 "
                        "caratteri"),
         QStringLiteral("CFQuietanzante")},
        {tooShort(QStringLiteral("Iban"), 27),
         QStringLiteral("Attenzione il codice Iban deve essere di almeno 27 caratteri"),
         QStringLiteral("Iban")},
        {tooShort(QStringLiteral("Abi"), 5),
         QStringLiteral("Attenzione il codice Abi deve essere di almeno 5 caratteri"),
         QStringLiteral("Abi")},
        {tooShort(QStringLiteral("Cab"), 5),
         QStringLiteral("Attenzione il codice Cab deve essere di almeno 5 caratteri"),
         QStringLiteral("Cab")},
        {tooShort(QStringLiteral("Bic"), 8),
         QStringLiteral("Attenzione il codice Bic deve essere di almeno 8 caratteri"),
         QStringLiteral("Bic")},
    });
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
    FieldSpec condition{QStringLiteral("Condizioni Pagamento"),
                        QStringLiteral("CondizioniPagamento"), FieldControl::Lookup};
    condition.helpCode = QStringLiteral("2.4.1");
    condition.listDataset = QStringLiteral("TablePA_CondizioniPagamenti");
    condition.listKey = QStringLiteral("Codice");
    condition.listDisplay = QStringLiteral("Descrizione");
    beginForm();
    addTop({condition});
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
    setRules({{missing(QStringLiteral("CondizioniPagamento")),
               QStringLiteral("Attenzione manca la condizione di pagamento"),
               QStringLiteral("CondizioniPagamento")}});
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
    if (detail_->dataset().isEmpty() || db().batchInsertMode != 0)
        return;
    showModal(*detail_);
}

void PagamentoEditor::removeInstalment() {
    documenti::confirmAndDelete(detail_->dataset(),
                                QStringLiteral("Sei sicuro di voler eliminare il Record ?"));
}

void PagamentoEditor::annulla() {
    db().silentDelete = true;
    setModified(false);
    try {
        pagamento::deleteCurrentTerm(db());
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
    }
    db().silentDelete = false;
    done(QDialog::Rejected);
}

} // namespace brevalto
