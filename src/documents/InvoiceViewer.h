#pragma once
// The readable copy of an invoice in a print preview: "Stampa" prints it, "Salva PDF" writes it
// as a PDF file, and the files attached inside the invoice can be saved to disk. For a file
// opened from disk the window also shows who signed it (for a .p7m) and the findings of the
// pre-send check.
#include "check/Finding.h"
#include "check/SignedFile.h"
#include "render/InvoiceRender.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPrintPreviewWidget;
class QPrinter;
class QPushButton;
class QTableWidget;

namespace brevalto {

class DataModule;

class InvoiceViewer : public QDialog {
    Q_OBJECT
public:
    InvoiceViewer(render::RenderedInvoice invoice, const QString& pdfName,
                  QWidget* parent = nullptr);
    ~InvoiceViewer() override;

    // The signature of a signed file: who signed it, when, with which certificate, above the
    // preview and on the first page of the copy. A signature that does not match the content is
    // said in large letters above the preview and first thing on the copy.
    void setSignature(const check::SignedFile& signature);
    // The pre-send check's findings; an empty list says "Nessun errore rilevato".
    void setFindings(const check::Findings& findings);

    // "Salva PDF": asks where (the name proposed), writes the file.
    void salvaPdf();
    // "Salva allegato": the attachment selected in the list.
    void salvaAllegato();
    void stampa();

    const render::RenderedInvoice& invoice() const { return invoice_; }
    QPrintPreviewWidget* preview() const { return preview_; }
    QListWidget* attachmentList() const { return attachments_; }
    QTableWidget* findingsTable() const { return findings_; }
    QLabel* signatureLabel() const { return signature_; }
    QLabel* checkLabel() const { return checkCaption_; }

    static const QString kPdfDialogTitle;
    static const QString kAttachmentDialogTitle;

private:
    render::RenderedInvoice invoice_;
    QString pdfName_;
    QPrinter* printer_;
    QLabel* signature_;
    QPrintPreviewWidget* preview_;
    QLabel* checkCaption_;
    QTableWidget* findings_;
    QListWidget* attachments_;
    QPushButton* saveAttachment_;
};

// "Apri fattura…": asks for a .xml or .xml.p7m file, reads it (opening the signature), checks it
// and shows it. db gives the code lists in words when an archive is open (may be null).
void apriFattura(DataModule* db, QWidget* parent);
// Opens the given file as apriFattura does, without the dialog.
void showInvoiceFile(const QString& path, DataModule* db, QWidget* parent);
// Shows a Document's file built in memory (its name as the export would write it) with what the
// check found in it; a file the readable copy cannot be made of is said and nothing is shown.
void showDocumentPreview(DataModule& db, const QByteArray& xml, const QString& xmlFileName,
                         const check::Findings& findings, QWidget* parent);

} // namespace brevalto
