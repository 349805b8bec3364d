#include "check/Decimal.h"

#include <stdexcept>

namespace brevalto::check {

namespace {

__int128 pow10(int n) {
    __int128 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

__int128 checkedMul(__int128 a, __int128 b) {
    __int128 r = 0;
    if (__builtin_mul_overflow(a, b, &r))
        throw std::overflow_error("decimal overflow");
    return r;
}

__int128 checkedAdd(__int128 a, __int128 b) {
    __int128 r = 0;
    if (__builtin_add_overflow(a, b, &r))
        throw std::overflow_error("decimal overflow");
    return r;
}

// Divides by 10^n rounding halves away from zero.
__int128 divRoundHalfUp(__int128 units, int n) {
    if (n <= 0)
        return units;
    const __int128 p = pow10(n);
    __int128 q = units / p;
    const __int128 r = units % p;
    const __int128 twice = (r < 0 ? -r : r) * 2;
    if (twice >= p)
        q += units < 0 ? -1 : 1;
    return q;
}

} // namespace

Decimal::Decimal(long long units, int scale) : units_(units), scale_(scale) {}

Decimal Decimal::withScale(__int128 units, int scale) {
    Decimal d;
    if (scale > kMaxScale) {
        units = divRoundHalfUp(units, scale - kMaxScale);
        scale = kMaxScale;
    }
    d.units_ = units;
    d.scale_ = scale;
    return d;
}

std::optional<Decimal> Decimal::parse(QStringView text) {
    text = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    __int128 units = 0;
    int scale = 0;
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            return std::nullopt;
        // Leading and trailing zeros cost nothing; thirty significant digits are plenty.
        if (units > pow10(30))
            return std::nullopt;
        units = units * 10 + (c.unicode() - u'0');
        ++digits;
        if (point)
            ++scale;
    }
    if (digits == 0)
        return std::nullopt;
    Decimal d = withScale(negative ? -units : units, scale);
    return d.normalized();
}

__int128 Decimal::scaledTo(int scale) const {
    return checkedMul(units_, pow10(scale - scale_));
}

Decimal Decimal::normalized() const {
    Decimal d = *this;
    while (d.scale_ > 0 && d.units_ % 10 == 0) {
        d.units_ /= 10;
        --d.scale_;
    }
    return d;
}

Decimal Decimal::operator+(const Decimal& other) const {
    const int scale = std::max(scale_, other.scale_);
    return withScale(checkedAdd(scaledTo(scale), other.scaledTo(scale)), scale).normalized();
}

Decimal Decimal::operator-() const {
    Decimal d = *this;
    d.units_ = -d.units_;
    return d;
}

Decimal Decimal::operator-(const Decimal& other) const {
    return *this + (-other);
}

Decimal Decimal::operator*(const Decimal& other) const {
    return withScale(checkedMul(units_, other.units_), scale_ + other.scale_).normalized();
}

Decimal Decimal::percent() const {
    return withScale(units_, scale_ + 2).normalized();
}

Decimal Decimal::roundHalfUp(int decimals) const {
    if (scale_ <= decimals)
        return *this;
    return withScale(divRoundHalfUp(units_, scale_ - decimals), decimals).normalized();
}

Decimal Decimal::abs() const {
    return units_ < 0 ? -*this : *this;
}

int Decimal::compare(const Decimal& other) const {
    const int scale = std::max(scale_, other.scale_);
    const __int128 a = scaledTo(scale);
    const __int128 b = other.scaledTo(scale);
    return a < b ? -1 : (a > b ? 1 : 0);
}

QString Decimal::toItalian(int minDecimals) const {
    const int scale = std::max(scale_, minDecimals);
    __int128 units = scaledTo(scale);
    const bool negative = units < 0;
    if (negative)
        units = -units;
    QString digits;
    do {
        digits.prepend(QChar(u'0' + int(units % 10)));
        units /= 10;
    } while (units > 0);
    while (digits.size() <= scale)
        digits.prepend(u'0');
    QString text = digits.left(digits.size() - scale);
    if (scale > 0)
        text += u',' + digits.right(scale);
    return negative ? u'-' + text : text;
}

QString Decimal::key() const {
    QString text = normalized().toItalian(0);
    text.replace(u',', u'.');
    return text;
}

} // namespace brevalto::check
