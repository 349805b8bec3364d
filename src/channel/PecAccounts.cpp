#include "channel/PecAccounts.h"

#include "store/Connection.h"

#include <QSqlQuery>

namespace brevalto::channel {

namespace {

const QString kColumns = QStringLiteral(
    "Id, CedentePrestatore_Id, Indirizzo, Utente, ServerSmtp, PortaSmtp, SicurezzaSmtp, "
    "ServerImap, PortaImap, IndirizzoSdI, IndirizzoSdIProposto, FileCertificati, RiceviAllAvvio");

PecAccountSettings fromRow(const QSqlQuery& q) {
    PecAccountSettings a;
    a.id = q.value(0).toInt();
    a.sellerId = q.value(1).toLongLong();
    a.address = q.value(2).toString();
    a.user = q.value(3).toString();
    a.smtpHost = q.value(4).toString();
    a.smtpPort = q.value(5).isNull() ? 465 : q.value(5).toInt();
    a.smtpStartTls =
        q.value(6).toString().compare(QLatin1String("STARTTLS"), Qt::CaseInsensitive) == 0;
    a.imapHost = q.value(7).toString();
    a.imapPort = q.value(8).isNull() ? 993 : q.value(8).toInt();
    a.sdiAddress = q.value(9).toString();
    a.proposedSdiAddress = q.value(10).toString();
    a.caFile = q.value(11).toString();
    a.receiveAtStart = q.value(12).toInt() != 0;
    return a;
}

QList<PecAccountSettings> select(Connection& connection, const QString& where,
                                 const QVariantList& values) {
    QSqlQuery q = connection.execNative(QStringLiteral("SELECT %1 FROM PEC_Account %2 ORDER BY "
                                                       "coalesce(CedentePrestatore_Id, 0), Id")
                                            .arg(kColumns, where),
                                        values);
    QList<PecAccountSettings> out;
    while (q.next())
        out << fromRow(q);
    connection.throwIfFailed(q);
    return out;
}

bool validPort(int port) {
    return port > 0 && port < 65536;
}

} // namespace

QString PecAccountSettings::incomplete() const {
    QStringList missing;
    if (!pec::isPlainAddress(address.trimmed()))
        missing << QStringLiteral("l'indirizzo PEC");
    if (user.trimmed().isEmpty())
        missing << QStringLiteral("l'utente");
    if (smtpHost.trimmed().isEmpty() || !validPort(smtpPort))
        missing << QStringLiteral("il server di posta in uscita e la sua porta");
    if (imapHost.trimmed().isEmpty() || !validPort(imapPort))
        missing << QStringLiteral("il server di posta in arrivo e la sua porta");
    if (!pec::isPlainAddress(sdiAddress.trimmed()))
        missing << QStringLiteral("l'indirizzo del Sistema di Interscambio");
    if (missing.isEmpty())
        return QString();
    return QStringLiteral("Nelle impostazioni PEC manca o non è valido: %1.")
        .arg(missing.join(QLatin1String(", ")));
}

pec::MailAccount PecAccountSettings::mailAccount(const QString& password) const {
    pec::MailAccount account;
    account.address = address.trimmed();
    account.user = user.trimmed();
    account.password = password;
    account.smtp = {smtpHost.trimmed(), smtpPort,
                    smtpStartTls ? pec::MailServer::Security::StartTls
                                 : pec::MailServer::Security::Tls};
    account.imap = {imapHost.trimmed(), imapPort, pec::MailServer::Security::Tls};
    account.caFile = caFile.trimmed();
    return account;
}

QString PecAccountSettings::shownName() const {
    return QStringLiteral("%1 (%2)").arg(address.trimmed(), imapHost.trimmed());
}

QString PecAccountSettings::passwordKey() const {
    return user.trimmed() + QLatin1Char('\n') + imapHost.trimmed().toLower() + QLatin1Char('\n') +
           smtpHost.trimmed().toLower();
}

QList<PecAccountSettings> pecAccounts(Connection& connection) {
    return select(connection, QString(), {});
}

std::optional<PecAccountSettings> pecAccount(Connection& connection, qint64 sellerId) {
    const QList<PecAccountSettings> found = select(
        connection, QStringLiteral("WHERE coalesce(CedentePrestatore_Id, 0) = ?"), {sellerId});
    if (found.isEmpty())
        return std::nullopt;
    return found.constFirst();
}

std::optional<PecAccountSettings> pecAccountForDocument(Connection& connection, int headerId) {
    const qint64 seller =
        connection
            .scalar(QStringLiteral("SELECT CedentePrestatore_Id FROM PA_FE_Header WHERE id = ?"),
                    {headerId})
            .toLongLong();
    if (seller > 0) {
        if (auto own = pecAccount(connection, seller))
            return own;
    }
    return pecAccount(connection, 0);
}

void savePecAccount(Connection& connection, PecAccountSettings& a) {
    const QVariantList values = {
        a.sellerId > 0 ? QVariant(a.sellerId) : QVariant(0),
        a.address.trimmed(),
        a.user.trimmed(),
        a.smtpHost.trimmed(),
        a.smtpPort,
        a.smtpStartTls ? QStringLiteral("STARTTLS") : QStringLiteral("TLS"),
        a.imapHost.trimmed(),
        a.imapPort,
        a.sdiAddress.trimmed(),
        a.proposedSdiAddress.trimmed(),
        a.caFile.trimmed(),
        a.receiveAtStart ? 1 : 0,
    };
    connection.inTransaction([&] {
        if (a.id > 0) {
            QVariantList withId = values;
            withId << a.id;
            connection.execNative(
                QStringLiteral("UPDATE PEC_Account SET CedentePrestatore_Id = ?, Indirizzo = ?, "
                               "Utente = ?, ServerSmtp = ?, PortaSmtp = ?, SicurezzaSmtp = ?, "
                               "ServerImap = ?, PortaImap = ?, IndirizzoSdI = ?, "
                               "IndirizzoSdIProposto = ?, FileCertificati = ?, RiceviAllAvvio = ? "
                               "WHERE Id = ?"),
                withId);
            return;
        }
        QSqlQuery q = connection.execNative(
            QStringLiteral("INSERT INTO PEC_Account (CedentePrestatore_Id, Indirizzo, Utente, "
                           "ServerSmtp, PortaSmtp, SicurezzaSmtp, ServerImap, PortaImap, "
                           "IndirizzoSdI, IndirizzoSdIProposto, FileCertificati, RiceviAllAvvio) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)") +
                connection.returningRowId(QStringLiteral("PEC_Account")),
            values);
        a.id = int(connection.writtenRowId(q));
    });
}

void proposeSdiAddress(Connection& connection, int accountId, const QString& address) {
    if (accountId <= 0 || !pec::isPlainAddress(address))
        return;
    connection.execNative(
        QStringLiteral("UPDATE PEC_Account SET IndirizzoSdIProposto = ? WHERE Id = ?"),
        {address.toLower(), accountId});
}

} // namespace brevalto::channel
