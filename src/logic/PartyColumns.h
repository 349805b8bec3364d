#pragma once
// Which columns of the master parties are copied into a Document. A Document keeps its own copy
// of every party, so that it still shows the data that were valid when it was made; the columns
// keep the same names in the master tables and in PA_FE_Header.
#include <QList>
#include <QString>
#include <QStringList>

namespace brevalto {

class Dataset;

// An address or registration block that a party may or may not use, switched by a flag column.
struct OptionalBlock {
    QString flag;
    QStringList columns;
};

// The seller's identity, registration and head office.
const QStringList& sellerColumns();
// The seller's permanent establishment, REA registration and contacts.
const QList<OptionalBlock>& sellerBlocks();
// The buyer's identity and head office (the VAT number is copied on its own).
const QStringList& buyerColumns();
// The buyer's permanent establishment and fiscal representative, copied with their flags.
// (The identity columns of every party: store/PartyIdentity.h.)
const QList<OptionalBlock>& buyerBlocks();

// target[column] := source[column] for each column; target must be in edit state.
void copyColumns(Dataset& target, const Dataset& source, const QStringList& columns);

} // namespace brevalto
