#include "export/ConsolePrompt.h"

#include "store/CommandParser.h"

namespace brevalto {

namespace {

void print(std::FILE* stream, const QString& text) {
    printLine(stream, text);
}

} // namespace

void ConsolePrompt::message(const QString&, const QString& text) {
    messages_ << text;
    print(stream_, text);
}

bool ConsolePrompt::question(const QString&, const QString& text) {
    print(stream_, text + QStringLiteral(" No"));
    return false;
}

Prompt::Choice ConsolePrompt::ask(const QString&, const QString& text, bool cancellable, Choice) {
    print(stream_, text + (cancellable ? QStringLiteral(" Annulla") : QStringLiteral(" No")));
    return cancellable ? Choice::Cancel : Choice::No;
}

QString ConsolePrompt::saveFileName(const QString&, const QString&, const QString&,
                                    const QString&) {
    return {};
}

QString ConsolePrompt::openFileName(const QString&, const QString&, const QString&) {
    return {};
}

QString ConsolePrompt::folder(const QString&, const QString&) {
    return {};
}

QString ConsolePrompt::text(const QString&, const QString&, bool, bool* ok) {
    if (ok)
        *ok = false;
    return {};
}

} // namespace brevalto
