#include "store/WholeFile.h"

#include <QSaveFile>

namespace brevalto {

bool openWhole(QSaveFile& file) {
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* why) {
    QSaveFile file(path);
    if (openWhole(file) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (why)
        *why = file.errorString();
    return false; // an uncommitted file is discarded with its temporary file
}

} // namespace brevalto
