#pragma once
// The exact decimal number of every amount, quantity and rate: an integer of any size and a count
// of decimals. Amounts are typed in decimal and the exchange system recomputes totals in decimal,
// so line totals, taxable amounts, taxes and the check's comparisons are computed here rather
// than in binary floating point, where 0.1 + 0.2 is not 0.3 and 48.75 × 22 / 100 is
// 10.7249999… and rounds the wrong way. Results keep every decimal: nothing is rounded unless
// asked. Up to 72 digits are kept in place (every figure of an invoice and their products), so
// the arithmetic of a check or a line import allocates no memory.
#include <QString>
#include <QStringView>
#include <QVarLengthArray>
#include <QVariant>
#include <cstdint>
#include <optional>

namespace brevalto {

class Decimal {
public:
    Decimal() = default; // zero
    // units × 10^-scale: Decimal(1, 2) is 0.01.
    Decimal(std::int64_t units, int scale);

    // The lexical form of xs:decimal, as the invoice file writes numbers: optional sign, digits,
    // optional point and digits (at least one digit in all), surrounding blanks allowed.
    // Anything else gives nothing, and so does a number of more than 31 significant digits,
    // which no schema type admits (a file cannot make the check multiply numbers of any size).
    static std::optional<Decimal> parse(QStringView text);
    // What a user types: "-1234.5600", "12,5" (comma or point as the decimal mark, no thousands
    // marks); false in *ok (and zero) for anything else.
    static Decimal fromText(QStringView text, bool* ok = nullptr);
    static Decimal fromText(const QString& text, bool* ok = nullptr) {
        return fromText(QStringView(text), ok);
    }
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
    // The value divided by 100 (a percentage applied): exact, the scale grows by two.
    Decimal percent() const;

    // Rounded to the given number of decimals, halves away from zero (2.345 -> 2.35,
    // -2.345 -> -2.35).
    Decimal rounded(int decimals) const;
    // Cut to the given number of decimals, toward zero (-0.129 -> -0.12).
    Decimal truncated(int decimals) const;

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
    bool isZero() const { return limbs_.isEmpty(); }
    bool isNegative() const { return negative_; }

    // The nearest double.
    double toDouble() const;
    // Plain notation with "." and no trailing zeros: "42092.05875", "-3", "0". Equal values give
    // equal texts (22, 22.0 and 22.00 give "22"), so the text also serves as a key.
    QString toString() const;
    // Italian writing: decimal comma, at least minDecimals decimals, no trailing zeros beyond
    // them ("15,10", "42092,05875", "-3,00").
    QString toItalian(int minDecimals = 2) const;

private:
    // The magnitude in base 10^9, least significant limb first; empty for zero.
    using Limbs = QVarLengthArray<std::uint32_t, 8>;
    Limbs limbs_;
    bool negative_ = false;
    int scale_ = 0; // decimals: the value is magnitude / 10^scale_

    // Reads [sign] digits [mark digits]; mark2 is a second accepted decimal mark (or the point).
    static std::optional<Decimal> scan(QStringView text, QChar mark2, int maxDigits);
    void normalize();
    Decimal withScale(int scale) const; // scale >= scale_, same value
};

} // namespace brevalto
