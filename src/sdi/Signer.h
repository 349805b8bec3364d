#pragma once
// Signing an invoice file: a CAdES-BES envelope (CMS SignedData in DER with the content inside,
// SHA-256, the signer's certificate, the ESS signing-certificate-v2 and signing-time attributes),
// the form the exchange system accepts as "<name>.xml.p7m". The key is in a PKCS#12 file
// (".pfx", ".p12") opened with its password, or on a smart card or token reached through its
// PKCS#11 module and unlocked with its PIN. Every failure is an Italian message and writes
// nothing; the password or PIN is used for one signature and never kept.
#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace brevalto::sdi {

// Where the signing key is.
struct SigningKey {
    enum class Kind { Pkcs12, Pkcs11 };
    Kind kind = Kind::Pkcs12;
    QString file = {};   // PKCS#12: the certificate file
    QString module = {}; // PKCS#11: the module (a shared library) of the card or token
    QString token = {};  // PKCS#11: the label of the token; empty takes the only one present

    // What the key is, for messages: "il file firma.p12", "la carta «CNS» (modulo ...)".
    QString describe() const;
    // What is missing for a signature, in Italian; empty when the key is fully named.
    QString incomplete() const;
    // "Password" for a file, "PIN" for a card.
    QString secretName() const;
};

enum class SignFailure {
    None,
    WrongSecret,      // wrong password of the file, wrong PIN of the card
    SecretLocked,     // the card's PIN is blocked
    FileMissing,      // the PKCS#12 file or the content to sign is not there or unreadable
    NotACertificate,  // the file is not PKCS#12, or holds no key and certificate
    ModuleMissing,    // the PKCS#11 module is not there or does not load
    TokenMissing,     // no card in the reader, or none with the label
    KeyMissing,       // the card holds no certificate with its private key
    Expired,          // the certificate has expired (the caller may sign anyway, see expiredOn)
    NotYetValid,      // the certificate's validity has not begun
    NoNonRepudiation, // the certificate is not meant for signatures (no non-repudiation usage)
    Failed,           // anything else: the signature itself, writing the file
};

struct SignResult {
    SignFailure failure = SignFailure::None;
    QString message;     // Italian; empty when signed
    QDateTime expiredOn; // Expired: when the certificate expired
    QByteArray envelope; // the signed file's bytes (DER)
    QString signer;      // common name of the certificate used
    QString issuer;      // common name of its issuer
    QDateTime validFrom; // its validity
    QDateTime validUntil;

    bool ok() const { return failure == SignFailure::None; }
};

struct SignOptions {
    // Signs with an expired certificate (after the caller asked the user, naming the date).
    bool allowExpired = false;
};

// The envelope of content signed with the key.
SignResult signContent(const QByteArray& content, const SigningKey& key, const QString& secret,
                       const SignOptions& options = {});

// Signs the file at inPath and writes the envelope whole to outPath (replacing a file there).
// On any failure nothing is written and the file at outPath stays as it was.
SignResult signFile(const QString& inPath, const QString& outPath, const SigningKey& key,
                    const QString& secret, const SignOptions& options = {});

// "fattura.xml" → "fattura.xml.p7m".
QString signedFileName(const QString& path);

// The question asked before signing with an expired certificate.
QString expiredQuestion(const QDateTime& expiredOn);

} // namespace brevalto::sdi
