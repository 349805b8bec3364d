#include "settings/FirmaWindow.h"

#include "sdi/SigningSettings.h"
#include "store/Prompt.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace brevalto {

const QString FirmaWindow::kOpenScModule =
    QStringLiteral("/usr/lib/x86_64-linux-gnu/opensc-pkcs11.so");

namespace {

QToolButton* pickButton(const QString& objectName, const QString& tip) {
    auto* button = new QToolButton;
    button->setObjectName(objectName);
    button->setText(QStringLiteral("..."));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    return button;
}

} // namespace

FirmaWindow::FirmaWindow(QWidget* parent)
    : QDialog(parent), kind_(new QComboBox), file_(new QLineEdit),
      pickFile_(pickButton(QStringLiteral("btnScegliCertificato"),
                           QStringLiteral("Sceglie il file del certificato"))),
      module_(new QLineEdit), pickModule_(pickButton(QStringLiteral("btnScegliModulo"),
                                                     QStringLiteral("Sceglie il modulo PKCS#11"))),
      token_(new QLineEdit) {
    setObjectName(QStringLiteral("frmFirma"));
    setWindowTitle(QStringLiteral("Firma digitale"));
    kind_->setObjectName(QStringLiteral("cmbTipoChiave"));
    kind_->addItem(QStringLiteral("File del certificato (.pfx, .p12)"));
    kind_->addItem(QStringLiteral("Carta o dispositivo di firma (PKCS#11)"));
    file_->setObjectName(QStringLiteral("txtCertificato"));
    module_->setObjectName(QStringLiteral("txtModulo"));
    module_->setPlaceholderText(kOpenScModule);
    token_->setObjectName(QStringLiteral("txtEtichetta"));
    token_->setPlaceholderText(QStringLiteral("vuota: l'unica carta inserita"));

    auto* grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](const QString& caption, QWidget* input, QWidget* button) {
        auto* label = new QLabel(caption);
        label->setBuddy(input);
        grid->addWidget(label, row, 0);
        grid->addWidget(input, row, 1);
        if (button)
            grid->addWidget(button, row, 2);
        ++row;
    };
    addRow(QStringLiteral("&Tipo di chiave"), kind_, nullptr);
    addRow(QStringLiteral("&File del certificato"), file_, pickFile_);
    addRow(QStringLiteral("&Modulo PKCS#11"), module_, pickModule_);
    addRow(QStringLiteral("&Etichetta della carta"), token_, nullptr);
    grid->setColumnStretch(1, 1);

    auto* note = new QLabel(
        QStringLiteral(
            "La password del certificato o il PIN della carta vengono chiesti a ogni firma e non "
            "vengono mai conservati.\nPer le carte CNS più comuni il modulo è quello di OpenSC:\n"
            "%1")
            .arg(kOpenScModule));
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox;
    QPushButton* salvaButton =
        buttons->addButton(QStringLiteral("Salva"), QDialogButtonBox::AcceptRole);
    salvaButton->setObjectName(QStringLiteral("spdSalva"));
    QPushButton* annullaButton =
        buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole);
    annullaButton->setObjectName(QStringLiteral("spdAnnulla"));
    connect(salvaButton, &QPushButton::clicked, this, &FirmaWindow::salva);
    connect(annullaButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(pickFile_, &QToolButton::clicked, this, &FirmaWindow::scegliFile);
    connect(pickModule_, &QToolButton::clicked, this, &FirmaWindow::scegliModulo);
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] {
        // A card chosen with no module yet gets OpenSC's, which reads the common cards, as a
        // value the user sees and can change (not only as a grey hint that is not saved).
        if (kind_->currentIndex() == 1 && module_->text().trimmed().isEmpty())
            module_->setText(kOpenScModule);
        showKind();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addStretch();
    layout->addWidget(buttons);
    setMinimumWidth(560);
    showKind();
}

void FirmaWindow::showEvent(QShowEvent* event) {
    load();
    QDialog::showEvent(event);
}

void FirmaWindow::load() {
    setKey(sdi::loadSigningKey());
}

sdi::SigningKey FirmaWindow::key() const {
    sdi::SigningKey key;
    key.kind =
        kind_->currentIndex() == 1 ? sdi::SigningKey::Kind::Pkcs11 : sdi::SigningKey::Kind::Pkcs12;
    key.file = file_->text().trimmed();
    key.module = module_->text().trimmed();
    key.token = token_->text().trimmed();
    return key;
}

void FirmaWindow::setKey(const sdi::SigningKey& key) {
    kind_->setCurrentIndex(key.kind == sdi::SigningKey::Kind::Pkcs11 ? 1 : 0);
    file_->setText(key.file);
    module_->setText(key.module);
    token_->setText(key.token);
    showKind();
}

void FirmaWindow::showKind() {
    const bool card = kind_->currentIndex() == 1;
    file_->setEnabled(!card);
    pickFile_->setEnabled(!card);
    module_->setEnabled(card);
    pickModule_->setEnabled(card);
    token_->setEnabled(card);
}

void FirmaWindow::salva() {
    const sdi::SigningKey chosen = key();
    const QString missing = chosen.incomplete();
    if (!missing.isEmpty()) {
        prompt().message(Prompt::warningTitle(), missing);
        (chosen.kind == sdi::SigningKey::Kind::Pkcs12 ? file_ : module_)->setFocus();
        return;
    }
    sdi::saveSigningKey(chosen);
    accept();
}

void FirmaWindow::scegliFile() {
    const QString start =
        file_->text().isEmpty() ? QDir::homePath() : QFileInfo(file_->text()).absolutePath();
    const QString path = prompt().openFileName(QStringLiteral("File del certificato"), start,
                                               QStringLiteral("Certificati (*.pfx *.p12)"));
    if (!path.isEmpty())
        file_->setText(path);
}

void FirmaWindow::scegliModulo() {
    const QString start = module_->text().isEmpty() ? QFileInfo(kOpenScModule).absolutePath()
                                                    : QFileInfo(module_->text()).absolutePath();
    const QString path = prompt().openFileName(QStringLiteral("Modulo PKCS#11"), start,
                                               QStringLiteral("Librerie (*.so *.so.*)"));
    if (!path.isEmpty())
        module_->setText(path);
}

} // namespace brevalto
