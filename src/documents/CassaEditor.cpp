#include "documents/CassaEditor.h"

#include "documents/BodySections.h"
#include "documents/HeaderFields.h"
#include "store/DataModule.h"

namespace brevalto {

using namespace headerfields;

CassaEditor::CassaEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, QStringLiteral("TablePA_FE_Body_DatiCassaPrevidenziale"), QStringLiteral("id"),
                 QStringLiteral("Cassa Previdenziale"), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Body_CassaPrevidenziale"));
    setTabs({QStringLiteral("Cassa Previdenziale")});
    addFields({
        code(QStringLiteral("Tipo Cassa"), QStringLiteral("TipoCassa"), QStringLiteral("2.1.1.7.1"),
             QStringLiteral("TablePA_TipoCassa")),
        number(QStringLiteral("Aliquota"), QStringLiteral("AlCassa"), QStringLiteral("2.1.1.7.2"),
               0, 6),
        number(QStringLiteral("Importo Contributo Cassa"), QStringLiteral("ImportoContributoCassa"),
               QStringLiteral("2.1.1.7.3"), 0, 15),
        number(QStringLiteral("Imponibile"), QStringLiteral("ImponibileCassa"),
               QStringLiteral("2.1.1.7.4"), 0, 15),
        number(QStringLiteral("Aliquota Iva"), QStringLiteral("AliquotaIva"),
               QStringLiteral("2.1.1.7.5"), 0, 6),
        text(QStringLiteral("Ritenuta"), QStringLiteral("Ritenuta"), QStringLiteral("2.1.1.7.6")),
        code(QStringLiteral("Natura"), QStringLiteral("Natura"), QStringLiteral("2.1.1.7.7"),
             QStringLiteral("TablePA_Natura")),
        text(QStringLiteral("Riferimento Amministrazione"),
             QStringLiteral("RiferimentoAmministrazione"), QStringLiteral("2.1.1.7.8")),
    });
    setMinimumWidth(560);

    setRules({
        {missing(QStringLiteral("TipoCassa")), QStringLiteral("Attenzione manca il Tipo di Cassa"),
         QStringLiteral("TipoCassa")},
        {missing(QStringLiteral("AlCassa")),
         QStringLiteral("Attenzione manca l'Aliquota della cassa"), QStringLiteral("AlCassa")},
        // Not a check: a contribution subject to VAT has no nature, which is cleared silently
        // before the remaining checks run.
        {[this] {
             if (dataset().number(QStringLiteral("AliquotaIva")) > 0 &&
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
        {missing(QStringLiteral("AliquotaIva")), QStringLiteral("Attenzione manca l'Aliquota Iva"),
         QStringLiteral("AliquotaIva")},
        {[this] {
             const QString r = shown(QStringLiteral("Ritenuta"));
             return !r.isEmpty() && r.toUpper() != QLatin1String("SI");
         },
         QStringLiteral(
             "Attenzione il solo valore per la Ritenuta e' di SI altrimenti lasciare vuoto!"),
         QStringLiteral("Ritenuta")},
        {[this] {
             return shown(QStringLiteral("AliquotaIva")) == QLatin1String("0") &&
                    shown(QStringLiteral("Natura")).isEmpty();
         },
         QStringLiteral("Attenzione con Iva a Zero è necessario specificare la natura !"),
         QStringLiteral("Natura")},
    });
}

} // namespace brevalto
