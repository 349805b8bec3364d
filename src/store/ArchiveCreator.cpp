#include "store/ArchiveCreator.h"

#include "store/Connection.h"
#include "store/ReferenceData.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace brevalto {

void createArchive(const QString& path) {
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (info.exists())
        throw DbError(QStringLiteral("Il file %1 esiste già: per non perderne il contenuto il "
                                     "nuovo archivio non viene creato.")
                          .arg(shown));
    if (!info.absoluteDir().exists())
        throw DbError(QStringLiteral("La cartella %1 non esiste.")
                          .arg(QDir::toNativeSeparators(info.absolutePath())));

    // Built beside the target under another name and renamed at the end, so that a failure never
    // leaves a half-made archive at the path.
    const QString work = path + QStringLiteral(".creating");
    QFile::remove(work);
    {
        QFile file(work);
        if (!file.open(QIODevice::WriteOnly))
            throw DbError(QStringLiteral("Impossibile creare l'archivio %1: %2")
                              .arg(shown, file.errorString()));
    }
    try {
        Connection connection;
        connection.open(work);
        connection.execNative(QStringLiteral("PRAGMA journal_mode = DELETE"));
        connection.inTransaction([&] {
            for (const TableDef& table : archiveSchema())
                connection.execNative(createTableSql(table));
            loadReferenceData(connection);
        });
        connection.close();
    } catch (const DbError& e) {
        QFile::remove(work);
        QFile::remove(work + QStringLiteral("-journal"));
        throw DbError(QStringLiteral("Impossibile creare l'archivio %1: %2").arg(shown, e.text()));
    }
    if (!QFile::rename(work, path)) {
        QFile::remove(work);
        throw DbError(QStringLiteral("Impossibile creare l'archivio %1.").arg(shown));
    }
}

} // namespace brevalto
