#pragma once
#include <QStringList>
#include <cstdio>

namespace brevalto {

// brevalto check [--date AAAA-MM-GG] FILE...
// brevalto check [--date AAAA-MM-GG] --archive PATH --document NUMERO
// Checks invoice files on disk, or a Document of an archive without writing it, and prints one
// line "FILE<TAB>CODE<TAB>ELEMENT<TAB>MESSAGE" per finding on out. Returns 0 when nothing is
// found, 1 when something is, 2 for a wrong command line or a file that cannot be read (its
// message on err). args are the words after "check".
int runCheckCommand(const QStringList& args, std::FILE* out = stdout, std::FILE* err = stderr);

} // namespace brevalto
