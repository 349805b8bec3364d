#pragma once
#include <QStringList>
#include <cstdio>

namespace brevalto {

// brevalto import-xml --archive PATH FILE.xml|FILE.xml.p7m...
// Imports each invoice file into the archive as a new Document, without any window, and prints
// each file's summary (what was imported, the parties found or created, the elements without a
// place) on out, or why it was refused on err. Returns 0 when every file was imported, 1 when a
// file was refused or the archive refused it (the others are still imported), 2 for a wrong
// command line, an archive that cannot be opened or a file that cannot be read. args are the
// words after "import-xml".
int runImportXmlCommand(const QStringList& args, std::FILE* out = stdout, std::FILE* err = stderr);

} // namespace brevalto
