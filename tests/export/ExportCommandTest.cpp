#include "export/ExportCommand.h"
#include "ExportTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace brevalto {
namespace {

using namespace test;

// Runs the command on the test's archive (closed first, as another process would find it) and
// keeps what it printed.
class ExportCommandTest : public ::testing::Test {
protected:
    int run(QStringList args) {
        a.data.closeAllDatasets();
        a.db().close();
        std::FILE* outFile = std::tmpfile();
        std::FILE* errFile = std::tmpfile();
        const int code = runExportCommand(args, outFile, errFile);
        out = readAndClose(outFile);
        err = readAndClose(errFile);
        a.db().open(archive);
        return code;
    }
    QStringList base(int numero) {
        return {"--archive", archive, "--document", QString::number(numero)};
    }
    int numero(int doc) { return a.read("PA_FE_Header", "id", doc, "Numero").toInt(); }

    ExportArchive a;
    QString archive = a.db().path();
    QString out;
    QString err;
};

TEST_F(ExportCommandTest, WritesTheDefaultNameInThePreferredFolder) {
    const int doc = scenarioTwoBodies(a);
    const QString preferred = a.folder.file("esportazioni");
    QDir().mkpath(preferred);
    a.db().exec("update opzioni set CartellaEsportazioneDocumenti = ?", {preferred});

    // The two bodies' summaries do not add up: the pre-send check is not what this is about.
    EXPECT_EQ(run(base(numero(doc)) << "--no-check"), 0) << err.toStdString();
    const QString expected = QDir(preferred).absoluteFilePath("ITRSSMRA80A01H501U_00001.xml");
    // The path written, then each body's attached file.
    const QStringList lines = out.split('\n');
    ASSERT_EQ(lines.size(), 3) << out.toStdString();
    EXPECT_EQ(lines[0], expected);
    EXPECT_TRUE(lines[1].startsWith("Allegato: corpo1.txt (")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("Allegato: corpo2.txt (")) << lines[2].toStdString();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    const QDomDocument x = parseXml(readFile(expected));
    EXPECT_EQ(textsAt(x, "FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/Numero"),
              QStringList({"1", "2"}));
    EXPECT_TRUE(a.exported(doc));
}

TEST_F(ExportCommandTest, WithoutAPreferredFolderWritesInTheCurrentOne) {
    const int doc = scenarioNoOptionalBlock(a);
    const QString work = a.folder.file("lavoro");
    QDir().mkpath(work);
    const QString before = QDir::currentPath();
    QDir::setCurrent(work);
    const int code = run(base(numero(doc)));
    QDir::setCurrent(before);
    EXPECT_EQ(code, 0) << err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(work + "/ITRSSMRA80A01H501U_00001.xml"));
}

TEST_F(ExportCommandTest, AnExistingFileIsReplacedOnlyWithForce) {
    const int doc = scenarioNoOptionalBlock(a);
    const QString path = a.makeFile("ITRSSMRA80A01H501U_00009.xml", "vecchio");
    EXPECT_NE(run(base(numero(doc)) << "--out" << path), 0);
    EXPECT_TRUE(err.contains("--force")) << err.toStdString();
    EXPECT_EQ(readFile(path), "vecchio");
    EXPECT_FALSE(a.exported(doc));

    EXPECT_EQ(run(base(numero(doc)) << "--out" << path << "--force"), 0) << err.toStdString();
    EXPECT_EQ(out, QFileInfo(path).absoluteFilePath());
    EXPECT_TRUE(readFile(path).startsWith("<?xml"));
    EXPECT_TRUE(a.exported(doc));
}

// An abort prints the screen's message, writes nothing and leaves the flag.
TEST_F(ExportCommandTest, AbortsPrintTheScreensMessage) {
    const int empty = a.addDocument();
    const int noLines = a.addDocument();
    a.addBody(noLines);
    const QString path = a.folder.file("ITRSSMRA80A01H501U_00009.xml");

    EXPECT_NE(run(base(numero(empty)) << "--out" << path), 0);
    EXPECT_EQ(err, "Inserire il corpo della fattura prima di poter procedere!");
    EXPECT_NE(run(base(numero(noLines)) << "--out" << path), 0);
    EXPECT_EQ(err, "Attenzione mancano le Righe di dettaglio della fattura! Prego inserirle");
    EXPECT_TRUE(out.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(a.exported(noLines));
}

// A customer's name from the archive with terminal control sequences (a new window title,
// colours) and a NUL: the message that quotes it shows the codes escaped and goes out whole.
TEST_F(ExportCommandTest, ControlCodesFromTheArchiveArePrintedEscaped) {
    const int doc = scenarioNoOptionalBlock(a);
    // A server's texts cannot hold a NUL; an archive file's can.
    const QString nul = onServer() ? QString() : QString(QChar(0));
    const QString name =
        QStringLiteral("Beta\x1b]0;titolo\x07\x1b[31mSpa") + nul + QStringLiteral("\u009b2J fine");
    a.db().exec("update PA_FE_Header set CessionarioCommittente_Denominazione = ? where id = ?",
                {name, doc});
    EXPECT_NE(run(base(numero(doc)) << "--out" << a.folder.file("ITRSSMRA80A01H501U_00009.xml")),
              0);
    EXPECT_FALSE(err.contains(QChar(0x1b))) << err.toStdString();
    EXPECT_FALSE(err.contains(QChar(0x9b)));
    EXPECT_TRUE(err.contains("Beta\\x1b]0;titolo\\x07\\x1b[31mSpa" +
                             QString(nul.isEmpty() ? "" : "\\x00") + "\\u009b2J fine"))
        << err.toStdString();
    EXPECT_TRUE(err.endsWith("Correggerlo prima di esportare.")) << err.toStdString();
}

// An attachment path comes from the archive, which anyone with the folder may have written: a
// file of the system's virtual file systems (the process's environment, a device) or anything
// but a regular file is refused, also behind a symbolic link, and nothing is written; every file
// attached is named with its size and where it was read.
TEST_F(ExportCommandTest, AttachmentsAreRegularFilesAndEveryOneIsNamed) {
    const QString fifo = a.folder.file("tubo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString toEnviron = a.folder.file("ambiente.txt");
    QFile::link("/proc/self/environ", toEnviron);
    const QString contract = a.makeFile("contratto.pdf", "%PDF-1.4 prova");
    const QString toContract = a.folder.file("collegamento.pdf");
    QFile::link(contract, toContract);

    const struct {
        QString path;
        const char* says; // empty: attached
    } cases[] = {
        {"/proc/self/environ", "/proc"},
        {toEnviron, "/proc"},
        {"/dev/zero", "/dev"},
        {"/sys/kernel/uevent_seqnum", "/sys"},
        {fifo, "non è un file ordinario"},
        {a.folder.file("sparito.pdf"), "non è più presente"},
        {toContract, ""},
        {"/etc/passwd", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const int doc = a.addDocument();
        const int body = a.addCompleteBody(doc);
        a.add("PA_FE_Body_Allegati", {{"PA_FE_Body_Id", body},
                                      {"NomeAttachment", "allegato.txt"},
                                      {"PercorsoCompleto", c.path}});
        const QString path = a.folder.file("ITRSSMRA80A01H501U_00009.xml");
        QFile::remove(path);
        const int code = run(base(numero(doc)) << "--out" << path << "--no-check");
        if (*c.says) {
            EXPECT_NE(code, 0);
            EXPECT_TRUE(err.contains(QString::fromUtf8(c.says))) << err.toStdString();
            EXPECT_FALSE(QFileInfo::exists(path));
            EXPECT_FALSE(a.exported(doc));
            continue;
        }
        EXPECT_EQ(code, 0) << err.toStdString();
        const QString real = QFileInfo(c.path).canonicalFilePath();
        const QStringList lines = out.split('\n');
        ASSERT_EQ(lines.size(), 2) << out.toStdString();
        EXPECT_EQ(lines[1], QStringLiteral("Allegato: allegato.txt (%1 byte) %2")
                                .arg(QFileInfo(real).size())
                                .arg(real));
        const QDomDocument x = parseXml(readFile(path));
        EXPECT_EQ(textsAt(x, "FatturaElettronicaBody/Allegati/Attachment"),
                  QStringList({QString::fromLatin1(readFile(real).toBase64())}));
    }
}

TEST_F(ExportCommandTest, TheDocumentNumberMustNameOneDocument) {
    const int doc = scenarioNoOptionalBlock(a);
    const int twin = a.addDocument({{"Numero", numero(doc)}});
    a.addCompleteBody(twin);

    EXPECT_NE(run(base(numero(doc))), 0);
    EXPECT_TRUE(err.contains(QString::fromUtf8("ambiguo"))) << err.toStdString();
    EXPECT_NE(run(base(999)), 0);
    EXPECT_TRUE(err.contains("Nessun documento")) << err.toStdString();
    EXPECT_NE(run({"--archive", archive, "--document", "uno"}), 0);
    EXPECT_TRUE(err.contains("non è valido")) << err.toStdString();
    EXPECT_FALSE(a.exported(doc));
}

TEST_F(ExportCommandTest, WrongCommandLines) {
    const QList<QStringList> cases = {
        {},
        {"--archive", archive},
        {"--document", "1"},
        {"--archive", archive, "--document"},
        {"--archive", archive, "--document", "1", "--colore", "blu"},
    };
    for (const QStringList& args : cases) {
        EXPECT_EQ(run(args), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(err.contains("Uso: brevalto export")) << err.toStdString();
    }
    EXPECT_NE(run({"--archive", a.folder.file("manca.mdb"), "--document", "1"}), 0);
    EXPECT_TRUE(err.contains("manca.mdb")) << err.toStdString();
    EXPECT_EQ(run({"--archive", archive, "--document", "1", "--out", ""}), 2);
    EXPECT_TRUE(err.contains("Indicare il file da scrivere con --out")) << err.toStdString();
    const int doc = scenarioNoOptionalBlock(a);
    EXPECT_EQ(run(base(numero(doc)) << "--out" << a.folder.path() << "--force"), 1);
    EXPECT_TRUE(err.contains("è una cartella")) << err.toStdString();
    EXPECT_FALSE(a.exported(doc));
}

// The file written is never the archive it is read from, --force or not.
TEST_F(ExportCommandTest, TheArchiveIsNeverTheFileWritten) {
    SKIP_ON_SERVER("l'archivio è un file");
    const int doc = scenarioNoOptionalBlock(a);
    const QByteArray before = readFile(archive);
    EXPECT_EQ(run(base(numero(doc)) << "--out" << archive << "--force"), 1);
    EXPECT_TRUE(err.contains("è l'archivio")) << err.toStdString();
    EXPECT_TRUE(readFile(archive) == before);
    EXPECT_FALSE(a.exported(doc));
}

} // namespace
} // namespace brevalto

namespace brevalto {
namespace {

using namespace test;

// Several Documents at once: a list with ranges, or every Document not yet exported, into one
// folder, with one summary. A number of a range no Document has (deleted) is passed over.
TEST_F(ExportCommandTest, ExportsAListOrEveryPendingDocumentIntoAFolder) {
    QList<int> docs;
    for (int n = 1; n <= 6; ++n) {
        docs << a.addDocument();
        const int body = a.addBody(docs.last(), {{"DatiGenerali_Numero", QString::number(n)}});
        a.addLine(body, 1, n == 3 ? QVariantMap{{"PrezzoTotale", 150.0}} : QVariantMap{});
        a.addSummary(body);
    }
    a.db().exec("delete from PA_FE_Header where Numero = 4");
    const QString folder = a.folder.file("mese");
    QDir().mkpath(folder);
    const auto name = [&](int n) {
        return QDir(folder).absoluteFilePath(
            QStringLiteral("ITRSSMRA80A01H501U_%1.xml").arg(n, 5, 10, QLatin1Char('0')));
    };

    EXPECT_EQ(run({"--archive", archive, "--document", "1,2-3,5-6", "--out", folder}), 1);
    EXPECT_EQ(out.split('\n'), QStringList({name(1), name(2), name(5), name(6)}));
    EXPECT_TRUE(err.startsWith("Esporta xml: 5 documenti. Fatti: 4; saltati: 1; non riusciti: 0."))
        << err.toStdString();
    EXPECT_TRUE(err.contains("Documento n. 3: saltato: il controllo ha trovato 2 errori"))
        << err.toStdString();
    EXPECT_FALSE(a.exported(docs[2]));

    EXPECT_EQ(run({"--archive", archive, "--pending", "--out", folder, "--no-check"}), 0)
        << err.toStdString();
    EXPECT_EQ(out, name(3));
    EXPECT_TRUE(a.exported(docs[2]));
    EXPECT_EQ(run({"--archive", archive, "--pending", "--out", folder}), 0);
    EXPECT_EQ(err, "Nessun documento da esportare.");

    // Exported already: passed over, exported again only with --force.
    EXPECT_EQ(run({"--archive", archive, "--document", "1,2", "--out", folder}), 1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(err.contains("Documento n. 1: saltato: già esportato il")) << err.toStdString();
    EXPECT_EQ(run({"--archive", archive, "--document", "1,2", "--out", folder, "--force"}), 0);
    EXPECT_EQ(out.split('\n'), QStringList({name(1), name(2)}));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 5) << "no work file left";
    // A range far wider than the archive takes the numbers Documents have, without walking it.
    EXPECT_EQ(run({"--archive", archive, "--document", "5-2000000000", "--out", folder, "--force"}),
              0)
        << err.toStdString();
    EXPECT_EQ(out.split('\n'), QStringList({name(5), name(6)}));

    const struct {
        QStringList words;
        int code;
        const char* says;
    } wrong[] = {
        {{"--document", "3-1"}, 2, "non è valido"},
        {{"--document", "1,x"}, 2, "non è valido"},
        {{"--document", "1,", "--out", folder}, 2, "non è valido"},
        {{"--pending", "--document", "1"}, 2, "non entrambi"},
        {{"--document", "1,99", "--out", folder}, 1, "Nessun documento ha il numero 99."},
        {{"--pending", "--out", folder + "/manca"}, 0, "Nessun documento da esportare."},
        {{"--document", "1,2", "--out", folder + "/manca"}, 1, "non esiste"},
    };
    for (const auto& w : wrong) {
        EXPECT_EQ(run(QStringList{"--archive", archive} + w.words), w.code)
            << w.words.join(' ').toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(w.says))) << err.toStdString();
    }
}

} // namespace
} // namespace brevalto
