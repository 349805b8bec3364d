#include "store/NumberText.h"

#include <QRegularExpression>

namespace brevalto {

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
    }
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    // Digits with one decimal mark at most: no exponent, no "inf", no second mark.
    static const QRegularExpression integerText(QStringLiteral("^[+-]?\\d+$"));
    static const QRegularExpression decimalText(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    bool ok = false;
    if (integer) {
        if (!integerText.match(t).hasMatch())
            return false;
        const int n = t.toInt(&ok);
        *value = n;
    } else {
        if (!decimalText.match(t).hasMatch())
            return false;
        const double d = t.toDouble(&ok);
        *value = d;
    }
    return ok;
}

} // namespace brevalto
