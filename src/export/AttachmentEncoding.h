#pragma once
// Base64 encoding of attached files, read piece by piece: an attachment of many megabytes is
// never held whole, and each export reads its own files (nothing is shared between two exports
// running at once: two workstations, the screen and the command line).
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

namespace brevalto {

// A file that went into the invoice: its name in the invoice, where it was read and its size.
struct AttachedFile {
    QString name;
    QString path; // symbolic links resolved
    qint64 size = 0;
};
using AttachedFiles = QList<AttachedFile>;

// The file an attachment path names, symbolic links resolved, when it may be attached: a regular
// file outside the system's virtual file systems (/proc, /sys, /dev, /run), whose "files" hold the
// process's environment, the machine's secrets or never end. Throws ExportError (an abort) naming
// the path otherwise, or when there is no file there.
QString attachableFile(const QString& path);

class Base64Reader {
public:
    // Opens the file. Throws ExportError (a failure) when it cannot be read, an abort when it is
    // not a regular file (checked on the file opened, so that it cannot be swapped in between).
    explicit Base64Reader(const QString& path);
    // The bytes read so far.
    qint64 bytesRead() const { return read_; }

    // The next piece of the file's base64 text: the pieces joined are the whole text, "=" filled,
    // on one line with no breaks. Empty once the whole file is given. Throws ExportError (a
    // failure) when the file cannot be read.
    QByteArray next();

private:
    [[noreturn]] void fail() const;

    QString path_;
    QFile input_;
    qint64 read_ = 0;
};

} // namespace brevalto
