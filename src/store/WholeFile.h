#pragma once
// Files written whole or not at all: the bytes go to a temporary file beside the target, which
// replaces it only once every byte is written. A write the system refuses (a full disk, a
// file-size limit) is a failure, never a cut-off file under the target's name.
#include <QByteArray>
#include <QString>

class QIODevice;
class QSaveFile;

namespace brevalto {

// Opens the file for writing with every write going straight to the system, so that a refused
// write fails at once and commit() then refuses too. (Through QSaveFile's own buffer a small
// file meets the failure only while committing, and the cut-off file is committed.)
bool openWhole(QSaveFile& file);

// Why an operation on a file failed, in Italian: the system's reason when it gave one (errno set
// since the caller cleared it before the operation; a QSaveFile itself says only "Unknown
// error"), otherwise the device's own.
QString failureReason(const QIODevice& device);

// The bytes as the whole content of the file at path, replacing any file there only once all are
// written. False on failure, with the system's reason in *why.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* why);

} // namespace brevalto
