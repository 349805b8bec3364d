#include "utility/DettaglioVeloceWindow.h"

#include "logic/LineeLogic.h"
#include "logic/VatRules.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/NumberText.h"
#include "store/Prompt.h"
#include "store/Saving.h"
#include "ui/DataGrid.h"
#include "ui/GuardedAction.h"

#include <QApplication>
#include <QColor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevalto {

namespace {
const QString kKey = QStringLiteral("Id");
const QString kValido = QStringLiteral("Valido");
} // namespace

DettaglioVeloceWindow::DettaglioVeloceWindow(DataModule& db, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), db_(db) {
    setObjectName(QStringLiteral("frmGrigliaDettaglioVeloce"));
    setWindowTitle(tr("Inserimento Linee Veloce"));

    grid_ = new DataGrid(this);
    grid_->setObjectName(QStringLiteral("DBGrid12"));
    grid_->setAccessibleName(tr("Linee veloci"));
    grid_->setToolTip(tr("F2 per salvare, F3 per Inserire"));
    grid_->setDataset(&db.table(ds::DettaglioVeloce));
    grid_->setColumns({{"Descrizione", "Descrizione", 420},
                       {"Quantita", "Quantita", 90},
                       {"PrezzoUnitario", "Prezzo Unitario", 110},
                       {"AliquotaIva", "AliquotaIva", 90}});
    grid_->setAlternatingRowColors(false);
    grid_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    DatasetModel* model = grid_->datasetModel();
    model->setEditable(true);
    model->readCell = [](const QString& field, const QString& text, QVariant* value) {
        if (field.compare(QLatin1String("Descrizione"), Qt::CaseInsensitive) == 0) {
            *value = text.isEmpty() ? QVariant() : QVariant(text);
            return true;
        }
        if (!parseNumberText(text, false, value)) {
            prompt().message(Prompt::errorTitle(), tr("Numero non valido: %1").arg(text));
            return false;
        }
        // The rate goes into the lines as it is: the line screen's rule holds here too.
        if (field.compare(QLatin1String("AliquotaIva"), Qt::CaseInsensitive) == 0 &&
            vat::isImpossibleRate(*value)) {
            prompt().message(Prompt::errorTitle(), vat::kImpossibleRateMessage);
            return false;
        }
        return true;
    };
    model->rowBackground = [this](int row) -> QVariant {
        Dataset& d = dataset();
        const QVariant valido = d.valueAt(row, d.columnIndex(kValido));
        return valido.toBool() ? QColor(Qt::white) : QColor(255, 150, 150);
    };
    // Only a double click toggles: Enter ends the typing in a cell.
    connect(grid_, &QAbstractItemView::doubleClicked, this, guard([this] { toggleValido(); }));

    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("PopupMenu1"));
    connect(menu_->addAction(tr("Azzera griglia")), &QAction::triggered, this,
            guard([this] { azzeraGriglia(); }));
    connect(menu_->addAction(tr("Rendi tutti i record da Importare")), &QAction::triggered, this,
            guard([this] { rendiTuttiDaImportare(); }));
    connect(grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { menu_->popup(grid_->viewport()->mapToGlobal(pos)); });

    // F2 and F3 in the grid, also while a cell is being typed in (the cell's text comes with).
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);

    const auto tool = [this](const char* name, const QString& caption, const QString& hint,
                             const std::function<void()>& action) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, guard(action));
        return b;
    };
    auto* tools = new QHBoxLayout;
    tools->addWidget(tool("SpeedButton49", tr("Aggiungi"), tr("Aggiunge una linea (F3)"),
                          [this] { aggiungi(); }));
    tools->addWidget(tool("SpeedButton50", tr("Salva"), tr("Salva la linea corrente (F2)"),
                          [this] { salva(); }));
    tools->addWidget(tool("SpeedButton48", tr("Elimina"), tr("Elimina la linea corrente"),
                          [this] { elimina(); }));
    tools->addStretch();
    tools->addWidget(tool("spdIndietro", tr("Indietro"), QString(), [this] { reject(); }));

    auto* imports = new QHBoxLayout;
    imports->addWidget(tool("SpeedButton1", tr("Importa tutto"),
                            tr("Importa gli articoli da un file esterno"),
                            [this] { importaTutto(); }));
    imports->addWidget(tool("BitBtn1", tr("Importa solo la riga selezionata"),
                            tr("Copia nella fattura la linea corrente"),
                            [this] { importaSelezionata(); }));
    imports->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(grid_, 1);
    layout->addLayout(imports);
    resize(780, 480);
}

Dataset& DettaglioVeloceWindow::dataset() const {
    return db_.table(ds::DettaglioVeloce);
}

bool DettaglioVeloceWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_F2 || key == Qt::Key_F3) {
            QWidget* focus = QApplication::focusWidget();
            if (focus && grid_->viewport()->isAncestorOf(focus))
                grid_->setFocus(); // the open cell writes its text into the row
            guarded([this, key] {
                if (key == Qt::Key_F2)
                    salva();
                else if (dataset().isEmpty() || salva())
                    aggiungi();
            });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DettaglioVeloceWindow::showEvent(QShowEvent* event) {
    guarded([this] { dataset().refreshIfChanged(); });
    QDialog::showEvent(event);
}

void DettaglioVeloceWindow::reject() {
    // Leaving keeps what was typed in the current row, as moving to another row does.
    if (dataset().isModified() && !salva())
        return;
    if (dataset().state() != Dataset::State::Browse)
        dataset().cancel();
    QDialog::reject();
}

void DettaglioVeloceWindow::aggiungi() {
    Dataset& d = dataset();
    d.edit();
    d.insert();
    d.edit();
    d.setValue(QStringLiteral("AliquotaIva"),
               db_.table(ds::Opzioni).value(QStringLiteral("AliquotaIva")));
    d.setValue(kValido, true);
    QString error;
    if (!SaveNewRecord(d, kKey, &error))
        prompt().message(Prompt::errorTitle(), error);
}

bool DettaglioVeloceWindow::salva() {
    Dataset& d = dataset();
    if (d.isEmpty())
        return true;
    QString error;
    if (!SaveRecord(d, kKey, &error)) {
        prompt().message(Prompt::errorTitle(), error);
        return false;
    }
    return true;
}

void DettaglioVeloceWindow::elimina() {
    Dataset& d = dataset();
    if (d.isEmpty())
        return;
    if (!prompt().question(Prompt::warningTitle(), tr("Sei sicuro di voler eliminare il Record ?")))
        return;
    if (d.state() != Dataset::State::Browse)
        d.cancel();
    DeleteAndReposition(d, QStringLiteral("ID"));
}

void DettaglioVeloceWindow::toggleValido() {
    Dataset& d = dataset();
    if (d.isEmpty())
        return;
    d.edit();
    d.setValue(kValido, !d.flag(kValido));
    salva();
}

void DettaglioVeloceWindow::azzeraGriglia() {
    Dataset& d = dataset();
    if (d.isEmpty())
        return;
    if (!prompt().question(Prompt::warningTitle(),
                           tr("Sei sicuro di voler eliminare tutti i Record ?")))
        return;
    if (d.state() != Dataset::State::Browse)
        d.cancel();
    QStringList ids;
    for (int row = 0; row < d.rowCount(); ++row)
        ids << d.valueAt(row, d.columnIndex(kKey)).toString();
    Connection& c = db_.connessione();
    try {
        c.inTransaction([&] {
            c.exec(QStringLiteral("Delete * from DettaglioVeloce where Id in (%1)")
                       .arg(ids.join(QLatin1Char(','))));
        });
    } catch (...) {
        d.requery();
        throw;
    }
    d.requery();
}

void DettaglioVeloceWindow::rendiTuttiDaImportare() {
    Dataset& d = dataset();
    if (d.isEmpty() || !salva())
        return;
    const int position = d.position();
    QStringList ids;
    for (int row = 0; row < d.rowCount(); ++row)
        ids << d.valueAt(row, d.columnIndex(kKey)).toString();
    db_.connessione().exec(
        QStringLiteral("UPDATE DettaglioVeloce SET Valido = True where Id in (%1)")
            .arg(ids.join(QLatin1Char(','))));
    d.requery();
    d.moveTo(position);
}

void DettaglioVeloceWindow::importaTutto() {
    copyIntoBody(false);
}

void DettaglioVeloceWindow::importaSelezionata() {
    copyIntoBody(true);
}

void DettaglioVeloceWindow::copyIntoBody(bool onlyCurrent) {
    Dataset& d = dataset();
    if (d.isEmpty() || !salva())
        return;
    const auto col = [&d](const char* name) { return d.columnIndex(QLatin1String(name)); };
    QList<linee::NewLine> lines;
    for (int row = 0; row < d.rowCount(); ++row) {
        if (onlyCurrent ? row != d.position() : !d.valueAt(row, col("Valido")).toBool())
            continue;
        lines << linee::quickLine(
            d.valueAt(row, col("Descrizione")), d.valueAt(row, col("Quantita")),
            d.valueAt(row, col("PrezzoUnitario")), d.valueAt(row, col("AliquotaIva")));
    }
    try {
        linee::addLines(db_, lines);
    } catch (const DbError& e) {
        prompt().message(
            Prompt::errorTitle(),
            tr("Importazione non riuscita: nessuna linea è stata aggiunta.\n%1").arg(e.text()));
        return;
    }
    prompt().message(Prompt::warningTitle(), tr("importazione terminata con successo !"));
}

} // namespace brevalto
