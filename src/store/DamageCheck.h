#pragma once
// The damage check of an archive in use, run on a thread of its own so that start-up does not
// wait for a read of the whole file (which grows with the archive's age). It checks one table
// at a time on a read-only connection of its own: another workstation's write waits for one
// table's check at most. Damage in a table the program reads meanwhile shows there anyway, as
// the engine reports it on the read.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <memory>

namespace brevalto {

class DamageCheck : public QObject {
    Q_OBJECT
public:
    explicit DamageCheck(QObject* parent = nullptr);
    ~DamageCheck() override; // stops a check under way and waits for its thread

    // Starts checking the archive at path, ending any check under way first.
    void start(const QString& path);
    // The same after a pause: the user's first moves with a new archive do not share the disk
    // with the check, and a program closed at once does not wait for a table being checked.
    void startAfter(const QString& path, int milliseconds);
    // Ends a check under way (or not yet started) without a report.
    void stop();
    // Blocks until the check under way (starting one that waits for its pause) has ended and its
    // report, if any, has been delivered.
    void wait();
    bool isRunning() const;

    // What the checking thread and stop() share: the request to stop, and the engine handle of
    // the check's connection, through which stop() interrupts the table being checked.
    struct Run;

Q_SIGNALS:
    // Delivered on the thread that started the check, only when something is wrong.
    void damageFound(const QString& path, const QStringList& problems);

private:
    std::unique_ptr<QThread> thread_;
    std::shared_ptr<Run> run_;
    QTimer* pause_;
    QString pausedPath_;
};

} // namespace brevalto
