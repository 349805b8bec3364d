#include "store/WholeFile.h"

#include "store/SystemText.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

namespace brevalto {

QString failureReason(const QIODevice& device) {
    const int code = errno;
    return italianReason(code != 0 ? qt_error_string(code) : device.errorString());
}

namespace {

QString symbolicLinkReason(const QString& path) {
    const QFileInfo info(path);
    return QStringLiteral("è un collegamento simbolico%1: un file nuovo non viene scritto "
                          "attraverso un collegamento. Indicare il percorso di un file vero")
        .arg(info.exists() ? QString()
                           : QStringLiteral(" a un file che non esiste (%1)")
                                 .arg(QDir::toNativeSeparators(info.symLinkTarget())));
}

} // namespace

QString symbolicLinkMessage(const QString& path) {
    return QStringLiteral("Il percorso %1 %2.")
        .arg(QDir::toNativeSeparators(path), symbolicLinkReason(path));
}

bool writeWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write,
                    QString* why) {
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists()) {
        if (why)
            *why = symbolicLinkReason(path);
        return false;
    }
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
