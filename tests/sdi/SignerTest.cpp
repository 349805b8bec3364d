#include "sdi/Signer.h"
#include "SigningTestSupport.h"
#include "check/SignedFile.h"

#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <openssl/cms.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace brevalto {
namespace {

using namespace test;

const QByteArray kInvoice =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<p:FatturaElettronica versione=\"FPR12\" "
    "xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\">"
    "<FatturaElettronicaHeader/><Nota>importo 100.00 — caffè</Nota></p:FatturaElettronica>\n";

// What the envelope holds, read with OpenSSL itself.
struct EnvelopeFacts {
    bool parsed = false;
    bool attached = false;
    int signers = 0;
    int digestNid = 0;
    bool signingTime = false;
    bool signingCertificateV2 = false;
    bool holdsSignerCertificate = false;
};

EnvelopeFacts factsOf(const QByteArray& der, const QString& certPem) {
    EnvelopeFacts facts;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(der.constData());
    std::unique_ptr<CMS_ContentInfo, decltype(&CMS_ContentInfo_free)> cms(
        d2i_CMS_ContentInfo(nullptr, &p, long(der.size())), CMS_ContentInfo_free);
    if (!cms || OBJ_obj2nid(CMS_get0_type(cms.get())) != NID_pkcs7_signed)
        return facts;
    facts.parsed = true;
    facts.attached = CMS_is_detached(cms.get()) == 0;
    STACK_OF(CMS_SignerInfo)* infos = CMS_get0_SignerInfos(cms.get());
    facts.signers = sk_CMS_SignerInfo_num(infos);
    if (facts.signers < 1)
        return facts;
    CMS_SignerInfo* si = sk_CMS_SignerInfo_value(infos, 0);
    X509_ALGOR* digest = nullptr;
    CMS_SignerInfo_get0_algs(si, nullptr, nullptr, &digest, nullptr);
    const ASN1_OBJECT* digestObject = nullptr;
    X509_ALGOR_get0(&digestObject, nullptr, nullptr, digest);
    facts.digestNid = OBJ_obj2nid(digestObject);
    facts.signingTime = CMS_signed_get_attr_by_NID(si, NID_pkcs9_signingTime, -1) >= 0;
    facts.signingCertificateV2 =
        CMS_signed_get_attr_by_NID(si, NID_id_smime_aa_signingCertificateV2, -1) >= 0;
    const QByteArray pem = readBytes(certPem);
    std::unique_ptr<BIO, decltype(&BIO_free)> in(BIO_new_mem_buf(pem.constData(), int(pem.size())),
                                                 BIO_free);
    std::unique_ptr<X509, decltype(&X509_free)> cert(
        PEM_read_bio_X509(in.get(), nullptr, nullptr, nullptr), X509_free);
    STACK_OF(X509)* certs = CMS_get1_certs(cms.get());
    for (int i = 0; cert && i < sk_X509_num(certs); ++i)
        facts.holdsSignerCertificate |= X509_cmp(sk_X509_value(certs, i), cert.get()) == 0;
    sk_X509_pop_free(certs, X509_free);
    return facts;
}

class SignerTest : public ::testing::Test {
protected:
    QString file(const QString& name) const { return dir.file(name); }

    TempFolder dir;
};

TEST_F(SignerTest, FileAndTokenSignaturesVerifyWithOpensslAndTheViewer) {
    const TestCertificate mario = makeCertificate(dir, "mario");
    SoftToken token("Firma Test", "123456");
    ASSERT_TRUE(token.ready());
    token.add(mario, "01");
    struct Case {
        const char* name;
        sdi::SigningKey key;
        QString secret;
    };
    sdi::SigningKey p12{.kind = sdi::SigningKey::Kind::Pkcs12,
                        .file = makePkcs12(dir, mario, "segreta")};
    sdi::SigningKey legacy{.kind = sdi::SigningKey::Kind::Pkcs12,
                           .file = makePkcs12(dir, mario, "segreta", true)};
    sdi::SigningKey lowerCaseLabel = token.key();
    lowerCaseLabel.token = "firma test";
    int n = 0;
    for (const Case& c :
         {Case{"PKCS#12", p12, "segreta"}, Case{"PKCS#12 of an older system", legacy, "segreta"},
          Case{"token", token.key(), "123456"},
          Case{"token label in another case", lowerCaseLabel, "123456"}}) {
        SCOPED_TRACE(c.name);
        const QString out = file(QStringLiteral("fattura-%1.xml.p7m").arg(++n));
        const sdi::SignResult result = sdi::signContent(kInvoice, c.key, c.secret);
        ASSERT_TRUE(result.ok()) << result.message.toStdString();
        EXPECT_EQ(result.signer, "Mario Rossi");
        EXPECT_EQ(result.issuer, "Mario Rossi");
        writeBytes(out, result.envelope);

        QString why;
        EXPECT_EQ(opensslVerified(out, mario.certPem, &why), kInvoice) << why.toStdString();
        const EnvelopeFacts facts = factsOf(result.envelope, mario.certPem);
        EXPECT_TRUE(facts.parsed);
        EXPECT_TRUE(facts.attached);
        EXPECT_EQ(facts.signers, 1);
        EXPECT_EQ(facts.digestNid, NID_sha256);
        EXPECT_TRUE(facts.signingTime);
        EXPECT_TRUE(facts.signingCertificateV2);
        EXPECT_TRUE(facts.holdsSignerCertificate);

        const check::SignedFile viewed = check::openSigned(result.envelope);
        EXPECT_TRUE(viewed.intact);
        EXPECT_EQ(viewed.content, kInvoice);
        EXPECT_EQ(viewed.signer, "Mario Rossi");
        EXPECT_TRUE(viewed.summary().contains("firma integra")) << viewed.summary().toStdString();
    }
}

// A CNS card holds an authentication certificate and a signing one, each with its key.
TEST_F(SignerTest, ATokenSignsWithItsSigningCertificateNotTheAuthenticationOne) {
    SoftToken token("CNS", "123456");
    ASSERT_TRUE(token.ready());
    token.add(
        makeCertificate(dir, "auth", {.commonName = "Autenticazione", .nonRepudiation = false}),
        "01");
    token.add(makeCertificate(dir, "sign", {.commonName = "Firma Qualificata"}), "02");
    const sdi::SignResult result = sdi::signContent(kInvoice, token.key(), "123456");
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    EXPECT_EQ(result.signer, "Firma Qualificata");
    EXPECT_EQ(check::openSigned(result.envelope).signer, "Firma Qualificata");
}

TEST_F(SignerTest, EachFailureIsNamedInItalianAndWritesNothing) {
    const QString in = file("fattura.xml");
    writeBytes(in, kInvoice);
    const TestCertificate good = makeCertificate(dir, "good");
    const TestCertificate expired =
        makeCertificate(dir, "expired", {.validFromDays = -400, .validToDays = -10});
    const TestCertificate future =
        makeCertificate(dir, "future", {.validFromDays = 10, .validToDays = 400});
    const TestCertificate notForSigning = makeCertificate(dir, "auth", {.nonRepudiation = false});
    const auto p12 = [&](const TestCertificate& cert) {
        return sdi::SigningKey{.kind = sdi::SigningKey::Kind::Pkcs12,
                               .file = makePkcs12(dir, cert, "segreta")};
    };
    const QString textFile = file("leggimi.txt");
    writeBytes(textFile, "non è un certificato");

    SoftToken token("Firma Test", "123456");
    ASSERT_TRUE(token.ready());
    token.add(expired, "01");
    const auto module = [&](const QString& path) {
        sdi::SigningKey key = token.key();
        key.module = path;
        return key;
    };
    sdi::SigningKey otherLabel = token.key();
    otherLabel.token = "Altra Carta";

    struct Case {
        const char* name;
        sdi::SigningKey key;
        QString secret;
        sdi::SignFailure failure;
        QString says;
    };
    const QString expiredDay =
        QDateTime::currentDateTimeUtc().addDays(-10).toLocalTime().toString("dd/MM/yyyy");
    const Case cases[] = {
        {"wrong password", p12(good), "sbagliata", sdi::SignFailure::WrongSecret,
         "password del certificato"},
        {"certificate file missing",
         {.kind = sdi::SigningKey::Kind::Pkcs12, .file = file("manca.p12")},
         "segreta",
         sdi::SignFailure::FileMissing,
         "non esiste"},
        {"not a certificate file",
         {.kind = sdi::SigningKey::Kind::Pkcs12, .file = textFile},
         "segreta",
         sdi::SignFailure::NotACertificate,
         "PKCS#12"},
        {"expired certificate", p12(expired), "segreta", sdi::SignFailure::Expired,
         "scaduto il " + expiredDay},
        {"certificate not valid yet", p12(future), "segreta", sdi::SignFailure::NotYetValid,
         "valido solo dal"},
        {"certificate without non-repudiation", p12(notForSigning), "segreta",
         sdi::SignFailure::NoNonRepudiation, "non ripudio"},
        {"wrong PIN", token.key(), "000000", sdi::SignFailure::WrongSecret,
         "PIN della carta «Firma Test» non è corretto"},
        {"module missing", module(file("manca/modulo.so")), "123456",
         sdi::SignFailure::ModuleMissing, "non esiste"},
        {"module that is no PKCS#11 library", module(textFile), "123456",
         sdi::SignFailure::ModuleMissing, "non si può caricare"},
        {"no token with the label", otherLabel, "123456", sdi::SignFailure::TokenMissing,
         "Carte presenti: «Firma Test»"},
        {"expired certificate on a token", token.key(), "123456", sdi::SignFailure::Expired,
         "scaduto il " + expiredDay},
    };
    const QString out = file("fattura.xml.p7m");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(out, "vecchio");
        const sdi::SignResult result = sdi::signFile(in, out, c.key, c.secret);
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_TRUE(result.message.contains(c.says)) << result.message.toStdString();
        EXPECT_TRUE(result.envelope.isEmpty());
        EXPECT_EQ(readBytes(out), "vecchio");
        if (c.failure == sdi::SignFailure::Expired) {
            EXPECT_EQ(result.expiredOn.date(), QDateTime::currentDateTimeUtc().addDays(-10).date());
        }
    }
}

TEST_F(SignerTest, AnExpiredCertificateSignsOnlyWhenTheCallerAllowsIt) {
    const TestCertificate expired =
        makeCertificate(dir, "expired", {.validFromDays = -400, .validToDays = -10});
    const sdi::SigningKey key{.kind = sdi::SigningKey::Kind::Pkcs12,
                              .file = makePkcs12(dir, expired, "segreta")};
    ASSERT_EQ(sdi::signContent(kInvoice, key, "segreta").failure, sdi::SignFailure::Expired);
    const sdi::SignResult result =
        sdi::signContent(kInvoice, key, "segreta", {.allowExpired = true});
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    EXPECT_TRUE(check::openSigned(result.envelope).intact);
}

} // namespace
} // namespace brevalto
