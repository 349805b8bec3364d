#include "app/CommandLine.h"

#include "app/ImportIpaCommand.h"
#include "channel/PecCommand.h"
#include "export/CheckCommand.h"
#include "export/ExportCommand.h"
#include "export/ZipCommand.h"
#include "import/ImportCommand.h"
#include "receipts/SdiCommands.h"
#include "render/PdfCommand.h"
#include "sdi/SignCommand.h"
#include "store/ArchiveAddress.h"
#include "store/ArchiveCopy.h"
#include "store/ArchiveCreator.h"
#include "store/ArchiveUpgrade.h"
#include "store/CommandParser.h"
#include "store/DbError.h"
#include "store/Version.h"

#include <QCommandLineParser>
#include <QFile>
#include <algorithm>

namespace brevalto {

namespace {

int createArchiveCommand(const QStringList& args) {
    CommandParser parser({
        .name = QStringLiteral("create-archive"),
        .synopsis = QStringLiteral("PERCORSO"),
        .description = QStringLiteral(
            "Crea un archivio nuovo con tutte le tabelle e i dati di riferimento completi\n"
            "(codici, nazioni, regioni, province, comuni, aliquote IVA, codici di scarto SdI,\n"
            "descrizioni degli elementi). Non sostituisce un file esistente."),
        .positionalName = QStringLiteral("PERCORSO"),
        .positionalHelp = QStringLiteral("il file dell'archivio da creare, o l'indirizzo "
                                         "postgresql://... di un database vuoto"),
    });
    const int parsed = parser.parse(args, stdout, stderr);
    if (parsed >= 0)
        return parsed;
    const QStringList words = parser.positionalArguments();
    if (words.size() != 1)
        return parser.fail(stderr, words.isEmpty()
                                       ? QStringLiteral("Indicare il percorso del nuovo archivio.")
                                       : QStringLiteral("Indicare un solo percorso."));
    const QString path = words.constFirst();
    if (path.trimmed().isEmpty())
        return parser.fail(stderr, QStringLiteral("Indicare il percorso del nuovo archivio."));
    try {
        createArchive(path);
    } catch (const DbError& e) {
        printLine(stderr, e.text());
        return 1;
    }
    printLine(stdout, QStringLiteral("Archivio creato: %1").arg(locationWithoutPassword(path)));
    return 0;
}

int copyArchiveCommand(const QStringList& args) {
    CommandParser parser({
        .name = QStringLiteral("copy-archive"),
        .synopsis = QStringLiteral("DA A"),
        .description = QStringLiteral(
            "Copia ogni tabella di un archivio in un archivio nuovo: da un file a un database\n"
            "PostgreSQL (postgresql://utente@server/database) o viceversa, in un'unica\n"
            "transazione. La destinazione deve essere un file che non esiste o un database\n"
            "vuoto; alla fine righe e controlli di ogni tabella vengono confrontati con\n"
            "l'originale, che non viene modificato."),
        .positionalName = QStringLiteral("DA A"),
        .positionalHelp = QStringLiteral("l'archivio da copiare e quello da creare"),
    });
    const int parsed = parser.parse(args, stdout, stderr);
    if (parsed >= 0)
        return parsed;
    const QStringList words = parser.positionalArguments();
    if (words.size() != 2 || words[0].trimmed().isEmpty() || words[1].trimmed().isEmpty())
        return parser.fail(stderr,
                           QStringLiteral("Indicare l'archivio da copiare e quello da creare."));
    QString lastTable;
    try {
        const CopyReport report =
            copyArchive(words[0], words[1], [&](qint64 done, qint64 total, const QString& table) {
                if (!table.isEmpty() && table != lastTable) {
                    lastTable = table;
                    printLine(stdout, QStringLiteral("%1%  %2")
                                          .arg(total > 0 ? done * 100 / total : 100, 3)
                                          .arg(table));
                }
                return true;
            });
        printLine(stdout, report.text());
    } catch (const DbError& e) {
        printLine(stderr, e.text());
        return 1;
    }
    return 0;
}

// The subcommands: adding one is adding its line.
struct Subcommand {
    const char* name;
    const char* summary; // one line for "brevalto --help"
    int (*run)(const QStringList& args);
};

const Subcommand kSubcommands[] = {
    {"create-archive", "crea un archivio nuovo con i dati di riferimento", createArchiveCommand},
    {"copy-archive", "copia un archivio in uno nuovo (file o database PostgreSQL)",
     copyArchiveCommand},
    {"export", "esporta uno o più documenti dell'archivio in file FatturaPA",
     [](const QStringList& args) { return runExportCommand(args); }},
    {"check", "controlla file FatturaPA o un documento dell'archivio prima dell'invio",
     [](const QStringList& args) { return runCheckCommand(args); }},
    {"import-xml", "importa fatture FatturaPA (anche firmate) come documenti dell'archivio",
     [](const QStringList& args) { return runImportXmlCommand(args); }},
    {"import-ipa", "importa l'elenco delle pubbliche amministrazioni scaricato da IndicePA",
     [](const QStringList& args) { return runImportIpaCommand(args); }},
    {"pdf", "scrive la copia leggibile di una fattura (file o documento dell'archivio) in PDF",
     [](const QStringList& args) { return runPdfCommand(args); }},
    {"sign", "firma un file FatturaPA (CAdES, .p7m) con un certificato o una carta di firma",
     [](const QStringList& args) { return sdi::runSignCommand(args); }},
    {"notifiche", "carica le notifiche del Sistema di Interscambio e le collega ai documenti",
     [](const QStringList& args) { return receipts::runNotificheCommand(args); }},
    {"stato", "stampa lo stato di ogni documento presso il Sistema di Interscambio",
     [](const QStringList& args) { return receipts::runStatoCommand(args); }},
    {"pec", "invia i documenti per posta certificata (PEC) e ne riceve ricevute e notifiche",
     [](const QStringList& args) { return channel::runPecCommand(args); }},
    {"zip", "raccoglie file di fattura in archivi ZIP per il portale dell'Agenzia delle Entrate",
     [](const QStringList& args) { return runZipCommand(args); }},
};

const Subcommand* findSubcommand(const QString& name) {
    for (const Subcommand& sub : kSubcommands) {
        if (name == QLatin1String(sub.name))
            return &sub;
    }
    return nullptr;
}

const char kUsage[] = "Uso: brevalto [OPZIONI] [COMANDO [ARGOMENTI]]";

QList<QCommandLineOption> programOptions() {
    return {{{QStringLiteral("h"), QStringLiteral("help")},
             QStringLiteral("mostra questo aiuto ed esce")},
            {{QStringLiteral("v"), QStringLiteral("version")},
             QStringLiteral("mostra la versione del programma e dell'archivio ed esce")}};
}

void printHelp() {
    QString text = QString::fromLatin1(kUsage) +
                   QStringLiteral("\n\nSenza comando apre il programma; con un comando lavora "
                                  "senza finestre e\nesce con 0 se riesce, con un altro numero se "
                                  "non riesce (2: riga di comando errata).\n\nComandi:\n");
    int width = 0;
    for (const Subcommand& sub : kSubcommands)
        width = std::max(width, int(qstrlen(sub.name)));
    for (const Subcommand& sub : kSubcommands)
        text += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(sub.name).leftJustified(width),
                         QString::fromUtf8(sub.summary));
    text += QStringLiteral("\nOpzioni:\n") + optionsHelp(programOptions()) +
            QStringLiteral("\n\"brevalto COMANDO --help\" mostra le opzioni di un comando.");
    printLine(stdout, text);
}

void printVersion() {
    printLine(stdout, QStringLiteral("Brevalto %1\nVersione archivio: %2")
                          .arg(programVersion())
                          .arg(requiredArchiveVersion));
}

int wrongCommandLine(const QString& message) {
    printLine(stderr, message);
    printLine(stderr, QString::fromLatin1(kUsage) +
                          QStringLiteral(" (\"brevalto --help\" per l'elenco dei comandi)"));
    return 2;
}

// Qt's own options for the window system, with whether each takes a value: they open the desktop
// program as usual.
int qtWindowOption(const QString& word) {
    static const QStringList withValue = {"platform",        "platformpluginpath",
                                          "platformtheme",   "plugin",
                                          "qwindowgeometry", "qwindowtitle",
                                          "qwindowicon",     "style",
                                          "stylesheet",      "session",
                                          "display",         "geometry"};
    static const QStringList alone = {"reverse", "nograb", "dograb", "widgetcount"};
    QString name = word;
    if (name.startsWith(QLatin1String("--")))
        name.remove(0, 2);
    else if (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    else
        return -1;
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    if (equals >= 0)
        return withValue.contains(name.left(equals)) ? 0 : -1;
    if (withValue.contains(name))
        return 1;
    if (alone.contains(name))
        return 0;
    return -1;
}

// True when every argument is one of Qt's window options (with its value).
bool onlyWindowOptions(const QStringList& args) {
    for (int i = 0; i < args.size(); ++i) {
        const int values = qtWindowOption(args[i]);
        if (values < 0 || i + values >= args.size())
            return false;
        i += values;
    }
    return true;
}

} // namespace

int runCommandLine(const QStringList& arguments) {
    if (arguments.size() < 2 || onlyWindowOptions(arguments.mid(1)))
        return -1;
    const QString command = arguments[1];
    if (const Subcommand* sub = findSubcommand(command))
        return sub->run(arguments.mid(2));
    if (command == QLatin1String("help")) {
        // "brevalto help export" is "brevalto export --help".
        if (arguments.size() > 2) {
            if (const Subcommand* sub = findSubcommand(arguments[2]))
                return sub->run({QStringLiteral("--help")});
            return wrongCommandLine(QStringLiteral("Comando sconosciuto: %1").arg(arguments[2]));
        }
        printHelp();
        return 0;
    }
    if (!command.startsWith(QLatin1Char('-')))
        return wrongCommandLine(QStringLiteral("Comando sconosciuto: %1").arg(command));

    // Options before any command: only the program's own.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(programOptions());
    parser.addPositionalArgument(QStringLiteral("comando"), QString());
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return wrongCommandLine(QStringLiteral("Opzione sconosciuta: %1").arg(command));
        return wrongCommandLine(
            QStringLiteral("Riga di comando non valida: %1").arg(parser.errorText()));
    }
    if (!parser.positionalArguments().isEmpty())
        return wrongCommandLine(QStringLiteral("Indicare il comando prima delle sue opzioni: %1")
                                    .arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(QStringLiteral("help"))) {
        printHelp();
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        printVersion();
        return 0;
    }
    return wrongCommandLine(QStringLiteral("Indicare un comando."));
}

int runCommandLine(const QList<QByteArray>& rawArguments) {
    QStringList arguments;
    for (qsizetype i = 0; i < rawArguments.size(); ++i) {
        const QByteArray& raw = rawArguments[i];
        const QString decoded = QFile::decodeName(raw);
        if (i > 0 && QFile::encodeName(decoded) != raw) {
            printLine(stderr, QStringLiteral("L'argomento \"%1\" contiene caratteri non validi "
                                             "nella codifica del sistema: il file avrebbe un altro "
                                             "nome. Rinominarlo o indicare un percorso con "
                                             "caratteri validi.")
                                  .arg(decoded));
            return 2;
        }
        arguments << decoded;
    }
    return runCommandLine(arguments);
}

} // namespace brevalto
