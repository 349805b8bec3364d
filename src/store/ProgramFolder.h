#pragma once
#include <QString>

namespace brevalto {

// The program folder, where "percorsoPa.txt" and the default archive live:
// $BREVALTO_HOME when set, otherwise the folder of the executable. Always ends with "/".
QString programFolder();

} // namespace brevalto
