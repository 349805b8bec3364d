#pragma once
// The pre-send check of the current Document of the archive. Its file is built in memory by the
// export's own code (nothing is written), the bytes go through the checker, and the archive adds
// what only it knows: a ProgressivoInvio already used by another exported Document (the file
// would have the same name, 00002) and an invoice number already used in the same year by another
// Document of the same seller (00404); and, as warnings (isWarning), the blocks that hold data
// left out of the file because their "Includi" is not ticked. Every finding names the screen and
// field that hold its value, where the archive has one.
#include "check/Checker.h"
#include "check/Finding.h"

#include <QByteArray>
#include <QDate>
#include <QIODevice>

namespace brevalto {

class DataModule;

// The largest file the exchange system takes: a bigger one is refused (00003) before any other
// check.
constexpr qint64 kMaxInvoiceFileSize = check::kMaxFileSize;
using check::tooLargeFinding;

// The device the export writes a checked file through: every byte goes on to `out` (none when
// null) and into the check as it passes, so that neither the text nor a tree of it is ever held
// whole. Past kMaxInvoiceFileSize the check stops and the bytes are only counted: the file is
// refused for its size whatever else it holds. A refused write to `out` is refused here too
// (the device's object name is then the file's).
class CheckedOutput : public QIODevice {
public:
    explicit CheckedOutput(QIODevice* out, QDate today = {});
    bool isSequential() const override { return true; }
    qint64 written() const { return written_; }
    bool tooLarge() const { return written_ > kMaxInvoiceFileSize; }
    // The findings of the text written (nothing said about the name; empty when too large).
    check::Findings finish();

protected:
    qint64 writeData(const char* data, qint64 size) override;
    qint64 readData(char*, qint64) override { return -1; }

private:
    QIODevice* out_;
    check::InvoiceCheck check_;
    qint64 written_ = 0;
};

// Builds and checks the current Document of TablePA_FE_Header with the bodies of TablePA_Body,
// the file name included (the one the export proposes); a file too large gives the findings of
// the name and 00003 only. Throws ExportError and DbError as buildInvoiceXml does. today: see
// check::Options.
check::Findings checkCurrentDocument(DataModule& data, QDate today = {});
// The same on a file text already built for the current Document, to be written under fileName
// (without folder; empty: the name the export proposes).
check::Findings checkDocumentText(DataModule& data, const QByteArray& xml, QDate today = {},
                                  const QString& fileName = {});
// The same around the findings of the file's text, found already (by a CheckedOutput).
check::Findings documentFindings(DataModule& data, check::Findings textFindings,
                                 const QString& fileName = {});

// The name the export gives the current Document's file: the transmitter's country code and
// upper-case code, as the file carries them in DatiTrasmissione/IdTrasmittente, "_", the
// five-character progressive, ".xml". The exchange system reads the sender from the name.
QString documentFileName(DataModule& data);
// The naming rule (00001) for a file of the current Document: the format, and the transmitter
// the file carries at the start of the name. Empty when the name is right.
check::Findings fileNameFindings(DataModule& data, const QString& fileName);

// The archive's own findings for the current Document.
check::Findings archiveFindings(DataModule& data);
// Fills screen and field of each finding from its element path.
void locateFields(check::Findings& findings);

// The findings as lines "CODE  ELEMENT: MESSAGE", at most max of them, then how many more.
QString findingsText(const check::Findings& findings, int max = 15);

} // namespace brevalto
