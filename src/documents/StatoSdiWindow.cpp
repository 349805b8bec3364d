#include "documents/StatoSdiWindow.h"

#include "documents/SdiActions.h"
#include "export/DocumentCheck.h"
#include "export/ExportError.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/DbError.h"
#include "store/Prompt.h"
#include "ui/GuardedAction.h"
#include "ui/ReadOnlyTable.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace brevalto {

namespace {

// One row at a time: the chosen notification is shown in words beside the list.
QTableWidget* makeTable(const QStringList& titles, const QString& name, const QString& accessible,
                        QWidget* parent) {
    QTableWidget* table = readOnlyTable(titles, name, accessible, parent);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    return table;
}

} // namespace

StatoSdiWindow::StatoSdiWindow(DataModule& db, QWidget* parent)
    : QDialog(parent), db_(db), state_(new QLabel(this)),
      history_(makeTable({tr("Data"), tr("Notifica"), tr("File inviato"), tr("Identificativo SdI")},
                         QStringLiteral("grdNotifiche"), tr("Notifiche del documento"), this)),
      detail_(new QPlainTextEdit(this)),
      errors_(makeTable({tr("Codice"), tr("Errore"), tr("Descrizione"), tr("Dove correggere")},
                        QStringLiteral("grdErrori"), tr("Errori dello scarto"), this)),
      reissue_(new QPushButton(tr("Reinvia"), this)) {
    setObjectName(QStringLiteral("TfrmStatoSdi"));
    resize(900, 600);
    state_->setObjectName(QStringLiteral("lblStato"));
    state_->setWordWrap(true);
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detail_->setObjectName(QStringLiteral("txtDettaglio"));
    detail_->setAccessibleName(tr("La notifica scelta, in parole"));
    detail_->setReadOnly(true);
    history_->setColumnWidth(0, 130);
    history_->setColumnWidth(1, 230);
    history_->setColumnWidth(2, 240);
    errors_->setColumnWidth(0, 60);
    errors_->setColumnWidth(1, 230);
    errors_->setColumnWidth(2, 330);
    reissue_->setObjectName(QStringLiteral("spdReinvia"));
    auto* close = new QPushButton(tr("Chiudi"), this);
    close->setObjectName(QStringLiteral("spdChiudi"));
    for (QPushButton* b : {reissue_, close})
        b->setAutoDefault(false);

    auto* historyLabel = new QLabel(tr("&Notifiche:"), this);
    historyLabel->setBuddy(history_);
    auto* errorsLabel = new QLabel(tr("&Errori dello scarto:"), this);
    errorsLabel->setBuddy(errors_);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(history_);
    split->addWidget(detail_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reissue_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(state_);
    layout->addWidget(historyLabel);
    layout->addWidget(split, 2);
    layout->addWidget(errorsLabel);
    layout->addWidget(errors_, 1);
    layout->addLayout(buttons);

    connect(history_, &QTableWidget::currentCellChanged, this, [this](int row) { showEntry(row); });
    connect(reissue_, &QPushButton::clicked, this, guard([this] { reinvia(); }));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    reload();
}

void StatoSdiWindow::reload() {
    headerId_ = db_.table(ds::PA_FE_Header).integer(QStringLiteral("id"));
    status_ = receipts::documentStatus(db_.connessione(), headerId_);
    entries_ = receipts::documentHistory(db_.connessione(), headerId_);
    setWindowTitle(tr("Stato SdI del documento n. %1").arg(status_.number));

    QStringList lines{tr("Stato SdI: %1").arg(receipts::stateText(status_.state))};
    if (!status_.fileName.isEmpty())
        lines << (status_.channel.isEmpty()
                      ? tr("File: %1").arg(status_.fileName)
                      : tr("File: %1, inviato con %2").arg(status_.fileName, status_.channel));
    if (status_.deadline.isValid()) {
        const int left = status_.daysLeft(today());
        const QString days = left < 0    ? tr("termine passato")
                             : left == 1 ? tr("1 giorno")
                                         : tr("%1 giorni").arg(left);
        lines << (status_.state == receipts::State::Rejected
                      ? tr("Da reinviare, con lo stesso numero e la stessa data, entro il %1 (%2).")
                      : tr("L'amministrazione può accettarla o rifiutarla fino al %1 (%2)."))
                     .arg(status_.deadline.toString(QStringLiteral("dd/MM/yyyy")), days);
    }
    if (status_.state == receipts::State::TransmittedNotDelivered)
        lines << tr("Inviare all'amministrazione la fattura e l'attestazione per altre vie "
                    "(posta elettronica certificata, consegna a mano).");
    else if (status_.state == receipts::State::InReservedArea)
        lines << tr("Avvisare il cliente che la fattura è nella sua area riservata.");
    const QString why = status_.whyNotResend();
    if (!why.isEmpty() && status_.state != receipts::State::Sent)
        lines << why;
    state_->setText(lines.join(QLatin1Char('\n')));
    // Offered in every state: for one that may not go again, it says why.
    reissue_->setToolTip(status_.state == receipts::State::Rejected
                             ? tr("Scrive il documento in un nuovo file, con un nome mai usato")
                             : why);

    // Where to correct a rejection: the check on the Document as it is now names the field of
    // every code it can find itself; a code it no longer finds was corrected already.
    findings_.clear();
    if (status_.state == receipts::State::Rejected) {
        try {
            findings_ = checkCurrentDocument(db_);
        } catch (const ExportError&) {
        } catch (const DbError&) {
        }
    }

    history_->setRowCount(0);
    history_->setRowCount(int(entries_.size()));
    for (int row = 0; row < entries_.size(); ++row) {
        const receipts::HistoryEntry& e = entries_[row];
        receipts::NotificationType type;
        const QString title =
            receipts::typeFromCode(e.type, &type) ? receipts::typeTitle(type) : e.type;
        const QDateTime when = e.date.isValid() ? e.date : e.loaded;
        setTableRow(history_, row,
                    {when.toString(QStringLiteral("dd/MM/yyyy HH:mm")),
                     e.outcome.isEmpty() ? title : title + QStringLiteral(" (") + e.outcome + u')',
                     e.sentFile, e.sdiId});
    }
    if (entries_.isEmpty()) {
        detail_->setPlainText(status_.state == receipts::State::ToSend
                                  ? tr("Il documento non è ancora stato esportato.")
                                  : tr("Nessuna notifica caricata per questo documento."));
        showEntry(-1);
    } else {
        history_->setCurrentCell(int(entries_.size()) - 1, 0);
        showEntry(int(entries_.size()) - 1);
    }
}

void StatoSdiWindow::showEntry(int row) {
    errors_->setRowCount(0);
    if (row < 0 || row >= entries_.size())
        return;
    const receipts::HistoryEntry& e = entries_[row];
    QString text = e.text();
    if (!e.notificationFile.isEmpty())
        text += tr("\n\nFile della notifica: %1").arg(e.notificationFile);
    detail_->setPlainText(text);
    errors_->setRowCount(int(e.errors.size()));
    for (int i = 0; i < e.errors.size(); ++i) {
        const receipts::HistoryError& error = e.errors[i];
        QString where;
        for (const check::Finding& f : std::as_const(findings_)) {
            if (f.code != error.code)
                continue;
            where = f.screen.isEmpty()  ? f.message
                    : f.field.isEmpty() ? tr("%1 (%2)").arg(f.screen, f.message)
                                        : tr("%1, campo %2 (%3)").arg(f.screen, f.field, f.message);
            break;
        }
        QString description = error.description;
        if (!error.suggestion.isEmpty())
            description += QStringLiteral(" — ") + error.suggestion;
        setTableRow(errors_, i, {error.code, titles_.title(error.code), description, where});
    }
}

void StatoSdiWindow::reinvia() {
    brevalto::reinvia(db_, prompt());
    reload();
}

} // namespace brevalto
