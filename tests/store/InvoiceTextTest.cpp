// The characters the invoice file's texts can hold: typographic forms made plain, everything
// outside Basic Latin and Latin-1 taken out and named.
#include "store/TextFields.h"

#include <QList>
#include <QString>

#include <gtest/gtest.h>

using namespace brevalto;

namespace {

TEST(InvoiceTextTest, TypographicFormsBecomePlainAndOtherCharactersAreRefused) {
    struct Case {
        QString typed;
        QString kept;
        QString refused;
    };
    const QList<Case> cases{
        {"Caffè «Roma» àèìòù ÿ ©", "Caffè «Roma» àèìòù ÿ ©", ""}, // Latin-1 stays
        {"l\u2019offerta \u201Cspeciale\u201D", "l'offerta \"speciale\"", ""},
        {"\u2018a\u2019 \u201Eb\u201C", "'a' \"b\"", ""},
        {"2020\u20132021 \u2014 fine \u2212 3", "2020-2021 - fine - 3", ""},
        {"e poi\u2026", "e poi...", ""},
        {"10\u202F000", "10 000", ""},
        {"Prezzo 10 \u20AC", "Prezzo 10 EUR", ""},
        {"\u20AC e \u20AC", "EUR e EUR", ""},
        {"\u2192 e \u2192", " e ", "\u2192"}, // named once
        {"ok \U0001F600!", "ok !", "\U0001F600"},
        {"a\u200Bb", "ab", "U+200B"},
        {"riga 1\nriga 2\tfine", "riga 1\nriga 2\tfine", ""},
        {"\u0141\u00F3d\u017A", "\u00F3d", "\u0141 \u017A"},
    };
    for (const Case& c : cases) {
        QString refused = "x";
        EXPECT_EQ(PlainInvoiceText(c.typed, &refused), c.kept) << c.typed.toStdString();
        EXPECT_EQ(refused, c.refused) << c.typed.toStdString();
    }
}

} // namespace
