// The pre-send check on the export: every scenario the export writes passes it; the archive's
// own checks (reused progressive, reused number); the export's question and the command line's
// refusal; "brevalto check" on files, signed files and a Document.
#include "ExportTestSupport.h"
#include "export/CheckCommand.h"
#include "export/DocumentCheck.h"
#include "export/ExportCommand.h"
#include "export/FatturaWriter.h"
#include "export/IncludedBlocks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

QStringList codes(const check::Findings& findings) {
    QStringList list;
    for (const check::Finding& f : findings)
        list << f.code + u' ' + f.element;
    return list;
}

class ExportCheckScenarioTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(ExportCheckScenarioTest, ExportedFileHasNoFinding) {
    ExportArchive a;
    const int doc = GetParam().build(a);
    a.select(doc);
    const check::Findings findings = checkCurrentDocument(a.data);
    EXPECT_TRUE(findings.isEmpty()) << codes(findings).join('\n').toStdString() << "\n"
                                    << findingsText(findings).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ExportCheckScenarioTest, ::testing::ValuesIn(validScenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.name);
                         });

TEST(ArchiveCheck, ProgressiveReusedByAnotherExportedDocument) {
    ExportArchive a;
    const int first = a.addDocument({{"DatiTrasmissione_ProgressivoInvio", "12"}});
    a.addCompleteBody(first, {{"DatiGenerali_Numero", "1"}});
    const int second = a.addDocument({{"DatiTrasmissione_ProgressivoInvio", "00012"}});
    a.addCompleteBody(second, {{"DatiGenerali_Numero", "2"}});

    a.select(second);
    EXPECT_TRUE(archiveFindings(a.data).isEmpty()) << "the first one is not exported yet";
    a.update("PA_FE_Header", "id", first, {{"Esportato", true}});
    a.select(second);
    const check::Findings f = archiveFindings(a.data);
    ASSERT_EQ(f.size(), 1);
    EXPECT_EQ(f[0].code, "00002");
    EXPECT_EQ(f[0].element, "FatturaElettronicaHeader/DatiTrasmissione/ProgressivoInvio");
    // A Document exported again keeps its own progressive.
    a.select(first);
    EXPECT_TRUE(archiveFindings(a.data).isEmpty());
}

TEST(ArchiveCheck, NumberReusedInTheSameYearBySameSeller) {
    struct Case {
        const char* name;
        QVariantMap otherHeader;
        QVariantMap otherBody;
        bool duplicate;
        // The exchange system's messages about the other Document, in the order received.
        QStringList otherOutcomes = {};
    };
    const QList<Case> cases = {
        {"sameYear", {}, {{"DatiGenerali_Data", QDate(2024, 12, 31)}}, true},
        {"otherYear", {}, {{"DatiGenerali_Data", QDate(2023, 1, 15)}}, false},
        {"otherSeller", {{"CedentePrestatore_IdCodice", "11111111111"}}, {}, false},
        {"creditNoteAgainstInvoice", {}, {{"DatiGenerali_TipoDocumento", "TD04"}}, false},
        {"otherNumber", {}, {{"DatiGenerali_Numero", "8"}}, false},
        {"otherRejected", {}, {}, false, {"NS"}},
        {"otherRejectedThenDelivered", {}, {}, true, {"NS", "RC"}},
        {"otherDeliveredInTheReservedArea", {}, {}, true, {"MC"}},
    };
    for (const Case& c : cases) {
        ExportArchive a;
        const int other = a.addDocument(c.otherHeader);
        QVariantMap body{{"DatiGenerali_Numero", "7"}};
        body.insert(c.otherBody);
        a.addCompleteBody(other, body);
        for (const QString& type : c.otherOutcomes)
            a.add("SdI_Notifiche", {{"PA_FE_Header_Id", other},
                                    {"Tipo", type},
                                    {"IdentificativoSdI", "100"},
                                    {"MessageId", type}});
        const int doc = a.addDocument();
        a.addCompleteBody(doc, {{"DatiGenerali_Numero", "6"}});
        a.addCompleteBody(doc, {{"DatiGenerali_Numero", "7"}});
        a.select(doc);
        const check::Findings f = archiveFindings(a.data);
        if (!c.duplicate) {
            EXPECT_TRUE(f.isEmpty()) << c.name;
            continue;
        }
        ASSERT_EQ(f.size(), 1) << c.name;
        EXPECT_EQ(f[0].code, "00404");
        EXPECT_EQ(f[0].element,
                  "FatturaElettronicaBody[2]/DatiGenerali/DatiGeneraliDocumento/Numero");
        locateFields(const_cast<check::Findings&>(f));
        EXPECT_EQ(f[0].screen, "Corpo della fattura - Dati Generali");
        EXPECT_EQ(f[0].field, "Numero");
    }
}

// Data typed into a block whose "Includi" is not ticked never reach the file: the check says so
// as a warning naming the block; the file is still one the exchange system takes.
TEST(ArchiveCheck, DataLeftOutOfTheFileArePointedOut) {
    const QString leftOut = "contiene dati ma «Includi» non è spuntato: quei dati non saranno "
                            "nel file.";
    const struct {
        const char* what;
        QVariantMap header;
        QVariantMap body;
        QStringList expected; // element: message
    } cases[] = {
        {"seller's contacts",
         {{"CedentePrestatore_Iscrizione_Contatti", false},
          {"CedentePrestatore_Contatti_Email", "info@alfa.it"}},
         {},
         {"FatturaElettronicaHeader: Il blocco «Contatti del Cedente» " + leftOut}},
        {"transport",
         {},
         {{"DatiTrasporto", false}, {"NumeroColli", 3}},
         {"FatturaElettronicaBody[1]/DatiGenerali: Il blocco «Dati Trasporto» " + leftOut}},
        {"carrier inside a transport left out",
         {},
         {{"DatiTrasporto", false},
          {"DatiAnagraficiVettore", true},
          {"Vettore_Denominazione", "Rapidi"}},
         {"FatturaElettronicaBody[1]/DatiGenerali: Il blocco «Dati Vettore» contiene dati ma "
          "«Includi» di «Dati Trasporto» non è spuntato: quei dati non saranno nel file."}},
        {"transport included", {}, {{"DatiTrasporto", true}, {"NumeroColli", 3}}, {}},
        {"a country alone", {}, {{"DatiTrasporto", false}, {"Resa_Nazione", "IT"}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExportArchive a;
        const int doc = a.addDocument(c.header);
        a.addCompleteBody(doc, c.body);
        a.select(doc);
        QStringList found;
        for (const check::Finding& f : checkCurrentDocument(a.data)) {
            EXPECT_TRUE(isWarning(f)) << f.code.toStdString() << f.message.toStdString();
            found << f.element + ": " + f.message;
        }
        EXPECT_EQ(found, c.expected);
        // The command line's export still writes the file.
        ScriptedPrompt prompt;
        EXPECT_EQ(a.exportTo(a.folder.file("ITRSSMRA80A01H501U_00001.xml"), prompt,
                             ExportDriver::CheckMode::Refuse),
                  ExportDriver::Outcome::Written);
    }
}

// A document whose summary declares the wrong tax: 00421.
int documentWithWrongTax(ExportArchive& a) {
    const int doc = a.addDocument();
    const int body = a.addBody(doc, {{"DatiGenerali_Numero", "99"}});
    a.addLine(body, 1);
    a.addSummary(body, {{"Imposta", 21.0}});
    return doc;
}

TEST(ExportQuestion, FindingsAreShownAndTheFileWrittenOnlyOnYes) {
    ExportArchive a;
    const int doc = documentWithWrongTax(a);
    a.select(doc);
    const QString path = a.folder.file("out.xml");
    ScriptedPrompt prompt;
    prompt.answerQuestion(false);
    EXPECT_EQ(a.exportTo(path, prompt, ExportDriver::CheckMode::Ask),
              ExportDriver::Outcome::Cancelled);
    ASSERT_EQ(prompt.calls().size(), 1);
    EXPECT_EQ(prompt.calls()[0].kind, ScriptedPrompt::Kind::Question);
    EXPECT_TRUE(prompt.calls()[0].text.contains(
        "00421  FatturaElettronicaBody[1]/DatiBeniServizi/DatiRiepilogo[1]/Imposta: Imposta "
        "21,00 diversa"))
        << prompt.calls()[0].text.toStdString();
    EXPECT_TRUE(prompt.calls()[0].text.endsWith("Scrivere comunque il file?"));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(a.exported(doc));

    ScriptedPrompt yes;
    yes.answerQuestion(true);
    a.select(doc);
    EXPECT_EQ(a.exportTo(path, yes, ExportDriver::CheckMode::Ask), ExportDriver::Outcome::Written);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(a.exported(doc));
}

// The screen says which files leave with the invoice before it writes it, alone or after the
// findings; "No" writes nothing.
TEST(ExportQuestion, AttachedFilesAreListedBeforeTheFileIsWritten) {
    ExportArchive a;
    const QString contract = a.makeFile("contratto.pdf", "%PDF-1.4 prova");
    const QString listed = QStringLiteral("La fattura contiene questi file allegati:\n"
                                          "contratto.pdf (14 byte): %1")
                               .arg(QFileInfo(contract).canonicalFilePath());
    const int clean = a.addDocument();
    const int wrongTax = documentWithWrongTax(a);
    for (const int doc : {clean, wrongTax}) {
        SCOPED_TRACE(doc);
        const int body = doc == clean ? a.addCompleteBody(doc)
                                      : a.read("PA_FE_Body", "PA_FE_Header_Id", doc, "Id").toInt();
        a.add("PA_FE_Body_Allegati", {{"PA_FE_Body_Id", body},
                                      {"NomeAttachment", "contratto.pdf"},
                                      {"PercorsoCompleto", contract}});
        const QString path = a.folder.file(QStringLiteral("out%1.xml").arg(doc));
        for (const bool yes : {false, true}) {
            a.select(doc);
            ScriptedPrompt prompt;
            prompt.answerQuestion(yes);
            EXPECT_EQ(a.exportTo(path, prompt, ExportDriver::CheckMode::Ask),
                      yes ? ExportDriver::Outcome::Written : ExportDriver::Outcome::Cancelled);
            ASSERT_FALSE(prompt.calls().isEmpty());
            const QString question = prompt.calls()[0].text;
            EXPECT_TRUE(question.contains(listed)) << question.toStdString();
            EXPECT_EQ(question.contains("00421"), doc == wrongTax);
            EXPECT_EQ(QFileInfo::exists(path), yes);
        }
    }
}

// A file over the exchange system's 5 MB is refused for its size (00003) however the check runs:
// nothing is written, a file already at the path stays, the document stays unexported. Without
// the check it is written.
TEST(ExportQuestion, AFileOverFiveMegabytesIsNeverWritten) {
    ExportArchive a;
    // 4 MB attached: 5.3 MB of base64 in the file.
    QByteArray big(4 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 2654435761u) >> 24);
    const QString attached = a.makeFile("grande.bin", big);
    const int doc = a.addDocument();
    const int body = a.addCompleteBody(doc);
    a.add("PA_FE_Body_Allegati", {{"PA_FE_Body_Id", body},
                                  {"NomeAttachment", "grande.bin"},
                                  {"PercorsoCompleto", attached}});
    a.select(doc);
    const check::Findings findings = checkCurrentDocument(a.data);
    ASSERT_EQ(findings.size(), 1);
    EXPECT_EQ(findings[0].code, "00003");
    EXPECT_TRUE(findings[0].message.startsWith("Il file è di 5,3 MB: supera i 5 MB"))
        << findings[0].message.toStdString();

    const QString path = a.folder.file("out.xml");
    for (const auto mode : {ExportDriver::CheckMode::Ask, ExportDriver::CheckMode::Refuse}) {
        a.makeFile("out.xml", "prima");
        a.select(doc);
        ScriptedPrompt prompt;
        ExportDriver driver(a.data, prompt);
        driver.setCheckMode(mode);
        EXPECT_EQ(driver.exportTo(path, false), ExportDriver::Outcome::Aborted);
        ASSERT_EQ(driver.lastFindings().size(), 1);
        EXPECT_EQ(driver.lastFindings()[0].code, "00003");
        ASSERT_EQ(prompt.calls().size(), 1);
        EXPECT_TRUE(prompt.calls()[0].text.contains("00003  Il file è di 5,3 MB"));
        QFile kept(path);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), "prima");
        EXPECT_EQ(QDir(a.folder.path()).entryList(QDir::Files).filter("out").size(), 1);
        EXPECT_FALSE(a.exported(doc));
    }
    a.select(doc);
    ScriptedPrompt prompt;
    EXPECT_EQ(a.exportTo(path, prompt, ExportDriver::CheckMode::Skip),
              ExportDriver::Outcome::Written);
    EXPECT_GT(QFileInfo(path).size(), kMaxInvoiceFileSize);
}

// Runs a command on the test's archive (closed first, as another process would find it).
class CommandTest : public ::testing::Test {
protected:
    int run(CommandFunction command, const QStringList& args) {
        const CommandRun r = a.runOnClosedArchive(command, args);
        out = r.out;
        err = r.err;
        return r.code;
    }
    int numero(int doc) { return a.read("PA_FE_Header", "id", doc, "Numero").toInt(); }
    static int exportCommand(const QStringList& args, std::FILE* o, std::FILE* e) {
        return runExportCommand(args, o, e);
    }
    static int checkCommand(const QStringList& args, std::FILE* o, std::FILE* e) {
        return runCheckCommand(args, o, e);
    }

    ExportArchive a;
    QString archive = a.db().path();
    QString out;
    QString err;
};

TEST_F(CommandTest, ExportRefusesAFileWithFindingsUnlessNoCheck) {
    const int doc = documentWithWrongTax(a);
    const QString path = a.folder.file("ITRSSMRA80A01H501U_00001.xml");
    const QStringList args = {"--archive", archive, "--document", QString::number(numero(doc)),
                              "--out",     path};
    EXPECT_EQ(run(exportCommand, args), 1);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(out.startsWith(path + "\t00421\tFatturaElettronicaBody[1]/DatiBeniServizi/"
                                      "DatiRiepilogo[1]/Imposta\tImposta 21,00 diversa"))
        << out.toStdString();
    EXPECT_TRUE(err.contains("Il file non è stato scritto")) << err.toStdString();

    EXPECT_EQ(run(exportCommand, args + QStringList{"--no-check"}), 0) << err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST_F(CommandTest, CheckOfFilesPrintsOneLinePerFindingAndTellsByExitCode) {
    const int doc = scenarioNoOptionalBlock(a);
    a.select(doc);
    const QByteArray valid = buildInvoiceXml(a.data);
    const QString good = a.makeFile("IT01234567890_00001.xml", valid);
    QByteArray future = valid;
    future.replace("<Data>2024-01-15</Data>", "<Data>2024-03-01</Data>");
    const QString later = a.makeFile("IT01234567890_00002.xml", future);
    const QString badName = a.makeFile("fattura.xml", valid);

    EXPECT_EQ(run(checkCommand, {good}), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(run(checkCommand, {"--date", "2024-02-01", good, later}), 1);
    EXPECT_EQ(out, later + "\t00403\tFatturaElettronicaBody[1]/DatiGenerali/"
                           "DatiGeneraliDocumento/Data\tData 01/03/2024 successiva alla data di "
                           "oggi (01/02/2024): la fattura non può avere una data futura.");
    EXPECT_EQ(run(checkCommand, {"--date", "2024-03-01", later}), 0);
    EXPECT_EQ(run(checkCommand, {badName}), 1);
    EXPECT_TRUE(out.startsWith(badName + "\t00001\t\tNome file")) << out.toStdString();

    const QStringList wrong[] = {{},
                                 {"--date"},
                                 {"--date", "01/02/2024", good},
                                 {"--bogus", good},
                                 {"--archive", archive},
                                 {"--archive", archive, "--document", "1", good},
                                 {a.folder.file("manca.xml")},
                                 {a.makeFile("fattura.txt", valid)}};
    for (const QStringList& args : wrong) {
        EXPECT_EQ(run(checkCommand, args), 2) << args.join(' ').toStdString();
        EXPECT_FALSE(err.isEmpty());
    }
}

// A signed file is checked on its content exactly as the same file unsigned, in every form a
// signed file arrives in; a content changed after signing is one finding more, naming the signer.
TEST_F(CommandTest, CheckOfSignedFilesChecksTheirContent) {
    const int doc = scenarioNoOptionalBlock(a);
    a.select(doc);
    QByteArray xml = buildInvoiceXml(a.data);
    xml.replace("<Data>2024-01-15</Data>", "<Data>2024-03-01</Data>"); // a date after --date
    const QString plain = a.makeFile("IT01234567890_00002.xml", xml);
    const auto openssl = [&](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral("openssl"), args);
        p.waitForFinished(60000);
        EXPECT_EQ(p.exitCode(), 0)
            << args.join(' ').toStdString() << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput();
    };
    const QString key = a.folder.file("k.pem");
    const QString cert = a.folder.file("c.pem");
    openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-subj",
             "/CN=Giulia Neri", "-days", "2"});
    const QStringList sign = {"cms", "-sign",   "-binary", "-nodetach", "-in",
                              plain, "-signer", cert,      "-inkey",    key};
    const QByteArray der = openssl(sign + QStringList{"-outform", "DER"});
    // -stream writes BER with indefinite lengths, as the exchange system's own example has.
    const QByteArray ber = openssl(sign + QStringList{"-outform", "DER", "-stream"});
    ASSERT_TRUE(ber.startsWith("\x30\x80")) << "not BER with an indefinite length";
    const QByteArray pem = openssl(sign + QStringList{"-outform", "PEM"});
    QByteArray lines = der.toBase64();
    for (qsizetype i = 76; i < lines.size(); i += 78)
        lines.insert(i, "\r\n");
    QByteArray tampered = der;
    const qsizetype description = tampered.indexOf("<Descrizione>") + 13;
    ASSERT_GT(description, 13);
    tampered[description] = tampered[description] == 'X' ? 'Y' : 'X';

    ASSERT_EQ(run(checkCommand, {"--date", "2024-02-01", plain}), 1);
    const QString expected = out;
    ASSERT_TRUE(expected.contains("\t00403\t")) << expected.toStdString();
    struct Case {
        const char* form;
        QByteArray bytes;
        const char* signature; // the end of the state on the error output
    };
    for (const Case& c :
         {Case{"DER", der, "firma integra"}, Case{"BER", ber, "firma integra"},
          Case{"base64", der.toBase64(), "firma integra"},
          Case{"base64 in lines", lines, "firma integra"}, Case{"PEM", pem, "firma integra"},
          Case{"tampered", tampered, "firma non integra"}}) {
        QDir(a.folder.path()).mkdir(c.form);
        const QString path =
            a.makeFile(QString::fromUtf8(c.form) + "/IT01234567890_00002.xml.p7m", c.bytes);
        EXPECT_EQ(run(checkCommand, {"--date", "2024-02-01", path}), 1) << c.form;
        QString same = expected;
        same.replace(plain, path);
        if (c.bytes == tampered)
            same.prepend(path + "\t00102\t\tFirma di Giulia Neri non integra: il contenuto è stato "
                                "modificato dopo la firma, o la firma è danneggiata.\n");
        EXPECT_EQ(out, same) << c.form;
        EXPECT_TRUE(err.startsWith(path + ": Firmato da Giulia Neri il ")) << err.toStdString();
        EXPECT_TRUE(err.trimmed().endsWith(QString::fromUtf8(c.signature))) << err.toStdString();
    }
    // A signed file that cannot be opened cannot be read.
    const QString broken = a.makeFile("IT01234567890_00003.xml.p7m", der.left(der.size() / 2));
    EXPECT_EQ(run(checkCommand, {broken}), 2);
    EXPECT_TRUE(err.startsWith(broken + ": Il file non è un documento firmato leggibile"))
        << err.toStdString();
}

TEST_F(CommandTest, CheckOfADocumentWritesNothing) {
    const int clean = scenarioNoOptionalBlock(a);
    const int wrong = documentWithWrongTax(a);
    EXPECT_EQ(
        run(checkCommand, {"--archive", archive, "--document", QString::number(numero(clean))}), 0)
        << err.toStdString();
    EXPECT_EQ(
        run(checkCommand, {"--archive", archive, "--document", QString::number(numero(wrong))}), 1);
    EXPECT_TRUE(out.contains("\t00421\t")) << out.toStdString();
    EXPECT_FALSE(a.exported(wrong));
}

// The file is named after the transmitter the file carries: the check of a Document applies the
// naming rule to that name, and the export writes no file under a name that breaks it.
TEST_F(CommandTest, TheFileNameFollowsTheTransmitter) {
    const struct {
        const char* country;
        const char* code;
        const char* name; // the name the file would get
        bool valid;
    } cases[] = {
        {"IT", "rssmra80a01h501u", "ITRSSMRA80A01H501U_00001.xml", true},
        {"IT", "", "IT_00001.xml", false},
        {"IT", "RSS MRA", "ITRSS MRA_00001.xml", false},
        {"", "RSSMRA80A01H501U", "RSSMRA80A01H501U_00001.xml", false},
    };
    // The firm's record says nothing about the name any more.
    a.db().exec("update Ditta set CodFisc = '', IdPaese = 'IT'");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int doc = scenarioNoOptionalBlock(a);
        a.update("PA_FE_Header", "id", doc,
                 {{"DatiTrasmissione_IdPaese", c.country},
                  {"DatiTrasmissione_IdCodice", c.code},
                  {"DatiTrasmissione_ProgressivoInvio", "1"}});
        const QStringList document = {"--archive", archive, "--document",
                                      QString::number(numero(doc))};
        EXPECT_EQ(run(checkCommand, document), c.valid ? 0 : 1) << out.toStdString();
        if (!c.valid) {
            EXPECT_TRUE(out.startsWith(QString(c.name) + "\t00001\t\tNome file"))
                << out.toStdString();
        }

        const QString work = a.folder.file(QString(c.name) + "-cartella");
        QDir().mkpath(work);
        const QString before = QDir::currentPath();
        QDir::setCurrent(work);
        const int code = run(exportCommand, document);
        QDir::setCurrent(before);
        EXPECT_EQ(code, c.valid ? 0 : 1) << err.toStdString();
        EXPECT_EQ(QDir(work).entryList(QDir::Files), c.valid ? QStringList{c.name} : QStringList());
        EXPECT_EQ(a.exported(doc), c.valid);
        if (!c.valid) {
            EXPECT_TRUE(err.startsWith("Il file non è stato scritto")) << err.toStdString();
        }
        a.update("PA_FE_Header", "id", doc, {{"Esportato", true}}); // out of the next case's way
    }

    // A name of one's choosing must carry the same transmitter.
    const int doc = scenarioNoOptionalBlock(a);
    const QStringList document = {"--archive", archive, "--document", QString::number(numero(doc))};
    for (const char* name : {"fattura.xml", "IT01234567890_00001.xml"}) {
        const QString path = a.folder.file(name);
        EXPECT_EQ(run(exportCommand, document + QStringList{"--out", path, "--no-check"}), 1);
        EXPECT_TRUE(out.startsWith(path + "\t00001\t")) << out.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path));
    }
    EXPECT_FALSE(a.exported(doc));
    const QString right = a.folder.file("ITRSSMRA80A01H501U_A0001.xml");
    EXPECT_EQ(run(exportCommand, document + QStringList{"--out", right, "--no-check"}), 0)
        << err.toStdString();
    EXPECT_TRUE(a.exported(doc));
}

} // namespace
} // namespace brevalto
