#include "app/StartUp.h"

#include "app/ArchiveLocation.h"
#include "app/FirstSetup.h"
#include "app/LavoraInReteDialog.h"
#include "app/MainWindow.h"
#include "app/PasswordDialog.h"
#include "app/Screens.h"
#include "documents/PecActions.h"
#include "masterdata/GridLayout.h"
#include "store/ArchiveAddress.h"
#include "store/ArchiveCatalog.h"
#include "store/ArchiveCheck.h"
#include "store/ArchiveCreator.h"
#include "store/ArchiveUpgrade.h"
#include "store/DamageCheck.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "store/SystemText.h"
#include "store/TextFields.h"
#include "ui/GuardedAction.h"
#include "ui/ScreenHost.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTimer>

namespace brevalto {

namespace {

// The wait cursor while the archive is being read; prompts are never shown under it.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

void restoreCursor() {
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

// Closes the shared datasets and the connection: nothing read from one archive outlives it.
void closeArchive(DataModule& dm) {
    dm.closeAllDatasets();
    dm.table(ds::CercaLinee).close();
    dm.connessione().close();
}

void openArchive(DataModule& dm, const QString& path, bool readOnly = false) {
    dm.connessione().setReadOnly(readOnly);
    dm.connessione().setConnectionString(composeConnectionString(path));
    dm.connessione().open(path);
}

QByteArray readScript(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(
            QStringLiteral("Impossibile leggere il file %1: %2")
                .arg(QDir::toNativeSeparators(fileName), italianReason(file.errorString())));
    return file.readAll();
}

// Update kits may come from systems that write Latin-1 rather than UTF-8.
QString decodeScript(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

bool tableExists(Connection& connection, const QString& table) {
    return archiveHasTable(connection, table);
}

// Says that the archive is damaged, with nothing written to it, and offers the recovered copy.
void offerRecovery(DataModule& dm, const QString& path) {
    closeArchive(dm);
    restoreCursor();
    const bool recover = prompt().question(
        Prompt::errorTitle(),
        damagedArchiveMessage(path) + QStringLiteral("\n\nCreare ora la copia recuperata?"));
    if (!recover)
        return;
    RecoveryReport report;
    try {
        BusyCursor busy;
        report = recoverArchive(path);
    } catch (const DbError& e) {
        restoreCursor();
        prompt().message(Prompt::errorTitle(), e.text());
        return;
    }
    prompt().message(Prompt::warningTitle(), report.text());
}

// The check every opened archive passes at once: the program's tables. On their absence it is
// said, the archive closed and false returned. Its pages are checked in the background a moment
// after the main window is ready (startDamageCheck), so that the check does not compete with
// start-up.
bool acceptOpenedArchive(Screens& screens) {
    DataModule& dm = screens.dataModule();
    bool programTables = false;
    {
        BusyCursor busy;
        programTables = hasProgramTables(dm.connessione());
    }
    if (!programTables) {
        closeArchive(dm);
        restoreCursor();
        prompt().message(Prompt::errorTitle(), notAnArchiveMessage(dm.archivePath()));
        return false;
    }
    return true;
}

// A server keeps its own pages sound: only an archive file is checked.
void startDamageCheck(Screens& screens, int pauseMilliseconds = 1000) {
    DataModule& dm = screens.dataModule();
    if (dm.connessione().isOpen() && !dm.connessione().isServer())
        screens.damageCheck().startAfter(dm.archivePath(), pauseMilliseconds);
}

// An archive of a newer program is said so and opened again for reading only.
void reopenNewerArchiveReadOnly(DataModule& dm) {
    closeArchive(dm);
    restoreCursor();
    prompt().message(Prompt::warningTitle(),
                     newerArchiveMessage() +
                         QStringLiteral("\nL'archivio viene aperto in sola lettura: per "
                                        "modificarlo usare la versione più recente."));
    BusyCursor busy;
    openArchive(dm, dm.archivePath(), true);
}

// Gives a grid the workstation's stored layout (storing the designed one the first time).
// Storing a workstation's first layout is no reason to wait for another workstation's write:
// with the lock taken elsewhere for longer than a moment (or an archive open for reading only)
// the grid keeps its designed columns and the layout is stored another time. The moment covers
// the background damage check, which reads one table at a time.
void applyStoredLayout(DataModule& dm, const QString& layoutName, DataGrid& grid) {
    Connection& connection = dm.connessione();
    if (!connection.isOpen())
        return;
    try {
        connection.waitForLocks(500);
        ApplyGridLayout(layoutName, grid, dm.table(ds::Griglie), false, dm.computerName());
    } catch (const DbError&) {
    }
    try {
        connection.waitForLocks(connection.busyTimeout());
    } catch (const DbError&) {
    }
}

} // namespace

bool runArchiveUpdateScript(Connection& connection, const QString& archivePath,
                            const QString& scriptFolder) {
    const QString fileName =
        (scriptFolder.isEmpty() ? archiveFolder(archivePath) : scriptFolder) + updateScriptName();
    if (!QFileInfo::exists(fileName))
        return false;
    const QByteArray original = readScript(fileName);
    QString text = decodeScript(original);
    if (!text.endsWith(QLatin1Char(';')))
        text += QLatin1Char(';');
    const int count = CountFields(text, QLatin1Char(';'));

    const QString failure = QStringLiteral(
        "L'aggiornamento dell'archivio con il file %1 non è riuscito: l'archivio non è stato "
        "modificato e il file è stato lasciato al suo posto.\n\n%2");
    const QString shown = QDir::toNativeSeparators(fileName);
    connection.begin();
    try {
        for (int n = 1; n <= count; ++n) {
            const QString statement = GetField(text, n, QLatin1Char(';'));
            if (statement.trimmed().isEmpty())
                continue;
            connection.exec(statement);
        }
        // Rows the script inserted with their keys: new rows get keys after them.
        catchUpKeyCounters(connection);
    } catch (const DbError& e) {
        connection.rollback();
        throw DbError(failure.arg(shown, e.text()));
    }
    // The file goes before the commit, and comes back if the commit fails, so that the script can
    // never be applied twice nor lost unapplied.
    if (!QFile::remove(fileName)) {
        connection.rollback();
        throw DbError(failure.arg(shown, QStringLiteral("Impossibile eliminare il file.")));
    }
    try {
        connection.commit();
    } catch (const DbError& e) {
        QFile file(fileName);
        if (file.open(QIODevice::WriteOnly))
            file.write(original); // byte for byte, whatever its encoding
        throw DbError(failure.arg(shown, e.text()));
    }
    // The schema may have changed: a fresh connection sees it whole.
    const QString connectionString = connection.connectionString();
    connection.close();
    connection.setConnectionString(connectionString);
    connection.open(archivePath);
    return true;
}

StartUp::Outcome StartUp::run() {
    Outcome outcome = Outcome::Abandoned;
    try {
        outcome = runSteps();
    } catch (const DbError& e) {
        restoreCursor();
        prompt().message(Prompt::errorTitle(), e.text());
    } catch (const std::exception& e) {
        restoreCursor();
        prompt().message(Prompt::errorTitle(), QString::fromLocal8Bit(e.what()));
    }
    restoreCursor();
    return outcome;
}

bool StartUp::connectToArchive() {
    DataModule& dm = screens_.dataModule();
    const QString path = dm.archivePath();
    // A server archive is never made here: its database is the server administrator's.
    if (!isServerAddress(path) && !QFileInfo::exists(path)) {
        // A fresh installation: the archive can be made here and now.
        // Sì is the default: a new user pressing Enter gets a working program.
        const bool create =
            prompt().ask(Prompt::warningTitle(),
                         QStringLiteral("L'archivio %1 non esiste.\nCreare un nuovo archivio vuoto "
                                        "in questa posizione?")
                             .arg(QDir::toNativeSeparators(path)),
                         false, Prompt::Choice::Yes) == Prompt::Choice::Yes;
        if (create) {
            BusyCursor busy;
            createArchive(path);
            archiveCreated_ = true;
        }
    }
    try {
        BusyCursor busy;
        openArchive(dm, path);
    } catch (const DbError& e) {
        if (e.kind() != DbError::Kind::Damaged)
            throw;
        offerRecovery(dm, path);
        return false;
    }
    return true;
}

bool StartUp::archiveAccepted() {
    return acceptOpenedArchive(screens_);
}

// The grids made so far get their layouts now, the others when their screens are made.
void StartUp::applyGridLayouts() {
    DataModule& dm = screens_.dataModule();
    screens_.setLayoutApplier([&dm](const QString& layoutName, DataGrid& grid) {
        applyStoredLayout(dm, layoutName, grid);
    });
    for (const auto& [layoutName, grid] : screens_.layoutGrids())
        applyStoredLayout(dm, layoutName, *grid);
}

void StartUp::runUpdateScript() {
    DataModule& dm = screens_.dataModule();
    BusyCursor busy;
    // A server archive has no folder of its own: its update script is left in the program folder.
    const QString path = dm.archivePath();
    runArchiveUpdateScript(dm.connessione(), path,
                           isServerAddress(path) ? screens_.environment().programFolder
                                                 : QString());
}

bool StartUp::passwordAccepted() {
    Dataset& opzioni = screens_.dataModule().table(ds::Opzioni);
    if (!opzioni.hasColumn(QStringLiteral("PasswordAmministratore")))
        return true;
    const QString stored = opzioni.text(QStringLiteral("PasswordAmministratore"));
    if (stored.isEmpty())
        return true;
    PasswordDialog& pass = screens_.get<PasswordDialog>();
    pass.clear();
    showModal(pass);
    return pass.password() == stored;
}

int StartUp::archiveVersion() {
    Dataset& opzioni = screens_.dataModule().table(ds::Opzioni);
    if (!opzioni.isOpen() || !opzioni.hasColumn(QStringLiteral("VerBaseDati")))
        return 0;
    return opzioni.integer(QStringLiteral("VerBaseDati"));
}

StartUp::Outcome StartUp::runSteps() {
    MainWindow& window = screens_.mainWindow();
    DataModule& dm = screens_.dataModule();
    const Environment& env = screens_.environment();

    window.setArchivePathText(QString());
    const ArchiveLocation location = locateArchive(env.programFolder);
    window.setArchivePathText(location.boxText);
    if (location.fileCreated && env.pause)
        env.pause(100);
    dm.setArchive(location.archivePath,
                  archiveFolder(location.archivePath) + QStringLiteral("ArchivioPa.mdb"));

    if (!connectToArchive() || !archiveAccepted())
        return Outcome::Abandoned;
    // An update script writes: a damaged archive must never get it.
    const bool checkedFirst =
        !dm.connessione().isServer() &&
        QFileInfo::exists(archiveFolder(dm.archivePath()) + updateScriptName());
    if (checkedFirst) {
        startDamageCheck(screens_, 0);
        screens_.damageCheck().wait();
        if (!dm.connessione().isOpen())
            return Outcome::Abandoned;
    }
    runUpdateScript();

    // An archive without the settings table is older than any version that had one.
    Dataset& opzioni = dm.table(ds::Opzioni);
    opzioni.close();
    if (tableExists(dm.connessione(), QStringLiteral("opzioni")))
        opzioni.open();

    if (opzioni.isOpen() && !passwordAccepted()) {
        closeArchive(dm);
        env.endProgram();
        return Outcome::Ended;
    }

    if (archiveVersion() < requiredArchiveVersion) {
        prompt().message(Prompt::warningTitle(),
                         QStringLiteral("Avvio della procedura di aggiornamento degli archivi ! Al "
                                        "termine il programma dovrà essere riavviato !"));
        closeArchive(dm);
        if (!env.startProgram || !env.startProgram(env.upgradeProgram))
            prompt().message(Prompt::errorTitle(),
                             QStringLiteral("Impossibile avviare il programma di aggiornamento %1.")
                                 .arg(QDir::toNativeSeparators(env.upgradeProgram)));
        env.endProgram();
        return Outcome::Ended;
    }

    if (archiveVersion() > requiredArchiveVersion) {
        // Columns this program does not know may carry rules it does not keep: it reads, and
        // SQLite itself refuses every write.
        reopenNewerArchiveReadOnly(dm);
        opzioni.open();
    }

    {
        BusyCursor busy;
        Dataset& ditta = dm.table(ds::Ditta);
        ditta.close();
        ditta.open();
        if (!dm.connessione().isOpen())
            openArchive(dm, dm.archivePath(), dm.connessione().isReadOnly());
        dm.openAllDatasets();

        window.showFirmInTitle(dm.table(ds::Ditta));

        applyGridLayouts();
    }

    Dataset& settings = dm.table(ds::Opzioni);
    window.tabs()->setCurrentIndex(settings.integer(QStringLiteral("TabIniziale")));
    screens_.setMultiSellerSelectorsVisible(settings.flag(QStringLiteral("StudioCommerciale")));
    if (!checkedFirst)
        startDamageCheck(screens_);
    // A new archive holds no firm and no seller: the user is led through them at once.
    if (archiveCreated_) {
        restoreCursor();
        guarded([this] { runFirstSetup(screens_); });
    } else {
        // The mailboxes that ask for it are read once the window is up.
        QTimer::singleShot(0, &window,
                           [&dm, &window] { guarded([&] { riceviPec(dm, &window, true); }); });
    }
    return Outcome::Ready;
}

bool switchArchive(Screens& screens) {
    DataModule& dm = screens.dataModule();
    MainWindow& window = screens.mainWindow();
    LavoraInReteDialog dialog(archiveFolder(dm.archivePath()), dm.archivePath(), &window);
    if (showModal(dialog) != QDialog::Accepted || dialog.chosen().isEmpty())
        return false;
    const QString chosen = dialog.chosen();
    // What is shown and stored never holds a password typed in a server address.
    const QString shown = locationWithoutPassword(chosen);
    try {
        dm.setArchive(shown, shown);
        window.setArchivePathText(shown);
        saveArchivePath(screens.environment().programFolder, chosen);
        BusyCursor busy;
        closeArchive(dm);
        openArchive(dm, chosen);
        if (!acceptOpenedArchive(screens))
            return false;
        if (storedArchiveVersion(dm.connessione()) > requiredArchiveVersion)
            reopenNewerArchiveReadOnly(dm);
        dm.openAllDatasets();
        // The title names the firm of the archive in use, never that of the one left.
        window.showFirmInTitle(dm.table(ds::Ditta));
    } catch (const DbError& e) {
        restoreCursor();
        prompt().message(Prompt::errorTitle(), e.text());
        return false;
    }
    startDamageCheck(screens);
    return true;
}

void reportDamage(Screens& screens, const QString& path) {
    DataModule& dm = screens.dataModule();
    if (path != dm.archivePath() || !dm.connessione().isOpen())
        return;
    offerRecovery(dm, path);
}

void leaveProgram(Screens& screens) {
    screens.damageCheck().stop();
    try {
        closeArchive(screens.dataModule());
    } catch (...) {
        // Leaving never fails.
    }
    if (screens.environment().endProgram)
        screens.environment().endProgram();
}

} // namespace brevalto
