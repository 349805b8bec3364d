#include "channel/SdiBridge.h"

#include "receipts/DocumentLife.h"

namespace brevalto::channel {

namespace {

QString nameKey(const QString& name) {
    QString key = name.trimmed().toLower();
    if (key.endsWith(QLatin1String(".p7m")))
        key.chop(4);
    return key;
}

} // namespace

QList<FileIntake> takeNotifications(Connection& connection,
                                    const QList<pec::NotificationFile>& files) {
    QList<FileIntake> out;
    for (const pec::NotificationFile& f : files) {
        const receipts::LoadedFile loaded = receipts::loadNotification(connection, f.bytes, f.name);
        FileIntake intake{f.name, loaded.result != receipts::LoadedFile::Result::Unreadable,
                          loaded.resultText()};
        if (loaded.number > 0)
            intake.text +=
                QStringLiteral(" al Documento %1 (%2)").arg(loaded.number).arg(loaded.state);
        if (!loaded.why.isEmpty())
            intake.text += QStringLiteral(": ") + loaded.why;
        out << intake;
    }
    return out;
}

void recordFileSent(Connection& connection, int headerId, const QString& path,
                    const QDateTime& when, const QString& messageId) {
    receipts::recordSending(connection, headerId, path, when, QStringLiteral("PEC"), messageId);
}

void stateBeforeSending(Connection& connection, int headerId, const QString& fileName,
                        QString* blocked, QString* question) {
    blocked->clear();
    question->clear();
    const receipts::DocumentStatus status = receipts::documentStatus(connection, headerId);
    switch (status.state) {
    case receipts::State::ToSend:
    case receipts::State::Sent:
        return;
    case receipts::State::Rejected:
        // The exchange system refuses a name it has seen, rejected or not.
        if (nameKey(status.fileName) == nameKey(fileName))
            *blocked = QStringLiteral("Il file %1 è stato scartato dal Sistema di Interscambio%2: "
                                      "un file con lo stesso nome verrebbe scartato di nuovo. "
                                      "Correggere il Documento e usare \"Reinvia\" per "
                                      "scriverne uno nuovo.")
                           .arg(fileName, status.codes.isEmpty()
                                              ? QString()
                                              : QStringLiteral(" (errori %1)")
                                                    .arg(status.codes.join(QLatin1String(", "))));
        return;
    default:
        *question = status.whyNotResend();
        if (question->isEmpty())
            *question = QStringLiteral("Lo stato del Documento è \"%1\".")
                            .arg(receipts::stateText(status.state));
        return;
    }
}

QString documentStateText(Connection& connection, int headerId) {
    return receipts::stateText(receipts::documentStatus(connection, headerId).state);
}

} // namespace brevalto::channel
