#include "ui/ScreenHost.h"

#include "store/Dataset.h"
#include "ui/BoundInputs.h"
#include "ui/BrowserBase.h"
#include "ui/DataGrid.h"
#include "ui/EditorBase.h"
#include "ui/GuardedAction.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>

namespace brevalto {

namespace {
ModalShower& shower() {
    static ModalShower s;
    return s;
}
// Keeps a screen lent to a modal screen as its child window, and gives it back to its own parent
// (hidden) when the modal screen closes or goes away. Created as the modal screen's child before
// the screen itself, so that it is destroyed first and the screen is never destroyed with it.
class Lender : public QObject {
public:
    Lender(QWidget* screen, QWidget* modal) : QObject(modal), screen_(screen), modal_(modal) {
        modal->installEventFilter(this);
    }
    ~Lender() override { giveBack(); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == modal_ && event->type() == QEvent::Hide) {
            giveBack();
            deleteLater();
        }
        return false;
    }

private:
    void giveBack() {
        if (!screen_ || screen_->parentWidget() != modal_)
            return;
        auto* home = qvariant_cast<QWidget*>(screen_->property("brevalto_home"));
        screen_->hide();
        screen_->setParent(home, screen_->windowFlags());
    }
    QPointer<QWidget> screen_;
    QPointer<QWidget> modal_;
};

// The datasets a screen shows (its own, its grids', its pick lists') opened now if their
// opening was deferred, so that the screen finds its rows however it is shown.
void openDeferredData(QWidget& screen) {
    QList<Dataset*> datasets;
    if (auto* editor = qobject_cast<EditorBase*>(&screen))
        datasets << &editor->dataset();
    if (auto* browser = qobject_cast<BrowserBase*>(&screen))
        datasets << &browser->dataset();
    for (const DataGrid* grid : screen.findChildren<DataGrid*>())
        datasets << grid->dataset();
    for (const BoundLookup* lookup : screen.findChildren<BoundLookup*>())
        datasets << lookup->list();
    guarded([&] {
        for (Dataset* d : std::as_const(datasets)) {
            if (d)
                d->ensureOpen();
        }
    });
}

} // namespace

int showModal(QDialog& screen) {
    openDeferredData(screen);
    if (shower())
        return shower()(screen);
    return screen.exec();
}

void showModeless(QWidget& screen) {
    openDeferredData(screen);
    // A modal screen blocks every window but its own children: a screen asked for from it (the
    // field help) becomes its child window while it is open, in front of it and usable.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != &screen && screen.isWindow() && screen.parentWidget() != modal &&
        !screen.isAncestorOf(modal)) {
        if (!screen.property("brevalto_home").isValid())
            screen.setProperty("brevalto_home", QVariant::fromValue(screen.parentWidget()));
        new Lender(&screen, modal);
        screen.setParent(modal, screen.windowFlags());
    }
    screen.show();
    screen.raise();
    screen.activateWindow();
}

void setModalShower(ModalShower s) {
    shower() = std::move(s);
}

} // namespace brevalto
