#pragma once
#include <QStringList>
#include <cstdio>

namespace brevalto {

// brevalto export --archive PATH --document NUMERO [--out FILE] [--force]
// Exports one document without any window, through the same code as the screen. args are the
// words after "export". Prints the path written and returns 0; on any abort or error prints the
// message and returns 1 (2 for a wrong command line).
int runExportCommand(const QStringList& args);
// The same, printing to the given streams.
int runExportCommand(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace brevalto
