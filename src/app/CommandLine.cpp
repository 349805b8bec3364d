#include "app/CommandLine.h"

#include "export/CheckCommand.h"
#include "export/ExportCommand.h"
#include "render/PdfCommand.h"
#include "store/ArchiveCreator.h"
#include "store/DbError.h"

#include <QFile>
#include <QTextStream>

namespace brevalto {

namespace {

int createArchiveCommand(const QStringList& args) {
    QTextStream out(stdout), err(stderr);
    if (args.size() != 1 || args[0].startsWith(QLatin1String("-"))) {
        err << "Uso: brevalto create-archive PERCORSO\n";
        return 2;
    }
    if (args[0].trimmed().isEmpty()) {
        err << "Indicare il percorso del nuovo archivio.\n"
               "Uso: brevalto create-archive PERCORSO\n";
        return 2;
    }
    try {
        createArchive(args[0]);
    } catch (const DbError& e) {
        err << e.text() << "\n";
        return 1;
    }
    out << "Archivio creato: " << args[0] << "\n";
    return 0;
}

void printUsage(QTextStream& out) {
    out << "Uso:\n"
           "  brevalto                         apre il programma\n"
           "  brevalto create-archive PERCORSO crea un archivio nuovo con i dati di riferimento\n"
           "  brevalto export --archive PERCORSO --document NUMERO [--out FILE] [--force]\n"
           "                  [--no-check]     esporta il documento in un file FatturaPA\n"
           "  brevalto check [--date AAAA-MM-GG] FILE.xml...\n"
           "  brevalto check [--date AAAA-MM-GG] --archive PERCORSO --document NUMERO\n"
           "                                   controlla file o documenti prima dell'invio\n"
           "  brevalto pdf FILE.xml|FILE.xml.p7m --out FILE.pdf\n"
           "  brevalto pdf --archive PERCORSO --document NUMERO --out FILE.pdf\n"
           "                                   scrive la copia leggibile della fattura in PDF\n";
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
    if (arguments.size() < 2)
        return -1;
    const QString command = arguments[1];
    const QStringList rest = arguments.mid(2);
    if (command == QLatin1String("create-archive"))
        return createArchiveCommand(rest);
    if (command == QLatin1String("export"))
        return runExportCommand(rest);
    if (command == QLatin1String("check"))
        return runCheckCommand(rest);
    if (command == QLatin1String("pdf"))
        return runPdfCommand(rest);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        QTextStream out(stdout);
        printUsage(out);
        return 0;
    }
    if (onlyWindowOptions(arguments.mid(1)))
        return -1;
    QTextStream err(stderr);
    if (command.startsWith(QLatin1Char('-')))
        err << "Opzione sconosciuta: " << command << "\n";
    else
        err << "Comando sconosciuto: " << command << "\n";
    printUsage(err);
    return 2;
}

int runCommandLine(const QList<QByteArray>& rawArguments) {
    QStringList arguments;
    for (qsizetype i = 0; i < rawArguments.size(); ++i) {
        const QByteArray& raw = rawArguments[i];
        const QString decoded = QFile::decodeName(raw);
        if (i > 0 && QFile::encodeName(decoded) != raw) {
            QTextStream err(stderr);
            err << "L'argomento \"" << decoded
                << "\" contiene caratteri non validi nella codifica del sistema: il file "
                   "avrebbe un altro nome. Rinominarlo o indicare un percorso con caratteri "
                   "validi.\n";
            return 2;
        }
        arguments << decoded;
    }
    return runCommandLine(arguments);
}

} // namespace brevalto
