#pragma once
#include <QByteArray>
#include <QList>
#include <QStringList>

namespace brevalto {

// Runs a headless subcommand ("create-archive", "export", ...). Returns the exit code, or -1 when
// the arguments name no subcommand and the desktop program should open (no arguments, or only
// Qt's own window options such as "-platform offscreen"). A wrong command line prints an Italian
// message and gives 2.
int runCommandLine(const QStringList& arguments);

// The same from the process's raw arguments. File names are decoded as the system decodes them;
// an argument whose bytes that decoding cannot give back (a name not valid in the locale's
// encoding) is refused with 2 rather than turned into another name.
int runCommandLine(const QList<QByteArray>& rawArguments);

} // namespace brevalto
