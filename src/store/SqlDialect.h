#pragma once
// The two database engines an archive can live on, and what differs between their SQL where the
// program writes it natively (the Jet translator covers the statements written in Jet).
#include <QString>

namespace brevalto {

enum class SqlDialect {
    Sqlite,   // an archive file, embedded engine: the default
    Postgres, // an archive on a PostgreSQL server, reached through a postgresql:// address
};

// Rewrites a statement written for SQLite so that PostgreSQL runs it with the same meaning: quoted
// names folded to lower case (the server keeps the archive's names in lower case, so that quoted
// and unquoted names meet as they do on SQLite), LIKE matched without regard to letter case,
// last_insert_rowid() as lastval(), ifnull() as coalesce(). A tokenizer: string literals are
// never changed. Defined in JetSql.cpp, which owns the tokenizer.
QString sqliteToPostgres(const QString& sql);

} // namespace brevalto
