#include "receipts/SdiCommands.h"
#include "SdiTestSupport.h"
#include "export/ExportTestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

namespace brevalto::receipts {
namespace {

using namespace test;

class SdiCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        rejected = exported("00001");
        delivered = exported("00002");
        a.addDocument();
        QDir().mkpath(a.folder.file("in"));
        for (const char* name : {"IT01234567890_00001_NS_001.xml", "IT01234567890_00002_RC_001.xml",
                                 "IT14627831002_02621_MC_001.xml"})
            writeBytes(a.folder.file(QStringLiteral("in/") + name), sdiSample(name));
        writeBytes(a.folder.file("in/rotta.xml"), "<RicevutaConsegna>");
    }
    int exported(const QString& progressive) {
        const int doc = a.addDocument({{"DatiTrasmissione_ProgressivoInvio", progressive},
                                       {"DatiTrasmissione_IdCodice", "01234567890"}});
        a.addCompleteBody(doc);
        a.exportDocument(doc, QStringLiteral("IT01234567890_%1.xml").arg(progressive));
        return doc;
    }
    int run(CommandFunction command, const QStringList& args) {
        const CommandRun r = a.runOnClosedArchive(command, args);
        out = r.out;
        err = r.err;
        return r.code;
    }
    int number(int doc) { return a.read("PA_FE_Header", "id", doc, "Numero").toInt(); }
    QString in(const QString& name) {
        return QDir::toNativeSeparators(a.folder.file("in/" + name));
    }

    ExportArchive a;
    QString archive = a.db().path();
    int rejected = 0;
    int delivered = 0;
    QString out;
    QString err;
};

TEST_F(SdiCommandsTest, NotificheLoadsAFolderAndStatoPrintsEveryDocument) {
    EXPECT_EQ(run(runNotificheCommand, {"--archive", archive, a.folder.file("in")}), 1);
    const QStringList lines{
        in("IT01234567890_00001_NS_001.xml") + "\tcollegata\t" + QString::number(number(rejected)) +
            "\tScartata",
        in("IT01234567890_00002_RC_001.xml") + "\tcollegata\t" +
            QString::number(number(delivered)) + "\tConsegnata",
        in("IT14627831002_02621_MC_001.xml") + "\tnon collegata\t\t",
        in("rotta.xml") + "\tilleggibile\t\t",
    };
    // The output is read back trimmed.
    EXPECT_EQ(out.toStdString(), lines.join("\n").trimmed().toStdString());
    EXPECT_TRUE(err.contains("rotta.xml: ")) << err.toStdString();
    EXPECT_TRUE(err.contains("Nessun documento ha il file IT14627831002_02621.xml"));

    // Loaded again: already known, and nothing unreadable this time.
    EXPECT_EQ(run(runNotificheCommand,
                  {"--archive", archive, a.folder.file("in/IT01234567890_00002_RC_001.xml")}),
              0);
    EXPECT_EQ(out.toStdString(), (in("IT01234567890_00002_RC_001.xml") + "\tgià nota\t" +
                                  QString::number(number(delivered)) + "\tConsegnata")
                                     .toStdString());

    EXPECT_EQ(run(runStatoCommand, {"--archive", archive}), 0);
    EXPECT_EQ(
        out.toStdString(),
        QStringList({"1\tIT01234567890_00001.xml\tScartata\t02/03/2026\t00311,00200",
                     "2\tIT01234567890_00002.xml\tConsegnata\t02/03/2026\t", "3\t\tDa inviare\t\t"})
            .join("\n")
            .trimmed()
            .toStdString());
    EXPECT_EQ(run(runStatoCommand, {"--archive", archive, "--document", "2"}), 0);
    EXPECT_EQ(out.toStdString(), "2\tIT01234567890_00002.xml\tConsegnata\t02/03/2026");
}

TEST_F(SdiCommandsTest, WrongCommandLinesAndArchivesAreRefused) {
    struct Case {
        int (*command)(const QStringList&, std::FILE*, std::FILE*);
        QStringList args;
        int code;
    };
    const QString folder = a.folder.file("in");
    const Case cases[] = {
        {runNotificheCommand, {folder}, 2},
        {runNotificheCommand, {"--archive", archive}, 2},
        {runNotificheCommand, {"--archive", archive, a.folder.file("manca")}, 1},
        {runNotificheCommand, {"--archive", a.folder.file("manca.mdb"), folder}, 1},
        {runStatoCommand, {}, 2},
        {runStatoCommand, {"--archive", archive, "--document", "uno"}, 2},
        {runStatoCommand, {"--archive", archive, "altro"}, 2},
        {runStatoCommand, {"--archive", archive, "--document", "99"}, 1},
        {runStatoCommand, {"--archive", a.folder.file("manca.mdb")}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        EXPECT_EQ(run(c.command, c.args), c.code);
        EXPECT_FALSE(err.isEmpty());
    }
    // Nothing was loaded by the refused commands.
    EXPECT_EQ(a.db().scalar("select count(*) from SdI_Notifiche").toInt(), 0);
}

} // namespace
} // namespace brevalto::receipts
