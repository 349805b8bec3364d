#include "documents/ScontoEditor.h"

#include "documents/BodySections.h"
#include "logic/DocumentRules.h"
#include "store/DatasetNames.h"
#include "ui/CommonFields.h"

namespace brevalto {

ScontoEditor::ScontoEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, ds::PA_FE_Body_ScontoMaggiorazione, QStringLiteral("id"),
                 QStringLiteral("Sconto Maggiorazione"), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Body_ScontoMaggiorazione"));
    beginForm({QStringLiteral("Sconto Maggiorazione")});
    addTabbed({
        {.label = "Tipo",
         .column = "Tipo",
         .help = "2.1.1.8.1",
         .list = codeList("TablePa_TipoScontoMaggiorazione")},
        {.label = "Percentuale",
         .column = "Percentuale",
         .control = FieldControl::Number,
         .help = "2.1.1.8.2"},
        {.label = "Importo",
         .column = "Importo",
         .control = FieldControl::Number,
         .help = "2.1.1.8.3"},
    });
    finishForm();
    setMinimumWidth(480);
    setRules(discountRules());
}

} // namespace brevalto
