#include "documents/DocumentiForm.h"

#include "store/DataModule.h"
#include "ui/DataGrid.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace brevalto {

DocumentiSubList::DocumentiSubList(Dataset& dataset, const QList<GridColumn>& columns,
                                   const QString& caption, QWidget* parent)
    : QWidget(parent), grid_(new DataGrid(this)),
      remove_(new QPushButton(QStringLiteral("Elimina"), this)),
      add_(new QPushButton(QStringLiteral("Aggiungi"), this)),
      open_(new QPushButton(QStringLiteral("Modifica"), this)) {
    grid_->setDataset(&dataset);
    grid_->setColumns(columns);
    remove_->setObjectName(QStringLiteral("spdElimina"));
    add_->setObjectName(QStringLiteral("spdInserisci"));
    open_->setObjectName(QStringLiteral("spdModifica"));
    for (QPushButton* b : {remove_, add_, open_})
        b->setAutoDefault(false);
    connect(remove_, &QPushButton::clicked, this, &DocumentiSubList::removeRequested);
    connect(add_, &QPushButton::clicked, this, &DocumentiSubList::addRequested);
    connect(open_, &QPushButton::clicked, this, &DocumentiSubList::openRequested);
    connect(grid_, &DataGrid::rowActivated, this, &DocumentiSubList::openRequested);

    auto* buttons = new QHBoxLayout;
    if (!caption.isEmpty())
        buttons->addWidget(new QLabel(caption, this));
    buttons->addStretch();
    buttons->addWidget(remove_);
    buttons->addWidget(add_);
    buttons->addWidget(open_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(grid_, 1);
    grid_->setMinimumHeight(120);
}

} // namespace brevalto
