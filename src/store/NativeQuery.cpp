#include "store/NativeQuery.h"

#include <QByteArray>
#include <QSqlDriver>
#include <sqlite3.h>

namespace brevalto {

sqlite3* sqliteHandle(const QSqlDatabase& database) {
    if (!database.isOpen() || database.driverName() != QLatin1String("QSQLITE"))
        return nullptr;
    const QVariant handle = database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

NativeQuery::NativeQuery(const QSqlDatabase& database, const QString& sql) {
    sqlite3* db = sqliteHandle(database);
    if (!db)
        return;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement_, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
    }
}

NativeQuery::~NativeQuery() {
    sqlite3_finalize(statement_);
}

int NativeQuery::columnCount() const {
    return statement_ ? sqlite3_column_count(statement_) : 0;
}

QString NativeQuery::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(statement_, column));
}

bool NativeQuery::next() {
    if (!statement_ || failed_)
        return false;
    const int step = sqlite3_step(statement_);
    if (step == SQLITE_ROW)
        return true;
    failed_ = step != SQLITE_DONE;
    return false;
}

bool NativeQuery::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

QVariant NativeQuery::value(int column) const {
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement_, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(statement_, column)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(statement_, column)));
    }
    default:
        return QVariant();
    }
}

qint64 NativeQuery::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

} // namespace brevalto
