#include "export/ZipCommand.h"

#include "export/ExportCommand.h"
#include "export/PortalZip.h"
#include "store/CommandParser.h"

#include <QDir>
#include <QFileInfo>

namespace brevalto {

namespace {

CommandSyntax zipSyntax() {
    return {
        .name = QStringLiteral("zip"),
        .synopsis = QStringLiteral("--out FILE.zip [--force] FILE..."),
        .description = QStringLiteral(
            "Raccoglie i file di fattura (.xml o .xml.p7m) in archivi ZIP da caricare sul\n"
            "portale dell'Agenzia delle Entrate: ogni file al massimo 5.000.000 byte (oltre,\n"
            "00003), ogni archivio al massimo 5.000.000 byte (i file che non ci stanno vanno\n"
            "nell'archivio seguente, con il progressivo del nome aumentato di uno), i file\n"
            "senza cartelle e con il nome delle regole del Sistema di Interscambio (00001).\n"
            "Stampa ogni archivio scritto con i nomi dei file che contiene."),
        .options = {{QStringLiteral("out"),
                     QStringLiteral("il primo archivio da scrivere (es. IT01234567890_Z0001.zip)"),
                     QStringLiteral("FILE.zip")},
                    {QStringLiteral("force"), QStringLiteral("sostituisce archivi già esistenti")}},
        .positionalName = QStringLiteral("FILE"),
        .positionalHelp = QStringLiteral("i file di fattura da raccogliere"),
    };
}

} // namespace

int runZipCommand(const QStringList& args) {
    return runZipCommand(args, stdout, stderr);
}

int runZipCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    const auto app = coreApplicationIfNone();
    CommandParser parser(zipSyntax());
    const int code = parser.parse(args, out, err);
    if (code >= 0)
        return code;
    const QString target = parser.value(QStringLiteral("out"));
    if (target.trimmed().isEmpty())
        return parser.fail(err, QStringLiteral("Indicare l'archivio da scrivere con --out."));
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return parser.fail(err, QStringLiteral("Indicare i file da raccogliere."));
    for (const QString& file : files) {
        if (sameFile(file, target))
            return parser.fail(err, QStringLiteral("Il file %1 è l'archivio da scrivere.")
                                        .arg(QDir::toNativeSeparators(file)));
    }
    const portal::ZipResult zip =
        portal::packForPortal(files, target, parser.isSet(QStringLiteral("force")));
    for (const portal::Refused& r : zip.refused)
        printFindings(err, QDir::toNativeSeparators(r.file), {r.finding});
    if (!zip.ok()) {
        printLine(err, zip.error);
        return 1;
    }
    for (int i = 0; i < zip.archives.size(); ++i) {
        printLine(out, QDir::toNativeSeparators(QFileInfo(zip.archives[i]).absoluteFilePath()));
        for (const QString& name : zip.contents[i])
            printLine(out, QStringLiteral("  ") + name);
    }
    return zip.refused.isEmpty() ? 0 : 1;
}

} // namespace brevalto
