#pragma once
// The pre-send check: takes the bytes of a FatturaPA 1.2 file and finds what the exchange system
// would reject without needing any outside database: the file name (00001), an empty file
// (00106), the official 1.2.3 schema (00200, 00201) and the content rules 00400-00476. The schema
// ships inside the program; nothing is read from the network.
#include "check/Finding.h"
#include "check/SignedFile.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace brevalto::check {

struct Options {
    // The day the date rules take as "today" (the day the SdI would receive the file); an
    // invalid date means the current day.
    QDate today;
    // The name of the file (without folder) for the naming rule; empty skips the rule.
    QString fileName;
};

// Findings in file order: naming first, then schema errors, then content rules body by body.
Findings checkInvoice(const QByteArray& bytes, const Options& options = {});

// The content of an opened signed file, checked as the same file unsigned; a signature that does
// not match its content comes first, as 00102 naming the signer.
Findings checkSignedInvoice(const SignedFile& file, const Options& options = {});

// The naming rule alone (00001) on a file name without folder.
Findings checkFileName(const QString& name);

} // namespace brevalto::check
