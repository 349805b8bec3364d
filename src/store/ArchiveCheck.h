#pragma once
// The checks an archive passes before the program reads or writes it: it holds the program's
// tables (an empty file or another program's database is never taken for an old archive and
// "upgraded" into an empty one), its pages are sound (a damaged file is never written to), and
// it was not made by a newer program (whose columns this one does not know).
#include <QString>
#include <QStringList>

namespace brevalto {

class Connection;

// True when the open database has the tables every archive of the program has had: Ditta and
// PA_FE_Header. Throws DbError.
bool hasProgramTables(Connection& connection);
// What is said about a database without them.
QString notAnArchiveMessage(const QString& path);

// The damage check: SQLite's quick_check, which reads every page of the file and verifies the
// structure of every table and index (but not that each index matches its table, which is what
// makes the full integrity_check slower). Returns the problems found, empty for a sound archive.
// A file too damaged to be checked at all gives the engine's error as the one problem.
QStringList archiveDamage(Connection& connection);
// The problems SQLite's quick_check finds in the whole file, or in one table and its indexes.
// Throws DbError when the check cannot run.
QStringList quickCheckProblems(Connection& connection, const QString& table = QString());
// What is said about a damaged archive: what happened, that nothing was written, what to do.
QString damagedArchiveMessage(const QString& path);

// The archive version recorded in opzioni.VerBaseDati (the highest row), 0 when there is none.
int storedArchiveVersion(Connection& connection);
// What is said about an archive updated by a newer program.
QString newerArchiveMessage();

// Every check above for a program that has no one to ask (the command line, the upgrade
// program): throws DbError with the message when the archive is not the program's, is damaged
// or, when newerRefused, newer than requiredVersion.
void requireUsableArchive(Connection& connection, int requiredVersion, bool newerRefused = true);
// The same for a command that works on the archive as it is: an archive of an older version is
// refused too (the program's start-up would upgrade it; the command sends to UpgradeDb).
void requireCurrentArchive(Connection& connection, int requiredVersion);
// What is said about an archive of an older version than the program's.
QString olderArchiveMessage(const QString& path, int version, int requiredVersion);

struct RecoveryReport {
    QString path;           // the new file
    QStringList tables;     // "Tabella: n righe" for each table copied
    QStringList incomplete; // tables where some rows could not be read
    QString text() const;   // a few lines for the user
};

// Copies what can still be read of a damaged archive into a new file beside it (its name with
// "-recuperato-" and the time; the damaged file is only read). Every table is made as the
// damaged file declares it and its rows are copied in key order; where a page cannot be read the
// copy skips ahead past it, so that one bad page loses only the rows it held. Indexes follow
// when the rows allow them. Throws DbError when not even the list of tables can be read.
RecoveryReport recoverArchive(const QString& damagedPath);

} // namespace brevalto
