#include "documents/NotificheWindow.h"

#include "documents/SdiActions.h"
#include "receipts/DocumentLife.h"
#include "store/DataModule.h"
#include "store/DbError.h"
#include "store/ProgramFolder.h"
#include "store/Prompt.h"
#include "ui/GuardedAction.h"
#include "ui/ReadOnlyTable.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace brevalto {

namespace {

const QString kTitle = QStringLiteral("Notifiche SdI");

// The local files and folders a drag carries; empty when it carries none.
QStringList localPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

} // namespace

NotificheWindow::NotificheWindow(DataModule& db, QWidget* parent)
    : QDialog(parent), db_(db),
      outcomes_(
          readOnlyTable({tr("File"), tr("Esito"), tr("Numero"), tr("Stato SdI"), tr("Motivo")},
                        QStringLiteral("grdEsiti"), tr("Esito di ogni file caricato"), this)),
      summary_(new QLabel(this)) {
    setObjectName(QStringLiteral("TfrmNotifiche"));
    setWindowTitle(kTitle);
    setAcceptDrops(true);
    resize(820, 420);

    auto* hint = new QLabel(
        tr("Trascinare qui i file delle notifiche (.xml, .xml.p7m, lo .zip dell'attestazione) o "
           "le cartelle che li contengono, oppure sceglierli:"),
        this);
    hint->setWordWrap(true);
    auto* folder = new QPushButton(tr("Cartella…"), this);
    folder->setObjectName(QStringLiteral("spdCartella"));
    auto* file = new QPushButton(tr("File…"), this);
    file->setObjectName(QStringLiteral("spdFile"));
    auto* close = new QPushButton(tr("Chiudi"), this);
    close->setObjectName(QStringLiteral("spdChiudi"));
    for (QPushButton* b : {folder, file, close})
        b->setAutoDefault(false);

    outcomes_->setColumnWidth(0, 260);
    outcomes_->setColumnWidth(1, 100);
    outcomes_->setColumnWidth(2, 70);
    outcomes_->setColumnWidth(3, 180);
    summary_->setObjectName(QStringLiteral("lblRiepilogo"));
    summary_->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(folder);
    buttons->addWidget(file);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(buttons);
    layout->addWidget(outcomes_, 1);
    layout->addWidget(summary_);

    connect(folder, &QPushButton::clicked, this, guard([this] { scegliCartella(); }));
    connect(file, &QPushButton::clicked, this, guard([this] { scegliFile(); }));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void NotificheWindow::scegliCartella() {
    const QString path = prompt().folder(tr("Cartella delle notifiche"), programFolder());
    if (!path.isEmpty())
        load({path});
}

void NotificheWindow::scegliFile() {
    const QString path =
        prompt().openFileName(tr("File di notifica"), programFolder(),
                              tr("Notifiche SdI (*.xml *.XML *.p7m *.P7M *.zip *.ZIP)"));
    if (!path.isEmpty())
        load({path});
}

void NotificheWindow::load(const QStringList& paths) {
    QList<receipts::LoadedFile> loaded;
    try {
        loaded = receipts::loadNotifications(db_.connessione(), paths);
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
        return;
    }
    outcomes_->setRowCount(0);
    outcomes_->setRowCount(int(loaded.size()));
    for (int row = 0; row < loaded.size(); ++row) {
        const receipts::LoadedFile& f = loaded[row];
        const QStringList cells{QDir::toNativeSeparators(f.path), f.resultText(),
                                f.number > 0 ? QString::number(f.number) : QString(), f.state,
                                f.why};
        setTableRow(outcomes_, row, cells);
    }
    summary_->setText(loaded.isEmpty()
                          ? tr("Nessun file di notifica in %1.")
                                .arg(QDir::toNativeSeparators(paths.join(QStringLiteral(", "))))
                          : notificationsSummary(loaded)
                                .section(QStringLiteral("\n\n"), 0, 0)
                                .replace(QLatin1Char('\n'), QStringLiteral("  ")));
    Q_EMIT notificationsLoaded();
}

void NotificheWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!localPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void NotificheWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = localPaths(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    guarded([&] { load(paths); });
}

} // namespace brevalto
