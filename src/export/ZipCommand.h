#pragma once
#include <QStringList>
#include <cstdio>

namespace brevalto {

// brevalto zip --out FILE.zip [--force] FILE...
// Packs invoice files into ZIPs for the portal (export/PortalZip.h): the first at FILE.zip, the
// next ones under the following names. Prints each ZIP written with the names inside; each file
// left out goes to the error output as "FILE<TAB>CODE<TAB><TAB>MESSAGE". Returns 0 when every
// file was packed, 1 when some was left out or nothing could be written, 2 for a wrong command
// line.
int runZipCommand(const QStringList& args);
int runZipCommand(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace brevalto
