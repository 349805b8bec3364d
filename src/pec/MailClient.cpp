#include "pec/MailClient.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QUuid>
#include <curl/curl.h>
#include <dlfcn.h>
#include <mutex>

namespace brevalto::pec {

namespace {

// libcurl is loaded the first time mail is sent or read, not linked: with the TLS, SSH, LDAP and
// Kerberos libraries it brings along it would add some twenty libraries to the start of every run
// of the program, windows and commands alike, that never touch the mail.
struct Curl {
    decltype(&::curl_global_init) global_init = nullptr;
    decltype(&::curl_easy_init) easy_init = nullptr;
    decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&::curl_easy_reset) easy_reset = nullptr;
    decltype(&::curl_easy_setopt) easy_setopt = nullptr;
    decltype(&::curl_easy_perform) easy_perform = nullptr;
    decltype(&::curl_easy_strerror) easy_strerror = nullptr;
    decltype(&::curl_slist_append) slist_append = nullptr;
    decltype(&::curl_slist_free_all) slist_free_all = nullptr;
    QString missing; // why the library could not be loaded; empty once it is
};

template <typename F> bool resolve(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

Curl loadCurl() {
    Curl c;
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        c.missing = QString::fromLocal8Bit(dlerror());
        return c;
    }
    const bool all = resolve(library, "curl_global_init", c.global_init) &&
                     resolve(library, "curl_easy_init", c.easy_init) &&
                     resolve(library, "curl_easy_cleanup", c.easy_cleanup) &&
                     resolve(library, "curl_easy_reset", c.easy_reset) &&
                     resolve(library, "curl_easy_setopt", c.easy_setopt) &&
                     resolve(library, "curl_easy_perform", c.easy_perform) &&
                     resolve(library, "curl_easy_strerror", c.easy_strerror) &&
                     resolve(library, "curl_slist_append", c.slist_append) &&
                     resolve(library, "curl_slist_free_all", c.slist_free_all);
    if (!all) {
        c.missing = QString::fromLocal8Bit(dlerror());
        return c;
    }
    c.global_init(CURL_GLOBAL_DEFAULT);
    return c;
}

// The loaded library; throws MailError when it cannot be loaded.
const Curl& libcurl() {
    static const Curl c = loadCurl();
    if (!c.missing.isEmpty())
        throw MailError(MailError::Kind::Other,
                        QStringLiteral("Posta certificata non disponibile: manca la libreria "
                                       "libcurl (%1). Installare il pacchetto libcurl4.")
                            .arg(c.missing));
    return c;
}

size_t appendTo(char* data, size_t size, size_t count, void* out) {
    const size_t bytes = size * count;
    static_cast<QByteArray*>(out)->append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

struct Upload {
    const QByteArray* data;
    qsizetype offset = 0;
};

size_t readFrom(char* buffer, size_t size, size_t count, void* in) {
    auto* up = static_cast<Upload*>(in);
    const size_t room = size * count;
    const qsizetype n = qMin(static_cast<qsizetype>(room), up->data->size() - up->offset);
    memcpy(buffer, up->data->constData() + up->offset, size_t(n));
    up->offset += n;
    return size_t(n);
}

int progress(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* flag = static_cast<const std::atomic<bool>*>(cancel);
    return flag && flag->load() ? 1 : 0;
}

QString describe(const MailServer& server) {
    return QStringLiteral("%1 (porta %2)").arg(server.host).arg(server.port);
}

[[noreturn]] void fail(CURLcode code, const char* detail, const MailServer& server,
                       const QString& what) {
    const QString where = describe(server);
    const QString more =
        detail && *detail ? QStringLiteral(" (%1)").arg(QString::fromUtf8(detail)) : QString();
    using K = MailError::Kind;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        throw MailError(K::NameNotFound,
                        QStringLiteral("%1: il server %2 non esiste (nome non trovato). "
                                       "Controllare il nome del server.")
                            .arg(what, server.host));
    case CURLE_COULDNT_CONNECT:
        throw MailError(K::Refused, QStringLiteral("%1: il server %2 ha rifiutato la connessione "
                                                   "o non è raggiungibile. Controllare il server "
                                                   "e la porta.")
                                        .arg(what, where));
    case CURLE_OPERATION_TIMEDOUT:
        throw MailError(K::Refused,
                        QStringLiteral("%1: il server %2 non risponde.").arg(what, where));
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        throw MailError(K::Tls, QStringLiteral("%1: connessione protetta (TLS) con %2 non "
                                               "riuscita: il server non offre TLS su questa porta "
                                               "o il suo certificato non è valido%3.")
                                    .arg(what, where, more));
    case CURLE_LOGIN_DENIED:
        throw MailError(K::Login, QStringLiteral("%1: il server %2 ha rifiutato l'accesso: "
                                                 "utente o password errati.")
                                      .arg(what, where));
    case CURLE_ABORTED_BY_CALLBACK:
        throw MailError(K::Cancelled, QStringLiteral("%1: annullato.").arg(what));
    default:
        throw MailError(K::Other, QStringLiteral("%1: errore con il server %2: %3")
                                      .arg(what, where,
                                           detail && *detail
                                               ? QString::fromUtf8(detail)
                                               : QString::fromUtf8(libcurl().easy_strerror(code))));
    }
}

QString hostForUrl(const QString& host) {
    return host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
}

} // namespace

struct MailClient::Handle {
    CURL* curl = nullptr;
    char error[CURL_ERROR_SIZE] = {};
    Handle() { curl = libcurl().easy_init(); }
    ~Handle() {
        if (curl)
            libcurl().easy_cleanup(curl);
    }
};

namespace {

void setCommon(CURL* curl, char* error, const MailAccount& account,
               const std::atomic<bool>* cancel) {
    libcurl().easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    const QByteArray user = account.user.toUtf8();
    const QByteArray password = account.password.toUtf8();
    libcurl().easy_setopt(curl, CURLOPT_USERNAME, user.constData());
    libcurl().easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    if (!account.caFile.isEmpty())
        libcurl().easy_setopt(curl, CURLOPT_CAINFO, account.caFile.toLocal8Bit().constData());
    libcurl().easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(account.timeoutSeconds));
    // A server that stops sending for the whole timeout is given up.
    libcurl().easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    libcurl().easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(account.timeoutSeconds));
    libcurl().easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    libcurl().easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    libcurl().easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
    libcurl().easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(cancel));
}

QByteArray smtpUrl(const MailServer& server) {
    const QString scheme = server.security == MailServer::Security::Tls ? QStringLiteral("smtps")
                                                                        : QStringLiteral("smtp");
    return QStringLiteral("%1://%2:%3")
        .arg(scheme, hostForUrl(server.host))
        .arg(server.port)
        .toUtf8();
}

} // namespace

MailClient::MailClient(MailAccount account, const std::atomic<bool>* cancel)
    : account_(std::move(account)), cancel_(cancel) {}

MailClient::~MailClient() = default;

bool isPlainAddress(const QString& address) {
    static const QRegularExpression plain(QStringLiteral(
        R"(^[A-Za-z0-9!#$%&'*+/=?^_`{|}~.\-]+@[A-Za-z0-9](?:[A-Za-z0-9\-.]*[A-Za-z0-9])?$)"));
    return plain.match(address).hasMatch();
}

namespace {

void requirePlainAddresses(const QStringList& addresses) {
    for (const QString& address : addresses)
        if (!isPlainAddress(address.trimmed()))
            throw MailError(MailError::Kind::Other,
                            QStringLiteral("Invio: l'indirizzo \"%1\" non è valido.")
                                .arg(address.simplified()));
}

} // namespace

void MailClient::send(const QStringList& recipients, const QByteArray& message) {
    QStringList addresses = recipients;
    addresses << account_.address;
    requirePlainAddresses(addresses);
    Handle h;
    setCommon(h.curl, h.error, account_, cancel_);
    const QByteArray url = smtpUrl(account_.smtp);
    libcurl().easy_setopt(h.curl, CURLOPT_URL, url.constData());
    libcurl().easy_setopt(h.curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    const QByteArray from = "<" + account_.address.toUtf8() + ">";
    libcurl().easy_setopt(h.curl, CURLOPT_MAIL_FROM, from.constData());
    QList<QByteArray> rcpt;
    curl_slist* list = nullptr;
    for (const QString& r : recipients) {
        rcpt << "<" + r.trimmed().toUtf8() + ">";
        list = libcurl().slist_append(list, rcpt.last().constData());
    }
    libcurl().easy_setopt(h.curl, CURLOPT_MAIL_RCPT, list);
    // SMTP lines end in CRLF; a message read from a file may have bare LF.
    QByteArray wire;
    wire.reserve(message.size() + message.size() / 50);
    for (qsizetype i = 0; i < message.size(); ++i) {
        if (message[i] == '\n' && (i == 0 || message[i - 1] != '\r'))
            wire += '\r';
        wire += message[i];
    }
    Upload up{&wire};
    libcurl().easy_setopt(h.curl, CURLOPT_READFUNCTION, readFrom);
    libcurl().easy_setopt(h.curl, CURLOPT_READDATA, &up);
    libcurl().easy_setopt(h.curl, CURLOPT_UPLOAD, 1L);
    const CURLcode code = libcurl().easy_perform(h.curl);
    libcurl().slist_free_all(list);
    if (code != CURLE_OK)
        fail(code, h.error, account_.smtp, QStringLiteral("Invio"));
}

void MailClient::checkSmtp() {
    requirePlainAddresses({account_.address});
    Handle h;
    setCommon(h.curl, h.error, account_, cancel_);
    const QByteArray url = smtpUrl(account_.smtp);
    libcurl().easy_setopt(h.curl, CURLOPT_URL, url.constData());
    libcurl().easy_setopt(h.curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    // Logging in is part of connecting: a NOOP after it is enough.
    libcurl().easy_setopt(h.curl, CURLOPT_CUSTOMREQUEST, "NOOP");
    libcurl().easy_setopt(h.curl, CURLOPT_NOBODY, 1L);
    const CURLcode code = libcurl().easy_perform(h.curl);
    if (code != CURLE_OK)
        fail(code, h.error, account_.smtp, QStringLiteral("Server in uscita (SMTP)"));
}

QByteArray MailClient::imapRequest(const QString& path, const QString& command) {
    if (!imap_)
        imap_ = std::make_unique<Handle>();
    CURL* curl = imap_->curl;
    libcurl().easy_reset(curl);
    setCommon(curl, imap_->error, account_, cancel_);
    const QString scheme = account_.imap.security == MailServer::Security::Tls
                               ? QStringLiteral("imaps")
                               : QStringLiteral("imap");
    const QByteArray url = QStringLiteral("%1://%2:%3/%4")
                               .arg(scheme, hostForUrl(account_.imap.host))
                               .arg(account_.imap.port)
                               .arg(path)
                               .toUtf8();
    libcurl().easy_setopt(curl, CURLOPT_URL, url.constData());
    libcurl().easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    const QByteArray custom = command.toUtf8();
    if (!custom.isEmpty())
        libcurl().easy_setopt(curl, CURLOPT_CUSTOMREQUEST, custom.constData());
    QByteArray out;
    libcurl().easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendTo);
    libcurl().easy_setopt(curl, CURLOPT_WRITEDATA, &out);
    imap_->error[0] = 0;
    const CURLcode code = libcurl().easy_perform(curl);
    if (code != CURLE_OK)
        fail(code, imap_->error, account_.imap, QStringLiteral("Server in arrivo (IMAP)"));
    return out;
}

QList<MailboxEntry> MailClient::inbox() {
    // On a connection that already has the inbox open the server tells of new messages only
    // after a command: NOOP lets the listing see them.
    imapRequest(QStringLiteral("INBOX"), QStringLiteral("NOOP"));
    const QByteArray answer =
        imapRequest(QStringLiteral("INBOX"), QStringLiteral("UID FETCH 1:* (UID FLAGS)"));
    static const QRegularExpression line(QStringLiteral(R"(^\* \d+ FETCH \((.*)\)\s*$)"),
                                         QRegularExpression::MultilineOption);
    static const QRegularExpression uid(QStringLiteral(R"(\bUID (\d+))"));
    static const QRegularExpression flags(QStringLiteral(R"(\bFLAGS \(([^)]*)\))"));
    QList<MailboxEntry> out;
    auto it = line.globalMatch(QString::fromLatin1(answer));
    while (it.hasNext()) {
        const QString items = it.next().captured(1);
        const auto u = uid.match(items);
        if (!u.hasMatch())
            continue;
        MailboxEntry e;
        e.uid = u.captured(1).toLongLong();
        e.seen = flags.match(items)
                     .captured(1)
                     .split(QLatin1Char(' '))
                     .contains(QLatin1String("\\Seen"), Qt::CaseInsensitive);
        out << e;
    }
    std::sort(out.begin(), out.end(),
              [](const MailboxEntry& a, const MailboxEntry& b) { return a.uid < b.uid; });
    return out;
}

QByteArray MailClient::fetchHeaders(qint64 uid) {
    return imapRequest(QStringLiteral("INBOX/;UID=%1;SECTION=HEADER").arg(uid), QString());
}

QByteArray MailClient::fetch(qint64 uid) {
    return imapRequest(QStringLiteral("INBOX/;UID=%1").arg(uid), QString());
}

void MailClient::setSeen(qint64 uid, bool seen) {
    imapRequest(QStringLiteral("INBOX"), QStringLiteral("UID STORE %1 %2FLAGS.SILENT (\\Seen)")
                                             .arg(uid)
                                             .arg(seen ? QLatin1Char('+') : QLatin1Char('-')));
}

void MailClient::checkImap() {
    imapRequest(QString(), QStringLiteral("NOOP"));
}

QByteArray composeMessage(const QString& from, const QString& to, const QString& fileName,
                          const QByteArray& file, QString* messageId) {
    const QString domain = from.section(QLatin1Char('@'), 1).trimmed();
    const QString id =
        QStringLiteral("%1@%2").arg(QUuid::createUuid().toString(QUuid::WithoutBraces),
                                    domain.isEmpty() ? QStringLiteral("brevalto.invalid") : domain);
    if (messageId)
        *messageId = id;
    const QByteArray boundary = "=_brevalto_" + QUuid::createUuid().toByteArray(QUuid::Id128);
    // The file name is plain ASCII (the exchange system's naming); anything else is encoded.
    auto headerText = [](const QString& text) -> QByteArray {
        bool ascii = true;
        for (QChar c : text)
            if (c.unicode() < 32 || c.unicode() > 126)
                ascii = false;
        return ascii ? text.toLatin1() : "=?utf-8?B?" + text.toUtf8().toBase64() + "?=";
    };
    const QByteArray name = headerText(fileName);
    const QString lower = fileName.toLower();
    const QByteArray type = lower.endsWith(QLatin1String(".p7m"))   ? "application/pkcs7-mime"
                            : lower.endsWith(QLatin1String(".xml")) ? "application/xml"
                            : lower.endsWith(QLatin1String(".zip")) ? "application/zip"
                                                                    : "application/octet-stream";
    const QByteArray date =
        QLocale::c()
            .toString(QDateTime::currentDateTime(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss "))
            .toLatin1() +
        [] {
            const int offset = QDateTime::currentDateTime().offsetFromUtc() / 60;
            return QStringLiteral("%1%2%3")
                .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                .arg(qAbs(offset) / 60, 2, 10, QLatin1Char('0'))
                .arg(qAbs(offset) % 60, 2, 10, QLatin1Char('0'))
                .toLatin1();
        }();
    QByteArray m;
    m += "From: <" + from.toUtf8() + ">\r\n";
    m += "To: <" + to.toUtf8() + ">\r\n";
    m += "Subject: " + name + "\r\n";
    m += "Date: " + date + "\r\n";
    m += "Message-ID: <" + id.toUtf8() + ">\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    m += "--" + boundary + "\r\n";
    m += "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
    m += QStringLiteral("Invio del file %1 al Sistema di Interscambio.\r\n").arg(fileName).toUtf8();
    m += "--" + boundary + "\r\n";
    m += "Content-Type: " + type + "; name=\"" + name + "\"\r\n";
    m += "Content-Disposition: attachment; filename=\"" + name + "\"\r\n";
    m += "Content-Transfer-Encoding: base64\r\n\r\n";
    const QByteArray encoded = file.toBase64();
    for (qsizetype i = 0; i < encoded.size(); i += 76)
        m += encoded.mid(i, 76) + "\r\n";
    m += "--" + boundary + "--\r\n";
    return m;
}

} // namespace brevalto::pec
