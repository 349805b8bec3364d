#include "export/ExportCommand.h"

#include "export/BatchRun.h"
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
#include <QHash>
#include <QSet>
#include <memory>

namespace brevalto {

namespace {

CommandSyntax exportSyntax() {
    QList<QCommandLineOption> options = {
        {QStringLiteral("archive"), QStringLiteral("l'archivio da cui leggere il documento"),
         QStringLiteral("PERCORSO")},
        {QStringLiteral("document"),
         QStringLiteral("il numero del documento, o più numeri e intervalli (12,13,20-25)"),
         QStringLiteral("NUMERI")},
        {QStringLiteral("pending"), QStringLiteral("tutti i documenti non ancora esportati")},
        {QStringLiteral("out"),
         QStringLiteral("il file da scrivere (se manca: il nome proposto nella cartella "
                        "delle opzioni); con più documenti o --pending, la cartella"),
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
            "--archive PERCORSO (--document NUMERI | --pending) [--out FILE|CARTELLA] [--force] "
            "[--no-check] [--sign (--pkcs12 FILE | --pkcs11-module LIBRERIA --token ETICHETTA)]"),
        .description = QStringLiteral(
            "Con un numero scrive quel documento dell'archivio come file FatturaPA, con lo stesso\n"
            "codice del pulsante \"Esporta xml\". Il file viene prima controllato: se il "
            "controllo\n"
            "trova errori li elenca e non scrive nulla. Stampa il percorso del file scritto\n"
            "e, uno per riga, nome, dimensione e percorso di ogni file allegato.\n"
            "Con --sign lo firma anche (CAdES, FILE.p7m accanto a FILE; la password o il PIN\n"
            "come per \"brevalto sign\") e stampa il percorso del file firmato subito dopo\n"
            "quello del file; se la firma non riesce non scrive nulla.\n"
            "Con più numeri (12,13,20-25) o con --pending (tutti i documenti non ancora\n"
            "esportati) scrive ogni documento nella cartella CARTELLA con il nome proposto, uno\n"
            "alla volta e ciascuno per intero o per niente; salta quelli con errori del\n"
            "controllo (scritti con --no-check) e quelli già esportati o il cui file c'è già\n"
            "(esportati di nuovo con --force); stampa i file scritti e, sull'errore, il\n"
            "riepilogo. Restituisce 0 se tutti sono stati esportati, 1 altrimenti."),
        .options = options,
    };
}

struct Arguments {
    QString archive;
    QString document;
    bool pending = false;
    // Several Documents (a list or range in --document, or --pending): --out names a folder.
    bool many = false;
    batch::DocumentList list;
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
    a.pending = parser.isSet(QStringLiteral("pending"));
    if (a.pending && parser.isSet(QStringLiteral("document")))
        return parser.fail(err, QStringLiteral("Indicare --document oppure --pending, non "
                                               "entrambi."));
    if (!a.pending) {
        if (const int wrong = parser.requireDocument(err); wrong >= 0)
            return wrong;
    }
    a.many = a.pending || a.document.contains(u',') || a.document.contains(u'-');
    if (a.many && !a.pending) {
        const std::optional<batch::DocumentList> list = batch::parseDocumentList(a.document);
        if (!list)
            return parser.fail(err, QStringLiteral("L'elenco di documenti \"%1\" non è "
                                                   "valido: numeri e intervalli separati da "
                                                   "virgole, come 12,13,20-25.")
                                        .arg(a.document));
        a.list = *list;
    }
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

// Several Documents into one folder, each all or nothing, with one summary.
int runMany(const Arguments& a, const std::optional<QString>& secret, std::FILE* out,
            std::FILE* err) {
    ConsolePrompt prompt(err);
    DataModule data;
    QList<qint64> ids;
    if (const QString openError = openCommandArchive(data.connessione(), a.archive);
        !openError.isEmpty()) {
        printLine(err, openError);
        return 1;
    }
    try {
        for (const char* name : {"TableDitta", "TableOpzioni", "TablePA_FE_Header"})
            data.table(name).open();
        Dataset& header = data.table("TablePA_FE_Header");
        header.setSort(QStringLiteral("Numero ASC"));
        if (a.pending) {
            ids = batch::pendingDocuments(data);
        } else {
            int missing = 0;
            ids = batch::documentIds(data.connessione(), a.list, &missing);
            if (missing > 0) {
                printLine(err, QStringLiteral("Nessun documento ha il numero %1.").arg(missing));
                return 1;
            }
        }
    } catch (const DbError& e) {
        printLine(err, e.text());
        return 1;
    }
    if (ids.isEmpty()) {
        printLine(err, a.pending ? QStringLiteral("Nessun documento da esportare.")
                                 : QStringLiteral("Nessun documento ha quei numeri."));
        return a.pending ? 0 : 1;
    }
    QString folder = a.out;
    if (folder.isEmpty()) {
        ExportDriver driver(data, prompt);
        folder = driver.preferredFolder();
        if (folder.isEmpty())
            folder = QDir::currentPath();
    }
    if (!QFileInfo(folder).isDir()) {
        printLine(err, QStringLiteral("La cartella %1 non esiste: con più documenti --out indica "
                                      "la cartella in cui scriverli.")
                           .arg(QDir::toNativeSeparators(folder)));
        return 1;
    }
    std::optional<ExportDriver::Signing> signing;
    if (a.signingKey)
        signing = ExportDriver::Signing{*a.signingKey, [&] { return secret; }};
    batch::ExportStep step(data, prompt, folder, signing);
    step.answerBeforehand(a.force, a.noCheck);
    const batch::Report report =
        batch::run(data, a.signingKey ? QStringLiteral("Firma") : QStringLiteral("Esporta xml"),
                   ids, std::ref(step));
    for (const batch::Result& r : report.results)
        for (const QString& file : r.files)
            printLine(out, file);
    printLine(err, report.summary());
    return report.count(batch::Status::Done) == report.total ? 0 : 1;
}

int run(const QStringList& args, std::FILE* out, std::FILE* err) {
    Arguments a;
    const int parsed = parse(args, a, out, err);
    if (parsed >= 0)
        return parsed;
    if (a.many) {
        std::optional<QString> secret;
        if (a.signingKey) {
            secret = sdi::commandLineSecret(*a.signingKey, err);
            if (!secret)
                return 2;
        }
        return runMany(a, secret, out, err);
    }

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
