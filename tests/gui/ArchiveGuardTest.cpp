// What start-up and the upgrade program do with archives that must not be used as they are: an
// empty file or another program's database, a damaged file, an archive of a newer program, and an
// archive another workstation is writing to.
#include "ShellFixture.h"

#include "masterdata/MasterBrowsers.h"
#include "store/ArchiveCheck.h"
#include "store/ArchiveUpgrade.h"
#include "store/DamageCheck.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

using namespace brevalto;
using brevalto::test::ShellTest;

namespace {

QByteArray hashOf(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Runs UpgradeDb on the program folder; returns its exit code and leaves what it printed.
int runUpgradeDb(const QString& home, QString* output) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("BREVALTO_HOME", home);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(BREVALTO_BINARY_DIR "/UpgradeDb"), {});
    process.waitForFinished(60000);
    *output = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitCode();
}

} // namespace

// A 0-byte file or a database of another program is neither upgraded nor opened: it is said,
// and the file stays exactly as it was.
TEST_F(ShellTest, AnEmptyOrForeignDatabaseIsRefusedAndLeftUntouched) {
    struct Case {
        const char* name;
        QString makeSql; // empty: a 0-byte file
    };
    const QList<Case> cases = {
        {"vuoto", QString()},
        {"estraneo", "CREATE TABLE clienti (id INTEGER PRIMARY KEY, nome TEXT)"},
        {"solo opzioni", "CREATE TABLE opzioni (VerBaseDati INTEGER)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(defaultArchive());
        writeFile(defaultArchive(), QByteArray());
        if (!c.makeSql.isEmpty())
            sql(defaultArchive(), c.makeSql);
        const QByteArray before = hashOf(defaultArchive());
        prompt.clear();
        started.clear();

        EXPECT_FALSE(start());
        ASSERT_EQ(prompt.calls().size(), 1);
        EXPECT_EQ(prompt.calls()[0].title, Prompt::errorTitle());
        EXPECT_TRUE(prompt.calls()[0].text.contains("non contiene un archivio del programma"))
            << prompt.calls()[0].text.toStdString();
        EXPECT_TRUE(started.isEmpty()) << "never handed to the upgrade program";
        EXPECT_FALSE(dm().connessione().isOpen());
        stop();

        if (QFile::exists(QStringLiteral(BREVALTO_BINARY_DIR "/UpgradeDb"))) {
            QString output;
            EXPECT_EQ(runUpgradeDb(folder.path(), &output), 1);
            EXPECT_TRUE(output.contains("non contiene un archivio del programma"))
                << output.toStdString();
        }
        EXPECT_EQ(hashOf(defaultArchive()), before);
    }
}

// One page overwritten in a copy: the damage check, which runs while start-up goes on, says the
// archive is damaged and closes it; nothing is written to it and, when asked, a recovered copy is
// made in a new file beside it.
TEST_F(ShellTest, ADamagedArchiveIsNotUsedAndARecoveredCopyIsOffered) {
    const QString archive = makeArchive();
    sql(archive, "UPDATE Ditta SET RagSoc = 'Ditta Recuperata Srl'");
    const qint64 pageSize = scalar(archive, "PRAGMA page_size").toLongLong();
    const qint64 pages = scalar(archive, "PRAGMA page_count").toLongLong();
    {
        QFile f(archive);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(pageSize * (pages / 2));
        f.write(QByteArray(int(pageSize), '\x5a'));
    }
    EXPECT_NE(scalar(archive, "PRAGMA integrity_check").toString(), "ok");
    const QByteArray before = hashOf(archive);

    prompt.answerQuestion(true);
    start();
    screens->damageCheck().wait();
    ASSERT_EQ(prompt.calls().size(), 2);
    EXPECT_TRUE(prompt.calls()[0].text.contains("è danneggiato"))
        << prompt.calls()[0].text.toStdString();
    EXPECT_TRUE(prompt.calls()[0].text.contains("copia di sicurezza"));
    EXPECT_TRUE(prompt.calls()[1].text.contains("Copia recuperata scritta in"))
        << prompt.calls()[1].text.toStdString();
    EXPECT_FALSE(dm().table("TableDitta").isOpen());
    stop();
    EXPECT_EQ(hashOf(archive), before) << "the damaged file is only read";

    const QStringList recovered =
        QDir(folder.path()).entryList({"archivioPa-recuperato-*.mdb"}, QDir::Files);
    ASSERT_EQ(recovered.size(), 1);
    const QString copy = folder.file(recovered[0]);
    EXPECT_EQ(scalar(copy, "PRAGMA integrity_check").toString(), "ok");
    EXPECT_EQ(scalar(copy, "SELECT RagSoc FROM Ditta").toString(), "Ditta Recuperata Srl");
    EXPECT_GT(scalar(copy, "SELECT count(*) FROM sqlite_master WHERE type = 'table'").toInt(), 60);

    // Declining leaves nothing new beside the archive.
    prompt.clear();
    prompt.answerQuestion(false);
    start();
    screens->damageCheck().wait();
    EXPECT_EQ(prompt.calls().size(), 1);
    EXPECT_FALSE(dm().connessione().isOpen());
    stop();
    EXPECT_EQ(QDir(folder.path()).entryList({"*recuperato*"}, QDir::Files).size(), 1);
    EXPECT_EQ(hashOf(archive), before);
}

// An archive updated by a newer program opens with a warning and for reading only.
TEST_F(ShellTest, ANewerArchiveIsReadButNeverWritten) {
    const QString archive = makeArchive();
    sql(archive,
        QStringLiteral("UPDATE opzioni SET VerBaseDati = %1").arg(requiredArchiveVersion + 1));
    sql(archive, "UPDATE Ditta SET RagSoc = 'Futura Srl'");
    const QByteArray before = hashOf(archive);

    ASSERT_TRUE(start());
    ASSERT_EQ(prompt.calls().size(), 1);
    EXPECT_EQ(prompt.calls()[0].title, Prompt::warningTitle());
    EXPECT_TRUE(prompt.calls()[0].text.startsWith(
        "L'archivio è stato aggiornato da una versione più recente del programma"));
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(window().windowTitle(), "Brevalto - Futura Srl") << "the data are shown";
    try {
        dm().connessione().exec("UPDATE Ditta SET RagSoc = 'Altra'");
        ADD_FAILURE() << "a write went through";
    } catch (const DbError& e) {
        EXPECT_EQ(e.kind(), DbError::Kind::ReadOnly);
        EXPECT_TRUE(e.text().contains("sola lettura")) << e.text().toStdString();
    }
    stop();
    EXPECT_EQ(hashOf(archive), before);
}

// Another workstation holds the write lock: the first start on this computer does not wait to
// store its grid layouts, and opens with every dataset.
TEST_F(ShellTest, StartUpDoesNotWaitForAnotherWorkstationsWrite) {
    const QString archive = makeArchive();
    Connection other;
    other.open(archive);
    other.begin();
    other.exec("UPDATE Ditta SET RagSoc = 'In scrittura'");

    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(start());
    EXPECT_LT(timer.elapsed(), 4000) << "start-up waited for the lock";
    EXPECT_TRUE(prompt.calls().isEmpty());
    for (const Dataset* d : dm().sharedDatasets())
        EXPECT_TRUE(d->isOpen() || d->isDeferred()) << d->name().toStdString();
    other.rollback();
    stop();

    // The next start, with the archive free, stores a list's layout when the list is first made.
    ASSERT_TRUE(start());
    screens->get<CessionariBrowser>();
    EXPECT_GT(scalar(archive, "SELECT count(*) FROM griglie").toInt(), 0);
}
