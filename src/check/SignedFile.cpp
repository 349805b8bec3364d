#include "check/SignedFile.h"

#include <memory>
#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/x509.h>

namespace brevalto::check {

namespace {

struct FreeCms {
    void operator()(CMS_ContentInfo* p) const { CMS_ContentInfo_free(p); }
};
struct FreeBio {
    void operator()(BIO* p) const { BIO_free(p); }
};
struct FreeCerts {
    void operator()(STACK_OF(X509) * p) const { sk_X509_pop_free(p, X509_free); }
};

std::unique_ptr<CMS_ContentInfo, FreeCms> parseDer(const QByteArray& der) {
    std::unique_ptr<BIO, FreeBio> in(BIO_new_mem_buf(der.constData(), int(der.size())));
    std::unique_ptr<CMS_ContentInfo, FreeCms> cms(d2i_CMS_bio(in.get(), nullptr));
    ERR_clear_error();
    return cms;
}

// Files that travelled by mail often hold the DER envelope as base64 text, with or without PEM
// armour.
QByteArray unwrapBase64(const QByteArray& bytes) {
    QByteArray text = bytes;
    const qsizetype begin = text.indexOf("-----BEGIN");
    if (begin >= 0) {
        const qsizetype lineEnd = text.indexOf('\n', begin);
        const qsizetype end = text.indexOf("-----END", lineEnd);
        if (lineEnd < 0 || end < 0)
            return {};
        text = text.mid(lineEnd + 1, end - lineEnd - 1);
    }
    QByteArray clean;
    clean.reserve(text.size());
    for (char c : text) {
        if (c == ' ' || c == '\r' || c == '\n' || c == '\t')
            continue;
        const bool valid = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '+' || c == '/' || c == '=';
        if (!valid)
            return {};
        clean += c;
    }
    auto decoded = QByteArray::fromBase64Encoding(clean, QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

// The common name of a certificate's subject or issuer, or the whole name when it has none.
QString nameText(X509_NAME* name) {
    char buffer[512] = {};
    if (X509_NAME_get_text_by_NID(name, NID_commonName, buffer, sizeof buffer) > 0)
        return QString::fromUtf8(buffer);
    std::unique_ptr<BIO, FreeBio> out(BIO_new(BIO_s_mem()));
    X509_NAME_print_ex(out.get(), name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long size = BIO_get_mem_data(out.get(), &data);
    return QString::fromUtf8(data, size);
}

QDateTime utcTime(const ASN1_TIME* time) {
    std::tm tm{};
    if (!time || ASN1_TIME_to_tm(time, &tm) != 1)
        return {};
    return QDateTime(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                     QTime(tm.tm_hour, tm.tm_min, tm.tm_sec), Qt::UTC);
}

QDateTime signingTime(CMS_SignerInfo* info) {
    const int index = CMS_signed_get_attr_by_NID(info, NID_pkcs9_signingTime, -1);
    if (index < 0)
        return {};
    X509_ATTRIBUTE* attribute = CMS_signed_get_attr(info, index);
    ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(attribute, 0);
    if (!value || (value->type != V_ASN1_UTCTIME && value->type != V_ASN1_GENERALIZEDTIME))
        return {};
    return utcTime(reinterpret_cast<const ASN1_TIME*>(value->value.asn1_string));
}

QString italianDay(const QDateTime& utc) {
    return utc.toLocalTime().toString(QStringLiteral("dd/MM/yyyy"));
}

} // namespace

bool isSignedName(const QString& path) {
    return path.endsWith(QLatin1String(".p7m"), Qt::CaseInsensitive);
}

QString SignedFile::summary() const {
    if (!opened)
        return error;
    QString text = QStringLiteral("Firmato da %1")
                       .arg(signer.isEmpty() ? QStringLiteral("(firmatario sconosciuto)") : signer);
    if (signedAt.isValid())
        text += QStringLiteral(" il %1").arg(
            signedAt.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")));
    text += intact ? QStringLiteral(" — firma integra") : QStringLiteral(" — firma non integra");
    return text;
}

bool SignedFile::signedOutsideValidity() const {
    return signedAt.isValid() && validFrom.isValid() && validTo.isValid() &&
           (signedAt < validFrom || signedAt > validTo);
}

QString SignedFile::certificateSummary() const {
    if (!validFrom.isValid() && !validTo.isValid() && issuer.isEmpty())
        return {};
    QString text = QStringLiteral("Certificato rilasciato da %1")
                       .arg(issuer.isEmpty() ? QStringLiteral("(ente sconosciuto)") : issuer);
    if (validFrom.isValid() && validTo.isValid())
        text +=
            QStringLiteral(", valido dal %1 al %2").arg(italianDay(validFrom), italianDay(validTo));
    if (signedOutsideValidity())
        text += QStringLiteral(" — non era valido alla data della firma");
    return text;
}

SignedFile openSigned(const QByteArray& bytes) {
    SignedFile result;
    result.size = bytes.size();
    if (bytes.isEmpty()) {
        result.error = QStringLiteral("Il file firmato è vuoto.");
        return result;
    }
    auto cms = parseDer(bytes);
    if (!cms)
        cms = parseDer(unwrapBase64(bytes));
    if (!cms || OBJ_obj2nid(CMS_get0_type(cms.get())) != NID_pkcs7_signed) {
        result.error = QStringLiteral(
            "Il file non è un documento firmato leggibile (p7m): è danneggiato o non è firmato.");
        return result;
    }
    ASN1_OCTET_STRING** content = CMS_get0_content(cms.get());
    if (!content || !*content || ASN1_STRING_length(*content) == 0) {
        result.error = QStringLiteral(
            "Il file firmato non contiene la fattura (firma separata dal documento).");
        return result;
    }
    result.content = QByteArray(reinterpret_cast<const char*>(ASN1_STRING_get0_data(*content)),
                                ASN1_STRING_length(*content));
    STACK_OF(CMS_SignerInfo)* infos = CMS_get0_SignerInfos(cms.get());
    if (!infos || sk_CMS_SignerInfo_num(infos) == 0) {
        result.error = QStringLiteral("Il file non porta alcuna firma.");
        return result;
    }
    result.opened = true;
    CMS_SignerInfo* first = sk_CMS_SignerInfo_value(infos, 0);
    std::unique_ptr<STACK_OF(X509), FreeCerts> certificates(CMS_get1_certs(cms.get()));
    for (int i = 0; certificates && i < sk_X509_num(certificates.get()); ++i) {
        X509* certificate = sk_X509_value(certificates.get(), i);
        if (CMS_SignerInfo_cert_cmp(first, certificate) == 0) {
            result.signer = nameText(X509_get_subject_name(certificate));
            result.issuer = nameText(X509_get_issuer_name(certificate));
            result.validFrom = utcTime(X509_get0_notBefore(certificate));
            result.validTo = utcTime(X509_get0_notAfter(certificate));
            break;
        }
    }
    result.signedAt = signingTime(first);
    // The signature against the content and the signer's certificate inside the file; the trust
    // chain is not judged.
    std::unique_ptr<BIO, FreeBio> out(BIO_new(BIO_s_mem()));
    result.intact = CMS_verify(cms.get(), nullptr, nullptr, nullptr, out.get(),
                               CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY) == 1;
    ERR_clear_error();
    return result;
}

} // namespace brevalto::check
