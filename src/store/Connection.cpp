#include "store/Connection.h"

#include "store/JetSql.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>

namespace brevalto {

namespace {

QAtomicInt connectionCounter;

// The first sixteen bytes of every SQLite 3 database file.
bool looksLikeSqlite(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(16);
    return head.size() == 0 || head == QByteArray("SQLite format 3\0", 16);
}

QString describe(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return text;
}

// SQLITE_CORRUPT and SQLITE_NOTADB: the file's pages are not a sound database.
bool isDamage(const QSqlError& error) {
    const QString native = error.nativeErrorCode();
    return native == QLatin1String("11") || native == QLatin1String("26") ||
           error.databaseText().contains(QLatin1String("malformed"), Qt::CaseInsensitive);
}

// SQLITE_READONLY: a write on an archive opened only for reading.
bool isReadOnlyError(const QSqlError& error) {
    return error.nativeErrorCode() == QLatin1String("8");
}

bool isBusy(const QSqlError& error) {
    const QString native = error.nativeErrorCode();
    return native == QLatin1String("5") || native == QLatin1String("6") ||
           error.databaseText().contains(QLatin1String("locked"), Qt::CaseInsensitive);
}

} // namespace

Connection::Connection()
    : name_(QStringLiteral("brevalto-%1").arg(connectionCounter.fetchAndAddRelaxed(1))) {}

Connection::~Connection() {
    close();
    QSqlDatabase::removeDatabase(name_);
}

void Connection::open(const QString& path) {
    close();
    const QFileInfo info(path);
    if (path.trimmed().isEmpty())
        throw DbError(QStringLiteral("Non è stato indicato alcun archivio."));
    if (info.isDir())
        throw DbError(QStringLiteral("Il percorso %1 è una cartella, non un archivio.")
                          .arg(QDir::toNativeSeparators(path)));
    if (!info.exists())
        throw DbError(QStringLiteral("Impossibile trovare l'archivio %1.")
                          .arg(QDir::toNativeSeparators(path)));
    if (!info.isReadable())
        throw DbError(QStringLiteral("L'archivio %1 non è leggibile: mancano i permessi.")
                          .arg(QDir::toNativeSeparators(path)));
    if (!readOnly_ && !info.isWritable())
        throw DbError(QStringLiteral("L'archivio %1 è in sola lettura: il programma ha bisogno "
                                     "di scriverci. Controllare i permessi del file.")
                          .arg(QDir::toNativeSeparators(path)));
    if (!looksLikeSqlite(path))
        throw DbError(QStringLiteral("Il file %1 non è un archivio del programma o è danneggiato.")
                          .arg(QDir::toNativeSeparators(path)));

    QSqlDatabase db = QSqlDatabase::contains(name_) ? QSqlDatabase::database(name_, false)
                                                    : QSqlDatabase::addDatabase("QSQLITE", name_);
    db.setDatabaseName(path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout_);
    if (readOnly_)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    if (!db.open())
        throw DbError(QStringLiteral("Impossibile aprire l'archivio %1: %2")
                          .arg(QDir::toNativeSeparators(path), describe(db.lastError())));
    path_ = path;
    try {
        execNative(QStringLiteral("PRAGMA foreign_keys = OFF"));
        execNative(QStringLiteral("PRAGMA synchronous = FULL"));
        // Reading the schema proves the file is a sound database and not locked exclusively.
        execNative(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        QSqlQuery mode = execNative(QStringLiteral("PRAGMA journal_mode"));
        if (!readOnly_ && mode.next() &&
            mode.value(0).toString().compare("wal", Qt::CaseInsensitive) == 0)
            execNative(QStringLiteral("PRAGMA journal_mode = DELETE"));
    } catch (const DbError& e) {
        close();
        throw DbError(QStringLiteral("Impossibile aprire l'archivio %1: %2")
                          .arg(QDir::toNativeSeparators(path), e.text()),
                      e.kind());
    }
}

void Connection::close() {
    if (!QSqlDatabase::contains(name_))
        return;
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    if (db.isOpen()) {
        if (depth_ > 0)
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        db.close();
    }
    depth_ = 0;
}

qint64 Connection::dataVersion() {
    if (!isOpen())
        return -1;
    QSqlQuery q = execNative(QStringLiteral("PRAGMA data_version"));
    return q.next() ? q.value(0).toLongLong() : -1;
}

bool Connection::isOpen() const {
    return QSqlDatabase::contains(name_) && QSqlDatabase::database(name_, false).isOpen();
}

QSqlDatabase Connection::database() const {
    return QSqlDatabase::database(name_, false);
}

QSqlQuery Connection::execNative(const QString& sql, const QVariantList& values) {
    if (!isOpen())
        throw DbError(QStringLiteral("L'archivio non è aperto."));
    QSqlQuery query(database());
    query.setForwardOnly(true);
    bool ok;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else {
        ok = query.prepare(sql);
        if (ok) {
            for (const QVariant& v : values)
                query.addBindValue(v);
            ok = query.exec();
        }
    }
    if (!ok)
        fail(query, sql);
    return query;
}

void Connection::fail(const QSqlQuery& query, const QString& sql) {
    const QSqlError error = query.lastError();
    if (isBusy(error))
        throw DbError(QStringLiteral("L'archivio è bloccato da un'altra postazione; "
                                     "riprovare tra poco. (%1)")
                          .arg(describe(error)),
                      DbError::Kind::Busy);
    if (isDamage(error))
        throw DbError(QStringLiteral("L'archivio è danneggiato: %1\nIstruzione: %2")
                          .arg(describe(error), sql.simplified()),
                      DbError::Kind::Damaged);
    if (isReadOnlyError(error))
        throw DbError(QStringLiteral("L'archivio è aperto in sola lettura: le modifiche non "
                                     "possono essere salvate. (%1)")
                          .arg(describe(error)),
                      DbError::Kind::ReadOnly);
    throw DbError(QStringLiteral("Errore dell'archivio: %1\nIstruzione: %2")
                      .arg(describe(error), sql.simplified()));
}

QSqlQuery Connection::prepare(const QString& sql) {
    if (!isOpen())
        throw DbError(QStringLiteral("L'archivio non è aperto."));
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        fail(query, sql);
    return query;
}

void Connection::run(QSqlQuery& prepared) {
    if (!prepared.exec())
        fail(prepared, prepared.lastQuery());
}

QSqlQuery Connection::exec(const QString& jetSql, const QVariantList& values) {
    return execNative(translateJetSql(jetSql), values);
}

QVariant Connection::scalar(const QString& jetSql, const QVariantList& values) {
    QSqlQuery query = exec(jetSql, values);
    return query.next() ? query.value(0) : QVariant();
}

void Connection::begin() {
    if (depth_ == 0)
        execNative(QStringLiteral("BEGIN IMMEDIATE"));
    else
        execNative(QStringLiteral("SAVEPOINT sp%1").arg(depth_));
    ++depth_;
}

void Connection::commit() {
    if (depth_ == 0)
        return;
    if (depth_ == 1) {
        try {
            execNative(QStringLiteral("COMMIT"));
        } catch (const DbError&) {
            depth_ = 0;
            QSqlQuery(database()).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    } else
        execNative(QStringLiteral("RELEASE sp%1").arg(depth_ - 1));
    --depth_;
}

void Connection::rollback() {
    if (depth_ == 0)
        return;
    --depth_;
    try {
        if (depth_ == 0) {
            execNative(QStringLiteral("ROLLBACK"));
        } else {
            execNative(QStringLiteral("ROLLBACK TO sp%1").arg(depth_));
            execNative(QStringLiteral("RELEASE sp%1").arg(depth_));
        }
    } catch (const DbError&) {
        // SQLite may already have rolled back on its own (a full disk, for instance).
    }
}

} // namespace brevalto
