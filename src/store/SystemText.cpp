#include "store/SystemText.h"

#include <QHash>

namespace brevalto {

QString italianReason(const QString& systemText) {
    static const QHash<QString, QString> italian = {
        {QStringLiteral("No such file or directory"), QStringLiteral("non esiste")},
        {QStringLiteral("Permission denied"), QStringLiteral("permesso negato")},
        {QStringLiteral("Operation not permitted"), QStringLiteral("operazione non permessa")},
        {QStringLiteral("No space left on device"), QStringLiteral("il disco è pieno")},
        {QStringLiteral("Disk quota exceeded"),
         QStringLiteral("lo spazio su disco assegnato è esaurito")},
        {QStringLiteral("File too large"),
         QStringLiteral("il file supera la dimensione consentita")},
        {QStringLiteral("Read-only file system"), QStringLiteral("il disco è in sola lettura")},
        {QStringLiteral("Is a directory"), QStringLiteral("è una cartella")},
        {QStringLiteral("Filename refers to a directory"), QStringLiteral("è una cartella")},
        {QStringLiteral("Not a directory"),
         QStringLiteral("una parte del percorso non è una cartella")},
        {QStringLiteral("Input/output error"),
         QStringLiteral("errore di lettura o scrittura sul disco")},
        {QStringLiteral("Device or resource busy"), QStringLiteral("il file è in uso")},
        {QStringLiteral("Text file busy"), QStringLiteral("il file è in uso")},
        {QStringLiteral("Too many open files"), QStringLiteral("troppi file aperti")},
        {QStringLiteral("File name too long"), QStringLiteral("il nome del file è troppo lungo")},
        {QStringLiteral("Unknown error"), QStringLiteral("errore sconosciuto")},
    };
    return italian.value(systemText.trimmed(), systemText);
}

} // namespace brevalto
