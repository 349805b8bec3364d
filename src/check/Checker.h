#pragma once
// The pre-send check: takes the bytes of a FatturaPA 1.2 file and finds what the exchange system
// would reject without needing any outside database: the file name (00001), its size (00003),
// an empty file (00106), the official 1.2.3 schema (00200, 00201) and the content rules
// 00400-00476. The schema ships inside the program; nothing is read from the network.
#include "check/Finding.h"
#include "check/SignedFile.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <memory>

namespace brevalto::check {

// The largest file the exchange system takes: a bigger one is refused (00003) before any other
// check, so checkInvoice reports the name and the size only.
constexpr qint64 kMaxFileSize = 5 * 1024 * 1024;
// The 00003 finding of a file of `size` bytes.
Finding tooLargeFinding(qint64 size);

struct Options {
    // The day the date rules take as "today" (the day the SdI would receive the file); an
    // invalid date means the current day.
    QDate today;
    // The name of the file (without folder) for the naming rule; empty skips the rule.
    QString fileName;
};

// Findings in file order: naming first, then the size, then schema errors, then content rules
// body by body.
// A file over kMaxFileSize gets the naming findings and 00003 only, as the exchange system reads
// no further.
Findings checkInvoice(const QByteArray& bytes, const Options& options = {});
// The same read whole whatever its size: for a received file being imported, which needs the
// schema's word on all of it.
Findings checkInvoiceWhole(const QByteArray& bytes, const Options& options = {});

// The same check on a file given piece by piece as it is written, in memory that does not grow
// with the lines of its bodies: for text this program writes itself, which never holds what the
// screening of checkInvoice looks for (declarations, entities, deep nesting) and is never blank.
// The name is not checked (options.fileName is not read).
class InvoiceCheck {
public:
    explicit InvoiceCheck(const Options& options = {});
    ~InvoiceCheck();
    InvoiceCheck(const InvoiceCheck&) = delete;
    InvoiceCheck& operator=(const InvoiceCheck&) = delete;

    // The next bytes of the file.
    void add(const char* data, qsizetype size);
    // The end of the file, and its findings.
    Findings finish();

private:
    struct State;
    std::unique_ptr<State> d_;
};

// The content of an opened signed file, checked as the same file unsigned; a signature that does
// not match its content comes first, as 00102 naming the signer. A signed file over kMaxFileSize
// gets the naming findings and 00003 only.
Findings checkSignedInvoice(const SignedFile& file, const Options& options = {});

// The naming rule alone (00001) on a file name without folder.
Findings checkFileName(const QString& name);

} // namespace brevalto::check
