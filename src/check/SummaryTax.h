#pragma once
// The tax of a VAT summary: rate % of the taxable amount, rounded to the cent. The summary screen,
// the summaries built from the lines and the check of a file compute it here.
#include "check/Decimal.h"

namespace brevalto {

inline Decimal summaryTax(const Decimal& taxable, const Decimal& rate) {
    return (rate * taxable).percent().rounded(2);
}

} // namespace brevalto
