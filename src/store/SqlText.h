#pragma once
// User text inside SQL statements and filters.
#include <QString>
#include <QtGlobal>

namespace brevalto {

// Doubles every apostrophe, for user text inside an SQL string literal.
QString QuoteSql(const QString& text);
// Doubles every apostrophe and turns the user's "*" wildcard into "%".
QString LikePattern(const QString& text);

} // namespace brevalto
