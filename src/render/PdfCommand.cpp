#include "render/PdfCommand.h"

#include "export/ExportCommand.h"
#include "export/ExportError.h"
#include "export/FatturaWriter.h"
#include "render/InvoiceFile.h"
#include "render/InvoiceRender.h"
#include "store/DataModule.h"
#include "store/DbError.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>

namespace brevalto {

namespace {

const char kUsage[] = "Uso: brevalto pdf FILE.xml|FILE.xml.p7m --out FILE.pdf\n"
                      "     brevalto pdf --archive PERCORSO --document NUMERO --out FILE.pdf";

void printLine(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fprintf(stream, "%s\n", bytes.constData());
    std::fflush(stream);
}

} // namespace

int runPdfCommand(const QStringList& args) {
    return runPdfCommand(args, stdout, stderr);
}

int runPdfCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Scrive la copia leggibile (PDF) di una fattura."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Mostra questo aiuto."));
    const QCommandLineOption outOption(QStringLiteral("out"),
                                       QStringLiteral("Il file PDF da scrivere."),
                                       QStringLiteral("FILE.pdf"));
    const QCommandLineOption archiveOption(QStringLiteral("archive"),
                                           QStringLiteral("L'archivio del documento."),
                                           QStringLiteral("PERCORSO"));
    const QCommandLineOption documentOption(QStringLiteral("document"),
                                            QStringLiteral("Il numero del documento."),
                                            QStringLiteral("NUMERO"));
    parser.addOptions({help, outOption, archiveOption, documentOption});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Il file FatturaPA (.xml o .xml.p7m)."));
    const auto usageError = [&](const QString& message) {
        printLine(err, message);
        printLine(err, QString::fromLatin1(kUsage));
        return 2;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        const bool takesValue = word == QLatin1String("--out") ||
                                word == QLatin1String("--archive") ||
                                word == QLatin1String("--document");
        if (takesValue && (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--"))))
            return usageError(QStringLiteral("Manca il valore di %1.").arg(word));
    }
    if (!parser.parse(QStringList{QStringLiteral("brevalto pdf")} + args)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return usageError(QStringLiteral("Opzione sconosciuta: %1").arg(unknown.first()));
        return usageError(QStringLiteral("Riga di comando non valida: %1").arg(parser.errorText()));
    }
    if (parser.isSet(help)) {
        printLine(out, QString::fromLatin1(kUsage));
        printLine(out, QStringLiteral(
                           "Scrive la copia leggibile di una fattura elettronica, anche firmata, "
                           "o di un documento dell'archivio come verrebbe esportato."));
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    const QString target = parser.value(outOption);
    const bool fromArchive = parser.isSet(archiveOption) || parser.isSet(documentOption);
    if (target.trimmed().isEmpty())
        return usageError(QStringLiteral("Indicare il file PDF da scrivere con --out."));
    if (fromArchive && !files.isEmpty())
        return usageError(
            QStringLiteral("Indicare un file oppure --archive e --document, non entrambi."));
    if (!fromArchive && files.size() != 1)
        return usageError(files.isEmpty() ? QStringLiteral("Indicare il file della fattura.")
                                          : QStringLiteral("Indicare un solo file per volta."));
    if (fromArchive && parser.value(archiveOption).trimmed().isEmpty())
        return usageError(QStringLiteral("Indicare l'archivio con --archive."));
    if (fromArchive && parser.value(documentOption).trimmed().isEmpty())
        return usageError(QStringLiteral("Indicare il numero del documento con --document."));
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        printLine(err, QStringLiteral("La stampa in PDF richiede l'interfaccia grafica di Qt."));
        return 1;
    }

    QByteArray xml;
    render::CodeLists codes = render::CodeLists::shipped();
    if (fromArchive) {
        DataModule data;
        const QString openError =
            openDocument(data, parser.value(archiveOption), parser.value(documentOption));
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
        if (file.isSigned)
            printLine(out, file.signature.summary());
        xml = file.xml;
    }
    const render::RenderedInvoice invoice = render::renderInvoice(xml, codes);
    if (!invoice.ok) {
        printLine(err, invoice.error);
        return 1;
    }
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
