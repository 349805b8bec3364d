#include "export/ExportCommand.h"

#include "export/ConsolePrompt.h"
#include "export/ExportDriver.h"
#include "export/FatturaWriter.h"
#include "store/ArchiveCheck.h"
#include "store/ArchiveUpgrade.h"
#include "store/DataModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <memory>

namespace brevalto {

namespace {

const char kUsage[] =
    "Uso: brevalto export --archive PERCORSO --document NUMERO [--out FILE] [--force] "
    "[--no-check]";

void printLine(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fprintf(stream, "%s\n", bytes.constData());
    std::fflush(stream);
}

struct Arguments {
    QString archive;
    QString document;
    QString out;
    bool force = false;
    bool noCheck = false;
};

// Reads the arguments; an empty result text means they are fine.
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
        if (word == QLatin1String("--archive"))
            error = valueOf(a.archive);
        else if (word == QLatin1String("--document"))
            error = valueOf(a.document);
        else if (word == QLatin1String("--out"))
            error = valueOf(a.out);
        else if (word == QLatin1String("--force"))
            a.force = true;
        else if (word == QLatin1String("--no-check"))
            a.noCheck = true;
        else
            error = QStringLiteral("Argomento sconosciuto: %1").arg(word);
        if (!error.isEmpty())
            return error;
    }
    if (a.archive.isEmpty())
        return QStringLiteral("Indicare l'archivio con --archive.");
    if (a.document.isEmpty())
        return QStringLiteral("Indicare il numero del documento con --document.");
    return QString();
}

// Puts TablePA_FE_Header on the one document with that number.
QString selectDocument(DataModule& data, const QString& numberText) {
    bool ok = false;
    const int number = numberText.trimmed().toInt(&ok);
    if (!ok)
        return QStringLiteral("Il numero di documento \"%1\" non è valido.").arg(numberText);
    Dataset& header = data.table("TablePA_FE_Header");
    int found = -1;
    int matches = 0;
    for (int row = 0; row < header.rowCount(); ++row) {
        const QVariant v = header.valueAt(row, header.columnIndex("Numero"));
        if (!v.isNull() && v.toInt() == number) {
            if (found < 0)
                found = row;
            ++matches;
        }
    }
    if (matches == 0)
        return QStringLiteral("Nessun documento ha il numero %1.").arg(number);
    if (matches > 1)
        return QStringLiteral("Il numero %1 è ambiguo: %2 documenti hanno questo numero.")
            .arg(number)
            .arg(matches);
    header.moveTo(found);
    return QString();
}

int run(const QStringList& args, std::FILE* out, std::FILE* err) {
    Arguments a;
    const QString usageError = parse(args, a);
    if (!usageError.isEmpty()) {
        printLine(err, usageError);
        printLine(err, QString::fromLatin1(kUsage));
        return 2;
    }

    ConsolePrompt prompt(err);
    DataModule data;
    const QString openError = openDocument(data, a.archive, a.document);
    if (!openError.isEmpty()) {
        printLine(err, openError);
        return 1;
    }

    ExportDriver driver(data, prompt);
    QString path = a.out;
    try {
        if (!driver.hasBodies()) {
            prompt.message(Prompt::warningTitle(), fattura::kNoBodiesMessage);
            return 1;
        }
        if (path.isEmpty()) {
            QString folder = driver.preferredFolder();
            if (folder.isEmpty())
                folder = QDir::currentPath();
            path = QDir(folder).filePath(driver.proposedFileName());
        }
    } catch (const DbError& e) {
        printLine(err, e.text());
        return 1;
    }
    if (QFileInfo::exists(path) && !a.force) {
        printLine(err, QStringLiteral("Il file %1 esiste già: usare --force per sostituirlo.")
                           .arg(QDir::toNativeSeparators(path)));
        return 1;
    }
    driver.setCheckMode(a.noCheck ? ExportDriver::CheckMode::Skip
                                  : ExportDriver::CheckMode::Refuse);
    if (driver.exportTo(path, false) != ExportDriver::Outcome::Written) {
        printFindings(out, QDir::toNativeSeparators(path), driver.lastFindings());
        return 1;
    }
    printLine(out, QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    return 0;
}

} // namespace

QString openDocument(DataModule& data, const QString& path, const QString& numberText) {
    try {
        data.connessione().open(path);
        requireUsableArchive(data.connessione(), requiredArchiveVersion);
        for (const char* name : {"TableDitta", "TableOpzioni", "TablePA_FE_Header"})
            data.table(name).open();
        const QString error = selectDocument(data, numberText);
        if (!error.isEmpty())
            return error;
        data.loadBodies();
    } catch (const DbError& e) {
        return e.text();
    }
    return QString();
}

void printFindings(std::FILE* out, const QString& file, const check::Findings& findings) {
    for (const check::Finding& f : findings) {
        QString message = f.message;
        message.replace(u'\t', u' ').replace(u'\n', u' ');
        printLine(out, file + u'\t' + f.code + u'\t' + f.element + u'\t' + message);
    }
}

int runExportCommand(const QStringList& args) {
    return runExportCommand(args, stdout, stderr);
}

int runExportCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    // The archive layer and the program folder need an application object; a plain one opens
    // no window.
    std::unique_ptr<QCoreApplication> app;
    static int argc = 1;
    static char name[] = "brevalto";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    return run(args, out, err);
}

} // namespace brevalto
