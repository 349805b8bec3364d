#pragma once
// Base64 encoding of attached files, read piece by piece: an attachment of many megabytes is
// never held whole, and each export reads its own files (nothing is shared between two exports
// running at once: two workstations, the screen and the command line).
#include <QByteArray>
#include <QFile>
#include <QString>

namespace brevalto {

class Base64Reader {
public:
    // Opens the file. Throws ExportError (a failure) when it cannot be read.
    explicit Base64Reader(const QString& path);

    // The next piece of the file's base64 text: the pieces joined are the whole text, "=" filled,
    // on one line with no breaks. Empty once the whole file is given. Throws ExportError (a
    // failure) when the file cannot be read.
    QByteArray next();

private:
    [[noreturn]] void fail() const;

    QString path_;
    QFile input_;
};

} // namespace brevalto
