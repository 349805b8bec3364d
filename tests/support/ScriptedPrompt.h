#pragma once
// A Prompt for tests: records every call (kind, title, text and the dialog arguments) and answers
// from a queue filled by the test. A call whose answer is missing, or whose queued answer is of
// another kind, fails the running test and gets the "cancel" answer (No, empty path).
#include "store/Prompt.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace brevalto::test {

class ScriptedPrompt : public Prompt {
public:
    enum class Kind { Message, Question, SaveFile, OpenFile, Folder, Text };

    struct Call {
        Kind kind;
        QString title;
        QString text;     // message or question text, or the text entry's label
        QString folder;   // dialogs: the starting folder
        QString fileName; // save dialog: the proposed name
        QString filter;   // file dialogs: the filter
        // ask(): whether "Annulla" was offered and which button was the default.
        bool cancellable = false;
        Choice byDefault = Choice::No;
    };

    // Queue the answer of the next question, file dialog, folder picker or text entry.
    // answerQuestion also answers an ask() with Sì or No; answerChoice answers only an ask().
    void answerQuestion(bool yes);
    void answerChoice(Choice choice);
    void answerSaveFile(const QString& path);
    void answerOpenFile(const QString& path);
    void answerFolder(const QString& path);
    void answerText(const QString& text, bool ok = true);

    const QList<Call>& calls() const { return calls_; }
    // The texts of the messages shown, in order.
    QStringList messages() const;
    // Answers queued but never asked for.
    int pendingAnswers() const { return int(answers_.size()); }
    void clear();

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

private:
    struct Answer {
        Kind kind;
        QString text;
        bool yes = false;
        Choice choice = Choice::No;
    };
    // Takes the next answer when it is of this kind; otherwise fails the test and returns false.
    bool take(Kind kind, const Call& call, Answer* answer);

    QList<Call> calls_;
    QList<Answer> answers_;
};

} // namespace brevalto::test
