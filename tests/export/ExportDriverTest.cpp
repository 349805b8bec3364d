#include "ExportTestSupport.h"
#include "export/FatturaWriter.h"
#include "store/Dataset.h"
#include "store/ProgramFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace brevalto {
namespace {

using namespace test;
using Outcome = ExportDriver::Outcome;

const QString kSaved = "ITRSSMRA80A01H501U_00001.xml";

class ExportDriverTest : public ::testing::Test {
protected:
    Outcome run(int doc) {
        a.select(doc);
        ExportDriver driver(a.data, prompt);
        return driver.run();
    }
    QStringList filesIn(const QString& dir) {
        return QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    ExportArchive a;
    ScriptedPrompt prompt;
};

// The name follows the transmitter the file carries, whatever the firm's record holds.
TEST_F(ExportDriverTest, ProposedFileName) {
    const struct {
        const char* country;
        const char* taxCode;
        QVariant progressive;
        const char* expected;
    } cases[] = {
        {"IT", "abc123def", "12", "ITABC123DEF_00012.xml"},
        {"IT", "RSSMRA80A01H501U", "7", "ITRSSMRA80A01H501U_00007.xml"},
        {"IT", "RSSMRA80A01H501U", "123456", "ITRSSMRA80A01H501U_12345.xml"},
        {"IT", "RSSMRA80A01H501U", "", "ITRSSMRA80A01H501U_00000.xml"},
        {"IT", "RSSMRA80A01H501U", QVariant(), "ITRSSMRA80A01H501U_00000.xml"},
        {"it", "x", "1", "itX_00001.xml"}, // the country code as stored
        {"IT", "", "1", "IT_00001.xml"},
    };
    a.db().exec("update Ditta set IdPaese = 'IT', CodFisc = '01234567890'");
    for (const auto& c : cases) {
        const int doc = a.addDocument({{"DatiTrasmissione_IdPaese", c.country},
                                       {"DatiTrasmissione_IdCodice", c.taxCode},
                                       {"DatiTrasmissione_ProgressivoInvio", c.progressive}});
        a.select(doc);
        EXPECT_EQ(ExportDriver(a.data, prompt).proposedFileName(), c.expected);
    }
}

// The dialog's title, name and filter; its folder is the preferred one only when it exists.
TEST_F(ExportDriverTest, SaveDialogAndItsFolder) {
    const int doc = scenarioNoOptionalBlock(a);
    const QString preferred = a.folder.file("esportazioni");
    QDir().mkpath(preferred);
    const struct {
        QString setting;
        QString expectedFolder;
    } cases[] = {
        {preferred, preferred},
        {"", programFolder()},
        {a.folder.file("non-esiste"), programFolder()},
    };
    for (const auto& c : cases) {
        a.db().exec("update opzioni set CartellaEsportazioneDocumenti = ?", {c.setting});
        prompt.clear();
        prompt.answerSaveFile(QString()); // cancelled
        EXPECT_EQ(run(doc), Outcome::Cancelled);
        ASSERT_EQ(prompt.calls().size(), 1);
        const ScriptedPrompt::Call& dialog = prompt.calls().first();
        EXPECT_EQ(dialog.kind, ScriptedPrompt::Kind::SaveFile);
        EXPECT_EQ(dialog.title, "Scegli il file xml");
        EXPECT_EQ(dialog.fileName, "ITRSSMRA80A01H501U_00001.xml");
        EXPECT_EQ(dialog.filter, "Archivi Xml (*.xml)");
        EXPECT_EQ(dialog.folder, c.expectedFolder);
    }
    EXPECT_FALSE(a.exported(doc));
    EXPECT_EQ(filesIn(preferred), QStringList());
}

TEST_F(ExportDriverTest, SuccessWritesTheFileThenMarksTheDocument) {
    const int doc = scenarioNoOptionalBlock(a);
    const int other = scenarioNoOptionalBlock(a);
    prompt.answerSaveFile(a.folder.file(kSaved));
    EXPECT_EQ(run(doc), Outcome::Written);
    EXPECT_TRUE(QFileInfo::exists(a.folder.file(kSaved)));
    ASSERT_EQ(prompt.messages(), QStringList({ExportDriver::kSuccessMessage}));
    EXPECT_EQ(prompt.calls().last().title, "Messaggio di avviso");
    EXPECT_EQ(
        ExportDriver::kSuccessMessage,
        QString::fromUtf8("Fattura esportata con successo ! Adesso è necessario verificarla sul "
                          "sito ministeriale eppoi apporre la firma digitale al documento "
                          "prima inviarlo tramite PEC !"));
    EXPECT_TRUE(a.exported(doc));
    EXPECT_TRUE(a.data.table("TablePA_FE_Header").flag("Esportato"));
    EXPECT_FALSE(a.exported(other));
}

// The export reads the lines itself, one at a time; afterwards the lines dataset still gives
// those of the body the export ended on, as every other dataset of the body does.
TEST_F(ExportDriverTest, AfterAnExportTheLinesAreThoseOfTheLastBody) {
    const int doc = a.addDocument();
    a.addCompleteBody(doc, {{"DatiGenerali_Numero", "1"}});
    const int second = a.addCompleteBody(doc, {{"DatiGenerali_Numero", "2"}});
    a.addLine(second, 2);
    a.select(doc);
    a.data.requeryBodyChildren(); // the first body's rows, as the register holds them
    prompt.answerSaveFile(a.folder.file(kSaved));
    ExportDriver driver(a.data, prompt);
    ASSERT_EQ(driver.run(), Outcome::Written);

    for (const char* name : {"TablePA_FE_Body_DatiBeniServizi_DettaglioLinee",
                             "TablePA_FE_Body_DatiBeniServizi_DatiRiepilogo"}) {
        SCOPED_TRACE(name);
        const Dataset& rows = a.data.table(name);
        ASSERT_FALSE(rows.isEmpty());
        for (int r = 0; r < rows.rowCount(); ++r)
            EXPECT_EQ(rows.valueAt(r, rows.columnIndex("PA_FE_Body_Id")).toInt(), second);
    }
    EXPECT_EQ(a.data.table("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee").rowCount(), 2);
}

// A name the exchange system would refuse, proposed or chosen, is never written: the reason is
// shown and the Document stays as it was.
TEST_F(ExportDriverTest, ANameThatBreaksTheNamingRuleIsNotWritten) {
    const int doc = scenarioNoOptionalBlock(a);
    for (const char* chosen : {"ITRSSMRA80A01H501U_00001", "fattura.xml", "IT01234567890_00001.xml",
                               "ITRSSMRA80A01H501U_000001.xml"}) {
        SCOPED_TRACE(chosen);
        prompt.clear();
        prompt.answerSaveFile(a.folder.file(chosen));
        EXPECT_EQ(run(doc), Outcome::Aborted);
        ASSERT_EQ(prompt.messages().size(), 1);
        EXPECT_TRUE(prompt.messages().first().startsWith(
            QString("Il file non è stato scritto: il Sistema di Interscambio lo scarterebbe per il "
                    "nome.\n\nNome file \"%1\" non valido")
                .arg(chosen)))
            << prompt.messages().first().toStdString();
    }
    // Without the transmitter's code the name is refused before anything is asked.
    a.update("PA_FE_Header", "id", doc, {{"DatiTrasmissione_IdCodice", ""}});
    prompt.clear();
    EXPECT_EQ(run(doc), Outcome::Aborted);
    ASSERT_EQ(prompt.calls().size(), 1);
    EXPECT_TRUE(prompt.messages().first().contains("\"IT_00001.xml\" non valido"));
    EXPECT_TRUE(prompt.messages().first().contains("Manca il Codice Fiscale del trasmittente"));
    EXPECT_EQ(filesIn(a.folder.path()).filter(".xml"), QStringList());
    EXPECT_FALSE(a.exported(doc));
}

// An exported Document going to another file asks first, saying when and where it went; the
// same file again only asks to replace it.
TEST_F(ExportDriverTest, ASecondExportSaysWhenAndWhereTheFirstWent) {
    const int doc = scenarioNoOptionalBlock(a);
    const QString first = a.folder.file(kSaved);
    QDir().mkpath(a.folder.file("altra"));
    const QString second = a.folder.file("altra/" + kSaved);
    prompt.answerSaveFile(first);
    ASSERT_EQ(run(doc), Outcome::Written);
    const QDateTime when = a.read("PA_FE_Header", "id", doc, "DataEsportazione").toDateTime();
    EXPECT_LE(qAbs(when.secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_EQ(a.read("PA_FE_Header", "id", doc, "FileEsportazione").toString(),
              QDir::toNativeSeparators(first));
    const QString question =
        QString("La fattura è già stata esportata il %1 alle %2 nel file %3.\n\nUn file già "
                "inviato al Sistema di Interscambio viene scartato se inviato di nuovo. "
                "Esportarla ancora?")
            .arg(when.toString("dd/MM/yyyy"), when.toString("HH:mm"),
                 QDir::toNativeSeparators(first));

    // Another folder: asked, No by default; No writes nothing.
    prompt.clear();
    prompt.answerSaveFile(second);
    prompt.answerQuestion(false);
    EXPECT_EQ(run(doc), Outcome::Cancelled);
    ASSERT_EQ(prompt.calls().size(), 2);
    EXPECT_EQ(prompt.calls()[1].kind, ScriptedPrompt::Kind::Question);
    EXPECT_EQ(prompt.calls()[1].text, question);
    EXPECT_FALSE(QFileInfo::exists(second));

    // The same file: only the question about replacing it.
    prompt.clear();
    prompt.answerSaveFile(first);
    prompt.answerQuestion(true);
    EXPECT_EQ(run(doc), Outcome::Written);
    EXPECT_EQ(prompt.calls()[1].text, ExportDriver::kOverwriteQuestion);

    // Yes: written, and the record follows the new file.
    prompt.clear();
    prompt.answerSaveFile(second);
    prompt.answerQuestion(true);
    EXPECT_EQ(run(doc), Outcome::Written);
    EXPECT_TRUE(QFileInfo::exists(second));
    EXPECT_EQ(a.read("PA_FE_Header", "id", doc, "FileEsportazione").toString(),
              QDir::toNativeSeparators(second));

    // A Document marked exported by an older program: said without a date or a file.
    a.update("PA_FE_Header", "id", doc,
             {{"DataEsportazione", QVariant()}, {"FileEsportazione", QVariant()}});
    prompt.clear();
    prompt.answerSaveFile(a.folder.file("altra/ITRSSMRA80A01H501U_00002.xml"));
    prompt.answerQuestion(false);
    EXPECT_EQ(run(doc), Outcome::Cancelled);
    EXPECT_TRUE(prompt.calls()[1].text.startsWith(
        "La fattura è già stata esportata (quando e in quale file non è registrato)."));
}

TEST_F(ExportDriverTest, OverwriteQuestion) {
    const int doc = scenarioNoOptionalBlock(a);
    const QString path = a.makeFile(kSaved, "vecchio");

    prompt.answerSaveFile(path);
    prompt.answerQuestion(false);
    EXPECT_EQ(run(doc), Outcome::Cancelled);
    EXPECT_EQ(prompt.calls().last().text, "Il file e' gia' presente ! Sovrascriverlo ?");
    EXPECT_EQ(prompt.calls().last().title, "Messaggio di avviso");
    EXPECT_EQ(readFile(path), "vecchio");
    EXPECT_FALSE(a.exported(doc));

    prompt.clear();
    prompt.answerSaveFile(path);
    prompt.answerQuestion(true);
    EXPECT_EQ(run(doc), Outcome::Written);
    EXPECT_TRUE(readFile(path).startsWith("<?xml"));
    EXPECT_TRUE(a.exported(doc));
}

TEST_F(ExportDriverTest, NoBodies) {
    const int doc = a.addDocument();
    EXPECT_EQ(run(doc), Outcome::Aborted);
    ASSERT_EQ(prompt.calls().size(), 1) << "no dialog after the message";
    EXPECT_EQ(prompt.calls().first().text,
              "Inserire il corpo della fattura prima di poter procedere!");
    EXPECT_EQ(prompt.calls().first().title, "Messaggio di avviso");
    EXPECT_FALSE(a.exported(doc));
}

// A fault in the second body stops everything: no file (an old one survives, nothing is left
// beside it), no flag. The first body is long enough that part of the file has gone to disk when
// the fault is met.
TEST_F(ExportDriverTest, AFaultyBodyAbortsTheWholeExport) {
    enum Fault { NoLines, NoSummaries, MissingAttachment };
    const struct {
        Fault fault;
        QString message;
    } cases[] = {
        {NoLines, "Attenzione mancano le Righe di dettaglio della fattura! Prego inserirle"},
        {NoSummaries, "Attenzione mancano le Righe di riepilogo della fattura! Prego inserirle"},
        {MissingAttachment, QString::fromUtf8("Attenzione non è più presente il file allegato : ") +
                                a.folder.file("sparito.pdf")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        const int doc = a.addDocument();
        const int first = a.addCompleteBody(doc, {{"DatiGenerali_Numero", "1"}});
        a.db().inTransaction([&] {
            for (int i = 2; i <= 600; ++i)
                a.addLine(first, i, {{"Descrizione", QString(200, QLatin1Char('x'))}});
        });
        const int second = a.addBody(doc, {{"DatiGenerali_Numero", "2"}});
        if (c.fault != NoLines)
            a.addLine(second, 1);
        if (c.fault != NoSummaries)
            a.addSummary(second);
        if (c.fault == MissingAttachment)
            a.add("PA_FE_Body_Allegati", {{"PA_FE_Body_Id", second},
                                          {"NomeAttachment", "sparito.pdf"},
                                          {"PercorsoCompleto", a.folder.file("sparito.pdf")}});

        const QString fresh = a.folder.file("ITRSSMRA80A01H501U_00002.xml");
        const QString old = a.makeFile("ITRSSMRA80A01H501U_00003.xml", "contenuto precedente");
        for (const QString& path : {fresh, old}) {
            prompt.clear();
            prompt.answerSaveFile(path);
            if (path == old)
                prompt.answerQuestion(true);
            EXPECT_EQ(run(doc), Outcome::Aborted);
            ASSERT_EQ(prompt.messages(), QStringList({c.message}));
            EXPECT_EQ(prompt.calls().last().title, "Messaggio di avviso");
        }
        EXPECT_FALSE(QFileInfo::exists(fresh));
        EXPECT_EQ(readFile(old), "contenuto precedente");
        EXPECT_EQ(QDir(a.folder.path()).entryList({"*.xml*"}, QDir::Files | QDir::Hidden),
                  QStringList({"ITRSSMRA80A01H501U_00003.xml"}));
        EXPECT_FALSE(a.exported(doc));
        EXPECT_FALSE(a.data.table("TablePA_FE_Header").flag("Esportato"));
    }
}

// Text XML cannot carry stops the export with a message rather than writing a broken file.
TEST_F(ExportDriverTest, ControlCharactersAbortTheExport) {
    const int doc = a.addDocument();
    const int body = a.addBody(doc);
    a.addLine(body, 1, {{"Descrizione", QString("Riga") + QChar(0x0B) + "x"}});
    a.addSummary(body);
    prompt.answerSaveFile(a.folder.file(kSaved));
    EXPECT_EQ(run(doc), Outcome::Aborted);
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_TRUE(prompt.messages().first().contains("DettaglioLinee/Descrizione"))
        << prompt.messages().first().toStdString();
    EXPECT_TRUE(prompt.messages().first().contains("U+000B"));
    EXPECT_FALSE(QFileInfo::exists(a.folder.file(kSaved)));
    EXPECT_FALSE(a.exported(doc));
}

// A failed write is reported as an error and leaves the flag as it was.
TEST_F(ExportDriverTest, AFolderThatDoesNotExist) {
    const int doc = scenarioNoOptionalBlock(a);
    prompt.answerSaveFile(a.folder.file("manca/" + kSaved));
    EXPECT_EQ(run(doc), Outcome::Failed);
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_EQ(prompt.calls().last().title, "Messaggio di errore");
    EXPECT_TRUE(prompt.messages().first().contains(kSaved));
    EXPECT_FALSE(a.exported(doc));
}

TEST_F(ExportDriverTest, AFolderWithoutWritePermission) {
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, whom folder permissions do not stop";
    const int doc = scenarioNoOptionalBlock(a);
    const QString locked = a.folder.file("sola-lettura");
    QDir().mkpath(locked);
    const QString old = locked + "/" + kSaved;
    QFile::copy(a.makeFile("tmp", "vecchio"), old);
    QFile(locked).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    prompt.answerSaveFile(old);
    prompt.answerQuestion(true);
    const Outcome outcome = run(doc);
    QFile(locked).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(outcome, Outcome::Failed);
    EXPECT_EQ(prompt.calls().last().title, "Messaggio di errore");
    EXPECT_EQ(readFile(old), "vecchio");
    EXPECT_FALSE(a.exported(doc));
}

// A disk that fills up while the file is written: the old file survives whole, nothing is left
// beside it, the flag is untouched. The file-size limit stands in for the full disk: a file well
// past it, and a small one whose whole text would have waited in a buffer until the file was
// closed; with the pre-send check (which writes the text it checked) and without.
TEST_F(ExportDriverTest, AFullDiskKeepsTheOldFile) {
    const struct {
        int lines;
        rlim_t limit;
        ExportDriver::CheckMode check;
    } cases[] = {
        {400, 32 * 1024, ExportDriver::CheckMode::Skip},
        {1, 1024, ExportDriver::CheckMode::Skip},
        {1, 1024, ExportDriver::CheckMode::Ask},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        const int doc = a.addDocument();
        const int body = a.addBody(doc);
        a.db().inTransaction([&] {
            for (int i = 1; i <= c.lines; ++i)
                a.addLine(body, i, {{"Descrizione", QString(100, QLatin1Char('x'))}});
        });
        a.addSummary(body);
        a.select(doc); // the archive is read before the limit

        const QString dir = a.folder.file("uscita");
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        const QString path = dir + "/fattura.xml";
        QFile::copy(a.makeFile("tmp", "vecchio"), path);

        struct rlimit before {};
        getrlimit(RLIMIT_FSIZE, &before);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = before;
        limit.rlim_cur = c.limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        prompt.clear();
        prompt.answerQuestion(true); // write in spite of the check's findings, if any
        ExportDriver driver(a.data, prompt);
        driver.setCheckMode(c.check);
        const Outcome outcome = driver.exportTo(path);
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_EQ(outcome, Outcome::Failed);
        ASSERT_FALSE(prompt.messages().isEmpty());
        EXPECT_TRUE(prompt.messages().last().startsWith("Impossibile scrivere il file") &&
                    prompt.messages().last().endsWith("il file supera la dimensione consentita"))
            << prompt.messages().last().toStdString();
        EXPECT_EQ(prompt.calls().last().title, "Messaggio di errore");
        EXPECT_EQ(readFile(path), "vecchio");
        EXPECT_EQ(filesIn(dir), QStringList({"fattura.xml"}));
        EXPECT_FALSE(a.exported(doc));
    }
}

} // namespace
} // namespace brevalto

namespace brevalto {
namespace {

using namespace test;

// The Document's row held elsewhere when it is to be marked exported: the file is not written
// (the old one at the path stays), nothing is left beside it and the Document stays unmarked,
// in the archive and on the screen; once the row is free the same export goes through. Plain,
// checked and signed exports take the same path.
TEST(ExportDriverMark, ARowThatCannotBeMarkedLeavesNoFile) {
    ExportArchive a;
    ScriptedPrompt prompt;
    const int doc = scenarioNoOptionalBlock(a);
    const QString path = a.makeFile(kSaved, "vecchio");
    for (const ExportDriver::CheckMode mode :
         {ExportDriver::CheckMode::Skip, ExportDriver::CheckMode::Refuse}) {
        refuseRows(a.db(), "PA_FE_Header", "UPDATE", {}, "riga bloccata");
        a.select(doc);
        ExportDriver driver(a.data, prompt);
        driver.setCheckMode(mode);
        EXPECT_EQ(driver.exportTo(path, false), Outcome::Failed);
        EXPECT_TRUE(driver.lastMessage().contains("non è stato scritto"))
            << driver.lastMessage().toStdString();
        EXPECT_TRUE(driver.lastMessage().contains("riga bloccata"));
        EXPECT_EQ(readFile(path), "vecchio");
        EXPECT_EQ(QDir(a.folder.path()).entryList(QDir::Files).filter(kSaved),
                  QStringList({kSaved}));
        EXPECT_FALSE(a.exported(doc));
        EXPECT_FALSE(a.data.table("TablePA_FE_Header").flag("Esportato"));
        EXPECT_EQ(a.data.table("TablePA_FE_Header").state(), Dataset::State::Browse);
        stopRefusingRows(a.db(), "PA_FE_Header");
    }
    ExportDriver driver(a.data, prompt);
    EXPECT_EQ(driver.exportTo(path, false), Outcome::Written);
    EXPECT_TRUE(a.exported(doc));
    EXPECT_NE(readFile(path), "vecchio");
}

} // namespace
} // namespace brevalto
