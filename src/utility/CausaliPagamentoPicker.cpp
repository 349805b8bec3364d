#include "utility/CausaliPagamentoPicker.h"

#include "store/DataModule.h"
#include "ui/DataGrid.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevalto {

CausaliPagamentoPicker::CausaliPagamentoPicker(DataModule& db, QWidget* parent)
    : QDialog(parent), grid_(new DataGrid(this)) {
    setObjectName(QStringLiteral("frmGrigliaRitenute_CausalePagamento"));
    setWindowTitle(QStringLiteral("Griglia Causali Pagamento"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(720, 460);

    auto* salva = new QPushButton(QStringLiteral("Salva"), this);
    salva->setObjectName(QStringLiteral("spdModifica"));
    auto* indietro = new QPushButton(QStringLiteral("Indietro"), this);
    indietro->setObjectName(QStringLiteral("spdIndietro"));
    for (QPushButton* b : {indietro, salva})
        b->setAutoDefault(false);
    connect(salva, &QPushButton::clicked, this, &CausaliPagamentoPicker::choose);
    connect(indietro, &QPushButton::clicked, this, &CausaliPagamentoPicker::back);

    grid_->setDataset(&db.table(QStringLiteral("TablePa_Ritenute_CausalePagamento")));
    grid_->setColumns({{"Codice", "Codice", 70}, {"Descrizione", "Causale", 600}});
    grid_->setSortOnTitleClick(false);
    connect(grid_, &DataGrid::rowActivated, this, &CausaliPagamentoPicker::choose);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(indietro);
    buttons->addWidget(salva);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(grid_, 1);
}

void CausaliPagamentoPicker::choose() {
    chosen_ = true;
    done(QDialog::Accepted);
}

void CausaliPagamentoPicker::back() {
    chosen_ = false;
    done(QDialog::Rejected);
}

} // namespace brevalto
