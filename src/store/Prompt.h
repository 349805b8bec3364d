#pragma once
// The one seam through which program logic talks to the user: message boxes, questions and file
// or folder dialogs. The desktop installs a Qt implementation, the command line a console one and
// the tests a scripted one that records every call and answers from a queue.
#include <QString>

namespace brevalto {

class Prompt {
public:
    virtual ~Prompt() = default;

    // A message with an OK button.
    virtual void message(const QString& title, const QString& text) = 0;
    // A Yes/No question; true for Yes. No is the default button.
    virtual bool question(const QString& title, const QString& text) = 0;
    // A question answered "Sì", "No" or, when cancellable, "Annulla"; byDefault is the button that
    // Enter presses. Closing the box counts as Annulla (as No when not cancellable).
    enum class Choice { Yes, No, Cancel };
    virtual Choice ask(const QString& title, const QString& text, bool cancellable,
                       Choice byDefault) = 0;
    // A file-save dialog; an empty result means cancelled.
    virtual QString saveFileName(const QString& title, const QString& folder,
                                 const QString& fileName, const QString& filter) = 0;
    // A file-open dialog; an empty result means cancelled. The filter uses Qt's syntax
    // ("Database (archivioPa.mdb)"); an empty filter offers every file.
    virtual QString openFileName(const QString& title, const QString& folder,
                                 const QString& filter) = 0;
    // A folder picker; an empty result means cancelled.
    virtual QString folder(const QString& title, const QString& startFolder) = 0;
    // A one-line text entry (the password prompt, for instance); ok tells whether confirmed.
    virtual QString text(const QString& title, const QString& label, bool password, bool* ok) = 0;

    // Message box titles used throughout the program.
    static QString errorTitle() { return QStringLiteral("Messaggio di errore"); }
    static QString warningTitle() { return QStringLiteral("Messaggio di avviso"); }
};

// The prompt every screen and every piece of logic uses. The desktop installs a QtPrompt at start,
// tests a scripted one; until one is installed, messages go to the standard error and questions
// are answered No. Never null.
Prompt& prompt();
void setPrompt(Prompt* prompt);
// A prompt that passes every call on to whatever prompt() is at that moment: for logic that keeps
// a Prompt& for its lifetime while tests swap the installed one.
Prompt& installedPrompt();

} // namespace brevalto
