#include "app/CommandLine.h"

#include "export/ExportCommand.h"
#include "store/ArchiveCreator.h"
#include "store/DbError.h"

#include <QTextStream>

namespace brevalto {

namespace {

int createArchiveCommand(const QStringList& args) {
    QTextStream out(stdout), err(stderr);
    if (args.size() != 1 || args[0].startsWith(QLatin1String("-"))) {
        err << "Uso: brevalto create-archive PERCORSO\n";
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
           "                                   esporta il documento in un file FatturaPA\n";
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
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        QTextStream out(stdout);
        printUsage(out);
        return 0;
    }
    if (command.startsWith(QLatin1String("-")))
        return -1; // Qt's own options (-platform, -style) go to the desktop program
    QTextStream err(stderr);
    err << "Comando sconosciuto: " << command << "\n";
    printUsage(err);
    return 2;
}

} // namespace brevalto
