#include "export/AttachmentEncoding.h"

#include "export/ExportError.h"
#include "store/SystemText.h"

#include <QDir>

namespace brevalto {

namespace {
// Three bytes make four characters: a piece of a multiple of three bytes encodes without "=",
// so the pieces joined are the base64 of the whole file.
constexpr qint64 kPieceBytes = 3 * 16 * 1024;
} // namespace

Base64Reader::Base64Reader(const QString& path) : path_(path), input_(path) {
    if (!input_.open(QIODevice::ReadOnly))
        fail();
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
    return piece.toBase64();
}

void Base64Reader::fail() const {
    throw ExportError::failure(
        QStringLiteral("Impossibile leggere il file allegato %1: %2")
            .arg(QDir::toNativeSeparators(path_), italianReason(input_.errorString())));
}

} // namespace brevalto
