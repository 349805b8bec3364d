#include "SigningTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace brevalto::test {

const QString kSoftHsmModule = QStringLiteral("/usr/lib/softhsm/libsofthsm2.so");

int runTool(const QString& program, const QStringList& args, QByteArray* out, QByteArray* err) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000)) {
        ADD_FAILURE() << program.toStdString() << " is missing: scripts/setup installs it";
        return -1;
    }
    process.waitForFinished(60000);
    if (out)
        *out = process.readAllStandardOutput();
    if (err)
        *err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

namespace {

struct FreeKey {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};
struct FreeCert {
    void operator()(X509* p) const { X509_free(p); }
};
struct FreeBio {
    void operator()(BIO* p) const { BIO_free(p); }
};

void writePem(const QString& path, const std::function<int(BIO*)>& write) {
    std::unique_ptr<BIO, FreeBio> out(BIO_new_file(QFile::encodeName(path).constData(), "w"));
    ASSERT_TRUE(out);
    ASSERT_EQ(write(out.get()), 1);
}

void addExtension(X509* cert, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    ASSERT_TRUE(ext);
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

} // namespace

// The certificate is made with OpenSSL's library: the openssl tool of Debian 12 cannot date one in
// the past, which an expired certificate needs.
TestCertificate makeCertificate(const TempFolder& folder, const QString& base,
                                const CertificateShape& shape) {
    TestCertificate result{folder.file(base + QStringLiteral("-key.pem")),
                           folder.file(base + QStringLiteral("-cert.pem"))};
    std::unique_ptr<EVP_PKEY, FreeKey> key(EVP_RSA_gen(2048));
    std::unique_ptr<X509, FreeCert> cert(X509_new());
    EXPECT_TRUE(key && cert);
    X509_set_version(cert.get(), X509_VERSION_3);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), long(std::rand() % 100000) + 1);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), long(shape.validFromDays) * 86400);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), long(shape.validToDays) * 86400);
    X509_set_pubkey(cert.get(), key.get());
    X509_NAME* name = X509_get_subject_name(cert.get());
    const QByteArray cn = shape.commonName.toUtf8();
    X509_NAME_add_entry_by_txt(name, "C", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("IT"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(cn.constData()), -1, -1, 0);
    std::unique_ptr<X509, FreeCert> issuerCert;
    std::unique_ptr<EVP_PKEY, FreeKey> issuerKey;
    if (shape.issuedBy) {
        std::unique_ptr<BIO, FreeBio> certIn(
            BIO_new_file(QFile::encodeName(shape.issuedBy->certPem).constData(), "r"));
        std::unique_ptr<BIO, FreeBio> keyIn(
            BIO_new_file(QFile::encodeName(shape.issuedBy->keyPem).constData(), "r"));
        if (certIn && keyIn) {
            issuerCert.reset(PEM_read_bio_X509(certIn.get(), nullptr, nullptr, nullptr));
            issuerKey.reset(PEM_read_bio_PrivateKey(keyIn.get(), nullptr, nullptr, nullptr));
        }
        EXPECT_TRUE(issuerCert && issuerKey) << "the issuer's certificate and key";
    }
    X509_set_issuer_name(cert.get(), issuerCert ? X509_get_subject_name(issuerCert.get()) : name);
    addExtension(cert.get(), NID_key_usage,
                 shape.nonRepudiation ? "critical,nonRepudiation" : "critical,digitalSignature");
    EXPECT_GT(X509_sign(cert.get(), issuerKey ? issuerKey.get() : key.get(), EVP_sha256()), 0);
    writePem(result.keyPem, [&](BIO* out) {
        return PEM_write_bio_PrivateKey(out, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    });
    writePem(result.certPem, [&](BIO* out) { return PEM_write_bio_X509(out, cert.get()); });
    return result;
}

QString makePkcs12(const TempFolder& folder, const TestCertificate& certificate,
                   const QString& password, bool legacy) {
    const QString path =
        folder.file(QFileInfo(certificate.certPem).baseName() +
                    (legacy ? QStringLiteral("-legacy.p12") : QStringLiteral(".p12")));
    QStringList args = {"pkcs12",   "-export",
                        "-inkey",   certificate.keyPem,
                        "-in",      certificate.certPem,
                        "-passout", "pass:" + password,
                        "-out",     path};
    if (legacy)
        args << "-legacy";
    QByteArray err;
    EXPECT_EQ(runTool("openssl", args, nullptr, &err), 0) << err.toStdString();
    return path;
}

SoftToken::SoftToken(const QString& label, const QString& pin) : label_(label), pin_(pin) {
    hadConf_ = qEnvironmentVariableIsSet("SOFTHSM2_CONF");
    previousConf_ = qgetenv("SOFTHSM2_CONF");
    const QString tokens = folder_.file(QStringLiteral("tokens"));
    QDir().mkpath(tokens);
    const QString conf = folder_.file(QStringLiteral("softhsm2.conf"));
    writeBytes(conf, QStringLiteral("directories.tokendir = %1\nobjectstore.backend = file\n"
                                    "log.level = ERROR\n")
                         .arg(tokens)
                         .toUtf8());
    qputenv("SOFTHSM2_CONF", QFile::encodeName(conf));
    QByteArray err;
    ready_ =
        runTool("softhsm2-util",
                {"--init-token", "--free", "--label", label, "--pin", pin, "--so-pin", "87654321"},
                nullptr, &err) == 0;
    EXPECT_TRUE(ready_) << err.toStdString();
}

SoftToken::~SoftToken() {
    if (hadConf_)
        qputenv("SOFTHSM2_CONF", previousConf_);
    else
        qunsetenv("SOFTHSM2_CONF");
}

void SoftToken::add(const TestCertificate& certificate, const QString& id) {
    // softhsm2-util takes the key as PKCS#8 PEM; pkcs11-tool the certificate as DER.
    QByteArray err;
    ASSERT_EQ(runTool("softhsm2-util",
                      {"--import", certificate.keyPem, "--token", label_, "--label", "firma" + id,
                       "--id", id, "--pin", pin_},
                      nullptr, &err),
              0)
        << err.toStdString();
    const QString der = certificate.certPem + QStringLiteral(".der");
    ASSERT_EQ(runTool("openssl",
                      {"x509", "-in", certificate.certPem, "-outform", "DER", "-out", der}, nullptr,
                      &err),
              0)
        << err.toStdString();
    ASSERT_EQ(
        runTool("pkcs11-tool",
                {"--module", kSoftHsmModule, "--token-label", label_, "--login", "--pin", pin_,
                 "--write-object", der, "--type", "cert", "--id", id, "--label", "firma" + id},
                nullptr, &err),
        0)
        << err.toStdString();
}

sdi::SigningKey SoftToken::key() const {
    sdi::SigningKey key;
    key.kind = sdi::SigningKey::Kind::Pkcs11;
    key.module = kSoftHsmModule;
    key.token = label_;
    return key;
}

QByteArray opensslVerified(const QString& signedFile, const QString& trustedCertPem, QString* why) {
    QByteArray out;
    QByteArray err;
    const int code = runTool("openssl",
                             {"cms", "-verify", "-binary", "-cades", "-inform", "DER", "-in",
                              signedFile, "-CAfile", trustedCertPem},
                             &out, &err);
    if (why)
        *why = QString::fromLocal8Bit(err);
    return code == 0 ? out : QByteArray();
}

} // namespace brevalto::test
