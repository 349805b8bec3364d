#pragma once
// Signed invoice files (".p7m", CAdES): the signed content is taken out of the CMS envelope, DER
// or base64-wrapped as the exchange system delivers it, and the signature is checked against that
// content. Whether the signer's certificate is trusted is not judged: the signature is "integra"
// when it matches the content, "non integra" otherwise.
#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace brevalto::check {

struct SignedFile {
    // False when the bytes are not a signed envelope with content; error says why in Italian.
    bool opened = false;
    QString error;
    QByteArray content;
    // Bytes of the signed file as given (the size the exchange system weighs).
    qint64 size = 0;
    // Common name (or whole subject) of the first signer's certificate; empty when not found.
    QString signer;
    // Signing time the signer declared; invalid when the signature carries none.
    QDateTime signedAt;
    // The signer's certificate: common name (or whole name) of its issuer and its validity, UTC;
    // empty and invalid when the file does not carry the certificate.
    QString issuer;
    QDateTime validFrom;
    QDateTime validTo;
    bool intact = false;

    // "Firmato da Mario Rossi il 10/12/2026 17:05 — firma integra".
    QString summary() const;
    // "Certificato rilasciato da Alfa CA, valido dal 01/01/2026 al 31/12/2028"; empty without a
    // certificate. Says it too when the signing time falls outside the validity.
    QString certificateSummary() const;
    // The signing time fell outside the certificate's validity (both known).
    bool signedOutsideValidity() const;
};

// True when the file name says the file is signed (".p7m", any letter case).
bool isSignedName(const QString& path);

SignedFile openSigned(const QByteArray& bytes);

} // namespace brevalto::check
