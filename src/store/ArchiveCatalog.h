#pragma once
// What an opened archive holds, on either engine: its tables, a table's columns, its indexes.
// Names come back as the archive spells them (in lower case on a server).
#include <QString>
#include <QStringList>

namespace brevalto {

class Connection;

QStringList archiveTables(Connection& connection);
QStringList archiveColumns(Connection& connection, const QString& table);
QStringList archiveIndexes(Connection& connection);
// Case-insensitive.
bool archiveHasTable(Connection& connection, const QString& table);

// On a server archive: the table of the change counter, the function its triggers call and one
// trigger per table of the archive, so that dataVersion() sees other workstations' commits. The
// counter is bumped once per writing transaction (a writer takes its row lock once) and each
// session counts its own bumps, which dataVersion() takes off. Idempotent.
void installChangeCounter(Connection& connection);

// On a server archive: moves the counter of every AutoNumber column past the highest key its
// table holds, so that rows inserted with their keys (the shipped reference data, an update
// script, a copy) never make the next new row collide with them. SQLite does this by itself.
void catchUpKeyCounters(Connection& connection);

} // namespace brevalto
