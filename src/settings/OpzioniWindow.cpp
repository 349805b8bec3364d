#include "settings/OpzioniWindow.h"

#include "settings/FirmaWindow.h"
#include "settings/PecWindow.h"
#include "store/ArchiveAddress.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "store/Saving.h"
#include "store/TextFields.h"
#include "ui/BoundInputs.h"
#include "ui/GuardedAction.h"
#include "ui/ScreenHost.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

namespace brevalto {

namespace {

const QString kFolder = QStringLiteral("CartellaEsportazioneDocumenti");

// Places widget in the grid of page at the next row, with a caption, as the field table does.
void addRow(QWidget* page, const QString& caption, QWidget* widget, Qt::Alignment alignment = {}) {
    auto* grid = qobject_cast<QGridLayout*>(page->layout());
    // EditorBase::addWidget has put the widget on a row of its own, across the grid.
    const int row = grid->rowCount() - 1;
    grid->removeWidget(widget);
    auto* label = new QLabel(caption);
    label->setBuddy(widget);
    grid->addWidget(label, row, 0);
    grid->addWidget(widget, row, 1, alignment);
}

} // namespace

OpzioniWindow::OpzioniWindow(DataModule& db, const QStringList& tabCaptions, QWidget* parent)
    : EditorBase(db, ds::Opzioni, QStringLiteral("Id"), QStringLiteral("Opzioni"), parent),
      tabCaptions_(tabCaptions), tabIniziale_(new QComboBox), pickFolder_(new QToolButton),
      openFolder_(new QToolButton) {
    setObjectName(QStringLiteral("frmOpzioni"));
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    beginForm({QStringLiteral("Generale")});
    QWidget* page = tabs()->widget(0);

    addTabbed({{.label = "Password Amministratore", .column = "PasswordAmministratore"}});
    tabIniziale_->setObjectName(QStringLiteral("cmbTabIniziale"));
    addWidget(0, tabIniziale_);
    addRow(page, QStringLiteral("Tab iniziale "), tabIniziale_);
    addTabbed({
        {.label = "Modalità di pagamento standard",
         .column = "ModPagamento_Id",
         .list = {"TablePA_ModalitaPagamento", "Id", "Descrizione"}},
        {.label = "Aliquota Iva standard",
         .column = "Iva_Id",
         .list = {"TableIva", "Id", "Descrizione"}},
        {.label = "Cartella Esp. Documenti", .column = kFolder},
    });
    // The two folder buttons take the place of a help button, beside the folder.
    pickFolder_->setObjectName(QStringLiteral("btnScegliCartella"));
    pickFolder_->setText(QStringLiteral("..."));
    pickFolder_->setToolTip(QStringLiteral("Sceglie la cartella"));
    openFolder_->setObjectName(QStringLiteral("btnApriCartella"));
    openFolder_->setText(QStringLiteral("Apri"));
    openFolder_->setToolTip(QStringLiteral("Apre la cartella"));
    auto* buttons = new QWidget;
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->addWidget(pickFolder_);
    buttonRow->addWidget(openFolder_);
    auto* grid = qobject_cast<QGridLayout*>(page->layout());
    grid->addWidget(buttons, grid->rowCount() - 1, 2);
    addTabbed({
        {.label = "Cedente - Prestatore standard",
         .column = "CedentePrestatore_Id",
         .list = {"TablePA_CedentePrestatore", "CedentePrestatore_Id",
                  "CedentePrestatore_Denominazione"}},
        {.label = "Esigibilita Iva standard per pa",
         .column = "EsigibilitaIva",
         .list = {"TablePA_EsigibilitaIva", "Codice", "Descrizione"}},
        {.label = "Studio Commerciale",
         .column = "StudioCommerciale",
         .control = FieldControl::Check},
    });
    finishForm();
    // Multi-seller use is switched by whoever installs the program, not on this screen.
    QWidget* studio = field(QStringLiteral("StudioCommerciale"));
    studio->hide();
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->buddy() == studio)
            label->hide();
    }
    // The order of the fields on screen, for the Tab key and Enter.
    const QStringList order = {
        "PasswordAmministratore", "", "ModPagamento_Id", "Iva_Id", kFolder, "CedentePrestatore_Id",
        "EsigibilitaIva"};
    QWidget* previous = nullptr;
    for (const QString& column : order) {
        QWidget* w = column.isEmpty() ? tabIniziale_ : field(column);
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }

    // The signing key belongs to the workstation, not to the archive's row: its own screen.
    auto* firma = new QPushButton(QStringLiteral("Imposta..."));
    firma->setObjectName(QStringLiteral("btnFirmaDigitale"));
    firma->setToolTip(QStringLiteral("La chiave con cui \"Firma\" firma le fatture su questo "
                                     "computer"));
    grid->addWidget(firma, grid->rowCount(), 1, Qt::AlignLeft);
    // A button of its own size, not the width of the inputs above it.
    addRow(page, QStringLiteral("Firma digitale"), firma, Qt::AlignLeft);
    setTabOrder(previous, firma);
    connect(firma, &QPushButton::clicked, this, [this] {
        FirmaWindow window(this);
        showModal(window);
    });

    // The certified-mail box belongs to the archive (to each seller when there are several).
    auto* pec = new QPushButton(QStringLiteral("Imposta..."));
    pec->setObjectName(QStringLiteral("btnPec"));
    pec->setToolTip(QStringLiteral("La casella da cui \"Invia\" spedisce le fatture al Sistema di "
                                   "Interscambio e in cui \"Ricevi\" legge le risposte"));
    grid->addWidget(pec, grid->rowCount(), 1, Qt::AlignLeft);
    addRow(page, QStringLiteral("Posta certificata (PEC)"), pec);
    setTabOrder(firma, pec);
    connect(pec, &QPushButton::clicked, this, guard([this] {
                PecWindow window(this->db(), this);
                showModal(window);
            }));

    setMinimumWidth(540);
    if (auto* salva = findChild<QPushButton*>(QStringLiteral("spdSalva")))
        salva->setToolTip(QStringLiteral("Sava le modifiche effettuate"));
    // "Indietro" always stores, modified or not.
    connect(pickFolder_, &QToolButton::clicked, this, &OpzioniWindow::pickFolder);
    connect(openFolder_, &QToolButton::clicked, this, &OpzioniWindow::openFolder);

    auto* rate = qobject_cast<BoundLookup*>(field(QStringLiteral("Iva_Id")));
    connect(rate, &BoundLookup::picked, this, [this] {
        const Dataset& iva = this->db().table(ds::Iva);
        dataset().edit();
        dataset().setValue(QStringLiteral("AliquotaIva"), iva.value(QStringLiteral("Iva")));
        dataset().setValue(QStringLiteral("Iva_Id"), iva.value(QStringLiteral("Id")));
    });
    connect(rate, &BoundLookup::cleared, this, [this] {
        dataset().edit();
        dataset().setValue(QStringLiteral("AliquotaIva"), QVariant());
        dataset().setValue(QStringLiteral("Iva_Id"), QVariant());
    });
}

void OpzioniWindow::showEvent(QShowEvent* event) {
    tabIniziale_->clear();
    tabIniziale_->addItems(tabCaptions_);
    const int index = dataset().integer(QStringLiteral("TabIniziale"));
    tabIniziale_->setCurrentIndex(index >= 0 && index < tabIniziale_->count() ? index : -1);
    EditorBase::showEvent(event);
}

void OpzioniWindow::indietro() {
    salva();
    done(QDialog::Accepted);
}

void OpzioniWindow::salva() {
    save();
    if (setMultiSellerSelectorsVisible)
        setMultiSellerSelectorsVisible(dataset().flag(QStringLiteral("StudioCommerciale")));
}

void OpzioniWindow::beforeRules() {
    dataset().edit();
    if (tabIniziale_->currentIndex() >= 0)
        dataset().setValue(QStringLiteral("TabIniziale"), tabIniziale_->currentIndex());
}

bool OpzioniWindow::store(QString* error) {
    return SaveNewRecord(dataset(), keyColumn_, error);
}

void OpzioniWindow::pickFolder() {
    // Beside the archive file; a server archive has no folder here: the user's home then.
    const QString start = isServerAddress(db().archiveFilePath())
                              ? QDir::homePath()
                              : QFileInfo(db().archiveFilePath()).absolutePath();
    const QString folder = prompt().folder(QStringLiteral("Cartella Esp. Documenti"), start);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    dataset().edit();
    dataset().setValue(kFolder, WithTrailingSeparator(folder));
}

void OpzioniWindow::openFolder() {
    const QString folder = dataset().text(kFolder);
    if (folder.isEmpty()) {
        prompt().message(Prompt::errorTitle(),
                         QStringLiteral("Attenzione manca la Cartella di Lavoro"));
        return;
    }
    if (QFileInfo(folder).isDir()) {
        if (openUrl)
            openUrl(QUrl::fromLocalFile(folder));
        return;
    }
    prompt().message(Prompt::errorTitle(),
                     QStringLiteral("la Cartella: ") + folder +
                         QStringLiteral(" non esiste più o non è raggiungibile!!!"));
}

} // namespace brevalto
