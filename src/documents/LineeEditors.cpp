#include "documents/LineeEditors.h"

#include "logic/DocumentRules.h"
#include "logic/LineeLogic.h"
#include "logic/VatRules.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "ui/BoundInputs.h"
#include "ui/CommonFields.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QTabWidget>

namespace brevalto {

namespace {
const QString kTable = QStringLiteral("Table");

} // namespace

LineeCodiciEditor::LineeCodiciEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, kTable + linee::kCodici, QStringLiteral("id"),
                    QStringLiteral("Linee - Codici articoli"), parent) {
    beginForm();
    addTop({{.label = "Codice Tipo", .column = "CodiceTipo", .help = "2.2.1.3.1"},
            {.label = "Codice Valore", .column = "CodiceValore", .help = "2.2.1.3.2"}});
    finishForm();
    setRules(lineCodeRules());
}

LineeScontiEditor::LineeScontiEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, kTable + linee::kSconto, QStringLiteral("Id"),
                    QStringLiteral("Sconti - Maggiorazioni"), parent) {
    beginForm();
    addTop({{.label = "Tipo",
             .column = "Tipo",
             .help = "2.2.1.10.1",
             .list = codeList("TablePa_TipoScontoMaggiorazione")},
            {.label = "Percentuale",
             .column = "Percentuale",
             .control = FieldControl::Number,
             .help = "2.2.1.10.2"},
            {.label = "Importo",
             .column = "Importo",
             .control = FieldControl::Number,
             .help = "2.2.1.10.3"}});
    finishForm();
    setRules(discountRules());
}

LineeAltroEditor::LineeAltroEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, kTable + linee::kAltro, QStringLiteral("id"),
                    QStringLiteral("Linee - Altri dati"), parent) {
    beginForm();
    Field date = Field{.label = "Rif. Data", .column = "RiferimentoData", .help = "2.2.1.16.4"};
    date.control = FieldControl::Date;
    addTop({{.label = "Tipo", .column = "TipoDato", .help = "2.2.1.16.1"},
            {.label = "Rif. Testo", .column = "RiferimentoTesto", .help = "2.2.1.16.2"},
            {.label = "Rif. Numero",
             .column = "RiferimentoNumero",
             .control = FieldControl::Number,
             .help = "2.2.1.16.3"},
            date});
    finishForm();
    setRules(lineOtherDataRules());
}

LineeEditor::LineeEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, linee::kLinesDataset, QStringLiteral("Id"), QStringLiteral("Linee fattura"),
                    parent) {
    beginForm({QStringLiteral("Codici articoli"), QStringLiteral("Sconti - Maggiorazioni"),
               QStringLiteral("Altri dati Gestionali")});
    Field memo = Field{.label = "Descrizione", .column = "Descrizione", .help = "2.2.1.4"};
    memo.control = FieldControl::Memo;
    Field from = Field{.label = "Data Inizio", .column = "DataInizioPeriodo", .help = "2.2.1.7"};
    from.control = FieldControl::Date;
    Field to = Field{.label = "Data Fine", .column = "DataFinePeriodo", .help = "2.2.1.8"};
    to.control = FieldControl::Date;
    addTop({{.label = "Num. Linea",
             .column = "NumeroLinea",
             .control = FieldControl::Integer,
             .help = "2.2.1.1"},
            {.label = "Tipo Cessione - Prestazione",
             .column = "TipoCessionePrestazione",
             .help = "2.2.1.2",
             .list = codeList("TablePA_TipoCessionePrestazione")},
            memo,
            {.label = "Quantità",
             .column = "Quantita",
             .control = FieldControl::Number,
             .help = "2.2.1.5"},
            {.label = "U. misura", .column = "UnitaMisura", .help = "2.2.1.6"},
            from,
            to,
            {.label = "Prezzo Unitario",
             .column = "PrezzoUnitario",
             .control = FieldControl::Number,
             .help = "2.2.1.9"},
            {.label = "Prezzo totale",
             .column = "PrezzoTotale",
             .control = FieldControl::Number,
             .help = "2.2.1.11"},
            // The rate is kept as typed: the nature rules look at its text.
            Field{.label = "Aliquota Iva",
                  .column = "AliquotaIva",
                  .control = FieldControl::Number,
                  .help = "2.2.1.12"},
            {.label = "Ritenuta", .column = "Ritenuta", .help = "2.2.1.13"},
            {.label = "Natura", .column = "Natura", .help = "2.2.1.14", .list = natureList()},
            {.label = "Rif. Amministraz.",
             .column = "RiferimentoAmministrazione",
             .help = "2.2.1.15"}});
    field(QStringLiteral("Ritenuta"))
        ->setToolTip(QStringLiteral("Il solo valore possibile è \"SI\""));
    // The total follows quantity and unit price as they are typed; F2 recomputes it on demand.
    for (const char* input : {"Quantita", "PrezzoUnitario"})
        connect(qobject_cast<BoundNumberEdit*>(field(QLatin1String(input))),
                &BoundNumberEdit::edited, this, &LineeEditor::computeTotal);
    const QString f2 = QStringLiteral("Calcolato da quantità, prezzo unitario e sconti mentre si "
                                      "scrive; F2 lo ricalcola");
    field(QStringLiteral("PrezzoTotale"))->setToolTip(f2);
    auto* f2Hint = new QLabel(QStringLiteral("F2 ricalcola"));
    f2Hint->setToolTip(f2);
    placeBeside(QStringLiteral("PrezzoTotale"), f2Hint);
    for (QWidget* input : findChildren<QLineEdit*>())
        input->installEventFilter(this);

    screens_[Codici] = new LineeCodiciEditor(db, this);
    screens_[Sconti] = new LineeScontiEditor(db, this);
    screens_[Altro] = new LineeAltroEditor(db, this);
    const QList<GridColumn> columns[3] = {
        {{QStringLiteral("CodiceTipo"), QStringLiteral("Codice Tipo"), 160},
         {QStringLiteral("CodiceValore"), QStringLiteral("Codice Valore"), 220}},
        {{QStringLiteral("Tipo"), QStringLiteral("Tipo"), 80},
         {QStringLiteral("Percentuale"), QStringLiteral("Percentuale"), 100},
         {QStringLiteral("Importo"), QStringLiteral("Importo"), 100}},
        {{QStringLiteral("TipoDato"), QStringLiteral("Tipo Dato"), 100},
         {QStringLiteral("RiferimentoTesto"), QStringLiteral("Riferimento Testo"), 160},
         {QStringLiteral("RiferimentoNumero"), QStringLiteral("Riferimento Numero"), 120},
         {QStringLiteral("RiferimentoData"), QStringLiteral("Riferimento Data"), 110}}};
    const QString tables[3] = {linee::kCodici, linee::kSconto, linee::kAltro};
    for (int k = 0; k < 3; ++k) {
        const auto kind = SubKind(k);
        lists_[k] = new DocumentiSubList(db.table(kTable + tables[k]), columns[k], QString());
        addWidget(k, lists_[k], 1);
        connect(lists_[k], &DocumentiSubList::addRequested, this,
                [this, kind] { addSubRow(kind); });
        connect(lists_[k], &DocumentiSubList::openRequested, this,
                [this, kind] { openSubRow(kind); });
        connect(lists_[k], &DocumentiSubList::removeRequested, this,
                [this, kind] { removeSubRow(kind); });
    }
    finishForm();
    setMinimumSize(640, 640);

    setRules(lineRules());
}

bool LineeEditor::confirmSave() {
    // A zero rate keeps its nature; any other rate has none.
    if (!vat::isZeroRate(dataset().value(QStringLiteral("AliquotaIva"))) &&
        !dataset().text(QStringLiteral("Natura")).isEmpty()) {
        if (!prompt().question(Prompt::warningTitle(),
                               QStringLiteral("con aliquota IVA diversa da zero non deve essere "
                                              "presente il campo Natura ! Provvedo a azzerare il "
                                              "valore ?"))) {
            field(QStringLiteral("Natura"))->setFocus();
            return false;
        }
        dataset().edit();
        dataset().setValue(QStringLiteral("Natura"), QVariant());
    }
    // A total typed by hand that the exchange system would not recompute is kept only on request.
    const std::optional<Decimal> computed =
        linee::computedTotal(dataset(), db().table(kTable + linee::kSconto));
    const Decimal typed = Decimal::fromVariant(dataset().value(QStringLiteral("PrezzoTotale")));
    if (computed && typed.differsByACent(*computed) &&
        !prompt().question(
            Prompt::warningTitle(),
            QStringLiteral("Attenzione il Prezzo totale %1 differisce da quello "
                           "calcolato da quantità, prezzo unitario e sconti (%2): "
                           "il Sistema di Interscambio scarterà la fattura. Si vuole "
                           "salvare lo stesso ?")
                .arg(QLocale().toString(typed.toDouble(), 'f', 2),
                     QLocale().toString(computed->toDouble(), 'f', 2)))) {
        field(QStringLiteral("PrezzoTotale"))->setFocus();
        return false;
    }
    return true;
}

bool LineeEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        if (const BoundNumberEdit* wrong = wrongFactor())
            fail(wrong->problem(), wrong->column());
        else
            computeTotal();
        return true;
    }
    return DocumentiForm::eventFilter(watched, event);
}

const BoundNumberEdit* LineeEditor::wrongFactor() const {
    for (const char* input : {"Quantita", "PrezzoUnitario"}) {
        const auto* edit = qobject_cast<const BoundNumberEdit*>(field(QLatin1String(input)));
        if (edit && edit->isInvalid())
            return edit;
    }
    return nullptr;
}

void LineeEditor::computeTotal() {
    if (dataset().isEmpty())
        return;
    // While the quantity or the price is typed wrong ("12a") there is no total: one computed from
    // the last number the field held would be shown as if it were right.
    if (wrongFactor()) {
        if (!dataset().isNull(QStringLiteral("PrezzoTotale"))) {
            dataset().edit();
            dataset().setValue(QStringLiteral("PrezzoTotale"), QVariant());
            setModified(true);
        }
        return;
    }
    if (linee::applyLineTotal(dataset(), db().table(kTable + linee::kSconto)))
        setModified(true);
}

void LineeEditor::addSubRow(SubKind kind) {
    Dataset& line = dataset();
    if (line.isEmpty())
        return;
    Dataset& sub = screens_[kind]->dataset();
    if (!documenti::addChildRow(sub, documenti::bodyId(db()), linee::kLineKey,
                                line.integer(QStringLiteral("Id"))))
        return;
    screens_[kind]->setModified(true);
    openSubRow(kind);
}

void LineeEditor::openSubRow(SubKind kind) {
    if (screens_[kind]->dataset().isEmpty())
        return;
    if (kind == Codici && db().batchInsert())
        return;
    showModal(*screens_[kind]);
    if (kind == Sconti)
        computeTotal();
}

void LineeEditor::removeSubRow(SubKind kind) {
    static const QString questions[3] = {
        QStringLiteral("Sei sicuro di voler eliminare il Codice articolo ?"),
        QStringLiteral("Sei sicuro di voler eliminare lo Sconto ?"),
        QStringLiteral("Sei sicuro di voler eliminare il Record ?")};
    documenti::confirmAndDelete(screens_[kind]->dataset(), questions[kind]);
    if (kind == Sconti)
        computeTotal();
}

void LineeEditor::deleteJustAdded() {
    linee::deleteCurrentLine(db());
}

} // namespace brevalto
