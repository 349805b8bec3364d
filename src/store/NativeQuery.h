#pragma once
// A statement run straight on the SQLite engine of an open connection, without the driver's
// per-value layer: reading a whole table (a register of thousands of Documents with a hundred
// columns each) costs a third as much, and so does a write repeated for thousands of rows. Values
// come as the Qt driver gives them: integers as qlonglong, reals as double, texts as QString, blobs
// as QByteArray, NULL as a null QVariant.
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

namespace brevalto {

// The engine handle behind a connection, nullptr when it is not an open SQLite connection.
sqlite3* sqliteHandle(const QSqlDatabase& database);
// True while the SQLite connection is inside a transaction. The engine gives one up on its own
// after some failures (a full disk, an I/O error): what runs next would no longer be part of it.
bool sqliteInTransaction(const QSqlDatabase& database);

class NativeQuery {
public:
    // Prepares the statement; isValid() is false when the connection is not SQLite or the text
    // does not prepare (the caller then goes the driver's way, which reports the error).
    NativeQuery(const QSqlDatabase& database, const QString& sql);
    ~NativeQuery();
    NativeQuery(const NativeQuery&) = delete;
    NativeQuery& operator=(const NativeQuery&) = delete;

    bool isValid() const { return statement_ != nullptr; }
    int columnCount() const;
    QString columnName(int column) const;
    // The next row; false at the end or on an error (failed() then tells).
    bool next();
    bool failed() const { return failed_; }
    bool isNull(int column) const;
    QVariant value(int column) const;
    qint64 integer(int column) const;

    // Binds the values to the statement's parameters in order and runs it to the end (a write);
    // the statement can run again with other values. Unbindable: a value is of a type only the
    // driver binds (nothing was run). Refused: the engine refused the statement (nothing of it
    // is done); errorCode() and errorText() tell why.
    // A statement that gives rows (INSERT ... RETURNING) calls onRow for each, the row readable
    // through value() meanwhile.
    enum class Outcome { Done, Unbindable, Refused };
    Outcome execute(const QVariantList& values, const std::function<void()>& onRow = {});
    int errorCode() const { return errorCode_; }
    QString errorText() const { return errorText_; }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* statement_ = nullptr;
    bool failed_ = false;
    int errorCode_ = 0;
    QString errorText_;
};

} // namespace brevalto
