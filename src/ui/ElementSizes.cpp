#include "ui/ElementSizes.h"

#include <QHash>

namespace brevalto {

int elementMaxLength(const QString& element) {
    static const QHash<QString, int> sizes{
#include "ui/ElementSizes.inc"
    };
    return sizes.value(element.trimmed(), 0);
}

} // namespace brevalto
