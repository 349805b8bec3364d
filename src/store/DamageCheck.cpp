#include "store/DamageCheck.h"

#include "store/ArchiveCheck.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/NativeQuery.h"

#include <QCoreApplication>
#include <QMutex>
#include <QSqlQuery>
#include <atomic>
#include <sqlite3.h>

namespace brevalto {

struct DamageCheck::Run {
    std::atomic<bool> stopRequested{false};
    QMutex mutex;
    sqlite3* handle = nullptr; // while the check's connection is open
};

namespace {

// The problems SQLite's quick_check finds in each table and its indexes, a table at a time, until
// a stop is requested. A file whose table list cannot be read gives the engine's error.
QStringList damageByTable(const QString& path, DamageCheck::Run& run) {
    QStringList problems;
    Connection connection;
    try {
        connection.setReadOnly(true);
        connection.open(path);
        {
            QMutexLocker lock(&run.mutex);
            run.handle = sqliteHandle(connection.database());
        }
        QStringList tables;
        QSqlQuery list = connection.execNative(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
        while (list.next())
            tables << list.value(0).toString();
        for (const QString& table : std::as_const(tables)) {
            if (run.stopRequested)
                break;
            // Each statement is a read of its own: the lock is held for one table only.
            problems << quickCheckProblems(connection, table);
        }
    } catch (const DbError& e) {
        problems << e.text();
    }
    QMutexLocker lock(&run.mutex);
    run.handle = nullptr;
    return problems;
}

} // namespace

DamageCheck::DamageCheck(QObject* parent) : QObject(parent), pause_(new QTimer(this)) {
    pause_->setSingleShot(true);
    connect(pause_, &QTimer::timeout, this, [this] { start(pausedPath_); });
}

void DamageCheck::startAfter(const QString& path, int milliseconds) {
    stop();
    pausedPath_ = path;
    pause_->start(milliseconds);
}

DamageCheck::~DamageCheck() {
    stop();
}

void DamageCheck::start(const QString& path) {
    stop();
    auto run = std::make_shared<Run>();
    run_ = run;
    thread_.reset(QThread::create([this, path, run] {
        const QStringList problems = damageByTable(path, *run);
        if (problems.isEmpty() || run->stopRequested)
            return;
        // Delivered on this object's thread; dropped if the check was stopped meanwhile.
        QMetaObject::invokeMethod(
            this,
            [this, path, problems, run] {
                if (!run->stopRequested)
                    Q_EMIT damageFound(path, problems);
            },
            Qt::QueuedConnection);
    }));
    thread_->start(QThread::LowPriority);
}

void DamageCheck::stop() {
    pause_->stop();
    if (!thread_)
        return;
    run_->stopRequested = true;
    {
        QMutexLocker lock(&run_->mutex);
        if (run_->handle)
            sqlite3_interrupt(run_->handle);
    }
    thread_->wait();
    thread_.reset();
}

void DamageCheck::wait() {
    if (pause_->isActive())
        start(pausedPath_);
    if (!thread_)
        return;
    thread_->wait();
    QCoreApplication::sendPostedEvents(this);
}

bool DamageCheck::isRunning() const {
    return thread_ && thread_->isRunning();
}

} // namespace brevalto
