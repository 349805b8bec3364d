#pragma once
// Builds the whole invoice file in memory: the current document of TablePA_FE_Header and every
// row of TablePA_Body in the dataset's current order (filter and sort included), each body's child
// datasets re-queried in turn. Nothing is written to disk; the caller decides what to do with the
// text.
#include <QByteArray>
#include <QString>

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

// The file's text, UTF-8 with its declaration. Throws ExportError: an abort for a body without
// lines or VAT summaries, a missing attached file or a text XML cannot carry; a failure for an
// archive or file-system error. After the call TablePA_Body stands on the last body reached.
QByteArray buildInvoiceXml(DataModule& data);

} // namespace brevalto
