#pragma once
// The sections of the invoice file, each written from its rows in schema order. Used by the
// invoice builder; every function appends to the element that is open on the writer.
#include "export/AttachmentEncoding.h"
#include "export/RowAccess.h"
#include "export/XmlOut.h"

namespace brevalto {

class DataModule;

// FatturaElettronicaHeader from the document row.
void writeHeader(XmlOut& x, const Row& document);

// DatiGenerali of the current body, from the body row and the body's child datasets.
void writeGeneralData(XmlOut& x, DataModule& data, const Row& body, int bodyId);
// The DettaglioLinee of the current body (inside the open DatiBeniServizi). Throws an abort when
// the body has none.
void writeLines(XmlOut& x, DataModule& data, int bodyId);
// The DatiRiepilogo of the current body (inside the open DatiBeniServizi).
void writeSummaries(XmlOut& x, DataModule& data);
// DatiVeicoli, when the body's flag is set.
void writeVehicles(XmlOut& x, const Row& body);
// DatiPagamento, one per payment row, with their instalments.
void writePayments(XmlOut& x, DataModule& data, int bodyId);
// Allegati, one per attachment row with a path. Throws an abort when a file is missing.
void writeAttachments(XmlOut& x, DataModule& data, AttachedFiles* attached);

// Blocks shared by several parties.
struct NameColumns {
    QString denominazione, nome, cognome, titolo, codEori;
};
// The name columns of a party whose columns share a prefix (prefix + "Denominazione", ...).
NameColumns nameColumns(const QString& prefix, const QString& eoriColumn);
// The children of an Anagrafica: the denomination alone, or the person's name elements.
void writeNameBlock(XmlOut& x, const Row& row, const NameColumns& columns);
// IdFiscaleIVA with its country and code.
void writeVatId(XmlOut& x, const QString& country, const QString& code);
// What follows a party's IdFiscaleIVA: its tax code in capitals, when given, and its Anagrafica.
void writeTaxCodeAndName(XmlOut& x, const Row& row, const QString& taxCodeColumn,
                         const NameColumns& names);
// The children of an address (Sede, StabileOrganizzazione, IndirizzoResa): prefix + suffix.
void writeAddressBlock(XmlOut& x, const Row& row, const QString& prefix);

// A text element written only when the text is not empty.
inline void elementIfText(XmlOut& x, const QString& name, const QString& text) {
    if (!text.isEmpty())
        x.element(name, text);
}

} // namespace brevalto
