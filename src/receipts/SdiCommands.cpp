#include "receipts/SdiCommands.h"

#include "receipts/DocumentLife.h"
#include "store/CommandParser.h"
#include "store/Connection.h"
#include "store/DbError.h"

#include <QDir>
#include <QFileInfo>

namespace brevalto::receipts {

namespace {

QCommandLineOption archiveOption() {
    return {QStringLiteral("archive"), QStringLiteral("l'archivio dei documenti"),
            QStringLiteral("PERCORSO")};
}

// A value printed in a column: tabs and line breaks would split the line.
QString cell(QString text) {
    return text.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
}

} // namespace

int runNotificheCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    const auto app = coreApplicationIfNone();
    CommandParser parser({
        .name = QStringLiteral("notifiche"),
        .synopsis = QStringLiteral("--archive PERCORSO FILE|CARTELLA..."),
        .description = QStringLiteral(
            "Carica nell'archivio le notifiche del Sistema di Interscambio (.xml, .xml.p7m,\n"
            "lo .zip dell'attestazione; le cartelle con le sottocartelle) e le collega ai\n"
            "documenti. Stampa una riga per file: FILE, ESITO (collegata, già nota, non\n"
            "collegata, illeggibile), NUMERO e STATO del documento, separati da tabulazioni."),
        .options = {archiveOption()},
        .positionalName = QStringLiteral("FILE|CARTELLA..."),
        .positionalHelp = QStringLiteral("i file delle notifiche o le cartelle che li contengono"),
    });
    const int parsed = parser.parse(args, out, err);
    if (parsed >= 0)
        return parsed;
    if (const int wrong = parser.requireArchive(err); wrong >= 0)
        return wrong;
    if (const int wrong = parser.requireFiles(
            err, QStringLiteral("Indicare i file delle notifiche o una cartella."));
        wrong >= 0)
        return wrong;
    const QString archive = parser.value(QStringLiteral("archive"));
    const QStringList paths = parser.positionalArguments();
    for (const QString& path : paths) {
        if (!QFileInfo::exists(path)) {
            printLine(err, QStringLiteral("%1 non esiste.").arg(QDir::toNativeSeparators(path)));
            return 1;
        }
    }

    Connection connection;
    const QString error = openCommandArchive(connection, archive, false);
    if (!error.isEmpty()) {
        printLine(err, error);
        return 1;
    }
    QList<LoadedFile> loaded;
    try {
        loaded = loadNotifications(connection, paths);
    } catch (const DbError& e) {
        printLine(err, e.text());
        return 1;
    }
    bool allRead = true;
    for (const LoadedFile& f : loaded) {
        const QString file = QDir::toNativeSeparators(f.path);
        printLine(out, cell(file) + u'\t' + f.resultText() + u'\t' +
                           (f.headerId > 0 ? QString::number(f.number) : QString()) + u'\t' +
                           cell(f.state));
        if (!f.why.isEmpty())
            printLine(err, file + QStringLiteral(": ") + f.why);
        allRead &= f.result != LoadedFile::Result::Unreadable;
    }
    return allRead ? 0 : 1;
}

int runStatoCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    const auto app = coreApplicationIfNone();
    CommandParser parser({
        .name = QStringLiteral("stato"),
        .synopsis = QStringLiteral("--archive PERCORSO [--document NUMERO]"),
        .description = QStringLiteral(
            "Stampa lo stato di ogni documento presso il Sistema di Interscambio, come risulta\n"
            "dalle notifiche caricate: NUMERO, FILE, STATO, DATA e CODICI (gli errori di uno\n"
            "scarto), separati da tabulazioni."),
        .options = {archiveOption(),
                    {QStringLiteral("document"),
                     QStringLiteral("solo il documento con questo numero"),
                     QStringLiteral("NUMERO")}},
    });
    const int parsed = parser.parse(args, out, err);
    if (parsed >= 0)
        return parsed;
    if (!parser.positionalArguments().isEmpty())
        return parser.fail(err, QStringLiteral("Argomento sconosciuto: %1")
                                    .arg(parser.positionalArguments().constFirst()));
    if (const int wrong = parser.requireArchive(err); wrong >= 0)
        return wrong;
    const QString archive = parser.value(QStringLiteral("archive"));
    int number = 0;
    const bool oneDocument = parser.isSet(QStringLiteral("document"));
    if (oneDocument) {
        bool ok = false;
        number = parser.value(QStringLiteral("document")).trimmed().toInt(&ok);
        if (!ok)
            return parser.fail(err, QStringLiteral("Il numero di documento \"%1\" non è valido.")
                                        .arg(parser.value(QStringLiteral("document"))));
    }

    Connection connection;
    const QString error = openCommandArchive(connection, archive, true);
    if (!error.isEmpty()) {
        printLine(err, error);
        return 1;
    }
    QList<DocumentStatus> statuses;
    try {
        statuses = documentStatuses(connection);
    } catch (const DbError& e) {
        printLine(err, e.text());
        return 1;
    }
    int printed = 0;
    for (const DocumentStatus& s : std::as_const(statuses)) {
        if (oneDocument && s.number != number)
            continue;
        printLine(out, QString::number(s.number) + u'\t' + cell(s.fileName) + u'\t' +
                           stateText(s.state) + u'\t' +
                           (s.date.isValid() ? s.date.toString(QStringLiteral("dd/MM/yyyy"))
                                             : QString()) +
                           u'\t' + s.codes.join(u','));
        ++printed;
    }
    if (oneDocument && printed == 0) {
        printLine(err, QStringLiteral("Nessun documento ha il numero %1.").arg(number));
        return 1;
    }
    return 0;
}

} // namespace brevalto::receipts
