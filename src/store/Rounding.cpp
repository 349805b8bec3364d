#include "store/Rounding.h"

#include <cmath>

namespace brevalto {

qint64 RoundHalfAway(double x) {
    return x > 0 ? qint64(std::trunc(x + 0.5)) : qint64(std::trunc(x - 0.5));
}

double RoundTo2(double x) {
    return double(RoundHalfAway(x * 100)) / 100;
}

} // namespace brevalto
