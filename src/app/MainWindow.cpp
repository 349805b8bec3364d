#include "app/MainWindow.h"

#include "app/Screens.h"
#include "app/StartUp.h"
#include "documents/InvoiceViewer.h"
#include "store/Dataset.h"
#include "store/DbError.h"
#include "store/Prompt.h"
#include "ui/DataGrid.h"
#include "ui/GuardedAction.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace brevalto {

MainWindow::MainWindow(Screens& screens, QWidget* parent) : QMainWindow(parent), screens_(screens) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Brevalto"));

    auto* central = new QWidget(this);
    tabs_ = new QTabWidget(central);
    tabs_->setObjectName(QStringLiteral("PageControl1"));
    tabs_->addTab(buildArchivioPage(), tr("Archivio"));
    tabs_->addTab(buildDocumentsPage(), tr("Fatture e Documenti"));
    tabs_->addTab(buildUtilityPage(), tr("Utility"));

    archivePathBox_ = new QPlainTextEdit(central);
    archivePathBox_->setObjectName(QStringLiteral("Memo1"));
    archivePathBox_->setReadOnly(true);
    archivePathBox_->setToolTip(tr("Percorso di rete"));
    archivePathBox_->setPlaceholderText(tr("Percorso di rete"));
    archivePathBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    archivePathBox_->setFixedHeight(archivePathBox_->fontMetrics().lineSpacing() * 2 + 10);
    archivePathBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    archivePathBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    QPushButton* rete = makeButton(QStringLiteral("btnLavoraRete"), tr("Lavora in Rete"), central);
    rete->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    connect(rete, &QPushButton::clicked, this, &MainWindow::lavoraInRete);
    QPushButton* apri = makeButton(QStringLiteral("btnApriFattura"), tr("Apri fattura…"), central);
    apri->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    apri->setToolTip(tr("Mostra una fattura elettronica (.xml o .xml.p7m) e la controlla"));
    connect(apri, &QPushButton::clicked, this, guard([this] { apriFattura(); }));
    QPushButton* esci = makeButton(QStringLiteral("btnEsci"), tr("Esci"), central);
    esci->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(esci, &QPushButton::clicked, this, &MainWindow::esci);

    auto* bottom = new QHBoxLayout;
    auto* archiveLabel = new QLabel(tr("Archivio"), central);
    archiveLabel->setBuddy(archivePathBox_);
    bottom->addWidget(archiveLabel);
    bottom->addWidget(archivePathBox_, 1);
    bottom->addWidget(apri);
    bottom->addWidget(rete);
    bottom->addWidget(esci);

    auto* layout = new QVBoxLayout(central);
    layout->addWidget(tabs_, 1);
    layout->addLayout(bottom);
    setCentralWidget(central);

    // Ctrl+D opens the firm screen, as its button on the "Archivio" tab does.
    auto* ditta = new QAction(tr("Ditta"), this);
    ditta->setObjectName(QStringLiteral("Ditta1"));
    ditta->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    ditta->setShortcutContext(Qt::WindowShortcut);
    connect(ditta, &QAction::triggered, this, [this] {
        if (QPushButton* b = button(QStringLiteral("btnCaricaDitta")); b && b->isEnabled())
            b->click();
    });
    addAction(ditta);

    resize(860, 560);
}

QPushButton* MainWindow::makeButton(const QString& objectName, const QString& caption,
                                    QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(objectName);
    return b;
}

namespace {

struct PageButton {
    const char* name;
    const char* caption;
};

// A page of large buttons in two columns, every one disabled until its screen is wired.
QWidget* buttonPage(std::initializer_list<PageButton> buttons) {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int i = 0;
    for (const PageButton& def : buttons) {
        auto* b = new QPushButton(QObject::tr(def.caption), page);
        b->setObjectName(QString::fromLatin1(def.name));
        b->setMinimumHeight(44);
        b->setEnabled(false);
        grid->addWidget(b, i / 2, i % 2);
        ++i;
    }
    grid->setRowStretch((i + 1) / 2, 1);
    return page;
}

} // namespace

QWidget* MainWindow::buildArchivioPage() {
    QWidget* page = buttonPage({{"btnCaricaDitta", "Ditta"},
                                {"btnCedentePrestatore", "Cedente - Prestatore"},
                                {"btnCessionarioCommittente", "Cessionario Committente"},
                                {"btnRappresentanteFiscale", "Rappresentante Fiscale"},
                                {"btnTerzoIntermediario", "Terzo Intermediario O Sogg. Emittente"},
                                {"btnComuni", "Comuni"},
                                {"btnVettori", "Vettori"},
                                {"btnIva", "Iva"}});
    page->findChild<QPushButton*>(QStringLiteral("btnCaricaDitta"))
        ->setToolTip(tr("La ditta che trasmette le fatture: con il suo codice fiscale e la sua "
                        "nazione si chiamano i file esportati"));
    return page;
}

QWidget* MainWindow::buildDocumentsPage() {
    documentsPage_ = new QWidget;
    documentsPage_->setObjectName(QStringLiteral("TabDocumenti"));
    auto* tools = new QHBoxLayout;
    const struct {
        const char* name;
        const char* caption;
        QStyle::StandardPixmap icon;
    } buttons[] = {
        {"spdRicarica", "Ricarica", QStyle::SP_BrowserReload},
        {"spdElimina", "Elimina", QStyle::SP_TrashIcon},
        {"spdInserisci", "Aggiungi", QStyle::SP_FileIcon},
        {"spdModifica", "Modifica", QStyle::SP_FileDialogDetailedView},
        {"spdImportaXml", "Importa fattura xml…", QStyle::SP_DialogOpenButton},
        {"spdNotifiche", "Notifiche…", QStyle::SP_FileDialogContentsView},
    };
    for (const auto& def : buttons) {
        QPushButton* b = makeButton(QString::fromLatin1(def.name), tr(def.caption), documentsPage_);
        b->setIcon(style()->standardIcon(def.icon));
        b->setEnabled(false);
        tools->addWidget(b);
    }
    tools->addStretch();
    // Which Documents the register lists, by their state at the exchange system.
    auto* sdiLabel = new QLabel(tr("Stato SdI:"), documentsPage_);
    sdiFilter_ = new QComboBox(documentsPage_);
    sdiFilter_->setObjectName(QStringLiteral("cmbStatoSdi"));
    sdiLabel->setBuddy(sdiFilter_);
    tools->addWidget(sdiLabel);
    tools->addWidget(sdiFilter_);

    // Work on the Documents selected in the grid.
    auto* batchTools = new QHBoxLayout;
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
    } batchButtons[] = {
        {"spdSelezionaDaEsportare", "Seleziona da esportare",
         "Seleziona tutti i documenti non ancora esportati"},
        {"spdEsportaSelezione", "Esporta xml", "Esporta i documenti selezionati in una cartella"},
        {"spdControllaSelezione", "Controlla", "Controlla i documenti selezionati"},
        {"spdFirmaSelezione", "Firma", "Esporta e firma i documenti selezionati"},
        {"spdInviaSelezione", "Invia",
         "Invia per posta certificata al Sistema di Interscambio il file di ciascuno dei documenti "
         "selezionati"},
        {"spdPdfSelezione", "Anteprima/PDF",
         "Anteprima del documento selezionato, o il PDF di ciascuno dei documenti selezionati"},
        {"spdCreaZip", "Crea ZIP per il portale",
         "Raccoglie i file dei documenti selezionati in archivi ZIP da caricare sul portale"},
    };
    for (const auto& def : batchButtons) {
        QPushButton* b = makeButton(QString::fromLatin1(def.name), tr(def.caption), documentsPage_);
        b->setToolTip(tr(def.hint));
        b->setEnabled(false);
        batchTools->addWidget(b);
    }
    batchTools->addStretch();

    documentGrid_ = new DataGrid(documentsPage_);
    documentGrid_->setObjectName(QStringLiteral("DBGrid1"));
    documentGrid_->setColumns({
        {QStringLiteral("Numero"), tr("Numero"), 80},
        {QStringLiteral("Data"), tr("Data"), 100},
        {QStringLiteral("CessionarioCommittente_NominativoVisualizzato"), tr("Denominazione"), 300},
        {QStringLiteral("StatoSdI"), tr("Stato SdI"), 260},
    });
    documentGrid_->horizontalHeader()->setStretchLastSection(true);
    // Ctrl and Shift pick several Documents for the buttons of the second row.
    documentGrid_->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto* layout = new QVBoxLayout(documentsPage_);
    layout->addLayout(tools);
    layout->addLayout(batchTools);
    layout->addWidget(documentGrid_, 1);
    return documentsPage_;
}

QWidget* MainWindow::buildUtilityPage() {
    return buttonPage({{"btnRealizzazione", "Realizzazione"},
                       {"btnOpzioni", "Opzioni"},
                       {"btnEsportazioni", "Esportazioni"},
                       {"btnErroriScarto", "Errori di scarto Fattura Elettronica"},
                       {"btnAggiornaElencoPA", "Aggiorna elenco P.A."}});
}

void MainWindow::bindDocuments(Dataset& headers) {
    // The register lists three columns of a hundred: it reads those (and the key) for every
    // Document, and a Document's others when it is opened or exported.
    QStringList listed{QStringLiteral("ID")};
    for (const GridColumn& column : documentGrid_->columns())
        listed << column.field;
    headers.setEagerColumns(listed);
    documentGrid_->setDataset(&headers);
}

void MainWindow::showFirmInTitle(const Dataset& firm) {
    QString name = firm.text(QStringLiteral("RagSoc")).trimmed();
    if (name.isEmpty())
        name = (firm.text(QStringLiteral("Cognome")) + QLatin1Char(' ') +
                firm.text(QStringLiteral("Nome")))
                   .trimmed();
    setWindowTitle(QStringLiteral("Brevalto - ") + name);
}

void MainWindow::setArchivePathText(const QString& text) {
    archivePathBox_->setPlainText(text);
}

QString MainWindow::archivePathText() const {
    return archivePathBox_->toPlainText();
}

QPushButton* MainWindow::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

void MainWindow::setButtonAction(const QString& objectName, std::function<void()> action) {
    QPushButton* b = button(objectName);
    if (!b)
        return;
    disconnect(b, &QPushButton::clicked, nullptr, nullptr);
    connect(b, &QPushButton::clicked, this, guard(std::move(action)));
    b->setEnabled(true);
}

bool MainWindow::runStartUp() {
    startUpDone_ = true;
    return StartUp(screens_).run() == StartUp::Outcome::Ready;
}

void MainWindow::lavoraInRete() {
    switchArchive(screens_);
}

void MainWindow::apriFattura() {
    brevalto::apriFattura(&screens_.dataModule(), this);
}

void MainWindow::esci() {
    leaveProgram(screens_);
}

bool MainWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        if (!startUpDone_) {
            startUpDone_ = true;
            // Queued, so that the window is on screen before the prompts of the start-up appear.
            QMetaObject::invokeMethod(
                this, [this] { runStartUp(); }, Qt::QueuedConnection);
        } else {
            while (QApplication::overrideCursor())
                QApplication::restoreOverrideCursor();
        }
    }
    return QMainWindow::event(e);
}

} // namespace brevalto
