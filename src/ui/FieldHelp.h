#pragma once
// The field help buttons' one action: show the description of a FatturaPA element. The program
// installs the handler that opens the description window; until then a request does nothing.
#include <QString>
#include <functional>

namespace brevalto {

void requestFieldHelp(const QString& elementNumber);
void setFieldHelpHandler(std::function<void(const QString&)> handler);

} // namespace brevalto
