#pragma once
// Base64 encoding of attached files, in memory: each export reads its own files and nothing is
// shared between two exports running at once (two workstations, the screen and the command line).
#include <QByteArray>
#include <QString>

namespace brevalto {

// The base64 text of the file at path, "=" filled, on one line with no breaks.
// Throws ExportError (a failure) when the file cannot be read.
QByteArray encodeAttachment(const QString& path);

} // namespace brevalto
