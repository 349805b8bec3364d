#pragma once
// Writes the invoice file: the current document of TablePA_FE_Header and every row of TablePA_Body
// in the dataset's current order (filter and sort included), each body's child datasets re-queried
// in turn (the lines, read one at a time, are left to be read when next used).
#include "export/AttachmentEncoding.h"

#include <QByteArray>
#include <QString>

class QIODevice;

namespace brevalto {

class DataModule;

namespace fattura {
// Namespaces declared on the root element.
inline const QString kNamespace =
    QStringLiteral("http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2");
inline const QString kSignatureNamespace = QStringLiteral("http://www.w3.org/2000/09/xmldsig#");
inline const QString kInstanceNamespace =
    QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");

inline const QString kNoBodiesMessage =
    QStringLiteral("Inserire il corpo della fattura prima di poter procedere!");
inline const QString kNoLinesMessage =
    QStringLiteral("Attenzione mancano le Righe di dettaglio della fattura! Prego inserirle");
inline const QString kNoSummariesMessage =
    QStringLiteral("Attenzione mancano le Righe di riepilogo della fattura! Prego inserirle");
} // namespace fattura

// Writes the file's text, UTF-8 with its declaration, to device (open for writing) as it is built.
// Throws ExportError: an abort for a body without lines or VAT summaries, a missing attached file
// or a text XML cannot carry; a failure for an archive or file-system error (what was written
// before it is incomplete). After the call TablePA_Body stands on the last body reached.
// Every file attached is added to *attached when given.
void writeInvoiceXml(DataModule& data, QIODevice& device, AttachedFiles* attached = nullptr);
// The same text in memory.
QByteArray buildInvoiceXml(DataModule& data, AttachedFiles* attached = nullptr);

} // namespace brevalto
