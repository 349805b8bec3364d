#include "ui/ScreenHost.h"

#include <QDialog>

namespace brevalto {

namespace {
ModalShower& shower() {
    static ModalShower s;
    return s;
}
} // namespace

int showModal(QDialog& screen) {
    if (shower())
        return shower()(screen);
    return screen.exec();
}

void showModeless(QWidget& screen) {
    screen.show();
    screen.raise();
    screen.activateWindow();
}

void setModalShower(ModalShower s) {
    shower() = std::move(s);
}

} // namespace brevalto
