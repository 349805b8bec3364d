#pragma once
// Rounding of amounts.
#include <QString>
#include <QtGlobal>

namespace brevalto {

// Rounds half away from zero: 2.5 -> 3, -2.5 -> -3, 0.49 -> 0.
qint64 RoundHalfAway(double x);
// Rounds an amount to cents, half away from zero. Counts cents in 64 bits, so amounts far beyond
// 21 million round as well as small ones.
double RoundTo2(double x);

} // namespace brevalto
