#include "documents/AllegatiEditor.h"

#include "documents/BodySections.h"
#include "logic/DocumentRules.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "ui/CommonFields.h"

#include <QFileInfo>
#include <QPushButton>

namespace brevalto {

AllegatiEditor::AllegatiEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, ds::PA_FE_Body_Allegati, QStringLiteral("id"), QStringLiteral("Allegati"),
                 parent),
      cerca_(new QPushButton(QStringLiteral("Cerca"), this)) {
    setObjectName(QStringLiteral("frmModifica_PA_Body_Allegati"));
    setTabs({QStringLiteral("Allegato")});
    addFields({
        {.label = "Nome allegato", .column = "NomeAttachment", .help = "2.5.1"},
        {.label = "Algoritmo compressione", .column = "AlgoritmoCompressione", .help = "2.5.2"},
        {.label = "Formato", .column = "FormatoAttachment", .help = "2.5.3"},
        {.label = "Descrizione", .column = "DescrizioneAttachment", .help = "2.5.4"},
        {.label = "Percorso", .column = "PercorsoCompleto", .help = "2.5.5"},
    });
    cerca_->setObjectName(QStringLiteral("btnCerca"));
    cerca_->setAutoDefault(false);
    placeBeside(QStringLiteral("PercorsoCompleto"), cerca_);
    connect(cerca_, &QPushButton::clicked, this, &AllegatiEditor::cerca);
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
