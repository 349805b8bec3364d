#include "settings/PecWindow.h"

#include "channel/PecChannel.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "ui/GuardedAction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlQuery>
#include <QToolButton>
#include <QVBoxLayout>

namespace brevalto {

using channel::PecAccountSettings;

namespace {

QSpinBox* portBox(const QString& objectName) {
    auto* box = new QSpinBox;
    box->setObjectName(objectName);
    box->setRange(1, 65535);
    return box;
}

} // namespace

PecWindow::PecWindow(DataModule& db, QWidget* parent)
    : QDialog(parent), db_(db), seller_(new QComboBox), sellerLabel_(nullptr),
      address_(new QLineEdit), user_(new QLineEdit), smtpHost_(new QLineEdit),
      smtpPort_(portBox(QStringLiteral("spnPortaSmtp"))), security_(new QComboBox),
      imapHost_(new QLineEdit), imapPort_(portBox(QStringLiteral("spnPortaImap"))),
      sdiAddress_(new QLineEdit), proposed_(new QLabel),
      useProposed_(new QPushButton(QStringLiteral("&Usa"))), caFile_(new QLineEdit),
      pickCaFile_(new QToolButton),
      receiveAtStart_(new QCheckBox(QStringLiteral("&Ricevi i messaggi all'avvio del programma"))),
      prova_(new QPushButton(QStringLiteral("&Prova connessione"))), outcome_(new QLabel) {
    setObjectName(QStringLiteral("frmPec"));
    setWindowTitle(QStringLiteral("Posta certificata (PEC)"));
    seller_->setObjectName(QStringLiteral("cmbCedente"));
    address_->setObjectName(QStringLiteral("txtIndirizzoPec"));
    address_->setPlaceholderText(QStringLiteral("fatture@pec.esempio.it"));
    user_->setObjectName(QStringLiteral("txtUtente"));
    user_->setPlaceholderText(QStringLiteral("di solito l'indirizzo PEC"));
    smtpHost_->setObjectName(QStringLiteral("txtServerSmtp"));
    security_->setObjectName(QStringLiteral("cmbSicurezzaSmtp"));
    security_->addItem(QStringLiteral("SSL/TLS (porta 465)"));
    security_->addItem(QStringLiteral("STARTTLS (porta 587)"));
    imapHost_->setObjectName(QStringLiteral("txtServerImap"));
    sdiAddress_->setObjectName(QStringLiteral("txtIndirizzoSdI"));
    proposed_->setObjectName(QStringLiteral("lblIndirizzoProposto"));
    proposed_->setWordWrap(true);
    useProposed_->setObjectName(QStringLiteral("btnUsaIndirizzo"));
    useProposed_->setAccessibleName(QStringLiteral("Usa l'indirizzo indicato dal Sistema di "
                                                   "Interscambio"));
    caFile_->setObjectName(QStringLiteral("txtCertificati"));
    caFile_->setPlaceholderText(QStringLiteral("vuoto: i certificati del sistema"));
    pickCaFile_->setObjectName(QStringLiteral("btnScegliCertificati"));
    pickCaFile_->setText(QStringLiteral("..."));
    pickCaFile_->setToolTip(QStringLiteral("Sceglie il file dei certificati"));
    pickCaFile_->setAccessibleName(pickCaFile_->toolTip());
    receiveAtStart_->setObjectName(QStringLiteral("chkRiceviAllAvvio"));
    prova_->setObjectName(QStringLiteral("btnProvaConnessione"));
    outcome_->setObjectName(QStringLiteral("lblEsitoProva"));
    outcome_->setWordWrap(true);
    outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](const QString& caption, QWidget* input, QWidget* beside = nullptr) {
        auto* label = new QLabel(caption);
        label->setBuddy(input);
        grid->addWidget(label, row, 0);
        grid->addWidget(input, row, 1);
        if (beside)
            grid->addWidget(beside, row, 2);
        ++row;
        return label;
    };
    sellerLabel_ = addRow(QStringLiteral("&Cedente - Prestatore"), seller_);
    addRow(QStringLiteral("&Indirizzo PEC"), address_);
    addRow(QStringLiteral("U&tente"), user_);
    addRow(QStringLiteral("Server in uscita (S&MTP)"), smtpHost_);
    addRow(QStringLiteral("P&orta in uscita"), smtpPort_);
    addRow(QStringLiteral("&Sicurezza in uscita"), security_);
    addRow(QStringLiteral("Server in &arrivo (IMAP, SSL/TLS)"), imapHost_);
    addRow(QStringLiteral("Porta i&n arrivo"), imapPort_);
    addRow(QStringLiteral("In&dirizzo del Sistema di Interscambio"), sdiAddress_);
    grid->addWidget(proposed_, row, 1);
    grid->addWidget(useProposed_, row, 2);
    ++row;
    addRow(QStringLiteral("Certificati a&ggiuntivi (PEM)"), caFile_, pickCaFile_);
    grid->addWidget(receiveAtStart_, row++, 1);
    grid->setColumnStretch(1, 1);

    auto* note = new QLabel(QStringLiteral(
        "La password della casella non viene mai salvata: la si chiede la prima volta che "
        "serve e resta in memoria fino alla chiusura del programma. Il primo file va a "
        "sdi01@pec.fatturapa.it; il Sistema di Interscambio risponde indicando l'indirizzo da "
        "usare in seguito, che viene proposto qui."));
    note->setObjectName(QStringLiteral("lblNotaPassword"));
    note->setWordWrap(true);

    auto* proveRow = new QHBoxLayout;
    proveRow->addWidget(prova_);
    proveRow->addWidget(outcome_, 1);

    auto* buttons = new QDialogButtonBox;
    QPushButton* salvaButton =
        buttons->addButton(QStringLiteral("Sal&va"), QDialogButtonBox::AcceptRole);
    salvaButton->setObjectName(QStringLiteral("btnSalva"));
    QPushButton* indietro =
        buttons->addButton(QStringLiteral("Indietro"), QDialogButtonBox::RejectRole);
    indietro->setObjectName(QStringLiteral("btnIndietro"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addLayout(proveRow);
    layout->addWidget(buttons);
    setMinimumWidth(620);

    connect(salvaButton, &QPushButton::clicked, this, guard([this] {
                if (salva())
                    accept();
            }));
    connect(indietro, &QPushButton::clicked, this, &PecWindow::reject);
    connect(prova_, &QPushButton::clicked, this, guard([this] { provaConnessione(); }));
    connect(useProposed_, &QPushButton::clicked, this, [this] { usaIndirizzoProposto(); });
    connect(pickCaFile_, &QToolButton::clicked, this, [this] { scegliCertificati(); });
    connect(security_, &QComboBox::currentIndexChanged, this, [this](int index) {
        // The usual port goes with the security chosen, unless another one was typed.
        if (index == 1 && smtpPort_->value() == 465)
            smtpPort_->setValue(587);
        else if (index == 0 && smtpPort_->value() == 587)
            smtpPort_->setValue(465);
    });
    connect(seller_, &QComboBox::activated, this, guard([this] {
                if (!keepOrDropChanges()) {
                    seller_->setCurrentIndex(shownSeller_);
                    return;
                }
                load();
            }));

    fillSellers();
    load();
}

void PecWindow::fillSellers() {
    const bool several = db_.table(ds::Opzioni).flag(QStringLiteral("StudioCommerciale"));
    seller_->clear();
    seller_->addItem(several ? QStringLiteral("(cedenti senza una casella propria)")
                             : QStringLiteral("(la ditta)"),
                     qint64(0));
    if (several) {
        QSqlQuery q = db_.connessione().execNative(QStringLiteral(
            "SELECT CedentePrestatore_Id, CedentePrestatore_Denominazione, "
            "CedentePrestatore_Cognome, CedentePrestatore_Nome FROM PA_CedentePrestatore ORDER "
            "BY CedentePrestatore_Denominazione, CedentePrestatore_Cognome"));
        while (q.next()) {
            QString name = q.value(1).toString().trimmed();
            if (name.isEmpty())
                name = (q.value(2).toString() + QLatin1Char(' ') + q.value(3).toString()).trimmed();
            seller_->addItem(name, q.value(0).toLongLong());
        }
    }
    seller_->setVisible(several);
    sellerLabel_->setVisible(several);
    seller_->setCurrentIndex(0);
}

qint64 PecWindow::chosenSeller() const {
    return seller_->currentIndex() < 0 ? 0 : seller_->currentData().toLongLong();
}

void PecWindow::load() {
    const qint64 seller = chosenSeller();
    PecAccountSettings account;
    account.sellerId = seller;
    if (auto stored = channel::pecAccount(db_.connessione(), seller))
        account = *stored;
    loaded_ = account;
    setAccount(account);
    shownSeller_ = seller_->currentIndex();
    outcome_->clear();
}

void PecWindow::setAccount(const PecAccountSettings& a) {
    address_->setText(a.address);
    user_->setText(a.user);
    smtpHost_->setText(a.smtpHost);
    security_->setCurrentIndex(a.smtpStartTls ? 1 : 0);
    smtpPort_->setValue(a.smtpPort);
    imapHost_->setText(a.imapHost);
    imapPort_->setValue(a.imapPort);
    sdiAddress_->setText(a.sdiAddress);
    caFile_->setText(QDir::toNativeSeparators(a.caFile));
    receiveAtStart_->setChecked(a.receiveAtStart);
    const bool propose =
        !a.proposedSdiAddress.isEmpty() &&
        a.proposedSdiAddress.compare(a.sdiAddress.trimmed(), Qt::CaseInsensitive) != 0;
    proposed_->setText(propose ? QStringLiteral("Il Sistema di Interscambio ha indicato %1 come "
                                                "indirizzo da usare d'ora in poi.")
                                     .arg(a.proposedSdiAddress)
                               : QString());
    proposed_->setVisible(propose);
    useProposed_->setVisible(propose);
    loaded_.proposedSdiAddress = a.proposedSdiAddress;
}

PecAccountSettings PecWindow::account() const {
    PecAccountSettings a = loaded_;
    a.sellerId = chosenSeller();
    a.address = address_->text().trimmed();
    a.user = user_->text().trimmed();
    a.smtpHost = smtpHost_->text().trimmed();
    a.smtpPort = smtpPort_->value();
    a.smtpStartTls = security_->currentIndex() == 1;
    a.imapHost = imapHost_->text().trimmed();
    a.imapPort = imapPort_->value();
    a.sdiAddress = sdiAddress_->text().trimmed();
    a.caFile = QDir::fromNativeSeparators(caFile_->text().trimmed());
    a.receiveAtStart = receiveAtStart_->isChecked();
    return a;
}

bool PecWindow::salva() {
    PecAccountSettings a = account();
    if (const QString incomplete = a.incomplete(); !incomplete.isEmpty()) {
        prompt().message(Prompt::warningTitle(), incomplete);
        return false;
    }
    channel::savePecAccount(db_.connessione(), a);
    loaded_ = a;
    return true;
}

void PecWindow::provaConnessione() {
    const PecAccountSettings a = account();
    if (const QString incomplete = a.incomplete(); !incomplete.isEmpty()) {
        prompt().message(Prompt::warningTitle(), incomplete);
        return;
    }
    const std::optional<QString> password =
        channel::pecPassword(a, channel::askPecPasswordWithPrompt);
    if (!password)
        return;
    outcome_->setText(QStringLiteral("Prova in corso..."));
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const channel::ConnectionCheck check = channel::checkPecConnection(a, *password);
    QGuiApplication::restoreOverrideCursor();
    // A refused login is not kept: the next attempt asks again.
    if (!check.ok())
        channel::forgetPecPassword(a);
    outcome_->setText(check.ok() ? QStringLiteral("Collegamento riuscito con entrambi i server.")
                                 : QStringLiteral("Collegamento non riuscito."));
    prompt().message(check.ok() ? QStringLiteral("Prova connessione") : Prompt::errorTitle(),
                     check.text());
}

void PecWindow::usaIndirizzoProposto() {
    if (loaded_.proposedSdiAddress.isEmpty())
        return;
    sdiAddress_->setText(loaded_.proposedSdiAddress);
    proposed_->hide();
    useProposed_->hide();
}

void PecWindow::scegliCertificati() {
    const QString file =
        prompt().openFileName(QStringLiteral("Certificati aggiuntivi"), QDir::homePath(),
                              QStringLiteral("Certificati PEM (*.pem *.crt);;Tutti i file (*)"));
    if (!file.isEmpty())
        caFile_->setText(QDir::toNativeSeparators(file));
}

bool PecWindow::keepOrDropChanges() {
    const PecAccountSettings now = account();
    const PecAccountSettings& was = loaded_;
    const bool changed = now.address != was.address || now.user != was.user ||
                         now.smtpHost != was.smtpHost || now.smtpPort != was.smtpPort ||
                         now.smtpStartTls != was.smtpStartTls || now.imapHost != was.imapHost ||
                         now.imapPort != was.imapPort || now.sdiAddress != was.sdiAddress ||
                         now.caFile != was.caFile || now.receiveAtStart != was.receiveAtStart;
    if (!changed)
        return true;
    // The question is about the seller shown before the list moved.
    const int chosen = seller_->currentIndex();
    seller_->setCurrentIndex(shownSeller_);
    const Prompt::Choice choice = prompt().ask(
        Prompt::warningTitle(), QStringLiteral("Salvare le modifiche alla casella PEC?"), true,
        Prompt::Choice::Yes);
    bool goOn = choice == Prompt::Choice::No;
    if (choice == Prompt::Choice::Yes)
        goOn = salva();
    if (goOn)
        seller_->setCurrentIndex(chosen);
    return goOn;
}

void PecWindow::reject() {
    bool goOn = false;
    guarded([&] { goOn = keepOrDropChanges(); });
    if (goOn)
        QDialog::reject();
}

} // namespace brevalto
