#include "documents/AllegatiEditor.h"

#include "documents/BodySections.h"
#include "documents/HeaderFields.h"
#include "ui/QtPrompt.h"

#include <QFileInfo>
#include <QPushButton>

namespace brevalto {

using namespace headerfields;

AllegatiEditor::AllegatiEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, QStringLiteral("TablePA_FE_Body_Allegati"), QStringLiteral("id"),
                 QStringLiteral("Allegati"), parent),
      cerca_(new QPushButton(QStringLiteral("Cerca"), this)) {
    setObjectName(QStringLiteral("frmModifica_PA_Body_Allegati"));
    setTabs({QStringLiteral("Allegato")});
    addFields({
        text(QStringLiteral("Nome allegato"), QStringLiteral("NomeAttachment"),
             QStringLiteral("2.5.1")),
        text(QStringLiteral("Algoritmo compressione"), QStringLiteral("AlgoritmoCompressione"),
             QStringLiteral("2.5.2")),
        text(QStringLiteral("Formato"), QStringLiteral("FormatoAttachment"),
             QStringLiteral("2.5.3")),
        text(QStringLiteral("Descrizione"), QStringLiteral("DescrizioneAttachment"),
             QStringLiteral("2.5.4")),
        text(QStringLiteral("Percorso"), QStringLiteral("PercorsoCompleto"),
             QStringLiteral("2.5.5")),
    });
    cerca_->setObjectName(QStringLiteral("btnCerca"));
    cerca_->setAutoDefault(false);
    placeBeside(QStringLiteral("PercorsoCompleto"), cerca_);
    connect(cerca_, &QPushButton::clicked, this, &AllegatiEditor::cerca);
    setMinimumWidth(640);

    setRules({
        {missing(QStringLiteral("NomeAttachment")),
         QStringLiteral("Attenzione manca il nome dell'allegato"),
         QStringLiteral("NomeAttachment")},
        {missing(QStringLiteral("PercorsoCompleto")),
         QStringLiteral("Attenzione manca il Percorso dell'allegato"),
         QStringLiteral("PercorsoCompleto")},
        {[this] {
             const QFileInfo file(shown(QStringLiteral("PercorsoCompleto")));
             return !file.exists() || !file.isFile();
         },
         QStringLiteral("Attenzione il File non risulta esistere nel percorso definito !"),
         QStringLiteral("PercorsoCompleto")},
    });
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
