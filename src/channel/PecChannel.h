#pragma once
// Documents leave by certified mail and the answers come back into the archive: the sending of a
// Document's file (one message per file, the signed one when there is one), the provider's
// receipts recorded on the Document whose message they name, and the exchange system's
// notifications given to the notification reading. Headless: the screens and the command line
// both call these.
#include "channel/PecAccounts.h"
#include "channel/PecPasswords.h"
#include "pec/PecExchange.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace brevalto {
class Connection;
}

namespace brevalto::channel {

// Tries both servers with the account and the password: each line says it works or, in Italian,
// what failed (name not found, connection refused, TLS, login).
struct ConnectionCheck {
    bool smtpOk = false;
    bool imapOk = false;
    QString smtpText;
    QString imapText;
    bool ok() const { return smtpOk && imapOk; }
    QString text() const;
};
ConnectionCheck checkPecConnection(const PecAccountSettings& account, const QString& password);

// What sending a Document would do, before anything leaves.
struct SendPlan {
    int headerId = 0;
    int number = 0;
    QString path;     // the file that would leave (the signed one when there is one)
    QString fileName; // its name
    // Why it cannot leave at all (no file, a rejected file's name, no account), in Italian.
    QString blocked;
    // Blocked because the Document has no exported file yet.
    bool notExported = false;
    // When it was already sent and not rejected: the question to ask before sending it again.
    QString sendAgainQuestion;
};
SendPlan planSend(Connection& connection, int headerId);

struct SendResult {
    int headerId = 0;
    int number = 0;
    QString fileName;
    QString messageId; // of the message sent, empty when it did not leave
    QString to;
    bool sent = false;
    // Nothing was tried: the Document was never exported, or it was sent before and the answer
    // was not to send it again. Otherwise a Document that did not leave failed.
    enum class Skip { None, NotExported, SentBefore };
    Skip skipped = Skip::None;
    QString text; // what happened, in Italian
};

struct SendOptions {
    // Asked for every Document already sent and not rejected; false leaves it out.
    std::function<bool(const SendPlan&)> confirmAgain;
    PasswordSource password;
    // progress(done, total) before each Document and at the end; false stops the rest.
    std::function<bool(int, int)> progress;
    const std::atomic<bool>* cancel = nullptr;
    // How many messages a minute the box may send; unset: what its provider documents
    // (providerMessagesPerMinute), 0: no limit.
    std::optional<int> messagesPerMinute;
    // Waits this long before the next message, to keep within the limit; false stops the rest
    // (the user cancelled). Unset: the thread sleeps, watching cancel.
    std::function<bool(std::chrono::milliseconds, const PecAccountSettings&)> wait;
};

// The messages a minute the box's provider allows, from its documentation, known by the
// outgoing server's name; 0 when the provider documents no limit.
int providerMessagesPerMinute(const PecAccountSettings& account);

// Sends Documents one at a time, keeping what one send teaches the next: one mail client per
// account, the accounts that failed as a whole (a refused login, a server not reached: their
// other Documents fail at once with the same reason), and the times of the last messages of each
// box to keep within its provider's limit.
class DocumentSender {
public:
    DocumentSender(Connection& connection, SendOptions options);
    ~DocumentSender();
    DocumentSender(const DocumentSender&) = delete;
    DocumentSender& operator=(const DocumentSender&) = delete;

    // Sends the Document's file. A Document that leaves becomes Inviata with its message's id;
    // one that does not stays as it was and the result says why.
    SendResult send(int headerId);
    // True once a send was cancelled (by cancel or by the wait): the rest should not be tried.
    bool cancelled() const { return cancelled_; }

private:
    // Waits until another message may leave from the account; false when cancelled.
    bool pace(const PecAccountSettings& account);

    Connection& connection_;
    SendOptions options_;
    std::map<int, std::unique_ptr<pec::MailClient>> clients_;
    QMap<int, QString> failedAccounts_;
    std::map<int, std::deque<std::chrono::steady_clock::time_point>> sentAt_;
    bool cancelled_ = false;
};

// Sends each Document's file to the exchange system from its seller's account. A Document that
// leaves becomes Inviata with its message's id; one that does not stays as it was and its result
// says why. A refused login or an unreachable server stops that account's remaining Documents
// with the same reason (and forgets a refused password).
QList<SendResult> sendDocuments(Connection& connection, const QList<int>& headerIds,
                                const SendOptions& options);

// The reading of one account's mailbox.
struct ReceiveResult {
    PecAccountSettings account;
    pec::ReadReport report;
    bool failed = false;
    QString error; // why the mailbox could not be read, in Italian
    // One line: how many recorded, left in the mailbox, already known.
    QString summary() const;
};

struct ReceiveOptions {
    PasswordSource password;
    std::function<bool(int, int)> progress;
    const std::atomic<bool>* cancel = nullptr;
};

// Reads the mailbox of every account given, recording what it can (see PecExchange.h); the box
// the exchange system's answers ask to write to is recorded on the account, to be proposed.
QList<ReceiveResult> receiveMail(Connection& connection, const QList<PecAccountSettings>& accounts,
                                 const ReceiveOptions& options);

// The ledger of the archive: Message-IDs used (PEC_Messaggi), receipts on the messages sent
// (PEC_Ricevute on PEC_Invii), notification files to the notification reading.
class ArchiveLedger : public pec::PecLedger {
public:
    ArchiveLedger(Connection& connection, int accountId)
        : connection_(connection), accountId_(accountId) {}
    bool isProcessed(const QString& messageId) override;
    bool recordReceipt(const pec::PecMessage& receipt, QString* what, QString* why) override;
    bool recordNotification(const pec::PecMessage& envelope, QString* what, QString* why) override;
    void markProcessed(const QString& messageId) override;

private:
    void remember(const QString& messageId, const QString& subject, const QString& what);
    Connection& connection_;
    int accountId_;
};

// The certified-mail history of a Document, oldest first, one line each: the messages sent with
// its files and the provider's receipts about them.
struct PecEvent {
    QDateTime when;
    QString fileName;
    QString messageId;
    QString text; // "Inviato a sdi01@pec.fatturapa.it", "Accettazione", "Consegna", ...
};
QList<PecEvent> pecHistory(Connection& connection, int headerId);

} // namespace brevalto::channel
