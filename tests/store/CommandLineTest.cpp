// The command line as a user or a script meets it: wrong command lines, file names the system
// cannot decode, archives the commands must refuse and two commands racing on one path.
#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace brevalto;

namespace {

const QString exe = QStringLiteral(BREVALTO_BINARY_DIR "/brevalto");

struct Outcome {
    int code = -1;
    QString out, err;
};

Outcome run(const QString& program, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(program, args);
    Outcome r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.err = "did not end (a window opened?)";
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFile::exists(exe))
            GTEST_SKIP() << "brevalto executable not built";
    }
    test::TempFolder folder;
};

// Every wrong command line ends with 2 and an Italian message; none opens the window.
TEST_F(CommandLineTest, WrongCommandLinesExitWithTwo) {
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"-x"}, "Opzione sconosciuta: -x"},
        {{"--archivio", "a.mdb"}, "Opzione sconosciuta: --archivio"},
        {{"-platform"}, "Opzione sconosciuta"},
        {{"esporta"}, "Comando sconosciuto: esporta"},
        {{"create-archive", ""}, "Indicare il percorso del nuovo archivio"},
        {{"create-archive"}, "Uso: brevalto create-archive"},
        {{"export", "--archive"}, "Manca il valore di --archive"},
        {{"export", "--archive", "--document", "1"}, "Manca il valore di --archive"},
        {{"export", "--force=si"}, "L'opzione --force non prende un valore"},
        {{"check", "--colore", "a.xml"}, "Opzione sconosciuta: --colore"},
        {{"create-archive", "--colore", "a.mdb"}, "Opzione sconosciuta: --colore"},
        {{"--version", "export"}, "Indicare il comando prima delle sue opzioni"},
        {{"help", "esporta"}, "Comando sconosciuto: esporta"},
        {{"--"}, "Indicare un comando"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = run(exe, c.args);
        EXPECT_EQ(r.code, 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

// --help lists every subcommand, each subcommand explains its options, --version says which
// archive version the program writes; all on standard output with 0, writing no file.
TEST_F(CommandLineTest, HelpAndVersion) {
    const struct {
        QStringList args;
        QStringList says;
    } cases[] = {
        {{"--help"}, {"Uso: brevalto", "create-archive", "export", "check", "--version"}},
        {{"-h"}, {"Comandi:"}},
        {{"help"}, {"Comandi:"}},
        {{"--version"},
         {"Brevalto 1.", QStringLiteral("Versione archivio: %1").arg(requiredArchiveVersion)}},
        {{"create-archive", "--help"}, {"Uso: brevalto create-archive PERCORSO", "--help"}},
        {{"export", "--help"},
         {"Uso: brevalto export --archive PERCORSO", "--no-check", "--out FILE"}},
        {{"check", "-h"},
         {"Uso: brevalto check [--date AAAA-MM-GG] FILE.xml...", "--date AAAA-MM-GG", "FILE.xml"}},
        {{"help", "export"}, {"Uso: brevalto export"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = run(exe, c.args);
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        for (const QString& text : c.says)
            EXPECT_TRUE(r.out.contains(text)) << text.toStdString() << " in\n"
                                              << r.out.toStdString();
    }
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

// UpgradeDb, which the program starts without arguments, answers --help and --version and upgrades
// nothing when its command line is wrong.
TEST_F(CommandLineTest, UpgradeDbAnswersHelpAndVersion) {
    const QString upgradeDb = QStringLiteral(BREVALTO_BINARY_DIR "/UpgradeDb");
    const struct {
        QStringList args;
        int code;
        const char* out;
        const char* err;
    } cases[] = {
        {{"--help"}, 0, "Uso: UpgradeDb", ""},
        {{"--version"}, 0, "Versione archivio: ", ""},
        {{"--colore"}, 2, "", "Opzione sconosciuta: --colore"},
        {{"archivio.mdb"}, 2, "", "Argomento sconosciuto: archivio.mdb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = run(upgradeDb, c.args);
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(c.out)) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
    }
}

// UpgradeDb upgrades the archive percorsoPa.txt names: a file, or a database on a server.
TEST_F(CommandLineTest, UpgradeDbUpgradesTheArchiveNamedInPercorsoPa) {
    const QString archive = test::copyOfNewArchive(folder);
    {
        Connection c;
        c.open(archive);
        c.exec("UPDATE opzioni SET VerBaseDati = 2, UltimoProgressivoInvio = 0");
        c.exec("INSERT INTO PA_FE_Header (Numero) VALUES (41)");
    }
    const QString home = folder.file("programma");
    QDir().mkpath(home);
    {
        QFile f(home + "/percorsoPa.txt");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write((archive + "\n").toUtf8());
    }
    qputenv("BREVALTO_HOME", home.toLocal8Bit());
    const Outcome r = run(QStringLiteral(BREVALTO_BINARY_DIR "/UpgradeDb"), {});
    qunsetenv("BREVALTO_HOME");
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Archivio: " + archive)) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("(prima 2)"))) << r.out.toStdString();
    Connection c;
    c.open(archive);
    EXPECT_EQ(c.scalar("SELECT VerBaseDati FROM opzioni").toInt(), requiredArchiveVersion);
    EXPECT_EQ(c.scalar("SELECT UltimoProgressivoInvio FROM opzioni").toInt(), 41);
}

// A wrong command line says what is wrong in one line, then the usage: no page of help.
TEST_F(CommandLineTest, AnUnknownOptionIsOneLineAndTheUsage) {
    for (const QStringList& args : {QStringList{"--colore"}, QStringList{"export", "--colore"}}) {
        const Outcome r = run(exe, args);
        EXPECT_EQ(r.code, 2);
        const QStringList lines = r.err.trimmed().split('\n');
        ASSERT_EQ(lines.size(), 2) << r.err.toStdString();
        EXPECT_EQ(lines[0], "Opzione sconosciuta: --colore");
        EXPECT_TRUE(lines[1].startsWith("Uso: brevalto")) << lines[1].toStdString();
    }
}

// A name whose bytes are not valid in the system's encoding is refused, not written under another.
TEST_F(CommandLineTest, AFileNameTheSystemCannotDecodeIsRefused) {
    // The shell passes the raw byte 0xFF, which no UTF-8 text holds.
    const Outcome r =
        run("/bin/sh", {"-c", "exec \"$0\" create-archive \"$1/nome$(printf '\\377').mdb\"", exe,
                        folder.path()});
    EXPECT_EQ(r.code, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("caratteri non validi")) << r.err.toStdString();
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty())
        << QDir(folder.path()).entryList(QDir::Files).join(' ').toStdString();
}

// Two create-archive at once on one path: one creates it, the other says it exists.
TEST_F(CommandLineTest, TwoCreateArchiveAtOnceOnOnePath) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const QString path = folder.file(QStringLiteral("gara%1.mdb").arg(round));
        QProcess a, b;
        a.start(exe, {"create-archive", path});
        b.start(exe, {"create-archive", path});
        ASSERT_TRUE(a.waitForFinished(120000));
        ASSERT_TRUE(b.waitForFinished(120000));
        const int codes[] = {a.exitCode(), b.exitCode()};
        const QString errors[] = {QString::fromUtf8(a.readAllStandardError()),
                                  QString::fromUtf8(b.readAllStandardError())};
        EXPECT_EQ(std::min(codes[0], codes[1]), 0);
        for (int i = 0; i < 2; ++i) {
            if (codes[i] == 0)
                continue;
            EXPECT_EQ(codes[i], 1);
            EXPECT_TRUE(errors[i].contains("esiste già")) << errors[i].toStdString();
            EXPECT_FALSE(errors[i].contains("already exists")) << errors[i].toStdString();
            EXPECT_FALSE(errors[i].contains("disk I/O")) << errors[i].toStdString();
        }
        Connection c;
        c.open(path);
        EXPECT_EQ(c.scalar("PRAGMA integrity_check").toString(), "ok");
        EXPECT_GT(c.scalar("SELECT count(*) FROM Comuni").toInt(), 0);
    }
    EXPECT_TRUE(QDir(folder.path()).entryList({"*creating*"}, QDir::Files).isEmpty());
}

// The export refuses what start-up refuses: not an archive, damaged, newer; with 1 and a message.
TEST_F(CommandLineTest, ExportRefusesArchivesThatAreNotFitToUse) {
    SKIP_ON_SERVER("file vuoti e danneggiati");
    const QString empty = folder.file("vuoto.mdb");
    QFile(empty).open(QIODevice::WriteOnly);

    const QString newer = test::copyOfNewArchive(folder, "nuovo.mdb");
    {
        Connection c;
        c.open(newer);
        c.exec("UPDATE opzioni SET VerBaseDati = ?", {requiredArchiveVersion + 1});
    }

    const QString damaged = test::copyOfNewArchive(folder, "rotto.mdb");
    {
        Connection c;
        c.open(damaged);
        const qint64 size = c.scalar("PRAGMA page_size").toLongLong();
        const qint64 pages = c.scalar("PRAGMA page_count").toLongLong();
        c.close();
        QFile f(damaged);
        f.open(QIODevice::ReadWrite);
        f.seek(size * (pages / 2));
        f.write(QByteArray(int(size), '\x5a'));
    }

    const struct {
        QString archive;
        const char* says;
    } cases[] = {
        {empty, "non contiene un archivio del programma"},
        {damaged, "è danneggiato"},
        {newer, "versione più recente"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.archive.toStdString());
        const Outcome r = run(exe, {"export", "--archive", c.archive, "--document", "1", "--out",
                                    folder.file("fattura.xml")});
        EXPECT_EQ(r.code, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(folder.file("fattura.xml")));
    }
    QFile f(empty);
    EXPECT_EQ(f.size(), 0) << "the empty file stays empty";

    // An archive of an older version: every command that reads or writes it as it is sends to
    // UpgradeDb (the program's start-up would upgrade it) and leaves it as it was.
    const QString older = test::copyOfNewArchive(folder, "vecchio.mdb");
    {
        Connection c;
        c.open(older);
        c.exec("UPDATE opzioni SET VerBaseDati = ?", {requiredArchiveVersion - 1});
    }
    const QString offices = folder.file("uffici.txt");
    QFile(offices).open(QIODevice::WriteOnly);
    const QList<QStringList> commands = {
        {"export", "--archive", older, "--document", "1", "--out", folder.file("fattura.xml")},
        {"check", "--archive", older, "--document", "1"},
        {"pdf", "--archive", older, "--document", "1", "--out", folder.file("copia.pdf")},
        {"import-ipa", "--archive", older, offices},
    };
    for (const QStringList& command : commands) {
        SCOPED_TRACE(command.first().toStdString());
        const Outcome r = run(exe, command);
        EXPECT_NE(r.code, 0);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8("più vecchia")) && r.err.contains("UpgradeDb"))
            << r.err.toStdString();
    }
    Connection c;
    c.open(older);
    EXPECT_EQ(c.scalar("SELECT VerBaseDati FROM opzioni").toInt(), requiredArchiveVersion - 1);
    EXPECT_FALSE(QFile::exists(folder.file("fattura.xml")));
    EXPECT_FALSE(QFile::exists(folder.file("copia.pdf")));
}

// check and pdf only read the archive: one the user may not write will do; export writes.
TEST_F(CommandLineTest, ReadingCommandsTakeAReadOnlyArchive) {
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, whom file permissions do not stop";
    const QString archive = test::copyOfNewArchive(folder, "sola.mdb");
    QFile(archive).setPermissions(QFile::ReadOwner);
    for (const QStringList& command :
         {QStringList{"check", "--archive", archive, "--document", "1"},
          QStringList{"pdf", "--archive", archive, "--document", "1", "--out",
                      folder.file("copia.pdf")}}) {
        SCOPED_TRACE(command.first().toStdString());
        const Outcome r = run(exe, command);
        EXPECT_TRUE(r.err.contains("Nessun documento ha il numero 1")) << r.err.toStdString();
    }
    const Outcome r = run(exe, {"export", "--archive", archive, "--document", "1", "--out",
                                folder.file("fattura.xml")});
    EXPECT_TRUE(r.err.contains("sola lettura")) << r.err.toStdString();
}

} // namespace
