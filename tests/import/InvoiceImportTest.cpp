#include "import/InvoiceImport.h"

#include "import/ImportCommand.h"

#include "export/ExportTestSupport.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

// The official sample files, in the shared folder beside the checkout (or beside the folder that
// holds it); empty when there is none.
QString samplesFolder() {
    QDir dir(QStringLiteral(BREVALTO_SOURCE_DIR));
    for (int up = 0; up < 3 && dir.cdUp(); ++up) {
        if (dir.exists(QStringLiteral("shared/fatturapa/samples")))
            return dir.filePath(QStringLiteral("shared/fatturapa/samples/"));
    }
    return QString();
}
const QString kSamples = samplesFolder();

// The transmission progressive is the importing archive's own: masked before comparing.
QByteArray withoutProgressive(QByteArray text) {
    static const QRegularExpression progressive(
        QStringLiteral("<ProgressivoInvio>[^<]*</ProgressivoInvio>"));
    return QString::fromUtf8(text)
        .replace(progressive, QStringLiteral("<ProgressivoInvio/>"))
        .toUtf8();
}

// Every leaf of the file as "path=value", paths without positions, sorted: the same elements and
// values whatever the layout and the order of repeated blocks. Decimals compare by value; a date
// and time by its clock time (a time zone the archive cannot keep is named by the import).
QStringList flattened(const QByteArray& text) {
    QStringList leaves;
    static const QRegularExpression decimal(QStringLiteral(R"(^-?\d+\.\d+$)"));
    static const QRegularExpression dateTime(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)"));
    const std::function<void(const QDomElement&, const QString&)> walk = [&](const QDomElement& e,
                                                                             const QString& path) {
        const QString here = path + QLatin1Char('/') + e.localName();
        if (e.firstChildElement().isNull()) {
            if (e.localName() == QLatin1String("ProgressivoInvio"))
                return;
            QString value = e.text().trimmed();
            if (decimal.match(value).hasMatch())
                value = QString::number(value.toDouble(), 'f', 8);
            else if (dateTime.match(value).hasMatch())
                value = value.left(19);
            leaves << here + QLatin1Char('=') + value;
            return;
        }
        for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
            walk(c, here);
    };
    QDomDocument doc;
    if (!doc.setContent(text, true)) {
        ADD_FAILURE() << "not well-formed";
        return {};
    }
    walk(doc.documentElement(), QString());
    leaves.sort();
    return leaves;
}

// Imports the file into archive b (attachments under its test folder) and expects it in.
ImportResult importInto(ExportArchive& b, const QString& path) {
    const ImportResult result =
        importInvoiceFile(b.data, path, b.folder.file(QStringLiteral("allegati")));
    EXPECT_TRUE(result.imported()) << result.summary().toStdString();
    return result;
}

class RoundTripTest : public ::testing::TestWithParam<Scenario> {};

// What the export writes comes back byte for byte after an import into a new archive, every
// body, section, party and attached file included, with nothing named as left out.
TEST_P(RoundTripTest, ExportImportExportGivesTheSameFile) {
    ExportArchive a;
    const int doc = GetParam().build(a);
    a.exportDocument(doc, QStringLiteral("prima.xml"));
    const QByteArray first = readFile(a.folder.file(QStringLiteral("prima.xml")));
    ASSERT_FALSE(first.isEmpty());

    ExportArchive b;
    const ImportResult result = importInto(b, a.folder.file(QStringLiteral("prima.xml")));
    ASSERT_TRUE(result.imported());
    EXPECT_EQ(result.bodies, int(first.count("<FatturaElettronicaBody>")));
    EXPECT_TRUE(result.unplaced.isEmpty()) << result.summary().toStdString();
    EXPECT_FALSE(b.exported(result.documentId));
    EXPECT_EQ(b.read("PA_FE_Header", "id", result.documentId, "Importato").toString(),
              QStringLiteral("prima.xml"));

    b.exportDocument(result.documentId, QStringLiteral("seconda.xml"));
    const QByteArray second = readFile(b.folder.file(QStringLiteral("seconda.xml")));
    EXPECT_EQ(withoutProgressive(second).toStdString(), withoutProgressive(first).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Scenarios, RoundTripTest, ::testing::ValuesIn(validScenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.name);
                         });

// Files of another program: imported and exported again they hold the same elements and values
// in the writer's layout. The one thing the archive keeps differently, the time zone of a delivery
// time, is named in the summary.
TEST(ImportSamplesTest, OfficialSamplesComeBackEquivalent) {
    if (kSamples.isEmpty())
        GTEST_SKIP() << "samples not present";
    for (const char* name :
         {"IT01234567890_FPA01.xml", "IT01234567890_FPA02.xml", "IT01234567890_FPA03.xml",
          "IT01234567890_FPR01.xml", "IT01234567890_FPR03.xml", "older/IT01234567890_FPR02.xml"}) {
        SCOPED_TRACE(name);
        const QString path = kSamples + QLatin1String(name);
        ExportArchive b;
        const ImportResult result = importInto(b, path);
        if (!result.imported())
            continue;
        EXPECT_TRUE(result.unplaced.isEmpty()) << result.summary().toStdString();
        EXPECT_TRUE(result.notes.join('\n').contains("DataOraConsegna"))
            << result.summary().toStdString();
        b.exportDocument(result.documentId, QStringLiteral("riscritta.xml"));
        EXPECT_EQ(flattened(readFile(b.folder.file(QStringLiteral("riscritta.xml")))),
                  flattened(readFile(path)));
    }
}

// A customer already in the archive is found by its VAT number and used; a seller that is not
// is created from the file; a second import finds both. Every import takes a number never given
// before, even after the Document that had it was deleted.
TEST(ImportPartiesTest, FoundOrCreatedAndNumbersNeverReused) {
    ExportArchive a;
    const int doc = scenarioNoOptionalBlock(a);
    a.exportDocument(doc, QStringLiteral("f.xml"));
    const QString file = a.folder.file(QStringLiteral("f.xml"));

    ExportArchive b;
    const int customer = b.add("PA_CessionarioCommittente",
                               {{"CessionarioCommittente_IdPaese", "IT"},
                                {"CessionarioCommittente_IdCodice", "09876543210"},
                                {"CessionarioCommittente_Denominazione", "Beta (anagrafica)"}});
    const int sellersBefore = b.db().scalar("select count(*) from PA_CedentePrestatore").toInt();
    const ImportResult first = importInto(b, file);
    ASSERT_TRUE(first.imported());
    EXPECT_EQ(first.parties,
              QStringList({"Cedente/prestatore creato in archivio: Alfa Srl (P.IVA IT01234567890).",
                           "Cessionario/committente trovato in archivio: Beta Spa (P.IVA "
                           "IT09876543210)."}));
    EXPECT_EQ(b.read("PA_FE_Header", "id", first.documentId, "CessionarioCommittente_ID").toInt(),
              customer);
    EXPECT_EQ(b.db().scalar("select count(*) from PA_CedentePrestatore").toInt(),
              sellersBefore + 1);
    const int seller =
        b.read("PA_FE_Header", "id", first.documentId, "CedentePrestatore_Id").toInt();
    EXPECT_EQ(b.db()
                  .scalar("select CedentePrestatore_Denominazione from PA_CedentePrestatore "
                          "where CedentePrestatore_Id = ?",
                          {seller})
                  .toString(),
              QStringLiteral("Alfa Srl"));

    b.db().exec(QStringLiteral("delete from PA_FE_Body where PA_FE_Header_Id = ?"),
                {first.documentId});
    b.db().exec(QStringLiteral("delete from PA_FE_Header where id = ?"), {first.documentId});
    const ImportResult second = importInto(b, file);
    EXPECT_EQ(second.number, first.number + 1);
    EXPECT_EQ(b.read("PA_FE_Header", "id", second.documentId, "DatiTrasmissione_ProgressivoInvio")
                  .toString(),
              QString::number(second.number));
    for (const QString& p : second.parties)
        EXPECT_TRUE(p.contains(QStringLiteral("trovato"))) << p.toStdString();
    // The invoice keeps its own number and date.
    EXPECT_EQ(b.db()
                  .scalar("select DatiGenerali_Numero from PA_FE_Body where PA_FE_Header_Id = ?",
                          {second.documentId})
                  .toString(),
              QStringLiteral("1"));
    EXPECT_EQ(b.read("PA_FE_Header", "id", second.documentId, "Data").toString().left(10),
              QStringLiteral("2024-01-15"));
}

// What the archive cannot give back is named, and what it can is still kept: a title beside a
// company name, a certified mail address beside a recipient code.
TEST(ImportUnplacedTest, ElementsWithoutAPlaceAreNamed) {
    ExportArchive a;
    const int doc = scenarioNoOptionalBlock(a);
    a.exportDocument(doc, QStringLiteral("f.xml"));
    QByteArray text = readFile(a.folder.file(QStringLiteral("f.xml")));
    text.replace("<Denominazione>Alfa Srl</Denominazione>",
                 "<Denominazione>Alfa Srl</Denominazione><Titolo>Dott.</Titolo>");
    text.replace("<CodiceDestinatario>ABC1234</CodiceDestinatario>",
                 "<CodiceDestinatario>ABC1234</CodiceDestinatario>"
                 "<PECDestinatario>beta@pec.example.it</PECDestinatario>");
    ExportArchive b;
    const ImportResult result = importInto(b, b.makeFile(QStringLiteral("altro.xml"), text));
    ASSERT_TRUE(result.imported());
    EXPECT_EQ(result.unplaced,
              QStringList({"FatturaElettronicaHeader/DatiTrasmissione/PECDestinatario",
                           "FatturaElettronicaHeader/CedentePrestatore/DatiAnagrafici/Anagrafica/"
                           "Titolo"}));
    EXPECT_TRUE(result.summary().contains(QStringLiteral("Elementi senza posto")));
    EXPECT_EQ(b.read("PA_FE_Header", "id", result.documentId, "CedentePrestatore_Titolo"),
              QVariant(QStringLiteral("Dott.")));
}

// A file the schema refuses, or one the screen refuses before parsing, leaves the archive as it
// was and says why with the findings of the check.
TEST(ImportRefusalTest, RefusedFilesLeaveNothing) {
    ExportArchive b;
    struct Case {
        const char* name;
        QString path;
        const char* expected;
    };
    const QByteArray hostile = "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"b\">]>"
                               "<p:FatturaElettronica/>";
    const QList<Case> cases = {
        {"schema", kSamples + "IT01234567890_FPR02.xml", "00200"},
        {"doctype", b.makeFile(QStringLiteral("ostile.xml"), hostile), "DOCTYPE"},
        {"not a file", b.folder.file(QStringLiteral("manca.xml")), "manca.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!QFile::exists(c.path) && QLatin1String(c.name) == QLatin1String("schema"))
            continue;
        const ImportResult result = importInvoiceFile(b.data, c.path, b.folder.file("allegati"));
        EXPECT_FALSE(result.imported());
        EXPECT_TRUE(result.summary().contains(QLatin1String(c.expected)))
            << result.summary().toStdString();
        EXPECT_EQ(b.db().scalar("select count(*) from PA_FE_Header").toInt(), 0);
        EXPECT_EQ(b.db().scalar("select count(*) from PA_CessionarioCommittente").toInt(), 0);
    }
}

int runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// A signed file is imported from its content when the signature matches it, and refused when the
// content was changed after signing.
TEST(ImportSignedTest, SignedFileImportedTamperedRefused) {
    ExportArchive a;
    const int doc = scenarioTwoBodies(a);
    a.exportDocument(doc, QStringLiteral("f.xml"));
    const QString plain = a.folder.file(QStringLiteral("f.xml"));
    ASSERT_EQ(runTool("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                                  a.folder.file("key.pem"), "-out", a.folder.file("cert.pem"),
                                  "-subj", "/CN=Mario Rossi", "-days", "2"}),
              0);
    const QString signedPath = a.folder.file(QStringLiteral("f.xml.p7m"));
    ASSERT_EQ(runTool("openssl", {"cms", "-sign", "-binary", "-nodetach", "-in", plain, "-signer",
                                  a.folder.file("cert.pem"), "-inkey", a.folder.file("key.pem"),
                                  "-outform", "DER", "-out", signedPath}),
              0);

    ExportArchive b;
    const ImportResult result = importInto(b, signedPath);
    ASSERT_TRUE(result.imported());
    EXPECT_EQ(result.bodies, 2);
    EXPECT_TRUE(result.notes.first().contains(QStringLiteral("Mario Rossi")))
        << result.summary().toStdString();
    b.exportDocument(result.documentId, QStringLiteral("dal-firmato.xml"));
    EXPECT_EQ(withoutProgressive(readFile(b.folder.file(QStringLiteral("dal-firmato.xml")))),
              withoutProgressive(readFile(plain)));

    QByteArray tampered = readFile(signedPath);
    const qsizetype at = tampered.indexOf("Riga del corpo 1");
    ASSERT_GT(at, 0);
    tampered[at] = 'X';
    const ImportResult refused =
        importInvoiceFile(b.data, b.makeFile(QStringLiteral("alterato.xml.p7m"), tampered));
    EXPECT_EQ(refused.outcome, ImportResult::Outcome::Refused) << refused.summary().toStdString();
    EXPECT_EQ(b.db().scalar("select count(*) from PA_FE_Header").toInt(), 1);
}

// The command imports every file it can, prints each summary and says with its exit code whether
// all went in (0), one was refused (1) or the command line or a file was wrong (2).
TEST(ImportCommandTest, ImportsPrintsAndExitsAsTheOtherCommands) {
    ExportArchive a;
    a.exportDocument(scenarioNoOptionalBlock(a), QStringLiteral("f.xml"));
    const QString good = a.folder.file(QStringLiteral("f.xml"));
    const QString invalid = a.makeFile(QStringLiteral("g.xml"), "<p:FatturaElettronica "
                                                                "xmlns:p=\"urn:x\"/>");
    TempFolder folder;
    const QString archive = copyOfNewArchive(folder);
    struct Case {
        const char* name;
        QStringList args;
        int code;
        const char* out;
        const char* err;
        int documents; // in the archive afterwards
    };
    const QList<Case> cases = {
        {"imported", {"--archive", archive, good}, 0, "importato come documento n. 1", "", 1},
        {"one refused",
         {"--archive", archive, invalid, good},
         1,
         "documento n. 2",
         "g.xml: non importato",
         2},
        {"missing file", {"--archive", archive, folder.file("manca.xml")}, 2, "", "non esiste", 2},
        {"no archive", {good}, 2, "", "--archive", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        EXPECT_EQ(runImportXmlCommand(c.args, out, err), c.code);
        const QString printed = readAndClose(out);
        const QString complaints = readAndClose(err);
        EXPECT_TRUE(printed.contains(QLatin1String(c.out))) << printed.toStdString();
        EXPECT_TRUE(complaints.contains(QLatin1String(c.err))) << complaints.toStdString();
        Connection db;
        db.open(archive);
        EXPECT_EQ(db.scalar("select count(*) from PA_FE_Header").toInt(), c.documents);
    }
}

} // namespace
} // namespace brevalto
