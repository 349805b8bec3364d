#include "utility/EsportazioniWindow.h"

#include "logic/InvoiceList.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/ProgramFolder.h"
#include "store/Prompt.h"
#include "store/WholeFile.h"
#include "ui/GuardedAction.h"

#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

namespace brevalto {

EsportazioniWindow::EsportazioniWindow(DataModule& db, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), db_(db) {
    setObjectName(QStringLiteral("frmEsportazioni"));
    setWindowTitle(tr("Esportazioni"));

    seller_ = new QComboBox(this);
    seller_->setObjectName(QStringLiteral("DBLookupComboBox13"));
    seller_->setMinimumWidth(320);
    sellerLabel_ = new QLabel(tr("Cedente - Prestatore"), this);
    sellerLabel_->setBuddy(seller_);

    auto* run = new QPushButton(tr("Esporta"), this);
    run->setObjectName(QStringLiteral("btnEsportazioni"));
    run->setToolTip(tr("Scrive in un file csv le fatture non ancora elencate"));
    run->setAutoDefault(false);
    connect(run, &QPushButton::clicked, this, guard([this] { esporta(); }));
    auto* back = new QPushButton(tr("Indietro"), this);
    back->setObjectName(QStringLiteral("spdIndietro"));
    back->setAutoDefault(false);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);

    auto* about = new QLabel(tr("Scrive in un file csv, per la contabilità, le fatture non ancora "
                                "elencate in un file precedente, e le segna come elencate "
                                "(l'esportazione in XML non conta)."),
                             this);
    about->setWordWrap(true);
    auto* form = new QGridLayout;
    form->addWidget(about, 0, 0);
    form->addWidget(sellerLabel_, 1, 0);
    form->addWidget(seller_, 2, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(run);
    buttons->addStretch();
    buttons->addWidget(back);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(420, 160);
}

void EsportazioniWindow::showEvent(QShowEvent* event) {
    guarded([this] { reloadSellers(); });
    QDialog::showEvent(event);
}

void EsportazioniWindow::reloadSellers() {
    const QVariant chosen = seller_->currentData();
    Dataset& sellers = db_.table(ds::PA_CedentePrestatore);
    sellers.refreshIfChanged();
    seller_->clear();
    const int key = sellers.columnIndex(QStringLiteral("CedentePrestatore_Id"));
    const int name = sellers.columnIndex(QStringLiteral("CedentePrestatore_Denominazione"));
    const int cognome = sellers.columnIndex(QStringLiteral("CedentePrestatore_Cognome"));
    const int nome = sellers.columnIndex(QStringLiteral("CedentePrestatore_Nome"));
    for (int row = 0; row < sellers.rowCount(); ++row) {
        QString text = sellers.valueAt(row, name).toString();
        if (text.isEmpty()) // a person: surname and name
            text = (sellers.valueAt(row, cognome).toString() + QLatin1Char(' ') +
                    sellers.valueAt(row, nome).toString())
                       .trimmed();
        seller_->addItem(text, sellers.valueAt(row, key));
    }
    seller_->setCurrentIndex(chosen.isValid() ? seller_->findData(chosen) : -1);
}

void EsportazioniWindow::esporta() {
    Dataset& opzioni = db_.table(ds::Opzioni);
    const bool studio = opzioni.flag(QStringLiteral("StudioCommerciale"));
    if (studio && seller_->currentIndex() < 0) {
        prompt().message(Prompt::warningTitle(),
                         tr("Scegliere il Cedente - Prestatore prima di continuare !"));
        return;
    }
    if (!prompt().question(Prompt::warningTitle(),
                           tr("Sei sicuro di voler Esportare le fatture ?")))
        return;
    // With one seller every Document of the archive is the firm's.
    const std::optional<qint64> seller =
        studio ? std::optional<qint64>(seller_->currentData().toLongLong()) : std::nullopt;
    const elenco::Listing listing = elenco::build(db_.connessione(), seller);
    if (listing.invoices == 0) {
        prompt().message(Prompt::warningTitle(), tr("Nessuna fattura da esportare"));
        return;
    }
    QString folder = opzioni.text(QStringLiteral("CartellaEsportazioneDocumenti"));
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = programFolder();
    const QString path = prompt().saveFileName(tr("Scegli il file csv"), folder,
                                               elenco::proposedFileName(QDate::currentDate()),
                                               tr("Files Csv (*.csv)"));
    if (path.isEmpty())
        return;
    if (!listing.unrepresentable.isEmpty() &&
        !prompt().question(
            Prompt::warningTitle(),
            tr("Questi valori contengono caratteri che il file csv non può contenere:\n%1\n\n"
               "Scrivendo il file diventeranno \"?\". Esportare comunque le fatture ?")
                .arg(elenco::describe(listing.unrepresentable))))
        return;

    QString error;
    if (!writeWholeFile(path, elenco::encode(listing.text), &error)) {
        prompt().message(Prompt::errorTitle(),
                         tr("Impossibile scrivere il file %1: %2\nNessuna fattura è stata segnata "
                            "come già elencata.")
                             .arg(path, error));
        return;
    }
    try {
        elenco::markExported(db_.connessione(), listing.documents);
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(),
                         tr("Il file %1 è stato scritto, ma le fatture non sono state segnate come "
                            "già elencate: %2")
                             .arg(path, e.text()));
        return;
    }
    // The Documents' rows in memory take the new marks, so that saving one never clears them.
    Dataset& headers = db_.table(ds::PA_FE_Header);
    const QVariant current = headers.value(QStringLiteral("ID"));
    headers.requery();
    if (!current.isNull())
        headers.locate(QStringLiteral("ID"), current);
    prompt().message(Prompt::warningTitle(), tr("Fatture esportate con successo !"));
}

} // namespace brevalto
