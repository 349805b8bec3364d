#pragma once
// ZIP archives of invoice files for the upload page of the Agenzia delle Entrate's portal, which
// takes a ZIP of FatturaPA files (plain .xml or signed .xml.p7m) and passes each file inside to
// the exchange system. The limits kept:
// - one invoice file at most kMaxFileSize bytes: a larger one is refused with 00003, as the
//   exchange system refuses it;
// - one ZIP at most kMaxZipSize bytes, the size the portal's upload takes: the files are split
//   over as many ZIPs as needed, each measured as libzip will write it;
// - the files at the top of the ZIP (no folders), each under its own name following the naming
//   rule (00001), no name twice; the ZIP itself named by the same rule with ".zip"
//   (IT01234567890_Z0001.zip), the following ZIPs by raising its progressive.
// The ZIPs are written by libzip, all or none: they appear under their names only once every one
// is complete.
#include "check/Finding.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace brevalto::portal {

inline constexpr qint64 kMaxFileSize = 5'000'000;
inline constexpr qint64 kMaxZipSize = 5'000'000;

struct Refused {
    QString file;
    check::Finding finding; // 00003 (size), 00001 (name) or why it cannot be read
};

struct ZipResult {
    QStringList archives;        // written, in order
    QList<QStringList> contents; // the names inside each archive
    QList<Refused> refused;      // files left out, with the reason
    QString error;               // nothing written: why
    bool ok() const { return error.isEmpty(); }
};

// The naming rule for a ZIP given to the exchange system; empty when the name is right.
check::Findings zipNameFindings(const QString& name);
// The name with its progressive raised by one: IT01234567890_Z0009.zip → ..._Z0010.zip. Empty
// when the progressive cannot grow within its five characters.
QString nextZipName(const QString& name);
// The name proposed for a new ZIP of a transmitter ("IT01234567890") in folder: "_Z" and four
// digits, the first number whose file is not in the folder.
QString proposedZipName(const QString& folder, const QString& transmitter);

// Packs files into ZIPs: the first at zipPath, the next ones beside it under the following
// names. A file over the limit, with a name the exchange system refuses, of a name already packed,
// or that cannot be read, is left out and listed; the others are packed in the order given. An
// existing ZIP is replaced only with replace (otherwise nothing is written); nothing is written
// either when no file is left to pack.
ZipResult packForPortal(const QStringList& files, const QString& zipPath, bool replace);

// "FILE: CODE MESSAGE" per file left out, one a line.
QString refusedText(const QList<Refused>& refused);

} // namespace brevalto::portal
