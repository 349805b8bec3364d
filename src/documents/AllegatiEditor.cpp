#include "documents/AllegatiEditor.h"

#include "documents/BodySections.h"
#include "logic/DocumentRules.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "ui/CommonFields.h"

#include <QFileInfo>

namespace brevalto {

AllegatiEditor::AllegatiEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, ds::PA_FE_Body_Allegati, QStringLiteral("id"), QStringLiteral("Allegati"),
                 parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Body_Allegati"));
    beginForm({QStringLiteral("Allegato")});
    addTabbed({
        {.label = "Nome allegato", .column = "NomeAttachment", .help = "2.5.1"},
        {.label = "Algoritmo compressione", .column = "AlgoritmoCompressione", .help = "2.5.2"},
        {.label = "Formato", .column = "FormatoAttachment", .help = "2.5.3"},
        {.label = "Descrizione", .column = "DescrizioneAttachment", .help = "2.5.4"},
        {.label = "Percorso", .column = "PercorsoCompleto", .help = "2.5.5"},
    });
    finishForm();
    cerca_ = addButtonBeside(QStringLiteral("PercorsoCompleto"), QStringLiteral("btnCerca"),
                             QStringLiteral("Cerca"), [this] { cerca(); });
    setMinimumWidth(640);

    setRules(attachmentRules());
}

void AllegatiEditor::cerca() {
    const QString path = prompt().openFileName(QStringLiteral("Allegati"), QString(), QString());
    if (path.isEmpty())
        return;
    dataset().edit();
    dataset().setValue(QStringLiteral("PercorsoCompleto"), path);
    setModified(true);
}

} // namespace brevalto
