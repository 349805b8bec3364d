#pragma once
// Numbers as bookkeepers type or paste them: either "," or "." as the decimal mark, the point as
// the Italian thousands mark where it can be nothing else, blanks and a euro sign around an amount
// ignored. The inputs of the screens and the line import read numbers through this one rule, so a
// file reads as the same text typed would.
#include <QString>
#include <QVariant>

namespace brevalto {

// Reads text as a number. A point with exactly three digits after it, no comma, and a first group
// of one to three digits not starting with 0 is a thousands mark, as Italians write and their
// spreadsheets save: "1.250" is 1250, "12.500" 12500, "1.250.000" 1250000. Otherwise a lone mark
// is the decimal one ("12.5", "0.500", "1250.5", "1,250" are decimals). With both marks the last
// is the decimal one: "1.234,56" and "1,234.56" are both 1234.56. Blanks anywhere are dropped
// ("1 250" is 1250); a leading or trailing euro sign is dropped unless integer. Empty text gives
// a null value. False for anything else ("abc", "1e5", "1,2,3", "1.25.3").
bool parseNumberText(const QString& text, bool integer, QVariant* value);

// Whether the text (digits and points, with an optional sign) has its points only where they can
// be thousands marks, as parseNumberText reads them: "1.250", "-12.500", "1.250.000".
bool pointsAreThousands(QStringView text);

} // namespace brevalto
