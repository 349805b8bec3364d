#pragma once
#include "store/SqlDialect.h"

#include <QString>

namespace brevalto {

// Translates one statement of the Access/Jet SQL dialect into SQLite SQL. A tokenizer: text
// inside string literals and quoted identifiers is never changed.
//   a & b            -> (COALESCE(a,'') || COALESCE(b,''))   (NULL joins as empty text)
//   select top N ... -> select ... LIMIT N
//   @@IDENTITY       -> last_insert_rowid()
//   Delete * from    -> DELETE FROM
//   "text"           -> 'text'          [name] -> "name"
//   True / False     -> 1 / 0           #2024-01-31# or #1/31/2024# -> '2024-01-31'
//   #1/31/2024 10:05#  -> '2024-01-31 10:05:00'  (Jet dates are month/day/year)
// In CREATE TABLE / ALTER TABLE the Jet column types COUNTER, YESNO, MEMO, LONG... become their
// SQLite counterparts. An unterminated literal or name passes through to the end unchanged.
//
// For PostgreSQL (the server archive) also: [name] -> "name" in lower case (the server keeps the
// archive's names in lower case), @@IDENTITY -> lastval(), like -> ILIKE (case-insensitive as on
// SQLite), the operands of & cast to text, and the column types of CREATE/ALTER TABLE as the
// schema table gives them on a server (TEXT(n) -> citext, COUNTER -> an identity column).
QString translateJetSql(const QString& jet, SqlDialect dialect = SqlDialect::Sqlite);

} // namespace brevalto
