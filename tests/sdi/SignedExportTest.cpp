#include "SigningTestSupport.h"
#include "check/SignedFile.h"
#include "export/ExportCommand.h"
#include "export/ExportTestSupport.h"
#include "sdi/SignCommand.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;
using Outcome = ExportDriver::Outcome;

// "Firma" as the body register runs it, and "brevalto export --sign": a Document of a real
// archive checked, exported and signed with a real token or certificate file.
class SignedExportTest : public ::testing::Test {
protected:
    Outcome run(int doc, const sdi::SigningKey& key) {
        a.select(doc);
        ExportDriver driver(a.data, prompt);
        driver.setCheckMode(ExportDriver::CheckMode::Ask);
        driver.setSigning(ExportDriver::Signing{key});
        const Outcome outcome = driver.run();
        signedPath = driver.signedPath();
        return outcome;
    }
    // A valid Document whose number no other Document of the archive has.
    int newDocument() {
        const int doc = scenarioNoOptionalBlock(a);
        a.db().exec("update PA_FE_Body set DatiGenerali_Numero = ? where PA_FE_Header_Id = ?",
                    {QString::number(doc), doc});
        return doc;
    }
    QStringList files() const {
        return QDir(out).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    ExportArchive a;
    ScriptedPrompt prompt;
    TestCertificate mario = makeCertificate(a.folder, "mario");
    QString out = [this] {
        QDir().mkpath(a.folder.file("fatture"));
        return a.folder.file("fatture");
    }();
    QString xml = out + "/ITRSSMRA80A01H501U_00001.xml";
    QString signedPath;
};

TEST_F(SignedExportTest, FirmaExportsSignsAndAsksWhetherToKeepTheUnsignedFile) {
    SoftToken token("Firma Test", "123456");
    ASSERT_TRUE(token.ready());
    token.add(mario, "01");
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "kept" : "removed");
        const int doc = newDocument();
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        prompt.clear();
        prompt.answerSaveFile(xml);
        prompt.answerText("123456");
        prompt.answerQuestion(keep);
        ASSERT_EQ(run(doc, token.key()), Outcome::Written)
            << prompt.messages().join("\n").toStdString();
        EXPECT_EQ(signedPath, xml + ".p7m");
        EXPECT_EQ(prompt.pendingAnswers(), 0);
        // The PIN was asked as a password, naming the card.
        const auto& calls = prompt.calls();
        ASSERT_GE(calls.size(), 3);
        EXPECT_EQ(calls[1].kind, ScriptedPrompt::Kind::Text);
        EXPECT_TRUE(calls[1].text.contains("«Firma Test»")) << calls[1].text.toStdString();
        EXPECT_TRUE(calls.last().text.contains("Tenere anche il file non firmato"));

        const QByteArray content = check::openSigned(readBytes(signedPath)).content;
        QString why;
        EXPECT_EQ(opensslVerified(signedPath, mario.certPem, &why), content) << why.toStdString();
        EXPECT_TRUE(content.startsWith("<?xml"));
        EXPECT_TRUE(a.exported(doc));
        // The Document records the signed file as the file it was exported to.
        EXPECT_EQ(a.read("PA_FE_Header", "id", doc, "FileEsportazione").toString(),
                  QDir::toNativeSeparators(QFileInfo(signedPath).absoluteFilePath()));
        if (keep) {
            EXPECT_EQ(readBytes(xml), content);
            EXPECT_TRUE(schemaErrors(xml).isEmpty()) << schemaErrors(xml).toStdString();
        } else {
            EXPECT_EQ(files(), QStringList{QFileInfo(signedPath).fileName()});
        }
    }
}

TEST_F(SignedExportTest, AFailedOrRefusedSignatureWritesNothingAndLeavesTheDocumentNotExported) {
    const TestCertificate expired =
        makeCertificate(a.folder, "expired", {.validFromDays = -400, .validToDays = -10});
    const sdi::SigningKey good{.kind = sdi::SigningKey::Kind::Pkcs12,
                               .file = makePkcs12(a.folder, mario, "segreta")};
    const sdi::SigningKey old{.kind = sdi::SigningKey::Kind::Pkcs12,
                              .file = makePkcs12(a.folder, expired, "segreta")};
    const sdi::SigningKey noModule{.kind = sdi::SigningKey::Kind::Pkcs11,
                                   .module = a.folder.file("manca.so"),
                                   .token = "Firma"};
    struct Case {
        const char* name;
        sdi::SigningKey key;
        std::function<void()> answer;
        Outcome outcome;
        QString says; // in the last message, or empty when none is shown
    };
    const Case cases[] = {
        {"wrong password", good, [&] { prompt.answerText("sbagliata"); }, Outcome::Failed,
         "password del certificato"},
        {"password cancelled", good, [&] { prompt.answerText("", false); }, Outcome::Cancelled, ""},
        {"module missing", noModule, [&] { prompt.answerText("1234"); }, Outcome::Failed,
         "non esiste"},
        {"expired certificate refused", old,
         [&] {
             prompt.answerText("segreta");
             prompt.answerQuestion(false);
         },
         Outcome::Cancelled, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int doc = newDocument();
        prompt.clear();
        prompt.answerSaveFile(xml);
        c.answer();
        EXPECT_EQ(run(doc, c.key), c.outcome);
        EXPECT_EQ(prompt.pendingAnswers(), 0);
        EXPECT_TRUE(files().isEmpty()) << files().join(", ").toStdString();
        EXPECT_FALSE(a.exported(doc));
        if (!c.says.isEmpty()) {
            ASSERT_FALSE(prompt.messages().isEmpty());
            EXPECT_TRUE(prompt.messages().last().contains(c.says))
                << prompt.messages().last().toStdString();
        }
    }

    // Told the expiry date, the user signs anyway.
    const int doc = newDocument();
    prompt.clear();
    prompt.answerSaveFile(xml);
    prompt.answerText("segreta");
    prompt.answerQuestion(true);
    prompt.answerQuestion(true);
    EXPECT_EQ(run(doc, old), Outcome::Written);
    const QString expiredOn =
        QDateTime::currentDateTimeUtc().addDays(-10).toLocalTime().toString("dd/MM/yyyy");
    EXPECT_TRUE(prompt.calls()[2].text.contains("scaduto il " + expiredOn))
        << prompt.calls()[2].text.toStdString();
    EXPECT_TRUE(check::openSigned(readBytes(xml + ".p7m")).intact);
    EXPECT_TRUE(a.exported(doc));
}

// A plain export over a Document exported and signed before: the signed file beside it holds the
// earlier content; it goes when the content changed (never sent in place of the new file), and
// stays when the file written is the one it signed.
TEST_F(SignedExportTest, APlainExportRemovesAStaleSignedFileBesideIt) {
    const sdi::SigningKey key{.kind = sdi::SigningKey::Kind::Pkcs12,
                              .file = makePkcs12(a.folder, mario, "segreta")};
    for (const bool changed : {false, true}) {
        SCOPED_TRACE(changed ? "content changed" : "same content");
        const int doc = newDocument();
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        prompt.clear();
        prompt.answerSaveFile(xml);
        prompt.answerText("segreta");
        prompt.answerQuestion(true); // keep the unsigned file
        ASSERT_EQ(run(doc, key), Outcome::Written) << prompt.messages().join("\n").toStdString();
        const QByteArray signedBytes = readBytes(xml + ".p7m");
        if (changed)
            a.db().exec("update PA_FE_Body_DatiBeniServizi_DettaglioLinee set Descrizione = "
                        "'Consulenza rivista' where PA_FE_Body_Id in (select Id from PA_FE_Body "
                        "where PA_FE_Header_Id = ?)",
                        {doc});

        prompt.clear();
        prompt.answerSaveFile(xml);
        prompt.answerQuestion(true); // replace the file there
        a.select(doc);
        ExportDriver plain(a.data, prompt);
        plain.setCheckMode(ExportDriver::CheckMode::Ask);
        ASSERT_EQ(plain.run(), Outcome::Written) << prompt.messages().join("\n").toStdString();
        EXPECT_EQ(prompt.pendingAnswers(), 0);
        EXPECT_EQ(a.read("PA_FE_Header", "id", doc, "FileEsportazione").toString(),
                  QDir::toNativeSeparators(QFileInfo(xml).absoluteFilePath()));
        if (changed) {
            EXPECT_TRUE(readBytes(xml).contains("Consulenza rivista"));
            EXPECT_FALSE(QFileInfo::exists(xml + ".p7m"));
            ASSERT_FALSE(prompt.messages().isEmpty());
            EXPECT_TRUE(prompt.messages().last().contains("non corrispondeva più"))
                << prompt.messages().last().toStdString();
        } else {
            EXPECT_EQ(readBytes(xml + ".p7m"), signedBytes);
            EXPECT_EQ(check::openSigned(signedBytes).content, readBytes(xml));
        }
    }
}

class ExportSignCommandTest : public SignedExportTest {
protected:
    void TearDown() override { qunsetenv(sdi::kSecretVariable); }
    int command(const QStringList& args) {
        const CommandRun r = a.runOnClosedArchive(runExportCommand, args);
        printed = r.out;
        err = r.err;
        return r.code;
    }
    QStringList base(int doc) {
        return {"--archive",  archive,
                "--document", QString::number(a.read("PA_FE_Header", "id", doc, "Numero").toInt()),
                "--out",      xml};
    }

    QString archive = a.db().path();
    QString printed;
    QString err;
};

TEST_F(ExportSignCommandTest, ExportsAndSignsInOneStep) {
    SoftToken token("Firma Test", "123456");
    ASSERT_TRUE(token.ready());
    token.add(mario, "01");
    const int doc = scenarioNoOptionalBlock(a);
    const QStringList key = {"--sign", "--pkcs11-module", kSoftHsmModule, "--token", "Firma Test"};

    qputenv(sdi::kSecretVariable, "000000");
    EXPECT_EQ(command(base(doc) << key), 1);
    EXPECT_TRUE(err.contains("PIN")) << err.toStdString();
    EXPECT_TRUE(files().isEmpty());
    EXPECT_FALSE(a.exported(doc));

    qputenv(sdi::kSecretVariable, "123456");
    ASSERT_EQ(command(base(doc) << key), 0) << err.toStdString();
    EXPECT_EQ(printed, QFileInfo(xml).absoluteFilePath() + "\n" +
                           QFileInfo(xml + ".p7m").absoluteFilePath());
    QString why;
    EXPECT_EQ(opensslVerified(xml + ".p7m", mario.certPem, &why), readBytes(xml))
        << why.toStdString();
    EXPECT_TRUE(a.exported(doc));
}

TEST_F(ExportSignCommandTest, SigningOptionsOutsideSignOrIncompleteAreWrongCommandLines) {
    const int doc = scenarioNoOptionalBlock(a);
    qputenv(sdi::kSecretVariable, "segreta");
    const struct {
        QStringList extra;
        const char* says;
    } cases[] = {
        {{"--pkcs12", "a.p12"}, "--pkcs12 vale solo con --sign"},
        {{"--sign"}, "Indicare la chiave di firma"},
        {{"--sign", "--pkcs11-module", kSoftHsmModule}, "--token"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(command(base(doc) << c.extra), 2);
        EXPECT_TRUE(err.contains(c.says)) << err.toStdString();
    }
    EXPECT_TRUE(files().isEmpty());
}

} // namespace
} // namespace brevalto
