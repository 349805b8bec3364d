#pragma once
// Exact decimal numbers for the invoice arithmetic: a value is an integer count of units of
// 10^-scale, so 48.75 × 22 / 100 is 10.725 exactly and rounds half-up to 10.73. Binary floating
// point would give 10.7249999… and round the other way. Results keep every decimal up to
// kMaxScale (far beyond the 8 decimals the schema allows); beyond it they are rounded half-up,
// which only happens after long cascades of percentages and cannot move a comparison against a
// tolerance of a cent. A result too large for 128 bits throws std::overflow_error.
#include <QString>
#include <QStringView>
#include <optional>

namespace brevalto::check {

class Decimal {
public:
    static constexpr int kMaxScale = 20;

    Decimal() = default;
    Decimal(long long units, int scale);

    // The lexical form of xs:decimal: optional sign, digits, optional point and digits (at least
    // one digit in all), surrounding blanks allowed. Anything else gives nothing.
    static std::optional<Decimal> parse(QStringView text);

    Decimal operator+(const Decimal& other) const;
    Decimal operator-(const Decimal& other) const;
    Decimal operator*(const Decimal& other) const;
    Decimal operator-() const;
    // The value divided by 100 (a percentage applied): exact, the scale grows by two.
    Decimal percent() const;
    // Rounded to the given decimals, halves away from zero.
    Decimal roundHalfUp(int decimals) const;
    Decimal abs() const;

    int compare(const Decimal& other) const;
    bool operator==(const Decimal& other) const { return compare(other) == 0; }
    bool operator<(const Decimal& other) const { return compare(other) < 0; }
    bool operator<=(const Decimal& other) const { return compare(other) <= 0; }
    bool operator>(const Decimal& other) const { return compare(other) > 0; }
    bool isZero() const { return units_ == 0; }

    // Italian writing: decimal comma, at least minDecimals decimals, no trailing zeros beyond
    // them ("15,10", "42092,05875", "-3,00").
    QString toItalian(int minDecimals = 2) const;
    // A key equal for equal values (22, 22.0 and 22.00 give "22").
    QString key() const;

private:
    Decimal normalized() const;
    static Decimal withScale(__int128 units, int scale);
    __int128 scaledTo(int scale) const;

    __int128 units_ = 0;
    int scale_ = 0;
};

} // namespace brevalto::check
