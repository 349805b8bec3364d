#include "export/ValueFormat.h"

#include "check/Decimal.h"

#include <charconv>
#include <cmath>

namespace brevalto {

namespace {

constexpr int kSignificantDigits = 15;

// A non-zero finite value to 15 significant digits, correctly rounded (independent of the
// locale): the digits without trailing zeros, the power of ten of the first, the sign.
struct Significant {
    std::string digits;
    int exponent = 0;
    bool negative = false;

    // The same value as an exact decimal number.
    Decimal decimal() const {
        std::int64_t units = 0;
        for (const char c : digits)
            units = units * 10 + (c - '0');
        int scale = int(digits.size()) - 1 - exponent;
        for (; scale < 0; ++scale)
            units *= 10;
        return Decimal(negative ? -units : units, scale);
    }
};

Significant significant(double value) {
    // d.dddddddddddddde±x
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view text(buffer, result.ptr - buffer);
    Significant out;
    std::size_t at = 0;
    out.negative = text[0] == '-';
    if (out.negative)
        ++at;
    const std::size_t ePos = text.find('e');
    for (std::size_t i = at; i < ePos; ++i) {
        if (text[i] != '.')
            out.digits += text[i];
    }
    std::from_chars(text.data() + ePos + 1 + (text[ePos + 1] == '+' ? 1 : 0),
                    text.data() + text.size(), out.exponent);
    while (out.digits.size() > 1 && out.digits.back() == '0')
        out.digits.pop_back();
    return out;
}

// The general format of a non-zero finite value with 15 significant digits: fixed notation from
// 0.00001 up to 15 integer digits, exponent notation outside.
QString generalFormat(double value) {
    const Significant s = significant(value);
    if (s.exponent >= -5 && s.exponent < kSignificantDigits)
        return s.decimal().toString();
    std::string out;
    if (s.negative)
        out += '-';
    out += s.digits[0];
    if (s.digits.size() > 1) {
        out += '.';
        out += s.digits.substr(1);
    }
    out += 'E';
    out += std::to_string(s.exponent);
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

QDateTime toDateTime(const QVariant& value) {
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
    case QMetaType::QDateTime:
        return value.toDateTime();
    default: {
        // A text the archive layer could not read as a date: try the usual layouts.
        const QString text = value.toString().trimmed();
        QDateTime dt = QDateTime::fromString(text, Qt::ISODate);
        if (!dt.isValid())
            dt = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid()) {
            const QDate d = QDate::fromString(text.left(10), Qt::ISODate);
            if (d.isValid())
                dt = QDateTime(d, QTime(0, 0), Qt::UTC);
        }
        return dt;
    }
    }
}

} // namespace

QString FormatDecimal(double value, int maxLength) {
    if (value == 0)
        return QStringLiteral("0.00");
    QString text;
    if (std::isnan(value))
        text = QStringLiteral("NAN");
    else if (std::isinf(value))
        text = value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    else
        text = generalFormat(value);

    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0)
        text += QStringLiteral(".00");
    else if (text.size() - point - 1 == 1)
        text += QLatin1Char('0');

    if (maxLength >= 0 && text.size() > maxLength) {
        text.truncate(maxLength);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

QString FormatSchemaDecimal(double value, int maxLength) {
    const int maxDecimals = maxLength >= 21 ? 8 : 2;
    QString text = FormatDecimal(value, maxLength);
    if (text.contains(QLatin1Char('E'))) {
        if (std::abs(value) >= 1)
            return text; // too large for any field: left as the length rule gives it
        // Below 0.00001: the digits past the field's decimals cut off, which leaves at least six
        // decimals or nothing.
        const Decimal cut = significant(value).decimal().truncated(maxDecimals);
        return cut.isZero() ? QStringLiteral("0.00") : cut.toString();
    }
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point >= 0 && text.size() - point - 1 > maxDecimals) {
        text.truncate(point + 1 + maxDecimals);
        // Zeros the cut leaves at the end are dropped (down to two decimals): the value is
        // written as the same value without the digits cut is.
        while (text.size() - point - 1 > 2 && text.endsWith(QLatin1Char('0')))
            text.chop(1);
    }
    return text;
}

QString FormatInteger(qint64 value, int maxLength) {
    if (value == 0)
        return QStringLiteral("0");
    QString text = QString::number(value);
    if (maxLength >= 0 && text.size() > maxLength)
        text.truncate(maxLength);
    return text;
}

QString PadProgressive(const QString& text) {
    if (text.size() >= 5)
        return text;
    return QString(5 - text.size(), QLatin1Char('0')) + text;
}

QString ReplaceAll(const QString& text, const QString& search, const QString& replacement) {
    if (text.isEmpty() || search.isEmpty())
        return QString();
    QString result = text;
    result.replace(search, replacement, Qt::CaseSensitive);
    return result;
}

QDate archiveDayZero() {
    return QDate(1899, 12, 30);
}

QString FormatDate(const QVariant& value) {
    QDateTime dt = toDateTime(value);
    const QDate date = dt.isValid() ? dt.date() : archiveDayZero();
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString FormatDateTime(const QVariant& value) {
    QDateTime dt = toDateTime(value);
    if (!dt.isValid())
        dt = QDateTime(archiveDayZero(), QTime(0, 0), Qt::UTC);
    return dt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QString UpperCase(const QString& text) {
    return text.toUpper();
}

} // namespace brevalto

namespace brevalto {

namespace {

// The stored value as a finite or infinite double; false for a text that is not a number.
bool storedNumber(const QVariant& value, double* number) {
    if (value.isNull()) {
        *number = 0;
        return true;
    }
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        *number = value.toDouble();
        return true;
    default: {
        bool ok = false;
        *number = value.toString().trimmed().toDouble(&ok);
        return ok;
    }
    }
}

QString shownValue(const QVariant& value) {
    return value.toString().left(40);
}

} // namespace

QString SchemaDecimalText(const QVariant& value, SchemaDecimal type, QString* problem) {
    // The shape each schema type admits: an optional minus, 1 to maxWhole digits, a point and
    // minDecimals to maxDecimals digits, in at most maxLength characters.
    struct Rule {
        int maxLength;
        bool negative;
        int maxWhole;
        int minDecimals;
        int maxDecimals;
        const char* description;
    };
    static const Rule rules[] = {
        {15, true, 11, 2, 2, "un importo di al massimo 11 cifre intere"},
        {21, true, 11, 2, 8, "un importo di al massimo 11 cifre intere"},
        {21, false, 12, 2, 8, "una quantità non negativa di al massimo 12 cifre intere"},
        {6, false, 3, 2, 2, "un'aliquota o percentuale tra 0 e 100"},
        {7, false, 4, 1, 2, "un peso non negativo di al massimo 4 cifre intere"},
    };
    const Rule& rule = rules[int(type)];
    double number = 0;
    if (!storedNumber(value, &number)) {
        *problem = QStringLiteral("il valore \"%1\" non è un numero").arg(shownValue(value));
        return QString();
    }
    if (!std::isfinite(number)) {
        *problem = QStringLiteral("il valore \"%1\" non è un numero finito").arg(shownValue(value));
        return QString();
    }
    const QString text = FormatSchemaDecimal(number, rule.maxLength);
    const auto digitsFrom = [&text](qsizetype& i) {
        const qsizetype start = i;
        while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
            ++i;
        return i - start;
    };
    qsizetype i = rule.negative && text.startsWith(QLatin1Char('-')) ? 1 : 0;
    const qsizetype whole = digitsFrom(i);
    bool fits =
        whole >= 1 && whole <= rule.maxWhole && i < text.size() && text[i] == QLatin1Char('.');
    if (fits) {
        ++i;
        const qsizetype decimals = digitsFrom(i);
        fits = i == text.size() && decimals >= rule.minDecimals && decimals <= rule.maxDecimals;
    }
    fits = fits && (type != SchemaDecimal::Rate || number <= 100.0);
    if (!fits) {
        *problem = QStringLiteral("il valore %1 non è %2")
                       .arg(QString::number(number, 'g', 17), QString::fromUtf8(rule.description));
        return QString();
    }
    return text;
}

QString SchemaIntegerText(const QVariant& value, qint64 minimum, qint64 maximum, QString* problem) {
    double number = 0;
    if (!storedNumber(value, &number)) {
        *problem = QStringLiteral("il valore \"%1\" non è un numero").arg(shownValue(value));
        return QString();
    }
    bool exact = false;
    qint64 integer = 0;
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
        integer = value.toLongLong();
        exact = true;
    } else if (std::isfinite(number) && std::trunc(number) == number && std::abs(number) < 9e15) {
        integer = qint64(number);
        exact = true;
    }
    if (!exact) {
        *problem = QStringLiteral("il valore %1 non è un numero intero")
                       .arg(value.isNull() ? QStringLiteral("0") : shownValue(value));
        return QString();
    }
    if (integer < minimum || integer > maximum) {
        *problem =
            QStringLiteral("il valore %1 non è tra %2 e %3").arg(integer).arg(minimum).arg(maximum);
        return QString();
    }
    return QString::number(integer);
}

namespace {

QString checkedDate(const QVariant& value, QString* problem, bool withTime) {
    if (value.isNull())
        return withTime ? FormatDateTime(value) : FormatDate(value);
    const QDateTime dt = toDateTime(value);
    if (!dt.isValid() || dt.date().year() < 1 || dt.date().year() > 9999) {
        *problem = QStringLiteral("il valore \"%1\" non è una data").arg(shownValue(value));
        return QString();
    }
    return withTime ? FormatDateTime(value) : FormatDate(value);
}

} // namespace

QString SchemaDateText(const QVariant& value, QString* problem) {
    return checkedDate(value, problem, false);
}

QString SchemaDateTimeText(const QVariant& value, QString* problem) {
    return checkedDate(value, problem, true);
}

} // namespace brevalto
