#pragma once
// The shared routines every editor and browser saves, deletes and formats through. Their cursor
// behaviour (which row is current afterwards) is part of how every screen behaves.
#include <QString>
#include <QtGlobal>

namespace brevalto {

class Dataset;

// Deletes the current row and makes the row before it current; after deleting the first row the
// row that followed stays current. Does nothing on an empty dataset. Errors reach the caller.
void DeleteAndReposition(Dataset& dataset, const QString& keyColumn);

// Writes the row being edited and leaves it in edit state. On a database error the dataset is
// re-queried and put back on the same key; the error is not thrown but returned through error,
// with false, so that the screen can tell the user the change was not stored.
bool SaveRecord(Dataset& dataset, const QString& keyColumn, QString* error = nullptr);

// Like SaveRecord for a row that may have just been inserted: the row gets its AutoNumber key,
// the dataset is re-queried and the saved row is current. On an error the dataset is reopened
// with its own query (an unsaved new row is dropped) and false is returned with the error.
bool SaveNewRecord(Dataset& dataset, const QString& keyColumn, QString* error = nullptr);

// The text a grid shows for a long text column: its first 400 characters.
QString ConvertiMemo(const QString& text);

// Rounds half away from zero: 2.5 -> 3, -2.5 -> -3, 0.49 -> 0.
qint64 RoundHalfAway(double x);
// Rounds an amount to cents, half away from zero. Counts cents in 64 bits, so amounts far beyond
// 21 million round as well as small ones.
double RoundTo2(double x);

// Doubles every apostrophe, for user text inside an SQL string literal.
QString QuoteSql(const QString& text);
// Doubles every apostrophe and turns the user's "*" wildcard into "%".
QString LikePattern(const QString& text);

// True for an Italian VAT number: eleven digits whose last is the check digit of the others.
bool IsValidPartitaIva(const QString& text);

// The n-th field (from 1) of a text split by a delimiter; empty fields count, no trimming.
QString GetField(const QString& text, int n, QChar delimiter);
// How many fields a delimited text holds; a final delimiter does not open a new field.
int CountFields(const QString& text, QChar delimiter);

// Makes sure a folder path ends with a separator, using the first separator the path contains.
QString WithTrailingSeparator(const QString& path);

} // namespace brevalto
