#pragma once
// The check digit of an Italian VAT number.
#include <QString>
#include <QtGlobal>

namespace brevalto {

// True for an Italian VAT number: eleven digits whose last is the check digit of the others.
bool IsValidPartitaIva(const QString& text);

} // namespace brevalto
