#include "store/Saving.h"

#include "store/Connection.h"
#include "store/Dataset.h"

namespace brevalto {

namespace {

int keyOf(const Dataset& dataset, const QString& keyColumn) {
    return dataset.isEmpty() ? 0 : dataset.value(keyColumn).toInt();
}

void relocate(Dataset& dataset, const QString& keyColumn, int key) {
    if (keyOf(dataset, keyColumn) != key)
        dataset.locate(keyColumn, key);
}

} // namespace

void DeleteAndReposition(Dataset& dataset, const QString& keyColumn) {
    if (dataset.isEmpty())
        return;
    const int deletedKey = keyOf(dataset, keyColumn);
    dataset.prior();
    const int previousKey = keyOf(dataset, keyColumn);
    if (previousKey != deletedKey)
        dataset.next();
    dataset.edit();
    dataset.remove();
    if (keyOf(dataset, keyColumn) != previousKey)
        dataset.locate(keyColumn, previousKey);
}

bool SaveRecord(Dataset& dataset, const QString& keyColumn, QString* error) {
    const int key = keyOf(dataset, keyColumn);
    try {
        dataset.edit();
        dataset.post();
        dataset.edit();
        return true;
    } catch (const DbError& e) {
        if (error)
            *error = e.text();
        try {
            dataset.requery();
            relocate(dataset, keyColumn, key);
        } catch (const DbError&) {
        }
        return false;
    }
}

bool SaveNewRecord(Dataset& dataset, const QString& keyColumn, QString* error) {
    const bool isNew = dataset.isEmpty() || dataset.value(keyColumn).isNull();
    int key = isNew ? 0 : keyOf(dataset, keyColumn);
    const QString sql = dataset.sql();
    try {
        dataset.edit();
        dataset.post();
        dataset.edit();
        if (isNew) {
            key = dataset.value(keyColumn).toInt();
            if (key <= 0) {
                // The table has no AutoNumber of its own: ask the connection for the last one.
                key =
                    dataset.connection().scalar(QStringLiteral("SELECT @@IDENTITY as ID;")).toInt();
            }
        }
        dataset.requery();
        relocate(dataset, keyColumn, key);
        return true;
    } catch (const DbError& e) {
        if (error)
            *error = e.text();
        try {
            dataset.close();
            dataset.setSql(sql);
            dataset.open();
            relocate(dataset, keyColumn, key);
        } catch (const DbError&) {
        }
        return false;
    }
}

} // namespace brevalto
