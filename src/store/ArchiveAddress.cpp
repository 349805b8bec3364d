#include "store/ArchiveAddress.h"

#include "store/DbError.h"

#include <QByteArray>
#include <QUrl>

namespace brevalto {

namespace {

QString wrong(const QString& location, const QString& why) {
    return QStringLiteral("L'indirizzo del server %1 non è valido: %2.\nForma attesa: "
                          "postgresql://utente@server:porta/database")
        .arg(locationWithoutPassword(location), why);
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

QString schemeOf(const QString& location) {
    const QString t = location.trimmed();
    for (const char* scheme : {"postgresql://", "postgres://"}) {
        if (t.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return QString::fromLatin1(scheme);
    }
    return {};
}

} // namespace

bool isServerAddress(const QString& location) {
    return !schemeOf(location).isEmpty();
}

ServerAddress parseServerAddress(const QString& location) {
    const QString scheme = schemeOf(location);
    if (scheme.isEmpty())
        throw DbError(wrong(location, QStringLiteral("deve iniziare con postgresql://")));
    QString rest = location.trimmed().mid(scheme.size());
    ServerAddress a;
    QString query;
    if (const qsizetype q = rest.indexOf(QLatin1Char('?')); q >= 0) {
        query = rest.mid(q + 1);
        rest.truncate(q);
    }
    QString path;
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        path = rest.mid(slash + 1);
        rest.truncate(slash);
    }
    QString hostPort = rest;
    if (const qsizetype at = rest.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString userInfo = rest.left(at);
        hostPort = rest.mid(at + 1);
        const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
        if (!decode(userInfo.left(colon), a.user) ||
            (colon >= 0 && !decode(userInfo.mid(colon + 1), a.password)))
            throw DbError(wrong(location, QStringLiteral("un codice %xx è incompleto")));
    }
    QString portText;
    if (hostPort.startsWith(QLatin1Char('['))) {
        const qsizetype close = hostPort.indexOf(QLatin1Char(']'));
        if (close < 0)
            throw DbError(wrong(location, QStringLiteral("manca la parentesi ] dell'indirizzo")));
        a.host = hostPort.mid(1, close - 1);
        if (hostPort.mid(close + 1).startsWith(QLatin1Char(':')))
            portText = hostPort.mid(close + 2);
    } else {
        const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0)
            portText = hostPort.mid(colon + 1);
        if (!decode(colon >= 0 ? hostPort.left(colon) : hostPort, a.host))
            throw DbError(wrong(location, QStringLiteral("un codice %xx è incompleto")));
    }
    if (!portText.isEmpty()) {
        bool ok = false;
        a.port = portText.toInt(&ok);
        if (!ok || a.port <= 0 || a.port > 65535)
            throw DbError(
                wrong(location,
                      QStringLiteral("la porta %1 non è un numero tra 1 e 65535").arg(portText)));
    }
    if (!decode(path, a.database))
        throw DbError(wrong(location, QStringLiteral("un codice %xx è incompleto")));
    if (a.database.isEmpty())
        throw DbError(wrong(location, QStringLiteral("manca il nome del database")));
    for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        QString key, value;
        if (eq <= 0 || !decode(pair.left(eq), key) || !decode(pair.mid(eq + 1), value))
            throw DbError(wrong(
                location, QStringLiteral("il parametro %1 non ha la forma nome=valore").arg(pair)));
        if (key == QLatin1String("password"))
            a.password = value;
        else if (key == QLatin1String("host"))
            a.host = value;
        else if (key == QLatin1String("user"))
            a.user = value;
        else if (key == QLatin1String("port"))
            a.port = value.toInt();
        else if (key == QLatin1String("dbname"))
            a.database = value;
        else
            a.options.append({key, value});
    }
    a.text = locationWithoutPassword(location);
    return a;
}

QString locationWithoutPassword(const QString& location) {
    const QString scheme = schemeOf(location);
    if (scheme.isEmpty())
        return location;
    QString t = location.trimmed();
    const qsizetype start = scheme.size();
    qsizetype end = t.indexOf(QLatin1Char('/'), start);
    if (end < 0)
        end = t.size();
    const qsizetype at = t.lastIndexOf(QLatin1Char('@'), end);
    if (at >= start) {
        const qsizetype colon = t.indexOf(QLatin1Char(':'), start);
        if (colon >= 0 && colon < at)
            t.remove(colon, at - colon);
    }
    // A password given as a parameter goes too.
    if (const qsizetype q = t.indexOf(QLatin1Char('?')); q >= 0) {
        QStringList kept;
        for (const QString& pair : t.mid(q + 1).split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
            if (!pair.startsWith(QLatin1String("password=")))
                kept << pair;
        }
        t = t.left(q) +
            (kept.isEmpty() ? QString() : QLatin1Char('?') + kept.join(QLatin1Char('&')));
    }
    return t;
}

} // namespace brevalto
