#pragma once
// How screens are shown. Screens are created once and shown through these functions, so that a
// test can replace the showing of modal screens (run a scenario, answer, close) without a real
// event loop blocking it.
#include <functional>

class QDialog;
class QWidget;

namespace brevalto {

// Shows a screen modally and returns when it closes (QDialog::exec by default).
int showModal(QDialog& screen);
// Shows a screen without waiting (raised when already visible). Asked for while a modal screen
// is open, it opens in front of that one and stays usable until that one closes.
void showModeless(QWidget& screen);

// Tests: replace how modal screens are shown; pass an empty function to restore exec().
using ModalShower = std::function<int(QDialog&)>;
void setModalShower(ModalShower shower);

} // namespace brevalto
