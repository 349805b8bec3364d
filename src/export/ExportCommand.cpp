#include "export/ExportCommand.h"

#include "export/ConsolePrompt.h"
#include "export/DocumentCheck.h"
#include "export/ExportDriver.h"
#include "export/FatturaWriter.h"
#include "sdi/SignCommand.h"
#include "store/CommandParser.h"
#include "store/DataModule.h"
#include "store/DbError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <memory>

namespace brevalto {

namespace {

CommandSyntax exportSyntax() {
    QList<QCommandLineOption> options = {
        {QStringLiteral("archive"), QStringLiteral("l'archivio da cui leggere il documento"),
         QStringLiteral("PERCORSO")},
        {QStringLiteral("document"), QStringLiteral("il numero del documento"),
         QStringLiteral("NUMERO")},
        {QStringLiteral("out"),
         QStringLiteral("il file da scrivere (se manca: il nome proposto nella cartella "
                        "delle opzioni)"),
         QStringLiteral("FILE")},
        {QStringLiteral("force"), QStringLiteral("sostituisce un file già esistente")},
        {QStringLiteral("no-check"), QStringLiteral("scrive il file anche se il controllo "
                                                    "trova errori")},
        {QStringLiteral("sign"), QStringLiteral("firma anche il file (FILE.p7m accanto a FILE), "
                                                "con --pkcs12 o --pkcs11-module e --token")},
    };
    options << sdi::signingKeyOptions();
    return {
        .name = QStringLiteral("export"),
        .synopsis = QStringLiteral(
            "--archive PERCORSO --document NUMERO [--out FILE] [--force] [--no-check] "
            "[--sign (--pkcs12 FILE | --pkcs11-module LIBRERIA --token ETICHETTA)]"),
        .description = QStringLiteral(
            "Scrive il documento numero NUMERO dell'archivio come file FatturaPA, con lo stesso\n"
            "codice del pulsante \"Esporta xml\". Il file viene prima controllato: se il "
            "controllo\n"
            "trova errori li elenca e non scrive nulla. Stampa il percorso del file scritto\n"
            "e, uno per riga, nome, dimensione e percorso di ogni file allegato.\n"
            "Con --sign lo firma anche (CAdES, FILE.p7m accanto a FILE; la password o il PIN\n"
            "come per \"brevalto sign\") e stampa il percorso del file firmato subito dopo\n"
            "quello del file; se la firma non riesce non scrive nulla."),
        .options = options,
    };
}

struct Arguments {
    QString archive;
    QString document;
    QString out;
    bool force = false;
    bool noCheck = false;
    std::optional<sdi::SigningKey> signingKey;
};

// Reads the arguments into a; returns -1 to go on, otherwise the exit code (help or a wrong
// command line, already printed).
int parse(const QStringList& args, Arguments& a, std::FILE* out, std::FILE* err) {
    CommandParser parser(exportSyntax());
    const int code = parser.parse(args, out, err);
    if (code >= 0)
        return code;
    if (!parser.positionalArguments().isEmpty())
        return parser.fail(err, QStringLiteral("Argomento sconosciuto: %1")
                                    .arg(parser.positionalArguments().constFirst()));
    a.archive = parser.value(QStringLiteral("archive"));
    a.document = parser.value(QStringLiteral("document"));
    a.out = parser.value(QStringLiteral("out"));
    a.force = parser.isSet(QStringLiteral("force"));
    a.noCheck = parser.isSet(QStringLiteral("no-check"));
    if (const int wrong = parser.requireArchive(err); wrong >= 0)
        return wrong;
    if (parser.isSet(QStringLiteral("out")) && a.out.trimmed().isEmpty())
        return parser.fail(err, QStringLiteral("Indicare il file da scrivere con --out."));
    if (const int wrong = parser.requireDocument(err); wrong >= 0)
        return wrong;
    sdi::SigningKey key;
    const QString wrongKey = sdi::signingKeyFrom(parser, &key);
    if (parser.isSet(QStringLiteral("sign"))) {
        if (!wrongKey.isEmpty())
            return parser.fail(err, wrongKey);
        a.signingKey = key;
    } else {
        for (const QCommandLineOption& option : sdi::signingKeyOptions()) {
            if (parser.isSet(option.names().constFirst()))
                return parser.fail(
                    err,
                    QStringLiteral("--%1 vale solo con --sign.").arg(option.names().constFirst()));
        }
    }
    return -1;
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
    const int parsed = parse(args, a, out, err);
    if (parsed >= 0)
        return parsed;

    // The password or PIN before anything is opened: without it nothing can be signed.
    std::optional<QString> secret;
    if (a.signingKey) {
        secret = sdi::commandLineSecret(*a.signingKey, err);
        if (!secret)
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
    if (QFileInfo(path).isDir()) {
        printLine(err, QStringLiteral("%1 è una cartella: indicare il nome del file da scrivere.")
                           .arg(QDir::toNativeSeparators(path)));
        return 1;
    }
    if (sameFile(path, a.archive)) {
        printLine(err,
                  QStringLiteral("Il file %1 è l'archivio: indicare un altro file da scrivere.")
                      .arg(QDir::toNativeSeparators(path)));
        return 1;
    }
    // The name the exchange system reads the sender from: a wrong one is never written.
    if (driver.badFileName(path)) {
        printFindings(out, QDir::toNativeSeparators(path),
                      fileNameFindings(data, QFileInfo(path).fileName()));
        return 1;
    }
    QStringList targets{path};
    if (a.signingKey)
        targets << sdi::signedFileName(path);
    for (const QString& written : targets) {
        if (QFileInfo::exists(written) && !a.force) {
            printLine(err, QStringLiteral("Il file %1 esiste già: usare --force per sostituirlo.")
                               .arg(QDir::toNativeSeparators(written)));
            return 1;
        }
    }
    driver.setCheckMode(a.noCheck ? ExportDriver::CheckMode::Skip
                                  : ExportDriver::CheckMode::Refuse);
    if (a.signingKey)
        driver.setSigning(ExportDriver::Signing{*a.signingKey, [&] { return secret; }});
    if (driver.exportTo(path, false) != ExportDriver::Outcome::Written) {
        printFindings(out, QDir::toNativeSeparators(path), driver.lastFindings());
        return 1;
    }
    // Data left out of the file (warnings only, or the file would not be written) are said.
    printFindings(err, QDir::toNativeSeparators(path), driver.lastFindings());
    printLine(out, QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    if (!driver.signedPath().isEmpty())
        printLine(out, QDir::toNativeSeparators(QFileInfo(driver.signedPath()).absoluteFilePath()));
    // Every file that left with the invoice, one per line: name, size, where it was read.
    for (const AttachedFile& f : driver.attachedFiles())
        printLine(out, QStringLiteral("Allegato: %1 (%2 byte) %3")
                           .arg(escapedControls(f.name))
                           .arg(f.size)
                           .arg(escapedControls(QDir::toNativeSeparators(f.path))));
    return 0;
}

} // namespace

QString openDocument(DataModule& data, const QString& path, const QString& numberText,
                     bool readOnly) {
    const QString openError = openCommandArchive(data.connessione(), path, readOnly);
    if (!openError.isEmpty())
        return openError;
    try {
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

bool sameFile(const QString& a, const QString& b) {
    const QString first = QFileInfo(a).canonicalFilePath();
    return !first.isEmpty() && first == QFileInfo(b).canonicalFilePath();
}

void printFindings(std::FILE* out, const QString& file, const check::Findings& findings) {
    for (const check::Finding& f : findings) {
        // One line of four columns: a tab or line break inside a field (a file name, a text of
        // the invoice quoted by the message) would make another.
        QString message = f.message;
        message.replace(u'\t', u' ').replace(u'\n', u' ');
        printLine(out, escapedControls(file) + u'\t' + escapedControls(f.code) + u'\t' +
                           escapedControls(f.element) + u'\t' + escapedControls(message));
    }
}

int runExportCommand(const QStringList& args) {
    return runExportCommand(args, stdout, stderr);
}

int runExportCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    const auto app = coreApplicationIfNone();
    return run(args, out, err);
}

} // namespace brevalto
