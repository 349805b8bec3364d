#pragma once
// Brings an archive made by an older program up to the current schema: every missing table is
// created (with its reference rows, when the program ships some) and every missing column added;
// the settings row then records the current archive version. Version 2 keeps the highest
// transmission progressive ever given (opzioni.UltimoProgressivoInvio), started from the highest
// Document number the archive holds. Version 3 has an index on every parent key the program
// filters or joins on (TableDef::indexed) and records when the directory of public
// administrations was loaded. Version 4 gives the invoice list its own mark on the Documents
// (PA_FE_Header.EsportatoElenco), started from the mark the list and the XML export shared
// before, so that the first list after the upgrade does not repeat years of invoices. Version 6
// records the invoice file an imported Document came from (PA_FE_Header.Importato).
// Version 7 records when and into which file each Document was last exported
// (PA_FE_Header.DataEsportazione and FileEsportazione), so that a second export can say so.
// Version 8 keeps the name of every file written for each Document and the exchange system's
// notifications about them (SdI_Invii, SdI_Notifiche, SdI_Errori).
// Version 9 keeps the certified-mail account of the firm or of each seller (never its password),
// the messages sent with Documents' files, the provider's receipts about them and the
// Message-IDs of the mailbox's messages already used (PEC_Account, PEC_Invii, PEC_Ricevute,
// PEC_Messaggi).
#include <QString>
#include <QStringList>

namespace brevalto {

class Connection;

// The archive version this program needs (opzioni.VerBaseDati).
constexpr int requiredArchiveVersion = 9;

struct UpgradeReport {
    QStringList tablesAdded;  // table names
    QStringList columnsAdded; // "Table.Column"
    QStringList indexesAdded; // index names
    int previousVersion = 0;  // VerBaseDati before (0 when null, missing or no settings row)
    int version = 0;          // VerBaseDati after
    // A few lines for the user: what was added and the version now recorded.
    QString text() const;
};

// Upgrades the open archive in one transaction: either everything above is done or nothing.
// Throws DbError.
UpgradeReport upgradeArchive(Connection& connection);

// Creates every index of the schema that the archive lacks (tables and columns must exist) and
// records the names in the report. Part of upgradeArchive; runs inside its transaction.
void addMissingIndexes(Connection& connection, UpgradeReport& report);

} // namespace brevalto
