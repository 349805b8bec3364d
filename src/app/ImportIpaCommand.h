#pragma once
#include <QStringList>
#include <cstdio>

namespace brevalto {

// brevalto import-ipa --archive PATH FILE [ENTI-FILE]
// Replaces the directory of public-administration offices of the archive with the IndicePA file
// FILE (and the administrations of ENTI-FILE), without any window, and prints the summary.
// Returns 0 when the directory was replaced, 1 when the archive or the file's content refused it
// (the previous directory kept), 2 for a wrong command line or a file that cannot be read. args
// are the words after "import-ipa".
int runImportIpaCommand(const QStringList& args, std::FILE* out = stdout, std::FILE* err = stderr);

} // namespace brevalto
