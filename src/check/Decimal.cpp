#include "check/Decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace brevalto {

namespace {

constexpr std::uint32_t kBase = 1000000000u;

std::uint32_t pow10(int n) {
    std::uint32_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

template <class Limbs> void trim(Limbs& a) {
    while (!a.isEmpty() && a.back() == 0)
        a.removeLast();
}

template <class Limbs> int compareMagnitude(const Limbs& a, const Limbs& b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (qsizetype i = a.size(); i-- > 0;) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

template <class Limbs> Limbs addMagnitude(const Limbs& a, const Limbs& b) {
    Limbs out(std::max(a.size(), b.size()) + 1);
    std::uint64_t carry = 0;
    for (qsizetype i = 0; i < out.size(); ++i) {
        std::uint64_t sum = carry;
        if (i < a.size())
            sum += a[i];
        if (i < b.size())
            sum += b[i];
        out[i] = std::uint32_t(sum % kBase);
        carry = sum / kBase;
    }
    trim(out);
    return out;
}

// a - b with a >= b.
template <class Limbs> Limbs subtractMagnitude(const Limbs& a, const Limbs& b) {
    Limbs out(a.size());
    std::int64_t borrow = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        std::int64_t d = std::int64_t(a[i]) - borrow - (i < b.size() ? std::int64_t(b[i]) : 0);
        borrow = d < 0 ? 1 : 0;
        if (d < 0)
            d += kBase;
        out[i] = std::uint32_t(d);
    }
    trim(out);
    return out;
}

template <class Limbs> Limbs multiplyMagnitude(const Limbs& a, const Limbs& b) {
    if (a.isEmpty() || b.isEmpty())
        return {};
    QVarLengthArray<std::uint64_t, 17> acc(a.size() + b.size() + 1);
    std::fill(acc.begin(), acc.end(), 0);
    for (qsizetype i = 0; i < a.size(); ++i) {
        std::uint64_t carry = 0;
        for (qsizetype j = 0; j < b.size(); ++j) {
            const std::uint64_t cur = acc[i + j] + std::uint64_t(a[i]) * b[j] + carry;
            acc[i + j] = cur % kBase;
            carry = cur / kBase;
        }
        qsizetype k = i + b.size();
        while (carry) {
            const std::uint64_t cur = acc[k] + carry;
            acc[k] = cur % kBase;
            carry = cur / kBase;
            ++k;
        }
    }
    Limbs out(acc.size());
    std::copy(acc.begin(), acc.end(), out.begin());
    trim(out);
    return out;
}

template <class Limbs> void multiplySmall(Limbs& a, std::uint32_t m) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : a) {
        const std::uint64_t cur = std::uint64_t(limb) * m + carry;
        limb = std::uint32_t(cur % kBase);
        carry = cur / kBase;
    }
    if (carry)
        a.append(std::uint32_t(carry));
    trim(a);
}

template <class Limbs> void divideSmall(Limbs& a, std::uint32_t d) {
    std::uint64_t rest = 0;
    for (qsizetype i = a.size(); i-- > 0;) {
        const std::uint64_t cur = a[i] + rest * kBase;
        a[i] = std::uint32_t(cur / d);
        rest = cur % d;
    }
    trim(a);
}

template <class Limbs> void multiplyPow10(Limbs& a, int n) {
    for (; n > 0; n -= 9)
        multiplySmall(a, pow10(std::min(n, 9)));
}

template <class Limbs> void dividePow10(Limbs& a, int n) {
    for (; n > 0; n -= 9)
        divideSmall(a, pow10(std::min(n, 9)));
}

// Magnitudes of up to four limbs (below 10^36) also fit an unsigned 128-bit integer, where the
// arithmetic of ordinary figures runs without the limb loops.
using Wide = unsigned __int128;

template <class Limbs> Wide toWide(const Limbs& a) {
    Wide w = 0;
    for (qsizetype i = a.size(); i-- > 0;)
        w = w * kBase + a[i];
    return w;
}

template <class Limbs> Limbs fromWide(Wide w) {
    Limbs out;
    for (; w > std::numeric_limits<std::uint64_t>::max(); w /= kBase)
        out.append(std::uint32_t(w % kBase));
    // 64-bit division by a constant is a multiplication; 128-bit division a library call.
    for (std::uint64_t n = std::uint64_t(w); n > 0; n /= kBase)
        out.append(std::uint32_t(n % kBase));
    return out;
}

Wide widePow10(int n) {
    Wide p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

} // namespace

Decimal::Decimal(std::int64_t units, int scale) : negative_(units < 0), scale_(scale) {
    std::uint64_t magnitude = units < 0 ? 0 - std::uint64_t(units) : std::uint64_t(units);
    for (; magnitude > 0; magnitude /= kBase)
        limbs_.append(std::uint32_t(magnitude % kBase));
    normalize();
}

void Decimal::normalize() {
    trim(limbs_);
    if (limbs_.isEmpty()) {
        negative_ = false;
        scale_ = 0;
    }
}

Decimal Decimal::withScale(int scale) const {
    Decimal out = *this;
    multiplyPow10(out.limbs_, scale - scale_);
    out.scale_ = scale;
    return out;
}

std::optional<Decimal> Decimal::scan(QStringView text, QChar mark2, int maxDigits) {
    text = text.trimmed();
    Decimal out;
    qsizetype begin = 0;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
        out.negative_ = text[0] == u'-';
        begin = 1;
    }
    qsizetype mark = -1;
    int digits = 0, significant = 0;
    for (qsizetype i = begin; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.' || c == mark2) {
            if (mark >= 0)
                return std::nullopt;
            mark = i;
        } else if (c >= u'0' && c <= u'9') {
            ++digits;
            if (significant > 0 || c != u'0')
                ++significant;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || significant > maxDigits)
        return std::nullopt;
    out.scale_ = mark < 0 ? 0 : int(text.size() - mark - 1);
    // Nine digits a limb, from the least significant.
    std::uint32_t limb = 0, unit = 1;
    int inLimb = 0;
    for (qsizetype i = text.size(); i-- > begin;) {
        if (i == mark)
            continue;
        limb += std::uint32_t(text[i].unicode() - u'0') * unit;
        unit *= 10;
        if (++inLimb == 9) {
            out.limbs_.append(limb);
            limb = 0;
            unit = 1;
            inLimb = 0;
        }
    }
    if (inLimb > 0)
        out.limbs_.append(limb);
    out.normalize();
    return out;
}

std::optional<Decimal> Decimal::parse(QStringView text) {
    return scan(text, u'.', 31);
}

Decimal Decimal::fromText(QStringView text, bool* ok) {
    const std::optional<Decimal> d = scan(text, u',', std::numeric_limits<int>::max());
    if (ok)
        *ok = d.has_value();
    return d.value_or(Decimal());
}

Decimal Decimal::fromDouble(double value) {
    if (!std::isfinite(value))
        return {};
    // Fixed notation of the shortest digits that read back as the value (up to 330 characters
    // for the extremes of a double).
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    QVarLengthArray<char16_t, 64> text;
    for (const char* p = buffer; p < result.ptr; ++p)
        text.append(char16_t(*p));
    return scan(QStringView(text.data(), text.size()), u'.', std::numeric_limits<int>::max())
        .value_or(Decimal());
}

Decimal Decimal::fromVariant(const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return {};
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const Decimal d = fromText(value.toString(), &ok);
        if (ok)
            return d;
    }
    return fromDouble(value.toDouble());
}

Decimal Decimal::operator+(const Decimal& other) const {
    const int scale = std::max(scale_, other.scale_);
    if (limbs_.size() <= 3 && other.limbs_.size() <= 3 && std::abs(scale_ - other.scale_) <= 9) {
        // Below 10^27, aligned below 10^36: the sum fits.
        const Wide a = toWide(limbs_) * widePow10(scale - scale_);
        const Wide b = toWide(other.limbs_) * widePow10(scale - other.scale_);
        Decimal out;
        out.scale_ = scale;
        if (negative_ == other.negative_) {
            out.limbs_ = fromWide<Limbs>(a + b);
            out.negative_ = negative_;
        } else {
            out.limbs_ = fromWide<Limbs>(a >= b ? a - b : b - a);
            out.negative_ = a >= b ? negative_ : other.negative_;
        }
        out.normalize();
        return out;
    }
    const Decimal a = withScale(scale), b = other.withScale(scale);
    Decimal out;
    out.scale_ = scale;
    if (a.negative_ == b.negative_) {
        out.limbs_ = addMagnitude(a.limbs_, b.limbs_);
        out.negative_ = a.negative_;
    } else if (compareMagnitude(a.limbs_, b.limbs_) >= 0) {
        out.limbs_ = subtractMagnitude(a.limbs_, b.limbs_);
        out.negative_ = a.negative_;
    } else {
        out.limbs_ = subtractMagnitude(b.limbs_, a.limbs_);
        out.negative_ = b.negative_;
    }
    out.normalize();
    return out;
}

Decimal Decimal::operator-() const {
    Decimal out = *this;
    out.negative_ = !negative_;
    out.normalize();
    return out;
}

Decimal Decimal::operator-(const Decimal& other) const {
    return *this + (-other);
}

Decimal Decimal::operator*(const Decimal& other) const {
    Decimal out;
    out.limbs_ = limbs_.size() + other.limbs_.size() <= 4
                     ? fromWide<Limbs>(toWide(limbs_) * toWide(other.limbs_))
                     : multiplyMagnitude(limbs_, other.limbs_);
    out.scale_ = scale_ + other.scale_;
    out.negative_ = negative_ != other.negative_;
    out.normalize();
    return out;
}

Decimal Decimal::percent() const {
    Decimal out = *this;
    out.scale_ += 2;
    out.normalize();
    return out;
}

Decimal Decimal::rounded(int decimals) const {
    if (scale_ <= decimals)
        return *this;
    const int drop = scale_ - decimals;
    if (limbs_.size() <= 4 && drop <= 38) {
        const Wide unit = widePow10(drop);
        const Wide magnitude = toWide(limbs_);
        Decimal out = *this;
        if (magnitude <= std::numeric_limits<std::uint64_t>::max() && drop <= 19) {
            const std::uint64_t m = std::uint64_t(magnitude), u = std::uint64_t(unit);
            out.limbs_ = fromWide<Limbs>(m / u + (m % u >= u / 2));
        } else {
            out.limbs_ = fromWide<Limbs>(magnitude / unit + (magnitude % unit >= unit / 2));
        }
        out.scale_ = decimals;
        out.normalize();
        return out;
    }
    // Half of the last kept unit added to the magnitude, then the dropped digits cut: halves go
    // away from zero whatever the sign.
    Limbs half{5};
    multiplyPow10(half, drop - 1);
    Decimal out = *this;
    out.limbs_ = addMagnitude(limbs_, half);
    dividePow10(out.limbs_, drop);
    out.scale_ = decimals;
    out.normalize();
    return out;
}

Decimal Decimal::truncated(int decimals) const {
    if (scale_ <= decimals)
        return *this;
    Decimal out = *this;
    dividePow10(out.limbs_, scale_ - decimals);
    out.scale_ = decimals;
    out.normalize();
    return out;
}

int Decimal::compare(const Decimal& other) const {
    if (negative_ != other.negative_)
        return negative_ ? -1 : 1;
    const int scale = std::max(scale_, other.scale_);
    if (limbs_.size() <= 3 && other.limbs_.size() <= 3 && std::abs(scale_ - other.scale_) <= 9) {
        const Wide a = toWide(limbs_) * widePow10(scale - scale_);
        const Wide b = toWide(other.limbs_) * widePow10(scale - other.scale_);
        const int magnitude = a < b ? -1 : (a > b ? 1 : 0);
        return negative_ ? -magnitude : magnitude;
    }
    const int magnitude = compareMagnitude(withScale(scale).limbs_, other.withScale(scale).limbs_);
    return negative_ ? -magnitude : magnitude;
}

Decimal Decimal::abs() const {
    Decimal out = *this;
    out.negative_ = false;
    return out;
}

bool Decimal::differsByACent(const Decimal& other) const {
    return (*this - other).abs() >= Decimal(1, 2);
}

QString Decimal::toString() const {
    if (limbs_.isEmpty())
        return QStringLiteral("0");
    QString digits = QString::number(limbs_.back());
    for (qsizetype i = limbs_.size() - 1; i-- > 0;)
        digits += QStringLiteral("%1").arg(limbs_[i], 9, 10, QLatin1Char('0'));
    if (scale_ > 0) {
        if (digits.size() <= scale_)
            digits.prepend(QString(scale_ - digits.size() + 1, QLatin1Char('0')));
        digits.insert(digits.size() - scale_, QLatin1Char('.'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        if (digits.endsWith(QLatin1Char('.')))
            digits.chop(1);
    }
    return negative_ ? QLatin1Char('-') + digits : digits;
}

QString Decimal::toItalian(int minDecimals) const {
    QString text = toString();
    qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0 && minDecimals > 0) {
        point = text.size();
        text += QLatin1Char('.');
    }
    if (point >= 0) {
        text[point] = QLatin1Char(',');
        const qsizetype decimals = text.size() - point - 1;
        if (decimals < minDecimals)
            text += QString(minDecimals - decimals, QLatin1Char('0'));
    }
    return text;
}

double Decimal::toDouble() const {
    // Up to 2^53 units and 22 decimals both sides of the division are exact doubles, and one
    // division rounds once: the nearest double, as reading the text would give.
    if (limbs_.size() <= 2 && scale_ <= 22) {
        const std::uint64_t units =
            limbs_.isEmpty()
                ? 0
                : limbs_[0] + (limbs_.size() > 1 ? std::uint64_t(limbs_[1]) * kBase : 0);
        if (units <= (std::uint64_t(1) << 53)) {
            static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
            const double magnitude = double(units) / kPow10[scale_];
            return negative_ ? -magnitude : magnitude;
        }
    }
    return toString().toDouble();
}

} // namespace brevalto
