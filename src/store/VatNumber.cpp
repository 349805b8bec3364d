#include "store/VatNumber.h"

namespace brevalto {

bool IsValidPartitaIva(const QString& text) {
    if (text.size() != 11)
        return false;
    int digits[11];
    for (int i = 0; i < 11; ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        digits[i] = c.unicode() - '0';
    }
    int s = 0;
    for (int i = 0; i < 10; i += 2)
        s += digits[i];
    for (int i = 1; i < 10; i += 2) {
        int doubled = digits[i] * 2;
        if (doubled > 9)
            doubled -= 9;
        s += doubled;
    }
    return digits[10] == (10 - s % 10) % 10;
}

bool IsValidCodiceFiscale(const QString& text) {
    if (text.size() == 11)
        return IsValidPartitaIva(text);
    if (text.size() != 16)
        return false;
    // Characters in odd places (the first, third, ...) count by this table, indexed by the digit
    // or letter's value (0-9, A-Z as 0-25); those in even places count their value.
    static const int odd[26] = {1,  0,  5, 7, 9, 13, 15, 17, 19, 21, 2,  4,  18,
                                20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23};
    const QString code = text.toUpper();
    int sum = 0;
    for (int i = 0; i < 15; ++i) {
        const QChar c = code[i];
        int value = 0;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            value = c.unicode() - '0';
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            value = c.unicode() - 'A';
        else
            return false;
        sum += i % 2 == 0 ? odd[value] : value;
    }
    return code[15] == QLatin1Char(char('A' + sum % 26));
}

} // namespace brevalto
