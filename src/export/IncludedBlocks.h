#pragma once
// The blocks of an invoice that are written only while their "Includi" column is ticked: the
// seller's and the buyer's optional blocks in the Document's header, the transport data, stamp
// duty, main invoice and vehicles in a body. Data typed into a block that is not included never
// reach the file: the screens tick a block when something is typed into it, and the pre-send
// check points out a block that holds data but is left out.
#include "check/Finding.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace brevalto {

class DataModule;
class Dataset;

struct IncludedBlock {
    QString flag;        // the "Includi" column
    QString caption;     // how the user knows the block
    QStringList columns; // the columns it writes
    QString parent = {}; // the block it is written inside, when it has one
    QString screen = {}; // where it is typed (for the findings of the check)
};

// The blocks of PA_FE_Header (the same column names serve the master seller and customer).
const QList<IncludedBlock>& headerBlocks();
// The blocks of PA_FE_Body.
const QList<IncludedBlock>& bodyBlocks();

// Whether the row holds something in the block's own columns. A country alone is no data: screens
// fill it in by themselves.
bool holdsData(const Dataset& rows, int row, const IncludedBlock& block);

// Findings (code kWarningCode) for the blocks of the current Document and of its bodies
// (TablePA_Body) that hold data but are not written, because they or the block they sit in are
// not included.
check::Findings excludedBlockFindings(DataModule& data);

// The code of a finding that warns of data left out of the file: the exchange system does not
// reject the file for it.
extern const QString kWarningCode;
bool isWarning(const check::Finding& finding);

} // namespace brevalto
