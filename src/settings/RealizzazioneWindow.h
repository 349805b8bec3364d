#pragma once
// "Realizzazione" (TfrmRealizzazione): who made the program and how to reach them, shown
// without waiting.
#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

namespace brevalto {

class RealizzazioneWindow : public QDialog {
    Q_OBJECT
public:
    explicit RealizzazioneWindow(QWidget* parent = nullptr);

    static QString webAddress();
    static QString mailAddress();

    // Opens an address with the system's handler; replaceable for tests.
    std::function<bool(const QUrl&)> openUrl;

    QLabel* webLabel() const { return web_; }
    QLabel* mailLabel() const { return mail_; }
    QPushButton* indietroButton() const { return indietro_; }

private:
    QLabel* web_;
    QLabel* mail_;
    QPushButton* indietro_;
};

} // namespace brevalto
