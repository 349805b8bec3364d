#pragma once
// Base64 encoding of attached files through "Allegato.wkq" in the program folder: the encoder
// reads the file named by AttachmentSourcePath() and leaves its base64 text, one line with no
// breaks, in that file; the export reads the text back from there.
#include <QByteArray>
#include <QString>

namespace brevalto {

// The file the encoder reads; the export sets it before each attachment and it keeps the last
// path afterwards. Empty at start-up.
QString& AttachmentSourcePath();

// Full path of "Allegato.wkq" in the program folder.
QString encodedAttachmentPath();

// Encodes the file at AttachmentSourcePath() into "Allegato.wkq", replacing its content.
// Throws ExportError (a failure) when the file cannot be read or the text cannot be written.
void EncodeAttachment();

// The whole content of "Allegato.wkq". Throws ExportError (a failure) when it cannot be read.
QByteArray readEncodedAttachment();

} // namespace brevalto
