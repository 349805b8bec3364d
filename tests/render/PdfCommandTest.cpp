#include "render/PdfCommand.h"
#include "../export/ExportTestSupport.h"
#include "RenderTestSupport.h"
#include "render/InvoiceRender.h"
#include "support/BoundedRun.h"
#include "support/HostileXml.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

using Result = CommandRun;

Result pdfCommand(const QStringList& args) {
    return runCommand(runPdfCommand, args);
}

class ScenarioPdf : public ::testing::TestWithParam<Scenario> {};

// Each export scenario: the command writes, from the archive, the PDF of the very file the export
// writes, and the values of that file are there to read.
TEST_P(ScenarioPdf, TheCommandPrintsWhatTheExportWrites) {
    ExportArchive a;
    const int doc = GetParam().build(a);
    a.select(doc);
    ScriptedPrompt prompt;
    const QString xmlPath = a.folder.file(QStringLiteral("out.xml"));
    ASSERT_EQ(a.exportTo(xmlPath, prompt), ExportDriver::Outcome::Written);
    const QByteArray xml = readFile(xmlPath);
    const QDomDocument dom = parseXml(xml);
    const QString numero = a.read("PA_FE_Header", "id", doc, "Numero").toString();
    const QString archive = a.db().path();
    a.data.closeAllDatasets();
    a.db().close();

    const QString pdfPath = a.folder.file(QStringLiteral("out.pdf"));
    const Result r = pdfCommand({"--archive", archive, "--document", numero, "--out", pdfPath});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("PDF scritto: ") + pdfPath));
    const QStringList pages = pdfPages(readFile(pdfPath));
    EXPECT_EQ(pages, pdfPages(render::renderInvoice(xml).document.pdf()));
    const QString text = pages.join(QLatin1Char(' '));

    QStringList expected;
    for (const char* path :
         {"FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/Numero",
          "FatturaElettronicaHeader/CedentePrestatore/DatiAnagrafici/Anagrafica/Denominazione",
          "FatturaElettronicaHeader/CessionarioCommittente/DatiAnagrafici/Anagrafica/Denominazione",
          "FatturaElettronicaHeader/CessionarioCommittente/DatiAnagrafici/Anagrafica/Cognome",
          "FatturaElettronicaHeader/DatiTrasmissione/CodiceDestinatario"})
        expected += textsAt(dom, QString::fromLatin1(path));
    for (const QString& amount :
         textsAt(dom, "FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee/PrezzoTotale") +
             textsAt(dom, "FatturaElettronicaBody/DatiBeniServizi/DatiRiepilogo/Imposta") +
             textsAt(dom,
                     "FatturaElettronicaBody/DatiPagamento/DettaglioPagamento/ImportoPagamento"))
        expected << render::italianAmount(amount);
    for (const QString& date : textsAt(
             dom, "FatturaElettronicaBody/DatiPagamento/DettaglioPagamento/DataScadenzaPagamento"))
        expected << render::italianDate(date);
    for (const QString& nature :
         textsAt(dom, "FatturaElettronicaBody/DatiBeniServizi/DatiRiepilogo/Natura"))
        expected << nature + QStringLiteral(" – ");
    ASSERT_FALSE(expected.isEmpty());
    for (const QString& e : expected)
        EXPECT_TRUE(text.contains(e)) << e.toStdString() << "\nin: " << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Export, ScenarioPdf, ::testing::ValuesIn(validScenarios()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PdfCommand, FilesSignedFilesAndWrongCommandLines) {
    TempFolder dir;
    const QByteArray xml = sample(QStringLiteral("IT01234567890_FPR01.xml"));
    const QString invoice = dir.file(QStringLiteral("IT01234567890_FPR01.xml"));
    {
        QFile f(invoice);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(xml.isEmpty()
                    ? QByteArray("<p:FatturaElettronica xmlns:p=\"x\"><FatturaElettronicaHeader/>"
                                 "</p:FatturaElettronica>")
                    : xml);
        QFile notes(dir.file(QStringLiteral("note.xml")));
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("<note>ciao</note>");
    }
    ASSERT_EQ(run(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", dir.file("key.pem"),
                   "-out", dir.file("cert.pem"), "-subj", "/CN=Anna Bianchi", "-days", "2"}),
              0);
    ASSERT_EQ(run(QStringLiteral("openssl"),
                  {"cms", "-sign", "-binary", "-nodetach", "-in", invoice, "-signer",
                   dir.file("cert.pem"), "-inkey", dir.file("key.pem"), "-outform", "DER", "-out",
                   invoice + ".p7m"}),
              0);
    const QString pdf = dir.file(QStringLiteral("copia.pdf"));
    struct Case {
        QStringList args;
        int code;
        const char* printed; // on stdout for 0, on stderr otherwise
    };
    const QList<Case> cases = {
        {{invoice, "--out", pdf}, 0, "PDF scritto: "},
        {{invoice + ".p7m", "--out", pdf}, 0, "Firmato da Anna Bianchi il "},
        {{"--help"}, 0, "Uso: brevalto pdf"},
        {{invoice}, 2, "Indicare il file PDF da scrivere con --out."},
        {{"--out", pdf}, 2, "Indicare il file della fattura."},
        {{invoice, invoice, "--out", pdf}, 2, "Indicare un solo file per volta."},
        {{invoice, "--archive", "a.mdb", "--document", "1", "--out", pdf}, 2, "non entrambi"},
        {{"--archive", "a.mdb", "--out", pdf},
         2,
         "Indicare il numero del documento con --document."},
        {{invoice, "--out", pdf, "--colore"}, 2, "Opzione sconosciuta: --colore"},
        {{invoice, "--out"}, 2, "Manca il valore di --out."},
        {{dir.file("manca.xml"), "--out", pdf}, 2, "non esiste"},
        {{dir.file("note.xml"), "--out", pdf}, 1, "non è una fattura elettronica"},
        {{invoice, "--out", dir.file("nessuna/cartella/copia.pdf")},
         1,
         "Impossibile scrivere il file"},
        {{"--archive", dir.file("manca.mdb"), "--document", "1", "--out", pdf}, 1, ""},
        {{invoice, "--out", invoice}, 1, "è quello da leggere"},
    };
    for (const Case& c : cases) {
        const Result r = pdfCommand(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << "\n" << r.err.toStdString();
        const QString printed = c.code == 0 ? r.out : r.err;
        EXPECT_TRUE(printed.contains(QString::fromUtf8(c.printed)))
            << c.args.join(' ').toStdString() << ": " << printed.toStdString();
    }
    EXPECT_TRUE(
        pdfCommand({invoice + ".p7m", "--out", pdf}).out.contains(QStringLiteral("firma integra")));
    EXPECT_TRUE(QFileInfo(pdf).size() > 1000);
    EXPECT_FALSE(QFileInfo::exists(dir.file("nessuna")));
}

// A signer's name is the certificate's text: terminal control sequences and a line break in it are
// printed escaped, on the summary's one line.
TEST(PdfCommand, ASignersNameIsPrintedEscaped) {
    TempFolder dir;
    const QString invoice = dir.file(QStringLiteral("IT01234567890_FPR01.xml"));
    {
        const QByteArray xml = sample(QStringLiteral("IT01234567890_FPR01.xml"));
        QFile f(invoice);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(xml.isEmpty()
                    ? QByteArray("<p:FatturaElettronica xmlns:p=\"x\"><FatturaElettronicaHeader/>"
                                 "</p:FatturaElettronica>")
                    : xml);
    }
    ASSERT_EQ(run(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", dir.file("key.pem"),
                   "-out", dir.file("cert.pem"), "-subj",
                   "/CN=Anna\x1b]0;titolo\x07\x1b[31m\nfirma integra", "-days", "2"}),
              0);
    ASSERT_EQ(run(QStringLiteral("openssl"),
                  {"cms", "-sign", "-binary", "-nodetach", "-in", invoice, "-signer",
                   dir.file("cert.pem"), "-inkey", dir.file("key.pem"), "-outform", "DER", "-out",
                   invoice + ".p7m"}),
              0);
    const Result r = pdfCommand({invoice + ".p7m", "--out", dir.file("copia.pdf")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n');
    ASSERT_EQ(lines.size(), 2) << r.out.toStdString();
    EXPECT_TRUE(
        lines[0].startsWith("Firmato da Anna\\x1b]0;titolo\\x07\\x1b[31m\\x0afirma integra il "))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("PDF scritto: ")) << lines[1].toStdString();
}

// A 4,000-character entity used 50,000 times in the number, and 100,000 nested elements: the
// command, limited to a gigabyte of address space and 20 seconds of processor, refuses each and
// writes no PDF.
TEST(PdfCommand, HostileFilesAreRefusedInBoundedMemoryAndTime) {
    const QString program = QStringLiteral(BREVALTO_BINARY_DIR "/brevalto");
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "the program is not built";
    TempFolder dir;
    struct Case {
        const char* name;
        QByteArray xml;
        const char* message;
    };
    for (const Case& c :
         {Case{"entity bomb", withEntityBomb(smallInvoice(), "Numero", 4000, 50000),
               "Il file non viene letto. Riga 2: dichiarazione <!DOCTYPE non ammessa"},
          Case{"deep nesting", withDeepNesting(smallInvoice(), "Numero", 100000),
               "Il file non viene letto. Riga 4: elementi annidati oltre 64 livelli"}}) {
        const QString file = dir.file(QStringLiteral("IT01234567890_00001.xml"));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.xml);
        f.close();
        const QString pdf = dir.file(QStringLiteral("copia.pdf"));
        const BoundedRun run = runBounded(program, {"pdf", file, "--out", pdf}, 1024, 20);
        EXPECT_TRUE(run.exited && run.exitCode == 1) << c.name << ": " << run.describe();
        EXPECT_TRUE(QString::fromUtf8(run.err).contains(QString::fromUtf8(c.message)))
            << c.name << ": " << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(pdf)) << c.name;
    }
}

// A signed file whose content was changed after signing is not printed as an ordinary invoice:
// no PDF unless asked for, and then its first page says so above everything else.
TEST(PdfCommand, ATamperedSignedFileSaysSoOnTheFirstPage) {
    TempFolder dir;
    const QString invoice = dir.file(QStringLiteral("IT01234567890_00017.xml"));
    {
        QFile f(invoice);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ligatureInvoice());
    }
    ASSERT_EQ(run(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", dir.file("key.pem"),
                   "-out", dir.file("cert.pem"), "-subj", "/CN=Anna Bianchi", "-days", "2"}),
              0);
    const QString intact = invoice + ".p7m";
    ASSERT_EQ(
        run(QStringLiteral("openssl"), {"cms", "-sign", "-binary", "-nodetach", "-in", invoice,
                                        "-signer", dir.file("cert.pem"), "-inkey",
                                        dir.file("key.pem"), "-outform", "DER", "-out", intact}),
        0);
    // One byte of the signed content changed: the amount 100.00 becomes 900.00.
    QByteArray bytes = readFile(intact);
    const qsizetype price = bytes.indexOf("<PrezzoTotale>100.00");
    ASSERT_GT(price, 0);
    bytes[price + qsizetype(strlen("<PrezzoTotale>"))] = '9';
    const QString tampered = dir.file(QStringLiteral("modificata.xml.p7m"));
    {
        QFile f(tampered);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    const QString warning =
        QStringLiteral("FIRMA NON INTEGRA: il contenuto è stato modificato dopo la firma");
    const QString pdf = dir.file(QStringLiteral("copia.pdf"));

    Result r = pdfCommand({tampered, "--out", pdf});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(warning)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("--even-if-tampered"))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(pdf));

    r = pdfCommand({tampered, "--out", pdf, "--even-if-tampered"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("firma non integra"))) << r.out.toStdString();
    QStringList pages = pdfPages(readFile(pdf));
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages[0].startsWith(warning)) << pages[0].toStdString();
    EXPECT_TRUE(pages[0].contains(QStringLiteral("900,00"))) << pages[0].toStdString();

    r = pdfCommand({intact, "--out", pdf});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    pages = pdfPages(readFile(pdf));
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_FALSE(pages.join(' ').contains(QStringLiteral("FIRMA NON INTEGRA")));
    EXPECT_TRUE(pdfCommand({"--help"}).out.contains(QStringLiteral("--even-if-tampered")));
}

} // namespace
} // namespace brevalto
