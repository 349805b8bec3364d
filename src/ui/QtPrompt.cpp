#include "ui/QtPrompt.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace brevalto {

namespace {

QWidget* parentWindow() {
    return QApplication::activeWindow();
}

} // namespace

void QtPrompt::message(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parentWindow());
    if (title == errorTitle())
        box.setIcon(QMessageBox::Critical);
    else if (title == warningTitle())
        box.setIcon(QMessageBox::Warning);
    box.exec();
}

bool QtPrompt::question(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    parentWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Sì"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

Prompt::Choice QtPrompt::ask(const QString& title, const QString& text, bool cancellable,
                             Choice byDefault) {
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (cancellable)
        buttons |= QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, title, text, buttons, parentWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Sì"));
    box.button(QMessageBox::No)->setText(QStringLiteral("No"));
    if (cancellable)
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Annulla"));
    box.setDefaultButton(byDefault == Choice::Yes  ? QMessageBox::Yes
                         : byDefault == Choice::No ? QMessageBox::No
                                                   : QMessageBox::Cancel);
    box.setEscapeButton(cancellable ? QMessageBox::Cancel : QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Choice::Yes;
    case QMessageBox::No:
        return Choice::No;
    default:
        return cancellable ? Choice::Cancel : Choice::No;
    }
}

QString QtPrompt::saveFileName(const QString& title, const QString& folder, const QString& fileName,
                               const QString& filter) {
    // The overwrite question is the caller's, so the dialog does not ask its own.
    return QFileDialog::getSaveFileName(parentWindow(), title, QDir(folder).filePath(fileName),
                                        filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

QString QtPrompt::openFileName(const QString& title, const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(parentWindow(), title, folder, filter);
}

QString QtPrompt::folder(const QString& title, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(parentWindow(), title, startFolder);
}

QString QtPrompt::text(const QString& title, const QString& label, bool password, bool* ok) {
    return QInputDialog::getText(parentWindow(), title, label,
                                 password ? QLineEdit::Password : QLineEdit::Normal, QString(), ok);
}

} // namespace brevalto
