#pragma once
// A Prompt for the command line: messages go to the error stream, nothing is ever asked. Questions
// answer No (Annulla when they offer it) and dialogs are cancelled, so a run without a user never
// overwrites or picks a file.
#include "store/Prompt.h"

#include <QStringList>
#include <cstdio>

namespace brevalto {

class ConsolePrompt : public Prompt {
public:
    explicit ConsolePrompt(std::FILE* stream = stderr) : stream_(stream) {}

    void message(const QString& title, const QString& text) override;
    bool question(const QString& title, const QString& text) override;
    Choice ask(const QString& title, const QString& text, bool cancellable,
               Choice byDefault) override;
    QString saveFileName(const QString& title, const QString& folder, const QString& fileName,
                         const QString& filter) override;
    QString openFileName(const QString& title, const QString& folder,
                         const QString& filter) override;
    QString folder(const QString& title, const QString& startFolder) override;
    QString text(const QString& title, const QString& label, bool password, bool* ok) override;

    // Every message written, in order.
    const QStringList& messages() const { return messages_; }

private:
    std::FILE* stream_;
    QStringList messages_;
};

} // namespace brevalto
