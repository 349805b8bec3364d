#pragma once
// Delimited text fields, long texts in grids and folder paths.
#include <QString>
#include <QtGlobal>

namespace brevalto {

// The text a grid shows for a long text column: its first 400 characters.
QString ConvertiMemo(const QString& text);

// The n-th field (from 1) of a text split by a delimiter; empty fields count, no trimming.
QString GetField(const QString& text, int n, QChar delimiter);
// How many fields a delimited text holds; a final delimiter does not open a new field.
int CountFields(const QString& text, QChar delimiter);

// The invoice file's texts accept only Basic Latin and Latin-1 characters. Typographic quotes and
// apostrophes, dashes, the ellipsis and typographic spaces become their plain forms, the euro sign
// "EUR" (typed in the middle of a text, it must not stop the typing with a message); every other
// character outside that range (emoji, arrows, invisible marks) is removed and listed, once, in
// *refused.
QString PlainInvoiceText(const QString& text, QString* refused = nullptr);

// Makes sure a folder path ends with a separator, using the first separator the path contains.
QString WithTrailingSeparator(const QString& path);

} // namespace brevalto
