#include "export/CheckCommand.h"

#include "check/Checker.h"
#include "export/ConsolePrompt.h"
#include "export/DocumentCheck.h"
#include "export/ExportCommand.h"
#include "export/ExportDriver.h"
#include "export/ExportError.h"
#include "export/FatturaWriter.h"
#include "store/DataModule.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace brevalto {

namespace {

const char kUsage[] =
    "Uso: brevalto check [--date AAAA-MM-GG] FILE.xml...\n"
    "     brevalto check [--date AAAA-MM-GG] --archive PERCORSO --document NUMERO";

void printLine(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fprintf(stream, "%s\n", bytes.constData());
    std::fflush(stream);
}

struct Arguments {
    QDate today;
    QString archive;
    QString document;
    QStringList files;
    bool help = false;
};

QString parse(const QStringList& args, Arguments& a) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& word = args.at(i);
        auto valueOf = [&](QString& target) -> QString {
            if (i + 1 >= args.size() || args.at(i + 1).startsWith(QLatin1String("--")))
                return QStringLiteral("Manca il valore di %1.").arg(word);
            target = args.at(++i);
            return QString();
        };
        QString error;
        QString date;
        if (word == QLatin1String("--date")) {
            error = valueOf(date);
            if (error.isEmpty()) {
                a.today = QDate::fromString(date, Qt::ISODate);
                if (!a.today.isValid() || date.size() != 10)
                    error = QStringLiteral("La data \"%1\" non è valida: scriverla AAAA-MM-GG.")
                                .arg(date);
            }
        } else if (word == QLatin1String("--archive")) {
            error = valueOf(a.archive);
        } else if (word == QLatin1String("--document")) {
            error = valueOf(a.document);
        } else if (word == QLatin1String("--help") || word == QLatin1String("-h")) {
            a.help = true;
        } else if (word.startsWith(QLatin1Char('-')) && word != QLatin1String("-")) {
            error = QStringLiteral("Argomento sconosciuto: %1").arg(word);
        } else {
            a.files << word;
        }
        if (!error.isEmpty())
            return error;
    }
    if (a.help)
        return QString();
    if (!a.archive.isEmpty() || !a.document.isEmpty()) {
        if (a.archive.isEmpty())
            return QStringLiteral("Indicare l'archivio con --archive.");
        if (a.document.isEmpty())
            return QStringLiteral("Indicare il numero del documento con --document.");
        if (!a.files.isEmpty())
            return QStringLiteral("Indicare i file da controllare oppure un documento "
                                  "dell'archivio, non entrambi.");
        return QString();
    }
    if (a.files.isEmpty())
        return QStringLiteral("Indicare almeno un file da controllare.");
    for (const QString& file : a.files) {
        if (file.trimmed().isEmpty())
            return QStringLiteral("Il nome di un file è vuoto.");
    }
    return QString();
}

int checkFiles(const Arguments& a, std::FILE* out, std::FILE* err) {
    int result = 0;
    for (const QString& path : a.files) {
        const QString shown = QDir::toNativeSeparators(path);
        if (!path.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive)) {
            printLine(err, QStringLiteral("%1: si possono controllare solo file .xml.").arg(shown));
            result = 2;
            continue;
        }
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
            printLine(err, QStringLiteral("Impossibile leggere il file %1: %2")
                               .arg(shown, QFileInfo::exists(path) ? file.errorString()
                                                                   : QStringLiteral("non esiste")));
            result = 2;
            continue;
        }
        const check::Findings findings = check::checkInvoice(
            file.readAll(), {.today = a.today, .fileName = QFileInfo(path).fileName()});
        printFindings(out, shown, findings);
        if (!findings.isEmpty() && result == 0)
            result = 1;
    }
    return result;
}

int checkDocument(const Arguments& a, std::FILE* out, std::FILE* err) {
    DataModule data;
    const QString openError = openDocument(data, a.archive, a.document);
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
    const QString usageError = parse(args, a);
    if (!usageError.isEmpty()) {
        printLine(err, usageError);
        printLine(err, QString::fromLatin1(kUsage));
        return 2;
    }
    if (a.help) {
        printLine(out, QString::fromLatin1(kUsage));
        return 0;
    }
    std::unique_ptr<QCoreApplication> app;
    static int argc = 1;
    static char name[] = "brevalto";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    return a.archive.isEmpty() ? checkFiles(a, out, err) : checkDocument(a, out, err);
}

} // namespace brevalto
