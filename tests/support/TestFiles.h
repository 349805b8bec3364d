#pragma once
// Temporary program folders and archives for tests: every test gets its own.
#include <QString>
#include <QTemporaryDir>
#include <cstdio>

namespace brevalto {
class Connection;
}

namespace brevalto::test {

// A fresh temporary folder that is removed with the object.
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// The complaints of xmllint validating the file against the official FatturaPA 1.2.3 schema that
// ships with the program (offline, through its catalog); empty when the file is valid. A missing
// xmllint is a complaint too: the set-up script installs it.
QString schemaErrors(const QString& path);

// The archive engine the tests of this run use. The store and export suites run twice: on SQLite
// files, and with BREVALTO_TEST_ENGINE=postgresql on the PostgreSQL server whose address is in
// BREVALTO_TEST_PG (scripts/pg-cluster starts a throwaway one; without it those runs skip).
bool onServer();
// The address of the test server's own database (BREVALTO_TEST_PG); empty when none is set.
QString serverAddress();
// Skips the current test when the run is on the server: for tests of what only an archive file
// has (its bytes, its permissions, its journal).
#define SKIP_ON_SERVER(why)                                                                        \
    do {                                                                                           \
        if (::brevalto::test::onServer())                                                          \
            GTEST_SKIP() << "solo per l'archivio su file: " << (why);                              \
    } while (false)

// Path of a new archive with the full schema and reference data, created once per test run and
// copied, so that tests do not pay for creating it again. On the server run, the address of a new
// database copied from a template made once per run; the databases of earlier tests are dropped.
QString copyOfNewArchive(const TempFolder& folder, const QString& name = "archivioPa.mdb");
// The same as an archive file, whatever the engine of the run.
QString copyOfNewFileArchive(const TempFolder& folder, const QString& name = "archivioPa.mdb");
// A new, empty database on the test server (nothing in it), dropped like the copies above.
QString newServerDatabase();
// Drops the databases this process made on the test server (the test main does, at the end).
void dropServerDatabases();

// Makes the archive refuse to insert or delete ("INSERT", "DELETE") rows of a table for which the
// condition (on NEW or OLD, empty for every row) holds, with the message: how tests stand in for
// another workstation's lock or a full disk. A trigger on either engine.
void refuseRows(Connection& connection, const QString& table, const QString& event,
                const QString& condition, const QString& message);
void stopRefusingRows(Connection& connection, const QString& table);

// What a command wrote on a temporary stream (std::tmpfile), trimmed; the stream is closed.
QString readAndClose(std::FILE* stream);

// A command-line command as the program runs it, and what one run of it printed.
using CommandFunction = int (*)(const QStringList& args, std::FILE* out, std::FILE* err);
struct CommandRun {
    int code = -1;
    QString out;
    QString err;
};
CommandRun runCommand(CommandFunction command, const QStringList& args);

// The message of a failed Connection::open of the location (the connection is left closed), or
// an empty text when it opens.
QString openError(const QString& location, int busyTimeout = 8000);

} // namespace brevalto::test
