// Documents sent from the archive and the answers read back into it, on the real servers of
// scripts/mail-server and a real archive (both engines). The test plays the exchange system and
// the provider by dropping their messages into the mailbox.
#include "channel/PecChannel.h"
#include "PecTestSupport.h"
#include "channel/BatchSend.h"
#include "channel/PecCommand.h"
#include "channel/SdiBridge.h"
#include "store/ArchiveUpgrade.h"
#include "store/CommandParser.h"
#include "store/Connection.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"

#include <QDirIterator>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <gtest/gtest.h>

using namespace brevalto;
using namespace brevalto::channel;
using namespace brevalto::test;

namespace {

QString uniqueId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces) + "@test.example";
}

// A unique transmitter code per test, so that the shared mailbox's messages of other tests never
// name this test's files.
QString uniqueTransmitter() {
    return QStringLiteral("IT0%1").arg(
        QUuid::createUuid().toString(QUuid::Id128).left(10).toUpper());
}

class PecChannel : public ::testing::Test {
protected:
    void SetUp() override {
        if (!mailServerAccount(&mail_))
            GTEST_SKIP();
        path_ = copyOfNewArchive(folder_);
        db_.open(path_);
        transmitter_ = uniqueTransmitter();
        account_.address = mail_.address;
        account_.user = mail_.user;
        account_.smtpHost = account_.imapHost = mail_.smtp.host;
        account_.smtpPort = mail_.smtp.port;
        account_.imapPort = mail_.imap.port;
        account_.caFile = mail_.caFile;
        savePecAccount(db_, account_);
        forgetAllPecPasswords();
        // Messages already in the shared mailbox belong to other tests.
        pec::MailClient client(mail_);
        for (const pec::MailboxEntry& e : client.inbox()) {
            const QString id = pec::normalizedMessageId(
                pec::parseMime(client.fetchHeaders(e.uid)).header("Message-ID"));
            db_.execNative("INSERT INTO PEC_Messaggi (MessageId) VALUES (?)", {id});
            client.setSeen(e.uid, e.seen);
        }
    }

    // A Document exported into file (and, when signed, its .p7m beside it).
    int exportedDocument(int number, bool withSignedCopy = false) {
        const QString name =
            QStringLiteral("%1_%2.xml").arg(transmitter_).arg(number, 5, 10, QLatin1Char('0'));
        write(name, "<?xml version=\"1.0\"?><p:FatturaElettronica versione=\"FPR12\"/>\n");
        if (withSignedCopy)
            write(name + ".p7m", QByteArray("\x30\x80signed", 8) + name.toLatin1());
        QSqlQuery q = db_.execNative(
            "INSERT INTO PA_FE_Header (Numero, Esportato, FileEsportazione, "
            "DatiTrasmissione_FormatoTrasmissione, DatiTrasmissione_IdPaese, "
            "DatiTrasmissione_IdCodice, DatiTrasmissione_ProgressivoInvio) VALUES (?, 1, ?, "
            "'FPR12', 'IT', ?, ?)" +
                db_.returningRowId("PA_FE_Header"),
            {number, folder_.file(withSignedCopy ? name + ".p7m" : name), transmitter_.mid(2),
             QString::number(number)});
        return int(db_.writtenRowId(q));
    }

    void write(const QString& name, const QByteArray& bytes) {
        QFile f(folder_.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    SendOptions options(const QString& password) {
        SendOptions o;
        o.password = [password](const PecAccountSettings&) { return password; };
        return o;
    }

    int count(const QString& sql, const QVariantList& values = {}) {
        return db_.scalar(sql, values).toInt();
    }

    pec::MailAccount mail_;
    TempFolder folder_;
    QString path_;
    Connection db_;
    QString transmitter_;
    PecAccountSettings account_;
};

TEST_F(PecChannel, SendsOneMessagePerFileAndAsksBeforeSendingAgain) {
    const int plain = exportedDocument(1);
    const int signedOne = exportedDocument(2, true);
    const int notExported = exportedDocument(3);
    db_.execNative("UPDATE PA_FE_Header SET Esportato = 0, FileEsportazione = NULL WHERE id = ?",
                   {notExported});

    const QList<SendResult> results =
        sendDocuments(db_, {plain, signedOne, notExported}, options(mail_.password));
    ASSERT_EQ(results.size(), 3);
    EXPECT_TRUE(results[0].sent) << results[0].text.toStdString();
    EXPECT_TRUE(results[1].sent) << results[1].text.toStdString();
    EXPECT_EQ(results[1].fileName, transmitter_ + "_00002.xml.p7m");
    EXPECT_EQ(results[0].to, kFirstSdiAddress);
    EXPECT_FALSE(results[2].sent);
    EXPECT_TRUE(results[2].text.contains("non è ancora stato esportato"));
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Invii"), 2);

    // Each message in the mailbox: the file's name as subject, the file attached.
    pec::MailClient client(mail_);
    QMap<QString, QString> subjects;
    for (const pec::MailboxEntry& e : client.inbox()) {
        const pec::MimePart m = pec::parseMime(client.fetch(e.uid));
        const QString id = pec::normalizedMessageId(m.header("Message-ID"));
        for (const SendResult& r : results) {
            if (r.sent && r.messageId == id) {
                subjects[r.fileName] = m.text("Subject");
                QStringList attached;
                for (const pec::MimePart* p : m.leaves())
                    if (!p->fileName().isEmpty())
                        attached << p->fileName();
                EXPECT_EQ(attached, QStringList{r.fileName});
            }
        }
        client.setSeen(e.uid, e.seen);
    }
    EXPECT_EQ(subjects.value(results[0].fileName), results[0].fileName);
    EXPECT_EQ(subjects.value(results[1].fileName), results[1].fileName);

    // Sent and not rejected: asked first, and nothing leaves when the answer is no.
    SendOptions again = options(mail_.password);
    QStringList asked;
    again.confirmAgain = [&](const SendPlan& plan) {
        asked << plan.sendAgainQuestion;
        return false;
    };
    const QList<SendResult> second = sendDocuments(db_, {plain}, again);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(results[0].messageId)) << asked[0].toStdString();
    EXPECT_FALSE(second[0].sent);
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Invii"), 2);
}

TEST_F(PecChannel, FailuresLeaveTheDocumentAsItWasAndThePasswordIsNeverWritten) {
    const int first = exportedDocument(1);
    const int second = exportedDocument(2);
    const QString wrong = QStringLiteral("Sbagliata-%1").arg(QUuid::createUuid().toString());
    struct Case {
        const char* name;
        std::function<void(PecAccountSettings&)> change;
        QString password;
        const char* words;
    } cases[] = {
        {"password errata", [](PecAccountSettings&) {}, wrong, "utente o password errati"},
        {"server spento", [](PecAccountSettings& a) { a.smtpPort = a.imapPort = 1; },
         mail_.password, "rifiutato la connessione"},
        {"certificato non valido", [](PecAccountSettings& a) { a.caFile.clear(); }, mail_.password,
         "TLS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PecAccountSettings changed = account_;
        c.change(changed);
        savePecAccount(db_, changed);
        forgetAllPecPasswords();
        int asked = 0;
        SendOptions o;
        o.password = [&](const PecAccountSettings&) {
            ++asked;
            return std::optional<QString>(c.password);
        };
        const QList<SendResult> results = sendDocuments(db_, {first, second}, o);
        ASSERT_EQ(results.size(), 2);
        for (const SendResult& r : results) {
            EXPECT_FALSE(r.sent);
            EXPECT_TRUE(r.text.contains(QString::fromUtf8(c.words))) << r.text.toStdString();
        }
        // One attempt for the account: the second Document is not tried against a server that
        // refused the first.
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(count("SELECT count(*) FROM PEC_Invii"), 0);
        const ConnectionCheck check = checkPecConnection(changed, c.password);
        EXPECT_FALSE(check.smtpOk);
        EXPECT_FALSE(check.imapOk);
        EXPECT_TRUE(check.smtpText.contains(QString::fromUtf8(c.words)));
        EXPECT_TRUE(check.imapText.contains(QString::fromUtf8(c.words)));
        ReceiveOptions r;
        r.password = o.password;
        const QList<ReceiveResult> read = receiveMail(db_, {changed}, r);
        ASSERT_EQ(read.size(), 1);
        EXPECT_TRUE(read[0].failed);
        EXPECT_TRUE(read[0].error.contains(QString::fromUtf8(c.words)));
    }
    // A refused password is forgotten and asked again; the right one is kept for the run.
    savePecAccount(db_, account_);
    forgetAllPecPasswords();
    int asked = 0;
    SendOptions o;
    o.password = [&](const PecAccountSettings&) {
        return std::optional<QString>(++asked == 1 ? wrong : mail_.password);
    };
    EXPECT_FALSE(sendDocuments(db_, {first}, o)[0].sent);
    EXPECT_TRUE(sendDocuments(db_, {first}, o)[0].sent);
    EXPECT_TRUE(sendDocuments(db_, {second}, o)[0].sent);
    EXPECT_EQ(asked, 2);

    // Neither password is in the archive nor in any file of the test's folder.
    db_.close();
    QDirIterator files(folder_.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    int searched = 0;
    while (files.hasNext()) {
        QFile f(files.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        ++searched;
        EXPECT_FALSE(bytes.contains(mail_.password.toUtf8())) << f.fileName().toStdString();
        EXPECT_FALSE(bytes.contains(wrong.toUtf8())) << f.fileName().toStdString();
    }
    EXPECT_GT(searched, 0);
    if (onServer()) {
        Connection again;
        again.open(path_);
        for (const char* table : {"PEC_Account", "PEC_Invii", "PEC_Messaggi", "opzioni"}) {
            QSqlQuery q = again.execNative(QStringLiteral("SELECT * FROM %1").arg(table));
            while (q.next())
                for (int i = 0; i < q.record().count(); ++i)
                    EXPECT_FALSE(q.value(i).toString().contains(mail_.password)) << table;
        }
    }
}

QByteArray notification(const QString& root, const QString& sdiId, const QString& fileName,
                        const QString& messageId, const QByteArray& more = {}) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ns3:" + root.toLatin1() +
           " xmlns:ns3=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fattura/messaggi/v1.0\" "
           "versione=\"1.0\"><IdentificativoSdI>" +
           sdiId.toLatin1() + "</IdentificativoSdI><NomeFile>" + fileName.toLatin1() +
           "</NomeFile><DataOraRicezione>2026-03-02T10:20:00.000+01:00</DataOraRicezione>" + more +
           "<MessageId>" + messageId.toLatin1() + "</MessageId></ns3:" + root.toLatin1() + ">\n";
}

// "Invia" on a selection, through the batch runner: one message per exported file, a Document
// never exported skipped, those sent before asked about once for all, a refused login failing
// the Documents of that box and leaving them as they were.
TEST_F(PecChannel, SendsASelectionWithOneQuestionAndOneSummary) {
    const int plain = exportedDocument(1);
    const int signedOne = exportedDocument(2, true);
    const int notExported = exportedDocument(3);
    db_.execNative("UPDATE PA_FE_Header SET Esportato = 0, FileEsportazione = NULL WHERE id = ?",
                   {notExported});
    const int third = exportedDocument(4);
    DataModule data;
    ASSERT_TRUE(openCommandArchive(data.connessione(), path_).isEmpty());
    data.table(ds::PA_FE_Header).open();
    ScriptedPrompt prompt;
    const QList<qint64> ids{plain, signedOne, notExported, third};
    const auto run = [&](const QString& password) {
        SendOptions o = options(password);
        SendStep step(data, prompt, o);
        return batch::run(data, QStringLiteral("Invia"), ids, std::ref(step));
    };

    batch::Report report = run(mail_.password);
    EXPECT_TRUE(
        report.summary().startsWith("Invia: 4 documenti. Fatti: 3; saltati: 1; non riusciti: 0."))
        << report.summary().toStdString();
    EXPECT_TRUE(report.summary().contains("Documento n. 3: saltato: non ancora esportato"))
        << report.summary().toStdString();
    EXPECT_TRUE(report.summary().contains(transmitter_ + "_00002.xml.p7m"))
        << report.summary().toStdString();
    EXPECT_TRUE(prompt.calls().isEmpty()) << "nothing sent before: no question";
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Invii"), 3);
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Invii WHERE PA_FE_Header_Id = ?", {notExported}), 0);

    // Again: asked once for the three sent, "No" skips them all and nothing leaves.
    prompt.answerChoice(Prompt::Choice::No);
    report = run(mail_.password);
    EXPECT_EQ(prompt.calls().size(), 1);
    EXPECT_TRUE(prompt.calls().first().text.contains("già stato inviato"))
        << prompt.calls().first().text.toStdString();
    EXPECT_EQ(report.count(batch::Status::Skipped), 4) << report.summary().toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Invii"), 3);

    // "Sì" for all with a password the server refuses: each fails saying so, nothing recorded.
    forgetAllPecPasswords();
    prompt.clear();
    prompt.answerChoice(Prompt::Choice::Yes);
    report = run(QStringLiteral("Sbagliata-%1").arg(QUuid::createUuid().toString()));
    EXPECT_EQ(prompt.calls().size(), 1);
    EXPECT_EQ(report.count(batch::Status::Failed), 3) << report.summary().toStdString();
    EXPECT_TRUE(report.summary().contains("password errati")) << report.summary().toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Invii"), 3);

    // "Annulla" stops the run at the first Document sent before.
    forgetAllPecPasswords();
    prompt.clear();
    prompt.answerChoice(Prompt::Choice::Cancel);
    report = run(mail_.password);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.results.size(), 1);
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Invii"), 3);
}

// A box whose provider allows so many messages a minute: the message over the limit waits until
// the oldest is a minute old, and a wait cancelled leaves the rest unsent.
TEST_F(PecChannel, KeepsWithinTheProvidersMessagesAMinute) {
    const QList<int> documents{exportedDocument(1), exportedDocument(2), exportedDocument(3)};
    SendOptions o = options(mail_.password);
    o.messagesPerMinute = 2;
    QList<qint64> waits;
    o.wait = [&](std::chrono::milliseconds left, const PecAccountSettings&) {
        waits << left.count();
        return false;
    };
    const QList<SendResult> results = sendDocuments(db_, documents, o);
    ASSERT_EQ(results.size(), 3);
    EXPECT_TRUE(results[0].sent && results[1].sent);
    EXPECT_FALSE(results[2].sent);
    ASSERT_EQ(waits.size(), 1);
    EXPECT_GT(waits[0], 50000);
    EXPECT_LE(waits[0], 60000);
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Invii"), 2);
}

TEST(PecLimits, TheProvidersDocumentedLimitIsKnownByItsOutgoingServer) {
    const struct {
        const char* host;
        int perMinute;
    } cases[] = {
        {"sendm.cert.legalmail.it", 6}, {" SENDM.CERT.LEGALMAIL.IT ", 6},
        {"smtps.pec.aruba.it", 0},      {"legalmail.it.example.com", 0},
        {"notlegalmail.it", 0},
    };
    for (const auto& c : cases) {
        PecAccountSettings account;
        account.smtpHost = QString::fromLatin1(c.host);
        EXPECT_EQ(providerMessagesPerMinute(account), c.perMinute) << c.host;
    }
}

TEST_F(PecChannel, ReadingRecordsReceiptsAndNotificationsOnceAndLeavesTheRest) {
    const int delivered = exportedDocument(1);
    const int rejected = exportedDocument(2);
    const QList<SendResult> sent =
        sendDocuments(db_, {delivered, rejected}, options(mail_.password));
    ASSERT_TRUE(sent[0].sent && sent[1].sent);
    EXPECT_EQ(documentStateText(db_, delivered), QStringLiteral("Inviata"));

    const QString stamp = QString::number(QDateTime::currentMSecsSinceEpoch());
    const QByteArray rc =
        notification("RicevutaConsegna", stamp + "1", sent[0].fileName, stamp + "1",
                     "<DataOraConsegna>2026-03-02T10:21:05.000+01:"
                     "00</DataOraConsegna>");
    const QByteArray ns = notification(
        "RicevutaScarto", stamp + "2", sent[1].fileName, stamp + "2",
        "<ListaErrori><Errore><Codice>00404</Codice><Descrizione>Fattura duplicata</Descrizione>"
        "</Errore></ListaErrori>");
    const QString base = sent[0].fileName.chopped(4);
    struct Dropped {
        QString id;
        QByteArray bytes;
        bool used;
    };
    auto id = [] { return uniqueId(); };
    QList<Dropped> dropped;
    auto drop = [&](const QString& messageId, const QByteArray& bytes, bool used) {
        dropped.append({messageId, bytes, used});
    };
    QString i;
    i = id(),
    drop(i,
         providerReceipt(i, "accettazione", sent[0].messageId, "ACCETTAZIONE: " + sent[0].fileName),
         true);
    i = id(), drop(i,
                   providerReceipt(i, "avvenuta-consegna", sent[0].messageId,
                                   "CONSEGNA: " + sent[0].fileName),
                   true);
    i = id(), drop(i,
                   sdiEnvelope(i, "Ricevuta di consegna " + stamp + "1", base + "_RC_001.xml", rc,
                               "sdi48@pec.fatturapa.it"),
                   true);
    i = id(),
    drop(i,
         providerReceipt(i, "accettazione", sent[1].messageId, "ACCETTAZIONE: " + sent[1].fileName),
         true);
    i = id(), drop(i,
                   providerReceipt(i, "preavviso-errore-consegna", sent[1].messageId,
                                   "AVVISO DI MANCATA CONSEGNA: " + sent[1].fileName),
                   true);
    i = id(),
    drop(i,
         sdiEnvelope(i, "Notifica di scarto " + stamp + "2",
                     sent[1].fileName.chopped(4) + "_NS_001.xml", ns, "sdi48@pec.fatturapa.it"),
         true);
    // A person's message, a message that is no mail at all, an envelope whose file is no
    // notification, and a receipt of a message sent by someone else.
    i = id(), drop(i,
                   "From: cliente@example.com\r\nTo: pec@brevalto.test\r\nSubject: Auguri\r\n"
                   "Message-ID: <" +
                       i.toLatin1() + ">\r\n\r\nBuone feste\r\n",
                   false);
    i = id(), drop(i, sdiEnvelope(i, "Notifica 1", base + "_NS_009.xml", "non e' XML"), false);
    i = id(), drop(i, providerReceipt(i, "accettazione", uniqueId(), "ACCETTAZIONE: altro"), false);
    pec::MailClient client(mail_);
    for (const Dropped& d : dropped)
        client.send({mail_.address}, d.bytes);
    // Someone opened the delivery receipt in another mail program first.
    QMap<QString, qint64> uids;
    for (const pec::MailboxEntry& e : client.inbox())
        uids[pec::normalizedMessageId(
            pec::parseMime(client.fetchHeaders(e.uid)).header("Message-ID"))] = e.uid;
    for (const Dropped& d : dropped)
        client.setSeen(uids.value(d.id), d.id == dropped[1].id);

    ReceiveOptions r;
    r.password = [&](const PecAccountSettings&) { return std::optional<QString>(mail_.password); };
    QList<ReceiveResult> first = receiveMail(db_, pecAccounts(db_), r);
    ASSERT_EQ(first.size(), 1);
    ASSERT_FALSE(first[0].failed) << first[0].error.toStdString();
    QStringList recorded;
    QStringList left;
    for (const pec::ReadMessage& m : first[0].report.recorded)
        recorded << m.messageId;
    for (const pec::ReadMessage& m : first[0].report.leftInMailbox)
        left << m.messageId;
    for (const Dropped& d : dropped) {
        SCOPED_TRACE(d.id.toStdString());
        EXPECT_EQ(recorded.contains(d.id), d.used);
        EXPECT_EQ(left.contains(d.id), !d.used);
    }
    EXPECT_EQ(documentStateText(db_, delivered), QStringLiteral("Consegnata"));
    EXPECT_EQ(documentStateText(db_, rejected), QStringLiteral("Scartata"));
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Ricevute WHERE PA_FE_Header_Id = ?", {delivered}), 2);
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Ricevute WHERE PA_FE_Header_Id = ?", {rejected}), 2);
    EXPECT_EQ(pecAccounts(db_)[0].proposedSdiAddress, QStringLiteral("sdi48@pec.fatturapa.it"));
    const QList<PecEvent> history = pecHistory(db_, delivered);
    ASSERT_EQ(history.size(), 3);
    EXPECT_EQ(history[2].text, QStringLiteral("Consegna"));

    // Nothing deleted; what was used is read, what was left is unread as it was.
    QMap<qint64, bool> seen;
    for (const pec::MailboxEntry& e : client.inbox())
        seen[e.uid] = e.seen;
    for (const Dropped& d : dropped) {
        SCOPED_TRACE(d.id.toStdString());
        ASSERT_TRUE(seen.contains(uids.value(d.id)));
        EXPECT_EQ(seen.value(uids.value(d.id)), d.used);
        client.setSeen(uids.value(d.id), false);
    }

    // A second reading, with every message unread again, records nothing new.
    const int receipts = count("SELECT count(*) FROM PEC_Ricevute");
    const int notifications = count("SELECT count(*) FROM SdI_Notifiche");
    const QList<ReceiveResult> second = receiveMail(db_, pecAccounts(db_), r);
    for (const pec::ReadMessage& m : second[0].report.recorded)
        for (const Dropped& d : dropped)
            EXPECT_NE(m.messageId, d.id);
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Ricevute"), receipts);
    EXPECT_EQ(count("SELECT count(*) FROM SdI_Notifiche"), notifications);

    // The rejected file's name can never leave again; the delivered one only after a question.
    const SendPlan again = planSend(db_, rejected);
    EXPECT_FALSE(again.blocked.isEmpty());
    EXPECT_FALSE(planSend(db_, delivered).sendAgainQuestion.isEmpty());
}

TEST_F(PecChannel, CommandLineSendsAndReadsWithThePasswordFromTheEnvironment) {
    exportedDocument(7);
    struct Run {
        int code;
        QString out;
        QString err;
    };
    auto run = [](const QStringList& args) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const int code = runPecCommand(args, out, err);
        return Run{code, readAndClose(out), readAndClose(err)};
    };
    qunsetenv(kPecPasswordVariable);
    // No password and no terminal to ask it from.
    Run r = run({"invia", "--archive", path_, "--document", "7"});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("BREVALTO_PEC_PASSWORD")) << r.err.toStdString();

    qputenv(kPecPasswordVariable, mail_.password.toUtf8());
    r = run({"invia", "--archive", path_, "--document", "7"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList fields = r.out.split(u'\t');
    ASSERT_EQ(fields.size(), 4) << r.out.toStdString();
    EXPECT_EQ(fields[0], "7");
    EXPECT_EQ(fields[1], transmitter_ + "_00007.xml");
    EXPECT_EQ(fields[3], kFirstSdiAddress);

    // Already sent: not again without --di-nuovo.
    r = run({"invia", "--archive", path_, "--document", "7"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("--di-nuovo")) << r.err.toStdString();
    r = run({"invia", "--archive", path_, "--document", "7", "--di-nuovo"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Invii"), 2);
    // A list as the export takes it: a range sends the Documents it holds.
    exportedDocument(8);
    exportedDocument(9);
    r = run({"invia", "--archive", path_, "--document", "8-20"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed().split(u'\n').size(), 2) << r.out.toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM PEC_Invii"), 4);

    pec::MailClient client(mail_);
    const QString receiptId = uniqueId();
    client.send({mail_.address}, providerReceipt(receiptId, "accettazione", fields[2],
                                                 "ACCETTAZIONE: " + fields[1]));
    r = run({"ricevi", "--archive", path_});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("registrato\t" + receiptId + "\tACCETTAZIONE: " + fields[1] +
                               "\tAccettazione del file " + fields[1] + " (Documento 7)"))
        << r.out.toStdString();

    struct Wrong {
        QStringList args;
        const char* words;
    } wrong[] = {
        {{"invia", "--archive", path_}, "--document"},
        {{"invia", "--archive", path_, "--document", " "}, "--document"},
        {{"invia", "--archive", path_, "--document", "sette"}, "non è valido"},
        {{"invia", "--archive", path_, "--document", "9-8"}, "non è valido"},
        {{"invia", "--document", "7"}, "--archive"},
        {{"spedisci"}, "sconosciuto"},
        {{}, "invia, ricevi o prova"},
    };
    for (const Wrong& w : wrong) {
        SCOPED_TRACE(w.args.join(' ').toStdString());
        r = run(w.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(w.words))) << r.err.toStdString();
    }
    // A wrong password: the server's refusal, exit 1.
    qputenv(kPecPasswordVariable, "sbagliata");
    forgetAllPecPasswords();
    r = run({"ricevi", "--archive", path_});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("password errati")) << r.err.toStdString();
    qunsetenv(kPecPasswordVariable);
    forgetAllPecPasswords();
}

// An archive of the version before gets the certified-mail tables from the upgrade.
TEST(PecArchive, AnArchiveOfThePreviousVersionGetsTheMailTables) {
    TempFolder folder;
    Connection db;
    db.open(copyOfNewArchive(folder));
    for (const char* table : {"PEC_Account", "PEC_Invii", "PEC_Ricevute", "PEC_Messaggi"})
        db.execNative(QStringLiteral("DROP TABLE %1").arg(table));
    db.execNative(
        QStringLiteral("UPDATE opzioni SET VerBaseDati = %1").arg(requiredArchiveVersion - 1));
    const UpgradeReport report = upgradeArchive(db);
    EXPECT_EQ(report.previousVersion, requiredArchiveVersion - 1);
    EXPECT_EQ(report.version, requiredArchiveVersion);
    EXPECT_EQ(report.tablesAdded,
              (QStringList{"PEC_Account", "PEC_Invii", "PEC_Ricevute", "PEC_Messaggi"}));
    PecAccountSettings account;
    account.address = account.user = "fatture@pec.esempio.it";
    account.smtpHost = "smtps.pec.esempio.it";
    account.imapHost = "imaps.pec.esempio.it";
    savePecAccount(db, account);
    ASSERT_EQ(pecAccounts(db).size(), 1);
    EXPECT_EQ(pecAccounts(db)[0].sdiAddress, kFirstSdiAddress);

    // An office keeping several sellers: a seller's own box, else the one stored for all.
    PecAccountSettings own = account;
    own.id = 0;
    own.sellerId = 5;
    own.address = "cedente5@pec.esempio.it";
    savePecAccount(db, own);
    for (const int seller : {5, 6})
        db.execNative("INSERT INTO PA_FE_Header (Numero, CedentePrestatore_Id) VALUES (?, ?)",
                      {seller, seller});
    auto boxOf = [&](int number) {
        const int id = db.scalar("SELECT id FROM PA_FE_Header WHERE Numero = ?", {number}).toInt();
        const auto box = pecAccountForDocument(db, id);
        return box ? box->address : QString();
    };
    EXPECT_EQ(boxOf(5), "cedente5@pec.esempio.it");
    EXPECT_EQ(boxOf(6), "fatture@pec.esempio.it");
}

} // namespace
