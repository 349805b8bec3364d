#pragma once
// The maximum length of each FatturaPA element, by element number (the number on a field's help
// button): every input of the kit takes it unless its field gives its own.
#include <QString>

namespace brevalto {

// 0 when the element is unknown or has no size.
int elementMaxLength(const QString& element);

} // namespace brevalto
