#include "ui/FieldNavigator.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyleFactory>

namespace brevalto {

FieldNavigator::FieldNavigator(QWidget* screen) : QObject(screen), screen_(screen) {
    for (QWidget* w : screen->findChildren<QWidget*>())
        install(w);
}

void FieldNavigator::install(QWidget* input) {
    if (qobject_cast<QLineEdit*>(input) || qobject_cast<QComboBox*>(input) ||
        qobject_cast<QCheckBox*>(input) || qobject_cast<QPlainTextEdit*>(input))
        input->installEventFilter(this);
}

namespace {
// Moves the focus as the Tab key would, which respects each screen's tab order.
void moveFocus(QWidget* from, bool forward) {
    QKeyEvent tab(QEvent::KeyPress, forward ? Qt::Key_Tab : Qt::Key_Backtab,
                  forward ? Qt::NoModifier : Qt::ShiftModifier);
    QCoreApplication::sendEvent(from, &tab);
}
} // namespace

bool FieldNavigator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool memo = qobject_cast<QPlainTextEdit*>(watched) != nullptr;
    if (auto* combo = qobject_cast<QComboBox*>(watched); combo && combo->view()->isVisible())
        return false;
    const int k = key->key();
    if ((k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Down) && !memo) {
        moveFocus(widget, true);
        return true;
    }
    if (k == Qt::Key_Up && !memo) {
        moveFocus(widget, false);
        return true;
    }
    return false;
}

void applyHouseLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    qApp->setStyleSheet(QStringLiteral(
        "QLineEdit:focus, QComboBox:focus, QPlainTextEdit:focus { background-color: #fff6c8; }"));
}

} // namespace brevalto
