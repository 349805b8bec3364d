#pragma once
// The keyboard rules of every form: Enter or Down arrow moves to the next field, Up arrow to the
// previous one. Installed once on a screen; memos keep Enter for new lines, and an open pick list
// keeps its arrows.
#include <QObject>

class QWidget;

namespace brevalto {

class FieldNavigator : public QObject {
public:
    // Watches every input inside screen (present now or added later through install()).
    explicit FieldNavigator(QWidget* screen);
    void install(QWidget* input);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* screen_;
};

// The look every screen shares: Fusion style and a highlighted focused input.
void applyHouseLook();

} // namespace brevalto
