#include "utility/DescrizioneFunzionaliWindow.h"

#include "store/Dataset.h"
#include "store/Prompt.h"
#include "store/SqlText.h"
#include "ui/ScreenHost.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevalto {

DescrizioneFunzionaliWindow::DescrizioneFunzionaliWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmDescrizioneFunzionali"));
    setWindowTitle(tr("Descrizione delle funzioni"));
    setModal(false);

    codice_ = new QLineEdit(this);
    codice_->setObjectName(QStringLiteral("DBEdit1"));
    codice_->setReadOnly(true);
    codice_->setMaximumWidth(160);
    titolo_ = new QLineEdit(this);
    titolo_->setObjectName(QStringLiteral("DBEdit2"));
    titolo_->setReadOnly(true);
    descrizione_ = new QPlainTextEdit(this);
    descrizione_->setObjectName(QStringLiteral("DBMemo1"));
    descrizione_->setReadOnly(true);
    indietro_ = new QPushButton(tr("Indietro"), this);
    indietro_->setObjectName(QStringLiteral("spdIndietro"));
    connect(indietro_, &QPushButton::clicked, this, &QDialog::close);

    auto* form = new QFormLayout;
    form->addRow(tr("Codice"), codice_);
    form->addRow(tr("Titolo"), titolo_);
    form->addRow(tr("Descrizione"), descrizione_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(indietro_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(560, 340);
}

void DescrizioneFunzionaliWindow::setDataset(Dataset* dataset) {
    if (dataset_)
        disconnect(dataset_, nullptr, this, nullptr);
    dataset_ = dataset;
    if (dataset_) {
        connect(dataset_, &Dataset::rowsChanged, this, &DescrizioneFunzionaliWindow::refresh);
        connect(dataset_, &Dataset::currentChanged, this, &DescrizioneFunzionaliWindow::refresh);
    }
    refresh();
}

void DescrizioneFunzionaliWindow::showElement(const QString& elementNumber) {
    if (dataset_) {
        try {
            dataset_->setFilter(QStringLiteral("Codice='%1'").arg(QuoteSql(elementNumber)));
        } catch (const DbError& e) {
            prompt().message(Prompt::errorTitle(), e.text());
        }
    }
    refresh();
    showModeless(*this);
    indietro_->setFocus();
}

void DescrizioneFunzionaliWindow::refresh() {
    const bool row = dataset_ && dataset_->isOpen() && !dataset_->isEmpty();
    codice_->setText(row ? dataset_->text(QStringLiteral("Codice")) : QString());
    titolo_->setText(row ? dataset_->text(QStringLiteral("Titolo")) : QString());
    descrizione_->setPlainText(row ? dataset_->text(QStringLiteral("Descrizione")) : QString());
    codice_->setCursorPosition(0);
    titolo_->setCursorPosition(0);
}

QString DescrizioneFunzionaliWindow::codice() const {
    return codice_->text();
}
QString DescrizioneFunzionaliWindow::titolo() const {
    return titolo_->text();
}
QString DescrizioneFunzionaliWindow::descrizione() const {
    return descrizione_->toPlainText();
}

} // namespace brevalto
