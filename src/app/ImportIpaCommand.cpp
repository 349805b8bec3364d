#include "app/ImportIpaCommand.h"

#include "store/ArchiveCheck.h"
#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/IpaDirectory.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <memory>

namespace brevalto {

namespace {

void printText(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fprintf(stream, "%s\n", bytes.constData());
    std::fflush(stream);
}

const char kUsage[] = "Uso: brevalto import-ipa --archive PERCORSO FILE [FILE-ENTI]";

} // namespace

int runImportIpaCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    std::unique_ptr<QCoreApplication> app;
    static int argc = 1;
    static char name[] = "brevalto";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sostituisce l'elenco delle pubbliche amministrazioni dell'archivio con il "
                       "file scaricato da IndicePA: il CSV delle unità organizzative con servizio "
                       "di fatturazione elettronica oppure il vecchio serv_fatt.txt (separato da "
                       "TAB); il file degli enti, facoltativo, aggiunge denominazione e tipologia "
                       "delle amministrazioni."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Mostra questo aiuto."));
    const QCommandLineOption archive(QStringLiteral("archive"),
                                     QStringLiteral("L'archivio da aggiornare."),
                                     QStringLiteral("PERCORSO"));
    parser.addOption(help);
    parser.addOption(archive);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Il file degli uffici di IndicePA."));
    parser.addPositionalArgument(QStringLiteral("FILE-ENTI"),
                                 QStringLiteral("Il file degli enti (facoltativo)."),
                                 QStringLiteral("[FILE-ENTI]"));

    const auto usageError = [&](const QString& text) {
        printText(err, text);
        printText(err, QString::fromLatin1(kUsage));
        return 2;
    };
    if (!parser.parse(QStringList{QStringLiteral("brevalto import-ipa")} + args)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return usageError(
                QStringLiteral("Opzione sconosciuta: %1%2")
                    .arg(unknown[0].size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                         unknown[0]));
        return usageError(QStringLiteral("Manca il valore di --archive."));
    }
    if (parser.isSet(help)) {
        printText(out, QString::fromLatin1(kUsage) + QStringLiteral("\n\n") +
                           parser.applicationDescription() +
                           QStringLiteral("\n\n  --archive PERCORSO  l'archivio da aggiornare\n"
                                          "  FILE                il file degli uffici\n"
                                          "  FILE-ENTI           il file degli enti "
                                          "(facoltativo)\n"
                                          "\nEsce con 0 se l'elenco è stato sostituito, 1 se "
                                          "l'archivio o il contenuto del file lo impediscono, 2 "
                                          "per una riga di comando errata o un file illeggibile."));
        return 0;
    }
    const QString archivePath = parser.value(archive);
    if (archivePath.trimmed().isEmpty())
        return usageError(QStringLiteral("Indicare l'archivio con --archive."));
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return usageError(QStringLiteral("Indicare il file degli uffici scaricato da IndicePA."));
    if (files.size() > 2)
        return usageError(QStringLiteral("Troppi file: indicare il file degli uffici e, "
                                         "facoltativo, quello degli enti."));
    for (const QString& file : files) {
        if (file.trimmed().isEmpty())
            return usageError(QStringLiteral("Il nome di un file è vuoto."));
    }

    Connection connection;
    try {
        connection.open(archivePath);
        requireUsableArchive(connection, requiredArchiveVersion);
        const ipa::ImportReport report = ipa::importDirectory(connection, files[0], files.value(1));
        printText(out, report.text());
        printText(out, ipa::lastLoadText(connection));
    } catch (const ipa::FileError& e) {
        printText(err, e.text());
        printText(err, QStringLiteral("L'elenco precedente è rimasto invariato."));
        return e.unreadable() ? 2 : 1;
    } catch (const DbError& e) {
        printText(err, e.text());
        printText(err, QStringLiteral("L'elenco precedente è rimasto invariato."));
        return 1;
    }
    return 0;
}

} // namespace brevalto
