#pragma once
#include <QString>

namespace brevalto {

// What decides the program folder, gathered so that the choice can be tested without touching
// the real environment.
struct ProgramFolderFacts {
    QString home;                  // $BREVALTO_HOME, empty when unset
    QString executableFolder;      // folder of the running executable
    bool executableFolderWritable; // a file can be created there
    bool installed;                // the executable is an installed copy (see installedProgram())
    QString userDataFolder;        // the user's data folder for the program
};

// The program folder, where "percorsoPa.txt", "Allegato.wkq" and the default archive live:
// $BREVALTO_HOME when set; otherwise the executable's folder when it is writable and not an
// installed copy (a build folder, an unpacked kit); otherwise the user's data folder. An
// installed copy never writes beside itself, not even when run by root, so that no archive ends
// up among the system's programs. Always absolute and ending with "/".
QString chooseProgramFolder(const ProgramFolderFacts& facts);

// True when the executable in executableFolder is an installed copy: it sits in a "bin" folder
// whose sibling "share/brevalto" holds the program's installed data.
bool installedProgram(const QString& executableFolder);

// The user's data folder for the program ("~/.local/share/Brevalto" on Linux), the same for
// every executable of the program whatever its application name.
QString userDataFolder();

// The program folder of this process (chooseProgramFolder() on the real environment), created
// when missing so that the first start can write into it. Always ends with "/".
QString programFolder();

} // namespace brevalto
