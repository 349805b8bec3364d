#include "store/Routines.h"

#include "store/Connection.h"
#include "store/Dataset.h"

#include <cmath>

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

QString ConvertiMemo(const QString& text) {
    return text.left(400);
}

qint64 RoundHalfAway(double x) {
    return x > 0 ? qint64(std::trunc(x + 0.5)) : qint64(std::trunc(x - 0.5));
}

double RoundTo2(double x) {
    return double(RoundHalfAway(x * 100)) / 100;
}

QString QuoteSql(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

QString LikePattern(const QString& text) {
    QString pattern = QuoteSql(text);
    pattern.replace(QLatin1Char('*'), QLatin1Char('%'));
    return pattern;
}

bool IsValidPartitaIva(const QString& text) {
    if (text.size() != 11)
        return false;
    int digits[11];
    for (int i = 0; i < 11; ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        digits[i] = c.unicode() - '0';
    }
    int s = 0;
    for (int i = 0; i < 10; i += 2)
        s += digits[i];
    for (int i = 1; i < 10; i += 2) {
        int doubled = digits[i] * 2;
        if (doubled > 9)
            doubled -= 9;
        s += doubled;
    }
    return digits[10] == (10 - s % 10) % 10;
}

QString GetField(const QString& text, int n, QChar delimiter) {
    if (text.isEmpty() || n < 1)
        return {};
    QString full = text;
    if (!full.endsWith(delimiter))
        full += delimiter;
    int start = 0;
    for (int field = 1;; ++field) {
        const int end = full.indexOf(delimiter, start);
        if (end < 0)
            return {};
        if (field == n)
            return full.mid(start, end - start);
        start = end + 1;
    }
}

int CountFields(const QString& text, QChar delimiter) {
    if (text.isEmpty())
        return 0;
    return int(text.count(delimiter)) + (text.endsWith(delimiter) ? 0 : 1);
}

QString WithTrailingSeparator(const QString& path) {
    if (path.isEmpty() || path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/')))
        return path;
    for (const QChar c : path) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('/'))
            return path + c;
    }
    return path;
}

} // namespace brevalto
