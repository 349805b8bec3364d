#include "store/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace brevalto {

QString programFolder() {
    QString folder = qEnvironmentVariable("BREVALTO_HOME");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    folder = QDir(folder).absolutePath();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace brevalto
