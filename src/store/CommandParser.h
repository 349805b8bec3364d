#pragma once
// The reading of a headless subcommand's words ("brevalto export --archive a.mdb ..."), shared by
// every subcommand so that they answer --help, word their errors and exit alike: a wrong command
// line prints one Italian line with the error and one with the usage, and gives 2.
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <memory>
#include <optional>

namespace brevalto {

// The application object the archive layer and the program folder need, made (and owned by the
// result) only when the caller has none; a plain one opens no window.
std::unique_ptr<QCoreApplication> coreApplicationIfNone();

// Text fit for a terminal: every control character (those below a blank, DEL and the C1 codes
// U+0080 to U+009F) shown as \xNN or \uNNNN, so that a name read from a file, a certificate or an
// archive cannot change colours or the window title, move the cursor or cut the line. With
// keepLineBreaks the line breaks and tabs of a message stay as they are; without, they are shown
// escaped too (a value that must stay on its line).
QString escapedControls(const QString& text, bool keepLineBreaks = false);

// Prints text, its control characters escaped (line breaks and tabs kept), and a line break on
// stream in the system's encoding, at once. Every byte goes out: a NUL in the text is shown as
// \x00 instead of ending it. The one way the commands print.
void printLine(std::FILE* stream, const QString& text);

struct CommandSyntax {
    QString name;        // "export"
    QString synopsis;    // what follows the name in the usage: "--archive PERCORSO ..."
    QString description; // one or more sentences for --help
    QList<QCommandLineOption> options = {};
    QString positionalName = {}; // shown in --help when the command takes words ("FILE.xml")
    QString positionalHelp = {};
    QString program = QStringLiteral("brevalto"); // the executable, first word of the usage
};

class CommandParser {
public:
    explicit CommandParser(CommandSyntax syntax);

    // Reads words (those after the subcommand's name). Returns -1 when the command should run;
    // otherwise the exit code: 0 after printing the help on out (-h, --help), 2 after printing
    // the error and the usage on err. An option that takes a value refuses a missing one, and
    // one that looks like another option ("--archive --document"): the value was forgotten.
    int parse(const QStringList& words, std::FILE* out, std::FILE* err);

    bool isSet(const QString& name) const { return parser_.isSet(name); }
    QString value(const QString& name) const { return parser_.value(name); }
    // Every value of an option given more than once, in order.
    QStringList values(const QString& name) const { return parser_.values(name); }
    QStringList positionalArguments() const { return parser_.positionalArguments(); }

    // "Uso: PROGRAM NAME SYNOPSIS" (one line per synopsis line).
    QString usage() const;
    // The whole --help text: usage, description and options.
    QString help() const;
    // Prints message and the usage on err; returns 2, the code of a wrong command line.
    int fail(std::FILE* err, const QString& message) const;

    // The checks of the words the commands share. Each returns -1 when the words are right;
    // otherwise it fails() with its message and returns 2. A blank value counts as missing.
    // --archive PERCORSO: "Indicare l'archivio con --archive.".
    int requireArchive(std::FILE* err) const;
    // --document NUMERO: "Indicare il numero del documento con --document.".
    int requireDocument(std::FILE* err) const;
    // The words after the options, files: at least one (none says so), at most most when it is
    // above 0 (tooMany says so), and none with a blank name.
    int requireFiles(std::FILE* err, const QString& none, int most = 0,
                     const QString& tooMany = {}) const;

private:
    QString errorMessage(const QStringList& words) const;

    CommandSyntax syntax_;
    QCommandLineParser parser_;
};

class Connection;

// Opens the archive at path for a command, refusing one the program cannot work on (another
// version, damaged, not an archive); readOnly for a command that only reads. Returns the message
// to print when that fails, empty when the archive is open. Throws nothing.
QString openCommandArchive(Connection& connection, const QString& path, bool readOnly = false);

// The options' part of a --help text: one line per option with its names, value and description.
QString optionsHelp(const QList<QCommandLineOption>& options);

// Asks question on err and reads one line from the terminal on standard input with its echo off
// (a password, a PIN); nullopt when nothing could be read.
std::optional<QString> askWithoutEcho(const QString& question, std::FILE* err);

} // namespace brevalto
