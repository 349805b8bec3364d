#pragma once
// The unit price of an invoice line after its discounts and surcharges (ScontoMaggiorazione), as
// the exchange system recomputes it. The screens that total a line and the check that compares a
// file's PrezzoTotale both call this one computation.
#include "check/Decimal.h"

#include <QList>
#include <QString>
#include <optional>

namespace brevalto::check {

struct LineDiscount {
    QString tipo; // "SC" subtracts, "MG" adds, anything else changes nothing
    std::optional<Decimal> percentuale;
    std::optional<Decimal> importo;
};

// Each block in order: an amount as it is, otherwise a percentage of the price left by the
// previous block. A block with both counts its amount (the exchange system's own worked example:
// 500.00 less 8.50 %, a block of 5.15 % and 23.56, 15.00 and 2.00 % is 410.5612 a unit); a block
// with neither changes nothing.
inline Decimal discountedPrice(Decimal price, const QList<LineDiscount>& discounts) {
    for (const LineDiscount& d : discounts) {
        Decimal step;
        if (d.importo)
            step = *d.importo;
        else if (d.percentuale)
            step = (price * *d.percentuale).percent();
        else
            continue;
        if (d.tipo == QLatin1String("SC"))
            price = price - step;
        else if (d.tipo == QLatin1String("MG"))
            price = price + step;
    }
    return price;
}

} // namespace brevalto::check
