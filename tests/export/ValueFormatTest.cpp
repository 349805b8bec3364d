#include "export/ValueFormat.h"

#include <QLocale>
#include <clocale>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

struct DecimalCase {
    double value;
    int maxLength;
    const char* expected;
};

TEST(ValueFormatTest, FormatDecimal) {
    const DecimalCase cases[] = {
        {22, 6, "22.00"},
        {4.5, 6, "4.50"},
        {100, 6, "100.00"},
        {12.345678, 6, "12.345"}, // cut, not rounded
        {1234.5, 15, "1234.50"},
        {1234.5678, 15, "1234.5678"},
        {12345, 6, "12345"}, // the cut ends on the point, which goes too
        {1000000, 6, "100000"},
        {-3.1, 15, "-3.10"},
        {0, 6, "0.00"},
        {0, 7, "0.00"},
        {-0.0, 2, "0.00"},
        {1e-6, 21, "1E-6.00"}, // below 0.00001: exponent form
        {0.00001, 21, "0.00001"},
        {-2.5e-7, 21, "-2.5E-7"},
        {2.5e20, 21, "2.5E20"},
        {1e15, 21, "1E15.00"}, // sixteen integer digits
        {999999999999999, 21, "999999999999999.00"},
        {10000, 15, "10000.00"},
        {1.5, 21, "1.50"},
        {10.12345678, 21, "10.12345678"},
        {33.333333333333336, 21, "33.3333333333333"}, // 15 significant digits
        {0.1 + 0.2, 15, "0.30"},                      // binary noise beyond 15 digits disappears
        {1.0 / 3.0, 21, "0.333333333333333"},
        {123456789012.345678, 21, "123456789012.346"}, // the 15th digit is rounded
        {12345678901234567890.0, 15, "1.2345678901234"},
        {12.5, 7, "12.50"},
        {1234.5, 7, "1234.50"},
        {12345.5, 7, "12345.5"},
    };
    for (const DecimalCase& c : cases)
        EXPECT_EQ(FormatDecimal(c.value, c.maxLength), QString::fromLatin1(c.expected))
            << c.value << " max " << c.maxLength;
}

// The point is "." whatever the user's locale says.
TEST(ValueFormatTest, FormatDecimalIgnoresTheLocale) {
    const QLocale before;
    const std::string cBefore = std::setlocale(LC_NUMERIC, nullptr);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    std::setlocale(LC_NUMERIC, "it_IT.UTF-8");
    EXPECT_EQ(FormatDecimal(1234.5, 15), "1234.50");
    EXPECT_EQ(FormatDecimal(0.000123, 15), "0.000123");
    EXPECT_EQ(FormatDecimal(2.5e-9, 15), "2.5E-9");
    std::setlocale(LC_NUMERIC, cBefore.c_str());
    QLocale::setDefault(before);
}

// What reaches the file: never more decimals than the element's schema type admits, never an
// exponent.
TEST(ValueFormatTest, FormatSchemaDecimalKeepsToTheSchemaTypes) {
    const struct {
        double value;
        int maxLength;
        const char* expected;
    } cases[] = {
        {10.125, 15, "10.12"},
        {-100.005, 15, "-100.00"},
        {187.88, 15, "187.88"},
        {22.125, 6, "22.12"},
        {5.5, 6, "5.50"},
        {12.345, 7, "12.34"},
        {1.123456789, 21, "1.12345678"},
        {99.990000001, 21, "99.99"},
        {1.5000000001, 21, "1.50"},
        {2.5, 21, "2.50"},
        {0.000001, 21, "0.000001"},
        {0.000001, 15, "0.00"},
        {-0.000001, 15, "0.00"},
        {1e-9, 21, "0.00"},
        // Cut in decimal: 3e-8 × 10^8 is 2.9999999999999996 in binary, which a cut there makes 2.
        {3e-8, 21, "0.00000003"},
        {-1.2e-7, 21, "-0.00000012"},
        {0, 15, "0.00"},
        {123456.78, 15, "123456.78"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatSchemaDecimal(c.value, c.maxLength), QString(c.expected))
            << c.value << " " << c.maxLength;
}

TEST(ValueFormatTest, FormatInteger) {
    const struct {
        qint64 value;
        int maxLength;
        const char* expected;
    } cases[] = {
        {0, 4, "0"},   {123456, 4, "1234"}, {12345, 4, "1234"}, {7, 4, "7"},
        {30, 3, "30"}, {1000, 3, "100"},    {-12, 4, "-12"},    {-1234, 4, "-123"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatInteger(c.value, c.maxLength), QString::fromLatin1(c.expected)) << c.value;
}

TEST(ValueFormatTest, PadProgressive) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {{"", "00000"},     {"7", "00007"},     {"12", "00012"},      {"123", "00123"},
                 {"1234", "01234"}, {"12345", "12345"}, {"123456", "123456"}, {"AB", "000AB"}};
    for (const auto& c : cases)
        EXPECT_EQ(PadProgressive(QString::fromLatin1(c.text)), QString::fromLatin1(c.expected));
}

TEST(ValueFormatTest, ReplaceAll) {
    const struct {
        const char* text;
        const char* search;
        const char* replacement;
        const char* expected;
    } cases[] = {
        {"", "a", "b", ""},
        {"abc", "", "x", ""},
        {"abc", "x", "y", "abc"},
        {"a  b", " ", "", "ab"},  // two consecutive blanks both go
        {"aaa", "aa", "b", "ba"}, // left to right, no overlap
        {"ab", "a", "aa", "aab"}, // inserted text is not searched again
        {"<FatturaElettronica versione=\"1\"></FatturaElettronica>", "<FatturaElettronica versione",
         "<p:FatturaElettronica versione",
         "<p:FatturaElettronica versione=\"1\"></FatturaElettronica>"},
        {"Abc abc", "abc", "x", "Abc x"}, // letter case matters
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceAll(QString::fromLatin1(c.text), QString::fromLatin1(c.search),
                             QString::fromLatin1(c.replacement)),
                  QString::fromLatin1(c.expected))
            << c.text;
}

TEST(ValueFormatTest, DatesAndDateTimes) {
    EXPECT_EQ(FormatDate(QDate(2019, 3, 7)), "2019-03-07");
    EXPECT_EQ(FormatDate(QDateTime(QDate(2019, 3, 7), QTime(14, 30))), "2019-03-07");
    EXPECT_EQ(FormatDate(QVariant()), "1899-12-30");
    EXPECT_EQ(FormatDate(QDate(987, 1, 2)), "0987-01-02");
    EXPECT_EQ(FormatDateTime(QDateTime(QDate(2019, 3, 7), QTime(14, 30))), "2019-03-07T14:30:00");
    EXPECT_EQ(FormatDateTime(QDateTime(QDate(2019, 3, 7), QTime(23, 59, 58))),
              "2019-03-07T23:59:58");
    EXPECT_EQ(FormatDateTime(QDate(2019, 3, 7)), "2019-03-07T00:00:00");
    EXPECT_EQ(FormatDateTime(QVariant()), "1899-12-30T00:00:00");
}

TEST(ValueFormatTest, UpperCase) {
    EXPECT_EQ(UpperCase("rssmra80a01h501u"), "RSSMRA80A01H501U");
    EXPECT_EQ(UpperCase(QString::fromUtf8("però è già")), QString::fromUtf8("PERÒ È GIÀ"));
    EXPECT_EQ(UpperCase("si-1 2"), "SI-1 2");
}

} // namespace
} // namespace brevalto
