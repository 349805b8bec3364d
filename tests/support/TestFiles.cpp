#include "support/TestFiles.h"

#include "store/ArchiveCreator.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace brevalto::test {

QString sharedDir() {
    return QDir(QStringLiteral(BREVALTO_SHARED_DIR)).absolutePath();
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
