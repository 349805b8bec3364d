#include "pec/PecExchange.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace brevalto::pec {

namespace {

// Files bigger than this are not sent: the whole message must stay under 30 MB, and base64
// makes the file a third bigger.
constexpr qint64 kMaxFileBytes = 22 * 1024 * 1024;

} // namespace

ReadReport readInbox(MailClient& client, PecLedger& ledger,
                     const std::function<bool(int, int)>& progress) {
    ReadReport report;
    const QList<MailboxEntry> entries = client.inbox();
    int done = 0;
    for (const MailboxEntry& entry : entries) {
        if (progress && !progress(done, int(entries.size())))
            break;
        ++done;
        // The headers first: a message already used is not downloaded again.
        const MimePart head = parseMime(client.fetchHeaders(entry.uid));
        QString id = normalizedMessageId(head.header("Message-ID"));
        if (!id.isEmpty() && ledger.isProcessed(id)) {
            ++report.alreadyKnown;
            if (!entry.seen)
                client.setSeen(entry.uid, false);
            continue;
        }
        const QByteArray raw = client.fetch(entry.uid);
        const PecMessage message = readPecMessage(raw);
        if (id.isEmpty()) // a message without Message-ID is known by its bytes
            id = QStringLiteral("sha256:") +
                 QString::fromLatin1(
                     QCryptographicHash::hash(raw, QCryptographicHash::Sha256).toHex());
        if (id.startsWith(QLatin1String("sha256:")) && ledger.isProcessed(id)) {
            ++report.alreadyKnown;
            if (!entry.seen)
                client.setSeen(entry.uid, false);
            continue;
        }
        ReadMessage item{entry.uid, id, message.subject, message.from, message.why};
        bool used = false;
        try {
            QString what;
            QString why;
            if (message.kind == PecMessage::Kind::Receipt)
                used = ledger.recordReceipt(message, &what, &why);
            else if (message.kind == PecMessage::Kind::Notification)
                used = ledger.recordNotification(message, &what, &why);
            item.text = used ? what : (why.isEmpty() ? message.why : why);
            if (used)
                ledger.markProcessed(id);
        } catch (const std::exception& e) {
            used = false;
            item.text = QStringLiteral("non registrato: %1").arg(QString::fromUtf8(e.what()));
        }
        if (used) {
            report.recorded << item;
            if (message.kind == PecMessage::Kind::Notification) {
                report.sdiAddress =
                    message.nextSdiAddress.isEmpty() ? message.sdiAddress : message.nextSdiAddress;
            }
        } else {
            report.leftInMailbox << item;
            if (!entry.seen)
                client.setSeen(entry.uid, false);
        }
    }
    if (progress)
        progress(done, int(entries.size()));
    return report;
}

SentFile sendFile(MailClient& client, const QString& to, const QString& path) {
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile())
        throw std::runtime_error(QStringLiteral("Il file %1 non esiste.").arg(path).toStdString());
    if (info.size() > kMaxFileBytes)
        throw std::runtime_error(
            QStringLiteral("Il file %1 è troppo grande per la posta certificata (%2 MB).")
                .arg(info.fileName())
                .arg(info.size() / (1024 * 1024))
                .toStdString());
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Il file %1 non si può leggere: %2")
                                     .arg(path, file.errorString())
                                     .toStdString());
    SentFile sent;
    sent.fileName = info.fileName();
    const QByteArray message = composeMessage(client.account().address, to, sent.fileName,
                                              file.readAll(), &sent.messageId);
    client.send({to}, message);
    return sent;
}

} // namespace brevalto::pec
