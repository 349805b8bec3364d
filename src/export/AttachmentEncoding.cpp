#include "export/AttachmentEncoding.h"

#include "export/ExportError.h"

#include <QDir>
#include <QFile>

namespace brevalto {

QByteArray encodeAttachment(const QString& path) {
    QFile input(path);
    const auto failure = [&] {
        return ExportError::failure(QStringLiteral("Impossibile leggere il file allegato %1: %2")
                                        .arg(QDir::toNativeSeparators(path), input.errorString()));
    };
    if (!input.open(QIODevice::ReadOnly))
        throw failure();
    const QByteArray content = input.readAll();
    if (input.error() != QFileDevice::NoError)
        throw failure();
    return content.toBase64();
}

} // namespace brevalto
