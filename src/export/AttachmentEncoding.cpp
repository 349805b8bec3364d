#include "export/AttachmentEncoding.h"

#include "export/ExportError.h"
#include "store/ProgramFolder.h"

#include <QDir>
#include <QFile>

namespace brevalto {

QString& AttachmentSourcePath() {
    static QString path;
    return path;
}

QString encodedAttachmentPath() {
    return programFolder() + QStringLiteral("Allegato.wkq");
}

void EncodeAttachment() {
    const QString source = AttachmentSourcePath();
    QByteArray encoded;
    {
        QFile input(source);
        if (!input.open(QIODevice::ReadOnly))
            throw ExportError::failure(
                QStringLiteral("Impossibile leggere il file allegato %1: %2")
                    .arg(QDir::toNativeSeparators(source), input.errorString()));
        const QByteArray content = input.readAll();
        if (input.error() != QFileDevice::NoError)
            throw ExportError::failure(
                QStringLiteral("Impossibile leggere il file allegato %1: %2")
                    .arg(QDir::toNativeSeparators(source), input.errorString()));
        encoded = content.toBase64();
    }

    const QString target = encodedAttachmentPath();
    QFile output(target);
    const bool ok = output.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    output.write(encoded) == encoded.size() && output.flush();
    const QString why = output.errorString();
    output.close();
    if (!ok || output.error() != QFileDevice::NoError)
        throw ExportError::failure(QStringLiteral("Impossibile scrivere il file %1: %2")
                                       .arg(QDir::toNativeSeparators(target), why));
}

QByteArray readEncodedAttachment() {
    const QString target = encodedAttachmentPath();
    QFile file(target);
    if (!file.open(QIODevice::ReadOnly))
        throw ExportError::failure(QStringLiteral("Impossibile leggere il file %1: %2")
                                       .arg(QDir::toNativeSeparators(target), file.errorString()));
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ExportError::failure(QStringLiteral("Impossibile leggere il file %1: %2")
                                       .arg(QDir::toNativeSeparators(target), file.errorString()));
    return text;
}

} // namespace brevalto
