#include "app/ImportIpaCommand.h"

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
    if (const int wrong = parser.requireArchive(err); wrong >= 0)
        return wrong;
    if (const int wrong = parser.requireFiles(
            err, QStringLiteral("Indicare il file degli uffici scaricato da IndicePA."), 2,
            QStringLiteral("Troppi file: indicare il file degli uffici e, facoltativo, quello "
                           "degli enti."));
        wrong >= 0)
        return wrong;

    const auto refused = [&](const QString& why, int code) {
        printLine(err, why);
        printLine(err, QStringLiteral("L'elenco precedente è rimasto invariato."));
        return code;
    };
    Connection connection;
    const QString openError =
        openCommandArchive(connection, parser.value(QStringLiteral("archive")));
    if (!openError.isEmpty())
        return refused(openError, 1);
    const QStringList files = parser.positionalArguments();
    try {
        const ipa::ImportReport report = ipa::importDirectory(connection, files[0], files.value(1));
        printLine(out, report.text());
        printLine(out, ipa::lastLoadText(connection));
    } catch (const ipa::FileError& e) {
        return refused(e.text(), e.unreadable() ? 2 : 1);
    } catch (const DbError& e) {
        return refused(e.text(), 1);
    }
    return 0;
}

} // namespace brevalto
