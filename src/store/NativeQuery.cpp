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

bool sqliteInTransaction(const QSqlDatabase& database) {
    sqlite3* db = sqliteHandle(database);
    return db && sqlite3_get_autocommit(db) == 0;
}

NativeQuery::NativeQuery(const QSqlDatabase& database, const QString& sql)
    : db_(sqliteHandle(database)) {
    if (!db_)
        return;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &statement_, nullptr) !=
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

NativeQuery::Outcome NativeQuery::execute(const QVariantList& values,
                                          const std::function<void()>& onRow) {
    if (!statement_)
        return Outcome::Unbindable;
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values[i];
        const int at = i + 1;
        int bound = SQLITE_OK;
        // Null texts and byte arrays are NULL, as the driver binds them.
        switch (v.isNull() ? QMetaType::UnknownType : v.typeId()) {
        case QMetaType::UnknownType:
            bound = sqlite3_bind_null(statement_, at);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Bool:
            bound = sqlite3_bind_int64(statement_, at, v.toLongLong());
            break;
        case QMetaType::Double:
            bound = sqlite3_bind_double(statement_, at, v.toDouble());
            break;
        case QMetaType::QString: {
            const QString text = v.toString();
            if (text.isNull()) {
                bound = sqlite3_bind_null(statement_, at);
                break;
            }
            const QByteArray utf8 = text.toUtf8();
            bound = sqlite3_bind_text(statement_, at, utf8.constData(), int(utf8.size()),
                                      SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray bytes = v.toByteArray();
            bound = bytes.isNull() ? sqlite3_bind_null(statement_, at)
                                   : sqlite3_bind_blob(statement_, at, bytes.constData(),
                                                       int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default:
            return Outcome::Unbindable;
        }
        if (bound != SQLITE_OK)
            return Outcome::Unbindable;
    }
    int step = sqlite3_step(statement_);
    if (onRow) {
        while (step == SQLITE_ROW) {
            onRow();
            step = sqlite3_step(statement_);
        }
    }
    if (step != SQLITE_DONE && step != SQLITE_ROW) {
        errorCode_ = step;
        errorText_ = QString::fromUtf8(sqlite3_errmsg(db_));
    }
    sqlite3_reset(statement_);
    return step == SQLITE_DONE || step == SQLITE_ROW ? Outcome::Done : Outcome::Refused;
}

} // namespace brevalto
