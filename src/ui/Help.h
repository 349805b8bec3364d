#pragma once
// The program's guide: F1 anywhere in the program and every "Aiuto" button open it through this
// one seam. The program installs the handler that shows the guide window; tests install their own
// to see that it was asked for. Until a handler is installed a request does nothing.
#include <functional>

class QObject;

namespace brevalto {

void openHelp();
void setHelpHandler(std::function<void()> handler);

// Makes F1 open the guide in every window of the application, modal screens included. The key
// filter lives as long as owner.
void installHelpKey(QObject* owner);

} // namespace brevalto
