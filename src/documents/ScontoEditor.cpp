#include "documents/ScontoEditor.h"

#include "documents/BodySections.h"
#include "documents/HeaderFields.h"

namespace brevalto {

using namespace headerfields;

ScontoEditor::ScontoEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, QStringLiteral("TablePA_FE_Body_ScontoMaggiorazione"), QStringLiteral("id"),
                 QStringLiteral("Sconto Maggiorazione"), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Body_ScontoMaggiorazione"));
    setTabs({QStringLiteral("Sconto Maggiorazione")});
    addFields({
        code(QStringLiteral("Tipo"), QStringLiteral("Tipo"), QStringLiteral("2.1.1.8.1"),
             QStringLiteral("TablePa_TipoScontoMaggiorazione")),
        number(QStringLiteral("Percentuale"), QStringLiteral("Percentuale"),
               QStringLiteral("2.1.1.8.2"), 0, 6),
        number(QStringLiteral("Importo"), QStringLiteral("Importo"), QStringLiteral("2.1.1.8.3"), 0,
               15),
    });
    setMinimumWidth(480);
    setRules({{[this] { return shown(QStringLiteral("Tipo")).isEmpty(); },
               QStringLiteral("Attenzione manca il Tipo"), QStringLiteral("Tipo")}});
}

} // namespace brevalto
