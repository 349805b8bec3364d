#include "app/UpgradeRun.h"

#include "app/ArchiveLocation.h"
#include "store/ArchiveCheck.h"
#include "store/ArchiveUpgrade.h"
#include "store/CommandParser.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/ProgramFolder.h"
#include "store/Prompt.h"
#include "store/Version.h"
#include "ui/QtPrompt.h"

#include <QDir>

namespace brevalto {

namespace {

// Installs the window prompt for the run, and puts back the one there was.
class WindowPrompt {
public:
    explicit WindowPrompt(bool on) : previous_(&prompt()), on_(on) {
        if (on_)
            setPrompt(&windows_);
    }
    ~WindowPrompt() {
        if (on_)
            setPrompt(previous_);
    }
    WindowPrompt(const WindowPrompt&) = delete;
    WindowPrompt& operator=(const WindowPrompt&) = delete;

private:
    QtPrompt windows_;
    Prompt* previous_;
    bool on_;
};

} // namespace

int runArchiveUpgrade(bool windows) {
    const WindowPrompt installed(windows);
    const QString title = QStringLiteral("Aggiornamento archivi");
    try {
        const QString path = locateArchive(programFolder()).archivePath;
        Connection connection;
        connection.open(path);
        // Only an archive of the program is upgraded: an empty file or another program's
        // database would otherwise become an empty archive. A damaged or newer one is left alone.
        requireUsableArchive(connection, requiredArchiveVersion);
        const UpgradeReport report = upgradeArchive(connection);
        const QString shown = QDir::toNativeSeparators(connection.path()); // never a password
        connection.close();
        const QString text = QStringLiteral("Archivio: %1\n%2\n\nAggiornamento terminato: "
                                            "riavviare il programma.")
                                 .arg(shown, report.text());
        printLine(stdout, text);
        if (windows)
            prompt().message(title, text);
        return 0;
    } catch (const DbError& e) {
        const QString text =
            QStringLiteral("Aggiornamento dell'archivio non riuscito.\n%1").arg(e.text());
        printLine(stderr, text);
        if (windows)
            prompt().message(Prompt::errorTitle(), text);
        return 1;
    }
}

} // namespace brevalto
