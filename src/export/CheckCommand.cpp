#include "export/CheckCommand.h"

#include "check/Checker.h"
#include "export/ConsolePrompt.h"
#include "export/DocumentCheck.h"
#include "export/ExportCommand.h"
#include "export/ExportDriver.h"
#include "export/ExportError.h"
#include "export/FatturaWriter.h"
#include "store/CommandParser.h"
#include "store/DataModule.h"
#include "store/SystemText.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace brevalto {

namespace {

CommandSyntax checkSyntax() {
    return {
        .name = QStringLiteral("check"),
        .synopsis = QStringLiteral("[--date AAAA-MM-GG] FILE.xml|FILE.xml.p7m...\n"
                                   "[--date AAAA-MM-GG] --archive PERCORSO --document NUMERO"),
        .description = QStringLiteral(
            "Controlla prima dell'invio file FatturaPA (anche firmati o ricevuti dai fornitori)\n"
            "oppure un documento dell'archivio, senza scrivere nulla. Stampa una riga\n"
            "FILE<TAB>CODICE<TAB>ELEMENTO<TAB>MESSAGGIO per ogni errore trovato. Esce con 0 se\n"
            "nessun file ha errori, 1 se qualcuno ne ha, 2 per una riga di comando errata o un\n"
            "file che non si può leggere."),
        .options =
            {
                {QStringLiteral("date"),
                 QStringLiteral("il giorno preso come oggi per le regole sulle date"),
                 QStringLiteral("AAAA-MM-GG")},
                {QStringLiteral("archive"),
                 QStringLiteral("l'archivio del documento da controllare"),
                 QStringLiteral("PERCORSO")},
                {QStringLiteral("document"), QStringLiteral("il numero del documento"),
                 QStringLiteral("NUMERO")},
            },
        .positionalName = QStringLiteral("FILE.xml"),
        .positionalHelp = QStringLiteral("i file da controllare"),
    };
}

struct Arguments {
    QDate today;
    QString archive;
    QString document;
    QStringList files;
};

// Reads the arguments into a; returns -1 to go on, otherwise the exit code (help or a wrong
// command line, already printed).
int parse(const QStringList& args, Arguments& a, std::FILE* out, std::FILE* err) {
    CommandParser parser(checkSyntax());
    const int code = parser.parse(args, out, err);
    if (code >= 0)
        return code;
    a.archive = parser.value(QStringLiteral("archive"));
    a.document = parser.value(QStringLiteral("document"));
    a.files = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("date"))) {
        const QString date = parser.value(QStringLiteral("date"));
        a.today = QDate::fromString(date, Qt::ISODate);
        if (!a.today.isValid() || date.size() != 10)
            return parser.fail(
                err,
                QStringLiteral("La data \"%1\" non è valida: scriverla AAAA-MM-GG.").arg(date));
    }
    if (parser.isSet(QStringLiteral("archive")) || parser.isSet(QStringLiteral("document"))) {
        if (const int wrong = parser.requireArchive(err); wrong >= 0)
            return wrong;
        if (const int wrong = parser.requireDocument(err); wrong >= 0)
            return wrong;
        if (!a.files.isEmpty())
            return parser.fail(err, QStringLiteral("Indicare i file da controllare oppure un "
                                                   "documento dell'archivio, non entrambi."));
        return -1;
    }
    return parser.requireFiles(err, QStringLiteral("Indicare almeno un file da controllare."));
}

int checkFiles(const Arguments& a, std::FILE* out, std::FILE* err) {
    int result = 0;
    for (const QString& path : a.files) {
        const QString shown = QDir::toNativeSeparators(path);
        const bool isSigned = check::isSignedName(path);
        if (!isSigned && !path.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive)) {
            printLine(
                err,
                QStringLiteral("%1: si possono controllare solo file .xml e .xml.p7m.").arg(shown));
            result = 2;
            continue;
        }
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
            printLine(err,
                      QStringLiteral("Impossibile leggere il file %1: %2")
                          .arg(shown, QFileInfo::exists(path) ? italianReason(file.errorString())
                                                              : QStringLiteral("non esiste")));
            result = 2;
            continue;
        }
        const check::Options options{.today = a.today, .fileName = QFileInfo(path).fileName()};
        check::Findings findings;
        if (isSigned) {
            // The content is checked as the same file unsigned; the signature's state goes to the
            // error output, and a signature that does not match is a finding.
            const check::SignedFile signedFile = check::openSigned(file.readAll());
            if (!signedFile.opened) {
                printLine(err, QStringLiteral("%1: %2").arg(shown, signedFile.error));
                result = 2;
                continue;
            }
            printLine(err,
                      QStringLiteral("%1: %2").arg(shown, escapedControls(signedFile.summary())));
            findings = check::checkSignedInvoice(signedFile, options);
        } else {
            findings = check::checkInvoice(file.readAll(), options);
        }
        printFindings(out, shown, findings);
        if (!findings.isEmpty() && result == 0)
            result = 1;
    }
    return result;
}

int checkDocument(const Arguments& a, std::FILE* out, std::FILE* err) {
    DataModule data;
    const QString openError = openDocument(data, a.archive, a.document, true);
    if (!openError.isEmpty()) {
        printLine(err, openError);
        return 2;
    }
    ConsolePrompt prompt(err);
    ExportDriver driver(data, prompt);
    try {
        if (!driver.hasBodies()) {
            printLine(err, fattura::kNoBodiesMessage);
            return 1;
        }
        const QString name = driver.proposedFileName();
        const check::Findings findings = checkCurrentDocument(data, a.today);
        printFindings(out, name, findings);
        return findings.isEmpty() ? 0 : 1;
    } catch (const ExportError& e) {
        printLine(err, e.text());
    } catch (const DbError& e) {
        printLine(err, e.text());
    }
    return 1;
}

} // namespace

int runCheckCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    Arguments a;
    const int parsed = parse(args, a, out, err);
    if (parsed >= 0)
        return parsed;
    const auto app = coreApplicationIfNone();
    return a.archive.isEmpty() ? checkFiles(a, out, err) : checkDocument(a, out, err);
}

} // namespace brevalto
