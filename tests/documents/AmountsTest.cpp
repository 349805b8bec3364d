// Exact decimal amounts and the line total the exchange system recomputes: the cascade of
// discounts and surcharges, amounts before percentages, half-up rounding, and values that binary
// floating point gets wrong.
#include "check/Decimal.h"
#include "logic/LineeLogic.h"
#include "logic/VatRules.h"

#include <gtest/gtest.h>

using namespace brevalto;

namespace {

Decimal dec(const char* text) {
    bool ok = false;
    const Decimal d = Decimal::fromText(QString::fromLatin1(text), &ok);
    EXPECT_TRUE(ok) << text;
    return d;
}

TEST(DecimalTest, ArithmeticAndRoundingAreExact) {
    struct Case {
        const char* name;
        Decimal value;
        const char* expected;
    };
    const QList<Case> cases{
        {"0.1 + 0.2", dec("0.1") + dec("0.2"), "0.3"},
        {"from the double 0.1", Decimal::fromDouble(0.1) * dec("3"), "0.3"},
        {"comma as decimal mark", dec("12,5") - dec("0.25"), "12.25"},
        {"half rounds up", dec("2.345").rounded(2), "2.35"},
        {"half rounds away from zero", dec("-2.345").rounded(2), "-2.35"},
        {"below half rounds down", dec("1.0149999").rounded(2), "1.01"},
        // 1.005 is 1.00499999999999989... as a double: rounded in binary it gives 1.00.
        {"a half cent a double misses", Decimal::fromDouble(1.005).rounded(2), "1.01"},
        {"carry through the integer part", dec("999999999.995").rounded(2), "1000000000"},
        {"beyond 64 bits", dec("123456789012345678901234567890") * dec("1000000000.5"),
         "123456789074074073407407407340617283945"},
        {"percent", dec("42092.05875").percent(), "420.9205875"},
        {"sign of a difference", dec("10") - dec("10.01"), "-0.01"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value.toString(), c.expected) << c.name;
    EXPECT_LT(dec("-1"), dec("0.5"));
    EXPECT_EQ(dec("1.50"), dec("1.5"));
    bool ok = true;
    Decimal::fromText("12a", &ok);
    EXPECT_FALSE(ok);
}

// Amounts stored as doubles, rounded to cents: halves away from zero, and large amounts (beyond
// what 32 bits of cents hold) as well as small ones.
TEST(DecimalTest, StoredDoublesRoundHalfAwayFromZeroInCents) {
    const struct {
        double in, out;
    } cases[] = {{0.125, 0.13},
                 {-0.125, -0.13},
                 {2.5, 2.5},
                 {0.004, 0.0},
                 {10.125, 10.13},
                 {21474836.47, 21474836.47},
                 {98765432.125, 98765432.13},
                 {-50000000.125, -50000000.13}};
    for (const auto& c : cases)
        EXPECT_EQ(Decimal::fromDouble(c.in).rounded(2), Decimal::fromDouble(c.out)) << c.in;
    EXPECT_EQ(Decimal::fromDouble(2.5).rounded(0).toString(), "3");
    EXPECT_EQ(Decimal::fromDouble(-2.5).rounded(0).toString(), "-3");
    EXPECT_EQ(Decimal::fromDouble(0.49).rounded(0).toString(), "0");
}

TEST(LineTotalTest, DiscountsInOrderAsTheExchangeSystemRecomputes) {
    using D = linee::ScontoLinea;
    const QVariant none;
    struct Case {
        const char* name;
        QVariant quantity;
        QVariant price;
        QList<D> discounts;
        const char* expected; // nullptr: no total
    };
    const QList<Case> cases{
        // The worked example: 500 less 8.50 %, 5.15 % and 3 % in cascade is 420.9205875 a unit,
        // 42092.05875 for 100, written 42092.06.
        {"three percentages in cascade",
         100,
         500.0,
         {{"SC", 8.5, none}, {"SC", 5.15, none}, {"SC", 3.0, none}},
         "42092.06"},
        {"a percentage discount", 1, 10.0, {{"SC", 10.0, none}}, "9"},
        {"amounts subtracted and added per unit",
         3,
         10.0,
         {{"SC", none, 1.5}, {"MG", none, 0.5}},
         "27"},
        {"amount before percentage", 1, 100.0, {{"SC", none, 10.0}, {"SC", 10.0, none}}, "81"},
        {"percentage before amount", 1, 100.0, {{"SC", 10.0, none}, {"SC", none, 10.0}}, "80"},
        {"surcharge percentage", 2, 50.0, {{"MG", 10.0, none}}, "110"},
        {"a block with both counts its amount", 1, 100.0, {{"SC", 50.0, 5.0}}, "95"},
        {"a block with neither changes nothing", 1, 100.0, {{"SC", none, none}}, "100"},
        {"empty quantity counts as 1", none, 12.34, {}, "12.34"},
        {"quantity zero gives zero", 0, 12.34, {}, "0"},
        {"fractional quantity rounded half up", 0.5, 0.125, {}, "0.06"},
        {"binary trap: 3 x 0.1", 3, 0.1, {}, "0.3"},
        {"negative price (a credit line)", 1, -20.0, {{"SC", 10.0, none}}, "-18"},
        {"no unit price, no total", 3, none, {{"SC", none, 1.0}}, nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<Decimal> total = linee::lineTotal(c.quantity, c.price, c.discounts);
        if (!c.expected) {
            EXPECT_FALSE(total.has_value()) << c.name;
            continue;
        }
        ASSERT_TRUE(total.has_value()) << c.name;
        EXPECT_EQ(total->toString(), c.expected) << c.name;
    }
}

TEST(VatRulesTest, RatesAndNaturesTestedOnValues) {
    struct Case {
        QVariant rate;
        bool zero;
        bool impossible;
    };
    const QList<Case> cases{{QVariant(), true, false},
                            {0.0, true, false},
                            {QString("0,00"), true, false},
                            {0.5, false, true},
                            {0.99, false, true},
                            {1.0, false, false},
                            {5.5, false, false},
                            {22.0, false, false},
                            {100.0, false, false},
                            {100.01, false, true},
                            {-5.0, false, true},
                            {150.0, false, true},
                            {22.5, false, false},
                            {QString("22,555"), false, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(vat::isZeroRate(c.rate), c.zero) << c.rate.toString().toStdString();
        EXPECT_EQ(vat::isImpossibleRate(c.rate), c.impossible) << c.rate.toString().toStdString();
    }
    for (const char* code : {"N2", "N3", "N6", "n6"})
        EXPECT_TRUE(vat::isRetiredNature(code)) << code;
    for (const char* code : {"N2.1", "N3.5", "N6.3", "N1", "N7", ""})
        EXPECT_FALSE(vat::isRetiredNature(code)) << code;
    for (const char* code : {"N6", "N6.1", "N6.9"})
        EXPECT_TRUE(vat::isReverseCharge(code)) << code;
    for (const char* code : {"N2.1", "N7", "", "N16"})
        EXPECT_FALSE(vat::isReverseCharge(code)) << code;
}

} // namespace
