#include "app/Environment.h"

#include "store/ProgramFolder.h"

#include <QApplication>
#include <QProcess>
#include <QThread>
#include <QTimer>

namespace brevalto {

Environment Environment::desktop() {
    Environment env;
    env.programFolder = brevalto::programFolder();
#ifdef Q_OS_WIN
    env.upgradeProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/UpgradeDb.exe");
#else
    env.upgradeProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/UpgradeDb");
#endif
    env.endProgram = [] {
        QApplication::closeAllWindows();
        // Queued, so that the handler that ends the program returns before the loop stops.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    };
    env.startProgram = [](const QString& program) {
        return QProcess::startDetached(program, QStringList());
    };
    env.pause = [](int ms) { QThread::msleep(ms); };
    return env;
}

} // namespace brevalto
