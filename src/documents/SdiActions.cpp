#include "documents/SdiActions.h"

#include "export/ExportDriver.h"
#include "logic/CreditNote.h"
#include "receipts/DocumentLife.h"
#include "receipts/Reissue.h"
#include "store/DataModule.h"
#include "store/DbError.h"
#include "store/ProgramFolder.h"
#include "store/Prompt.h"

#include <QDir>
#include <QFileInfo>

namespace brevalto {

namespace {

const QString kTitle = QStringLiteral("Notifiche SdI");

} // namespace

QString notificationsSummary(const QList<receipts::LoadedFile>& loaded) {
    int counts[4] = {0, 0, 0, 0};
    QStringList details;
    for (const receipts::LoadedFile& f : loaded) {
        ++counts[int(f.result)];
        if (!f.why.isEmpty())
            details << QStringLiteral("%1 (%2): %3")
                           .arg(QFileInfo(f.path).fileName(), f.resultText(), f.why);
    }
    QString text = QStringLiteral("File letti: %1.\nCollegate: %2\nGià note: %3\nNon collegate: "
                                  "%4\nIlleggibili: %5")
                       .arg(loaded.size())
                       .arg(counts[0])
                       .arg(counts[1])
                       .arg(counts[2])
                       .arg(counts[3]);
    if (!details.isEmpty())
        text += QStringLiteral("\n\n") + details.join(QLatin1Char('\n'));
    return text;
}

std::optional<sdi::SigningKey> configuredSigningKey(Prompt& prompt) {
    sdi::SigningKey key = sdi::loadSigningKey();
    if (!key.incomplete().isEmpty()) {
        prompt.message(Prompt::warningTitle(),
                       QStringLiteral("Impostare prima la chiave di firma: Utility, Opzioni, "
                                      "Firma digitale."));
        return std::nullopt;
    }
    return key;
}

void reinvia(DataModule& db, Prompt& prompt) {
    ExportDriver driver(db, prompt);
    QString folder = driver.preferredFolder();
    try {
        const int headerId = db.table("TablePA_FE_Header").integer(QStringLiteral("id"));
        const receipts::DocumentStatus status =
            receipts::documentStatus(db.connessione(), headerId);
        if (status.state != receipts::State::Rejected) {
            const QString why = status.whyNotResend();
            if (why.isEmpty()) {
                prompt.message(Prompt::warningTitle(),
                               QStringLiteral("Il documento non è mai stato inviato: usare "
                                              "\"Esporta xml\"."));
            } else if (!status.issued()) {
                prompt.message(Prompt::warningTitle(), why);
            } else if (prompt.question(Prompt::warningTitle(),
                                       why +
                                           QStringLiteral("\n\nPreparare ora una nota di "
                                                          "credito collegata a questa fattura?"))) {
                const int number = addCreditNote(db);
                prompt.message(kTitle,
                               QStringLiteral("Creato il documento n. %1: una nota di credito "
                                              "(TD04) che richiama la fattura nei Dati Fatture "
                                              "Collegate. Scriverne il numero e le linee prima di "
                                              "esportarla.")
                                   .arg(number));
            }
            return;
        }
    } catch (const DbError& e) {
        prompt.message(Prompt::errorTitle(), e.text());
        return;
    }
    folder = prompt.folder(QStringLiteral("Cartella del nuovo file"),
                           folder.isEmpty() ? programFolder() : folder);
    if (folder.isEmpty())
        return;
    const receipts::ReissueResult r =
        receipts::reissue(db, prompt, folder, ExportDriver::CheckMode::Ask);
    if (!r.shown && !r.message.isEmpty())
        prompt.message(r.written ? kTitle : Prompt::warningTitle(), r.message);
}

} // namespace brevalto
