#include "store/WholeFile.h"

#include "store/SystemText.h"

#include <QSaveFile>
#include <cerrno>

namespace brevalto {

QString failureReason(const QIODevice& device) {
    const int code = errno;
    return italianReason(code != 0 ? qt_error_string(code) : device.errorString());
}

bool writeWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write,
                    QString* why) {
    QSaveFile file(path); // uncommitted, it is discarded with its temporary file
    errno = 0;
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && write(file) && file.commit())
        return true;
    if (why)
        *why = failureReason(file);
    return false;
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* why) {
    return writeWholeFile(
        path, [&](QIODevice& file) { return file.write(bytes) == bytes.size(); }, why);
}

} // namespace brevalto
