// The command line as a user or a script meets it: wrong command lines, file names the system
// cannot decode, archives the commands must refuse and two commands racing on one path.
#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "store/WorkFiles.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
         {"Uso: brevalto check [--date AAAA-MM-GG] FILE.xml|FILE.xml.p7m...", "--date AAAA-MM-GG",
          "FILE.xml"}},
        {{"help", "export"}, {"Uso: brevalto export"}},
        {{"zip", "--help"}, {"Uso: brevalto zip --out FILE.zip [--force] FILE...", "--force"}},
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

// An address typed with a password is printed without it.
TEST_F(CommandLineTest, CreateArchivePrintsTheAddressWithoutItsPassword) {
    if (!test::onServer() || test::serverAddress().isEmpty())
        GTEST_SKIP() << "solo nella prova sul server";
    const QString address = test::newServerDatabase();
    QString withPassword = address;
    withPassword.replace(withPassword.indexOf('@'), 1, ":S3cretPW@");
    const Outcome r = run(exe, {"create-archive", withPassword + "?%70assword=S3cretPW"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), "Archivio creato: " + address);
    EXPECT_FALSE((r.out + r.err).contains("S3cret"));
}

// What a hostile archive file can hold stops no command for good: a named pipe (which would make
// every reader wait for a writer forever) and a program table replaced by a view that never ends
// are refused at once with a message, by every command that takes an archive.
TEST_F(CommandLineTest, APipeOrAViewForATableIsRefusedByEveryCommand) {
    SKIP_ON_SERVER("file dell'archivio");
    const QString pipe = folder.file("tubo.mdb");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString endless = test::copyOfNewArchive(folder, "vista.mdb");
    {
        Connection c;
        c.open(endless);
        c.execNative("INSERT INTO PA_FE_Header (Numero) VALUES (1)");
        c.execNative("INSERT INTO PA_FE_Body (PA_FE_Header_Id) SELECT Id FROM PA_FE_Header");
        c.execNative("DROP TABLE PA_FE_Body_DatiBeniServizi_DettaglioLinee");
        c.execNative("CREATE VIEW PA_FE_Body_DatiBeniServizi_DettaglioLinee AS WITH RECURSIVE "
                     "r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) SELECT n AS Id, n AS "
                     "PA_FE_Body_Id, 'riga' AS Descrizione FROM r");
    }
    QFile(folder.file("uffici.txt")).open(QIODevice::WriteOnly);
    const struct {
        QString archive;
        const char* says;
    } archives[] = {
        {pipe, "non è un file ordinario"},
        {endless, "PA_FE_Body_DatiBeniServizi_DettaglioLinee non è una tabella ma una vista"},
    };
    for (const auto& a : archives) {
        for (const QStringList& command :
             {QStringList{"check", "--archive", a.archive, "--document", "1"},
              QStringList{"export", "--archive", a.archive, "--document", "1", "--out",
                          folder.file("fattura.xml")},
              QStringList{"pdf", "--archive", a.archive, "--document", "1", "--out",
                          folder.file("copia.pdf")},
              QStringList{"copy-archive", a.archive, folder.file("copia.mdb")},
              QStringList{"import-ipa", "--archive", a.archive, folder.file("uffici.txt")}}) {
            SCOPED_TRACE((command.first() + " " + a.archive).toStdString());
            const Outcome r = run(exe, command);
            EXPECT_GT(r.code, 0) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(a.says))) << r.err.toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(folder.file("fattura.xml")));
    EXPECT_FALSE(QFile::exists(folder.file("copia.pdf")));
    EXPECT_FALSE(QFile::exists(folder.file("copia.mdb")));
}

// A program killed while it wrote leaves its journal beside the archive. The commands that only
// read put the archive back as it was when they may write the file; when they may not, they say
// what happened and what to do instead of SQLite's "attempt to write a readonly database".
TEST_F(CommandLineTest, TheReadingCommandsRecoverOrExplainAnInterruptedWrite) {
    SKIP_ON_SERVER("file dell'archivio");
    const QString source = test::copyOfNewArchive(folder, "fonte.mdb");
    // The archive and its journal as a killed writer leaves them: copied while the write
    // transaction holds them, without its locks.
    const auto interrupted = [&](const QString& name) {
        const QString path = folder.file(name);
        Connection c;
        c.open(source);
        // A small page cache spills the changed pages into the file before the commit: the
        // journal is then complete and needed (hot) to put the file back.
        c.execNative("PRAGMA cache_size = 10");
        c.begin();
        c.execNative("UPDATE Comuni SET Comune = 'X'");
        EXPECT_TRUE(QFile::copy(source, path));
        EXPECT_TRUE(QFile::copy(source + "-journal", path + "-journal"));
        c.rollback();
        return path;
    };
    const QStringList commands[] = {
        {"check", "--archive", "%1", "--document", "1"},
        {"pdf", "--archive", "%1", "--document", "1", "--out", folder.file("copia.pdf")},
        {"copy-archive", "%1", folder.file("copia.mdb")},
    };
    for (QStringList command : commands) {
        SCOPED_TRACE(command.first().toStdString());
        QFile::remove(folder.file("copia.mdb"));
        const QString archive = interrupted("interrotto.mdb");
        command.replaceInStrings("%1", archive);
        const Outcome r = run(exe, command);
        EXPECT_FALSE(r.err.contains("readonly")) << r.err.toStdString();
        if (command.first() == "copy-archive")
            EXPECT_EQ(r.code, 0) << r.err.toStdString();
        else
            EXPECT_TRUE(r.err.contains("Nessun documento ha il numero 1")) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(archive + "-journal"));
        Connection c;
        c.setReadOnly(true);
        c.open(archive);
        EXPECT_EQ(c.scalar("SELECT count(*) FROM Comuni WHERE Comune = 'X'").toInt(), 0);
        c.close();
        QFile::remove(archive);
    }

    // A user who may not write the file: the archive stays as it is, and the message says why.
    QStringList runAs;
    if (geteuid() == 0) {
        if (QStandardPaths::findExecutable("runuser").isEmpty())
            GTEST_SKIP() << "running as root without runuser";
        runAs = {"-u", "nobody", "--", exe};
        QFile(folder.path())
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                            QFile::ReadOther | QFile::ExeOther);
    }
    const QString archive = interrupted("sola-lettura.mdb");
    QFile(archive).setPermissions(QFile::ReadOwner | QFile::ReadOther);
    for (QStringList command : commands) {
        SCOPED_TRACE(command.first().toStdString());
        command.replaceInStrings("%1", archive);
        const Outcome r = runAs.isEmpty() ? run(exe, command) : run("runuser", runAs + command);
        EXPECT_GT(r.code, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8("è rimasto a metà di una modifica")) &&
                    r.err.contains("Non cancellare il file"))
            << r.err.toStdString();
        EXPECT_TRUE(QFile::exists(archive + "-journal"));
    }
}

// Work files of a copy-archive or create-archive that was killed are removed by the next run
// on the same machine; a work file of a process still running is left alone.
TEST_F(CommandLineTest, LeftOversOfKilledRunsAreRemovedByTheNext) {
    SKIP_ON_SERVER("file dell'archivio");
    const QString source = test::copyOfNewArchive(folder, "fonte.mdb");
    QProcess ended; // a process that has ended: the number it ran under
    ended.start("/bin/sh", {"-c", "echo $$"});
    ASSERT_TRUE(ended.waitForFinished());
    const qint64 dead = ended.readAllStandardOutput().trimmed().toLongLong();
    ASSERT_GT(dead, 0);
    for (const auto& [command, suffix] :
         {std::pair{QStringList{"copy-archive", source}, QString("copia")},
          std::pair{QStringList{"create-archive"}, QString("creating")}}) {
        SCOPED_TRACE(command.first().toStdString());
        const QString target = folder.file(command.first() + ".mdb");
        const QString killed = workFileBeside(target, suffix, dead);
        const QString running = workFileBeside(target, suffix, QCoreApplication::applicationPid());
        for (const QString& file : {killed, killed + "-journal", running}) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(64 * 1024, 'x'));
        }
        const Outcome r = run(exe, QStringList(command) << target);
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(killed));
        EXPECT_FALSE(QFile::exists(killed + "-journal"));
        EXPECT_TRUE(QFile::exists(running));
        EXPECT_TRUE(QFile::exists(target));
    }
}

// A dangling symbolic link given as the archive to make is refused: the archive would be made
// wherever the link points.
TEST_F(CommandLineTest, ADanglingLinkIsNoTarget) {
    SKIP_ON_SERVER("file dell'archivio");
    const QString source = test::copyOfNewArchive(folder, "fonte.mdb");
    const QString elsewhere = folder.file("altrove.mdb");
    const QString link = folder.file("collegamento.mdb");
    ASSERT_TRUE(QFile::link(elsewhere, link));
    for (const QStringList& command :
         {QStringList{"create-archive", link}, QStringList{"copy-archive", source, link}}) {
        SCOPED_TRACE(command.first().toStdString());
        const Outcome r = run(exe, command);
        EXPECT_EQ(r.code, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("collegamento simbolico a un file che non esiste"))
            << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(elsewhere));
        EXPECT_TRUE(QFileInfo(link).isSymLink());
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), 2)
        << QDir(folder.path()).entryList(QDir::Files | QDir::System).join(' ').toStdString();
}

} // namespace
