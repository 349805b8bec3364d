#pragma once
// "Guida di Brevalto": the program's own user guide, an Italian HTML text that ships inside the
// program, shown without waiting in a window of its own (it also works without a system browser
// and without network). F1 and the "Aiuto" buttons open it.
#include <QDialog>

class QTextBrowser;

namespace brevalto {

class GuidaWindow : public QDialog {
    Q_OBJECT
public:
    explicit GuidaWindow(QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

} // namespace brevalto
