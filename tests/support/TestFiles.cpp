#include "support/TestFiles.h"

#include "store/ArchiveCreator.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <stdexcept>

namespace brevalto::test {

QString schemaErrors(const QString& path) {
    const QString schema = QStringLiteral(BREVALTO_SOURCE_DIR "/data/schema/");
    QProcess xmllint;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XML_CATALOG_FILES"), schema + QStringLiteral("catalog.xml"));
    xmllint.setProcessEnvironment(env);
    xmllint.start(QStringLiteral("xmllint"),
                  {"--nonet", "--noout", "--schema", schema + "Schema_VFPR12_v1.2.3.xsd", path});
    if (!xmllint.waitForStarted())
        return QStringLiteral("xmllint could not be started (scripts/setup installs it)");
    if (!xmllint.waitForFinished(120000))
        return QStringLiteral("xmllint did not finish");
    if (xmllint.exitStatus() == QProcess::NormalExit && xmllint.exitCode() == 0)
        return QString();
    return QString::fromLocal8Bit(xmllint.readAllStandardError());
}

QString readAndClose(std::FILE* stream) {
    std::rewind(stream);
    QByteArray bytes;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        bytes.append(buffer, qsizetype(n));
    std::fclose(stream);
    return QString::fromLocal8Bit(bytes).trimmed();
}

TempFolder::TempFolder() {
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString copyOfNewArchive(const TempFolder& folder, const QString& name) {
    static QTemporaryDir cache;
    static QString master;
    if (master.isEmpty()) {
        master = cache.filePath(QStringLiteral("master.mdb"));
        createArchive(master);
    }
    const QString target = folder.file(name);
    QFile::remove(target);
    if (!QFile::copy(master, target))
        throw std::runtime_error("cannot copy the test archive");
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                 QFile::WriteUser);
    return target;
}

} // namespace brevalto::test
