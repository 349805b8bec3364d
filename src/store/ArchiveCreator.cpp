#include "store/ArchiveCreator.h"

#include "store/ArchiveAddress.h"
#include "store/ArchiveCatalog.h"
#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "store/ReferenceData.h"
#include "store/Schema.h"
#include "store/SystemText.h"
#include "store/WholeFile.h"
#include "store/WorkFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace brevalto {

namespace {

QString archiveExistsMessage(const QString& shownPath) {
    return QStringLiteral("L'archivio %1 esiste già: è stato creato nel frattempo da un altro "
                          "programma.")
        .arg(shownPath);
}

// Every table, the reference data, the indexes and the change counter, in one transaction.
void fillNewArchive(Connection& connection) {
    connection.inTransaction([&] {
        for (const TableDef& table : archiveSchema())
            connection.execNative(createTableSql(table, connection.dialect()));
        loadReferenceData(connection);
        catchUpKeyCounters(connection);
        // After the rows: one sort per index instead of an index update per row.
        for (const TableDef& table : archiveSchema()) {
            for (const QString& column : table.indexed)
                connection.execNative(createIndexSql(table, column, connection.dialect()));
        }
        installChangeCounter(connection);
    });
}

// A server archive goes into an existing, empty database: making databases is the server
// administrator's business (and right).
void createServerArchive(const QString& location) {
    const QString shown = locationWithoutPassword(location);
    Connection connection;
    connection.open(location);
    try {
        if (!archiveTables(connection).isEmpty())
            throw DbError(QStringLiteral("Il database %1 contiene già delle tabelle: per non "
                                         "perderne il contenuto il nuovo archivio non viene "
                                         "creato. Indicare un database vuoto.")
                              .arg(shown));
        try {
            connection.execNative(QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext"));
        } catch (const DbError& e) {
            throw DbError(QStringLiteral("Il server non permette di attivare l'estensione citext "
                                         "(testi confrontati senza distinguere maiuscole e "
                                         "minuscole): chiedere all'amministratore del server di "
                                         "eseguire CREATE EXTENSION citext nel database.\n(%1)")
                              .arg(e.text()));
        }
        fillNewArchive(connection);
    } catch (const DbError& e) {
        if (e.text().startsWith(QLatin1String("Il database")) ||
            e.text().startsWith(QLatin1String("Il server")))
            throw;
        throw DbError(QStringLiteral("Impossibile creare l'archivio %1: %2").arg(shown, e.text()),
                      e.kind());
    }
}

} // namespace

void createArchive(const QString& path) {
    if (isServerAddress(path)) {
        createServerArchive(path);
        return;
    }
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (path.trimmed().isEmpty())
        throw DbError(QStringLiteral("Indicare il percorso del nuovo archivio."));
    if (info.isSymLink())
        throw DbError(symbolicLinkMessage(path));
    if (info.exists())
        throw DbError(QStringLiteral("Il file %1 esiste già: per non perderne il contenuto il "
                                     "nuovo archivio non viene creato.")
                          .arg(shown));
    if (!info.absoluteDir().exists())
        throw DbError(QStringLiteral("La cartella %1 non esiste.")
                          .arg(QDir::toNativeSeparators(info.absolutePath())));

    // Built beside the target under a name of its own and moved into place at the end, so that a
    // failure never leaves a half-made archive at the path and two processes creating the same
    // archive at once never share a work file.
    removeLeftOverWorkFiles(path, QStringLiteral("creating"));
    const QString work = workFileBeside(path, QStringLiteral("creating"));
    {
        QFile file(work);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw DbError(QStringLiteral("Impossibile creare l'archivio %1: %2")
                              .arg(shown, italianReason(file.errorString())));
    }
    try {
        Connection connection;
        connection.open(work);
        connection.execNative(QStringLiteral("PRAGMA journal_mode = DELETE"));
        fillNewArchive(connection);
        connection.close();
    } catch (const DbError& e) {
        QFile::remove(work);
        QFile::remove(work + QStringLiteral("-journal"));
        throw DbError(QStringLiteral("Impossibile creare l'archivio %1: %2").arg(shown, e.text()));
    }
    // The move never replaces a file: whoever comes second finds the archive made by the first.
    if (!QFile::rename(work, path)) {
        QFile::remove(work);
        if (QFileInfo::exists(path))
            throw DbError(archiveExistsMessage(shown));
        throw DbError(QStringLiteral("Impossibile creare l'archivio %1.").arg(shown));
    }
}

} // namespace brevalto
