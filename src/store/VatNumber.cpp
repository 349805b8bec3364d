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

} // namespace brevalto
