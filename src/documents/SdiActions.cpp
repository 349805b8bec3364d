#include "documents/SdiActions.h"

#include "export/ExportDriver.h"
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

QString errorTitle(DataModule& db, const QString& code) {
    try {
        return db.connessione()
            .scalar(QStringLiteral("select Titolo from PA_Errori where Codice = ?"), {code})
            .toString();
    } catch (const DbError&) {
        return QString();
    }
}

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

void caricaNotifiche(DataModule& db, Prompt& prompt) {
    QString path = prompt.folder(QStringLiteral("Cartella delle notifiche"), programFolder());
    if (path.isEmpty())
        path = prompt.openFileName(QStringLiteral("File di notifica"), programFolder(),
                                   QStringLiteral("Notifiche SdI (*.xml *.XML *.p7m *.P7M *.zip "
                                                  "*.ZIP)"));
    if (path.isEmpty())
        return;
    try {
        const QList<receipts::LoadedFile> loaded =
            receipts::loadNotifications(db.connessione(), {path});
        prompt.message(kTitle, loaded.isEmpty() ? QStringLiteral("Nessun file di notifica in %1.")
                                                      .arg(QDir::toNativeSeparators(path))
                                                : notificationsSummary(loaded));
    } catch (const DbError& e) {
        prompt.message(Prompt::errorTitle(), e.text());
    }
}

QString documentLifeText(DataModule& db, int headerId, QDate today) {
    const receipts::DocumentStatus status = receipts::documentStatus(db.connessione(), headerId);
    QStringList lines;
    lines << QStringLiteral("Stato SdI: %1").arg(receipts::stateText(status.state));
    if (!status.fileName.isEmpty())
        lines << QStringLiteral("File: %1").arg(status.fileName);
    if (status.deadline.isValid()) {
        const int left = status.daysLeft(today);
        lines << (status.state == receipts::State::Rejected
                      ? QStringLiteral("Da reinviare entro il %1 (%2).")
                      : QStringLiteral("L'amministrazione può rispondere fino al %1 (%2)."))
                     .arg(status.deadline.toString(QStringLiteral("dd/MM/yyyy")),
                          left >= 0 ? QStringLiteral("%1 giorni").arg(left)
                                    : QStringLiteral("termine passato"));
    }
    if (status.state == receipts::State::TransmittedNotDelivered)
        lines << QStringLiteral("Inviare all'amministrazione la fattura e l'attestazione per "
                                "altre vie (posta elettronica certificata, consegna a mano).");
    const QList<receipts::HistoryEntry> history =
        receipts::documentHistory(db.connessione(), headerId);
    if (history.isEmpty())
        lines << QStringLiteral("\nNessuna notifica caricata.");
    for (const receipts::HistoryEntry& e : history) {
        QString text = e.text();
        for (const receipts::HistoryError& error : e.errors) {
            const QString title = errorTitle(db, error.code);
            if (!title.isEmpty())
                text.replace(QStringLiteral("Errore %1:").arg(error.code),
                             QStringLiteral("Errore %1 (%2):").arg(error.code, title));
        }
        lines << QString() << text;
    }
    return lines.join(QLatin1Char('\n'));
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
            prompt.message(Prompt::warningTitle(),
                           why.isEmpty() ? QStringLiteral("Il documento non è mai stato inviato: "
                                                          "usare \"Esporta xml\".")
                                         : why);
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
