#include "utility/ImportaWindow.h"

#include "logic/LineImport.h"
#include "logic/LineeLogic.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "store/Saving.h"
#include "store/SystemText.h"
#include "ui/BoundInputs.h"
#include "ui/GuardedAction.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <optional>

namespace brevalto {

namespace {

const QString kMime = QStringLiteral("application/x-brevalto-colonna");
constexpr int kButtonWidth = 64;
constexpr int kButtonTop = 8;
// Files longer than this show their progress, with "Annulla".
constexpr int kProgressFrom = 2000;

struct ColumnDef {
    const char* name;
    const char* caption;      // as designed
    const char* resetCaption; // after its fixed value is cleared
};
constexpr ColumnDef kColumns[] = {
    {"Descrizione", "Descrizione", "Descriz."},
    {"Prezzo", "Val. Unit.", "Val.Unit."},
    {"AliquotaIva", "I.v.a.", "I.v.a."},
    {"Quantita", "Quantita'", "Quantita'"},
};

// Puts the override cursor back however the import ends.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

ImportaWindow::ImportaWindow(DataModule& db, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), db_(db) {
    setObjectName(QStringLiteral("frmImporta"));
    setWindowTitle(tr("Importa Dati da file esterno"));
    setModal(false);
    Dataset* opzioni = &db.table(ds::Opzioni);

    auto* hint = new QLabel(tr("Trascinare i pulsanti nell'ordine dei campi del file; con il tasto "
                               "destro si dà a un campo un valore fisso."),
                            this);
    hint->setWordWrap(true);

    area_ = new QWidget(this);
    area_->setObjectName(QStringLiteral("Panel1"));
    area_->setAccessibleName(tr("Ordine delle colonne"));
    area_->setAcceptDrops(true);
    area_->setMinimumHeight(kButtonTop * 2 + 30);
    area_->setMinimumWidth(5 + 4 * (kButtonWidth + 30));
    area_->installEventFilter(this);
    int x = 10;
    for (const ColumnDef& def : kColumns) {
        auto* b = new QPushButton(tr(def.caption), area_);
        b->setObjectName(QLatin1String(def.name));
        b->setToolTip(tr("Trascinare per spostare; tasto destro per un valore fisso"));
        b->setAutoDefault(false);
        b->setGeometry(x, kButtonTop, std::max(kButtonWidth, b->sizeHint().width()), 28);
        b->installEventFilter(this);
        buttons_.insert(QLatin1String(def.name), b);
        order_ << QLatin1String(def.name);
        x += b->width() + 10;
    }
    buttons_.value(importa::kDescrizione)->setVisible(false); // shown at the first activation

    fixedBox_ = new QLineEdit(area_);
    fixedBox_->setObjectName(QStringLiteral("Edit1"));
    fixedBox_->setAccessibleName(tr("Valore fisso"));
    fixedBox_->hide();
    // A fixed value is taken as typed: a number is read later by the same rule as the file's
    // fields ("1.250" is a thousand two hundred and fifty), and a description keeps its points.
    connect(fixedBox_, &QLineEdit::editingFinished, this, &ImportaWindow::fineValoreFisso);

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("PopupMenu1"));
    connect(menu_->addAction(tr("Imposta Valore Fisso")), &QAction::triggered, this,
            &ImportaWindow::impostaValoreFisso);
    connect(menu_->addAction(tr("Annulla Valore Fisso")), &QAction::triggered, this,
            &ImportaWindow::annullaValoreFisso);

    auto* separator = new BoundLineEdit(opzioni, QStringLiteral("ImportaCarattereDivisorio"), this);
    separator->setMaximumWidth(60);
    // One character is the separator: a key typed replaces the one the box holds.
    separator->setMaxLength(1);
    separator->setToolTip(tr("Il carattere che separa i campi di ogni riga del file"));
    separator->installEventFilter(this);
    separatorBox_ = separator;
    auto* separatorLabel = new QLabel(tr("Carattere Divisorio"), this);
    separatorLabel->setBuddy(separator);
    auto* tab = new QPushButton(tr("Car. Tab"), this);
    tab->setObjectName(QStringLiteral("SpeedButton2"));
    tab->setToolTip(tr("Usa il tabulatore come carattere divisorio"));
    tab->setAutoDefault(false);
    connect(tab, &QPushButton::clicked, this, guard([this] { carTab(); }));
    auto* headings = new BoundCheckBox(opzioni, QStringLiteral("ImportaIntestazionePrimaLinea"),
                                       tr("Intestazioni nella prima riga"), this);

    auto* run = new QPushButton(tr("Importa"), this);
    run->setObjectName(QStringLiteral("SpeedButton13"));
    run->setToolTip(tr("Importa gli articoli da un file esterno"));
    run->setAutoDefault(false);
    connect(run, &QPushButton::clicked, this, guard([this] { importa(); }));
    auto* back = new QPushButton(tr("Indietro"), this);
    back->setObjectName(QStringLiteral("spdIndietro"));
    back->setAutoDefault(false);
    connect(back, &QPushButton::clicked, this, guard([this] { indietro(); }));

    auto* settings = new QGridLayout;
    settings->addWidget(separatorLabel, 0, 0);
    settings->addWidget(separator, 0, 1);
    settings->addWidget(tab, 0, 2);
    settings->addWidget(headings, 1, 0, 1, 3);
    settings->setColumnStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(run);
    buttons->addStretch();
    buttons->addWidget(back);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(area_);
    layout->addLayout(settings);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(420, 250);
}

QPushButton* ImportaWindow::columnButton(const QString& name) const {
    return buttons_.value(name);
}

void ImportaWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    buttons_.value(importa::kDescrizione)->setVisible(true);
    // The column order is always the one the buttons show, left to right. A stored order puts
    // the buttons it names first, in its order, and the others after them; without one the
    // buttons stay as laid out.
    const QVariant stored = db_.table(ds::Opzioni).value(QStringLiteral("ImportaStringa"));
    if (!stored.isNull()) {
        QStringList names;
        for (const QString& name : importa::columnOrder(stored)) {
            if (buttons_.contains(name) && !names.contains(name))
                names << name;
        }
        for (const ColumnDef& def : kColumns) {
            if (!names.contains(QLatin1String(def.name)))
                names << QLatin1String(def.name);
        }
        for (int n = 0; n < names.size(); ++n)
            buttons_.value(names[n])->move(10 + 70 * n, kButtonTop);
    }
    ordina();
}

bool ImportaWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == separatorBox_) {
        if (event->type() == QEvent::KeyPress) {
            const QString typed = static_cast<QKeyEvent*>(event)->text();
            if (!typed.isEmpty() && typed.at(0).isPrint())
                separatorBox_->selectAll();
        }
        return QDialog::eventFilter(watched, event);
    }
    if (watched == area_) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDropEvent*>(event);
            if (e->mimeData()->hasFormat(kMime)) {
                e->acceptProposedAction();
                return true;
            }
            return false;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            if (!e->mimeData()->hasFormat(kMime))
                return false;
            dropColumn(QString::fromUtf8(e->mimeData()->data(kMime)), int(e->position().x()));
            e->acceptProposedAction();
            return true;
        }
        default:
            return false;
        }
    }
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || !buttons_.contains(button->objectName()))
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::RightButton) {
            lastClicked_ = button->objectName();
            menu_->popup(e->globalPosition().toPoint());
            return true;
        }
        if (e->button() == Qt::LeftButton)
            dragStart_ = e->position().toPoint();
    } else if (event->type() == QEvent::MouseMove) {
        auto* e = static_cast<QMouseEvent*>(event);
        if ((e->buttons() & Qt::LeftButton) &&
            (e->position().toPoint() - dragStart_).manhattanLength() >=
                QApplication::startDragDistance()) {
            auto* mime = new QMimeData;
            mime->setData(kMime, button->objectName().toUtf8());
            auto* drag = new QDrag(button);
            drag->setMimeData(mime);
            drag->setPixmap(button->grab());
            drag->setHotSpot(e->position().toPoint());
            drag->exec(Qt::MoveAction);
            button->setDown(false);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ImportaWindow::dropColumn(const QString& name, int x) {
    QPushButton* b = buttons_.value(name);
    if (!b)
        return;
    b->move(x, b->y());
    ordina();
}

void ImportaWindow::ordina() {
    QList<QPushButton*> visible;
    for (const ColumnDef& def : kColumns) {
        QPushButton* b = buttons_.value(QLatin1String(def.name));
        if (b->isVisibleTo(this))
            visible << b;
    }
    std::stable_sort(visible.begin(), visible.end(),
                     [](const QPushButton* a, const QPushButton* b) { return a->x() < b->x(); });
    int x = 5;
    order_.clear();
    for (QPushButton* b : std::as_const(visible)) {
        b->move(x, kButtonTop);
        x += b->width() + 10;
        order_ << b->objectName();
    }
}

void ImportaWindow::impostaValoreFisso() {
    QPushButton* b = buttons_.value(lastClicked_);
    if (!b)
        return;
    fixedBox_->clear();
    fixedBox_->setGeometry(b->geometry());
    fixed_.insert(lastClicked_, QString());
    fixedBox_->show();
    fixedBox_->raise();
    fixedBox_->setFocus();
}

void ImportaWindow::fineValoreFisso() {
    if (fixedBox_->isHidden())
        return;
    QPushButton* b = buttons_.value(lastClicked_);
    const QString value = fixedBox_->text().trimmed();
    fixedBox_->hide();
    if (!b)
        return;
    if (value.isEmpty()) {
        fixed_.remove(lastClicked_);
        resetCaption(lastClicked_);
    } else {
        fixed_.insert(lastClicked_, value);
        b->setText(value);
    }
}

void ImportaWindow::annullaValoreFisso() {
    fixed_.remove(lastClicked_);
    resetCaption(lastClicked_);
}

void ImportaWindow::resetCaption(const QString& name) {
    for (const ColumnDef& def : kColumns) {
        if (name == QLatin1String(def.name))
            buttons_.value(name)->setText(tr(def.resetCaption));
    }
}

bool ImportaWindow::saveOptions() {
    Dataset& opzioni = db_.table(ds::Opzioni);
    opzioni.edit();
    if (!order_.isEmpty())
        opzioni.setValue(QStringLiteral("ImportaStringa"), importa::columnOrderText(order_));
    QString error;
    if (!SaveRecord(opzioni, QStringLiteral("Id"), &error)) {
        prompt().message(
            Prompt::errorTitle(),
            tr("Impossibile salvare le impostazioni dell'importazione.\n%1").arg(error));
        return false;
    }
    return true;
}

void ImportaWindow::carTab() {
    Dataset& opzioni = db_.table(ds::Opzioni);
    opzioni.edit();
    QString tab = opzioni.text(QStringLiteral("CarattereTab"));
    if (tab.isEmpty())
        tab = QStringLiteral("\t");
    opzioni.setValue(QStringLiteral("ImportaCarattereDivisorio"), tab);
    QString error;
    if (!SaveRecord(opzioni, QStringLiteral("Id"), &error))
        prompt().message(Prompt::errorTitle(), error);
}

void ImportaWindow::indietro() {
    fineValoreFisso();
    if (saveOptions())
        done(QDialog::Accepted);
}

void ImportaWindow::importa() {
    fineValoreFisso();
    if (!saveOptions())
        return;
    const QString path = prompt().openFileName(tr("Scegli il file da importare"), QString(),
                                               tr("Testo (*.txt *.csv)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        prompt().message(
            Prompt::errorTitle(),
            tr("Impossibile leggere il file %1: %2").arg(path, italianReason(file.errorString())));
        return;
    }
    Dataset& opzioni = db_.table(ds::Opzioni);
    importa::Settings settings;
    settings.separator = opzioni.text(QStringLiteral("ImportaCarattereDivisorio"));
    settings.headings = opzioni.flag(QStringLiteral("ImportaIntestazionePrimaLinea"));
    settings.order = order_;
    settings.fixed = fixed_;

    std::optional<BusyCursor> busy(std::in_place);
    const importa::Parsed parsed = importa::parse(importa::decodeText(file.readAll()), settings);
    file.close();
    if (parsed.error) {
        busy.reset();
        prompt().message(Prompt::errorTitle(), parsed.error->message());
        return;
    }
    std::unique_ptr<QProgressDialog> progress;
    if (parsed.lines.size() > kProgressFrom) {
        progress =
            std::make_unique<QProgressDialog>(tr("Importazione delle linee in corso..."),
                                              tr("Annulla"), 0, int(parsed.lines.size()), this);
        progress->setObjectName(QStringLiteral("progressoImportazione"));
        progress->setWindowTitle(windowTitle());
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
        progress->setValue(0);
    }
    const auto keepGoing = [&progress](int done) {
        if (!progress)
            return true;
        progress->setValue(done);
        return !progress->wasCanceled();
    };
    try {
        linee::addLines(db_, parsed.lines, keepGoing);
    } catch (const linee::Cancelled&) {
        progress.reset();
        busy.reset();
        prompt().message(Prompt::warningTitle(),
                         tr("Importazione annullata: nessuna linea è stata aggiunta."));
        return;
    } catch (const DbError& e) {
        progress.reset();
        busy.reset();
        prompt().message(
            Prompt::errorTitle(),
            tr("Importazione non riuscita: nessuna linea è stata aggiunta.\n%1").arg(e.text()));
        return;
    }
    progress.reset();
    busy.reset();
    prompt().message(Prompt::warningTitle(), tr("importazione terminata con successo !"));
}

} // namespace brevalto
