#include "export/AttachmentEncoding.h"

#include "export/ExportError.h"
#include "store/SystemText.h"

#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>

namespace brevalto {

namespace {
// Three bytes make four characters: a piece of a multiple of three bytes encodes without "=",
// so the pieces joined are the base64 of the whole file.
constexpr qint64 kPieceBytes = 3 * 16 * 1024;
} // namespace

QString attachableFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw ExportError::abort(
            QStringLiteral("Attenzione non è più presente il file allegato : ") + path);
    const QString real = info.canonicalFilePath();
    for (const char* system : {"/proc", "/sys", "/dev", "/run"}) {
        const QLatin1String root(system);
        if (real == root || real.startsWith(root + QLatin1Char('/')))
            throw ExportError::abort(
                QStringLiteral(
                    "Il file allegato %1 è in %2, una cartella del sistema e non un file "
                    "di dati: non viene allegato. Indicare il file da inviare.")
                    .arg(QDir::toNativeSeparators(path), root));
    }
    if (!QFileInfo(real).isFile())
        throw ExportError::abort(QStringLiteral("Il file allegato %1 non è un file ordinario (è "
                                                "una pipe, un dispositivo o un socket): non viene "
                                                "allegato.")
                                     .arg(QDir::toNativeSeparators(path)));
    return real;
}

Base64Reader::Base64Reader(const QString& path) : path_(path), input_(path) {
    if (!input_.open(QIODevice::ReadOnly))
        fail();
    struct stat opened {};
    if (::fstat(input_.handle(), &opened) != 0 || !S_ISREG(opened.st_mode))
        throw ExportError::abort(
            QStringLiteral("Il file allegato %1 non è un file ordinario: non viene allegato.")
                .arg(QDir::toNativeSeparators(path)));
}

QByteArray Base64Reader::next() {
    // A short read before the end (a network folder) would put "=" inside the text: the piece is
    // filled up to its size unless the file ends.
    QByteArray piece(kPieceBytes, Qt::Uninitialized);
    qint64 filled = 0;
    while (filled < kPieceBytes) {
        const qint64 n = input_.read(piece.data() + filled, kPieceBytes - filled);
        if (n < 0)
            fail();
        if (n == 0)
            break;
        filled += n;
    }
    piece.truncate(filled);
    read_ += filled;
    return piece.toBase64();
}

void Base64Reader::fail() const {
    throw ExportError::failure(
        QStringLiteral("Impossibile leggere il file allegato %1: %2")
            .arg(QDir::toNativeSeparators(path_), italianReason(input_.errorString())));
}

} // namespace brevalto
