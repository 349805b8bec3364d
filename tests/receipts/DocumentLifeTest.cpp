#include "receipts/DocumentLife.h"
#include "SdiTestSupport.h"
#include "export/ExportTestSupport.h"
#include "store/ArchiveUpgrade.h"
#include "store/Schema.h"

#include <QDir>
#include <gtest/gtest.h>

namespace brevalto::receipts {
namespace {

using namespace test;

// An archive whose Documents are exported under the names the notifications name, each with the
// transmitter its name carries.
class DocumentLifeTest : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(inbox()); }
    // A Document with a body, exported to `name` (the progressive as given).
    int exported(const QString& progressive, const QString& name, const QString& format = "FPR12") {
        // The transmitter the name carries: the export refuses a name of another.
        const int doc =
            a.addDocument({{"DatiTrasmissione_ProgressivoInvio", progressive},
                           {"DatiTrasmissione_IdPaese", name.left(2)},
                           {"DatiTrasmissione_IdCodice", name.mid(2, name.indexOf('_') - 2)},
                           {"DatiTrasmissione_FormatoTrasmissione", format}});
        a.addCompleteBody(doc);
        a.exportDocument(doc, name);
        return doc;
    }
    QString inbox() const { return a.folder.file("notifiche"); }
    void receive(const QString& name, const QByteArray& bytes) {
        writeBytes(QDir(inbox()).filePath(name), bytes);
    }
    DocumentStatus status(int doc) { return documentStatus(a.db(), doc); }
    static QString state(const DocumentStatus& s) { return stateText(s.state); }

    ExportArchive a;
};

// A folder with every kind of message: each links to its Document and sets its state; the unknown
// one is kept, the duplicate recorded once, the unreadable ones reported without stopping the rest.
TEST_F(DocumentLifeTest, AFolderOfNotificationsSetsEveryDocumentsState) {
    const int ns = exported("00001", "IT01234567890_00001.xml");
    const int rc = exported("00002", "IT01234567890_00002.xml");
    const int upper = exported("00003", "IT01234567890_00003.xml");
    const int oldNs = exported("00004", "IT01234567890_00004.xml");
    const int refused = exported("00005", "IT01234567890_00005.xml", "FPA12");
    const int expired = exported("00006", "IT01234567890_00006.xml", "FPA12");
    const int attested = exported("00007", "IT01234567890_00007.xml", "FPA12");
    const int signedRc = exported("00008", "IT01234567890_00008.xml");
    const int accepted = exported("11111", "IT01234567890_11111.xml", "FPA12");
    const int rc003 = exported("00009", "IT03339130126_00009.xml");
    const int reserved = exported("02621", "IT14627831002_02621.xml");
    const int paWaiting = exported("00010", "IT01234567890_00010.xml", "FPA12");
    const int notSent = a.addDocument();

    for (const char* name : {"IT01234567890_00001_NS_001.xml", "IT01234567890_00002_RC_001.xml",
                             "IT01234567890_00004_NS_001.xml", "IT01234567890_00005_NE_001.xml",
                             "IT01234567890_00006_DT_001.xml", "IT01234567890_11111_MC_001.xml",
                             "IT01234567890_11111_RC_001.xml", "IT03339130126_00009_RC_003.xml",
                             "IT14627831002_02621_MC_001.xml"})
        receive(name, sdiSample(name));
    // Upper-case names, in the file's name and in NomeFile.
    receive("IT01234567890_00003_RC_001.XML",
            edited("IT01234567890_00002_RC_001.xml",
                   {{"IT01234567890_00002.xml", "IT01234567890_00003.XML"},
                    {"5000000002", "5000000003"},
                    {"9000000002", "9000000003"}}));
    // Signed by the system.
    receive("IT01234567890_00008_RC_001.xml.p7m",
            signedWithOpenssl(a.folder.path(),
                              edited("IT01234567890_00002_RC_001.xml",
                                     {{"IT01234567890_00002.xml", "IT01234567890_00008.xml"},
                                      {"5000000002", "5000000008"},
                                      {"9000000002", "9000000008"}})));
    // The attestation's zip: the invoice and the signed attestation.
    receive(
        "IT01234567890_00007_AT_001.zip",
        zipOf({{"IT01234567890_00007.xml.p7m", "firmata"},
               {"IT01234567890_00007_AT_001.xml.p7m",
                signedWithOpenssl(a.folder.path(), sdiSample("IT01234567890_00007_AT_001.xml"))}}));
    // The administration's acceptance naming no file: it links through the system's identifier.
    receive("IT01234567890_11111_NE_002.xml",
            edited("IT01234567890_11111_NE_001.xml",
                   {{"<NomeFile>IT01234567890_11111.xml.p7m</NomeFile>", ""},
                    {"<MessageId>123456</MessageId>\n  <Note>",
                     "<MessageId>654321</MessageId>\n  <Note>"}}));
    // A file of another program, and a damaged one.
    receive("IT09876543210_00001_RC_001.xml",
            edited("IT01234567890_00002_RC_001.xml",
                   {{"IT01234567890_00002.xml", "IT09876543210_00001.xml"},
                    {"5000000002", "5000000099"},
                    {"9000000002", "9000000099"}}));
    receive("IT01234567890_00010_RC_001.xml", "<RicevutaConsegna><IdentificativoSdI>");
    receive("leggimi.txt", "not a notification, not even looked at");

    // The duplicate comes as a file given by itself, after the folder.
    const QString duplicate = a.folder.file("IT01234567890_00002_RC_001 (copia).xml");
    writeBytes(duplicate, sdiSample("IT01234567890_00002_RC_001.xml"));
    const QList<LoadedFile> loaded = loadNotifications(a.db(), {inbox(), duplicate});

    QMap<QString, QString> results;
    for (const LoadedFile& f : loaded)
        results.insert(QFileInfo(f.path).fileName(), f.resultText());
    const QMap<QString, QString> expected{
        {"IT01234567890_00001_NS_001.xml", "collegata"},
        {"IT01234567890_00002_RC_001.xml", "collegata"},
        {"IT01234567890_00003_RC_001.XML", "collegata"},
        {"IT01234567890_00004_NS_001.xml", "collegata"},
        {"IT01234567890_00005_NE_001.xml", "collegata"},
        {"IT01234567890_00006_DT_001.xml", "collegata"},
        {"IT01234567890_00007_AT_001.zip", "collegata"},
        {"IT01234567890_00008_RC_001.xml.p7m", "collegata"},
        {"IT01234567890_00010_RC_001.xml", "illeggibile"},
        {"IT01234567890_11111_MC_001.xml", "collegata"},
        {"IT01234567890_11111_NE_002.xml", "collegata"},
        {"IT01234567890_11111_RC_001.xml", "collegata"},
        {"IT03339130126_00009_RC_003.xml", "collegata"},
        {"IT09876543210_00001_RC_001.xml", "non collegata"},
        {"IT14627831002_02621_MC_001.xml", "collegata"},
        {"IT01234567890_00002_RC_001 (copia).xml", "già nota"},
    };
    EXPECT_EQ(results, expected);
    for (const LoadedFile& f : loaded) {
        if (f.result == LoadedFile::Result::Unreadable ||
            f.result == LoadedFile::Result::NotLinked) {
            EXPECT_FALSE(f.why.isEmpty()) << f.path.toStdString();
        }
    }

    struct Expected {
        int doc;
        const char* state;
        const char* codes;
    };
    const Expected states[] = {
        {ns, "Scartata", "00311,00200"},
        {rc, "Consegnata", ""},
        {upper, "Consegnata", ""},
        {oldNs, "Scartata", "00404"},
        {refused, "Rifiutata", ""},
        {expired, "Decorrenza termini", ""},
        {attested, "Trasmessa ma non recapitabile", ""},
        {signedRc, "Consegnata", ""},
        {accepted, "Accettata", ""},
        {rc003, "Consegnata", ""},
        {reserved, "Non consegnata (in area riservata)", ""},
        {paWaiting, "Inviata", ""},
        {notSent, "Da inviare", ""},
    };
    for (const Expected& e : states) {
        const DocumentStatus s = status(e.doc);
        EXPECT_EQ(state(s), e.state) << "document " << e.doc;
        EXPECT_EQ(s.codes.join(","), e.codes) << "document " << e.doc;
    }
    // The duplicate added no row; the unknown one is kept with its file.
    EXPECT_EQ(
        a.db()
            .scalar("select count(*) from SdI_Notifiche where IdentificativoSdI = '5000000002'")
            .toInt(),
        1);
    const QList<HistoryEntry> waiting = unlinkedNotifications(a.db());
    ASSERT_EQ(waiting.size(), 1);
    EXPECT_EQ(waiting[0].sentFile, "IT09876543210_00001.xml");
    // The whole file is kept, the zip as it came.
    EXPECT_EQ(
        QByteArray::fromBase64(a.db()
                                   .scalar("select Contenuto from SdI_Notifiche where Tipo = 'AT'")
                                   .toString()
                                   .toLatin1())
            .left(4),
        QByteArray("PK\x03\x04", 4));

    // Deadlines: five days to re-issue from the rejection, fifteen for the administration.
    EXPECT_EQ(status(ns).deadline, QDate(2026, 3, 7));
    EXPECT_EQ(status(ns).daysLeft(QDate(2026, 3, 5)), 2);
    EXPECT_EQ(status(rc).deadline, QDate());
    EXPECT_FALSE(status(reserved).whyNotResend().isEmpty());
    EXPECT_TRUE(status(ns).whyNotResend().isEmpty());

    // The file of the unknown notification turns up: the next load links it.
    const int late = exported("00001", "IT09876543210_00001.xml");
    loadNotifications(a.db(), {});
    EXPECT_TRUE(unlinkedNotifications(a.db()).isEmpty());
    EXPECT_EQ(state(status(late)), "Consegnata");

    // The history reads in Italian, the rejection with its errors.
    const QList<HistoryEntry> history = documentHistory(a.db(), ns);
    ASSERT_EQ(history.size(), 1);
    EXPECT_TRUE(history[0].text().contains("Notifica di scarto del 02/03/2026"));
    EXPECT_TRUE(history[0].text().contains("Errore 00311: 1.1.4 non valido"));
}

// Messages that come by mail: a sending recorded with its channel and message id, notifications
// loaded from their bytes, and one that came before its sending was recorded.
TEST_F(DocumentLifeTest, SendingsAndNotificationsFromMail) {
    const int doc = exported("00002", "IT01234567890_00002.xml");
    const QDateTime sentAt(QDate(2026, 3, 1), QTime(9, 30));
    recordSending(a.db(), doc, a.folder.file("IT01234567890_00002.xml"), sentAt, "PEC",
                  "<opec1@pec.example.it>");
    DocumentStatus s = status(doc);
    EXPECT_EQ(state(s), "Inviata");
    EXPECT_EQ(s.fileName, "IT01234567890_00002.xml");
    EXPECT_EQ(s.date, sentAt);
    EXPECT_EQ(s.channel, "PEC");
    EXPECT_EQ(s.messageId, "<opec1@pec.example.it>");
    EXPECT_EQ(a.db().scalar("select count(*) from SdI_Invii").toInt(), 1);

    const QByteArray rc = sdiSample("IT01234567890_00002_RC_001.xml");
    LoadedFile r = loadNotification(a.db(), rc, "IT01234567890_00002_RC_001.xml");
    EXPECT_EQ(r.resultText(), "collegata");
    EXPECT_EQ(r.headerId, doc);
    EXPECT_EQ(r.state, "Consegnata");
    EXPECT_EQ(loadNotification(a.db(), rc, "IT01234567890_00002_RC_001.xml").resultText(),
              "già nota");
    r = loadNotification(a.db(), "<RicevutaConsegna>", "IT01234567890_00002_RC_002.xml");
    EXPECT_EQ(r.resultText(), "illeggibile");
    EXPECT_FALSE(r.why.isEmpty());

    // The signed file of a Document sent by another way: its receipt waits, then links when the
    // sending is recorded.
    const int other = a.addDocument();
    const QByteArray early = edited("IT01234567890_00002_RC_001.xml",
                                    {{"IT01234567890_00002.xml", "IT01234567890_00003.xml.p7m"},
                                     {"5000000002", "5000000003"},
                                     {"9000000002", "9000000003"}});
    EXPECT_EQ(loadNotification(a.db(), early, "IT01234567890_00003_RC_001.xml").resultText(),
              "non collegata");
    EXPECT_EQ(state(status(other)), "Da inviare");
    recordSending(a.db(), other, "IT01234567890_00003.xml.p7m", sentAt, "PEC", "<opec2@x>");
    EXPECT_TRUE(unlinkedNotifications(a.db()).isEmpty());
    EXPECT_EQ(state(status(other)), "Consegnata");
}

// An archive of the version before: the upgrade adds the tables, and a Document exported before
// (its file never recorded) still links by the name the export gave it.
TEST_F(DocumentLifeTest, AnArchiveOfThePreviousVersionIsUpgradedAndItsExportsLink) {
    const int before = a.addDocument({{"DatiTrasmissione_ProgressivoInvio", "2"},
                                      {"DatiTrasmissione_IdCodice", "01234567890"},
                                      {"Esportato", true}});
    for (const char* table : {"SdI_Errori", "SdI_Notifiche", "SdI_Invii"})
        a.db().execNative(QStringLiteral("DROP TABLE %1").arg(table));
    a.db().execNative(
        QStringLiteral("UPDATE opzioni SET VerBaseDati = %1").arg(requiredArchiveVersion - 1));

    const UpgradeReport report = upgradeArchive(a.db());
    EXPECT_EQ(report.previousVersion, requiredArchiveVersion - 1);
    EXPECT_EQ(report.version, requiredArchiveVersion);
    EXPECT_EQ(report.tablesAdded, (QStringList{"SdI_Invii", "SdI_Notifiche", "SdI_Errori"}));

    receive("IT01234567890_00002_RC_001.xml", sdiSample("IT01234567890_00002_RC_001.xml"));
    const QList<LoadedFile> loaded = loadNotifications(a.db(), {inbox()});
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded[0].resultText(), "collegata");
    EXPECT_EQ(loaded[0].headerId, before);
    EXPECT_EQ(state(status(before)), "Consegnata");
}

} // namespace
} // namespace brevalto::receipts
