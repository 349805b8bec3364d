#include "store/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace brevalto {

namespace {

QString withSlash(const QString& folder) {
    const QString absolute = QDir(folder).absolutePath();
    return absolute.endsWith(QLatin1Char('/')) ? absolute : absolute + QLatin1Char('/');
}

// Whether a file can really be created in folder (the permission bits alone do not say it on a
// read-only mount or for root).
bool canCreateFiles(const QString& folder) {
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".brevalto-XXXXXX")));
    return probe.open();
}

} // namespace

QString chooseProgramFolder(const ProgramFolderFacts& facts) {
    if (!facts.home.isEmpty())
        return withSlash(facts.home);
    if (facts.executableFolderWritable && !facts.installed)
        return withSlash(facts.executableFolder);
    return withSlash(facts.userDataFolder);
}

bool installedProgram(const QString& executableFolder) {
    const QDir bin(executableFolder);
    return bin.dirName() == QLatin1String("bin") &&
           QFileInfo(bin.filePath(QStringLiteral("../share/brevalto"))).isDir();
}

QString userDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Brevalto");
}

QString programFolder() {
    ProgramFolderFacts facts;
    facts.home = qEnvironmentVariable("BREVALTO_HOME");
    facts.executableFolder = QCoreApplication::applicationDirPath();
    facts.installed = installedProgram(facts.executableFolder);
    facts.executableFolderWritable =
        facts.home.isEmpty() && !facts.installed && canCreateFiles(facts.executableFolder);
    facts.userDataFolder = userDataFolder();
    const QString folder = chooseProgramFolder(facts);
    QDir().mkpath(folder);
    return folder;
}

} // namespace brevalto
