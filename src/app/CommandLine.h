#pragma once
#include <QStringList>

namespace brevalto {

// Runs a headless subcommand ("create-archive", "export", ...). Returns the exit code, or -1 when
// the arguments name no subcommand and the desktop program should open.
int runCommandLine(const QStringList& arguments);

} // namespace brevalto
