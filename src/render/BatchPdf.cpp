#include "render/BatchPdf.h"

#include "export/DocumentCheck.h"
#include "export/FatturaWriter.h"
#include "render/InvoiceRender.h"
#include "store/DataModule.h"

#include <QDir>
#include <QFileInfo>

namespace brevalto::batch {

Result PdfStep::operator()() {
    Result result;
    const QByteArray xml = buildInvoiceXml(data_);
    if (!codes_)
        codes_ = render::CodeLists::fromArchive(data_.connessione());
    QString name = documentFileName(data_);
    if (name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        name.chop(4);
    const QString path = QDir(folder_).filePath(name + QStringLiteral(".pdf"));
    render::RenderedInvoice invoice = render::renderInvoice(xml, *codes_);
    if (!invoice.ok) {
        result.status = Status::Failed;
        result.reason = invoice.error;
        return result;
    }
    QString error;
    const int pages = invoice.document.writePdf(path, &error);
    if (pages == 0) {
        result.status = Status::Failed;
        result.reason = error;
        return result;
    }
    const QString written = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    result.files << written;
    result.reason = QStringLiteral("PDF %1 (%2 %3).")
                        .arg(written)
                        .arg(pages)
                        .arg(pages == 1 ? QStringLiteral("pagina") : QStringLiteral("pagine"));
    return result;
}

} // namespace brevalto::batch
