#pragma once
// An exact decimal number: an integer of any size and a count of decimals. Amounts, quantities
// and rates are typed in decimal and the exchange system recomputes totals in decimal, so line
// totals, taxable amounts and taxes are computed here rather than in binary floating point,
// where 0.1 + 0.2 is not 0.3 and a half cent may round the wrong way.
#include <QString>
#include <QVariant>
#include <cstdint>
#include <vector>

namespace brevalto {

class Decimal {
public:
    Decimal() = default; // zero

    // "-1234.5600", "12,5" (comma or point as the decimal mark, no thousands marks); false in
    // *ok (and zero) for anything else.
    static Decimal fromText(const QString& text, bool* ok = nullptr);
    // The shortest decimal that reads back as the same double: a value typed as 8.5 and stored
    // in a REAL column comes back as exactly 8.5.
    static Decimal fromDouble(double value);
    // A stored value: null reads as zero, a number through fromDouble, a text through fromText.
    static Decimal fromVariant(const QVariant& value);

    Decimal operator+(const Decimal& other) const;
    Decimal operator-(const Decimal& other) const;
    Decimal operator*(const Decimal& other) const;
    Decimal operator-() const;
    Decimal& operator+=(const Decimal& other) { return *this = *this + other; }
    // The value divided by 100 (exact).
    Decimal percent() const;

    // Rounded to the given number of decimals, halves away from zero (2.345 -> 2.35,
    // -2.345 -> -2.35).
    Decimal rounded(int decimals) const;

    int compare(const Decimal& other) const;
    bool operator==(const Decimal& other) const { return compare(other) == 0; }
    bool operator!=(const Decimal& other) const { return compare(other) != 0; }
    bool operator<(const Decimal& other) const { return compare(other) < 0; }
    bool operator>(const Decimal& other) const { return compare(other) > 0; }
    bool operator<=(const Decimal& other) const { return compare(other) <= 0; }
    bool operator>=(const Decimal& other) const { return compare(other) >= 0; }
    Decimal abs() const;
    // True when the two are a cent or more apart (amounts that would not read as the same).
    bool differsByACent(const Decimal& other) const;
    bool isZero() const { return limbs_.empty(); }
    bool isNegative() const { return negative_; }

    double toDouble() const;
    // Plain notation with "." and no trailing zeros: "42092.05875", "-3", "0".
    QString toString() const;

private:
    // The magnitude in base 10^9, least significant limb first; empty for zero.
    std::vector<std::uint32_t> limbs_;
    bool negative_ = false;
    int scale_ = 0; // decimals: the value is magnitude / 10^scale_

    void normalize();
    Decimal withScale(int scale) const; // scale >= scale_, same value
};

} // namespace brevalto
