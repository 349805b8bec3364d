#pragma once
// A headless mail client for one certified-mail account, on libcurl: SMTP to send (over TLS from
// the first byte, as on port 465, or with STARTTLS, as on port 587) and IMAP over TLS to read the
// inbox. It never deletes nor moves a message. Every failure becomes a MailError whose text says
// in Italian what went wrong: a server name not found, a connection refused, a failed TLS
// handshake or certificate, a login refused.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <stdexcept>

namespace brevalto::pec {

struct MailServer {
    enum class Security { Tls, StartTls };
    QString host;
    int port = 0;
    Security security = Security::Tls;
};

struct MailAccount {
    QString address; // the certified-mail address messages are sent from
    QString user;
    QString password;
    MailServer smtp{QString(), 465, MailServer::Security::Tls};
    MailServer imap{QString(), 993, MailServer::Security::Tls};
    // A PEM file of certificates to trust besides the system's (a server with its own); empty
    // for the system's alone.
    QString caFile;
    int timeoutSeconds = 30;
};

class MailError : public std::runtime_error {
public:
    enum class Kind { NameNotFound, Refused, Tls, Login, Cancelled, Other };
    MailError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString()), kind_(kind), message_(message) {}
    Kind kind() const { return kind_; }
    const QString& message() const { return message_; }

private:
    Kind kind_;
    QString message_;
};

struct MailboxEntry {
    qint64 uid = 0;
    bool seen = false;
};

class MailClient {
public:
    // cancel, when given, stops a transfer in progress as soon as it turns true (MailError
    // Cancelled).
    explicit MailClient(MailAccount account, const std::atomic<bool>* cancel = nullptr);
    ~MailClient();
    MailClient(const MailClient&) = delete;
    MailClient& operator=(const MailClient&) = delete;

    const MailAccount& account() const { return account_; }

    // Sends a whole message (headers and body; bare LF line ends become CRLF) to the recipients.
    void send(const QStringList& recipients, const QByteArray& message);

    // The messages of the inbox, oldest first.
    QList<MailboxEntry> inbox();
    // A message's headers, or the whole message. Reading marks it seen on the server: the
    // caller puts the mark back with setSeen() when it leaves the message for a person.
    QByteArray fetchHeaders(qint64 uid);
    QByteArray fetch(qint64 uid);
    void setSeen(qint64 uid, bool seen);

    // Logs in to the server and out again; MailError when it cannot.
    void checkSmtp();
    void checkImap();

private:
    struct Handle;
    QByteArray imapRequest(const QString& path, const QString& command);
    MailAccount account_;
    const std::atomic<bool>* cancel_;
    std::unique_ptr<Handle> imap_;
};

// True for a plain address "name@domain": no spaces, angle brackets, quotes or control
// characters, which would let an address write headers or server commands of its own.
bool isPlainAddress(const QString& address);

// Composes a message carrying one file as its attachment, the file's name as subject. The new
// message's Message-ID (without angle brackets) goes to *messageId.
QByteArray composeMessage(const QString& from, const QString& to, const QString& fileName,
                          const QByteArray& file, QString* messageId);

} // namespace brevalto::pec
