#pragma once
#include <QString>

namespace brevalto {

// The program's version as the build gives it ("1.0"); the same in every executable.
QString programVersion();

} // namespace brevalto
