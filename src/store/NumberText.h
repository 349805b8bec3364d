#pragma once
// Numbers as bookkeepers type or paste them: either "," or "." as the decimal mark, blanks and
// a euro sign around an amount ignored. The inputs of the screens and the line import read
// numbers through this one rule, so a file reads as the same text typed would.
#include <QString>
#include <QVariant>

namespace brevalto {

// Reads text as a number: "1.250" is one and a quarter; "1.234,56" and "1,234.56" are both
// 1234.56 (the last mark is the decimal one); blanks anywhere are dropped ("1 250" is 1250);
// a leading or trailing euro sign is dropped unless integer. Empty text gives a null value.
// False for anything else ("abc", "1e5", "1,2,3").
bool parseNumberText(const QString& text, bool integer, QVariant* value);

} // namespace brevalto
