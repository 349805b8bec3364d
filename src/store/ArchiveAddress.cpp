#include "store/ArchiveAddress.h"

#include "store/DbError.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

namespace brevalto {

namespace {

// The parameters after "?" that the program passes on to the server, besides those that name a
// part of the address (host, port, user, dbname, password). Any other is refused: the address is
// written in percorsoPa.txt and shared, and a parameter unknown to the program could change how or
// where it connects.
const char* const kPassedParameters[] = {"sslmode",
                                         "sslcert",
                                         "sslkey",
                                         "sslrootcert",
                                         "sslcrl",
                                         "connect_timeout",
                                         "target_session_attrs"};

bool isPassedParameter(const QString& key) {
    for (const char* name : kPassedParameters) {
        if (key == QLatin1String(name))
            return true;
    }
    return false;
}

QString schemeOf(const QString& location) {
    const QString t = location.trimmed();
    for (const char* scheme : {"postgresql://", "postgres://"}) {
        if (t.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return t.left(qsizetype(qstrlen(scheme)));
    }
    return {};
}

// Percent codes decoded as UTF-8; a "%" not followed by two hex digits is an error.
bool decode(const QString& text, QString& out) {
    const QByteArray bytes = text.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '%')
            continue;
        if (i + 2 >= bytes.size() || !isxdigit(uchar(bytes[i + 1])) ||
            !isxdigit(uchar(bytes[i + 2])))
            return false;
    }
    out = QString::fromUtf8(QByteArray::fromPercentEncoding(bytes));
    return true;
}

QString encode(const QString& text) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

// The address cut into its parts as written, before decoding. The user part ends at the last "@"
// (a password may hold "/", "?" or ":" that were not percent-coded), the host part at the first
// "/" or "?" after it, the database at the "?".
struct RawParts {
    QString scheme;
    QString user;
    QString password;
    bool hasPassword = false;
    QString hostPort;
    QString database;
    QString query;
};

RawParts split(const QString& location) {
    RawParts p;
    p.scheme = schemeOf(location);
    QString rest = location.trimmed().mid(p.scheme.size());
    if (const qsizetype at = rest.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString userInfo = rest.left(at);
        rest = rest.mid(at + 1);
        const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
        p.user = userInfo.left(colon);
        if (colon >= 0) {
            p.password = userInfo.mid(colon + 1);
            p.hasPassword = true;
        }
    }
    if (const qsizetype q = rest.indexOf(QLatin1Char('?')); q >= 0) {
        p.query = rest.mid(q + 1);
        rest.truncate(q);
    }
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        p.database = rest.mid(slash + 1);
        rest.truncate(slash);
    }
    p.hostPort = rest;
    return p;
}

// An address that could not be read, shown without anything that may be a password: the user
// part up to its ":" and only the parameters the program knows by name.
QString redacted(const QString& location) {
    const RawParts p = split(location);
    QString text = p.scheme;
    if (!p.user.isEmpty())
        text += p.user + QLatin1Char('@');
    text += p.hostPort;
    if (!p.database.isEmpty())
        text += QLatin1Char('/') + p.database;
    // A value is shown only when it is plainly one word: one that hides anything else (a coded
    // blank, a second "=") may carry a password.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._/-]*$"));
    QStringList kept;
    for (const QString& pair : p.query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        QString key;
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq > 0 && decode(pair.left(eq), key) &&
            (isPassedParameter(key) || key == QLatin1String("host") ||
             key == QLatin1String("port") || key == QLatin1String("user") ||
             key == QLatin1String("dbname")))
            kept << (plain.match(pair.mid(eq + 1)).hasMatch() ? pair : key + QStringLiteral("=…"));
    }
    if (!kept.isEmpty())
        text += QLatin1Char('?') + kept.join(QLatin1Char('&'));
    return text;
}

[[noreturn]] void wrong(const QString& location, const QString& why) {
    throw DbError(QStringLiteral("L'indirizzo del server %1 non è valido: %2.\nForma attesa: "
                                 "postgresql://utente@server:porta/database")
                      .arg(redacted(location), why));
}

QString decoded(const QString& location, const QString& text) {
    QString out;
    if (!decode(text, out))
        wrong(location, QStringLiteral("un codice %xx è incompleto"));
    return out;
}

int portNumber(const QString& location, const QString& text) {
    bool ok = false;
    const int port = text.toInt(&ok);
    if (!ok || port <= 0 || port > 65535)
        wrong(location, QStringLiteral("la porta %1 non è un numero tra 1 e 65535").arg(text));
    return port;
}

// The address written back from its parts, without the password.
QString shownText(const QString& scheme, const ServerAddress& a) {
    QString text = scheme;
    if (!a.user.isEmpty())
        text += encode(a.user) + QLatin1Char('@');
    if (a.host.contains(QLatin1Char(':')))
        text += QLatin1Char('[') + a.host + QLatin1Char(']');
    else
        text += encode(a.host);
    if (a.port > 0)
        text += QLatin1Char(':') + QString::number(a.port);
    text += QLatin1Char('/') + encode(a.database);
    QStringList pairs;
    for (const auto& [key, value] : a.options)
        pairs << key + QLatin1Char('=') + encode(value);
    if (!pairs.isEmpty())
        text += QLatin1Char('?') + pairs.join(QLatin1Char('&'));
    return text;
}

} // namespace

bool isServerAddress(const QString& location) {
    return !schemeOf(location).isEmpty();
}

ServerAddress parseServerAddress(const QString& location) {
    const RawParts p = split(location);
    if (p.scheme.isEmpty())
        wrong(location, QStringLiteral("deve iniziare con postgresql://"));
    ServerAddress a;
    a.user = decoded(location, p.user);
    if (p.hasPassword)
        a.password = decoded(location, p.password);
    QString portText;
    if (p.hostPort.startsWith(QLatin1Char('['))) {
        const qsizetype close = p.hostPort.indexOf(QLatin1Char(']'));
        if (close < 0)
            wrong(location, QStringLiteral("manca la parentesi ] dell'indirizzo"));
        a.host = p.hostPort.mid(1, close - 1);
        if (p.hostPort.mid(close + 1).startsWith(QLatin1Char(':')))
            portText = p.hostPort.mid(close + 2);
    } else {
        const qsizetype colon = p.hostPort.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0)
            portText = p.hostPort.mid(colon + 1);
        a.host = decoded(location, colon >= 0 ? p.hostPort.left(colon) : p.hostPort);
    }
    if (!portText.isEmpty())
        a.port = portNumber(location, portText);
    a.database = decoded(location, p.database);
    for (const QString& pair : p.query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq <= 0)
            wrong(location, QStringLiteral("un parametro non ha la forma nome=valore"));
        const QString key = decoded(location, pair.left(eq));
        const QString value = decoded(location, pair.mid(eq + 1));
        if (key == QLatin1String("password")) {
            a.password = value;
            continue;
        }
        if (key == QLatin1String("host"))
            a.host = value;
        else if (key == QLatin1String("user"))
            a.user = value;
        else if (key == QLatin1String("port"))
            a.port = portNumber(location, value);
        else if (key == QLatin1String("dbname"))
            a.database = value;
        else if (!isPassedParameter(key))
            wrong(location,
                  QStringLiteral("il parametro %1 non è tra quelli ammessi (%2)")
                      .arg(key.left(40), QStringList({"host", "port", "user", "dbname", "sslmode",
                                                      "sslcert", "sslkey", "sslrootcert", "sslcrl",
                                                      "connect_timeout", "target_session_attrs"})
                                             .join(QStringLiteral(", "))));
        // The parameters go to the server in one text of name=value pairs separated by blanks:
        // a value holding a blank, an "=", a quote or a backslash would add a setting of its own.
        else if (value.isEmpty() || std::any_of(value.begin(), value.end(), [](QChar c) {
                     return c.isSpace() || c.category() == QChar::Other_Control ||
                            QStringLiteral("=;'\"\\").contains(c);
                 }))
            wrong(location, QStringLiteral("il valore del parametro %1 è vuoto o contiene spazi, "
                                           "\"=\", \";\", virgolette o barre inverse")
                                .arg(key));
        else
            a.options.append({key, value});
    }
    if (a.database.isEmpty())
        wrong(location, QStringLiteral("manca il nome del database"));
    a.text = shownText(p.scheme, a);
    return a;
}

QString locationWithoutPassword(const QString& location) {
    if (!isServerAddress(location))
        return location;
    try {
        return parseServerAddress(location).text;
    } catch (const DbError&) {
        return redacted(location);
    }
}

} // namespace brevalto
