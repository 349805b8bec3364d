#include "store/CommandParser.h"
#include "store/ArchiveCheck.h"
#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "store/DbError.h"

#include <QRegularExpression>
#include <cstring>
#include <termios.h>
#include <unistd.h>

namespace brevalto {

namespace {

QCommandLineOption helpOption() {
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("mostra questo aiuto ed esce"));
}

QString dashed(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

} // namespace

std::unique_ptr<QCoreApplication> coreApplicationIfNone() {
    static int argc = 1;
    static char name[] = "brevalto";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return nullptr;
    return std::make_unique<QCoreApplication>(argc, argv);
}

QString escapedControls(const QString& text, bool keepLineBreaks) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool keptBreak = keepLineBreaks && (u == u'\n' || u == u'\t');
        if (!keptBreak && (u < 0x20 || u == 0x7f))
            out += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        else if (u >= 0x80 && u <= 0x9f)
            out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

void printLine(std::FILE* stream, const QString& text) {
    const QByteArray bytes = (escapedControls(text, true) + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString optionsHelp(const QList<QCommandLineOption>& options) {
    QList<QPair<QString, QString>> rows;
    qsizetype width = 0;
    for (const QCommandLineOption& option : options) {
        QStringList names;
        for (const QString& name : option.names())
            names << dashed(name);
        QString left = names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty())
            left += u' ' + option.valueName();
        width = std::max(width, left.size());
        rows.append({left, option.description()});
    }
    QString text;
    for (const auto& [left, description] : rows)
        text += QStringLiteral("  %1  %2\n").arg(left.leftJustified(width), description);
    return text;
}

CommandParser::CommandParser(CommandSyntax syntax) : syntax_(std::move(syntax)) {
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOption(helpOption());
    for (const QCommandLineOption& option : syntax_.options)
        parser_.addOption(option);
}

QString CommandParser::usage() const {
    QString text;
    for (const QString& line : syntax_.synopsis.split(u'\n')) {
        text += text.isEmpty() ? QStringLiteral("Uso: ") : QStringLiteral("\n     ");
        QStringList words{syntax_.program, syntax_.name, line};
        words.removeAll(QString());
        text += words.join(u' ');
    }
    return text;
}

QString CommandParser::help() const {
    QString text = usage() + QStringLiteral("\n\n") + syntax_.description + QStringLiteral("\n\n");
    if (!syntax_.positionalName.isEmpty())
        text += QStringLiteral("Argomenti:\n  %1  %2\n\n")
                    .arg(syntax_.positionalName, syntax_.positionalHelp);
    text += QStringLiteral("Opzioni:\n") + optionsHelp(QList{helpOption()} + syntax_.options);
    return text;
}

int CommandParser::fail(std::FILE* err, const QString& message) const {
    printLine(err, message);
    printLine(err, usage());
    return 2;
}

int CommandParser::requireArchive(std::FILE* err) const {
    if (value(QStringLiteral("archive")).trimmed().isEmpty())
        return fail(err, QStringLiteral("Indicare l'archivio con --archive."));
    return -1;
}

int CommandParser::requireDocument(std::FILE* err) const {
    if (value(QStringLiteral("document")).trimmed().isEmpty())
        return fail(err, QStringLiteral("Indicare il numero del documento con --document."));
    return -1;
}

int CommandParser::requireFiles(std::FILE* err, const QString& none, int most,
                                const QString& tooMany) const {
    const QStringList files = positionalArguments();
    if (files.isEmpty())
        return fail(err, none);
    if (most > 0 && files.size() > most)
        return fail(err, tooMany);
    for (const QString& file : files) {
        if (file.trimmed().isEmpty())
            return fail(err, QStringLiteral("Il nome di un file è vuoto."));
    }
    return -1;
}

QString openCommandArchive(Connection& connection, const QString& path, bool readOnly) {
    try {
        connection.setReadOnly(readOnly);
        connection.open(path);
        requireCurrentArchive(connection, requiredArchiveVersion);
    } catch (const DbError& e) {
        return e.text();
    }
    return QString();
}

QString CommandParser::errorMessage(const QStringList& words) const {
    const QStringList unknown = parser_.unknownOptionNames();
    if (!unknown.isEmpty()) {
        // The word as it was typed, so that the user recognises it.
        for (const QString& word : words) {
            const QString bare = word.section(u'=', 0, 0);
            if (bare == dashed(unknown.first()) || bare == u'-' + unknown.first())
                return QStringLiteral("Opzione sconosciuta: %1").arg(bare);
        }
        return QStringLiteral("Opzione sconosciuta: %1").arg(dashed(unknown.first()));
    }
    // Qt words the other errors in English with the option between quotes.
    static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
    const QString text = parser_.errorText();
    const QString option = quoted.match(text).captured(1);
    if (text.startsWith(QLatin1String("Missing value")))
        return QStringLiteral("Manca il valore di %1.").arg(option);
    if (text.startsWith(QLatin1String("Unexpected value")))
        return QStringLiteral("L'opzione %1 non prende un valore.").arg(option);
    return QStringLiteral("Riga di comando non valida: %1").arg(text);
}

int CommandParser::parse(const QStringList& words, std::FILE* out, std::FILE* err) {
    if (!parser_.parse(QStringList{QStringLiteral("brevalto")} + words))
        return fail(err, errorMessage(words));
    if (parser_.isSet(QStringLiteral("help"))) {
        const QString text = help();
        printLine(out, text.endsWith(QLatin1Char('\n')) ? text.chopped(1) : text);
        return 0;
    }
    for (const QCommandLineOption& option : syntax_.options) {
        if (option.valueName().isEmpty())
            continue;
        for (const QString& value : parser_.values(option.names().constLast())) {
            if (value.startsWith(QLatin1String("--")))
                return fail(err, QStringLiteral("Manca il valore di %1.")
                                     .arg(dashed(option.names().constLast())));
        }
    }
    return -1;
}

// Reads one line from the terminal on standard input with its echo off.
// The echo goes off before the question is shown: what is typed as soon as it appears is never
// echoed, nor thrown away by the switch.
std::optional<QString> askWithoutEcho(const QString& question, std::FILE* err) {
    termios saved{};
    const bool canHide = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (canHide) {
        termios hidden = saved;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    std::fputs(QString(question + QStringLiteral(": ")).toLocal8Bit().constData(), err);
    std::fflush(err);
    char buffer[1024] = {};
    const bool read = std::fgets(buffer, sizeof buffer, stdin) != nullptr;
    if (canHide)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::fputs("\n", err);
    if (!read)
        return std::nullopt;
    std::size_t length = std::strlen(buffer);
    while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r'))
        --length;
    const QString secret = QString::fromLocal8Bit(buffer, qsizetype(length));
    std::memset(buffer, 0, sizeof buffer);
    return secret;
}

} // namespace brevalto
