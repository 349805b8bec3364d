#include "channel/PecChannel.h"

#include "channel/SdiBridge.h"
#include "store/Connection.h"
#include "store/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSqlQuery>

#include <thread>

namespace brevalto::channel {

namespace {

using pec::MailError;
using pec::ReceiptKind;

// The stored word of a receipt: X-Ricevuta as the providers write it.
QString receiptCode(const pec::PecMessage& m) {
    switch (m.receipt) {
    case ReceiptKind::Accepted:
        return QStringLiteral("accettazione");
    case ReceiptKind::NotAccepted:
        return QStringLiteral("non-accettazione");
    case ReceiptKind::Delivered:
        return QStringLiteral("avvenuta-consegna");
    case ReceiptKind::NotDelivered:
        return QStringLiteral("errore-consegna");
    case ReceiptKind::Warning:
        return QStringLiteral("preavviso-errore-consegna");
    case ReceiptKind::Other:
        break;
    }
    return m.receiptValue.trimmed().toLower().left(60);
}

// A message that never reached the exchange system's box: its file may leave again.
bool failedReceipt(const QString& code) {
    return code == QLatin1String("non-accettazione") || code == QLatin1String("errore-consegna");
}

// Names compared as the exchange system compares them: any case, with or without ".p7m".
QString nameKey(const QString& name) {
    QString key = name.trimmed().toLower();
    if (key.endsWith(QLatin1String(".p7m")))
        key.chop(4);
    return key;
}

QString shownDate(const QDateTime& when) {
    return when.toString(QStringLiteral("dd/MM/yyyy 'alle' HH:mm"));
}

// The file the Document leaves with: its last export, the signed copy beside it when there is
// one at least as recent.
QString exportedFile(Connection& connection, int headerId, int* number, QString* why,
                     bool* notExported) {
    QSqlQuery q = connection.execNative(
        QStringLiteral("SELECT Numero, FileEsportazione, Esportato FROM PA_FE_Header WHERE id = ?"),
        {headerId});
    if (!q.next()) {
        *why = QStringLiteral("Il Documento non esiste più nell'archivio.");
        return QString();
    }
    *number = q.value(0).toInt();
    const QString stored = q.value(1).toString();
    if (stored.isEmpty() || q.value(2).toInt() == 0) {
        *notExported = true;
        *why = QStringLiteral("Il Documento %1 non è ancora stato esportato: esportarlo (\"Esporta "
                              "xml\" o \"Firma\") prima di inviarlo.")
                   .arg(*number);
        return QString();
    }
    const QString path = QDir::fromNativeSeparators(stored);
    if (!QFileInfo(path).isFile()) {
        *why = QStringLiteral("Il file %1 del Documento %2 non esiste più: esportarlo di nuovo.")
                   .arg(QDir::toNativeSeparators(path))
                   .arg(*number);
        return QString();
    }
    if (!path.endsWith(QLatin1String(".p7m"), Qt::CaseInsensitive)) {
        const QFileInfo plain(path);
        const QFileInfo signedCopy(path + QStringLiteral(".p7m"));
        if (signedCopy.isFile() && signedCopy.lastModified() >= plain.lastModified())
            return signedCopy.filePath();
    }
    return path;
}

struct EarlierSend {
    QDateTime when;
    QString messageId;
    QString to;
    QString lastReceipt; // stored code of the last receipt, empty when none
};

// The last message that carried a file of this name for the Document.
std::optional<EarlierSend> earlierSend(Connection& connection, int headerId,
                                       const QString& fileName) {
    QSqlQuery q = connection.execNative(
        QStringLiteral("SELECT Id, NomeFile, DataInvio, MessageId, Destinatario FROM PEC_Invii "
                       "WHERE PA_FE_Header_Id = ? ORDER BY Id DESC"),
        {headerId});
    while (q.next()) {
        if (nameKey(q.value(1).toString()) != nameKey(fileName))
            continue;
        EarlierSend e{q.value(2).toDateTime(), q.value(3).toString(), q.value(4).toString(), {}};
        e.lastReceipt =
            connection
                .scalar(QStringLiteral("SELECT Tipo FROM PEC_Ricevute WHERE PEC_Invii_Id = ? "
                                       "ORDER BY Id DESC LIMIT 1"),
                        {q.value(0)})
                .toString();
        return e;
    }
    connection.throwIfFailed(q);
    return std::nullopt;
}

// True for failures of the account rather than of one message: the next Documents would meet
// the same.
bool accountFailure(MailError::Kind kind) {
    return kind != MailError::Kind::Other;
}

} // namespace

QString ConnectionCheck::text() const {
    return smtpText + QLatin1Char('\n') + imapText;
}

ConnectionCheck checkPecConnection(const PecAccountSettings& account, const QString& password) {
    ConnectionCheck check;
    pec::MailClient client(account.mailAccount(password));
    try {
        client.checkSmtp();
        check.smtpOk = true;
        check.smtpText = QStringLiteral("Server in uscita (SMTP) %1: collegamento riuscito.")
                             .arg(account.smtpHost.trimmed());
    } catch (const MailError& e) {
        check.smtpText = e.message();
    }
    try {
        client.checkImap();
        check.imapOk = true;
        check.imapText = QStringLiteral("Server in arrivo (IMAP) %1: collegamento riuscito.")
                             .arg(account.imapHost.trimmed());
    } catch (const MailError& e) {
        check.imapText = e.message();
    }
    return check;
}

SendPlan planSend(Connection& connection, int headerId) {
    SendPlan plan;
    plan.headerId = headerId;
    QString why;
    plan.path = exportedFile(connection, headerId, &plan.number, &why, &plan.notExported);
    if (plan.path.isEmpty()) {
        plan.blocked = why;
        return plan;
    }
    plan.fileName = QFileInfo(plan.path).fileName();
    const std::optional<PecAccountSettings> account = pecAccountForDocument(connection, headerId);
    if (!account) {
        plan.blocked = QStringLiteral("Nessuna casella PEC impostata per il cedente del Documento "
                                      "%1: Utility, Opzioni, Posta certificata (PEC).")
                           .arg(plan.number);
        return plan;
    }
    if (const QString incomplete = account->incomplete(); !incomplete.isEmpty()) {
        plan.blocked = incomplete;
        return plan;
    }
    QString stateQuestion;
    stateBeforeSending(connection, headerId, plan.fileName, &plan.blocked, &stateQuestion);
    if (!plan.blocked.isEmpty())
        return plan;
    if (const auto earlier = earlierSend(connection, headerId, plan.fileName);
        earlier && !failedReceipt(earlier->lastReceipt)) {
        const QString state = documentStateText(connection, headerId);
        plan.sendAgainQuestion =
            QStringLiteral("Il file %1 del Documento %2 è già stato inviato il %3 a %4 (messaggio "
                           "%5)%6.")
                .arg(plan.fileName)
                .arg(plan.number)
                .arg(shownDate(earlier->when), earlier->to, earlier->messageId,
                     state.isEmpty() ? QString() : QStringLiteral(", stato: ") + state);
        if (!stateQuestion.isEmpty())
            plan.sendAgainQuestion += QLatin1Char('\n') + stateQuestion;
        plan.sendAgainQuestion += QStringLiteral("\n\nUn file già ricevuto dal Sistema di "
                                                 "Interscambio viene scartato se inviato di "
                                                 "nuovo. Inviarlo di nuovo?");
    } else if (!stateQuestion.isEmpty()) {
        plan.sendAgainQuestion = stateQuestion + QStringLiteral("\n\nInviarlo comunque?");
    }
    return plan;
}

int providerMessagesPerMinute(const PecAccountSettings& account) {
    // InfoCert's general conditions for Legalmail: at most 6 messages a minute per box; a box
    // over it is refused with "Too much traffic from this sender".
    const QString host = account.smtpHost.trimmed().toLower();
    if (host == QLatin1String("legalmail.it") || host.endsWith(QLatin1String(".legalmail.it")))
        return 6;
    return 0;
}

DocumentSender::DocumentSender(Connection& connection, SendOptions options)
    : connection_(connection), options_(std::move(options)) {}

DocumentSender::~DocumentSender() = default;

bool DocumentSender::pace(const PecAccountSettings& account) {
    const int perMinute = options_.messagesPerMinute.value_or(providerMessagesPerMinute(account));
    if (perMinute <= 0)
        return true;
    using namespace std::chrono;
    auto& times = sentAt_[account.id];
    const auto now = steady_clock::now();
    while (!times.empty() && now - times.front() >= minutes(1))
        times.pop_front();
    if (int(times.size()) < perMinute)
        return true;
    // The oldest of the last perMinute messages must be a minute old before the next leaves.
    const auto left = duration_cast<milliseconds>(times.front() + minutes(1) - now);
    if (options_.wait)
        return options_.wait(left, account);
    const auto until = now + left;
    while (steady_clock::now() < until) {
        if (options_.cancel && options_.cancel->load())
            return false;
        std::this_thread::sleep_for(
            std::min<steady_clock::duration>(milliseconds(200), until - steady_clock::now()));
    }
    return true;
}

SendResult DocumentSender::send(int headerId) {
    SendResult result;
    result.headerId = headerId;
    const SendPlan plan = planSend(connection_, headerId);
    result.number = plan.number;
    result.fileName = plan.fileName;
    if (!plan.blocked.isEmpty()) {
        if (plan.notExported)
            result.skipped = SendResult::Skip::NotExported;
        result.text = plan.blocked;
        return result;
    }
    if (!plan.sendAgainQuestion.isEmpty() &&
        !(options_.confirmAgain && options_.confirmAgain(plan))) {
        result.skipped = SendResult::Skip::SentBefore;
        result.text =
            QStringLiteral("Non inviato: il file %1 era già stato inviato.").arg(plan.fileName);
        return result;
    }
    const PecAccountSettings account = *pecAccountForDocument(connection_, headerId);
    if (failedAccounts_.contains(account.id)) {
        result.text = failedAccounts_.value(account.id);
        return result;
    }
    auto& client = clients_[account.id];
    if (!client) {
        const std::optional<QString> password = pecPassword(account, options_.password);
        if (!password) {
            const QString why = QStringLiteral("Non inviato: manca la password della casella %1.")
                                    .arg(account.address);
            failedAccounts_.insert(account.id, why);
            result.text = why;
            return result;
        }
        client = std::make_unique<pec::MailClient>(account.mailAccount(*password), options_.cancel);
    }
    if (!pace(account)) {
        cancelled_ = true;
        result.text = QStringLiteral("Non inviato: invio annullato.");
        return result;
    }
    result.to = account.sdiAddress.trimmed();
    try {
        const pec::SentFile sent = pec::sendFile(*client, result.to, plan.path);
        result.messageId = sent.messageId;
    } catch (const MailError& e) {
        result.text = e.message();
        if (e.kind() == MailError::Kind::Login)
            forgetPecPassword(account);
        if (accountFailure(e.kind()))
            failedAccounts_.insert(account.id, e.message());
        if (e.kind() == MailError::Kind::Cancelled)
            cancelled_ = true;
        return result;
    } catch (const std::exception& e) {
        result.text = QString::fromUtf8(e.what());
        return result;
    }
    sentAt_[account.id].push_back(std::chrono::steady_clock::now());
    // The message left: recorded with its id, and the Document becomes Inviata. Should the
    // archive refuse, the message is out all the same and the user must know its id.
    const QDateTime now = QDateTime::currentDateTime();
    try {
        connection_.inTransaction([&] {
            connection_.execNative(
                QStringLiteral("INSERT INTO PEC_Invii (PA_FE_Header_Id, PEC_Account_Id, "
                               "NomeFile, MessageId, Mittente, Destinatario, DataInvio) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {headerId, account.id, plan.fileName, result.messageId, account.address.trimmed(),
                 result.to, now.toString(Qt::ISODate)});
            recordFileSent(connection_, headerId, plan.path, now, result.messageId);
        });
    } catch (const DbError& e) {
        result.sent = true;
        result.text = QStringLiteral("Il file %1 è stato inviato (messaggio %2) ma l'archivio "
                                     "non ha potuto registrarlo: %3")
                          .arg(plan.fileName, result.messageId, e.text());
        return result;
    }
    result.sent = true;
    result.text = QStringLiteral("Inviato il file %1 a %2 (messaggio %3).")
                      .arg(plan.fileName, result.to, result.messageId);
    return result;
}

QList<SendResult> sendDocuments(Connection& connection, const QList<int>& headerIds,
                                const SendOptions& options) {
    QList<SendResult> results;
    DocumentSender sender(connection, options);
    const int total = int(headerIds.size());
    int done = 0;
    for (const int headerId : headerIds) {
        if (options.progress && !options.progress(done, total))
            break;
        if (options.cancel && options.cancel->load())
            break;
        ++done;
        results << sender.send(headerId);
        if (sender.cancelled())
            break;
    }
    if (options.progress)
        options.progress(done, total);
    return results;
}

QString ReceiveResult::summary() const {
    if (failed)
        return QStringLiteral("%1: %2").arg(account.address, error);
    return QStringLiteral("%1: %2 messaggi registrati, %3 lasciati nella casella, %4 già letti "
                          "prima.")
        .arg(account.address)
        .arg(report.recorded.size())
        .arg(report.leftInMailbox.size())
        .arg(report.alreadyKnown);
}

QList<ReceiveResult> receiveMail(Connection& connection, const QList<PecAccountSettings>& accounts,
                                 const ReceiveOptions& options) {
    QList<ReceiveResult> results;
    for (const PecAccountSettings& account : accounts) {
        ReceiveResult result;
        result.account = account;
        if (const QString incomplete = account.incomplete(); !incomplete.isEmpty()) {
            result.failed = true;
            result.error = incomplete;
            results << result;
            continue;
        }
        const std::optional<QString> password = pecPassword(account, options.password);
        if (!password) {
            result.failed = true;
            result.error = QStringLiteral("manca la password della casella.");
            results << result;
            continue;
        }
        pec::MailClient client(account.mailAccount(*password), options.cancel);
        ArchiveLedger ledger(connection, account.id);
        try {
            result.report = pec::readInbox(client, ledger, options.progress);
        } catch (const MailError& e) {
            if (e.kind() == MailError::Kind::Login)
                forgetPecPassword(account);
            result.failed = true;
            result.error = e.message();
            results << result;
            if (e.kind() == MailError::Kind::Cancelled)
                break;
            continue;
        }
        const QString box = result.report.sdiAddress.toLower();
        if (!box.isEmpty() && box != account.sdiAddress.trimmed().toLower() &&
            box != account.proposedSdiAddress.trimmed().toLower()) {
            proposeSdiAddress(connection, account.id, box);
            result.account.proposedSdiAddress = box;
        }
        results << result;
    }
    return results;
}

bool ArchiveLedger::isProcessed(const QString& messageId) {
    return connection_
        .execNative(QStringLiteral("SELECT 1 FROM PEC_Messaggi WHERE MessageId = ?"), {messageId})
        .next();
}

void ArchiveLedger::remember(const QString& messageId, const QString& subject,
                             const QString& what) {
    if (messageId.isEmpty() || isProcessed(messageId))
        return;
    connection_.execNative(
        QStringLiteral("INSERT INTO PEC_Messaggi (PEC_Account_Id, MessageId, "
                       "Elaborato, Oggetto, Esito) VALUES (?, ?, ?, ?, ?)"),
        {accountId_, messageId, QDateTime::currentDateTime().toString(Qt::ISODate), subject, what});
}

bool ArchiveLedger::recordReceipt(const pec::PecMessage& receipt, QString* what, QString* why) {
    QSqlQuery sent = connection_.execNative(
        QStringLiteral("SELECT i.Id, i.PA_FE_Header_Id, i.NomeFile, h.Numero FROM PEC_Invii i "
                       "LEFT JOIN PA_FE_Header h ON h.id = i.PA_FE_Header_Id WHERE i.MessageId = "
                       "? ORDER BY i.Id DESC"),
        {receipt.referencedId});
    if (receipt.referencedId.isEmpty() || !sent.next()) {
        *why = QStringLiteral("ricevuta di un messaggio che non ha inviato nessun Documento");
        return false;
    }
    const QVariant sendId = sent.value(0);
    const QVariant headerId = sent.value(1);
    const QString fileName = sent.value(2).toString();
    const int number = sent.value(3).toInt();
    const QString code = receiptCode(receipt);
    *what = QStringLiteral("%1 del file %2 (Documento %3)")
                .arg(pec::receiptText(receipt.receipt), fileName)
                .arg(number);
    connection_.inTransaction([&] {
        connection_.execNative(
            QStringLiteral("INSERT INTO PEC_Ricevute (PEC_Invii_Id, PA_FE_Header_Id, Tipo, "
                           "MessageId, DataOra, Testo) VALUES (?, ?, ?, ?, ?, ?)"),
            {sendId, headerId, code, receipt.messageId,
             QDateTime::currentDateTime().toString(Qt::ISODate), receipt.subject});
        remember(receipt.messageId, receipt.subject, *what);
    });
    return true;
}

bool ArchiveLedger::recordNotification(const pec::PecMessage& envelope, QString* what,
                                       QString* why) {
    bool used = false;
    connection_.inTransaction([&] {
        const QList<FileIntake> intake = takeNotifications(connection_, envelope.files);
        QStringList said;
        QStringList unusable;
        for (const FileIntake& f : intake) {
            (f.usable ? said : unusable) << QStringLiteral("%1: %2").arg(f.name, f.text);
            used = used || f.usable;
        }
        *what = said.join(QLatin1String("; "));
        *why = unusable.isEmpty() ? QStringLiteral("nessun file di notifica")
                                  : unusable.join(QLatin1String("; "));
        if (used)
            remember(envelope.messageId, envelope.subject, *what);
    });
    return used;
}

void ArchiveLedger::markProcessed(const QString& messageId) {
    remember(messageId, QString(), QString());
}

QList<PecEvent> pecHistory(Connection& connection, int headerId) {
    QList<PecEvent> events;
    QSqlQuery sends = connection.execNative(
        QStringLiteral("SELECT Id, DataInvio, NomeFile, MessageId, Destinatario FROM PEC_Invii "
                       "WHERE PA_FE_Header_Id = ? ORDER BY Id"),
        {headerId});
    while (sends.next()) {
        const QString file = sends.value(2).toString();
        const QString id = sends.value(3).toString();
        events.append({sends.value(1).toDateTime(), file, id,
                       QStringLiteral("Inviato a %1").arg(sends.value(4).toString())});
        QSqlQuery receipts = connection.execNative(
            QStringLiteral("SELECT DataOra, Tipo FROM PEC_Ricevute WHERE PEC_Invii_Id = ? "
                           "ORDER BY Id"),
            {sends.value(0)});
        while (receipts.next()) {
            const QString code = receipts.value(1).toString();
            pec::PecMessage m;
            m.receiptValue = code;
            m.receipt = code == QLatin1String("accettazione")        ? ReceiptKind::Accepted
                        : code == QLatin1String("non-accettazione")  ? ReceiptKind::NotAccepted
                        : code == QLatin1String("avvenuta-consegna") ? ReceiptKind::Delivered
                        : code == QLatin1String("errore-consegna")   ? ReceiptKind::NotDelivered
                        : code == QLatin1String("preavviso-errore-consegna") ? ReceiptKind::Warning
                                                                             : ReceiptKind::Other;
            events.append({receipts.value(0).toDateTime(), file, id, pec::receiptText(m.receipt)});
        }
    }
    return events;
}

} // namespace brevalto::channel
