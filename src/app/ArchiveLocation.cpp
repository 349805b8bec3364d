#include "app/ArchiveLocation.h"

#include "store/ArchiveAddress.h"
#include "store/DbError.h"
#include "store/SystemText.h"
#include "store/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace brevalto {

QString pathFileName() {
    return QStringLiteral("percorsoPa.txt");
}
QString defaultArchiveName() {
    return QStringLiteral("archivioPa.mdb");
}
QString updateScriptName() {
    return QStringLiteral("SQLAggio_qlv.sql");
}

namespace {

QString firstNonBlankLine(const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            return line;
    }
    return {};
}

} // namespace

void saveArchivePath(const QString& programFolder, const QString& location) {
    // A password given in a server address serves this session only: it is never written down.
    const QString path = locationWithoutPassword(location);
    const QString fileName = programFolder + pathFileName();
    QString why;
    if (!writeWholeFile(fileName, (path + QLatin1Char('\n')).toUtf8(), &why))
        throw DbError(QStringLiteral("Impossibile scrivere il file %1: %2")
                          .arg(QDir::toNativeSeparators(fileName), why));
}

ArchiveLocation locateArchive(const QString& programFolder) {
    ArchiveLocation location;
    const QString fileName = programFolder + pathFileName();
    const QString defaultPath = programFolder + defaultArchiveName();
    QFile file(fileName);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            throw DbError(
                QStringLiteral("Impossibile leggere il file %1: %2")
                    .arg(QDir::toNativeSeparators(fileName), italianReason(file.errorString())));
        const QString text = QString::fromUtf8(file.readAll());
        file.close();
        location.boxText = text;
        while (location.boxText.endsWith(QLatin1Char('\n')) ||
               location.boxText.endsWith(QLatin1Char('\r')))
            location.boxText.chop(1);
        location.archivePath = firstNonBlankLine(text);
        if (!location.archivePath.isEmpty())
            return location;
        location.fileRewritten = true;
    } else {
        location.fileCreated = true;
    }
    location.archivePath = defaultPath;
    location.boxText = defaultPath;
    saveArchivePath(programFolder, defaultPath);
    return location;
}

QString archiveFolder(const QString& archivePath) {
    if (isServerAddress(archivePath))
        return {};
    const qsizetype slash =
        qMax(archivePath.lastIndexOf(QLatin1Char('/')), archivePath.lastIndexOf(QLatin1Char('\\')));
    return slash < 0 ? QString() : archivePath.left(slash + 1);
}

QString composeConnectionString(const QString& archivePath) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;User ID=dorn vas kelip;Data Source=") +
           archivePath +
           QStringLiteral(";Password=dorn vas kelip;Mode=Share Deny None;Extended Properties='';"
                          "Jet OLEDB:System database=") +
           archiveFolder(archivePath) + QStringLiteral("wkq.mdw;") +
           QStringLiteral(
               "Jet OLEDB:Registry Path='';Jet OLEDB:Database Password='';Jet OLEDB:Engine "
               "Type=5;Jet OLEDB:Database Locking Mode=1;Jet OLEDB:Global Partial Bulk Ops=2;Jet "
               "OLEDB:Global Bulk Transactions=1;Jet OLEDB:New Database Password='';Jet "
               "OLEDB:Create System Database=False;Jet OLEDB:Encrypt Database=False;Jet "
               "OLEDB:Don't Copy Locale on Compact=False;Jet OLEDB:Compact Without Replica "
               "Repair=False;Jet OLEDB:SFP=False");
}

} // namespace brevalto
