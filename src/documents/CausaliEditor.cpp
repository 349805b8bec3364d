#include "documents/CausaliEditor.h"

#include "documents/BodySections.h"
#include "logic/DocumentRules.h"
#include "store/DatasetNames.h"

namespace brevalto {

CausaliEditor::CausaliEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, ds::PA_FE_Body_Causale, QStringLiteral("id"), QStringLiteral("Causale"),
                 parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Body_Causali"));
    beginForm({QStringLiteral("Causale")});
    addTabbed({{.label = "Causale",
                .column = "Descrizione",
                .control = FieldControl::Memo,
                .help = "2.1.1.11"}});
    finishForm();
    setMinimumWidth(520);
    setRules(causaleRules());
}

} // namespace brevalto
