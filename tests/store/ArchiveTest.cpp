// Opening and creating archives, including every kind of bad file a user can point at.
#include "store/ArchiveCatalog.h"
#include "store/ArchiveCreator.h"
#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "store/DamageCheck.h"
#include "store/DataModule.h"
#include "store/Schema.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace brevalto;
using test::openError;

namespace {

QByteArray contentOf(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

TEST(ArchiveTest, BadFilesGiveAClearMessageAndStayUntouched) {
    SKIP_ON_SERVER("file mancanti, danneggiati o in sola lettura");
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
    if (!test::onServer()) { // a server lets everyone connect while a transaction runs
        other.execNative("BEGIN EXCLUSIVE");
        EXPECT_TRUE(openError(path, 200).contains("bloccato"))
            << openError(path, 200).toStdString();
        other.execNative("COMMIT");
    }

    Connection mine;
    mine.setBusyTimeout(200);
    mine.open(path);
    other.begin(); // another workstation holds the write lock
    EXPECT_THROW(mine.begin(), DbError);
    other.rollback();
    EXPECT_NO_THROW(mine.begin());
    mine.rollback();
}

// The shipped rows come with their keys: new rows get keys after them, on either engine.
TEST(ArchiveTest, NewRowsOfANewArchiveGetKeysAfterTheShippedOnes) {
    test::TempFolder folder;
    Connection c;
    c.open(test::copyOfNewArchive(folder));
    for (const char* table : {"Iva", "PA_ModalitaPagamento", "Comuni"}) {
        const int highest =
            c.scalar(
                 QString("select max(%1) from %2").arg(findTable(table)->autoNumberColumn(), table))
                .toInt();
        ASSERT_GT(highest, 0) << table;
        c.exec(QString("insert into %1 (Descrizione) values ('nuova')")
                   .arg(table)
                   .replace("Descrizione", QString(table) == "Comuni" ? "Comune" : "Descrizione"));
        EXPECT_GT(c.scalar("select @@IDENTITY").toInt(), highest) << table;
    }
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
    for (Dataset* d : db.sharedDatasets()) {
        // The big ones open when first asked for.
        EXPECT_EQ(d->isDeferred(), DataModule::onDemandDatasets().contains(d->name()))
            << d->name().toStdString();
        EXPECT_TRUE(db.table(d->name()).isOpen()) << d->name().toStdString();
    }
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

namespace {

// How SQLite would read one body's rows of a table: the query plan's text.
// The plan of reading the rows of one parent, in SQLite's words ("USING INDEX name", "SCAN"); a
// server's plan is told in the same words, the planner told to use an index whenever it can (on
// tables this small it would rather read them whole).
QString planOfBodyQuery(Connection& c, const QString& table, const QString& column) {
    const QString select = QStringLiteral("SELECT * FROM %1 WHERE %2 = '7'")
                               .arg(quoteIdentifier(table), quoteIdentifier(column));
    QStringList steps;
    if (c.isServer()) {
        c.execNative("SET enable_seqscan = off");
        QSqlQuery q = c.execNative("EXPLAIN " + select);
        static const QRegularExpression index("Index (?:Only )?Scan (?:using|on) (\\S+)");
        while (q.next()) {
            const QString line = q.value(0).toString();
            const QRegularExpressionMatch m = index.match(line);
            if (m.hasMatch())
                steps << "USING INDEX " + m.captured(1);
            else if (line.contains("Seq Scan"))
                steps << "SCAN";
        }
        c.execNative("RESET enable_seqscan");
        return steps.join(QLatin1String("; "));
    }
    QSqlQuery q = c.execNative("EXPLAIN QUERY PLAN " + select);
    while (q.next())
        steps << q.value(3).toString();
    return steps.join(QLatin1String("; "));
}

} // namespace

TEST(ArchiveTest, EveryParentKeyIsReadThroughAnIndex) {
    test::TempFolder folder;
    Connection c;
    c.open(test::copyOfNewArchive(folder));
    int bodyTables = 0;
    for (const TableDef& table : archiveSchema()) {
        // Every section of a body is read by body: none may be left without its index.
        if (table.column(QStringLiteral("PA_FE_Body_Id"))) {
            ++bodyTables;
            EXPECT_TRUE(table.indexed.contains(QStringLiteral("PA_FE_Body_Id")))
                << table.name.toStdString();
        }
        for (const QString& column : table.indexed) {
            ASSERT_NE(table.column(column), nullptr) << table.name.toStdString();
            const QString plan = planOfBodyQuery(c, table.name, column);
            EXPECT_TRUE(plan.contains(QStringLiteral("USING INDEX ") +
                                          indexName(table, column, c.dialect()),
                                      Qt::CaseInsensitive))
                << table.name.toStdString() << ": " << plan.toStdString();
        }
    }
    EXPECT_EQ(bodyTables, 25);
    EXPECT_TRUE(findTable("PA_FE_Body")->indexed.contains("PA_FE_Header_Id"));
}

TEST(ArchiveTest, UpgradeAddsTheIndexesToAnOlderArchiveKeepingItsRows) {
    test::TempFolder folder;
    const QString path = test::copyOfNewArchive(folder);
    Connection c;
    c.open(path);
    // An archive of version 2: the same tables, no index, a few rows of a Document.
    QStringList dropped;
    for (const QString& name : archiveIndexes(c)) {
        if (name.startsWith("ix_", Qt::CaseInsensitive))
            dropped << name.toLower();
    }
    ASSERT_FALSE(dropped.isEmpty());
    for (const QString& name : std::as_const(dropped))
        c.execNative("DROP INDEX " + quoteIdentifier(name));
    c.execNative("UPDATE opzioni SET VerBaseDati = 2");
    c.execNative("INSERT INTO PA_FE_Header (Numero) VALUES (4)");
    c.execNative("INSERT INTO PA_FE_Body (PA_FE_Header_Id, DatiGenerali_Numero) VALUES (1, 'A/1')");
    c.execNative("INSERT INTO PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id, "
                 "NumeroLinea, Descrizione, PrezzoTotale) VALUES (1, 1, 'Consulenza', 150.5)");
    const int comuni = c.scalar("SELECT count(*) FROM Comuni").toInt();
    EXPECT_TRUE(planOfBodyQuery(c, "PA_FE_Body", "PA_FE_Header_Id").contains("SCAN"));

    const UpgradeReport report = upgradeArchive(c);
    EXPECT_EQ(report.previousVersion, 2);
    EXPECT_EQ(report.version, requiredArchiveVersion);
    QSet<QString> added;
    for (const QString& name : report.indexesAdded)
        added << name.toLower();
    EXPECT_EQ(added, QSet<QString>(dropped.begin(), dropped.end()));
    EXPECT_TRUE(report.tablesAdded.isEmpty());
    EXPECT_TRUE(report.columnsAdded.isEmpty());
    EXPECT_TRUE(report.text().contains(QStringLiteral("Indici aggiunti: %1.").arg(dropped.size())))
        << report.text().toStdString();
    EXPECT_TRUE(planOfBodyQuery(c, "PA_FE_Body", "PA_FE_Header_Id")
                    .contains("USING INDEX ix_PA_FE_Body_PA_FE_Header_Id", Qt::CaseInsensitive));
    EXPECT_EQ(c.scalar("SELECT Numero FROM PA_FE_Header").toInt(), 4);
    EXPECT_EQ(
        c.scalar("SELECT DatiGenerali_Numero FROM PA_FE_Body WHERE PA_FE_Header_Id = 1").toString(),
        "A/1");
    EXPECT_DOUBLE_EQ(c.scalar("SELECT PrezzoTotale FROM PA_FE_Body_DatiBeniServizi_DettaglioLinee "
                              "WHERE PA_FE_Body_Id = 1")
                         .toDouble(),
                     150.5);
    EXPECT_EQ(c.scalar("SELECT count(*) FROM Comuni").toInt(), comuni);
    if (!c.isServer()) {
        EXPECT_EQ(c.scalar("PRAGMA integrity_check").toString(), "ok");
    }

    // A second run finds nothing to add.
    const UpgradeReport again = upgradeArchive(c);
    EXPECT_TRUE(again.indexesAdded.isEmpty());
    EXPECT_EQ(again.previousVersion, requiredArchiveVersion);
}

// The background damage check finds a page overwritten in the middle of the file, says nothing of
// a sound archive, and a check stopped before its report is delivered reports nothing.
TEST(ArchiveTest, TheBackgroundDamageCheckReportsOnlyDamageAndNothingOnceStopped) {
    SKIP_ON_SERVER("le pagine del file");
    test::TempFolder folder;
    const QString sound = test::copyOfNewArchive(folder, "sano.mdb");
    const QString damaged = test::copyOfNewArchive(folder, "rotto.mdb");
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(f.size() / 2 / 4096 * 4096);
        f.write(QByteArray(4096, '\x5a'));
    }
    DamageCheck check;
    QStringList reported;
    QObject::connect(&check, &DamageCheck::damageFound,
                     [&](const QString& path, const QStringList&) { reported << path; });

    check.start(sound);
    check.wait();
    EXPECT_TRUE(reported.isEmpty());
    check.start(damaged);
    check.wait();
    EXPECT_EQ(reported, QStringList{damaged});

    reported.clear();
    check.start(damaged);
    while (check.isRunning())
        QThread::msleep(5);
    check.stop(); // the report is waiting in the event queue
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(reported.isEmpty());
}
