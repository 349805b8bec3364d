#pragma once
// Files written whole or not at all: the bytes go to a temporary file beside the target, which
// replaces it only once every byte is written. A write the system refuses (a full disk, a
// file-size limit) is a failure, never a cut-off file under the target's name.
#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace brevalto {

// Why an operation on a file failed, in Italian: the system's reason when it gave one (errno set
// since the caller cleared it before the operation; a QSaveFile itself says only "Unknown
// error"), otherwise the device's own.
QString failureReason(const QIODevice& device);

// What is said about a target that is a symbolic link: a file written through a link whose
// target does not exist would appear wherever the link points.
QString symbolicLinkMessage(const QString& path);

// Writes the file at path through `write`, which gets it open with every write going straight to
// the system (through QSaveFile's own buffer a small file met a refused write only while
// committing, and the cut-off file was committed). False when the file cannot be written or
// `write` returns false, with the system's reason in *why; what `write` throws goes through. On
// any failure the file at path stays as it was. A symbolic link that points at no file is refused
// (false, *why saying so): the file would be made wherever it points.
bool writeWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write,
                    QString* why);
// The bytes as the whole content of the file at path.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* why);

} // namespace brevalto
