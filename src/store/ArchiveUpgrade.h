#pragma once
// Brings an archive made by an older program up to the current schema: every missing table is
// created (with its reference rows, when the program ships some) and every missing column added;
// the settings row then records the current archive version. Version 2 keeps the highest
// transmission progressive ever given (opzioni.UltimoProgressivoInvio), started from the highest
// Document number the archive holds. Version 3 records when the directory of public
// administrations was loaded and indexes the directory's municipality key.
#include <QString>
#include <QStringList>

namespace brevalto {

class Connection;

// The archive version this program needs (opzioni.VerBaseDati).
constexpr int requiredArchiveVersion = 3;

struct UpgradeReport {
    QStringList tablesAdded;  // table names
    QStringList columnsAdded; // "Table.Column"
    int previousVersion = 0;  // VerBaseDati before (0 when null, missing or no settings row)
    int version = 0;          // VerBaseDati after
    // A few lines for the user: what was added and the version now recorded.
    QString text() const;
};

// The index of the directory of public administrations on its municipality key, so that a
// search by municipality reads only that municipality's offices. Run by the archive creation and
// the upgrade; does nothing when the index exists. Throws DbError.
void addDirectoryIndex(Connection& connection);

// Upgrades the open archive in one transaction: either everything above is done or nothing.
// Throws DbError.
UpgradeReport upgradeArchive(Connection& connection);

} // namespace brevalto
