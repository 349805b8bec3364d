// The readable invoice on screen: "Anteprima" of a Document of the archive (the file the export
// would write, never written) with "Salva PDF"; "Apri fattura…" of a received file, signed or not,
// with its check and its attachments; refused files said in a message.
#include "documents/InvoiceViewer.h"
#include "../export/ExportTestSupport.h"
#include "../render/RenderTestSupport.h"
#include "../sdi/SigningTestSupport.h"
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "export/FatturaWriter.h"
#include "render/PdfCommand.h"
#include "sdi/Signer.h"
#include "store/Prompt.h"
#include "support/BoundedRun.h"
#include "support/HostileXml.h"
#include "ui/ScreenHost.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <cstdio>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

class InvoiceViewerTest : public ::testing::Test {
protected:
    void SetUp() override { setPrompt(&prompt); }
    void TearDown() override {
        setPrompt(nullptr);
        setModalShower({});
    }
    // Shows the next modal screen to check, then closes it.
    void onViewer(std::function<void(InvoiceViewer&)> check) {
        setModalShower([this, check](QDialog& screen) {
            auto* viewer = qobject_cast<InvoiceViewer*>(&screen);
            EXPECT_NE(viewer, nullptr);
            if (viewer) {
                ++shown;
                check(*viewer);
            }
            return int(QDialog::Accepted);
        });
    }
    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(folder.file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    void sign(const QString& in, const QString& out) {
        const auto openssl = [](const QStringList& args) {
            QProcess p;
            p.start(QStringLiteral("openssl"), args);
            p.waitForFinished(30000);
            return p.exitCode();
        };
        ASSERT_EQ(openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                           folder.file("k.pem"), "-out", folder.file("c.pem"), "-subj",
                           "/CN=Luca Verdi", "-days", "2"}),
                  0);
        ASSERT_EQ(openssl({"cms", "-sign", "-binary", "-nodetach", "-in", in, "-signer",
                           folder.file("c.pem"), "-inkey", folder.file("k.pem"), "-outform", "DER",
                           "-out", out}),
                  0);
    }

    ScriptedPrompt prompt;
    TempFolder folder;
    int shown = 0;
};

TEST_F(InvoiceViewerTest, AnteprimaShowsTheDocumentAndSavesItsPdf) {
    ExportArchive a;
    const int doc = scenarioTwoBodies(a);
    a.select(doc);
    BodyRegister reg(a.data);
    Dataset& bodies = a.data.table("TablePA_Body");
    bodies.moveTo(1);
    const QVariant current = bodies.value("Id");
    const QString pdf = folder.file("copia.pdf");
    onViewer([&](InvoiceViewer& viewer) {
        EXPECT_TRUE(viewer.invoice().title.startsWith(QStringLiteral("Fattura n. ")));
        viewer.preview()->updatePreview();
        EXPECT_GE(viewer.preview()->pageCount(), 1);
        prompt.answerSaveFile(pdf);
        viewer.findChild<QPushButton*>("spdSalvaPdf")->click();
    });
    reg.button("spdAnteprima")->click();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(bodies.value("Id"), current) << "the user stays on their body";
    ASSERT_FALSE(prompt.calls().isEmpty());
    EXPECT_EQ(prompt.calls().last().title, InvoiceViewer::kPdfDialogTitle);
    EXPECT_TRUE(prompt.calls().last().fileName.endsWith(QStringLiteral(".pdf")));
    EXPECT_TRUE(readFile(pdf).startsWith("%PDF"));
    EXPECT_FALSE(a.exported(doc)) << "a preview is not an export";
    EXPECT_TRUE(QDir(a.folder.path()).entryList({"*.xml"}).isEmpty());
}

TEST_F(InvoiceViewerTest, AnteprimaOfAnIncompleteDocumentSaysWhy) {
    ExportArchive a;
    const int doc = a.addDocument();
    a.addBody(doc);
    a.select(doc);
    BodyRegister reg(a.data);
    onViewer([](InvoiceViewer&) {});
    reg.anteprima();
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(prompt.calls().size(), 1);
    EXPECT_EQ(prompt.calls()[0].text, fattura::kNoLinesMessage);
}

TEST_F(InvoiceViewerTest, ApriFatturaShowsASignedFileWithItsCheckAndAttachments) {
    ExportArchive a;
    const int doc = scenarioNoOptionalBlock(a);
    a.select(doc);
    ScriptedPrompt exportPrompt;
    ASSERT_EQ(a.exportTo(folder.file("IT01234567890_00001.xml"), exportPrompt),
              ExportDriver::Outcome::Written);
    QByteArray xml = readFile(folder.file("IT01234567890_00001.xml"));
    // A received file: a total that does not match (a finding) and a report attached.
    const qsizetype total = xml.indexOf("<PrezzoTotale>");
    ASSERT_GT(total, 0);
    xml.insert(total + qsizetype(strlen("<PrezzoTotale>")), "9");
    xml.replace("</FatturaElettronicaBody>",
                "<Allegati><NomeAttachment>../rapporto.txt</NomeAttachment><Attachment>" +
                    QByteArray("rapporto di intervento").toBase64() +
                    "</Attachment></Allegati></FatturaElettronicaBody>");
    const QString plain = write("IT01234567890_00001.xml", xml);
    sign(plain, plain + ".p7m");
    const QString saved = folder.file("rapporto.txt");
    onViewer([&](InvoiceViewer& viewer) {
        EXPECT_TRUE(viewer.signatureLabel()->isVisibleTo(&viewer));
        EXPECT_TRUE(viewer.signatureLabel()->text().startsWith(
            QStringLiteral("Firmato da Luca Verdi il ")));
        EXPECT_TRUE(viewer.signatureLabel()->text().contains(QStringLiteral("— firma integra\n")));
        ASSERT_GE(viewer.findingsTable()->rowCount(), 1);
        bool totalFinding = false;
        for (int row = 0; row < viewer.findingsTable()->rowCount(); ++row)
            totalFinding |= viewer.findingsTable()->item(row, 1)->text().endsWith(
                QStringLiteral("PrezzoTotale"));
        EXPECT_TRUE(totalFinding);
        ASSERT_EQ(viewer.attachmentList()->count(), 1);
        prompt.answerSaveFile(saved);
        viewer.findChild<QPushButton*>("spdSalvaAllegato")->click();
        EXPECT_EQ(prompt.calls().last().fileName, QStringLiteral("rapporto.txt"));
    });
    prompt.answerOpenFile(plain + ".p7m");
    apriFattura(&a.data, nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(readFile(saved), QByteArray("rapporto di intervento"));

    // The exported file itself, unsigned: no signature line, and the check finds nothing.
    onViewer([&](InvoiceViewer& viewer) {
        EXPECT_FALSE(viewer.signatureLabel()->isVisibleTo(&viewer));
        EXPECT_FALSE(
            pdfPages(viewer.invoice().document.pdf()).join(' ').contains("Firma digitale"));
        EXPECT_EQ(viewer.findingsTable()->rowCount(), 0);
        EXPECT_TRUE(viewer.checkLabel()->text().endsWith(QStringLiteral("Nessun errore rilevato")));
        EXPECT_TRUE(viewer.attachmentList()->isHidden());
    });
    ASSERT_EQ(a.exportTo(folder.file("IT01234567890_00001.xml"), exportPrompt),
              ExportDriver::Outcome::Written);
    showInvoiceFile(folder.file("IT01234567890_00001.xml"), nullptr, nullptr);
    EXPECT_EQ(shown, 2);
}

// A signed file changed after signing: the window says so in large letters, and the copy saved
// from it says so first thing on its first page.
TEST_F(InvoiceViewerTest, ATamperedSignedFileIsSaidAboveThePreviewAndInTheCopy) {
    const QString plain = write("IT01234567890_00017.xml", ligatureInvoice());
    sign(plain, plain + ".p7m");
    QByteArray bytes = readFile(plain + ".p7m");
    const qsizetype name = bytes.indexOf("Officina Raffinata");
    ASSERT_GT(name, 0);
    bytes[name] = 'A';
    const QString tampered = write("IT01234567890_00017.xml.p7m", bytes);
    const QString warning =
        QStringLiteral("FIRMA NON INTEGRA: il contenuto è stato modificato dopo la firma");
    const QString pdf = folder.file("copia.pdf");
    onViewer([&](InvoiceViewer& viewer) {
        EXPECT_TRUE(viewer.signatureLabel()->isVisibleTo(&viewer));
        EXPECT_TRUE(viewer.signatureLabel()->text().startsWith(warning + "\nFirmato da Luca Verdi"))
            << viewer.signatureLabel()->text().toStdString();
        EXPECT_TRUE(
            viewer.signatureLabel()->text().contains(QStringLiteral("— firma non integra\n")));
        // The exchange system would reject it for that first.
        ASSERT_GE(viewer.findingsTable()->rowCount(), 1);
        EXPECT_EQ(viewer.findingsTable()->item(0, 0)->text(), QStringLiteral("00102"));
        EXPECT_TRUE(viewer.findingsTable()->item(0, 2)->text().contains("Luca Verdi"));
        prompt.answerSaveFile(pdf);
        viewer.findChild<QPushButton*>("spdSalvaPdf")->click();
    });
    prompt.answerOpenFile(tampered);
    apriFattura(nullptr, nullptr);
    ASSERT_EQ(shown, 1);
    const QStringList pages = pdfPages(readFile(pdf));
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages[0].startsWith(warning)) << pages[0].toStdString();
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Afficina Raffinata")));
}

// A file the program signed with a certificate an authority issued: the window, its copy and the
// pdf command's copy say on the first page who signed it and when, the certificate's issuer and
// validity, and whether the signature matches the content.
TEST_F(InvoiceViewerTest, ASignedFileShowsItsSignerAndCertificateOnThePage) {
    const TestCertificate authority = makeCertificate(
        folder, "ca", {.commonName = "Alfa Firma Qualificata CA", .validToDays = 3650});
    const TestCertificate mario = makeCertificate(folder, "mario", {.issuedBy = &authority});
    const sdi::SigningKey key{.kind = sdi::SigningKey::Kind::Pkcs12,
                              .file = makePkcs12(folder, mario, "segreta")};
    const QString plain = write("IT01234567890_00017.xml", ligatureInvoice());
    const sdi::SignResult signature = sdi::signFile(plain, plain + ".p7m", key, "segreta");
    ASSERT_TRUE(signature.ok()) << signature.message.toStdString();
    QByteArray bytes = readFile(plain + ".p7m");
    const qsizetype name = bytes.indexOf("Officina Raffinata");
    ASSERT_GT(name, 0);
    bytes[name] = 'A';
    const QString tampered = write("modificata.xml.p7m", bytes);

    const auto day = [](int days) {
        return QDateTime::currentDateTimeUtc().addDays(days).toLocalTime().toString("dd/MM/yyyy");
    };
    const QDateTime signedAt = check::openSigned(readFile(plain + ".p7m")).signedAt.toLocalTime();
    ASSERT_TRUE(signedAt.isValid());
    const QString when =
        "il " + signedAt.toString("dd/MM/yyyy") + " alle " + signedAt.toString("HH:mm");
    const QString validity = "Valido dal " + day(-1) + " al " + day(365);
    const QString notIntact = render::kSignatureNotIntact;
    struct Case {
        QString path;
        bool intact;
    };
    for (const Case& c : {Case{plain + ".p7m", true}, Case{tampered, false}}) {
        SCOPED_TRACE(c.intact ? "intact" : "changed after signing");
        const bool intact = c.intact;
        const auto onPage = [&](const QString& page) {
            for (const QString& said :
                 {QStringLiteral("Firma digitale"), QStringLiteral("Firmato da Mario Rossi"), when,
                  QStringLiteral("Rilasciato da Alfa Firma Qualificata CA"), validity})
                EXPECT_TRUE(page.contains(said))
                    << said.toStdString() << "\nin: " << page.toStdString();
            if (intact) {
                EXPECT_TRUE(page.contains("Firma integra: il contenuto è quello firmato"));
                EXPECT_FALSE(page.contains("FIRMA NON INTEGRA"));
            } else {
                EXPECT_TRUE(page.startsWith(notIntact)) << page.toStdString();
                EXPECT_GE(page.count(notIntact), 2) << "the warning and the signature's own line";
            }
        };
        onViewer([&](InvoiceViewer& viewer) {
            EXPECT_TRUE(viewer.signatureLabel()->text().contains(
                "Certificato rilasciato da Alfa Firma Qualificata CA, valido dal " + day(-1) +
                " al " + day(365)))
                << viewer.signatureLabel()->text().toStdString();
            const QStringList pages = pdfPages(viewer.invoice().document.pdf());
            ASSERT_FALSE(pages.isEmpty());
            onPage(pages[0]);
        });
        showInvoiceFile(c.path, nullptr, nullptr);

        const QString pdf = folder.file("copia.pdf");
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        EXPECT_EQ(runPdfCommand({c.path, "--out", pdf, "--even-if-tampered"}, out, err), 0)
            << readAndClose(err).toStdString();
        readAndClose(out);
        const QStringList pages = pdfPages(readFile(pdf));
        ASSERT_FALSE(pages.isEmpty());
        onPage(pages[0]);
    }
    EXPECT_EQ(shown, 2);
}

TEST_F(InvoiceViewerTest, FilesThatCannotBeShownAreSaidInAMessage) {
    const QString fake = write("finta.xml.p7m", "<xml/>");
    const QString notInvoice = write("ordine.xml", "<?xml version=\"1.0\"?><Ordine/>");
    onViewer([](InvoiceViewer&) {});
    for (const auto& [path, message] :
         {std::pair{fake, "finta.xml.p7m: Il file non è un documento firmato leggibile"},
          std::pair{notInvoice, "ordine.xml: Il file non è una fattura elettronica"},
          std::pair{folder.file("manca.xml"), "Impossibile leggere il file manca.xml"}}) {
        prompt.clear();
        prompt.answerOpenFile(path);
        apriFattura(nullptr, nullptr);
        ASSERT_EQ(prompt.calls().size(), 2);
        EXPECT_EQ(prompt.calls()[1].title, Prompt::errorTitle());
        EXPECT_TRUE(prompt.calls()[1].text.startsWith(QString::fromUtf8(message)))
            << prompt.calls()[1].text.toStdString();
    }
    EXPECT_EQ(shown, 0);
}

// A file that would make a parser spend gigabytes or minutes is refused in a message, in a copy of
// this test limited to half a gigabyte more and 20 seconds of processor.
TEST_F(InvoiceViewerTest, HostileFilesAreRefusedInBoundedMemoryAndTime) {
    onViewer([](InvoiceViewer&) {});
    struct Case {
        const char* name;
        QByteArray xml;
        const char* message;
    };
    for (const Case& c :
         {Case{"entity bomb", withEntityBomb(smallInvoice(), "Numero", 4000, 50000),
               "IT01234567890_00001.xml: Il file non viene letto. Riga 2: dichiarazione "
               "<!DOCTYPE non ammessa"},
          Case{"deep nesting", withDeepNesting(smallInvoice(), "Numero", 100000),
               "IT01234567890_00001.xml: Il file non viene letto. Riga 4: elementi annidati "
               "oltre 64 livelli"}}) {
        const QString path = write("IT01234567890_00001.xml", c.xml);
        const BoundedRun run = runBounded(
            [&] {
                showInvoiceFile(path, nullptr, nullptr);
                const QStringList said = prompt.messages();
                return shown == 0 && said.size() == 1 &&
                               said[0].startsWith(QString::fromUtf8(c.message))
                           ? 0
                           : 1;
            },
            512, 20);
        EXPECT_TRUE(run.exited && run.exitCode == 0) << c.name << ": " << run.describe();
    }
}

} // namespace
} // namespace brevalto
