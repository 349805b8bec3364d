#pragma once
// Sending files to the exchange system by certified mail and reading what comes back.
//
// Reading goes over the whole inbox every time and never relies on a message being unread (a
// person may have opened it in another mail program): a message is used once, remembered by its
// Message-ID in the ledger. A message that cannot be used (not for us, not readable, naming no
// Document) is listed and left as it was, unread if it was; it never stops the others. Nothing
// is deleted from the mailbox.
#include "pec/MailClient.h"
#include "pec/PecMessage.h"

#include <QList>
#include <QString>
#include <functional>

namespace brevalto::pec {

// Where what is read gets recorded: the archive, or a test's list.
class PecLedger {
public:
    virtual ~PecLedger() = default;
    virtual bool isProcessed(const QString& messageId) = 0;
    // Records a provider's receipt on the Document whose message it names; false, with the reason
    // in *why, when no Document was sent with that message.
    virtual bool recordReceipt(const PecMessage& receipt, QString* what, QString* why) = 0;
    // Gives the notification files of an envelope to the notification reading; false, with the
    // reason, when none of them could be used.
    virtual bool recordNotification(const PecMessage& envelope, QString* what, QString* why) = 0;
    virtual void markProcessed(const QString& messageId) = 0;
};

struct ReadMessage {
    qint64 uid = 0;
    QString messageId;
    QString subject;
    QString from;
    QString text; // what was recorded, or why it was left in the mailbox, in Italian
};

struct ReadReport {
    QList<ReadMessage> recorded;
    QList<ReadMessage> leftInMailbox;
    int alreadyKnown = 0;
    // The exchange system's box that wrote last, and the one it asks to write to from now on
    // when its text names one: the next file goes there.
    QString sdiAddress;
};

// Reads the inbox; progress(done, total) after each message, returning false to stop. MailError
// when the server cannot be reached or refuses; what was recorded before stays recorded.
ReadReport readInbox(MailClient& client, PecLedger& ledger,
                     const std::function<bool(int, int)>& progress = {});

struct SentFile {
    QString fileName;
    QString messageId; // without angle brackets
};

// Sends one file as the attachment of its own message, the file's name as subject. MailError when
// the server refuses it; an Italian std::runtime_error when the file cannot be read.
SentFile sendFile(MailClient& client, const QString& to, const QString& path);

} // namespace brevalto::pec
