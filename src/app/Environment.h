#pragma once
// What the shell needs from the world outside the archive: the program folder, the upgrade
// program and the ways to end the process, start another program and wait. The desktop uses the
// real ones; tests pass their own to observe them.
#include <QString>
#include <functional>

namespace brevalto {

struct Environment {
    QString programFolder;  // ends with a separator
    QString upgradeProgram; // full path of the archive upgrade program
    std::function<void()> endProgram;
    // Starts a program without arguments and without waiting; false when it could not start.
    std::function<bool(const QString& program)> startProgram;
    std::function<void(int milliseconds)> pause;

    // The program folder of programFolder(), "UpgradeDb" beside the executable, quitting the
    // application, a detached process and a sleep.
    static Environment desktop();
};

} // namespace brevalto
