#pragma once
// The readable Italian copy of a FatturaPA 1.2 file, made from the bytes of the file alone, so
// that our own exports and the files received from suppliers read the same: parties, transmission
// data, and for each invoice of the file its lines, VAT summary, withholding, pension fund, stamp
// duty, payment terms, linked documents, causali, attachments and totals. Codes are shown with
// their words from the code lists.
#include "check/SignedFile.h"
#include "render/CodeLists.h"
#include "render/PrintDocument.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace brevalto::render {

// A file attached inside an invoice (Allegati), decoded.
struct Attachment {
    int body = 0; // 1-based invoice of the file
    QString name; // as the file writes it
    QString format;
    QString description;
    QByteArray data;
    // A name safe to propose in a save dialog: no folders, no characters a file system refuses.
    QString fileName() const;
};

struct RenderedInvoice {
    // False when the bytes are not a FatturaPA file; error says why in Italian.
    bool ok = false;
    QString error;
    PrintDocument document;
    QList<Attachment> attachments;
    // "Fattura n. 12 del 18/12/2026": the first invoice of the file, for titles and file names.
    QString title;
};

RenderedInvoice renderInvoice(const QByteArray& xml, const CodeLists& codes = CodeLists::shipped());

// What the copy of a signed file says, above everything else on its first page and at the foot
// of every page, when the signature does not match the content.
extern const QString kSignatureNotIntact;
void warnSignatureNotIntact(RenderedInvoice& invoice);

// The signature of a signed file on the first page of its copy, below the title: who signed it
// and when, the certificate's issuer and validity, and whether the signature matches the content
// (when it does not, also the warning above). Called once per copy.
void showSignature(RenderedInvoice& invoice, const check::SignedFile& signature);

// An amount as the file writes it ("1234.5") in Italian ("1.234,50"); at least two decimals,
// never rounded. A text that is no number comes back as it is.
QString italianAmount(const QString& text);
// "2026-12-18" → "18/12/2026"; other texts unchanged.
QString italianDate(const QString& text);

} // namespace brevalto::render
