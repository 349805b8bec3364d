#include "import/ImportCommand.h"

#include "import/InvoiceImport.h"
#include "store/CommandParser.h"
#include "store/DataModule.h"
#include "store/SystemText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace brevalto {

namespace {

CommandSyntax importXmlSyntax() {
    return {
        .name = QStringLiteral("import-xml"),
        .synopsis = QStringLiteral("--archive PERCORSO FILE.xml|FILE.xml.p7m..."),
        .description = QStringLiteral(
            "Importa fatture FatturaPA (anche firmate .p7m) nell'archivio, un documento nuovo\n"
            "per file, con il numero successivo all'ultimo dato. Cedente e cessionario sono\n"
            "cercati in archivio per partita IVA o codice fiscale e creati se mancano; gli\n"
            "allegati sono salvati nella cartella \"Allegati importati\" accanto all'archivio.\n"
            "Un file che lo schema rifiuta non è importato. Stampa il riepilogo di ogni file:\n"
            "documento creato, anagrafiche trovate o create, elementi senza posto nell'archivio.\n"
            "Esce con 0 se tutti i file sono stati importati, 1 se qualcuno è stato rifiutato,\n"
            "2 per una riga di comando errata, un archivio che non si apre o un file illeggibile."),
        .options = {{QStringLiteral("archive"), QStringLiteral("l'archivio in cui importare"),
                     QStringLiteral("PERCORSO")}},
        .positionalName = QStringLiteral("FILE.xml"),
        .positionalHelp = QStringLiteral("le fatture da importare (.xml o .xml.p7m)"),
    };
}

} // namespace

int runImportXmlCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    const auto app = coreApplicationIfNone();
    CommandParser parser(importXmlSyntax());
    const int parsed = parser.parse(args, out, err);
    if (parsed >= 0)
        return parsed;
    if (const int wrong = parser.requireArchive(err); wrong >= 0)
        return wrong;
    if (const int wrong =
            parser.requireFiles(err, QStringLiteral("Indicare almeno una fattura da importare."));
        wrong >= 0)
        return wrong;

    DataModule data;
    const QString openError =
        openCommandArchive(data.connessione(), parser.value(QStringLiteral("archive")));
    if (!openError.isEmpty()) {
        printLine(err, openError);
        return 2;
    }

    int result = 0;
    for (const QString& path : parser.positionalArguments()) {
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
            printLine(err, QStringLiteral("Impossibile leggere il file %1: %2")
                               .arg(QDir::toNativeSeparators(path),
                                    QFileInfo::exists(path) ? italianReason(file.errorString())
                                                            : QStringLiteral("non esiste")));
            result = 2;
            continue;
        }
        file.close();
        const ImportResult imported = importInvoiceFile(data, path);
        printLine(imported.imported() ? out : err, imported.summary());
        if (!imported.imported() && result == 0)
            result = 1;
    }
    return result;
}

} // namespace brevalto
