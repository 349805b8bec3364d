#pragma once
// A value as the archive stores it when bound straight into a statement: dates as ISO text (with
// the time when there is one), flags as 1/0, everything else as it is.
#include <QVariant>

namespace brevalto {

QVariant storedValue(const QVariant& value);

} // namespace brevalto
