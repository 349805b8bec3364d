#pragma once
// The directory of public-administration offices (table PA_Amministrazioni_FatturaElettronica),
// loaded from the open-data files a user downloads from IndicePA: the comma-separated CSV of
// offices (current layout) or the TAB-separated serv_fatt.txt (older layout), optionally with the
// file of administrations, which gives their names and types. Columns are found by their heading,
// in any order and letter case, so a release that moves or adds columns still loads.
//
// The import replaces the whole directory in one transaction: a failure, or the user's "Annulla",
// leaves the previous directory as it was. The archive's settings row records when and from which
// file the directory was last loaded.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

namespace brevalto {

class Connection;

namespace ipa {

// What no file of the directory holds, and so refuses a file (the previous directory kept):
// - a line longer than kMaxLineLength characters (bytes, as read): a row is some twenty fields
//   of codes, names and an address, a few hundred characters; 64 Ki leaves a wide margin for
//   columns a later release adds and is checked while the file is read, so a file of one 2 GB
//   line is refused after its first 64 KiB instead of being read whole;
// - a field the directory stores longer than kMaxFieldLength characters: names of offices and
//   administrations and addresses are far shorter (the finder copies 80 and 60 of them);
// - a quoted field going on over more than kMaxFieldBreaks line breaks, or never closed: a stray
//   quote would otherwise swallow the rows after it into one field;
// - more line breaks inside quoted fields than kMaxFieldBreaks or one line in a hundred of the
//   file, whichever is more: the rows read would be far fewer than the file's lines.
constexpr qsizetype kMaxLineLength = 65536;
constexpr qsizetype kMaxFieldLength = 1000;
constexpr int kMaxFieldBreaks = 4;

// A file that cannot be read, or that is not one of the directory's files. unreadable tells the
// two apart (the command line answers them with different exit codes).
class FileError : public std::runtime_error {
public:
    FileError(const QString& text, bool unreadable)
        : std::runtime_error(text.toStdString()), text_(text), unreadable_(unreadable) {}
    const QString& text() const { return text_; }
    bool unreadable() const { return unreadable_; }

private:
    QString text_;
    bool unreadable_;
};

struct ImportReport {
    QString layout;     // "CSV" or "TAB"
    int read = 0;       // office rows in the file (blank lines not counted)
    int imported = 0;   // rows written
    int noCode = 0;     // skipped: no office code
    int badCode = 0;    // skipped: an office code that is not six letters or digits
    int duplicate = 0;  // skipped: an office code already read earlier in the file
    int malformed = 0;  // skipped: a row whose number of fields differs from the headings
    int noComune = 0;   // imported, but their municipality is not in Comuni
    int noEnteName = 0; // imported without the administration's name
    bool cancelled = false;
    // The summary shown to the user, in Italian, one fact a line.
    QString text() const;
    int skipped() const { return noCode + badCode + duplicate + malformed; }
};

// Told the rows done out of the total now and then; returning false cancels the import.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Replaces the directory in the open archive with the offices of officesPath (and the names and
// types of entiPath, when given). Throws FileError for a file that cannot be read or whose
// headings are not recognised (the archive untouched), DbError when the archive refuses the
// change (nothing of it kept). A cancelled import returns with cancelled set and changes nothing.
ImportReport importDirectory(Connection& connection, const QString& officesPath,
                             const QString& entiPath = QString(), const Progress& progress = {});

// When and from which file(s) the directory was last loaded; an invalid time when never.
struct LastLoad {
    QDateTime when;
    QString files;
};
LastLoad lastLoad(Connection& connection);
// "Elenco aggiornato al 10/12/2026 17:05 (file serv_fatt.txt)", or what is known otherwise.
QString lastLoadText(Connection& connection);

// Splits a delimited text into records of fields: a quoted field may hold the delimiter, doubled
// quotes and up to kMaxFieldBreaks line breaks; lines end in LF, CRLF or CR; blank lines give no
// record. Throws FileError for a quote never closed or a field over the limits above.
QList<QStringList> parseDelimited(const QString& text, QChar delimiter);

} // namespace ipa
} // namespace brevalto
