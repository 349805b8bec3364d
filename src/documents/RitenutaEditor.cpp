#include "documents/RitenutaEditor.h"

#include "documents/BodySections.h"
#include "documents/CausaliPagamentoPicker.h"
#include "logic/DocumentRules.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/SqlText.h"
#include "ui/CommonFields.h"
#include "ui/ScreenHost.h"

namespace brevalto {

RitenutaEditor::RitenutaEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, ds::PA_FE_Body_DatiRitenuta, QStringLiteral("id"),
                 QStringLiteral("Dati Ritenuta"), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Body_DatiRitenuta"));
    beginForm({QStringLiteral("Dati Ritenuta")});
    addTabbed({
        {.label = "Tipo ",
         .column = "TipoRitenuta",
         .help = "2.1.1.5.1",
         .list = codeList("TablePA_TipoRitenute")},
        {.label = "Importo ",
         .column = "ImportoRitenuta",
         .control = FieldControl::Number,
         .help = "2.1.1.5.2"},
        {.label = "Aliquota",
         .column = "AliquotaRitenuta",
         .control = FieldControl::Number,
         .help = "2.1.1.5.3"},
        {.label = "Causale", .column = "CausalePagamento", .help = "2.1.1.5.4"},
    });
    finishForm();
    cerca_ = addButtonBeside(QStringLiteral("CausalePagamento"), QStringLiteral("btnCerca"),
                             QStringLiteral("Cerca"), [this] { cerca(); });
    setMinimumWidth(520);

    setRules(withholdingRules(
        [&db](const QString& code) { return RitenutaEditor::isKnownReason(db, code); }));
}

bool RitenutaEditor::isKnownReason(DataModule& db, const QString& code) {
    Dataset& reasons = db.table(ds::Pa_Ritenute_CausalePagamento);
    const QString previous = reasons.filter();
    const QVariant at = reasons.value(QStringLiteral("Codice"));
    reasons.setFilter(QStringLiteral("Codice = '") + QuoteSql(code) + QStringLiteral("'"));
    const bool found = !reasons.isEmpty();
    reasons.setFilter(previous);
    if (!at.isNull())
        reasons.locate(QStringLiteral("Codice"), at);
    return found;
}

CausaliPagamentoPicker* RitenutaEditor::picker() {
    if (!picker_)
        picker_ = new CausaliPagamentoPicker(db(), this);
    return picker_;
}

void RitenutaEditor::cerca() {
    CausaliPagamentoPicker* p = picker();
    p->setChosen(false);
    showModal(*p);
    if (!p->chosen())
        return;
    const Dataset& reasons = db().table(ds::Pa_Ritenute_CausalePagamento);
    dataset().edit();
    dataset().setValue(QStringLiteral("CausalePagamento"), reasons.text(QStringLiteral("Codice")));
    setModified(true);
}

} // namespace brevalto
