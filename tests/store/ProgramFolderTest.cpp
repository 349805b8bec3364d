// Where the program keeps percorsoPa.txt and the default archive: the environment's choice, the
// executable's folder of a build, or the user's folder for an installed or read-only copy.
#include "store/ProgramFolder.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace brevalto;

TEST(ProgramFolderTest, ChoiceFollowsEnvironmentThenWritableBuildThenUserFolder) {
    const struct {
        const char* name;
        ProgramFolderFacts facts;
        const char* expected;
    } cases[] = {
        {"environment wins over everything",
         {"/srv/brevalto", "/opt/build", true, false, "/home/u/.local/share/Brevalto"},
         "/srv/brevalto/"},
        {"environment with a trailing slash",
         {"/srv/brevalto/", "/usr/bin", false, true, "/home/u/.local/share/Brevalto"},
         "/srv/brevalto/"},
        {"writable build folder",
         {"", "/opt/build", true, false, "/home/u/.local/share/Brevalto"},
         "/opt/build/"},
        {"read-only executable folder",
         {"", "/opt/build", false, false, "/home/u/.local/share/Brevalto"},
         "/home/u/.local/share/Brevalto/"},
        {"installed copy, even when its folder is writable (root)",
         {"", "/usr/bin", true, true, "/root/.local/share/Brevalto"},
         "/root/.local/share/Brevalto/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(chooseProgramFolder(c.facts), QString::fromUtf8(c.expected));
    }
}

TEST(ProgramFolderTest, AnInstalledCopyIsABinFolderBesideShareBrevalto) {
    test::TempFolder root;
    QDir(root.path()).mkpath("usr/bin");
    QDir(root.path()).mkpath("build/bin");
    QDir(root.path()).mkpath("usr/share/brevalto");
    EXPECT_TRUE(installedProgram(root.file("usr/bin")));
    EXPECT_FALSE(installedProgram(root.file("build/bin")));
    EXPECT_FALSE(installedProgram(root.file("usr/share")));
}

TEST(ProgramFolderTest, TheChosenFolderIsCreatedOnFirstUse) {
    test::TempFolder root;
    const QString home = root.file("nuova/cartella");
    const QByteArray saved = qgetenv("BREVALTO_HOME");
    qputenv("BREVALTO_HOME", home.toLocal8Bit());
    const QString folder = programFolder();
    if (saved.isNull())
        qunsetenv("BREVALTO_HOME");
    else
        qputenv("BREVALTO_HOME", saved);
    EXPECT_EQ(folder, home + "/");
    EXPECT_TRUE(QFileInfo(home).isDir());
}
