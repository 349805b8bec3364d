#include "sdi/SignCommand.h"
#include "SigningTestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <cstdio>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

const QString kProgram = QStringLiteral(BREVALTO_BINARY_DIR "/brevalto");

class SignCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeBytes(xml, "<fattura>prima</fattura>\n");
        p12 = makePkcs12(dir, mario, "segreta");
        qputenv(sdi::kSecretVariable, "segreta");
    }
    void TearDown() override { qunsetenv(sdi::kSecretVariable); }

    int run(const QStringList& args) {
        const CommandRun r = runCommand(sdi::runSignCommand, args);
        out = r.out;
        err = r.err;
        return r.code;
    }

    TempFolder dir;
    TestCertificate mario = makeCertificate(dir, "mario");
    QString p12;
    QString xml = dir.file("IT01234567890_00001.xml");
    QString out;
    QString err;
};

TEST_F(SignCommandTest, SignsBesideTheFileAndASecondSignatureFollowsTheNewContent) {
    ASSERT_EQ(run({xml, "--pkcs12", p12}), 0) << err.toStdString();
    const QString signedPath = xml + ".p7m";
    EXPECT_EQ(out, QFileInfo(signedPath).absoluteFilePath());
    QString why;
    EXPECT_EQ(opensslVerified(signedPath, mario.certPem, &why), "<fattura>prima</fattura>\n")
        << why.toStdString();
    const QByteArray first = readBytes(signedPath);

    // The invoice changes: the old signed file is not replaced unless asked, then follows it.
    writeBytes(xml, "<fattura>dopo</fattura>\n");
    EXPECT_EQ(run({xml, "--pkcs12", p12}), 1);
    EXPECT_TRUE(err.contains("--force")) << err.toStdString();
    EXPECT_EQ(readBytes(signedPath), first);
    ASSERT_EQ(run({xml, "--pkcs12", p12, "--force"}), 0) << err.toStdString();
    EXPECT_NE(readBytes(signedPath), first);
    EXPECT_EQ(opensslVerified(signedPath, mario.certPem, &why), "<fattura>dopo</fattura>\n")
        << why.toStdString();
}

TEST_F(SignCommandTest, SignsWithATokenIntoTheNamedFile) {
    SoftToken token("Firma Test", "123456");
    ASSERT_TRUE(token.ready());
    token.add(mario, "01");
    qputenv(sdi::kSecretVariable, "123456");
    const QString target = dir.file("firmata.p7m");
    ASSERT_EQ(
        run({xml, "--out", target, "--pkcs11-module", kSoftHsmModule, "--token", "Firma Test"}), 0)
        << err.toStdString();
    QString why;
    EXPECT_EQ(opensslVerified(target, mario.certPem, &why), "<fattura>prima</fattura>\n")
        << why.toStdString();

    qputenv(sdi::kSecretVariable, "999999");
    EXPECT_EQ(run({xml, "--out", target, "--force", "--pkcs11-module", kSoftHsmModule, "--token",
                   "Firma Test"}),
              1);
    EXPECT_TRUE(err.contains("PIN")) << err.toStdString();
    EXPECT_EQ(opensslVerified(target, mario.certPem), "<fattura>prima</fattura>\n");
}

TEST_F(SignCommandTest, WrongCommandLinesExitWithTwoAndFailuresWithOne) {
    struct Case {
        const char* name;
        QStringList args;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {"no file", {"--pkcs12", p12}, 2, "Indicare il file da firmare"},
        {"two files", {xml, xml, "--pkcs12", p12}, 2, "un solo file"},
        {"no key", {xml}, 2, "Indicare la chiave di firma"},
        {"both kinds of key",
         {xml, "--pkcs12", p12, "--pkcs11-module", kSoftHsmModule},
         2,
         "non entrambi"},
        {"module without token", {xml, "--pkcs11-module", kSoftHsmModule}, 2, "--token"},
        {"token without module", {xml, "--token", "Firma"}, 2, "--pkcs11-module"},
        {"empty --out", {xml, "--out", "", "--pkcs12", p12}, 2, "--out"},
        {"file to sign missing", {dir.file("manca.xml"), "--pkcs12", p12}, 1, "non esiste"},
        {"missing module",
         {xml, "--pkcs11-module", dir.file("manca.so"), "--token", "Firma"},
         1,
         "non esiste"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.args), c.code);
        EXPECT_TRUE(err.contains(c.says)) << err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(xml + ".p7m"));
    }
    qputenv(sdi::kSecretVariable, "sbagliata");
    EXPECT_EQ(run({xml, "--pkcs12", p12}), 1);
    EXPECT_TRUE(err.contains("password")) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(xml + ".p7m"));
}

// The program as a user runs it: without the variable, the PIN is asked on a terminal and not
// shown; without a terminal the command says how to give it.
TEST_F(SignCommandTest, WithoutTheVariableThePasswordIsAskedOnATerminalWithoutEcho) {
    if (!QFileInfo::exists(kProgram))
        GTEST_SKIP() << "brevalto is not built";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QString::fromLatin1(sdi::kSecretVariable));

    QProcess noTerminal;
    noTerminal.setProcessEnvironment(env);
    noTerminal.start(kProgram, {"sign", xml, "--pkcs12", p12});
    noTerminal.closeWriteChannel();
    ASSERT_TRUE(noTerminal.waitForFinished(60000));
    EXPECT_EQ(noTerminal.exitCode(), 2);
    EXPECT_TRUE(
        QString::fromLocal8Bit(noTerminal.readAllStandardError()).contains("BREVALTO_SIGN_PIN"));
    EXPECT_FALSE(QFileInfo::exists(xml + ".p7m"));

    // script(1) gives the program a terminal and types what it is sent on it.
    QProcess terminal;
    terminal.setProcessEnvironment(env);
    terminal.start("script",
                   {"-qec", QStringLiteral("'%1' sign '%2' --pkcs12 '%3'").arg(kProgram, xml, p12),
                    "/dev/null"});
    ASSERT_TRUE(terminal.waitForStarted(10000)) << "script (bsdutils) is missing";
    // The password goes once the question is on screen, so that the echo is already off.
    QByteArray screen;
    for (int i = 0; i < 100 && !screen.contains("Password"); ++i) {
        terminal.waitForReadyRead(100);
        screen += terminal.readAll();
    }
    terminal.write("segreta\n");
    terminal.closeWriteChannel();
    ASSERT_TRUE(terminal.waitForFinished(60000));
    screen += terminal.readAll();
    EXPECT_EQ(terminal.exitCode(), 0) << screen.toStdString();
    EXPECT_TRUE(screen.contains("Password del certificato")) << screen.toStdString();
    EXPECT_FALSE(screen.contains("segreta")) << screen.toStdString();
    EXPECT_EQ(opensslVerified(xml + ".p7m", mario.certPem), "<fattura>prima</fattura>\n");
}

} // namespace
} // namespace brevalto
