#pragma once
// Saves, inserts and deletes through a dataset. Their cursor behaviour (which row is current
// afterwards) is part of how every screen behaves.
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

} // namespace brevalto
