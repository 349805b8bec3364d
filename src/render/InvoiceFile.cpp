#include "render/InvoiceFile.h"
#include "store/SystemText.h"

#include <QFile>
#include <QFileInfo>

namespace brevalto::render {

InvoiceFile readInvoiceFile(const QString& path) {
    InvoiceFile result;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Impossibile leggere il file %1: %2")
                           .arg(QFileInfo(path).fileName(), QFileInfo::exists(path)
                                                                ? italianReason(file.errorString())
                                                                : QStringLiteral("non esiste"));
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (!check::isSignedName(path)) {
        result.xml = bytes;
        result.ok = true;
        return result;
    }
    result.isSigned = true;
    result.signature = check::openSigned(bytes);
    if (!result.signature.opened) {
        result.error =
            QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), result.signature.error);
        return result;
    }
    result.xml = result.signature.content;
    result.ok = true;
    return result;
}

} // namespace brevalto::render
