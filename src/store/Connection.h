#pragma once
// The archive connection: one SQLite database file opened with a rollback journal (the archive may
// sit on a shared folder), a busy timeout so that another workstation's write waits instead of
// failing, foreign keys off (the program deletes child rows itself) and synchronous=FULL.
#include "store/DbError.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace brevalto {

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing archive. Throws DbError with a message for the user when the path is a
    // folder, the file is missing, is not an archive, cannot be written or is locked.
    void open(const QString& path);
    // How long a statement waits for another workstation's lock before failing (default 8 s).
    void setBusyTimeout(int milliseconds) { busyTimeout_ = milliseconds; }
    int busyTimeout() const { return busyTimeout_; }
    // Opens the next archive for reading only: SQLite itself then refuses every write, which
    // fails with a DbError of kind ReadOnly. Used for an archive made by a newer program.
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool isReadOnly() const { return readOnly_; }
    void close();
    bool isOpen() const;
    QString path() const { return path_; }

    // Kept for the record: the connection text the program composes for its archive. The SQLite
    // engine does not use it, but it documents the credentials and options asked for.
    QString connectionString() const { return connectionString_; }
    void setConnectionString(const QString& text) { connectionString_ = text; }

    QSqlDatabase database() const;

    // Translates a Jet statement and runs it; values bind to "?" in order. Throws DbError.
    QSqlQuery exec(const QString& jetSql, const QVariantList& values = {});
    // Runs a statement that is already SQLite SQL. Throws DbError.
    QSqlQuery execNative(const QString& sql, const QVariantList& values = {});
    // SQLite's PRAGMA data_version: a number that changes whenever another connection (another
    // workstation, another process) commits a change to the archive. -1 when not open.
    qint64 dataVersion();

    // A native SQLite statement prepared once and run many times with run() (bulk inserts: one
    // parse for thousands of rows). Both throw DbError like execNative().
    QSqlQuery prepare(const QString& sql);
    void run(QSqlQuery& prepared);

    // First column of the first row, or a null value.
    QVariant scalar(const QString& jetSql, const QVariantList& values = {});

    // Transactions nest: the outermost takes the archive's write lock at once (BEGIN IMMEDIATE,
    // so two workstations never interleave a read-then-write), inner ones are savepoints.
    void begin();
    void commit();
    void rollback();
    int transactionDepth() const { return depth_; }

    // Runs the function inside a transaction: committed when it returns, rolled back and the
    // error passed on when it throws.
    template <typename F> void inTransaction(F&& f) {
        begin();
        try {
            f();
        } catch (...) {
            rollback();
            throw;
        }
        commit();
    }

private:
    // Throws the DbError that describes the failed query (busy, damaged, read-only or other).
    [[noreturn]] void fail(const QSqlQuery& query, const QString& sql);

    QString name_;
    QString path_;
    QString connectionString_;
    int depth_ = 0;
    int busyTimeout_ = 8000;
    bool readOnly_ = false;
};

} // namespace brevalto
