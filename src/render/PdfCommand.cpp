#include "render/PdfCommand.h"

#include "export/ExportCommand.h"
#include "export/ExportError.h"
#include "export/FatturaWriter.h"
#include "render/InvoiceFile.h"
#include "render/InvoiceRender.h"
#include "store/CommandParser.h"
#include "store/DataModule.h"
#include "store/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <optional>

namespace brevalto {

namespace {

CommandSyntax pdfSyntax() {
    return {
        .name = QStringLiteral("pdf"),
        .synopsis = QStringLiteral("FILE.xml|FILE.xml.p7m --out FILE.pdf [--even-if-tampered]\n"
                                   "--archive PERCORSO --document NUMERO --out FILE.pdf"),
        .description = QStringLiteral(
            "Scrive la copia leggibile di una fattura elettronica, anche firmata, o di un\n"
            "documento dell'archivio come verrebbe esportato. Non apre finestre. Un file firmato\n"
            "il cui contenuto è stato modificato dopo la firma non viene stampato, se non con\n"
            "--even-if-tampered: allora la prima pagina lo dice."),
        .options = {{QStringLiteral("out"), QStringLiteral("il file PDF da scrivere"),
                     QStringLiteral("FILE.pdf")},
                    {QStringLiteral("archive"), QStringLiteral("l'archivio del documento"),
                     QStringLiteral("PERCORSO")},
                    {QStringLiteral("document"), QStringLiteral("il numero del documento"),
                     QStringLiteral("NUMERO")},
                    {QStringLiteral("even-if-tampered"),
                     QStringLiteral("scrive la copia anche se la firma non è integra (con "
                                    "l'avviso sulla prima pagina)")}},
        .positionalName = QStringLiteral("FILE"),
        .positionalHelp = QStringLiteral("il file FatturaPA (.xml o .xml.p7m)"),
    };
}

} // namespace

int runPdfCommand(const QStringList& args) {
    return runPdfCommand(args, stdout, stderr);
}

int runPdfCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    CommandParser parser(pdfSyntax());
    const int parsed = parser.parse(args, out, err);
    if (parsed >= 0)
        return parsed;
    const QStringList files = parser.positionalArguments();
    const QString target = parser.value(QStringLiteral("out"));
    const bool fromArchive =
        parser.isSet(QStringLiteral("archive")) || parser.isSet(QStringLiteral("document"));
    if (target.trimmed().isEmpty())
        return parser.fail(err, QStringLiteral("Indicare il file PDF da scrivere con --out."));
    if (fromArchive) {
        if (!files.isEmpty())
            return parser.fail(
                err,
                QStringLiteral("Indicare un file oppure --archive e --document, non entrambi."));
        if (const int wrong = parser.requireArchive(err); wrong >= 0)
            return wrong;
        if (const int wrong = parser.requireDocument(err); wrong >= 0)
            return wrong;
    } else if (const int wrong =
                   parser.requireFiles(err, QStringLiteral("Indicare il file della fattura."), 1,
                                       QStringLiteral("Indicare un solo file per volta."));
               wrong >= 0) {
        return wrong;
    }
    // The PDF never goes over what it is made from.
    const QString source = fromArchive ? parser.value(QStringLiteral("archive")) : files.first();
    if (sameFile(target, source)) {
        printLine(err, QStringLiteral("Il file %1 è quello da leggere: indicare un altro file PDF.")
                           .arg(QDir::toNativeSeparators(target)));
        return 1;
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        printLine(err, QStringLiteral("La stampa in PDF richiede l'interfaccia grafica di Qt."));
        return 1;
    }

    QByteArray xml;
    std::optional<check::SignedFile> signature;
    render::CodeLists codes = render::CodeLists::shipped();
    if (fromArchive) {
        DataModule data;
        const QString openError = openDocument(data, parser.value(QStringLiteral("archive")),
                                               parser.value(QStringLiteral("document")), true);
        if (!openError.isEmpty()) {
            printLine(err, openError);
            return 1;
        }
        try {
            xml = buildInvoiceXml(data);
            codes = render::CodeLists::fromArchive(data.connessione());
        } catch (const ExportError& e) {
            printLine(err, e.text());
            return 1;
        } catch (const DbError& e) {
            printLine(err, e.text());
            return 1;
        }
    } else {
        const render::InvoiceFile file = render::readInvoiceFile(files.first());
        if (!file.ok) {
            printLine(err, file.error);
            return QFileInfo(files.first()).isFile() ? 1 : 2;
        }
        if (file.isSigned) {
            printLine(out, escapedControls(file.signature.summary()));
            signature = file.signature;
        }
        if (file.isSigned && !file.signature.intact) {
            if (!parser.isSet(QStringLiteral("even-if-tampered"))) {
                printLine(err, render::kSignatureNotIntact +
                                   QStringLiteral(". Nessun PDF scritto; per averlo comunque, con "
                                                  "l'avviso sulla prima pagina, aggiungere "
                                                  "--even-if-tampered."));
                return 1;
            }
        }
        xml = file.xml;
    }
    render::RenderedInvoice invoice = render::renderInvoice(xml, codes);
    if (!invoice.ok) {
        printLine(err, invoice.error);
        return 1;
    }
    if (signature)
        render::showSignature(invoice, *signature);
    QString error;
    const int pages = invoice.document.writePdf(target, &error);
    if (pages == 0) {
        printLine(err, error);
        return 1;
    }
    printLine(out, QStringLiteral("PDF scritto: %1 (%2 %3)")
                       .arg(target)
                       .arg(pages)
                       .arg(pages == 1 ? QStringLiteral("pagina") : QStringLiteral("pagine")));
    return 0;
}

} // namespace brevalto
