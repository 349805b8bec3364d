#pragma once
// Keys and certificates for the signing tests, made by each test: a certificate of the validity
// and key usage the test needs, a PKCS#12 file written by the openssl tool, and a real PKCS#11
// token (SoftHSM2) in a temporary folder, filled with pkcs11-tool and removed with the object.
// Signed files are checked by the openssl tool, not by the code under test.
#include "sdi/Signer.h"
#include "support/TestFiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace brevalto::test {

// SoftHSM2's module as Debian installs it.
extern const QString kSoftHsmModule;

// A key (key.pem) and a certificate (cert.pem).
struct TestCertificate {
    QString keyPem;
    QString certPem;
};

struct CertificateShape {
    QString commonName = QStringLiteral("Mario Rossi");
    int validFromDays = -1; // days from today
    int validToDays = 365;
    bool nonRepudiation = true;
    // The certificate authority that issues it; none: self-signed.
    const TestCertificate* issuedBy = nullptr;
};

// A key and a certificate of the given shape named base in folder.
TestCertificate makeCertificate(const TempFolder& folder, const QString& base,
                                const CertificateShape& shape = {});

// The certificate and key in a PKCS#12 file protected by password; legacy: with the RC2 and 3DES
// protection older systems export.
QString makePkcs12(const TempFolder& folder, const TestCertificate& certificate,
                   const QString& password, bool legacy = false);

// A SoftHSM2 token labelled label with user PIN pin, reached through SOFTHSM2_CONF for as long as
// the object lives.
class SoftToken {
public:
    SoftToken(const QString& label, const QString& pin);
    ~SoftToken();
    SoftToken(const SoftToken&) = delete;
    SoftToken& operator=(const SoftToken&) = delete;

    // Puts the key and its certificate on the token under the object id (hex, "01").
    void add(const TestCertificate& certificate, const QString& id);

    sdi::SigningKey key() const;
    bool ready() const { return ready_; }

private:
    TempFolder folder_;
    QString label_;
    QString pin_;
    QByteArray previousConf_;
    bool hadConf_ = false;
    bool ready_ = false;
};

// Runs a program; its exit code, its standard output in out and its error output in err.
int runTool(const QString& program, const QStringList& args, QByteArray* out = nullptr,
            QByteArray* err = nullptr);

// What `openssl cms -verify` says of the signed file, trusting the certificate: the content it
// verified, or an empty array with the tool's complaint in why. The signing-certificate attribute
// is checked too (-cades).
QByteArray opensslVerified(const QString& signedFile, const QString& trustedCertPem,
                           QString* why = nullptr);

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

} // namespace brevalto::test
