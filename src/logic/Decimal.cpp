#include "logic/Decimal.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace brevalto {

namespace {

using Limbs = std::vector<std::uint32_t>;
constexpr std::uint32_t kBase = 1000000000u;

void trim(Limbs& a) {
    while (!a.empty() && a.back() == 0)
        a.pop_back();
}

int compareMagnitude(const Limbs& a, const Limbs& b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

Limbs addMagnitude(const Limbs& a, const Limbs& b) {
    Limbs out(std::max(a.size(), b.size()) + 1, 0);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
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
Limbs subtractMagnitude(const Limbs& a, const Limbs& b) {
    Limbs out(a.size(), 0);
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::int64_t d = std::int64_t(a[i]) - borrow - (i < b.size() ? std::int64_t(b[i]) : 0);
        borrow = d < 0 ? 1 : 0;
        if (d < 0)
            d += kBase;
        out[i] = std::uint32_t(d);
    }
    trim(out);
    return out;
}

Limbs multiplyMagnitude(const Limbs& a, const Limbs& b) {
    if (a.empty() || b.empty())
        return {};
    std::vector<std::uint64_t> acc(a.size() + b.size() + 1, 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < b.size(); ++j) {
            const std::uint64_t cur = acc[i + j] + std::uint64_t(a[i]) * b[j] + carry;
            acc[i + j] = cur % kBase;
            carry = cur / kBase;
        }
        std::size_t k = i + b.size();
        while (carry) {
            const std::uint64_t cur = acc[k] + carry;
            acc[k] = cur % kBase;
            carry = cur / kBase;
            ++k;
        }
    }
    Limbs out(acc.begin(), acc.end());
    trim(out);
    return out;
}

void multiplySmall(Limbs& a, std::uint32_t m) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : a) {
        const std::uint64_t cur = std::uint64_t(limb) * m + carry;
        limb = std::uint32_t(cur % kBase);
        carry = cur / kBase;
    }
    if (carry)
        a.push_back(std::uint32_t(carry));
    trim(a);
}

void divideSmall(Limbs& a, std::uint32_t d) {
    std::uint64_t rest = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        const std::uint64_t cur = a[i] + rest * kBase;
        a[i] = std::uint32_t(cur / d);
        rest = cur % d;
    }
    trim(a);
}

std::uint32_t pow10(int n) {
    std::uint32_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

void multiplyPow10(Limbs& a, int n) {
    for (; n > 0; n -= 9)
        multiplySmall(a, pow10(std::min(n, 9)));
}

void dividePow10(Limbs& a, int n) {
    for (; n > 0; n -= 9)
        divideSmall(a, pow10(std::min(n, 9)));
}

} // namespace

void Decimal::normalize() {
    trim(limbs_);
    if (limbs_.empty()) {
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

Decimal Decimal::fromText(const QString& text, bool* ok) {
    QString t = text.trimmed();
    Decimal out;
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.front() == QLatin1Char('-');
        t.remove(0, 1);
    }
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    QString digits = t;
    if (point >= 0) {
        digits.remove(point, 1);
        out.scale_ = int(t.size() - point - 1);
    }
    const bool valid =
        !digits.isEmpty() && std::all_of(digits.cbegin(), digits.cend(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
    if (ok)
        *ok = valid;
    if (!valid)
        return {};
    for (qsizetype end = digits.size(); end > 0; end -= 9) {
        const qsizetype start = std::max<qsizetype>(0, end - 9);
        out.limbs_.push_back(digits.mid(start, end - start).toUInt());
    }
    out.negative_ = negative;
    out.normalize();
    return out;
}

Decimal Decimal::fromDouble(double value) {
    if (!std::isfinite(value))
        return {};
    return fromText(QString::number(value, 'f', QLocale::FloatingPointShortest));
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
    out.limbs_ = multiplyMagnitude(limbs_, other.limbs_);
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

int Decimal::compare(const Decimal& other) const {
    if (negative_ != other.negative_)
        return negative_ ? -1 : 1;
    const int scale = std::max(scale_, other.scale_);
    const int magnitude = compareMagnitude(withScale(scale).limbs_, other.withScale(scale).limbs_);
    return negative_ ? -magnitude : magnitude;
}

Decimal Decimal::abs() const {
    Decimal out = *this;
    out.negative_ = false;
    return out;
}

bool Decimal::differsByACent(const Decimal& other) const {
    static const Decimal cent = fromText(QStringLiteral("0.01"));
    return (*this - other).abs() >= cent;
}

QString Decimal::toString() const {
    if (limbs_.empty())
        return QStringLiteral("0");
    QString digits = QString::number(limbs_.back());
    for (std::size_t i = limbs_.size() - 1; i-- > 0;)
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

double Decimal::toDouble() const {
    return toString().toDouble();
}

} // namespace brevalto
