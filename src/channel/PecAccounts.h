#pragma once
// The certified-mail account of the archive: one for the firm, or one for each seller when the
// office keeps several (a seller without its own uses the firm's, stored with no seller). The
// password is never stored: it lives in this program run's memory only (see PecPasswords.h).
#include "pec/MailClient.h"

#include <QList>
#include <QString>
#include <optional>

namespace brevalto {
class Connection;
}

namespace brevalto::channel {

// The exchange system's box for the first file; its answers say which box to use after.
inline const QString kFirstSdiAddress = QStringLiteral("sdi01@pec.fatturapa.it");

struct PecAccountSettings {
    int id = 0;          // PEC_Account.Id, 0 while not stored
    qint64 sellerId = 0; // 0: the firm's account
    QString address;     // the certified-mail address invoices leave from
    QString user;        // the login, often the address itself
    QString smtpHost;
    int smtpPort = 465;
    bool smtpStartTls = false; // STARTTLS (port 587) instead of TLS from the first byte (465)
    QString imapHost;
    int imapPort = 993;
    QString sdiAddress = kFirstSdiAddress;
    // The box the exchange system wrote from, or asked to write to, in its last answer: proposed
    // to the user, who takes it into sdiAddress.
    QString proposedSdiAddress;
    QString caFile; // certificates to trust besides the system's (PEM), usually empty
    bool receiveAtStart = false;

    // What is missing or wrong for sending and reading, in Italian; empty when complete.
    QString incomplete() const;
    // The client's account with this password.
    pec::MailAccount mailAccount(const QString& password) const;
    // Names the box for a question or a message: "pec@example.it (mail.example.it)".
    QString shownName() const;
    // Identifies the login for the passwords kept in memory.
    QString passwordKey() const;
};

// Every account of the archive, the firm's first.
QList<PecAccountSettings> pecAccounts(Connection& connection);
// The account stored for exactly this seller (0: the firm's).
std::optional<PecAccountSettings> pecAccount(Connection& connection, qint64 sellerId);
// The account a Document leaves from: its seller's, otherwise the firm's.
std::optional<PecAccountSettings> pecAccountForDocument(Connection& connection, int headerId);
// Stores the account (inserts it when new and sets its id). Throws DbError.
void savePecAccount(Connection& connection, PecAccountSettings& account);
// Records the exchange system's box its last answer came from, to be proposed.
void proposeSdiAddress(Connection& connection, int accountId, const QString& address);

} // namespace brevalto::channel
