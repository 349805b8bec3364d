#include "store/Prompt.h"

#include "store/CommandParser.h"

#include <cstdio>

namespace brevalto {

namespace {

Prompt* current = nullptr;

// What a process without an installed prompt gets: nothing is asked, nothing is chosen.
class FallbackPrompt : public Prompt {
public:
    void message(const QString& title, const QString& text) override {
        printLine(stderr, title + QStringLiteral(": ") + text);
    }
    bool question(const QString& title, const QString& text) override {
        message(title, text);
        return false;
    }
    Choice ask(const QString& title, const QString& text, bool cancellable, Choice) override {
        message(title, text);
        return cancellable ? Choice::Cancel : Choice::No;
    }
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString folder(const QString&, const QString&) override { return {}; }
    QString text(const QString&, const QString&, bool, bool* ok) override {
        if (ok)
            *ok = false;
        return {};
    }
};

class ForwardingPrompt : public Prompt {
public:
    void message(const QString& title, const QString& text) override {
        prompt().message(title, text);
    }
    bool question(const QString& title, const QString& text) override {
        return prompt().question(title, text);
    }
    Choice ask(const QString& title, const QString& text, bool cancellable,
               Choice byDefault) override {
        return prompt().ask(title, text, cancellable, byDefault);
    }
    QString saveFileName(const QString& title, const QString& folder, const QString& fileName,
                         const QString& filter) override {
        return prompt().saveFileName(title, folder, fileName, filter);
    }
    QString openFileName(const QString& title, const QString& folder,
                         const QString& filter) override {
        return prompt().openFileName(title, folder, filter);
    }
    QString folder(const QString& title, const QString& startFolder) override {
        return prompt().folder(title, startFolder);
    }
    QString text(const QString& title, const QString& label, bool password, bool* ok) override {
        return prompt().text(title, label, password, ok);
    }
};

} // namespace

Prompt& prompt() {
    static FallbackPrompt fallback;
    return current ? *current : fallback;
}

void setPrompt(Prompt* p) {
    current = p;
}

Prompt& installedPrompt() {
    static ForwardingPrompt forwarding;
    return forwarding;
}

} // namespace brevalto
