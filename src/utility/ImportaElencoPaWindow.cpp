#include "utility/ImportaElencoPaWindow.h"

#include "store/DataModule.h"
#include "store/DbError.h"
#include "store/IpaDirectory.h"
#include "store/Prompt.h"
#include "ui/GuardedAction.h"

#include <QApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevalto {

namespace {
const QString kTitle = QStringLiteral("Aggiorna elenco P.A.");
const QString kFilter = QStringLiteral("File di IndicePA (*.csv *.txt *.tsv);;Tutti i file (*)");
} // namespace

ImportaElencoPaWindow::ImportaElencoPaWindow(DataModule& db, QWidget* parent)
    : QDialog(parent), db_(db), offices_(new QLineEdit(this)), enti_(new QLineEdit(this)),
      status_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmImportaElencoPA"));
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(720, 260);

    // Where the files come from, as an address the user can open or copy.
    auto* intro = new QLabel(
        QStringLiteral(
            "Scaricare dai dati aperti di IndicePA, pubblicati su <a href=\"%1\">%1</a>, il "
            "file delle unità organizzative con servizio di fatturazione elettronica (CSV) "
            "oppure il vecchio serv_fatt.txt; il file degli enti, facoltativo, aggiunge la "
            "denominazione e la tipologia dell'amministrazione. L'elenco attuale viene "
            "sostituito.")
            .arg(QStringLiteral("https://indicepa.gov.it/ipa-dati/")),
        this);
    intro->setObjectName(QStringLiteral("lblIstruzioni"));
    intro->setWordWrap(true);
    intro->setTextFormat(Qt::RichText);
    intro->setOpenExternalLinks(true);
    intro->setTextInteractionFlags(Qt::TextBrowserInteraction);
    status_->setObjectName(QStringLiteral("lblElenco"));

    offices_->setObjectName(QStringLiteral("edtFileUffici"));
    enti_->setObjectName(QStringLiteral("edtFileEnti"));
    auto* officesLabel = new QLabel(QStringLiteral("File degli uffici"), this);
    officesLabel->setBuddy(offices_);
    auto* entiLabel = new QLabel(QStringLiteral("File degli enti (facoltativo)"), this);
    entiLabel->setBuddy(enti_);
    auto* browseOffices = new QPushButton(QStringLiteral("Sfoglia..."), this);
    browseOffices->setObjectName(QStringLiteral("btnSfogliaUffici"));
    browseOffices->setAccessibleName(QStringLiteral("Sfoglia file degli uffici"));
    auto* browseEnti = new QPushButton(QStringLiteral("Sfoglia..."), this);
    browseEnti->setObjectName(QStringLiteral("btnSfogliaEnti"));
    browseEnti->setAccessibleName(QStringLiteral("Sfoglia file degli enti"));
    connect(browseOffices, &QPushButton::clicked, this,
            [this] { browse(offices_, QStringLiteral("File degli uffici di IndicePA")); });
    connect(browseEnti, &QPushButton::clicked, this,
            [this] { browse(enti_, QStringLiteral("File degli enti di IndicePA")); });

    auto* form = new QGridLayout;
    form->addWidget(officesLabel, 0, 0);
    form->addWidget(offices_, 0, 1);
    form->addWidget(browseOffices, 0, 2);
    form->addWidget(entiLabel, 1, 0);
    form->addWidget(enti_, 1, 1);
    form->addWidget(browseEnti, 1, 2);
    form->setColumnStretch(1, 1);

    auto* importButton = new QPushButton(QStringLiteral("Importa"), this);
    importButton->setObjectName(QStringLiteral("spdImporta"));
    auto* back = new QPushButton(QStringLiteral("Indietro"), this);
    back->setObjectName(QStringLiteral("spdIndietro"));
    back->setAutoDefault(false);
    connect(importButton, &QPushButton::clicked, this, guard([this] { importa(); }));
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(importButton);
    buttons->addWidget(back);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(status_);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);
}

void ImportaElencoPaWindow::browse(QLineEdit* target, const QString& title) {
    const QString start = target->text().isEmpty() ? offices_->text() : target->text();
    const QString path = prompt().openFileName(
        title, start.isEmpty() ? QString() : QFileInfo(start).absolutePath(), kFilter);
    if (!path.isEmpty())
        target->setText(path);
}

bool ImportaElencoPaWindow::importa() {
    const QString offices = offices_->text().trimmed();
    const QString enti = enti_->text().trimmed();
    if (offices.isEmpty()) {
        prompt().message(Prompt::errorTitle(),
                         QStringLiteral("Indicare il file degli uffici scaricato da IndicePA."));
        offices_->setFocus();
        return false;
    }
    QProgressDialog progress(QStringLiteral("Importazione dell'elenco delle amministrazioni..."),
                             QStringLiteral("Annulla"), 0, 1000, this);
    progress.setWindowTitle(kTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setValue(0);
    const QString unchanged = QStringLiteral("L'elenco precedente è rimasto invariato.");
    ipa::ImportReport report;
    try {
        report = ipa::importDirectory(
            db_.connessione(), offices, enti, [&progress](qint64 done, qint64 total) {
                progress.setValue(int(done * 1000 / qMax<qint64>(total, 1)));
                QApplication::processEvents();
                return !progress.wasCanceled();
            });
    } catch (const ipa::FileError& e) {
        progress.reset();
        prompt().message(Prompt::errorTitle(), e.text() + QLatin1Char('\n') + unchanged);
        return false;
    } catch (const DbError& e) {
        progress.reset();
        prompt().message(
            Prompt::errorTitle(),
            QStringLiteral("Importazione non riuscita: %1\n%2").arg(e.text(), unchanged));
        return false;
    }
    progress.reset();
    refreshStatus();
    if (report.cancelled) {
        prompt().message(Prompt::warningTitle(),
                         QStringLiteral("Importazione annullata. ") + unchanged);
        return false;
    }
    prompt().message(Prompt::warningTitle(),
                     QStringLiteral("Elenco delle amministrazioni aggiornato.\n") + report.text());
    return true;
}

void ImportaElencoPaWindow::refreshStatus() {
    guarded([this] {
        status_->setText(db_.connessione().isOpen() ? ipa::lastLoadText(db_.connessione())
                                                    : QStringLiteral("Nessun archivio aperto."));
    });
}

void ImportaElencoPaWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    refreshStatus();
}

} // namespace brevalto
