// The archive upgrade program. Started without arguments by the desktop program when the archive
// in "percorsoPa.txt" is older than it needs; adds every missing table and column, records the
// new archive version and tells what it did, in a window when there is a display and always on
// the terminal.
#include "app/UpgradeRun.h"
#include "store/ArchiveUpgrade.h"
#include "store/CommandParser.h"
#include "store/ProgramFolder.h"
#include "store/Version.h"

#include <QApplication>
#include <QDir>
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

// Answers --help and --version on the terminal and refuses anything else (the desktop program
// starts UpgradeDb without arguments). Returns -1 when the upgrade should run, else the exit code.
int readCommandLine(const QStringList& arguments) {
    if (arguments.size() < 2)
        return -1;
    brevalto::CommandParser parser({
        .name = QString(),
        .synopsis = QString(),
        .description =
            QStringLiteral(
                "Aggiorna l'archivio indicato da percorsoPa.txt nella cartella del programma\n"
                "alla versione che il programma richiede, poi riferisce cosa ha fatto.\n"
                "Cartella del programma: %1")
                .arg(QDir::toNativeSeparators(brevalto::programFolder())),
        .options = {{{QStringLiteral("v"), QStringLiteral("version")},
                     QStringLiteral("mostra la versione del programma e dell'archivio ed esce")}},
        .program = QStringLiteral("UpgradeDb"),
    });
    const int parsed = parser.parse(arguments.mid(1), stdout, stderr);
    if (parsed >= 0)
        return parsed;
    if (!parser.positionalArguments().isEmpty())
        return parser.fail(stderr, QStringLiteral("Argomento sconosciuto: %1")
                                       .arg(parser.positionalArguments().constFirst()));
    brevalto::printLine(stdout, QStringLiteral("UpgradeDb %1\nVersione archivio: %2")
                                    .arg(brevalto::programVersion())
                                    .arg(brevalto::requiredArchiveVersion));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool window = hasDisplay();
    std::unique_ptr<QCoreApplication> app;
    // The application object takes Qt's own options (-platform ...) out of the arguments.
    if (window)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("UpgradeDb"));
    if (const int code = readCommandLine(QCoreApplication::arguments()); code >= 0)
        return code;
    if (window)
        QApplication::setStyle(QStringLiteral("Fusion"));

    return brevalto::runArchiveUpgrade(window);
}
