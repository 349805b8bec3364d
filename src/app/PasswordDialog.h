#pragma once
// The administrator password prompt: one masked text box; Enter closes the window and is the only
// way out (no close button, Escape does nothing).
#include <QDialog>

class QLineEdit;

namespace brevalto {

class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* parent = nullptr);

    QString password() const;
    void clear();
    QLineEdit* edit() const { return edit_; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* edit_;
};

} // namespace brevalto
