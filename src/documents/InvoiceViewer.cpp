#include "documents/InvoiceViewer.h"

#include "check/Checker.h"
#include "render/InvoiceFile.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "store/WholeFile.h"
#include "ui/GuardedAction.h"
#include "ui/ReadOnlyTable.h"
#include "ui/ScreenHost.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace brevalto {

const QString InvoiceViewer::kPdfDialogTitle = QStringLiteral("Salva PDF");
const QString InvoiceViewer::kAttachmentDialogTitle = QStringLiteral("Salva allegato");

InvoiceViewer::InvoiceViewer(render::RenderedInvoice invoice, const QString& pdfName,
                             QWidget* parent)
    : QDialog(parent), invoice_(std::move(invoice)), pdfName_(pdfName),
      printer_(new QPrinter(QPrinter::HighResolution)) {
    setObjectName(QStringLiteral("frmAnteprima"));
    setWindowTitle(invoice_.title.isEmpty() ? tr("Fattura") : invoice_.title);
    render::PrintDocument::setUpA4(*printer_);
    printer_->setDocName(invoice_.title);

    auto* layout = new QVBoxLayout(this);
    signature_ = new QLabel(this);
    signature_->setObjectName(QStringLiteral("lblFirma"));
    signature_->setWordWrap(true);
    signature_->hide();
    layout->addWidget(signature_);

    auto* tools = new QHBoxLayout;
    auto* print = new QPushButton(tr("Stampa"), this);
    print->setObjectName(QStringLiteral("spdStampa"));
    auto* pdf = new QPushButton(tr("Salva PDF"), this);
    pdf->setObjectName(QStringLiteral("spdSalvaPdf"));
    auto* zoomIn = new QPushButton(tr("Ingrandisci"), this);
    zoomIn->setObjectName(QStringLiteral("spdIngrandisci"));
    auto* zoomOut = new QPushButton(tr("Riduci"), this);
    zoomOut->setObjectName(QStringLiteral("spdRiduci"));
    auto* back = new QPushButton(tr("Indietro"), this);
    back->setObjectName(QStringLiteral("spdIndietro"));
    tools->addWidget(back);
    tools->addWidget(print);
    tools->addWidget(pdf);
    tools->addWidget(zoomIn);
    tools->addWidget(zoomOut);
    tools->addStretch();
    layout->addLayout(tools);

    auto* split = new QSplitter(Qt::Horizontal, this);
    preview_ = new QPrintPreviewWidget(printer_, split);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setAccessibleName(tr("Anteprima della fattura"));
    connect(preview_, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* printer) { invoice_.document.paint(*printer); });
    split->addWidget(preview_);

    auto* side = new QWidget(split);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    checkCaption_ = new QLabel(side);
    checkCaption_->setObjectName(QStringLiteral("lblControllo"));
    checkCaption_->setWordWrap(true);
    findings_ = readOnlyTable({tr("Codice"), tr("Elemento"), tr("Descrizione")},
                              QStringLiteral("grdErrori"), tr("Errori rilevati"), side);
    findings_->setWordWrap(true);
    checkCaption_->setBuddy(findings_);
    checkCaption_->hide();
    findings_->hide();
    sideLayout->addWidget(checkCaption_);
    sideLayout->addWidget(findings_, 1);

    auto* attachmentsCaption = new QLabel(tr("Allegati"), side);
    attachments_ = new QListWidget(side);
    attachments_->setObjectName(QStringLiteral("lstAllegati"));
    attachmentsCaption->setBuddy(attachments_);
    for (const render::Attachment& a : invoice_.attachments) {
        const QString about = a.description.isEmpty() ? a.format : a.description;
        attachments_->addItem(about.isEmpty() ? a.fileName()
                                              : QStringLiteral("%1 (%2)").arg(a.fileName(), about));
    }
    saveAttachment_ = new QPushButton(tr("Salva allegato…"), side);
    saveAttachment_->setObjectName(QStringLiteral("spdSalvaAllegato"));
    sideLayout->addWidget(attachmentsCaption);
    sideLayout->addWidget(attachments_);
    sideLayout->addWidget(saveAttachment_);
    // Without findings the caption stays at the top instead of floating in the middle.
    sideLayout->addStretch();
    if (invoice_.attachments.isEmpty()) {
        attachmentsCaption->hide();
        attachments_->hide();
        saveAttachment_->hide();
    } else {
        attachments_->setCurrentRow(0);
    }
    split->addWidget(side);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setSizes({680, 300});
    side->setVisible(!invoice_.attachments.isEmpty());
    layout->addWidget(split, 1);

    connect(back, &QPushButton::clicked, this, &QDialog::accept);
    connect(print, &QPushButton::clicked, this, guard([this] { stampa(); }));
    connect(pdf, &QPushButton::clicked, this, guard([this] { salvaPdf(); }));
    connect(zoomIn, &QPushButton::clicked, preview_, [this] { preview_->zoomIn(); });
    connect(zoomOut, &QPushButton::clicked, preview_, [this] { preview_->zoomOut(); });
    connect(saveAttachment_, &QPushButton::clicked, this, guard([this] { salvaAllegato(); }));
    connect(attachments_, &QListWidget::itemDoubleClicked, this,
            guard([this] { salvaAllegato(); }));
    preview_->fitToWidth();
    resize(1000, 760);
}

InvoiceViewer::~InvoiceViewer() {
    // The preview paints on the printer until it goes.
    delete preview_;
    delete printer_;
}

void InvoiceViewer::setSignature(const check::SignedFile& signature) {
    QString text = signature.summary();
    const QString certificate = signature.certificateSummary();
    if (!certificate.isEmpty())
        text += QLatin1Char('\n') + certificate;
    if (signature.intact) {
        signature_->setText(text);
        signature_->setStyleSheet(QStringLiteral("color: #1b5e20; font-weight: bold;"));
    } else {
        signature_->setText(render::kSignatureNotIntact + QLatin1Char('\n') + text);
        signature_->setStyleSheet(
            QStringLiteral("color: #b71c1c; background: #fde4e4; border: 2px solid #b71c1c; "
                           "padding: 6px; font-weight: bold; font-size: 13pt;"));
    }
    // The copy printed or saved from here says it too, on its first page.
    render::showSignature(invoice_, signature);
    preview_->updatePreview();
    signature_->show();
}

void InvoiceViewer::setFindings(const check::Findings& findings) {
    checkCaption_->show();
    checkCaption_->parentWidget()->show();
    if (findings.isEmpty()) {
        checkCaption_->setText(tr("Controllo prima dell'invio: Nessun errore rilevato"));
        findings_->hide();
        return;
    }
    checkCaption_->setText(
        tr("Controllo prima dell'invio: il Sistema di Interscambio scarterebbe il file per "
           "questi motivi:"));
    findings_->setRowCount(int(findings.size()));
    for (int row = 0; row < findings.size(); ++row) {
        const check::Finding& f = findings[row];
        setTableRow(findings_, row, {f.code, f.element, f.message});
    }
    findings_->setColumnWidth(0, 50);
    findings_->setColumnWidth(1, 90);
    findings_->resizeRowsToContents();
    findings_->show();
}

void InvoiceViewer::stampa() {
    QPrintDialog dialog(printer_, this);
    dialog.setWindowTitle(tr("Stampa"));
    if (showModal(dialog) == QDialog::Accepted)
        invoice_.document.paint(*printer_);
}

void InvoiceViewer::salvaPdf() {
    const QString path =
        prompt().saveFileName(kPdfDialogTitle, QDir::homePath(), pdfName_, tr("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    QString error;
    if (invoice_.document.writePdf(path, &error) == 0)
        prompt().message(Prompt::errorTitle(), error);
}

void InvoiceViewer::salvaAllegato() {
    const int row = attachments_->currentRow();
    if (row < 0 || row >= invoice_.attachments.size())
        return;
    const render::Attachment& a = invoice_.attachments[row];
    const QString path =
        prompt().saveFileName(kAttachmentDialogTitle, QDir::homePath(), a.fileName(), QString());
    if (path.isEmpty())
        return;
    QString why;
    if (!writeWholeFile(path, a.data, &why))
        prompt().message(
            Prompt::errorTitle(),
            tr("Impossibile scrivere il file %1: %2").arg(QDir::toNativeSeparators(path), why));
}

void showDocumentPreview(DataModule& db, const QByteArray& xml, const QString& xmlFileName,
                         const check::Findings& findings, QWidget* parent) {
    render::RenderedInvoice invoice =
        render::renderInvoice(xml, render::CodeLists::fromArchive(db.connessione()));
    if (!invoice.ok) {
        prompt().message(Prompt::errorTitle(), invoice.error);
        return;
    }
    QString pdfName = xmlFileName;
    if (pdfName.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        pdfName.chop(4);
    InvoiceViewer viewer(std::move(invoice), pdfName + QStringLiteral(".pdf"), parent);
    viewer.setFindings(findings);
    showModal(viewer);
}

void showInvoiceFile(const QString& path, DataModule* db, QWidget* parent) {
    const render::InvoiceFile file = render::readInvoiceFile(path);
    if (!file.ok) {
        prompt().message(Prompt::errorTitle(), file.error);
        return;
    }
    const render::CodeLists codes = db && db->connessione().isOpen()
                                        ? render::CodeLists::fromArchive(db->connessione())
                                        : render::CodeLists::shipped();
    render::RenderedInvoice invoice = render::renderInvoice(file.xml, codes);
    if (!invoice.ok) {
        prompt().message(Prompt::errorTitle(),
                         QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), invoice.error));
        return;
    }
    QString name = QFileInfo(path).fileName();
    if (check::isSignedName(name))
        name.chop(4);
    // A signed file is checked as the exchange system checks it: a signature that does not match
    // the content is a reason to reject it, as "brevalto check" says.
    const check::Options options{.today = QDate(), .fileName = name};
    const check::Findings findings = file.isSigned
                                         ? check::checkSignedInvoice(file.signature, options)
                                         : check::checkInvoice(file.xml, options);
    QString pdfName = name;
    if (pdfName.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        pdfName.chop(4);
    InvoiceViewer viewer(std::move(invoice), pdfName + QStringLiteral(".pdf"), parent);
    viewer.setWindowTitle(
        QStringLiteral("%1 — %2").arg(QFileInfo(path).fileName(), viewer.windowTitle()));
    if (file.isSigned)
        viewer.setSignature(file.signature);
    viewer.setFindings(findings);
    showModal(viewer);
}

void apriFattura(DataModule* db, QWidget* parent) {
    const QString path = prompt().openFileName(
        QStringLiteral("Apri fattura"), QDir::homePath(),
        QStringLiteral("Fatture elettroniche (*.xml *.XML *.p7m *.P7M);;Tutti i file (*)"));
    if (path.isEmpty())
        return;
    showInvoiceFile(path, db, parent);
}

} // namespace brevalto
