// The archive upgrade program. Started without arguments by the desktop program when the archive
// in "percorsoPa.txt" is older than it needs; adds every missing table and column, records the
// new archive version and tells what it did, in a window when there is a display and always on
// the terminal.
#include "app/ArchiveLocation.h"
#include "store/ArchiveCheck.h"
#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/ProgramFolder.h"
#include "store/Prompt.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>
#include <memory>

namespace {

bool hasDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

} // namespace

int main(int argc, char** argv) {
    const bool window = hasDisplay();
    std::unique_ptr<QCoreApplication> app;
    if (window)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("UpgradeDb"));
    if (window)
        QApplication::setStyle(QStringLiteral("Fusion"));

    const QString title = QStringLiteral("Aggiornamento archivi");
    QTextStream out(stdout), err(stderr);
    try {
        const QString path = brevalto::locateArchive(brevalto::programFolder()).archivePath;
        brevalto::Connection connection;
        connection.open(path);
        // Only an archive of the program is upgraded: an empty file or another program's
        // database would otherwise become an empty archive. A damaged or newer one is left alone.
        brevalto::requireUsableArchive(connection, brevalto::requiredArchiveVersion);
        const brevalto::UpgradeReport report = brevalto::upgradeArchive(connection);
        connection.close();
        const QString text = QStringLiteral("Archivio: %1\n%2\n\nAggiornamento terminato: "
                                            "riavviare il programma.")
                                 .arg(QDir::toNativeSeparators(path), report.text());
        out << text << "\n";
        out.flush();
        if (window)
            brevalto::prompt().message(title, text);
        return 0;
    } catch (const brevalto::DbError& e) {
        const QString text =
            QStringLiteral("Aggiornamento dell'archivio non riuscito.\n%1").arg(e.text());
        err << text << "\n";
        err.flush();
        if (window)
            brevalto::prompt().message(brevalto::Prompt::errorTitle(), text);
        return 1;
    }
}
