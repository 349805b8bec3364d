#include "receipts/Reissue.h"
#include "SdiTestSupport.h"
#include "export/ExportTestSupport.h"
#include "receipts/DocumentLife.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace brevalto::receipts {
namespace {

using namespace test;

class ReissueTest : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(a.folder.file("nuovi")); }
    int exported(const QString& progressive, const QString& name, int invoiceNumber) {
        const int doc =
            a.addDocument({{"DatiTrasmissione_ProgressivoInvio", progressive},
                           {"DatiTrasmissione_IdPaese", name.left(2)},
                           {"DatiTrasmissione_IdCodice", name.mid(2, name.indexOf('_') - 2)}});
        a.addCompleteBody(doc, {{"DatiGenerali_Numero", QString::number(invoiceNumber)},
                                {"DatiGenerali_Data", QDate(2026, 3, 1)}});
        a.exportDocument(doc, name);
        return doc;
    }
    void load(const QString& sample, const QList<QPair<QByteArray, QByteArray>>& changes = {}) {
        const QString path = a.folder.file(sample);
        writeBytes(path, changes.isEmpty() ? sdiSample(sample) : edited(sample, changes));
        loadNotifications(a.db(), {path});
    }

    ExportArchive a;
};

// A rejected Document gets a new file under a name never used, with the same number and date;
// the rejected file and its notification stay in the history, and the new file starts again from
// Inviata.
TEST_F(ReissueTest, ARejectedDocumentIsWrittenAgainUnderANewName) {
    const int rejected = exported("00001", "IT01234567890_00001.xml", 7);
    // The next progressive is taken by a file written under a name chosen by hand.
    exported("00002", "IT01234567890_00003.xml", 8);
    load("IT01234567890_00001_NS_001.xml");
    ASSERT_EQ(documentStatus(a.db(), rejected).state, State::Rejected);

    a.select(rejected);
    ScriptedPrompt prompt;
    const ReissueResult r =
        reissue(a.data, prompt, a.folder.file("nuovi"), ExportDriver::CheckMode::Skip);
    ASSERT_TRUE(r.written) << r.message.toStdString();
    EXPECT_EQ(r.fileName, "IT01234567890_00004.xml");
    EXPECT_EQ(r.deadline, QDate(2026, 3, 7));
    EXPECT_TRUE(r.message.contains("stesso numero")) << r.message.toStdString();

    const QDomDocument xml = parseXml(readFile(a.folder.file("nuovi/IT01234567890_00004.xml")));
    EXPECT_EQ(textAt(xml, "FatturaElettronicaHeader/DatiTrasmissione/ProgressivoInvio"), "4");
    EXPECT_EQ(textAt(xml, "FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/Numero"), "7");
    EXPECT_EQ(textAt(xml, "FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/Data"),
              "2026-03-01");

    const DocumentStatus now = documentStatus(a.db(), rejected);
    EXPECT_EQ(now.state, State::Sent);
    EXPECT_EQ(now.fileName, "IT01234567890_00004.xml");
    EXPECT_EQ(documentHistory(a.db(), rejected).size(), 1);
    EXPECT_EQ(a.db()
                  .scalar("select count(*) from SdI_Invii where PA_FE_Header_Id = ?", {rejected})
                  .toInt(),
              2);
    // The next new Document is numbered after the progressive just given.
    EXPECT_GT(a.addDocument(), 0);
    EXPECT_EQ(a.db().scalar("select max(UltimoProgressivoInvio) from opzioni").toInt(), 4);

    // The new file's receipt links to the same Document.
    load("IT01234567890_00002_RC_001.xml",
         {{"IT01234567890_00002.xml", "IT01234567890_00004.xml"}});
    EXPECT_EQ(documentStatus(a.db(), rejected).state, State::Delivered);
}

// A Document the exchange system has issued is neither re-issued nor exported again; the way out
// is a credit note.
TEST_F(ReissueTest, AnIssuedInvoiceIsNotSentAgain) {
    const int delivered = exported("00002", "IT01234567890_00002.xml", 8);
    const int reserved = exported("02621", "IT14627831002_02621.xml", 9);
    load("IT01234567890_00002_RC_001.xml");
    load("IT14627831002_02621_MC_001.xml");
    for (const int doc : {delivered, reserved}) {
        a.select(doc);
        ScriptedPrompt prompt;
        const ReissueResult r =
            reissue(a.data, prompt, a.folder.file("nuovi"), ExportDriver::CheckMode::Skip);
        EXPECT_FALSE(r.written);
        EXPECT_TRUE(r.creditNote);
        EXPECT_TRUE(r.message.contains("nota di credito")) << r.message.toStdString();

        EXPECT_EQ(a.exportTo(a.folder.file("nuovi/ancora.xml"), prompt),
                  ExportDriver::Outcome::Aborted);
        EXPECT_TRUE(prompt.messages().join("\n").contains("nota di credito"));
        EXPECT_FALSE(QFileInfo::exists(a.folder.file("nuovi/ancora.xml")));
    }
    EXPECT_TRUE(QDir(a.folder.file("nuovi")).isEmpty());
}

} // namespace
} // namespace brevalto::receipts
