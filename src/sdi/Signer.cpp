#include "sdi/Signer.h"

#include "store/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <ctime>
#include <libp11.h>
#include <memory>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/provider.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace brevalto::sdi {

namespace {

// Return values of a PKCS#11 module that libp11 leaves as the reason of its error.
constexpr int kPinIncorrect = 0xA0;
constexpr int kPinInvalid = 0xA1;
constexpr int kPinLenRange = 0xA2;
constexpr int kPinExpired = 0xA3;
constexpr int kPinLocked = 0xA4;
constexpr int kDeviceRemoved = 0x32;
constexpr int kTokenNotPresent = 0xE0;

// A PKCS#12 file is a few kilobytes; a bigger one is not read whole into memory.
constexpr qint64 kMaxPkcs12Size = 1 << 20;

struct FreeBio {
    void operator()(BIO* p) const { BIO_free(p); }
};
struct FreeCms {
    void operator()(CMS_ContentInfo* p) const { CMS_ContentInfo_free(p); }
};
struct FreeKey {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};
struct FreeCert {
    void operator()(X509* p) const { X509_free(p); }
};
struct FreeCerts {
    void operator()(STACK_OF(X509) * p) const { sk_X509_pop_free(p, X509_free); }
};
struct FreePkcs12 {
    void operator()(PKCS12* p) const { PKCS12_free(p); }
};
using Bio = std::unique_ptr<BIO, FreeBio>;

// The texts of OpenSSL's pending errors, emptying its queue.
QString opensslErrors() {
    QStringList texts;
    while (const unsigned long code = ERR_get_error()) {
        char buffer[256] = {};
        ERR_error_string_n(code, buffer, sizeof buffer);
        texts << QString::fromUtf8(buffer);
    }
    return texts.isEmpty() ? QStringLiteral("errore sconosciuto")
                           : texts.join(QStringLiteral("; "));
}

// The reasons of the pending errors, emptying the queue.
QList<int> errorReasons() {
    QList<int> reasons;
    while (const unsigned long code = ERR_get_error())
        reasons << ERR_GET_REASON(code);
    return reasons;
}

QString commonName(const X509_NAME* name) {
    char buffer[512] = {};
    if (X509_NAME_get_text_by_NID(const_cast<X509_NAME*>(name), NID_commonName, buffer,
                                  sizeof buffer) > 0)
        return QString::fromUtf8(buffer);
    Bio out(BIO_new(BIO_s_mem()));
    X509_NAME_print_ex(out.get(), name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long size = BIO_get_mem_data(out.get(), &data);
    return QString::fromUtf8(data, size);
}

QDateTime toDateTime(const ASN1_TIME* time) {
    std::tm tm{};
    if (!time || ASN1_TIME_to_tm(time, &tm) != 1)
        return {};
    return QDateTime(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                     QTime(tm.tm_hour, tm.tm_min, tm.tm_sec), Qt::UTC);
}

QString dayText(const QDateTime& when) {
    return when.toLocalTime().toString(QStringLiteral("dd/MM/yyyy"));
}

bool hasNonRepudiation(X509* certificate) {
    // Without the key-usage extension the certificate declares no use for signatures.
    return (X509_get_extension_flags(certificate) & EXFLAG_KUSAGE) &&
           (X509_get_key_usage(certificate) & KU_NON_REPUDIATION);
}

SignResult fail(SignFailure failure, const QString& message) {
    SignResult result;
    result.failure = failure;
    result.message = message;
    return result;
}

// The key and certificate of one signature, with what keeps them usable: for a card, its module
// loaded and its session logged in until the signature is made.
class Credentials {
public:
    Credentials() = default;
    Credentials(const Credentials&) = delete;
    Credentials& operator=(const Credentials&) = delete;
    ~Credentials() {
        // The key and the certificate go before the session and the module they come from.
        key.reset();
        certificate.reset();
        chain.reset();
        if (slots) {
            if (loggedIn)
                PKCS11_logout(slot);
            PKCS11_release_all_slots(context, slots, slotCount);
        }
        if (context) {
            if (moduleLoaded)
                PKCS11_CTX_unload(context);
            PKCS11_CTX_free(context);
        }
        ERR_clear_error();
    }

    std::unique_ptr<EVP_PKEY, FreeKey> key;
    std::unique_ptr<X509, FreeCert> certificate;
    std::unique_ptr<STACK_OF(X509), FreeCerts> chain; // other certificates to include

    PKCS11_CTX* context = nullptr;
    bool moduleLoaded = false;
    PKCS11_SLOT* slots = nullptr;
    unsigned int slotCount = 0;
    PKCS11_SLOT* slot = nullptr;
    bool loggedIn = false;
};

// Zeroes a copy of the password or PIN when it goes out of use.
class SecretBytes {
public:
    explicit SecretBytes(const QString& secret) : bytes_(secret.toUtf8()) {}
    ~SecretBytes() { bytes_.fill('\0'); }
    const char* data() const { return bytes_.constData(); }
    int size() const { return int(bytes_.size()); }
    bool isEmpty() const { return bytes_.isEmpty(); }

private:
    QByteArray bytes_;
};

SignResult openPkcs12(const SigningKey& key, const SecretBytes& secret, Credentials& c) {
    const QString shown = QDir::toNativeSeparators(key.file);
    QFile file(key.file);
    if (!QFileInfo(key.file).isFile())
        return fail(SignFailure::FileMissing,
                    QStringLiteral("Il file del certificato %1 non esiste.").arg(shown));
    if (!file.open(QIODevice::ReadOnly))
        return fail(SignFailure::FileMissing, QStringLiteral("Il file del certificato %1 non si "
                                                             "può leggere: %2")
                                                  .arg(shown, failureReason(file)));
    const QString notPkcs12 =
        QStringLiteral("Il file %1 non è un certificato di firma in formato PKCS#12 (.pfx, .p12).")
            .arg(shown);
    if (file.size() > kMaxPkcs12Size)
        return fail(SignFailure::NotACertificate, notPkcs12);
    const QByteArray bytes = file.readAll();
    Bio in(BIO_new_mem_buf(bytes.constData(), int(bytes.size())));
    std::unique_ptr<PKCS12, FreePkcs12> p12(d2i_PKCS12_bio(in.get(), nullptr));
    if (!p12) {
        ERR_clear_error();
        return fail(SignFailure::NotACertificate, notPkcs12);
    }
    // The password is checked against the file's integrity code first, so that a wrong one is
    // told apart from a file OpenSSL cannot read. An empty password may be stored as none.
    const char* password = secret.data();
    int passwordLength = secret.size();
    if (PKCS12_mac_present(p12.get())) {
        bool verified = PKCS12_verify_mac(p12.get(), password, passwordLength) == 1;
        if (!verified && secret.isEmpty()) {
            password = nullptr;
            verified = PKCS12_verify_mac(p12.get(), nullptr, 0) == 1;
        }
        ERR_clear_error();
        if (!verified)
            return fail(
                SignFailure::WrongSecret,
                QStringLiteral("La password del certificato %1 non è corretta.").arg(shown));
    }
    EVP_PKEY* pkey = nullptr;
    X509* certificate = nullptr;
    STACK_OF(X509)* others = nullptr;
    bool parsed = PKCS12_parse(p12.get(), password, &pkey, &certificate, &others) == 1;
    if (!parsed) {
        // Files exported by older systems protect the key with algorithms (RC2, 40-bit RC4) that
        // OpenSSL keeps in its legacy provider.
        ERR_clear_error();
        if (OSSL_PROVIDER_try_load(nullptr, "legacy", 1))
            parsed = PKCS12_parse(p12.get(), password, &pkey, &certificate, &others) == 1;
    }
    c.key.reset(pkey);
    c.certificate.reset(certificate);
    c.chain.reset(others);
    if (!parsed)
        return fail(
            SignFailure::NotACertificate,
            QStringLiteral("Il certificato %1 non si può aprire: %2").arg(shown, opensslErrors()));
    if (!c.key || !c.certificate || X509_check_private_key(c.certificate.get(), c.key.get()) != 1) {
        ERR_clear_error();
        return fail(SignFailure::NotACertificate,
                    QStringLiteral("Il file %1 non contiene una chiave privata con il suo "
                                   "certificato.")
                        .arg(shown));
    }
    return {};
}

QString trimmedLabel(const char* label) {
    return QString::fromUtf8(label ? label : "").trimmed();
}

// The certificate of the card to sign with: among those with their private key, one meant for
// signatures (a CNS card also holds an authentication certificate), valid now when one is.
PKCS11_CERT* chooseCertificate(PKCS11_CERT* certs, unsigned int count) {
    PKCS11_CERT* chosen = nullptr;
    int chosenRank = -1;
    for (unsigned int i = 0; i < count; ++i) {
        PKCS11_CERT* cert = &certs[i];
        if (!cert->x509 || !PKCS11_find_key(cert))
            continue;
        const bool signing = hasNonRepudiation(cert->x509);
        const bool current = X509_cmp_current_time(X509_get0_notBefore(cert->x509)) < 0 &&
                             X509_cmp_current_time(X509_get0_notAfter(cert->x509)) > 0;
        const int rank = (signing ? 2 : 0) + (current ? 1 : 0);
        if (rank > chosenRank) {
            chosen = cert;
            chosenRank = rank;
        }
    }
    ERR_clear_error();
    return chosen;
}

SignResult openPkcs11(const SigningKey& key, const SecretBytes& secret, Credentials& c) {
    const QString module = QDir::toNativeSeparators(key.module);
    // A bare name ("opensc-pkcs11.so") is looked for by the system's loader.
    if (key.module.contains(QLatin1Char('/')) && !QFileInfo(key.module).isFile())
        return fail(SignFailure::ModuleMissing,
                    QStringLiteral("Il modulo PKCS#11 %1 non esiste: indicare il percorso della "
                                   "libreria della carta (per le carte CNS più comuni "
                                   "/usr/lib/x86_64-linux-gnu/opensc-pkcs11.so).")
                        .arg(module));
    c.context = PKCS11_CTX_new();
    if (!c.context)
        return fail(SignFailure::Failed, opensslErrors());
    if (PKCS11_CTX_load(c.context, QFile::encodeName(key.module).constData()) != 0) {
        ERR_clear_error();
        return fail(SignFailure::ModuleMissing,
                    QStringLiteral("Il modulo PKCS#11 %1 non si può caricare: non è la libreria "
                                   "di una carta o di un dispositivo di firma.")
                        .arg(module));
    }
    c.moduleLoaded = true;
    if (PKCS11_enumerate_slots(c.context, &c.slots, &c.slotCount) != 0) {
        c.slots = nullptr;
        return fail(SignFailure::TokenMissing,
                    QStringLiteral("Il modulo %1 non trova lettori di carte: %2")
                        .arg(module, opensslErrors()));
    }
    QStringList present;
    QList<PKCS11_SLOT*> matching;
    for (unsigned int i = 0; i < c.slotCount; ++i) {
        PKCS11_SLOT* slot = &c.slots[i];
        if (!slot->token || !slot->token->initialized)
            continue;
        const QString label = trimmedLabel(slot->token->label);
        present << QStringLiteral("«%1»").arg(label);
        if (key.token.trimmed().isEmpty() ||
            label.compare(key.token.trimmed(), Qt::CaseInsensitive) == 0)
            matching << slot;
    }
    if (present.isEmpty())
        return fail(SignFailure::TokenMissing,
                    QStringLiteral("Nessuna carta inserita: collegare il lettore, inserire la "
                                   "carta di firma e riprovare."));
    if (matching.isEmpty())
        return fail(SignFailure::TokenMissing,
                    QStringLiteral("Nessuna carta con etichetta «%1». Carte presenti: %2.")
                        .arg(key.token.trimmed(), present.join(QStringLiteral(", "))));
    if (matching.size() > 1)
        return fail(SignFailure::TokenMissing,
                    QStringLiteral("Sono presenti più carte (%1): indicare l'etichetta di quella "
                                   "con cui firmare.")
                        .arg(present.join(QStringLiteral(", "))));
    c.slot = matching.constFirst();
    PKCS11_TOKEN* token = c.slot->token;
    const QString label = trimmedLabel(token->label);
    const QString locked =
        QStringLiteral("Il PIN della carta «%1» è bloccato: sbloccarlo con il PUK, con il "
                       "programma del fornitore della carta.")
            .arg(label);
    if (token->userPinLocked)
        return fail(SignFailure::SecretLocked, locked);

    if (token->loginRequired) {
        ERR_clear_error();
        // A reader with its own keypad asks the PIN itself.
        const char* pin = secret.isEmpty() && token->secureLogin ? nullptr : secret.data();
        if (PKCS11_login(c.slot, 0, pin) != 0) {
            const QList<int> reasons = errorReasons();
            const auto said = [&](std::initializer_list<int> codes) {
                for (int code : codes) {
                    if (reasons.contains(code))
                        return true;
                }
                return false;
            };
            if (said({kPinLocked}))
                return fail(SignFailure::SecretLocked, locked);
            if (said({kPinIncorrect, kPinInvalid, kPinLenRange}))
                return fail(SignFailure::WrongSecret,
                            QStringLiteral("Il PIN della carta «%1» non è corretto: dopo alcuni "
                                           "tentativi errati la carta blocca il PIN.")
                                .arg(label));
            if (said({kPinExpired}))
                return fail(SignFailure::SecretLocked,
                            QStringLiteral("Il PIN della carta «%1» è scaduto: cambiarlo con il "
                                           "programma del fornitore della carta.")
                                .arg(label));
            if (said({kDeviceRemoved, kTokenNotPresent}))
                return fail(SignFailure::TokenMissing,
                            QStringLiteral("La carta «%1» è stata tolta dal lettore.").arg(label));
            return fail(SignFailure::Failed,
                        QStringLiteral("L'accesso alla carta «%1» non è riuscito.").arg(label));
        }
        c.loggedIn = true;
    }

    PKCS11_CERT* certs = nullptr;
    unsigned int certCount = 0;
    if (PKCS11_enumerate_certs(token, &certs, &certCount) != 0) {
        certs = nullptr;
        certCount = 0;
    }
    PKCS11_CERT* chosen = chooseCertificate(certs, certCount);
    if (!chosen)
        return fail(SignFailure::KeyMissing,
                    QStringLiteral("Sulla carta «%1» non c'è un certificato con la sua chiave "
                                   "privata.")
                        .arg(label));
    PKCS11_KEY* privateKey = PKCS11_find_key(chosen);
    c.key.reset(privateKey ? PKCS11_get_private_key(privateKey) : nullptr);
    c.certificate.reset(X509_dup(chosen->x509));
    if (!c.key || !c.certificate)
        return fail(SignFailure::KeyMissing,
                    QStringLiteral("La chiave privata della carta «%1» non si può usare: %2")
                        .arg(label, opensslErrors()));
    return {};
}

SignResult checkCertificate(X509* certificate, const SignOptions& options) {
    const QString owner = commonName(X509_get_subject_name(certificate));
    if (!hasNonRepudiation(certificate))
        return fail(SignFailure::NoNonRepudiation,
                    QStringLiteral("Il certificato di %1 non è un certificato di firma: manca "
                                   "l'uso della chiave «non ripudio» (nonRepudiation). Sulle carte "
                                   "CNS è il certificato di autenticazione: serve quello di "
                                   "firma.")
                        .arg(owner));
    const QDateTime from = toDateTime(X509_get0_notBefore(certificate));
    const QDateTime until = toDateTime(X509_get0_notAfter(certificate));
    if (X509_cmp_current_time(X509_get0_notBefore(certificate)) > 0)
        return fail(
            SignFailure::NotYetValid,
            QStringLiteral("Il certificato di %1 è valido solo dal %2.").arg(owner, dayText(from)));
    if (X509_cmp_current_time(X509_get0_notAfter(certificate)) < 0 && !options.allowExpired) {
        SignResult result = fail(
            SignFailure::Expired,
            QStringLiteral("Il certificato di %1 è scaduto il %2.").arg(owner, dayText(until)));
        result.expiredOn = until;
        return result;
    }
    ERR_clear_error();
    return {};
}

SignResult envelope(const QByteArray& content, Credentials& c) {
    // SHA-256 with the signing-time and ESS signing-certificate-v2 attributes (CMS_CADES); no
    // S/MIME capabilities, which belong to mail.
    const unsigned int flags = CMS_BINARY | CMS_PARTIAL | CMS_NOSMIMECAP;
    ERR_clear_error();
    std::unique_ptr<CMS_ContentInfo, FreeCms> cms(
        CMS_sign(nullptr, nullptr, c.chain.get(), nullptr, flags));
    Bio in(BIO_new_mem_buf(content.constData(), int(content.size())));
    Bio out(BIO_new(BIO_s_mem()));
    const bool signedOk = cms && in && out &&
                          CMS_add1_signer(cms.get(), c.certificate.get(), c.key.get(), EVP_sha256(),
                                          flags | CMS_CADES) != nullptr &&
                          CMS_final(cms.get(), in.get(), nullptr, CMS_BINARY) == 1 &&
                          i2d_CMS_bio(out.get(), cms.get()) == 1;
    if (!signedOk)
        return fail(SignFailure::Failed,
                    QStringLiteral("La firma non è riuscita: %1").arg(opensslErrors()));
    char* data = nullptr;
    const long size = BIO_get_mem_data(out.get(), &data);
    SignResult result;
    result.envelope = QByteArray(data, size);
    X509* certificate = c.certificate.get();
    result.signer = commonName(X509_get_subject_name(certificate));
    result.issuer = commonName(X509_get_issuer_name(certificate));
    result.validFrom = toDateTime(X509_get0_notBefore(certificate));
    result.validUntil = toDateTime(X509_get0_notAfter(certificate));
    return result;
}

} // namespace

QString SigningKey::describe() const {
    if (kind == Kind::Pkcs12)
        return QStringLiteral("il certificato %1").arg(QDir::toNativeSeparators(file));
    if (token.trimmed().isEmpty())
        return QStringLiteral("la carta (modulo %1)").arg(QDir::toNativeSeparators(module));
    return QStringLiteral("la carta «%1» (modulo %2)")
        .arg(token.trimmed(), QDir::toNativeSeparators(module));
}

QString SigningKey::incomplete() const {
    if (kind == Kind::Pkcs12)
        return file.trimmed().isEmpty()
                   ? QStringLiteral("Indicare il file del certificato di firma (.pfx, .p12).")
                   : QString();
    return module.trimmed().isEmpty()
               ? QStringLiteral("Indicare il modulo PKCS#11 della carta di firma.")
               : QString();
}

QString SigningKey::secretName() const {
    return kind == Kind::Pkcs12 ? QStringLiteral("Password") : QStringLiteral("PIN");
}

SignResult signContent(const QByteArray& content, const SigningKey& key, const QString& secret,
                       const SignOptions& options) {
    const QString missing = key.incomplete();
    if (!missing.isEmpty())
        return fail(key.kind == SigningKey::Kind::Pkcs12 ? SignFailure::FileMissing
                                                         : SignFailure::ModuleMissing,
                    missing);
    const SecretBytes bytes(secret);
    Credentials credentials;
    SignResult opened = key.kind == SigningKey::Kind::Pkcs12 ? openPkcs12(key, bytes, credentials)
                                                             : openPkcs11(key, bytes, credentials);
    if (!opened.ok())
        return opened;
    SignResult checked = checkCertificate(credentials.certificate.get(), options);
    if (!checked.ok())
        return checked;
    return envelope(content, credentials);
}

SignResult signFile(const QString& inPath, const QString& outPath, const SigningKey& key,
                    const QString& secret, const SignOptions& options) {
    const QString shown = QDir::toNativeSeparators(inPath);
    QFile in(inPath);
    if (!QFileInfo(inPath).isFile())
        return fail(SignFailure::FileMissing,
                    QStringLiteral("Il file da firmare %1 non esiste.").arg(shown));
    if (!in.open(QIODevice::ReadOnly))
        return fail(SignFailure::FileMissing,
                    QStringLiteral("Il file da firmare %1 non si può leggere: %2")
                        .arg(shown, failureReason(in)));
    const QByteArray content = in.readAll();
    in.close();
    if (content.isEmpty())
        return fail(SignFailure::FileMissing,
                    QStringLiteral("Il file da firmare %1 è vuoto.").arg(shown));
    const QFileInfo target(outPath);
    if (target.exists() && target.canonicalFilePath() == QFileInfo(inPath).canonicalFilePath())
        return fail(SignFailure::Failed, QStringLiteral("Il file firmato non può sostituire il "
                                                        "file da firmare %1.")
                                             .arg(shown));
    SignResult result = signContent(content, key, secret, options);
    if (!result.ok())
        return result;
    QString why;
    if (!writeWholeFile(outPath, result.envelope, &why))
        return fail(SignFailure::Failed, QStringLiteral("Il file firmato %1 non è stato scritto: "
                                                        "%2")
                                             .arg(QDir::toNativeSeparators(outPath), why));
    return result;
}

QString signedFileName(const QString& path) {
    return path + QStringLiteral(".p7m");
}

QString expiredQuestion(const QDateTime& expiredOn) {
    return QStringLiteral("Il certificato di firma è scaduto il %1: il Sistema di Interscambio "
                          "può scartare una fattura firmata con un certificato scaduto.\n\n"
                          "Firmare comunque?")
        .arg(dayText(expiredOn));
}

} // namespace brevalto::sdi
