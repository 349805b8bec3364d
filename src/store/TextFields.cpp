#include "store/TextFields.h"

#include <QList>
#include <QStringList>

namespace brevalto {

QString ConvertiMemo(const QString& text) {
    return text.left(400);
}

QString GetField(const QString& text, int n, QChar delimiter) {
    if (text.isEmpty() || n < 1)
        return {};
    QString full = text;
    if (!full.endsWith(delimiter))
        full += delimiter;
    int start = 0;
    for (int field = 1;; ++field) {
        const int end = full.indexOf(delimiter, start);
        if (end < 0)
            return {};
        if (field == n)
            return full.mid(start, end - start);
        start = end + 1;
    }
}

int CountFields(const QString& text, QChar delimiter) {
    if (text.isEmpty())
        return 0;
    return int(text.count(delimiter)) + (text.endsWith(delimiter) ? 0 : 1);
}

QString WithTrailingSeparator(const QString& path) {
    if (path.isEmpty() || path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/')))
        return path;
    for (const QChar c : path) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('/'))
            return path + c;
    }
    return path;
}

QString PlainInvoiceText(const QString& text, QString* refused) {
    QString out;
    out.reserve(text.size());
    QList<char32_t> dropped;
    for (const char32_t c : text.toUcs4()) {
        switch (c) {
        case 0x2018:
        case 0x2019:
        case 0x201A:
        case 0x201B:
        case 0x2032:
            out += QLatin1Char('\'');
            continue;
        case 0x201C:
        case 0x201D:
        case 0x201E:
        case 0x201F:
        case 0x2033:
            out += QLatin1Char('"');
            continue;
        case 0x2010:
        case 0x2011:
        case 0x2012:
        case 0x2013:
        case 0x2014:
        case 0x2015:
        case 0x2212:
            out += QLatin1Char('-');
            continue;
        case 0x2026:
            out += QStringLiteral("...");
            continue;
        case 0x20AC: // the euro sign is not in the file's character set
            out += QStringLiteral("EUR");
            continue;
        case 0x2002:
        case 0x2003:
        case 0x2004:
        case 0x2005:
        case 0x2006:
        case 0x2007:
        case 0x2008:
        case 0x2009:
        case 0x200A:
        case 0x202F:
            out += QLatin1Char(' ');
            continue;
        default:
            break;
        }
        const bool allowed = c == U'\t' || c == U'\n' || c == U'\r' || (c >= 0x20 && c < 0x7F) ||
                             (c >= 0xA0 && c <= 0xFF);
        if (allowed)
            out += QChar(char16_t(c));
        else if (!dropped.contains(c))
            dropped << c;
    }
    if (refused) {
        QStringList names;
        for (const char32_t c : std::as_const(dropped)) {
            const QString shown = QString::fromUcs4(&c, 1);
            // Invisible and control characters are named by their code.
            const bool visible = QChar::isPrint(c) && !QChar::isSpace(c) &&
                                 QChar::category(c) != QChar::Other_Format;
            names << (visible
                          ? shown
                          : QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper());
        }
        *refused = names.join(QLatin1Char(' '));
    }
    return out;
}

} // namespace brevalto
