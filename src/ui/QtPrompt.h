#pragma once
#include "store/Prompt.h"

class QWidget;

namespace brevalto {

// The desktop's prompt: Qt message boxes and file dialogs.
class QtPrompt : public Prompt {
public:
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
};

} // namespace brevalto
