#pragma once
// Moving an archive between engines: every table of the program copied from one archive (a file
// or a server database) into a new one, in one transaction on the target.
#include <QList>
#include <QString>
#include <functional>

namespace brevalto {

struct TableCopy {
    QString table;
    qint64 rows = 0;
    QString checksum; // of the rows' values, the same on both engines for the same contents
};

struct CopyReport {
    QList<TableCopy> tables;
    QStringList skipped; // tables of the source the program does not know: not copied
    QString text() const;
};

// Rows copied so far, rows in all, the table being copied. Returning false cancels the copy
// (nothing is kept on the target).
using CopyProgress = std::function<bool(qint64 done, qint64 total, const QString& table)>;

// Copies the archive at `from` into `to`. The source must be an archive of this program's version
// (UpgradeDb first otherwise); it is only read. The target must not exist (a file) or must hold no
// table (a server database). Tables, rows, indexes and the AutoNumber counters (a key once given
// is never given again) are written in one transaction; before it is committed every table's row
// count and checksum are read back from the target and compared with the source's. Throws DbError
// with a message for the user; on any failure or cancel the target is left as it was.
CopyReport copyArchive(const QString& from, const QString& to, const CopyProgress& progress = {});

// The checksum copyArchive compares: the rows' values written out kind by kind (numbers as
// numbers, whatever type the engine gives back), hashed and summed, so that the rows' order does
// not count. Exposed for tests.
class Connection;
struct TableDef;
TableCopy tableChecksum(Connection& connection, const TableDef& table);

} // namespace brevalto
