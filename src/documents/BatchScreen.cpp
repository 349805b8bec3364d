#include "documents/BatchScreen.h"

#include "channel/BatchSend.h"
#include "documents/InvoiceViewer.h"
#include "documents/SdiActions.h"
#include "documents/SdiRegister.h"
#include "export/DocumentCheck.h"
#include "export/ExportError.h"
#include "export/FatturaWriter.h"
#include "export/PortalZip.h"
#include "render/BatchPdf.h"
#include "sdi/SigningSettings.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/ProgramFolder.h"
#include "store/Prompt.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QProgressDialog>
#include <QSet>
#include <QSqlQuery>
#include <QThread>

#include <algorithm>

namespace brevalto {

const QString BatchScreen::kNothingSelected =
    QStringLiteral("Selezionare prima i documenti (Ctrl o Maiusc con il clic per sceglierne più "
                   "d'uno, oppure \"Seleziona da esportare\").");

BatchScreen::BatchScreen(DataModule& db, DataGrid& grid, QWidget* window)
    : QObject(window), db_(db), grid_(grid), window_(window) {}

QList<qint64> BatchScreen::selectedIds() const {
    const Dataset* header = grid_.dataset();
    if (!header || header->isEmpty())
        return {};
    const int idColumn = header->columnIndex(QStringLiteral("ID"));
    QList<int> rows;
    for (const QModelIndex& index : grid_.selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty() && header->position() >= 0)
        rows << header->position();
    std::sort(rows.begin(), rows.end());
    QList<qint64> ids;
    for (int row : std::as_const(rows)) {
        if (row < header->rowCount())
            ids << header->valueAt(row, idColumn).toLongLong();
    }
    return ids;
}

void BatchScreen::selectIds(const QList<qint64>& ids) {
    Dataset* header = grid_.dataset();
    if (!header || ids.isEmpty())
        return;
    const QSet<qint64> wanted(ids.cbegin(), ids.cend());
    const int idColumn = header->columnIndex(QStringLiteral("ID"));
    QItemSelection selection;
    int first = -1;
    for (int row = 0; row < header->rowCount(); ++row) {
        if (!wanted.contains(header->valueAt(row, idColumn).toLongLong()))
            continue;
        if (first < 0)
            first = row;
        const QModelIndex index = grid_.model()->index(row, 0);
        selection.select(index, index);
    }
    if (first < 0)
        return;
    // The first one current (the dataset follows the grid), then the whole set selected.
    grid_.selectionModel()->setCurrentIndex(grid_.model()->index(first, 0),
                                            QItemSelectionModel::NoUpdate);
    grid_.selectionModel()->select(selection,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void BatchScreen::selezionaDaEsportare() {
    const QList<qint64> pending = batch::pendingDocuments(db_);
    if (pending.isEmpty()) {
        grid_.clearSelection();
        prompt().message(Prompt::warningTitle(),
                         QStringLiteral("Tutti i documenti sono già stati esportati."));
        return;
    }
    selectIds(pending);
}

QString BatchScreen::askFolder(const QString& title) {
    QString start;
    const QString preferred =
        db_.table(ds::Opzioni).text(QStringLiteral("CartellaEsportazioneDocumenti"));
    if (!preferred.isEmpty() && QFileInfo(preferred).isDir())
        start = preferred;
    else
        start = programFolder();
    return prompt().folder(title, start);
}

batch::Report BatchScreen::runOnSelection(const QString& action, const QList<qint64>& ids,
                                          const batch::Step& step) {
    batch::Report report;
    report.action = action;
    if (ids.isEmpty()) {
        prompt().message(Prompt::warningTitle(), kNothingSelected);
        return report;
    }
    QProgressDialog progress(action, tr("Annulla"), 0, int(ids.size()), window_);
    progress.setObjectName(QStringLiteral("progressoDocumenti"));
    progress.setWindowTitle(action);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);
    // The register's states are read once, when the run is over.
    struct Hold {
        SdiRegister* sdi;
        QProgressDialog*& current;
        Hold(SdiRegister* s, QProgressDialog*& c, QProgressDialog* p) : sdi(s), current(c) {
            current = p;
            if (sdi)
                sdi->hold();
        }
        ~Hold() {
            current = nullptr;
            if (sdi)
                sdi->release();
        }
    };
    {
        Hold hold(sdi_, progress_, &progress);
        report = batch::run(db_, action, ids, step, [&](int done, int total) {
            progress.setLabelText(
                done < total
                    ? QStringLiteral("%1: documento %2 di %3").arg(action).arg(done + 1).arg(total)
                    : action);
            progress.setValue(done); // lets "Annulla" be pressed
            if (afterDocument && done > 0)
                afterDocument(done);
            return !progress.wasCanceled();
        });
        progress.hide();
    }
    selectIds(ids);
    prompt().message(action, report.summary());
    return report;
}

void BatchScreen::esportaXml() {
    const QList<qint64> ids = selectedIds();
    if (ids.isEmpty()) {
        prompt().message(Prompt::warningTitle(), kNothingSelected);
        return;
    }
    const QString folder = askFolder(QStringLiteral("Cartella in cui esportare i file xml"));
    if (folder.isEmpty())
        return;
    batch::ExportStep step(db_, prompt(), folder);
    runOnSelection(QStringLiteral("Esporta xml"), ids, std::ref(step));
}

void BatchScreen::controlla() {
    runOnSelection(QStringLiteral("Controlla"), selectedIds(),
                   [this] { return batch::checkStep(db_); });
}

void BatchScreen::firma() {
    const QList<qint64> ids = selectedIds();
    if (ids.isEmpty()) {
        prompt().message(Prompt::warningTitle(), kNothingSelected);
        return;
    }
    const std::optional<sdi::SigningKey> configured = configuredSigningKey(prompt());
    if (!configured)
        return;
    const sdi::SigningKey& key = *configured;
    const QString folder =
        askFolder(QStringLiteral("Cartella in cui esportare e firmare i file xml"));
    if (folder.isEmpty())
        return;
    bool ok = false;
    const QString label =
        key.kind == sdi::SigningKey::Kind::Pkcs12
            ? QStringLiteral("Password del certificato %1 (per tutti i %2 documenti):")
                  .arg(QDir::toNativeSeparators(key.file))
                  .arg(ids.size())
            : QStringLiteral("PIN della carta «%1» (per tutti i %2 documenti):")
                  .arg(key.token.trimmed())
                  .arg(ids.size());
    std::optional<QString> secret = prompt().text(ExportDriver::kSecretTitle, label, true, &ok);
    if (!ok)
        return;
    batch::ExportStep step(db_, prompt(), folder,
                           ExportDriver::Signing{key, [&secret] { return secret; }});
    runOnSelection(QStringLiteral("Firma"), ids, std::ref(step));
    secret->fill(QChar(u'\0'));
}

void BatchScreen::anteprimaPdf() {
    const QList<qint64> ids = selectedIds();
    if (ids.size() == 1) {
        // One Document: its preview, as "Anteprima" in its bodies shows it.
        Dataset& header = db_.table(ds::PA_FE_Header);
        header.locate(QStringLiteral("ID"), ids.first());
        db_.loadBodies();
        QByteArray xml;
        QString name;
        check::Findings findings;
        try {
            xml = buildInvoiceXml(db_);
            name = documentFileName(db_);
            findings = checkDocumentText(db_, xml);
        } catch (const ExportError& e) {
            prompt().message(e.kind() == ExportError::Kind::Abort ? Prompt::warningTitle()
                                                                  : Prompt::errorTitle(),
                             e.text());
            return;
        }
        showDocumentPreview(db_, xml, name, findings, window_);
        return;
    }
    if (ids.isEmpty()) {
        prompt().message(Prompt::warningTitle(), kNothingSelected);
        return;
    }
    const QString folder = askFolder(QStringLiteral("Cartella in cui scrivere i PDF"));
    if (folder.isEmpty())
        return;
    batch::PdfStep step(db_, folder);
    runOnSelection(QStringLiteral("Anteprima/PDF"), ids, std::ref(step));
}

void BatchScreen::creaZip() {
    const QList<qint64> ids = selectedIds();
    if (ids.isEmpty()) {
        prompt().message(Prompt::warningTitle(), kNothingSelected);
        return;
    }
    const QString title = QStringLiteral("Crea ZIP per il portale");
    QStringList files;
    QStringList left;
    for (qint64 id : ids) {
        QSqlQuery row = db_.connessione().exec(
            QStringLiteral("SELECT Numero, Esportato, FileEsportazione FROM PA_FE_Header "
                           "WHERE ID = ?"),
            {id});
        if (!row.next())
            continue;
        const int numero = row.value(0).toInt();
        const QString file = row.value(2).toString();
        if (!row.value(1).toBool() || file.isEmpty())
            left << QStringLiteral("Documento n. %1: non ancora esportato.").arg(numero);
        else if (!QFileInfo(QDir::fromNativeSeparators(file)).isFile())
            left
                << QStringLiteral("Documento n. %1: il file %2 non c'è più.").arg(numero).arg(file);
        else
            files << QDir::fromNativeSeparators(file);
    }
    if (files.isEmpty()) {
        prompt().message(Prompt::warningTitle(),
                         QStringLiteral("Nessun file da mettere nell'archivio.\n\n") +
                             left.join(QLatin1Char('\n')));
        return;
    }
    const QFileInfo first(files.first());
    const QString transmitter = first.fileName().section(u'_', 0, 0);
    const QString path = prompt().saveFileName(
        title, first.absolutePath(), portal::proposedZipName(first.absolutePath(), transmitter),
        QStringLiteral("Archivi ZIP (*.zip)"));
    if (path.isEmpty())
        return;
    const bool present = QFileInfo::exists(path);
    if (present && !prompt().question(Prompt::warningTitle(), ExportDriver::kOverwriteQuestion))
        return;
    const portal::ZipResult zip = portal::packForPortal(files, path, present);
    if (!zip.ok()) {
        prompt().message(Prompt::errorTitle(), zip.error);
        return;
    }
    QStringList lines{QStringLiteral("%1: %2 file in %3 archivi (al massimo %4 byte "
                                     "ciascuno).")
                          .arg(title)
                          .arg(files.size() - zip.refused.size())
                          .arg(zip.archives.size())
                          .arg(portal::kMaxZipSize)};
    for (int i = 0; i < zip.archives.size(); ++i)
        lines << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(zip.archives[i]),
                                              zip.contents[i].join(QStringLiteral(", ")));
    if (!zip.refused.isEmpty())
        lines << QString() << QStringLiteral("File lasciati fuori:")
              << portal::refusedText(zip.refused);
    if (!left.isEmpty())
        lines << QString() << QStringLiteral("Documenti senza file:") << left;
    prompt().message(title, lines.join(QLatin1Char('\n')));
}

void BatchScreen::invia() {
    const QList<qint64> ids = selectedIds();
    if (ids.isEmpty()) {
        prompt().message(Prompt::warningTitle(), kNothingSelected);
        return;
    }
    channel::SendOptions options;
    options.password = channel::askPecPasswordWithPrompt;
    // A provider's limit of messages a minute: the progress window says why it waits, and its
    // "Annulla" stops the wait.
    options.wait = [this](std::chrono::milliseconds left,
                          const channel::PecAccountSettings& account) {
        QElapsedTimer waited;
        waited.start();
        const QString label = progress_ ? progress_->labelText() : QString();
        bool going = true;
        while (going && waited.elapsed() < left.count()) {
            if (progress_) {
                const qint64 seconds = (left.count() - waited.elapsed() + 999) / 1000;
                progress_->setLabelText(
                    QStringLiteral("%1\nIn attesa: il gestore della casella %2 accetta al "
                                   "massimo %3 messaggi al minuto (ancora %4 s).")
                        .arg(label, account.address)
                        .arg(channel::providerMessagesPerMinute(account))
                        .arg(seconds));
                going = !progress_->wasCanceled();
            }
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(50);
        }
        if (progress_)
            progress_->setLabelText(label);
        return going;
    };
    channel::SendStep step(db_, prompt(), std::move(options));
    runOnSelection(QStringLiteral("Invia"), ids, std::ref(step));
}

} // namespace brevalto
