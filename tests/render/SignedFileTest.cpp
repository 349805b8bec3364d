#include "check/SignedFile.h"
#include "RenderTestSupport.h"
#include "render/InvoiceFile.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

const QByteArray kInvoice =
    "<?xml version=\"1.0\"?><p:FatturaElettronica "
    "xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\">"
    "<FatturaElettronicaHeader/><Nota>importo 100.00</Nota></p:FatturaElettronica>";

// A throwaway certificate signs the invoice with openssl cms, as a signing tool would.
class SignedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        write(QStringLiteral("fattura.xml"), kInvoice);
        ASSERT_EQ(run(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                       dir.file("key.pem"), "-out", dir.file("cert.pem"), "-subj",
                       "/CN=Mario Rossi/O=Alfa Srl", "-days", "2"}),
                  0);
        ASSERT_EQ(run(QStringLiteral("openssl"),
                      {"cms", "-sign", "-binary", "-nodetach", "-in", dir.file("fattura.xml"),
                       "-signer", dir.file("cert.pem"), "-inkey", dir.file("key.pem"), "-outform",
                       "DER", "-out", dir.file("fattura.xml.p7m")}),
                  0);
        der = read(QStringLiteral("fattura.xml.p7m"));
    }
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name) {
        QFile f(dir.file(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    TempFolder dir;
    QByteArray der;
};

TEST_F(SignedFileTest, SignedContentSignerAndIntegrity) {
    QByteArray altered = der;
    const qsizetype at = altered.indexOf("100.00");
    ASSERT_GT(at, 0);
    altered[at] = '9'; // the amount changed after signing
    QByteArray wrapped = der.toBase64();
    for (qsizetype i = 64; i < wrapped.size(); i += 65)
        wrapped.insert(i, '\n');
    struct Case {
        const char* name;
        QByteArray bytes;
        bool intact;
        QByteArray content;
    };
    QByteArray alteredContent = kInvoice;
    alteredContent.replace("100.00", "900.00");
    for (const Case& c : {Case{"DER", der, true, kInvoice}, Case{"base64", wrapped, true, kInvoice},
                          Case{"altered", altered, false, alteredContent}}) {
        const check::SignedFile signedFile = check::openSigned(c.bytes);
        ASSERT_TRUE(signedFile.opened) << c.name << ": " << signedFile.error.toStdString();
        EXPECT_EQ(signedFile.content, c.content) << c.name;
        EXPECT_EQ(signedFile.signer, QStringLiteral("Mario Rossi")) << c.name;
        EXPECT_TRUE(signedFile.signedAt.isValid()) << c.name;
        EXPECT_LE(qAbs(signedFile.signedAt.secsTo(QDateTime::currentDateTimeUtc())), 600) << c.name;
        EXPECT_EQ(signedFile.intact, c.intact) << c.name;
        // Self-signed: the issuer is the signer; valid from now for two days.
        EXPECT_EQ(signedFile.issuer, QStringLiteral("Mario Rossi")) << c.name;
        EXPECT_LE(qAbs(signedFile.validFrom.secsTo(QDateTime::currentDateTimeUtc())), 600);
        EXPECT_EQ(signedFile.validFrom.daysTo(signedFile.validTo), 2) << c.name;
        EXPECT_TRUE(signedFile.summary().startsWith(QStringLiteral("Firmato da Mario Rossi il ")));
        EXPECT_TRUE(signedFile.summary().endsWith(c.intact ? QStringLiteral("— firma integra")
                                                           : QStringLiteral("— firma non integra")))
            << signedFile.summary().toStdString();
    }
}

TEST_F(SignedFileTest, CorruptOrUnsignedFilesAreRefusedClearly) {
    ASSERT_EQ(run(QStringLiteral("openssl"),
                  {"cms", "-sign", "-binary", "-in", dir.file("fattura.xml"), "-signer",
                   dir.file("cert.pem"), "-inkey", dir.file("key.pem"), "-outform", "DER", "-out",
                   dir.file("detached.p7m")}),
              0);
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* message;
    };
    for (const Case& c :
         {Case{"plain xml", kInvoice, "non è un documento firmato leggibile"},
          Case{"truncated", der.left(der.size() / 2), "non è un documento firmato leggibile"},
          Case{"empty", QByteArray(), "vuoto"},
          Case{"signature without the invoice", read(QStringLiteral("detached.p7m")),
               "non contiene la fattura"}}) {
        const check::SignedFile signedFile = check::openSigned(c.bytes);
        EXPECT_FALSE(signedFile.opened) << c.name;
        EXPECT_TRUE(signedFile.error.contains(QString::fromUtf8(c.message)))
            << c.name << ": " << signedFile.error.toStdString();
    }
    // On disk: the name says whether the file is signed.
    write(QStringLiteral("finta.xml.p7m"), kInvoice);
    const render::InvoiceFile fake = render::readInvoiceFile(dir.file("finta.xml.p7m"));
    EXPECT_FALSE(fake.ok);
    EXPECT_TRUE(fake.error.startsWith(QStringLiteral("finta.xml.p7m: ")));
    const render::InvoiceFile real = render::readInvoiceFile(dir.file("fattura.xml.p7m"));
    ASSERT_TRUE(real.ok);
    EXPECT_TRUE(real.isSigned);
    EXPECT_EQ(real.xml, kInvoice);
}

} // namespace
} // namespace brevalto
