#include "app/PasswordDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace brevalto {

PasswordDialog::PasswordDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmPass"));
    setWindowTitle(tr("Password"));
    setModal(true);
    auto* label = new QLabel(tr("Inserisci la Password"), this);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("Edit1"));
    edit_->setEchoMode(QLineEdit::Password);
    edit_->setMinimumWidth(260);
    label->setBuddy(edit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(edit_, &QLineEdit::returnPressed, this, &QDialog::accept);
}

QString PasswordDialog::password() const {
    return edit_->text();
}

void PasswordDialog::clear() {
    edit_->clear();
}

void PasswordDialog::reject() {
    // Enter is the only way out.
}

void PasswordDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edit_->setFocus();
}

} // namespace brevalto
