#include "documents/LineeEditors.h"

#include "documents/LineeLogic.h"
#include "store/DataModule.h"
#include "ui/BoundInputs.h"
#include "ui/DataGrid.h"
#include "ui/QtPrompt.h"
#include "ui/ScreenHost.h"

#include <QKeyEvent>
#include <QTabWidget>

namespace brevalto {

namespace {
const QString kTable = QStringLiteral("Table");

FieldSpec text(const QString& label, const QString& column, const QString& help, int max = 0) {
    FieldSpec f{label, column};
    f.helpCode = help;
    f.maxLength = max;
    return f;
}
FieldSpec number(const QString& label, const QString& column, const QString& help, int max = 0,
                 FieldControl control = FieldControl::Number) {
    FieldSpec f = text(label, column, help, max);
    f.control = control;
    return f;
}
FieldSpec list(const QString& label, const QString& column, const QString& help,
               const QString& dataset, const QString& key = QStringLiteral("Codice"),
               const QString& display = QStringLiteral("Descrizione")) {
    FieldSpec f = text(label, column, help);
    f.control = FieldControl::Lookup;
    f.listDataset = dataset;
    f.listKey = key;
    f.listDisplay = display;
    return f;
}
} // namespace

LineeCodiciEditor::LineeCodiciEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, kTable + linee::kCodici, QStringLiteral("id"),
                    QStringLiteral("Linee - Codici articoli"), parent) {
    beginForm();
    addTop({text(QStringLiteral("Codice Tipo"), QStringLiteral("CodiceTipo"),
                 QStringLiteral("2.2.1.3.1"), 35),
            text(QStringLiteral("Codice Valore"), QStringLiteral("CodiceValore"),
                 QStringLiteral("2.2.1.3.2"), 35)});
    finishForm();
    setRules(
        {{missing(QStringLiteral("CodiceTipo")), QStringLiteral("Attenzione manca il Codice tipo"),
          QStringLiteral("CodiceTipo")},
         {missing(QStringLiteral("CodiceValore")),
          QStringLiteral("Attenzione manca il Codice valore"), QStringLiteral("CodiceValore")}});
}

LineeScontiEditor::LineeScontiEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, kTable + linee::kSconto, QStringLiteral("Id"),
                    QStringLiteral("Sconti - Maggiorazioni"), parent) {
    beginForm();
    addTop({list(QStringLiteral("Tipo"), QStringLiteral("Tipo"), QStringLiteral("2.2.1.10.1"),
                 QStringLiteral("TablePa_TipoScontoMaggiorazione")),
            number(QStringLiteral("Percentuale"), QStringLiteral("Percentuale"),
                   QStringLiteral("2.2.1.10.2"), 6),
            number(QStringLiteral("Importo"), QStringLiteral("Importo"),
                   QStringLiteral("2.2.1.10.3"), 21)});
    finishForm();
    setRules({{missing(QStringLiteral("Tipo")), QStringLiteral("Attenzione manca il Tipo"),
               QStringLiteral("Tipo")}});
}

LineeAltroEditor::LineeAltroEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, kTable + linee::kAltro, QStringLiteral("id"),
                    QStringLiteral("Linee - Altri dati"), parent) {
    beginForm();
    FieldSpec date = text(QStringLiteral("Rif. Data"), QStringLiteral("RiferimentoData"),
                          QStringLiteral("2.2.1.16.4"));
    date.control = FieldControl::Date;
    addTop(
        {text(QStringLiteral("Tipo"), QStringLiteral("TipoDato"), QStringLiteral("2.2.1.16.1"), 10),
         text(QStringLiteral("Rif. Testo"), QStringLiteral("RiferimentoTesto"),
              QStringLiteral("2.2.1.16.2"), 60),
         number(QStringLiteral("Rif. Numero"), QStringLiteral("RiferimentoNumero"),
                QStringLiteral("2.2.1.16.3"), 21),
         date});
    finishForm();
    setRules({{missing(QStringLiteral("TipoDato")), QStringLiteral("Attenzione manca il tipo"),
               QStringLiteral("TipoDato")}});
}

LineeEditor::LineeEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, linee::kLinesDataset, QStringLiteral("Id"), QStringLiteral("Linee fattura"),
                    parent) {
    beginForm({QStringLiteral("Codici articoli"), QStringLiteral("Sconti - Maggiorazioni"),
               QStringLiteral("Altri dati Gestionali")});
    FieldSpec memo = text(QStringLiteral("Descrizione"), QStringLiteral("Descrizione"),
                          QStringLiteral("2.2.1.4"), 1000);
    memo.control = FieldControl::Memo;
    FieldSpec from = text(QStringLiteral("Data Inizio"), QStringLiteral("DataInizioPeriodo"),
                          QStringLiteral("2.2.1.7"));
    from.control = FieldControl::Date;
    FieldSpec to = text(QStringLiteral("Data Fine"), QStringLiteral("DataFinePeriodo"),
                        QStringLiteral("2.2.1.8"));
    to.control = FieldControl::Date;
    addTop({number(QStringLiteral("Num. Linea"), QStringLiteral("NumeroLinea"),
                   QStringLiteral("2.2.1.1"), 4, FieldControl::Integer),
            list(QStringLiteral("Tipo Cessione - Prestazione"),
                 QStringLiteral("TipoCessionePrestazione"), QStringLiteral("2.2.1.2"),
                 QStringLiteral("TablePA_TipoCessionePrestazione")),
            memo,
            number(QStringLiteral("Quantità"), QStringLiteral("Quantita"),
                   QStringLiteral("2.2.1.5"), 21),
            text(QStringLiteral("U. misura"), QStringLiteral("UnitaMisura"),
                 QStringLiteral("2.2.1.6"), 10),
            from, to,
            number(QStringLiteral("Prezzo Unitario"), QStringLiteral("PrezzoUnitario"),
                   QStringLiteral("2.2.1.9"), 21),
            number(QStringLiteral("Prezzo totale"), QStringLiteral("PrezzoTotale"),
                   QStringLiteral("2.2.1.11"), 21),
            // The rate is kept as typed: the nature rules look at its text.
            number(QStringLiteral("Aliquota Iva"), QStringLiteral("AliquotaIva"),
                   QStringLiteral("2.2.1.12"), 6),
            text(QStringLiteral("Ritenuta"), QStringLiteral("Ritenuta"), QStringLiteral("2.2.1.13"),
                 2),
            list(QStringLiteral("Natura"), QStringLiteral("Natura"), QStringLiteral("2.2.1.14"),
                 QStringLiteral("TablePA_Natura")),
            text(QStringLiteral("Rif. Amministraz."), QStringLiteral("RiferimentoAmministrazione"),
                 QStringLiteral("2.2.1.15"), 20)});
    field(QStringLiteral("Ritenuta"))
        ->setToolTip(QStringLiteral("Il solo valore possibile è \"SI\""));
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

    setRules({
        {missing(QStringLiteral("NumeroLinea")), QStringLiteral("Attenzione manca il Numero Linea"),
         QStringLiteral("NumeroLinea")},
        {missing(QStringLiteral("Descrizione")), QStringLiteral("Attenzione manca la Descrizione"),
         QStringLiteral("Descrizione")},
        {missing(QStringLiteral("PrezzoUnitario")),
         QStringLiteral("Attenzione manca il Prezzo Unitario"), QStringLiteral("PrezzoUnitario")},
        {missing(QStringLiteral("PrezzoTotale")),
         QStringLiteral("Attenzione manca il Prezzo Totale"), QStringLiteral("PrezzoTotale")},
        {missing(QStringLiteral("AliquotaIva")), QStringLiteral("Attenzione manca l'Aliquota Iva"),
         QStringLiteral("AliquotaIva")},
        {[this] {
             return shown(QStringLiteral("AliquotaIva")) == QLatin1String("0") &&
                    shown(QStringLiteral("Natura")).isEmpty();
         },
         QStringLiteral("Attenzione con Iva a Zero è necessario specificare la natura !"),
         QStringLiteral("Natura")},
    });
}

bool LineeEditor::confirmSave() {
    // Only the text "0" counts as a zero rate: "0,00" is taken for a non-zero one.
    if (shown(QStringLiteral("AliquotaIva")) != QLatin1String("0") &&
        !shown(QStringLiteral("Natura")).isEmpty()) {
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
    const QString ritenuta = shown(QStringLiteral("Ritenuta"));
    if (!ritenuta.isEmpty() && ritenuta.toUpper() != QLatin1String("SI")) {
        fail(QStringLiteral("Attenzione il solo valore per la Ritenuta e' di SI altrimenti "
                            "lasciare vuoto!"),
             QStringLiteral("Ritenuta"));
        return false;
    }
    return true;
}

bool LineeEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        computeTotal();
        return true;
    }
    return DocumentiForm::eventFilter(watched, event);
}

void LineeEditor::computeTotal() {
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
    if (kind == Codici && db().batchInsertMode != 0)
        return;
    showModal(*screens_[kind]);
}

void LineeEditor::removeSubRow(SubKind kind) {
    static const QString questions[3] = {
        QStringLiteral("Sei sicuro di voler eliminare il Codice articolo ?"),
        QStringLiteral("Sei sicuro di voler eliminare lo Sconto ?"),
        QStringLiteral("Sei sicuro di voler eliminare il Record ?")};
    documenti::confirmAndDelete(screens_[kind]->dataset(), questions[kind]);
}

void LineeEditor::annulla() {
    db().silentDelete = true;
    setModified(false);
    try {
        linee::deleteCurrentLine(db());
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
    }
    db().silentDelete = false;
    done(QDialog::Rejected);
}

} // namespace brevalto
