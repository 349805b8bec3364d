#include "documents/CassaEditor.h"

#include "documents/BodySections.h"
#include "logic/DocumentRules.h"
#include "logic/VatRules.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "ui/CommonFields.h"

namespace brevalto {

CassaEditor::CassaEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, ds::PA_FE_Body_DatiCassaPrevidenziale, QStringLiteral("id"),
                 QStringLiteral("Cassa Previdenziale"), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Body_CassaPrevidenziale"));
    beginForm({QStringLiteral("Cassa Previdenziale")});
    addTabbed({
        {.label = "Tipo Cassa",
         .column = "TipoCassa",
         .help = "2.1.1.7.1",
         .list = codeList("TablePA_TipoCassa")},
        {.label = "Aliquota",
         .column = "AlCassa",
         .control = FieldControl::Number,
         .help = "2.1.1.7.2"},
        {.label = "Importo Contributo Cassa",
         .column = "ImportoContributoCassa",
         .control = FieldControl::Number,
         .help = "2.1.1.7.3"},
        {.label = "Imponibile",
         .column = "ImponibileCassa",
         .control = FieldControl::Number,
         .help = "2.1.1.7.4"},
        {.label = "Aliquota Iva",
         .column = "AliquotaIva",
         .control = FieldControl::Number,
         .help = "2.1.1.7.5"},
        {.label = "Ritenuta", .column = "Ritenuta", .help = "2.1.1.7.6"},
        {.label = "Natura", .column = "Natura", .help = "2.1.1.7.7", .list = natureList()},
        {.label = "Riferimento Amministrazione",
         .column = "RiferimentoAmministrazione",
         .help = "2.1.1.7.8"},
    });
    finishForm();
    setMinimumWidth(560);

    setRules(pensionFundRules());
}

bool CassaEditor::confirmSave() {
    // A contribution subject to VAT has no nature: one left from a zero rate goes silently.
    if (!vat::isZeroRate(dataset().value(QStringLiteral("AliquotaIva"))) &&
        !dataset().isNull(QStringLiteral("Natura"))) {
        dataset().edit();
        dataset().setValue(QStringLiteral("Natura"), QVariant());
    }
    return true;
}

} // namespace brevalto
