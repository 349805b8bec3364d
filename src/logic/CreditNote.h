#pragma once
// A credit note for an invoice that is issued and may not be sent again: a new Document for the
// same seller and customer (the header's parties copied, the next number and transmission
// progressive), with one body of TipoDocumento TD04 dated today that refers, in Dati Fatture
// Collegate, to the number and date of every body of the invoice. Its lines, its number and its
// amounts are the user's to write: a credit note may cancel all of the invoice or a part.
namespace brevalto {

class DataModule;

// Adds the credit note for the current Document of TablePA_FE_Header (the invoice's bodies read
// from the archive) in one write transaction and returns its number; the register stays on the
// invoice, whose bodies the screens may have open. Throws DbError, with nothing written.
int addCreditNote(DataModule& db);

} // namespace brevalto
