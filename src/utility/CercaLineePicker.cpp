#include "utility/CercaLineePicker.h"

#include "store/DataModule.h"
#include "ui/DataGrid.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevalto {

CercaLineePicker::CercaLineePicker(DataModule& db, QWidget* parent)
    : QDialog(parent), grid_(new DataGrid(this)) {
    setWindowTitle(QStringLiteral("Cerca Linee dettaglio Fattura"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    grid_->setDataset(&db.table(QStringLiteral("TableCercaLinee")));
    grid_->setSortOnTitleClick(false);
    grid_->setColumns({{QStringLiteral("NumeroLinea"), QStringLiteral("N° Linea"), 70},
                       {QStringLiteral("Descrizione"), QStringLiteral("Descrizione"), 300},
                       {QStringLiteral("Quantita"), QStringLiteral("Quantita"), 80},
                       {QStringLiteral("PrezzoUnitario"), QStringLiteral("Prezzo Unitario"), 100},
                       {QStringLiteral("PrezzoTotale"), QStringLiteral("Prezzo Totale"), 100}});
    connect(grid_, &DataGrid::rowActivated, this, &CercaLineePicker::choose);

    auto* indietro = new QPushButton(QStringLiteral("Indietro"), this);
    indietro->setObjectName(QStringLiteral("spdIndietro"));
    auto* salva = new QPushButton(QStringLiteral("Salva"), this);
    salva->setObjectName(QStringLiteral("spdSalva"));
    salva->hide();
    for (QPushButton* b : {indietro, salva})
        b->setAutoDefault(false);
    connect(indietro, &QPushButton::clicked, this, &CercaLineePicker::indietro);
    connect(salva, &QPushButton::clicked, this, &CercaLineePicker::choose);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(indietro);
    buttons->addWidget(salva);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(grid_, 1);
    resize(720, 360);
}

void CercaLineePicker::choose() {
    if (grid_->dataset() && grid_->dataset()->isEmpty())
        return;
    chosen_ = true;
    done(QDialog::Accepted);
}

void CercaLineePicker::indietro() {
    chosen_ = false;
    done(QDialog::Rejected);
}

} // namespace brevalto
