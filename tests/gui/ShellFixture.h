#pragma once
// A program folder of its own, the scripted prompt and an environment that records what the
// program asked the outside world (ending, starting the upgrade program, pausing), for tests that
// drive the real main window through its start-up.
#include "app/Environment.h"
#include "app/MainWindow.h"
#include "app/Screens.h"
#include "store/Connection.h"
#include "store/DataModule.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"

#include <QStringList>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>

namespace brevalto::test {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString programFolder() const { return folder.path() + QLatin1Char('/'); }
    QString defaultArchive() const { return programFolder() + QStringLiteral("archivioPa.mdb"); }
    // A new archive with the reference data at the default place, or at path.
    QString makeArchive(const QString& path = QString());
    void writeFile(const QString& path, const QByteArray& bytes);
    QByteArray readFile(const QString& path) const;
    // Runs statements on an archive through a connection of the test's own.
    void sql(const QString& archive, const QString& statement);
    QVariant scalar(const QString& archive, const QString& query);

    Environment environment();
    // Creates every screen (as the program does at launch).
    Screens& launch();
    // Creates the screens and runs the start-up sequence; true when the program is ready.
    bool start();
    // Ends the current run (the screens are destroyed, as at process end).
    void stop() { screens.reset(); }

    MainWindow& window() const { return screens->mainWindow(); }
    DataModule& dm() const { return screens->dataModule(); }

    TempFolder folder;
    ScriptedPrompt prompt;
    int ended = 0;
    QStringList started;
    QList<int> pauses;
    // What the upgrade launcher does besides recording; by default it succeeds.
    std::function<bool(const QString&)> upgradeRunner;
    std::unique_ptr<Screens> screens;
};

} // namespace brevalto::test
