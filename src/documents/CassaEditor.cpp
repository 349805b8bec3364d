#include "documents/CassaEditor.h"

#include "documents/BodySections.h"
#include "documents/RateRules.h"
#include "logic/VatRules.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "ui/CommonFields.h"

namespace brevalto {

CassaEditor::CassaEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, ds::PA_FE_Body_DatiCassaPrevidenziale, QStringLiteral("id"),
                 QStringLiteral("Cassa Previdenziale"), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Body_CassaPrevidenziale"));
    setTabs({QStringLiteral("Cassa Previdenziale")});
    addFields({
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
    setMinimumWidth(560);

    setRules(
        QList<Rule>{
            {missing(QStringLiteral("TipoCassa")),
             QStringLiteral("Attenzione manca il Tipo di Cassa"), QStringLiteral("TipoCassa")},
            {missing(QStringLiteral("AlCassa")),
             QStringLiteral("Attenzione manca l'Aliquota della cassa"), QStringLiteral("AlCassa")},
            // Not a check: a contribution subject to VAT has no nature, which is cleared silently
            // before the remaining checks run.
            {[this](const RowValues&) {
                 if (!vat::isZeroRate(dataset().value(QStringLiteral("AliquotaIva"))) &&
                     !dataset().isNull(QStringLiteral("Natura"))) {
                     dataset().edit();
                     dataset().setValue(QStringLiteral("Natura"), QVariant());
                 }
                 return false;
             },
             QString(), QString()},
            {missing(QStringLiteral("ImportoContributoCassa")),
             QStringLiteral("Attenzione manca l'Importo del Contributo della cassa"),
             QStringLiteral("ImportoContributoCassa")},
            {missing(QStringLiteral("AliquotaIva")),
             QStringLiteral("Attenzione manca l'Aliquota Iva"), QStringLiteral("AliquotaIva")},
            {[this](const RowValues& row) {
                 const QString r = row.text(QStringLiteral("Ritenuta"));
                 return !r.isEmpty() && r.toUpper() != QLatin1String("SI");
             },
             QStringLiteral(
                 "Attenzione il solo valore per la Ritenuta e' di SI altrimenti lasciare vuoto!"),
             QStringLiteral("Ritenuta")},
        } +
        rateRules(*this) +
        QList<Rule>{
            {[this](const RowValues&) {
                 return vat::isRetiredNature(dataset().text(QStringLiteral("Natura")));
             },
             vat::kRetiredNatureMessage, QStringLiteral("Natura")},
        });
}

} // namespace brevalto
