#pragma once
#include <QStringList>
#include <cstdio>

namespace brevalto {

// brevalto pdf FILE.xml|FILE.xml.p7m --out FILE.pdf
// brevalto pdf --archive PATH --document NUMERO --out FILE.pdf
// Writes the readable copy of an invoice file, or of a Document of the archive as the export
// would write it, as a PDF; never opens a window (needs a QGuiApplication, which the dispatcher
// creates on the offscreen platform). args are the words after "pdf". Prints the path written
// and returns 0; 1 when the invoice cannot be read, rendered or written; 2 for a wrong command
// line.
int runPdfCommand(const QStringList& args);
int runPdfCommand(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace brevalto
