#include "documents/PecActions.h"

#include "channel/PecChannel.h"
#include "store/DataModule.h"
#include "store/Prompt.h"

#include <QApplication>
#include <QProgressDialog>
#include <atomic>
#include <memory>

namespace brevalto {

namespace {

// A progress window with "Annulla", shown only for more than one item; progress() keeps the
// screen alive between messages and says whether to go on.
class Progress {
public:
    Progress(const QString& label, QWidget* parent) : label_(label), parent_(parent) {}
    bool operator()(int done, int total) {
        if (total > 1 && !dialog_) {
            dialog_ = std::make_unique<QProgressDialog>(label_, QStringLiteral("Annulla"), 0, total,
                                                        parent_);
            dialog_->setObjectName(QStringLiteral("dlgAvanzamentoPec"));
            dialog_->setWindowTitle(QStringLiteral("Posta certificata"));
            dialog_->setWindowModality(Qt::WindowModal);
            dialog_->setMinimumDuration(0);
            QObject::connect(dialog_.get(), &QProgressDialog::canceled,
                             [this] { cancelled_ = true; });
        }
        if (dialog_) {
            dialog_->setMaximum(total);
            dialog_->setValue(done);
        }
        QApplication::processEvents();
        return !cancelled_;
    }
    bool cancelled() const { return cancelled_; }

private:
    QString label_;
    QWidget* parent_;
    std::unique_ptr<QProgressDialog> dialog_;
    bool cancelled_ = false;
};

QString joinedLines(const QStringList& lines, int most = 30) {
    if (lines.size() <= most)
        return lines.join(QLatin1Char('\n'));
    return lines.mid(0, most).join(QLatin1Char('\n')) +
           QStringLiteral("\n... e altri %1.").arg(lines.size() - most);
}

} // namespace

int inviaDocumenti(DataModule& db, const QList<int>& headerIds, QWidget* parent) {
    if (headerIds.isEmpty())
        return 0;
    Progress progress(QStringLiteral("Invio dei documenti al Sistema di Interscambio..."), parent);
    channel::SendOptions options;
    options.password = channel::askPecPasswordWithPrompt;
    options.progress = std::ref(progress);
    options.confirmAgain = [](const channel::SendPlan& plan) {
        return prompt().question(Prompt::warningTitle(), plan.sendAgainQuestion);
    };
    const QList<channel::SendResult> results =
        channel::sendDocuments(db.connessione(), headerIds, options);
    int sent = 0;
    QStringList lines;
    for (const channel::SendResult& r : results) {
        if (r.sent)
            ++sent;
        lines << (results.size() > 1 && r.number > 0
                      ? QStringLiteral("Documento %1: %2").arg(r.number).arg(r.text)
                      : r.text);
    }
    if (progress.cancelled())
        lines << QStringLiteral("Invio annullato: %1 documenti non sono stati inviati.")
                     .arg(headerIds.size() - results.size());
    if (!lines.isEmpty())
        prompt().message(sent == int(headerIds.size()) ? QStringLiteral("Invio PEC")
                                                       : Prompt::warningTitle(),
                         joinedLines(lines));
    return sent;
}

void riceviPec(DataModule& db, QWidget* parent, bool atStart) {
    QList<channel::PecAccountSettings> accounts = channel::pecAccounts(db.connessione());
    if (atStart) {
        accounts.removeIf([](const channel::PecAccountSettings& a) { return !a.receiveAtStart; });
        if (accounts.isEmpty())
            return;
    } else if (accounts.isEmpty()) {
        prompt().message(Prompt::warningTitle(),
                         QStringLiteral("Nessuna casella PEC impostata: Utility, Opzioni, Posta "
                                        "certificata (PEC)."));
        return;
    }
    Progress progress(QStringLiteral("Lettura della casella PEC..."), parent);
    channel::ReceiveOptions options;
    options.password = channel::askPecPasswordWithPrompt;
    options.progress = std::ref(progress);
    const QList<channel::ReceiveResult> results =
        channel::receiveMail(db.connessione(), accounts, options);
    QStringList lines;
    bool anything = false;
    for (const channel::ReceiveResult& r : results) {
        lines << r.summary();
        anything = anything || r.failed || !r.report.recorded.isEmpty() ||
                   !r.report.leftInMailbox.isEmpty();
        for (const pec::ReadMessage& m : r.report.recorded)
            lines << QStringLiteral("  registrato: %1").arg(m.text);
        for (const pec::ReadMessage& m : r.report.leftInMailbox)
            lines << QStringLiteral("  lasciato nella casella: \"%1\" (%2): %3")
                         .arg(m.subject, m.from, m.text);
    }
    if (atStart && !anything)
        return;
    prompt().message(QStringLiteral("Ricevi PEC"), joinedLines(lines, 40));
    // The box the exchange system asks to write to from now on.
    for (const channel::ReceiveResult& r : results) {
        channel::PecAccountSettings a = r.account;
        if (a.proposedSdiAddress.isEmpty() ||
            a.proposedSdiAddress.compare(a.sdiAddress, Qt::CaseInsensitive) == 0)
            continue;
        if (prompt().ask(QStringLiteral("Ricevi PEC"),
                         QStringLiteral("Il Sistema di Interscambio ha risposto da %1, "
                                        "l'indirizzo da usare per i prossimi invii dalla casella "
                                        "%2 (finora %3). Usarlo d'ora in poi?")
                             .arg(a.proposedSdiAddress, a.address, a.sdiAddress),
                         false, Prompt::Choice::Yes) == Prompt::Choice::Yes) {
            a.sdiAddress = a.proposedSdiAddress;
            channel::savePecAccount(db.connessione(), a);
        }
    }
}

} // namespace brevalto
