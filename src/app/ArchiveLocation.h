#pragma once
// Where the archive is: "percorsoPa.txt" in the program folder holds its full path on one line.
// The file is written when it is missing or blank and when the user picks another archive.
#include <QString>

namespace brevalto {

struct ArchiveLocation {
    QString archivePath;      // the archive in use
    QString boxText;          // what the archive-path box shows (the file's text, or the new line)
    bool fileCreated = false; // "percorsoPa.txt" did not exist and was written
    bool fileRewritten = false; // it was blank and now holds the default path
};

QString pathFileName();       // "percorsoPa.txt"
QString defaultArchiveName(); // "archivioPa.mdb"
QString updateScriptName();   // "SQLAggio_qlv.sql"

// Reads "percorsoPa.txt" of the program folder (which ends with a separator). A missing or blank
// file is written with the program folder's default archive. The path is the first line that is
// not blank, without its line break. Throws DbError when the file cannot be written.
ArchiveLocation locateArchive(const QString& programFolder);

// Writes path as the one line of the program folder's "percorsoPa.txt"; a server address without
// its password. Throws DbError.
void saveArchivePath(const QString& programFolder, const QString& path);

// The folder of an archive path, with its trailing separator ("" when the path has none, and for
// a server address).
QString archiveFolder(const QString& archivePath);

// The connection text of an archive. The SQLite engine ignores it; it is kept because it records
// the database user, the workgroup file beside the archive, shared access and row-level locking
// that every workstation asks for.
QString composeConnectionString(const QString& archivePath);

} // namespace brevalto
