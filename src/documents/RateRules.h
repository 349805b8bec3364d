#pragma once
// The two checks every screen with a VAT rate makes (line, pension fund, summary): a rate the
// format cannot hold, and a zero rate without its nature.
#include "logic/VatRules.h"
#include "store/Dataset.h"
#include "ui/FormEditor.h"

namespace brevalto {

inline QList<Rule> rateRules(const FormEditor& screen) {
    const FormEditor* s = &screen;
    return {
        {[s](const RowValues&) {
             return vat::isImpossibleRate(s->dataset().value(QStringLiteral("AliquotaIva")));
         },
         vat::kImpossibleRateMessage, QStringLiteral("AliquotaIva")},
        {[s](const RowValues& row) {
             return vat::isZeroRate(s->dataset().value(QStringLiteral("AliquotaIva"))) &&
                    row.isEmpty(QStringLiteral("Natura"));
         },
         QStringLiteral("Attenzione con Iva a Zero è necessario specificare la natura !"),
         QStringLiteral("Natura")},
    };
}

} // namespace brevalto
