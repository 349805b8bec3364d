#pragma once
// Sending a rejected Document again. The exchange system deems the invoice of a rejected file not
// issued: it is sent again with the same number and date, preferably within five days of the
// rejection, in a file whose name was never used (a rejected file's name is refused as a
// duplicate). The Document gets a new transmission progressive, never given before, and its new
// file is written; the rejected file's record and its notifications stay in the history. A
// Document whose invoice counts as issued (delivered, in the customer's reserved area, accepted,
// refused, expired, attested) is never sent again: a credit note corrects it.
#include "export/ExportDriver.h"

#include <QDate>
#include <QString>

namespace brevalto {
class DataModule;
class Prompt;
} // namespace brevalto

namespace brevalto::receipts {

struct ReissueResult {
    bool written = false;
    QString message;         // what the user is told, in Italian
    QString fileName;        // the new file's name
    QDate deadline;          // the re-issue deadline (five days from the rejection)
    bool creditNote = false; // the Document may not be sent again: a credit note is the way
    bool shown = false;      // the export ran and showed its own messages
};

// Gives the current Document of data (TablePA_FE_Header, bodies loaded) a new progressive and
// writes its file into folder, the pre-send check run as checkMode says. Refused unless the
// Document's file was rejected.
ReissueResult reissue(DataModule& data, Prompt& prompt, const QString& folder,
                      ExportDriver::CheckMode checkMode = ExportDriver::CheckMode::Ask);

} // namespace brevalto::receipts
