// Sending and reading on real servers: the Dovecot mailbox and SMTP server of scripts/mail-server.
// Every message sent, to whatever address, lands in the one test mailbox, which the tests also
// fill with messages shaped as the provider's receipts and the exchange system's envelopes.
#include "PecTestSupport.h"
#include "pec/PecExchange.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QUuid>
#include <gtest/gtest.h>

using namespace brevalto::pec;
using namespace brevalto::test;

namespace {

// What the archive would record, kept in lists.
class ListLedger : public PecLedger {
public:
    QSet<QString> sent; // Message-IDs of the messages we sent
    QSet<QString> processed;
    QStringList receipts;      // "Consegna <id>"
    QStringList notifications; // file names
    bool isProcessed(const QString& id) override { return processed.contains(id); }
    bool recordReceipt(const PecMessage& m, QString* what, QString* why) override {
        if (!sent.contains(m.referencedId)) {
            *why = QStringLiteral("nessun Documento inviato con questo messaggio");
            return false;
        }
        receipts << receiptText(m.receipt) + QLatin1Char(' ') + m.referencedId;
        *what = receiptText(m.receipt);
        return true;
    }
    bool recordNotification(const PecMessage& m, QString* what, QString*) override {
        for (const NotificationFile& f : m.files)
            notifications << f.name;
        *what = m.files.first().name;
        return true;
    }
    void markProcessed(const QString& id) override { processed << id; }
};

// A fresh mailbox view: the tests share one mailbox, so each looks only at what it added.
QString uniqueId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces) + "@test.example";
}

// A sample message under a new top-level Message-ID: the mailbox keeps what earlier runs left in
// it, and a copy sharing the ID of one already there would rightly be read as already processed.
QByteArray withFreshMessageId(QByteArray message) {
    qsizetype headerEnd = message.indexOf("\n\n");
    const qsizetype crlfEnd = message.indexOf("\n\r\n");
    if (headerEnd < 0 || (crlfEnd >= 0 && crlfEnd < headerEnd))
        headerEnd = crlfEnd;
    // At the start of a line: X-Riferimento-Message-ID names the message a receipt is about.
    const qsizetype at = message.indexOf("\nMessage-ID: <");
    if (at < 0 || at > headerEnd)
        return message;
    const qsizetype from = at + qsizetype(sizeof("\nMessage-ID: <") - 1);
    const qsizetype to = message.indexOf('>', from);
    return message.replace(from, to - from, uniqueId().toLatin1());
}

// Messages in the mailbox by their parsed form, keyed by uid.
QMap<qint64, MimePart> mailbox(MailClient& client) {
    QMap<qint64, MimePart> out;
    for (const MailboxEntry& e : client.inbox()) {
        out[e.uid] = parseMime(client.fetch(e.uid));
        client.setSeen(e.uid, e.seen);
    }
    return out;
}

TEST(PecMail, SentFilesArriveOneMessageEachWithTheFileAttached) {
    MailAccount account;
    if (!mailServerAccount(&account))
        return;
    TempFolder folder;
    const QByteArray xml = "<?xml version=\"1.0\"?><p:FatturaElettronica/>\n";
    static const char signedBytes[] = "\x30\x82\x01\x00\x06\x09signed\x00\xff";
    const QByteArray p7m(signedBytes, sizeof signedBytes - 1);
    const QStringList names = {QStringLiteral("IT01234567890_0A001.xml"),
                               QStringLiteral("IT01234567890_0A002.xml.p7m"),
                               QStringLiteral("IT01234567890_0A003.xml")};
    const QList<QByteArray> contents = {xml, p7m, xml + "<!-- 3 -->"};
    for (int i = 0; i < names.size(); ++i) {
        QFile f(folder.file(names[i]));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contents[i]);
    }
    // Over TLS from the start, and with STARTTLS.
    QMap<QString, QString> ids;
    for (int i = 0; i < names.size(); ++i) {
        MailAccount a = account;
        if (i == 2)
            a.smtp = {account.smtp.host,
                      qEnvironmentVariable("BREVALTO_TEST_SUBMISSION_PORT").toInt(),
                      MailServer::Security::StartTls};
        MailClient client(a);
        const SentFile sent =
            sendFile(client, QStringLiteral("sdi01@pec.fatturapa.it"), folder.file(names[i]));
        EXPECT_EQ(sent.fileName, names[i]);
        ids[sent.messageId] = names[i];
    }
    MailClient reader(account);
    int found = 0;
    for (const MimePart& m : mailbox(reader)) {
        const QString id = normalizedMessageId(m.header("Message-ID"));
        if (!ids.contains(id))
            continue;
        ++found;
        const QString name = ids[id];
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(m.text("Subject"), name);
        EXPECT_EQ(m.header("To"), QByteArray("<sdi01@pec.fatturapa.it>"));
        EXPECT_EQ(m.header("From"), "<" + account.address.toUtf8() + ">");
        QList<const MimePart*> attachments;
        for (const MimePart* p : m.leaves())
            if (!p->fileName().isEmpty())
                attachments << p;
        ASSERT_EQ(attachments.size(), 1);
        EXPECT_EQ(attachments[0]->fileName(), name);
        EXPECT_EQ(attachments[0]->body, contents[names.indexOf(name)]);
    }
    EXPECT_EQ(found, names.size());
}

TEST(PecMail, ReadingRecordsWhatItCanLeavesTheRestAndNeverTwice) {
    MailAccount account;
    if (!mailServerAccount(&account))
        return;
    MailClient client(account);
    const QList<MailboxEntry> before = client.inbox();

    ListLedger ledger;
    const QString ours = uniqueId();
    ledger.sent << ours
                << QStringLiteral("1542123565.921546936035156.464602125997431-openerp-8-fatturapa."
                                  "attachment.out@elbati-Vostro-3550");
    const QByteArray ns = "<?xml version=\"1.0\"?><ns3:RicevutaScarto><IdentificativoSdI>99"
                          "</IdentificativoSdI></ns3:RicevutaScarto>";
    const QList<QByteArray> dropped = {
        withFreshMessageId(pecSample("ACCETTAZIONE_IT03339130126_00009.xml.eml")),
        withFreshMessageId(pecSample("CONSEGNA_IT03339130126_00009.xml.eml")),
        withFreshMessageId(pecSample("POSTA_CERTIFICATA_Ricevuta_di_consegna_6782414.eml")),
        sdiEnvelope(uniqueId(), "Notifica di scarto 99", "IT01234567890_0B001_NS_001.xml", ns),
        providerReceipt(uniqueId(), "preavviso-errore-consegna", ours,
                        "AVVISO DI MANCATA CONSEGNA: IT01234567890_0B002.xml"),
        // Receipt for a message no Document was sent with.
        providerReceipt(uniqueId(), "accettazione", uniqueId(), "ACCETTAZIONE: altro"),
        "From: cliente@example.com\r\nTo: pec@brevalto.test\r\nSubject: Auguri\r\nMessage-ID: <" +
            uniqueId().toLatin1() + ">\r\n\r\nBuone feste\r\n",
        "questo non e' un messaggio\r\n\r\n\x01\x02\x03\r\n",
    };
    for (int i = 0; i < dropped.size(); ++i) {
        SCOPED_TRACE(i);
        client.send({account.address}, dropped[i]);
    }

    // The accettazione sample already read by a person in another program: still recorded.
    QList<MailboxEntry> entries = client.inbox();
    ASSERT_EQ(entries.size(), before.size() + dropped.size());
    const qint64 firstNew = entries[before.size()].uid;
    client.setSeen(firstNew, true);
    // Messages already there before this test belong to other tests: mark them used.
    for (const MailboxEntry& e : before)
        ledger.processed << normalizedMessageId(
            parseMime(client.fetchHeaders(e.uid)).header("Message-ID"));
    for (const MailboxEntry& e : before)
        client.setSeen(e.uid, e.seen);

    // What earlier runs left unread (a message without an id cannot be marked used) is not ours.
    const auto leftOfOurs = [&](const ReadReport& report) {
        QList<ReadMessage> out;
        for (const ReadMessage& m : report.leftInMailbox)
            if (m.uid >= firstNew)
                out << m;
        return out;
    };
    const ReadReport first = readInbox(client, ledger);
    const QList<ReadMessage> firstLeft = leftOfOurs(first);
    QStringList kinds;
    for (const QString& r : ledger.receipts)
        kinds << r.section(QLatin1Char(' '), 0, -2);
    EXPECT_EQ(kinds, QStringList({QStringLiteral("Accettazione"), QStringLiteral("Consegna"),
                                  QStringLiteral("Preavviso di mancata consegna")}));
    EXPECT_EQ(ledger.notifications,
              QStringList({QStringLiteral("IT03339130126_00009_RC_003.xml"),
                           QStringLiteral("IT01234567890_0B001_NS_001.xml")}));
    EXPECT_EQ(first.recorded.size(), 5);
    ASSERT_EQ(firstLeft.size(), 3);
    EXPECT_EQ(firstLeft[0].text, QStringLiteral("nessun Documento inviato con questo messaggio"));
    EXPECT_EQ(firstLeft[1].subject, QStringLiteral("Auguri"));
    EXPECT_FALSE(firstLeft[2].text.isEmpty());
    EXPECT_EQ(first.sdiAddress, QStringLiteral("sdi07@pec.fatturapa.it"));

    // Nothing deleted; what was left is unread again, what was used is read.
    entries = client.inbox();
    ASSERT_EQ(entries.size(), before.size() + dropped.size());
    for (int i = 0; i < dropped.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[before.size() + i].seen, i < 5);
    }

    // A second reading records nothing new, also after a person marks a used message unread.
    client.setSeen(entries[before.size() + 1].uid, false);
    const ReadReport second = readInbox(client, ledger);
    EXPECT_TRUE(second.recorded.isEmpty());
    EXPECT_EQ(leftOfOurs(second).size(), 3);
    EXPECT_EQ(ledger.receipts.size(), 3);
    EXPECT_EQ(ledger.notifications.size(), 2);
    EXPECT_FALSE(client.inbox()[before.size() + 1].seen);
}

TEST(PecMail, FailuresAreSaidInItalian) {
    MailAccount account;
    if (!mailServerAccount(&account))
        return;
    {
        MailClient client(account);
        EXPECT_NO_THROW(client.checkSmtp());
        EXPECT_NO_THROW(client.checkImap());
    }
    struct Case {
        const char* name;
        std::function<void(MailAccount&)> change;
        MailError::Kind kind;
        const char* words;
        bool imapToo = true;
    } cases[] = {
        {"password errata", [](MailAccount& a) { a.password = QStringLiteral("sbagliata"); },
         MailError::Kind::Login, "utente o password errati"},
        // Port 1: nothing listens there.
        {"server spento", [](MailAccount& a) { a.smtp.port = a.imap.port = 1; },
         MailError::Kind::Refused, "rifiutato la connessione"},
        {"nome inesistente",
         [](MailAccount& a) {
             a.smtp.host = a.imap.host = QStringLiteral("pec.nonesiste.invalid");
         },
         MailError::Kind::NameNotFound, "nome non trovato"},
        // The servers' own certificate, not trusted: what a forged server looks like.
        {"certificato non valido", [](MailAccount& a) { a.caFile.clear(); }, MailError::Kind::Tls,
         "TLS"},
        // An address that would add a recipient or a header of its own is refused before any
        // connection (IMAP does not use it).
        {"indirizzo con a capo",
         [](MailAccount& a) {
             a.address = QStringLiteral("pec@brevalto.test>\r\nRCPT TO:<altro@example.com");
         },
         MailError::Kind::Other, "non è valido", false},
        // TLS from the start on a port that waits for STARTTLS.
        {"porta senza TLS",
         [](MailAccount& a) {
             a.smtp.port = qEnvironmentVariable("BREVALTO_TEST_SUBMISSION_PORT").toInt();
             a.imap.port = a.smtp.port;
         },
         MailError::Kind::Tls, "TLS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MailAccount a = account;
        c.change(a);
        MailClient client(a);
        // Sending, reading, and the connection test of each server.
        for (int step = 0; step < (c.imapToo ? 4 : 2); ++step) {
            SCOPED_TRACE(step);
            try {
                if (step == 0)
                    client.send({QStringLiteral("sdi01@pec.fatturapa.it")},
                                "From: <a@b>\r\nSubject: x\r\n\r\nx\r\n");
                else if (step == 1)
                    client.checkSmtp();
                else if (step == 2)
                    client.inbox();
                else
                    client.checkImap();
                ADD_FAILURE() << "nessun errore";
            } catch (const MailError& e) {
                EXPECT_EQ(e.kind(), c.kind) << e.message().toStdString();
                EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.words)))
                    << e.message().toStdString();
            }
        }
    }
}

} // namespace
