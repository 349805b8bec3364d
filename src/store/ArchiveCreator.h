#pragma once
#include <QString>

namespace brevalto {

// Writes a new archive at path with every table and the full reference data, in one transaction.
// Refuses an existing file. For a server address (postgresql://...) fills the database, which
// must exist and hold no table. Throws DbError with a message for the user.
void createArchive(const QString& path);

} // namespace brevalto
