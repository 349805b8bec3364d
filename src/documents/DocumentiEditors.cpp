#include "documents/DocumentiEditors.h"

#include "documents/CercaLineePicker.h"
#include "logic/DocumentRules.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "store/Saving.h"
#include "ui/CommonFields.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QPushButton>

namespace brevalto {

namespace {

struct KindDef {
    const char* block;
    const char* caption;
    const char* referenceCaption;
};

const KindDef& def(DocumentiKind kind) {
    static const KindDef defs[] = {
        {"DatiOrdineAcquisto", "Ordini Acquisto", "Ordine di acquisto - Dettagli"},
        {"DatiContratto", "Dati Contratto", "Contratto - Riferimento numero linea"},
        {"DatiConvenzione", "Convenzione", "Convenzione Riferimento Numero Linea"},
        {"DatiRicezione", "Ricezione", "Ricezione - Riferimento Numero Linea"},
        {"DatiFattureCollegate", "Dati Fatture collegate",
         "Fatture Collegate - Riferimento Numero Linea"},
        {"DatiDDT", "DDT", "DDT - Riferimento Linea"},
    };
    return defs[int(kind)];
}

} // namespace

namespace documenti {

QString block(DocumentiKind kind) {
    return QString::fromLatin1(def(kind).block);
}
QString table(DocumentiKind kind) {
    return QStringLiteral("PA_FE_Body_") + block(kind);
}
QString referenceTable(DocumentiKind kind) {
    return table(kind) + QStringLiteral("_Riferimenti");
}
QString parentKey(DocumentiKind kind) {
    return table(kind) + QStringLiteral("_Id");
}

void requeryReferences(DataModule& db, DocumentiKind kind) {
    const Dataset& parent = db.table(QStringLiteral("Table") + table(kind));
    requeryChildren(db.table(QStringLiteral("Table") + referenceTable(kind)), referenceTable(kind),
                    parentKey(kind), parent.integer(QStringLiteral("Id")),
                    QStringLiteral(" order by RiferimentoNumeroLinea"));
}

void deleteCurrentWithReferences(DataModule& db, DocumentiKind kind) {
    if (!deleteWithChildren(db.connessione(), db.table(QStringLiteral("Table") + table(kind)),
                            {{referenceTable(kind), parentKey(kind)}}))
        return;
    Dataset& references = db.table(QStringLiteral("Table") + referenceTable(kind));
    if (references.isOpen())
        references.requery();
}

} // namespace documenti

DocumentiRiferimentoLineaEditor::DocumentiRiferimentoLineaEditor(DataModule& db, DocumentiKind kind,
                                                                 QWidget* parent)
    : DocumentiForm(db, QStringLiteral("Table") + documenti::referenceTable(kind),
                    QStringLiteral("id"), QString::fromLatin1(def(kind).referenceCaption), parent) {
    beginForm();
    addTop({{.label = "Riferim. Numero Linea",
             .column = "RiferimentoNumeroLinea",
             .control = FieldControl::Integer,
             .help = "2.1.2.1"}});
    addButtonBeside(QStringLiteral("RiferimentoNumeroLinea"), QStringLiteral("spdCerca"),
                    QStringLiteral("Cerca"), [this] { cerca(); });
    finishForm();
    setMinimumWidth(440);
    setRules(referredLineRules());
}

CercaLineePicker* DocumentiRiferimentoLineaEditor::picker() {
    if (!picker_)
        picker_ = new CercaLineePicker(db(), this);
    return picker_;
}

void DocumentiRiferimentoLineaEditor::cerca() {
    Dataset& lines = db().table(ds::CercaLinee);
    lines.close();
    lines.setFilter(QString());
    lines.setSql(QStringLiteral("select * from PA_FE_Body_DatiBeniServizi_DettaglioLinee where "
                                "PA_FE_Body_Id = %1 order by NumeroLinea")
                     .arg(documenti::bodyId(db())));
    lines.open();
    if (lines.isEmpty()) {
        prompt().message(Prompt::errorTitle(),
                         QStringLiteral("Attenzione ancora non sono state caricate le linee di "
                                        "dettaglio della fattura !"));
        return;
    }
    CercaLineePicker* p = picker();
    p->setChosen(false);
    showModal(*p);
    if (!p->chosen())
        return;
    Dataset& row = dataset();
    row.edit();
    row.setValue(QStringLiteral("RiferimentoNumeroLinea"),
                 lines.integer(QStringLiteral("NumeroLinea")));
    row.setValue(QStringLiteral("PA_FatturaElettronica_DatiBeniServizi_Id"),
                 lines.integer(QStringLiteral("Id")));
    setModified(true);
}

DocumentiRiferimentoEditor::DocumentiRiferimentoEditor(DataModule& db, DocumentiKind kind,
                                                       QWidget* parent)
    : DocumentiForm(db, QStringLiteral("Table") + documenti::table(kind), QStringLiteral("id"),
                    QString::fromLatin1(def(kind).caption), parent),
      kind_(kind), detail_(new DocumentiRiferimentoLineaEditor(db, kind, this)) {
    using C = FieldControl;
    beginForm();
    if (kind == DocumentiKind::DDT) {
        addTop({{.label = "Numero", .column = "NumeroDDT", .control = C::Text, .help = "2.1.8.1"},
                {.label = "Data", .column = "DataDDT", .control = C::Date, .help = "2.1.8.2"}});
        setRules(ddtRules());
    } else {
        addTop(
            {{.label = "IdDocumento",
              .column = "IdDocumento",
              .control = C::Text,
              .help = "2.1.2.2"},
             {.label = "Data", .column = "Data", .control = C::Date, .help = "2.1.2.3"},
             {.label = "Num Item", .column = "NumItem", .control = C::Text, .help = "2.1.2.4"},
             {.label = "CodiceCommessaConvenzione",
              .column = "CodiceCommessaConvenzione",
              .control = C::Text,
              .help = "2.1.2.5"},
             {.label = "CodiceCUP", .column = "CodiceCUP", .control = C::Text, .help = "2.1.2.6"},
             {.label = "CodiceCIG", .column = "CodiceCIG", .control = C::Text, .help = "2.1.2.7"}});
        setRules(referredDocumentRules());
    }
    list_ =
        new DocumentiSubList(db.table(QStringLiteral("Table") + documenti::referenceTable(kind)),
                             {{QStringLiteral("RiferimentoNumeroLinea"),
                               QStringLiteral("Riferimento Numero Linea"), 180}},
                             QStringLiteral("Numeri Linea"));
    addTopWidget(list_, 1);
    connect(list_, &DocumentiSubList::addRequested, this,
            &DocumentiRiferimentoEditor::addReference);
    connect(list_, &DocumentiSubList::openRequested, this,
            &DocumentiRiferimentoEditor::openReference);
    connect(list_, &DocumentiSubList::removeRequested, this,
            &DocumentiRiferimentoEditor::removeReference);
    finishForm();
    setMinimumSize(560, 460);
}

void DocumentiRiferimentoEditor::addReference() {
    Dataset& row = dataset();
    if (row.isEmpty())
        return;
    if (!documenti::addChildRow(detail_->dataset(), documenti::bodyId(db()),
                                documenti::parentKey(kind_), row.integer(QStringLiteral("Id"))))
        return;
    detail_->setModified(true);
    detail_->setAnnullaVisible(true);
    openReference();
    detail_->setAnnullaVisible(false);
}

void DocumentiRiferimentoEditor::openReference() {
    if (detail_->dataset().isEmpty())
        return;
    if (kind_ == DocumentiKind::DDT && db().batchInsert())
        return;
    showModal(*detail_);
}

void DocumentiRiferimentoEditor::removeReference() {
    documenti::confirmAndDelete(detail_->dataset(),
                                QStringLiteral("Sei sicuro di voler eliminare il Record ?"));
}

void DocumentiRiferimentoEditor::deleteJustAdded() {
    documenti::deleteCurrentWithReferences(db(), kind_);
}

DocumentiSALEditor::DocumentiSALEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, ds::PA_FE_Body_DatiSAL, QStringLiteral("id"), QStringLiteral("Dati SAL"),
                    parent) {
    beginForm();
    addTop({{.label = "Riferimento Fase",
             .column = "RiferimentoFase",
             .control = FieldControl::Integer,
             .help = "2.1.7.1"}});
    finishForm();
    setMinimumWidth(400);
    setRules(salRules());
}

} // namespace brevalto
