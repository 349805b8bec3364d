#include "store/WorkFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>
#include <cerrno>
#include <signal.h>

namespace brevalto {

namespace {

// The machine's name as it may stand in a file name.
QString machineName() {
    QString name = QSysInfo::machineHostName();
    for (QChar& c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80))
            c = QLatin1Char('_');
    }
    return name.isEmpty() ? QStringLiteral("_") : name;
}

bool isRunning(qint64 pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace

QString workFileBeside(const QString& target, const QString& suffix, qint64 pid) {
    return target + QStringLiteral(".%1-%2-%3.%4")
                        .arg(machineName())
                        .arg(pid > 0 ? pid : QCoreApplication::applicationPid())
                        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
                        .arg(suffix);
}

int removeLeftOverWorkFiles(const QString& target, const QString& suffix) {
    const QFileInfo info(target);
    const QDir folder = info.absoluteDir();
    const QRegularExpression pattern(QStringLiteral("^%1\\.%2-(\\d+)-[0-9a-f]{8}\\.%3(-journal)?$")
                                         .arg(QRegularExpression::escape(info.fileName()),
                                              QRegularExpression::escape(machineName()),
                                              QRegularExpression::escape(suffix)));
    int removed = 0;
    const QStringList names =
        folder.entryList({info.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch() && !isRunning(match.captured(1).toLongLong()) &&
            QFile::remove(folder.filePath(name)))
            ++removed;
    }
    return removed;
}

} // namespace brevalto
