#include "channel/BatchSend.h"

#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"

namespace brevalto::channel {

SendStep::SendStep(DataModule& data, Prompt& prompt, SendOptions options)
    : data_(data), again_(prompt), sender_(data.connessione(), withQuestion(std::move(options))) {}

SendOptions SendStep::withQuestion(SendOptions options) {
    options.confirmAgain = [this](const SendPlan& plan) {
        switch (again_.answer(againQuestion(plan))) {
        case Prompt::Choice::Yes:
            return true;
        case Prompt::Choice::No:
            return false;
        case Prompt::Choice::Cancel:
            break;
        }
        stop_ = true;
        return false;
    };
    return options;
}

void SendStep::answerBeforehand(bool sendAgain) {
    again_.give(sendAgain ? Prompt::Choice::Yes : Prompt::Choice::No);
}

QString SendStep::againQuestion(const SendPlan& plan) {
    // The plan's own question ends with "Inviarlo di nuovo?": what comes before it is kept.
    QString said = plan.sendAgainQuestion;
    const qsizetype last = said.lastIndexOf(QStringLiteral("\n\n"));
    if (last > 0)
        said.truncate(last);
    return said + QStringLiteral("\n\nUn file già ricevuto dal Sistema di Interscambio viene "
                                 "scartato se inviato di nuovo. Come trattare questo documento e "
                                 "gli altri della selezione già inviati e non scartati?\n"
                                 "Sì: invia di nuovo.\nNo: salta.\nAnnulla: ferma qui.");
}

batch::Result SendStep::operator()() {
    stop_ = false;
    const int headerId = int(data_.table(ds::PA_FE_Header).integer(QStringLiteral("ID")));
    const SendResult sent = sender_.send(headerId);
    batch::Result result;
    if (sent.sent) {
        result.files << sent.fileName;
        // A message out whose record the archive refused is done (it left) and says so.
        result.reason = sent.text.startsWith(QLatin1String("Inviato"))
                            ? QStringLiteral("inviato il file %1 a %2 (messaggio %3).")
                                  .arg(sent.fileName, sent.to, sent.messageId)
                            : sent.text;
    } else if (sent.skipped == SendResult::Skip::NotExported) {
        result.status = batch::Status::Skipped;
        result.reason = QStringLiteral("non ancora esportato: esportarlo (\"Esporta xml\" o "
                                       "\"Firma\") prima di inviarlo.");
    } else if (sent.skipped == SendResult::Skip::SentBefore) {
        result.status = batch::Status::Skipped;
        result.reason = QStringLiteral("il file %1 è già stato inviato e non è stato scartato.")
                            .arg(sent.fileName);
    } else if (sender_.cancelled()) {
        // Annulla pressed while the message waited for the provider's limit, or while it left.
        result.status = batch::Status::Skipped;
        result.reason = QStringLiteral("non inviato: invio annullato.");
    } else {
        result.status = batch::Status::Failed;
        result.reason = sent.text;
    }
    result.stop = stop_ || sender_.cancelled();
    return result;
}

} // namespace brevalto::channel
