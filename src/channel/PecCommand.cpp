#include "channel/PecCommand.h"

#include "channel/PecChannel.h"
#include "export/BatchRun.h"
#include "store/CommandParser.h"
#include "store/Connection.h"
#include "store/DbError.h"

#include <QSqlQuery>
#include <thread>
#include <unistd.h>

namespace brevalto::channel {

namespace {

const QString kArchive = QStringLiteral("archive");
const QString kDocument = QStringLiteral("document");
const QString kAgain = QStringLiteral("di-nuovo");

QCommandLineOption archiveOption() {
    return {kArchive, QStringLiteral("l'archivio"), QStringLiteral("PERCORSO")};
}

const QString kPasswordHelp =
    QStringLiteral("La password della casella si legge dalla variabile d'ambiente\n"
                   "BREVALTO_PEC_PASSWORD; se manca viene chiesta senza mostrarla quando c'è un\n"
                   "terminale. Non viene mai salvata.");

CommandSyntax inviaSyntax() {
    return {
        .name = QStringLiteral("pec invia"),
        .synopsis = QStringLiteral("--archive PERCORSO --document NUMERI... [--di-nuovo]"),
        .description =
            QStringLiteral(
                "Invia al Sistema di Interscambio per posta certificata il file esportato di\n"
                "ogni documento (quello firmato .xml.p7m quando c'è), un messaggio per file,\n"
                "dalla casella PEC del suo cedente. Stampa per ogni documento inviato\n"
                "NUMERO, FILE, MESSAGE-ID e destinatario separati da tabulazioni; per uno non\n"
                "inviato il motivo, sull'errore standard. Un documento già inviato e non\n"
                "scartato non parte di nuovo senza --di-nuovo.\n") +
            kPasswordHelp +
            QStringLiteral("\nEsce con 0 se tutti i documenti sono partiti, 1 se qualcuno no, 2 "
                           "per una riga\ndi comando errata, un archivio che non si apre o "
                           "nessuna password."),
        .options = {archiveOption(),
                    {kDocument,
                     QStringLiteral("i documenti da inviare: numeri e intervalli separati da "
                                    "virgole, come 12,13,20-25 (anche più volte)"),
                     QStringLiteral("NUMERI")},
                    {kAgain, QStringLiteral("invia anche un documento già inviato e non "
                                            "scartato")}},
    };
}

CommandSyntax ricezioneSyntax() {
    return {
        .name = QStringLiteral("pec ricevi"),
        .synopsis = QStringLiteral("--archive PERCORSO"),
        .description =
            QStringLiteral(
                "Legge la casella PEC di ogni cedente: le ricevute del gestore sono registrate\n"
                "sul documento inviato con il messaggio, le notifiche del Sistema di\n"
                "Interscambio sono lette dalla busta del gestore e caricate. Un messaggio non\n"
                "utilizzabile resta nella casella com'era (non letto se non lo era) ed è\n"
                "elencato; nessun messaggio viene cancellato. Un messaggio già usato non viene\n"
                "registrato di nuovo. Stampa una riga per messaggio: ESITO (registrato,\n"
                "lasciato), MESSAGE-ID, OGGETTO e cosa è stato fatto, poi il riepilogo.\n") +
            kPasswordHelp +
            QStringLiteral("\nEsce con 0 se ogni casella è stata letta, 1 se un server non "
                           "risponde o rifiuta,\n2 per una riga di comando errata, un archivio "
                           "che non si apre o nessuna password."),
        .options = {archiveOption()},
    };
}

CommandSyntax provaSyntax() {
    return {
        .name = QStringLiteral("pec prova"),
        .synopsis = QStringLiteral("--archive PERCORSO"),
        .description = QStringLiteral("Prova il collegamento ai server di ogni casella PEC "
                                      "dell'archivio e dice cosa non va.\n") +
                       kPasswordHelp,
        .options = {archiveOption()},
    };
}

// The password for the command line: the variable, else the terminal. Sets *missing when neither.
PasswordSource commandLinePassword(std::FILE* err, bool* missing) {
    return [err, missing](const PecAccountSettings& account) -> std::optional<QString> {
        if (qEnvironmentVariableIsSet(kPecPasswordVariable))
            return qEnvironmentVariable(kPecPasswordVariable);
        if (isatty(STDIN_FILENO)) {
            if (auto typed = askWithoutEcho(
                    QStringLiteral("Password della casella %1").arg(account.address), err))
                return typed;
        }
        printLine(err, QStringLiteral("Indicare la password della casella %1 nella variabile "
                                      "d'ambiente %2: non c'è un terminale da cui chiederla.")
                           .arg(escapedControls(account.address),
                                QString::fromLatin1(kPecPasswordVariable)));
        *missing = true;
        return std::nullopt;
    };
}

int openArchive(Connection& connection, const CommandParser& parser, std::FILE* err) {
    if (const int wrong = parser.requireArchive(err); wrong >= 0)
        return wrong;
    if (const QString why = openCommandArchive(connection, parser.value(kArchive));
        !why.isEmpty()) {
        printLine(err, why);
        return 2;
    }
    return -1;
}

QString oneLine(const QString& text) {
    QString line = text;
    line.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    return escapedControls(line);
}

int invia(const QStringList& args, std::FILE* out, std::FILE* err) {
    CommandParser parser(inviaSyntax());
    if (const int parsed = parser.parse(args, out, err); parsed >= 0)
        return parsed;
    if (!parser.positionalArguments().isEmpty())
        return parser.fail(err, QStringLiteral("Argomento inatteso: %1")
                                    .arg(parser.positionalArguments().constFirst()));
    if (const int wrong = parser.requireDocument(err); wrong >= 0)
        return wrong;
    // Each --document a number or a list of numbers and ranges, as the export takes them.
    QList<batch::DocumentList> lists;
    for (const QString& text : parser.values(kDocument)) {
        const std::optional<batch::DocumentList> list = batch::parseDocumentList(text);
        if (!list)
            return parser.fail(err, QStringLiteral("L'elenco di documenti \"%1\" non è valido: "
                                                   "numeri e intervalli separati da virgole, "
                                                   "come 12,13,20-25.")
                                        .arg(text));
        lists << *list;
    }
    Connection connection;
    if (const int opened = openArchive(connection, parser, err); opened >= 0)
        return opened;

    int result = 0;
    QList<int> headers;
    try {
        for (const batch::DocumentList& list : std::as_const(lists)) {
            // A number named alone that no Document has is said, and the others still go.
            for (const batch::DocumentList::Item& item : list.items) {
                int missing = 0;
                const QList<qint64> ids =
                    batch::documentIds(connection, batch::DocumentList{{item}}, &missing);
                if (missing > 0) {
                    printLine(
                        err,
                        QStringLiteral("%1\t\tIl documento numero %1 non esiste.").arg(missing));
                    result = 1;
                }
                for (const qint64 id : ids)
                    if (!headers.contains(int(id)))
                        headers << int(id);
            }
        }
        bool missingPassword = false;
        SendOptions options;
        options.password = commandLinePassword(err, &missingPassword);
        // A provider's limit of messages a minute: said, then waited out.
        options.wait = [err](std::chrono::milliseconds left, const PecAccountSettings& account) {
            printLine(err, QStringLiteral("In attesa per %1 s: il gestore della casella %2 accetta "
                                          "al massimo %3 messaggi al minuto.")
                               .arg((left.count() + 999) / 1000)
                               .arg(escapedControls(account.address))
                               .arg(providerMessagesPerMinute(account)));
            std::this_thread::sleep_for(left);
            return true;
        };
        const bool again = parser.isSet(kAgain);
        options.confirmAgain = [&](const SendPlan& plan) {
            if (!again)
                printLine(
                    err, QStringLiteral("%1\t%2\t%3 (--di-nuovo per inviarlo comunque)")
                             .arg(plan.number)
                             .arg(escapedControls(plan.fileName), oneLine(plan.sendAgainQuestion)));
            return again;
        };
        for (const SendResult& r : sendDocuments(connection, headers, options)) {
            if (r.sent) {
                printLine(out, QStringLiteral("%1\t%2\t%3\t%4")
                                   .arg(r.number)
                                   .arg(escapedControls(r.fileName), escapedControls(r.messageId),
                                        escapedControls(r.to)));
                if (!r.text.startsWith(QLatin1String("Inviato")))
                    printLine(err, oneLine(r.text));
            } else {
                result = 1;
                printLine(err, QStringLiteral("%1\t%2\t%3")
                                   .arg(r.number)
                                   .arg(escapedControls(r.fileName), oneLine(r.text)));
            }
        }
        if (missingPassword)
            return 2;
    } catch (const DbError& e) {
        printLine(err, e.text());
        return 1;
    }
    return result;
}

QList<PecAccountSettings> accountsOrFail(Connection& connection, std::FILE* err) {
    const QList<PecAccountSettings> accounts = pecAccounts(connection);
    if (accounts.isEmpty())
        printLine(err, QStringLiteral("Nessuna casella PEC impostata nell'archivio: Utility, "
                                      "Opzioni, Posta certificata (PEC)."));
    return accounts;
}

int ricevi(const QStringList& args, std::FILE* out, std::FILE* err) {
    CommandParser parser(ricezioneSyntax());
    if (const int parsed = parser.parse(args, out, err); parsed >= 0)
        return parsed;
    if (!parser.positionalArguments().isEmpty())
        return parser.fail(err, QStringLiteral("Argomento inatteso: %1")
                                    .arg(parser.positionalArguments().constFirst()));
    Connection connection;
    if (const int opened = openArchive(connection, parser, err); opened >= 0)
        return opened;
    int result = 0;
    try {
        const QList<PecAccountSettings> accounts = accountsOrFail(connection, err);
        if (accounts.isEmpty())
            return 2;
        bool missingPassword = false;
        ReceiveOptions options;
        options.password = commandLinePassword(err, &missingPassword);
        for (const ReceiveResult& r : receiveMail(connection, accounts, options)) {
            for (const pec::ReadMessage& m : r.report.recorded)
                printLine(out, QStringLiteral("registrato\t%1\t%2\t%3")
                                   .arg(escapedControls(m.messageId), oneLine(m.subject),
                                        oneLine(m.text)));
            for (const pec::ReadMessage& m : r.report.leftInMailbox)
                printLine(out, QStringLiteral("lasciato\t%1\t%2\t%3")
                                   .arg(escapedControls(m.messageId), oneLine(m.subject),
                                        oneLine(m.text)));
            printLine(r.failed ? err : out, oneLine(r.summary()));
            if (r.failed)
                result = 1;
            if (!r.account.proposedSdiAddress.isEmpty() &&
                r.account.proposedSdiAddress.compare(r.account.sdiAddress, Qt::CaseInsensitive))
                printLine(out, QStringLiteral("Il Sistema di Interscambio indica di scrivere d'ora "
                                              "in poi a %1: impostarlo nelle opzioni PEC.")
                                   .arg(escapedControls(r.account.proposedSdiAddress)));
        }
        if (missingPassword)
            return 2;
    } catch (const DbError& e) {
        printLine(err, e.text());
        return 1;
    }
    return result;
}

int prova(const QStringList& args, std::FILE* out, std::FILE* err) {
    CommandParser parser(provaSyntax());
    if (const int parsed = parser.parse(args, out, err); parsed >= 0)
        return parsed;
    Connection connection;
    if (const int opened = openArchive(connection, parser, err); opened >= 0)
        return opened;
    int result = 0;
    try {
        const QList<PecAccountSettings> accounts = accountsOrFail(connection, err);
        if (accounts.isEmpty())
            return 2;
        bool missingPassword = false;
        const PasswordSource source = commandLinePassword(err, &missingPassword);
        for (const PecAccountSettings& account : accounts) {
            const std::optional<QString> password = pecPassword(account, source);
            if (!password)
                return 2;
            const ConnectionCheck check = checkPecConnection(account, *password);
            printLine(check.ok() ? out : err, escapedControls(account.address) + QLatin1Char('\n') +
                                                  escapedControls(check.text(), true));
            if (!check.ok())
                result = 1;
        }
    } catch (const DbError& e) {
        printLine(err, e.text());
        return 1;
    }
    return result;
}

} // namespace

int runPecCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    const auto app = coreApplicationIfNone();
    const QString usage =
        QStringLiteral("Uso: brevalto pec invia|ricevi|prova --archive PERCORSO ...\n\n"
                       "Posta elettronica certificata verso il Sistema di Interscambio:\n"
                       "  invia   invia i file dei documenti indicati\n"
                       "  ricevi  legge la casella e registra ricevute e notifiche\n"
                       "  prova   prova il collegamento ai server\n\n"
                       "\"brevalto pec COMANDO --help\" mostra le opzioni di un comando.");
    if (args.isEmpty()) {
        printLine(err, QStringLiteral("Indicare invia, ricevi o prova."));
        printLine(err, usage);
        return 2;
    }
    const QString what = args.constFirst();
    const QStringList rest = args.mid(1);
    if (what == QLatin1String("invia"))
        return invia(rest, out, err);
    if (what == QLatin1String("ricevi"))
        return ricevi(rest, out, err);
    if (what == QLatin1String("prova"))
        return prova(rest, out, err);
    if (what == QLatin1String("--help") || what == QLatin1String("-h")) {
        printLine(out, usage);
        return 0;
    }
    printLine(err, QStringLiteral("Comando pec sconosciuto: %1").arg(escapedControls(what)));
    printLine(err, usage);
    return 2;
}

} // namespace brevalto::channel
