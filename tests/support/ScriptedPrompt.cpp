#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

namespace brevalto::test {

namespace {

const char* kindName(ScriptedPrompt::Kind kind) {
    switch (kind) {
    case ScriptedPrompt::Kind::Message:
        return "message";
    case ScriptedPrompt::Kind::Question:
        return "question";
    case ScriptedPrompt::Kind::SaveFile:
        return "save dialog";
    case ScriptedPrompt::Kind::OpenFile:
        return "open dialog";
    case ScriptedPrompt::Kind::Folder:
        return "folder picker";
    case ScriptedPrompt::Kind::Text:
        return "text entry";
    }
    return "?";
}

} // namespace

void ScriptedPrompt::answerQuestion(bool yes) {
    answers_.append({Kind::Question, {}, yes, yes ? Choice::Yes : Choice::No});
}
void ScriptedPrompt::answerChoice(Choice choice) {
    answers_.append({Kind::Question, {}, choice == Choice::Yes, choice});
}
void ScriptedPrompt::answerSaveFile(const QString& path) {
    answers_.append({Kind::SaveFile, path, false});
}
void ScriptedPrompt::answerOpenFile(const QString& path) {
    answers_.append({Kind::OpenFile, path, false});
}
void ScriptedPrompt::answerFolder(const QString& path) {
    answers_.append({Kind::Folder, path, false});
}
void ScriptedPrompt::answerText(const QString& text, bool ok) {
    answers_.append({Kind::Text, text, ok});
}

QStringList ScriptedPrompt::messages() const {
    QStringList texts;
    for (const Call& call : calls_) {
        if (call.kind == Kind::Message)
            texts << call.text;
    }
    return texts;
}

void ScriptedPrompt::clear() {
    calls_.clear();
    answers_.clear();
}

bool ScriptedPrompt::take(Kind kind, const Call& call, Answer* answer) {
    if (answers_.isEmpty()) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << " \"" << call.title.toStdString()
                      << "\": " << call.text.toStdString();
        return false;
    }
    if (answers_.first().kind != kind) {
        ADD_FAILURE() << "a " << kindName(kind) << " was shown (\"" << call.text.toStdString()
                      << "\") but the next scripted answer is for a "
                      << kindName(answers_.first().kind);
        return false;
    }
    *answer = answers_.takeFirst();
    return true;
}

void ScriptedPrompt::message(const QString& title, const QString& text) {
    calls_.append({Kind::Message, title, text, {}, {}, {}});
}

bool ScriptedPrompt::question(const QString& title, const QString& text) {
    calls_.append({Kind::Question, title, text, {}, {}, {}});
    Answer answer;
    if (!take(Kind::Question, calls_.last(), &answer))
        return false;
    if (answer.choice == Choice::Cancel)
        ADD_FAILURE() << "\"Annulla\" scripted for a Yes/No question: " << text.toStdString();
    return answer.yes;
}

Prompt::Choice ScriptedPrompt::ask(const QString& title, const QString& text, bool cancellable,
                                   Choice byDefault) {
    calls_.append({Kind::Question, title, text, {}, {}, {}, cancellable, byDefault});
    Answer answer;
    if (!take(Kind::Question, calls_.last(), &answer))
        return cancellable ? Choice::Cancel : Choice::No;
    if (answer.choice == Choice::Cancel && !cancellable) {
        ADD_FAILURE() << "\"Annulla\" scripted for a question that does not offer it: "
                      << text.toStdString();
        return Choice::No;
    }
    return answer.choice;
}

QString ScriptedPrompt::saveFileName(const QString& title, const QString& folder,
                                     const QString& fileName, const QString& filter) {
    calls_.append({Kind::SaveFile, title, {}, folder, fileName, filter});
    Answer answer;
    return take(Kind::SaveFile, calls_.last(), &answer) ? answer.text : QString();
}

QString ScriptedPrompt::openFileName(const QString& title, const QString& folder,
                                     const QString& filter) {
    calls_.append({Kind::OpenFile, title, {}, folder, {}, filter});
    Answer answer;
    return take(Kind::OpenFile, calls_.last(), &answer) ? answer.text : QString();
}

QString ScriptedPrompt::folder(const QString& title, const QString& startFolder) {
    calls_.append({Kind::Folder, title, {}, startFolder, {}, {}});
    Answer answer;
    return take(Kind::Folder, calls_.last(), &answer) ? answer.text : QString();
}

QString ScriptedPrompt::text(const QString& title, const QString& label, bool, bool* ok) {
    calls_.append({Kind::Text, title, label, {}, {}, {}});
    Answer answer;
    const bool answered = take(Kind::Text, calls_.last(), &answer);
    if (ok)
        *ok = answered && answer.yes;
    return answered ? answer.text : QString();
}

} // namespace brevalto::test
