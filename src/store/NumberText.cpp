#include "store/NumberText.h"

namespace brevalto {

bool pointsAreThousands(QStringView t) {
    if (!t.isEmpty() && (t.front() == QLatin1Char('+') || t.front() == QLatin1Char('-')))
        t = t.mid(1);
    const auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    const qsizetype firstPoint = t.indexOf(QLatin1Char('.'));
    // A leading group of one to three digits, not a lone 0 or one starting with it ("0.500").
    if (firstPoint < 1 || firstPoint > 3 || t.front() == QLatin1Char('0'))
        return false;
    for (qsizetype i = 0; i < firstPoint; ++i) {
        if (!digit(t[i]))
            return false;
    }
    // Then groups of a point and exactly three digits, to the end.
    qsizetype i = firstPoint;
    for (; i < t.size(); i += 4) {
        if (i + 4 > t.size() || t[i] != QLatin1Char('.') || !digit(t[i + 1]) || !digit(t[i + 2]) ||
            !digit(t[i + 3]))
            return false;
    }
    return i == t.size();
}

bool parseNumberText(const QString& text, bool integer, QVariant* value) {
    QString t = text.trimmed();
    if (!integer) {
        // Amounts are often pasted with their currency sign.
        if (t.startsWith(QChar(0x20AC)))
            t.remove(0, 1);
        else if (t.endsWith(QChar(0x20AC)))
            t.chop(1);
    }
    t.remove(QLatin1Char(' '));
    t.remove(QChar(0x00A0));
    if (t.isEmpty()) {
        *value = QVariant();
        return true;
    }
    // "1.234,56" and "1,234.56" both read as 1234.56: the last mark is the decimal one.
    const int comma = int(t.lastIndexOf(QLatin1Char(','))),
              dot = int(t.lastIndexOf(QLatin1Char('.')));
    if (comma >= 0 && dot >= 0) {
        const QChar thousands = comma > dot ? QLatin1Char('.') : QLatin1Char(',');
        t.remove(thousands);
    } else if (dot >= 0 && pointsAreThousands(t)) {
        t.remove(QLatin1Char('.'));
    }
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    // Digits with one decimal mark at most: no exponent, no "inf", no second mark. Checked by
    // hand rather than by a regular expression: a file import reads hundreds of thousands.
    int digits = 0, marks = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (c == QLatin1Char('.') && !integer)
            ++marks;
        else if (i != 0 || (c != QLatin1Char('+') && c != QLatin1Char('-')))
            return false;
    }
    if (digits == 0 || marks > 1)
        return false;
    bool ok = false;
    if (integer)
        *value = t.toInt(&ok);
    else
        *value = t.toDouble(&ok);
    return ok;
}

} // namespace brevalto
