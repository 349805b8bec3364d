#include "store/Version.h"

namespace brevalto {

QString programVersion() {
    return QStringLiteral(BREVALTO_VERSION);
}

} // namespace brevalto
