#include "app/ImportIpaCommand.h"

#include "store/ArchiveCheck.h"
#include "store/ArchiveUpgrade.h"
#include "store/CommandParser.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/IpaDirectory.h"

namespace brevalto {

namespace {

CommandSyntax importIpaSyntax() {
    return {
        .name = QStringLiteral("import-ipa"),
        .synopsis = QStringLiteral("--archive PERCORSO FILE [FILE-ENTI]"),
        .description = QStringLiteral(
            "Sostituisce l'elenco delle pubbliche amministrazioni dell'archivio con il file\n"
            "scaricato da IndicePA: il CSV delle unità organizzative con servizio di fatturazione\n"
            "elettronica oppure il vecchio serv_fatt.txt (separato da TAB); il file degli enti,\n"
            "facoltativo, aggiunge denominazione e tipologia delle amministrazioni.\n"
            "Esce con 0 se l'elenco è stato sostituito, 1 se l'archivio o il contenuto del file\n"
            "lo impediscono, 2 per una riga di comando errata o un file illeggibile."),
        .options = {{QStringLiteral("archive"), QStringLiteral("l'archivio da aggiornare"),
                     QStringLiteral("PERCORSO")}},
        .positionalName = QStringLiteral("FILE [FILE-ENTI]"),
        .positionalHelp =
            QStringLiteral("il file degli uffici di IndicePA e, facoltativo, quello degli enti"),
    };
}

} // namespace

int runImportIpaCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    const auto app = coreApplicationIfNone();
    CommandParser parser(importIpaSyntax());
    const int parsed = parser.parse(args, out, err);
    if (parsed >= 0)
        return parsed;
    const QString archivePath = parser.value(QStringLiteral("archive"));
    if (archivePath.trimmed().isEmpty())
        return parser.fail(err, QStringLiteral("Indicare l'archivio con --archive."));
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return parser.fail(err,
                           QStringLiteral("Indicare il file degli uffici scaricato da IndicePA."));
    if (files.size() > 2)
        return parser.fail(err, QStringLiteral("Troppi file: indicare il file degli uffici e, "
                                               "facoltativo, quello degli enti."));
    for (const QString& file : files) {
        if (file.trimmed().isEmpty())
            return parser.fail(err, QStringLiteral("Il nome di un file è vuoto."));
    }

    Connection connection;
    try {
        connection.open(archivePath);
        requireCurrentArchive(connection, requiredArchiveVersion);
        const ipa::ImportReport report = ipa::importDirectory(connection, files[0], files.value(1));
        printLine(out, report.text());
        printLine(out, ipa::lastLoadText(connection));
    } catch (const ipa::FileError& e) {
        printLine(err, e.text());
        printLine(err, QStringLiteral("L'elenco precedente è rimasto invariato."));
        return e.unreadable() ? 2 : 1;
    } catch (const DbError& e) {
        printLine(err, e.text());
        printLine(err, QStringLiteral("L'elenco precedente è rimasto invariato."));
        return 1;
    }
    return 0;
}

} // namespace brevalto
