#include "ui/Help.h"

#include "ui/GuardedAction.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>

namespace brevalto {

namespace {

std::function<void()>& handler() {
    static std::function<void()> h;
    return h;
}

// An application-wide filter rather than a window shortcut: a shortcut of the main window does
// not fire while a modal screen blocks it, and F1 must work on every screen.
class HelpKey : public QObject {
public:
    explicit HelpKey(QObject* owner) : QObject(owner) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
            static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
            guarded(openHelp);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void openHelp() {
    if (handler())
        handler()();
}

void setHelpHandler(std::function<void()> h) {
    handler() = std::move(h);
}

void installHelpKey(QObject* owner) {
    if (QCoreApplication::instance())
        new HelpKey(owner);
}

} // namespace brevalto
