// Opening and creating archives, including every kind of bad file a user can point at.
#include "store/ArchiveCreator.h"
#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "store/DataModule.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace brevalto;

namespace {

QString openError(const QString& path, int busyTimeout = 8000) {
    Connection c;
    c.setBusyTimeout(busyTimeout);
    try {
        c.open(path);
    } catch (const DbError& e) {
        EXPECT_FALSE(c.isOpen());
        return e.text();
    }
    return {};
}

QByteArray contentOf(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

TEST(ArchiveTest, BadFilesGiveAClearMessageAndStayUntouched) {
    test::TempFolder folder;
    EXPECT_TRUE(openError(folder.path()).contains("cartella"));
    EXPECT_TRUE(openError(folder.file("manca.mdb")).contains("Impossibile trovare"));

    const QString text = folder.file("testo.mdb");
    {
        QFile f(text);
        f.open(QIODevice::WriteOnly);
        f.write("Questo non è un archivio, solo del testo qualsiasi.\n");
    }
    EXPECT_TRUE(openError(text).contains("non è un archivio"));
    EXPECT_EQ(contentOf(text), QByteArray("Questo non è un archivio, solo del testo qualsiasi.\n"));

    const QString damaged = test::copyOfNewArchive(folder, "rotto.mdb");
    {
        QFile f(damaged);
        f.open(QIODevice::ReadWrite);
        f.seek(100);
        f.write(QByteArray(4096, '\xff'));
    }
    const QByteArray before = contentOf(damaged);
    EXPECT_FALSE(openError(damaged).isEmpty());
    EXPECT_EQ(contentOf(damaged), before);

    if (getuid() != 0) { // root can write anything, so the check means nothing there
        const QString readOnly = test::copyOfNewArchive(folder, "sola.mdb");
        QFile::setPermissions(readOnly, QFile::ReadOwner);
        EXPECT_TRUE(openError(readOnly).contains("sola lettura"));
    }
}

TEST(ArchiveTest, ALockedArchiveIsReportedNotHung) {
    test::TempFolder folder;
    const QString path = test::copyOfNewArchive(folder);
    Connection other;
    other.open(path);
    other.execNative("BEGIN EXCLUSIVE");
    EXPECT_TRUE(openError(path, 200).contains("bloccato")) << openError(path, 200).toStdString();

    Connection mine;
    mine.setBusyTimeout(200);
    other.execNative("COMMIT");
    mine.open(path);
    other.begin(); // another workstation holds the write lock
    EXPECT_THROW(mine.begin(), DbError);
    other.rollback();
    EXPECT_NO_THROW(mine.begin());
    mine.rollback();
}

TEST(ArchiveTest, TransactionsNestAndRollBackWhole) {
    test::TempFolder folder;
    Connection c;
    c.open(test::copyOfNewArchive(folder));
    EXPECT_THROW(c.inTransaction([&] {
        c.exec("insert into Vettori (Denominazione) values ('A')");
        c.inTransaction([&] { c.exec("insert into Vettori (Denominazione) values ('B')"); });
        c.exec("insert into NoSuchTable values (1)");
    }),
                 DbError);
    EXPECT_EQ(c.scalar("select count(*) from Vettori").toInt(), 0);
    EXPECT_EQ(c.transactionDepth(), 0);
}

TEST(ArchiveTest, EverySharedDatasetOpensOnANewArchive) {
    test::TempFolder folder;
    DataModule db;
    db.connessione().open(test::copyOfNewArchive(folder));
    EXPECT_EQ(db.sharedDatasets().size(), 61);
    db.openAllDatasets();
    for (Dataset* d : db.sharedDatasets())
        EXPECT_TRUE(d->isOpen()) << d->name().toStdString();
    EXPECT_EQ(db.table("TableComuni").rowCount(), 7894);
    EXPECT_EQ(db.table("TableOpzioni").integer("VerBaseDati"), requiredArchiveVersion);
    EXPECT_EQ(db.table("TableDitta").text("IdPaese"), "IT");
    db.setComputerName("");
    EXPECT_EQ(db.computerName(), "SenzaNome");
    db.setComputerName("POSTAZIONE-UFFICIO-7");
    EXPECT_EQ(db.computerName(), "POSTAZIONE-UFFI");
}

TEST(ArchiveTest, CreateArchiveCommandRefusesToOverwrite) {
    test::TempFolder folder;
    const QString exe = QStringLiteral(BREVALTO_BINARY_DIR "/brevalto");
    if (!QFile::exists(exe))
        GTEST_SKIP() << "brevalto executable not built";
    const QString path = folder.file("nuovo.mdb");
    QProcess p;
    p.start(exe, {"create-archive", path});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    const QByteArray created = contentOf(path);
    p.start(exe, {"create-archive", path});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("esiste già"));
    EXPECT_EQ(contentOf(path), created);
    p.start(exe, {"create-archive", folder.file("manca/nuovo.mdb")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_NE(p.exitCode(), 0);
}

} // namespace
