#include "store/WholeFile.h"
#include "store/SystemText.h"

#include "store/SystemText.h"

#include <QSaveFile>
#include <cerrno>

namespace brevalto {

bool openWhole(QSaveFile& file) {
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

QString failureReason(const QIODevice& device) {
    const int code = errno;
    return italianReason(code != 0 ? qt_error_string(code) : device.errorString());
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* why) {
    QSaveFile file(path);
    errno = 0;
    if (openWhole(file) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (why)
        *why = failureReason(file);
    return false; // an uncommitted file is discarded with its temporary file
}

} // namespace brevalto
