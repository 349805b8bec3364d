#pragma once
// The work of the archive upgrade program UpgradeDb: upgrades the archive that percorsoPa.txt in
// the program folder names, adding every missing table and column and recording the new archive
// version, and tells what it did. The result always goes to the terminal; with windows the
// questions and the result also show in message boxes, since the desktop program starts UpgradeDb
// detached and its terminal output is seen by nobody.
namespace brevalto {

// Returns the exit code: 0 when the archive was upgraded (or already current), 1 otherwise.
// windows needs a QApplication.
int runArchiveUpgrade(bool windows);

} // namespace brevalto
