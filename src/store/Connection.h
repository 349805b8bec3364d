#pragma once
// The archive connection: one SQLite database file opened with a rollback journal (the archive may
// sit on a shared folder), a busy timeout so that another workstation's write waits instead of
// failing, foreign keys off (the program deletes child rows itself) and synchronous=FULL.
//
// Or a database on a PostgreSQL server, when the location is a postgresql:// address (see
// ArchiveAddress.h): the same statements run there, translated for that engine; a lock held by
// another workstation waits as long as the busy timeout; a connection the server dropped is opened
// again by the next statement outside a transaction.
#include "store/DbError.h"
#include "store/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>

namespace brevalto {

class Connection;
class NativeQuery;

// A write statement prepared once and run for many rows (bulk inserts: one parse for thousands
// of rows). On an archive file each row goes straight to the engine; on a server, or for a value
// of a type only the driver binds, through the driver. run() throws DbError like execNative().
class RepeatedStatement {
public:
    RepeatedStatement(RepeatedStatement&&) noexcept;
    ~RepeatedStatement();
    // A statement that gives rows (INSERT ... RETURNING) calls onRow for each with the row's
    // values, column by column.
    using Row = std::function<QVariant(int column)>;
    void run(const QVariantList& values, const std::function<void(const Row&)>& onRow = {});

private:
    friend class Connection;
    RepeatedStatement(Connection& connection, const QString& sql);

    Connection* connection_;
    QString sql_;
    std::unique_ptr<NativeQuery> native_;
    QSqlQuery driver_;
    bool driverPrepared_ = false;
};

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing archive. Throws DbError with a message for the user when the path is a
    // folder or anything but a regular file (a named pipe would never give an answer), the file
    // is missing, is not an archive, cannot be written or is locked, or one of the program's
    // tables is a view; for a server address when it is malformed, the server cannot be reached
    // or refuses the user. A write that was cut off (the journal of a program killed while it
    // wrote) is rolled back first, also for reading only, when the file may be written; when it
    // may not, the message says what happened and what to do.
    void open(const QString& path);
    SqlDialect dialect() const { return dialect_; }
    bool isServer() const { return dialect_ == SqlDialect::Postgres; }
    // How long a statement waits for another workstation's lock before failing (default 8 s).
    void setBusyTimeout(int milliseconds) { busyTimeout_ = milliseconds; }
    int busyTimeout() const { return busyTimeout_; }
    // Changes how long statements of the open archive wait for a lock (0: fail at once) without
    // changing the busy timeout of the next open().
    void waitForLocks(int milliseconds);
    // Opens the next archive for reading only: SQLite itself then refuses every write, which
    // fails with a DbError of kind ReadOnly. Used for an archive made by a newer program.
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool isReadOnly() const { return readOnly_; }
    void close();
    bool isOpen() const;

    // The most bytes one text or blob of an archive file may hold: the engine refuses a longer
    // value (stored or computed) before it is read into memory, and the error names the table,
    // row and column that hold it. Applies to the archives opened after the call.
    static constexpr int kDefaultValueLimit = 1 << 20;
    static void setValueLimit(int bytes);
    static int valueLimit();

    // Throws the DbError of a query whose reading stopped on an error: a loop over its rows
    // would otherwise end as if every row had been read.
    void throwIfFailed(const QSqlQuery& query);
    // The archive's path, or its server address without password.
    QString path() const { return path_; }

    // Kept for the record: the connection text the program composes for its archive. The SQLite
    // engine does not use it, but it documents the credentials and options asked for.
    QString connectionString() const { return connectionString_; }
    void setConnectionString(const QString& text) { connectionString_ = text; }

    QSqlDatabase database() const;

    // Translates a Jet statement and runs it; values bind to "?" in order. Throws DbError.
    QSqlQuery exec(const QString& jetSql, const QVariantList& values = {});
    // Runs a statement that is already SQLite SQL (rewritten for a server archive, see
    // SqlDialect.h). Throws DbError.
    QSqlQuery execNative(const QString& sql, const QVariantList& values = {});
    // The same for a statement that may be refused without harm (a probe): on a server archive a
    // refused statement would otherwise end the open transaction.
    QSqlQuery execProbe(const QString& sql, const QVariantList& values = {});
    // A number that changes whenever another connection (another workstation, another process)
    // commits a change to the archive; the connection's own changes leave it alone. SQLite's
    // PRAGMA data_version; on a server, a change counter kept by triggers (ServerSchema.h).
    // -1 when not open.
    qint64 dataVersion();

    // How a row of a table is found again for an update or a delete: SQLite's rowid; on a server
    // the table's AutoNumber key or, for the few tables without one, the row's physical address
    // (which an update moves: the statement returns the new one).
    QString rowIdExpression(const QString& table) const;
    QString rowIdCondition(const QString& table) const; // "... = ?"
    QVariant rowIdParameter(const QString& table, qint64 rowId) const;
    // " RETURNING <row id>" on a server (empty on SQLite, where QSqlQuery::lastInsertId() serves).
    QString returningRowId(const QString& table) const;
    // The row id of a row just written by a statement that ended with returningRowId().
    qint64 writtenRowId(QSqlQuery& query) const;

    // A native SQLite statement (translated on a server) prepared once and run for many rows.
    // Throws DbError like execNative().
    RepeatedStatement prepare(const QString& sql);

    // First column of the first row, or a null value.
    QVariant scalar(const QString& jetSql, const QVariantList& values = {});

    // Transactions nest: the outermost takes the archive's write lock at once (BEGIN IMMEDIATE,
    // so two workstations never interleave a read-then-write; on a server an advisory lock that
    // every writing transaction of the archive takes), inner ones are savepoints.
    void begin();
    void commit();
    void rollback();
    int transactionDepth() const { return depth_; }

    // Runs the function inside a transaction: committed when it returns, rolled back and the
    // error passed on when it throws. Outermost and on a server, a serialization failure or a
    // deadlock the server broke runs the function again (up to three times) before giving up.
    template <typename F> void inTransaction(F&& f) {
        for (int attempt = 1;; ++attempt) {
            const bool outermost = depth_ == 0;
            begin();
            try {
                f();
                commit();
                return;
            } catch (const DbError& e) {
                rollback();
                if (!outermost || attempt >= 3 || !isRetryable(e))
                    throw;
            } catch (...) {
                rollback();
                throw;
            }
        }
    }

private:
    void openServer(const QString& location);
    void openFile(const QString& path);
    void recoverInterruptedWrite(const QString& path);
    // What is said when a value is longer than valueLimit(): the table, row and column found among
    // the program's tables that sql names.
    QString oversizedValueMessage(const QString& sql);
    void reconnectIfLost();
    QSqlQuery run(const QString& sql, const QVariantList& values);
    static bool isRetryable(const DbError& e) { return e.kind() == DbError::Kind::Conflict; }
    // Throws the DbError that describes the failed query (busy, damaged, read-only or other).
    [[noreturn]] void fail(const QSqlQuery& query, const QString& sql);
    [[noreturn]] void fail(const QSqlError& error, const QString& sql);
    friend class RepeatedStatement;

    QString name_;
    QString path_;
    QString connectionString_;
    QString location_; // as given to open(), for opening again after the server dropped us
    SqlDialect dialect_ = SqlDialect::Sqlite;
    bool lost_ = false; // the server dropped the connection
    int depth_ = 0;
    int busyTimeout_ = 8000;
    bool readOnly_ = false;
};

} // namespace brevalto
