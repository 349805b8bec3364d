#include "store/Connection.h"

#include "store/ArchiveAddress.h"
#include "store/JetSql.h"
#include "store/NativeQuery.h"
#include "store/Schema.h"

#include <sqlite3.h>

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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
    return (error.nativeErrorCode().toInt() & 0xff) == 8;
}

bool isBusy(const QSqlError& error) {
    const QString native = error.nativeErrorCode();
    return native == QLatin1String("5") || native == QLatin1String("6") ||
           error.databaseText().contains(QLatin1String("locked"), Qt::CaseInsensitive);
}

// The key every writing transaction of a server archive locks (pg_advisory_xact_lock): the
// counterpart of SQLite's BEGIN IMMEDIATE, so that numbering reads and writes never interleave.
constexpr qint64 kWriteLock = 0x4272657661;

bool isLostConnection(const QSqlError& error) {
    const QString state = error.nativeErrorCode();
    const QString text = error.databaseText() + error.driverText();
    return state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") ||
           state == QLatin1String("57P02") || state == QLatin1String("57P03") ||
           text.contains(QLatin1String("server closed the connection")) ||
           text.contains(QLatin1String("no connection to the server")) ||
           text.contains(QLatin1String("terminating connection")) ||
           text.contains(QLatin1String("connection to server"));
}

// Why a server refused or could not be reached, in Italian, with libpq's own words after it.
QString serverOpenMessage(const ServerAddress& a, const QString& detail) {
    const QString where = a.host.isEmpty() ? QStringLiteral("locale") : a.host;
    if (detail.contains(QLatin1String("password authentication failed")) ||
        detail.contains(QLatin1String("no password supplied")) ||
        detail.contains(QLatin1String("authentication failed")))
        return QStringLiteral("Il server %1 ha rifiutato l'accesso all'archivio %2: utente o "
                              "password non validi. La password va indicata nel file ~/.pgpass "
                              "o nella variabile PGPASSWORD, mai nell'indirizzo salvato.\n(%3)")
            .arg(where, a.text, detail);
    if (detail.contains(QLatin1String("does not exist")))
        return QStringLiteral("Il server %1 non conosce l'archivio %2: il database o l'utente non "
                              "esiste.\n(%3)")
            .arg(where, a.text, detail);
    return QStringLiteral("Impossibile collegarsi al server dell'archivio %1: il server è spento, "
                          "non raggiungibile o l'indirizzo è sbagliato.\n(%2)")
        .arg(a.text, detail);
}

QString interruptedWriteMessage(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    return QStringLiteral(
               "L'archivio %1 è rimasto a metà di una modifica: un programma che vi scriveva si è "
               "interrotto (chiuso a forza, computer spento) e il file %2 conserva quanto serve "
               "per riportarlo com'era prima della modifica. Finché il ripristino non è fatto "
               "l'archivio non si può leggere, e il ripristino richiede di poter scrivere nel file "
               "e nella sua cartella, che per questo utente sono in sola lettura.\n"
               "Cosa fare: aprire l'archivio una volta con il programma (o con un comando che vi "
               "scrive) come un utente che può scriverci; il ripristino è automatico. Non "
               "cancellare il file %2: l'archivio resterebbe danneggiato.")
        .arg(shown, QDir::toNativeSeparators(path + QStringLiteral("-journal")));
}

QAtomicInt valueLimitBytes = Connection::kDefaultValueLimit;

} // namespace

void Connection::setValueLimit(int bytes) {
    valueLimitBytes.storeRelaxed(bytes);
}

int Connection::valueLimit() {
    return valueLimitBytes.loadRelaxed();
}

void Connection::throwIfFailed(const QSqlQuery& query) {
    if (query.lastError().isValid())
        fail(query, query.lastQuery());
}

QString Connection::oversizedValueMessage(const QString& sql) {
    sqlite3* db = sqliteHandle(database());
    const int limit = db ? sqlite3_limit(db, SQLITE_LIMIT_LENGTH, -1) : valueLimit();
    const QString tail =
        QStringLiteral("più di quanto una colonna dell'archivio possa contenere (%1 byte). Il "
                       "valore non è stato letto. L'archivio non è stato scritto dal programma o "
                       "è stato alterato: correggere o eliminare la riga con un altro strumento, "
                       "o ripristinare una copia di sicurezza.")
            .arg(limit);
    // The size of each value is read from the row's header, without reading the value.
    for (const TableDef& table : archiveSchema()) {
        if (!db || !sql.contains(QRegularExpression(
                       QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(table.name)),
                       QRegularExpression::CaseInsensitiveOption)))
            continue;
        QSqlQuery columns(database());
        QSqlQuery rows(database());
        if (!columns.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table.name))))
            continue;
        QList<QByteArray> names;
        while (columns.next())
            names << columns.value(1).toString().toUtf8();
        rows.setForwardOnly(true);
        if (!rows.exec(QStringLiteral("SELECT rowid FROM %1").arg(quoteIdentifier(table.name))))
            continue;
        const QByteArray tableName = table.name.toUtf8();
        while (rows.next()) {
            const qint64 rowid = rows.value(0).toLongLong();
            for (const QByteArray& column : std::as_const(names)) {
                sqlite3_blob* blob = nullptr;
                if (sqlite3_blob_open(db, "main", tableName.constData(), column.constData(), rowid,
                                      0, &blob) != SQLITE_OK) {
                    sqlite3_blob_close(blob);
                    continue;
                }
                const int bytes = sqlite3_blob_bytes(blob);
                sqlite3_blob_close(blob);
                if (bytes > limit)
                    return QStringLiteral("La tabella %1 ha nella riga %2 (colonna %3) un valore "
                                          "di %4 byte, ")
                               .arg(table.name)
                               .arg(rowid)
                               .arg(QString::fromUtf8(column))
                               .arg(bytes) +
                           tail;
            }
        }
    }
    return QStringLiteral("Una lettura dell'archivio ha dato un valore ") + tail;
}

Connection::Connection()
    : name_(QStringLiteral("brevalto-%1").arg(connectionCounter.fetchAndAddRelaxed(1))) {}

Connection::~Connection() {
    close();
    QSqlDatabase::removeDatabase(name_);
}

void Connection::open(const QString& path) {
    close();
    if (isServerAddress(path)) {
        openServer(path);
        return;
    }
    openFile(path);
}

void Connection::openFile(const QString& path) {
    dialect_ = SqlDialect::Sqlite;
    location_ = path;
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (path.trimmed().isEmpty())
        throw DbError(QStringLiteral("Non è stato indicato alcun archivio."));
    if (info.isDir())
        throw DbError(QStringLiteral("Il percorso %1 è una cartella, non un archivio.").arg(shown));
    if (!info.exists())
        throw DbError(QStringLiteral("Impossibile trovare l'archivio %1.").arg(shown));
    // Checked before the file is opened: reading a named pipe waits for a writer forever.
    if (!info.isFile())
        throw DbError(QStringLiteral("Il percorso %1 non è un file ordinario (è una pipe, un "
                                     "dispositivo o un socket): un archivio è un file. Indicare "
                                     "il file dell'archivio.")
                          .arg(shown));
    if (!info.isReadable())
        throw DbError(
            QStringLiteral("L'archivio %1 non è leggibile: mancano i permessi.").arg(shown));
    if (!readOnly_ && !info.isWritable())
        throw DbError(QStringLiteral("L'archivio %1 è in sola lettura: il programma ha bisogno "
                                     "di scriverci. Controllare i permessi del file.")
                          .arg(shown));
    if (!looksLikeSqlite(path))
        throw DbError(QStringLiteral("Il file %1 non è un archivio del programma o è danneggiato.")
                          .arg(shown));
    if (readOnly_)
        recoverInterruptedWrite(path);

    QSqlDatabase db = QSqlDatabase::contains(name_) ? QSqlDatabase::database(name_, false)
                                                    : QSqlDatabase::addDatabase("QSQLITE", name_);
    db.setDatabaseName(path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout_);
    if (readOnly_)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    if (!db.open())
        throw DbError(QStringLiteral("Impossibile aprire l'archivio %1: %2")
                          .arg(shown, describe(db.lastError())));
    path_ = path;
    if (sqlite3* handle = sqliteHandle(db))
        sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, valueLimit());
    try {
        execNative(QStringLiteral("PRAGMA foreign_keys = OFF"));
        execNative(QStringLiteral("PRAGMA synchronous = FULL"));
        // Reading the schema proves the file is a sound database and not locked exclusively.
        execNative(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        QSqlQuery mode = execNative(QStringLiteral("PRAGMA journal_mode"));
        if (!readOnly_ && mode.next() &&
            mode.value(0).toString().compare("wal", Qt::CaseInsensitive) == 0)
            execNative(QStringLiteral("PRAGMA journal_mode = DELETE"));
        // A view in place of one of the program's tables could compute anything (a recursive
        // query that never ends, values of any size) whenever the table is read.
        QSqlQuery views =
            execNative(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'view'"));
        while (views.next()) {
            const QString name = views.value(0).toString();
            if (findTable(name))
                throw DbError(QStringLiteral("%1 non è una tabella ma una vista (view): in un "
                                             "archivio del programma è sempre una tabella. "
                                             "L'archivio non è stato scritto dal programma o è "
                                             "stato alterato: ripristinare una copia di "
                                             "sicurezza.")
                                  .arg(name));
        }
        throwIfFailed(views);
    } catch (const DbError& e) {
        close();
        if (readOnly_ && e.kind() == DbError::Kind::ReadOnly &&
            QFileInfo::exists(path + QStringLiteral("-journal")))
            throw DbError(interruptedWriteMessage(path), e.kind());
        throw DbError(QStringLiteral("Impossibile aprire l'archivio %1: %2").arg(shown, e.text()),
                      e.kind());
    }
}

void Connection::recoverInterruptedWrite(const QString& path) {
    // A journal left by a writer that was killed holds the pages as they were before its
    // transaction; SQLite puts them back at the next open that may write, but a read-only open
    // refuses the file until then ("attempt to write a readonly database"). When the file and its
    // folder may be written, an open for writing that only reads does that roll-back now.
    const QFileInfo journal(path + QStringLiteral("-journal"));
    if (!journal.exists() || journal.size() == 0 || !QFileInfo(path).isWritable() ||
        !QFileInfo(QFileInfo(path).absolutePath()).isWritable())
        return;
    const QString name = name_ + QStringLiteral("-ripristino");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout_));
        if (db.open()) {
            QSqlQuery(db).exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
}
void Connection::openServer(const QString& location) {
    const ServerAddress a = parseServerAddress(location);
    dialect_ = SqlDialect::Postgres;
    location_ = location;
    lost_ = false;
    if (QSqlDatabase::contains(name_) &&
        QSqlDatabase::database(name_, false).driverName() != QLatin1String("QPSQL"))
        QSqlDatabase::removeDatabase(name_);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        throw DbError(QStringLiteral("Manca il modulo di Qt per PostgreSQL (pacchetto "
                                     "libqt6sql6-psql): l'archivio %1 non si può aprire.")
                          .arg(a.text));
    QSqlDatabase db = QSqlDatabase::contains(name_) ? QSqlDatabase::database(name_, false)
                                                    : QSqlDatabase::addDatabase("QPSQL", name_);
    db.setHostName(a.host);
    db.setPort(a.port > 0 ? a.port : -1);
    db.setUserName(a.user);
    db.setPassword(a.password);
    db.setDatabaseName(a.database);
    QStringList options{QStringLiteral("connect_timeout=10"),
                        QStringLiteral("application_name=Brevalto")};
    for (const auto& [key, value] : a.options)
        options << key + QLatin1Char('=') + value;
    db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db.open()) {
        const QString detail = describe(db.lastError());
        db.close();
        throw DbError(serverOpenMessage(a, detail), DbError::Kind::Lost);
    }
    path_ = a.text;
    try {
        // Notices ("already exists, skipping") are no news for the user.
        execNative(QStringLiteral("SET client_min_messages = warning"));
        execNative(QStringLiteral("SET lock_timeout = %1").arg(busyTimeout_));
        if (readOnly_)
            execNative(QStringLiteral("SET default_transaction_read_only = on"));
    } catch (const DbError& e) {
        close();
        throw DbError(QStringLiteral("Impossibile aprire l'archivio %1: %2").arg(a.text, e.text()),
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

void Connection::waitForLocks(int milliseconds) {
    if (isServer())
        execNative(QStringLiteral("SET lock_timeout = %1").arg(milliseconds));
    else
        execNative(QStringLiteral("PRAGMA busy_timeout = %1").arg(milliseconds));
}

qint64 Connection::dataVersion() {
    if (!isOpen())
        return -1;
    if (isServer()) {
        // The counter less this session's own committed (and pending) changes.
        QSqlQuery q = execNative(QStringLiteral(
            "SELECT n - CAST(coalesce(nullif(current_setting('brevalto.proprie', true), ''), '0') "
            "AS bigint) FROM brevalto_versione"));
        return q.next() ? q.value(0).toLongLong() : -1;
    }
    QSqlQuery q = execNative(QStringLiteral("PRAGMA data_version"));
    return q.next() ? q.value(0).toLongLong() : -1;
}

QString Connection::rowIdExpression(const QString& table) const {
    if (!isServer())
        return quoteIdentifier(table) + QStringLiteral(".rowid");
    const TableDef* def = findTable(table);
    if (def && !def->autoNumberColumn().isEmpty())
        return quoteIdentifier(table) + QLatin1Char('.') + quoteIdentifier(def->autoNumberColumn());
    // The tuple address (block, item) packed into one number.
    return QStringLiteral("(CAST((CAST(CAST(%1.ctid AS text) AS point))[0] AS bigint) * 65536 + "
                          "CAST((CAST(CAST(%1.ctid AS text) AS point))[1] AS bigint))")
        .arg(quoteIdentifier(table));
}

QString Connection::rowIdCondition(const QString& table) const {
    if (!isServer())
        return QStringLiteral("rowid = ?");
    const TableDef* def = findTable(table);
    if (def && !def->autoNumberColumn().isEmpty())
        return quoteIdentifier(def->autoNumberColumn()) + QStringLiteral(" = ?");
    return QStringLiteral("ctid = CAST(? AS tid)");
}

QVariant Connection::rowIdParameter(const QString& table, qint64 rowId) const {
    const TableDef* def = findTable(table);
    if (!isServer() || (def && !def->autoNumberColumn().isEmpty()))
        return rowId;
    return QStringLiteral("(%1,%2)").arg(rowId / 65536).arg(rowId % 65536);
}

QString Connection::returningRowId(const QString& table) const {
    if (!isServer())
        return {};
    return QStringLiteral(" RETURNING ") + rowIdExpression(table);
}

qint64 Connection::writtenRowId(QSqlQuery& query) const {
    if (!isServer())
        return query.lastInsertId().toLongLong();
    return query.next() ? query.value(0).toLongLong() : 0;
}

bool Connection::isOpen() const {
    return QSqlDatabase::contains(name_) && QSqlDatabase::database(name_, false).isOpen();
}

QSqlDatabase Connection::database() const {
    return QSqlDatabase::database(name_, false);
}

QSqlQuery Connection::execNative(const QString& sql, const QVariantList& values) {
    reconnectIfLost();
    return run(isServer() ? sqliteToPostgres(sql) : sql, values);
}

void Connection::reconnectIfLost() {
    // A server that dropped the connection is asked again before the next statement; inside a
    // transaction the work is lost anyway, so the error stands until it is rolled back.
    if (lost_ && depth_ == 0 && !location_.isEmpty()) {
        const QString location = location_;
        open(location);
    }
}

QSqlQuery Connection::execProbe(const QString& sql, const QVariantList& values) {
    if (!isServer() || depth_ == 0)
        return execNative(sql, values);
    execNative(QStringLiteral("SAVEPOINT probe"));
    try {
        QSqlQuery q = execNative(sql, values);
        execNative(QStringLiteral("RELEASE probe"));
        return q;
    } catch (const DbError&) {
        QSqlQuery(database()).exec(QStringLiteral("ROLLBACK TO probe"));
        QSqlQuery(database()).exec(QStringLiteral("RELEASE probe"));
        throw;
    }
}

QSqlQuery Connection::run(const QString& sql, const QVariantList& values) {
    if (!isOpen())
        throw DbError(QStringLiteral("L'archivio non è aperto."));
    QSqlQuery query(database());
    // A server's driver reads a forward-only result row by row and drops it when the next
    // statement runs; the program reads one result while running others, so the server's result
    // comes whole.
    query.setForwardOnly(!isServer());
    bool ok;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else {
        ok = query.prepare(sql);
        if (ok) {
            for (const QVariant& v : values) {
                // Yes/No columns hold integers on both engines; a server will not turn a boolean
                // into one on its own.
                if (isServer() && v.typeId() == QMetaType::Bool)
                    query.addBindValue(v.toBool() ? 1 : 0);
                else
                    query.addBindValue(v);
            }
            ok = query.exec();
        }
    }
    if (!ok)
        fail(query, sql);
    return query;
}

void Connection::fail(const QSqlQuery& query, const QString& sql) {
    fail(query.lastError(), sql);
}

void Connection::fail(const QSqlError& error, const QString& sql) {
    // Each engine names the kind of failure; the words for it are the same on both.
    DbError::Kind kind = DbError::Kind::Other;
    if (isServer()) {
        const QString state = error.nativeErrorCode();
        if (isLostConnection(error))
            kind = DbError::Kind::Lost;
        else if (state == QLatin1String("55P03"))
            kind = DbError::Kind::Busy;
        else if (state == QLatin1String("40001") || state == QLatin1String("40P01"))
            kind = DbError::Kind::Conflict;
        else if (state == QLatin1String("25006"))
            kind = DbError::Kind::ReadOnly;
    } else if ((error.nativeErrorCode().toInt() & 0xff) == 18) {
        // SQLITE_TOOBIG: a value longer than valueLimit(), refused before it was read.
        throw DbError(oversizedValueMessage(sql));
    } else if (isBusy(error)) {
        kind = DbError::Kind::Busy;
    } else if (isDamage(error)) {
        kind = DbError::Kind::Damaged;
    } else if (isReadOnlyError(error)) {
        kind = DbError::Kind::ReadOnly;
    }
    switch (kind) {
    case DbError::Kind::Lost:
        lost_ = true;
        throw DbError(QStringLiteral("Il collegamento con il server dell'archivio %1 si è "
                                     "interrotto: l'ultima operazione non è stata salvata. "
                                     "Riprovare quando il server è di nuovo raggiungibile. (%2)")
                          .arg(path_, describe(error)),
                      kind);
    case DbError::Kind::Busy:
        throw DbError(QStringLiteral("L'archivio è bloccato da un'altra postazione; "
                                     "riprovare tra poco. (%1)")
                          .arg(describe(error)),
                      kind);
    case DbError::Kind::Conflict:
        throw DbError(QStringLiteral("Un'altra postazione ha modificato gli stessi dati nello "
                                     "stesso momento; riprovare. (%1)")
                          .arg(describe(error)),
                      kind);
    case DbError::Kind::Damaged:
        throw DbError(QStringLiteral("L'archivio è danneggiato: %1\nIstruzione: %2")
                          .arg(describe(error), sql.simplified()),
                      kind);
    case DbError::Kind::ReadOnly:
        throw DbError(QStringLiteral("L'archivio è aperto in sola lettura: le modifiche non "
                                     "possono essere salvate. (%1)")
                          .arg(describe(error)),
                      kind);
    case DbError::Kind::Other:
        break;
    }
    throw DbError(QStringLiteral("Errore dell'archivio: %1\nIstruzione: %2")
                      .arg(describe(error), sql.simplified()));
}

RepeatedStatement Connection::prepare(const QString& sql) {
    if (!isOpen())
        throw DbError(QStringLiteral("L'archivio non è aperto."));
    return RepeatedStatement(*this, isServer() ? sqliteToPostgres(sql) : sql);
}

RepeatedStatement::RepeatedStatement(Connection& connection, const QString& sql)
    : connection_(&connection), sql_(sql), driver_(connection.database()) {
    if (!connection.isServer())
        native_ = std::make_unique<NativeQuery>(connection.database(), sql);
    if (!native_ || !native_->isValid()) {
        // The driver's way, which also words a statement that does not prepare.
        native_.reset();
        driver_.setForwardOnly(!connection.isServer());
        if (!driver_.prepare(sql))
            connection.fail(driver_, sql);
        driverPrepared_ = true;
    }
}

RepeatedStatement::RepeatedStatement(RepeatedStatement&&) noexcept = default;
RepeatedStatement::~RepeatedStatement() = default;

void RepeatedStatement::run(const QVariantList& values,
                            const std::function<void(const Row&)>& onRow) {
    if (native_) {
        const auto nativeRow = [&] {
            onRow([this](int column) { return native_->value(column); });
        };
        switch (native_->execute(values, onRow ? std::function<void()>(nativeRow)
                                               : std::function<void()>())) {
        case NativeQuery::Outcome::Done:
            return;
        case NativeQuery::Outcome::Refused:
            connection_->fail(QSqlError(QString(), native_->errorText(), QSqlError::StatementError,
                                        QString::number(native_->errorCode())),
                              sql_);
        case NativeQuery::Outcome::Unbindable:
            break;
        }
    }
    if (!driverPrepared_) {
        driver_.setForwardOnly(!connection_->isServer());
        if (!driver_.prepare(sql_))
            connection_->fail(driver_, sql_);
        driverPrepared_ = true;
    }
    for (int i = 0; i < values.size(); ++i) {
        // Yes/No columns hold integers on both engines; a server will not turn a boolean into one.
        const QVariant& v = values[i];
        driver_.bindValue(i, v.typeId() == QMetaType::Bool ? QVariant(v.toBool() ? 1 : 0) : v);
    }
    if (!driver_.exec())
        connection_->fail(driver_, sql_);
    while (onRow && driver_.next())
        onRow([this](int column) { return driver_.value(column); });
}

QSqlQuery Connection::exec(const QString& jetSql, const QVariantList& values) {
    reconnectIfLost();
    if (isServer())
        return run(sqliteToPostgres(translateJetSql(jetSql, dialect_)), values);
    return run(translateJetSql(jetSql), values);
}

QVariant Connection::scalar(const QString& jetSql, const QVariantList& values) {
    QSqlQuery query = exec(jetSql, values);
    return query.next() ? query.value(0) : QVariant();
}

void Connection::begin() {
    if (depth_ == 0 && isServer()) {
        execNative(QStringLiteral("BEGIN"));
        try {
            run(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kWriteLock), {});
        } catch (const DbError&) {
            QSqlQuery(database()).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    } else if (depth_ == 0)
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
