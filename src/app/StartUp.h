#pragma once
// The start-up sequence run at the first activation of the main window, the switch to another
// archive ("Lavora in Rete") and leaving the program ("Esci").
//
// Start-up: locate the archive through "percorsoPa.txt" (offering to create a new archive when
// none is there), connect, run and delete the update script "SQLAggio_qlv.sql" (all of it or
// nothing), ask the administrator password when one is set, hand over to the upgrade program when
// the archive is too old, open the shared datasets, put the firm's name in the caption, apply the
// saved grid layouts, select the start tab and show or hide the multi-seller selectors. The
// archive's pages are checked for damage in the background meanwhile. An archive made by this
// start is followed by the first setup (firm, seller, bank details).
#include <QString>

namespace brevalto {

class Connection;
class Screens;

class StartUp {
public:
    enum class Outcome {
        Ready,     // every step ran
        Abandoned, // an error was shown; the main window stays open with no dataset open
        Ended,     // wrong password or upgrade hand-off: the program was told to end
    };

    explicit StartUp(Screens& screens) : screens_(screens) {}
    Outcome run();

private:
    Outcome runSteps();
    // False when the archive was found damaged (said, and recovery offered).
    bool connectToArchive();
    // Holds the program's tables (otherwise says so, closes it and returns false); its damage
    // check starts in the background.
    bool archiveAccepted();
    void applyGridLayouts();
    void runUpdateScript();
    bool passwordAccepted();
    int archiveVersion();

    Screens& screens_;
    bool archiveCreated_ = false; // made by this start: the first setup follows
};

// Runs the update script beside the archive, if there is one, inside one transaction, then deletes
// it and reconnects so that the changed schema is seen. A piece that holds only white space is
// skipped. On a failing statement nothing is kept and the file stays; throws DbError.
// Returns true when a script was run.
// scriptFolder: where the script is looked for; empty for the archive's own folder (a server
// archive has none: the program folder serves).
bool runArchiveUpdateScript(Connection& connection, const QString& archivePath,
                            const QString& scriptFolder = QString());

// "Lavora in Rete": the user picks another archive, which is stored in "percorsoPa.txt" and
// opened. Returns true when the switch happened; errors are shown to the user.
bool switchArchive(Screens& screens);

// The background damage check found problems in the archive at path: when it is still the one
// in use, it is closed, the damage said and the recovered copy offered.
void reportDamage(Screens& screens, const QString& path);

// "Esci": closes the archive (errors ignored) and ends the program.
void leaveProgram(Screens& screens);

} // namespace brevalto
