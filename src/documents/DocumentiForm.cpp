#include "documents/DocumentiForm.h"

#include "store/DataModule.h"
#include "store/Routines.h"
#include "ui/DataGrid.h"
#include "ui/QtPrompt.h"

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

namespace documenti {

void requeryChildren(Dataset& dataset, const QString& table, const QString& parentColumn,
                     int parentId, const QString& ordering) {
    dataset.setFilter(QString());
    dataset.close();
    dataset.setSql(QStringLiteral("select * from %1 where %2 = %3%4")
                       .arg(table, parentColumn)
                       .arg(parentId)
                       .arg(ordering));
    dataset.open();
}

bool addChildRow(Dataset& dataset, int bodyId, const QString& parentColumn, int parentId,
                 const std::function<void(Dataset&)>& startValues) {
    dataset.setFilter(QString());
    dataset.insert();
    dataset.setValue(QStringLiteral("PA_FE_Body_Id"), bodyId);
    if (!parentColumn.isEmpty())
        dataset.setValue(parentColumn, parentId);
    if (startValues)
        startValues(dataset);
    QString error;
    if (!SaveNewRecord(dataset, QStringLiteral("Id"), &error)) {
        prompt().message(Prompt::errorTitle(), error);
        return false;
    }
    return true;
}

bool confirmAndDelete(Dataset& dataset, const QString& question, bool silent) {
    if (!silent) {
        if (dataset.isEmpty())
            return false;
        if (!prompt().question(Prompt::warningTitle(), question))
            return false;
    }
    if (dataset.state() != Dataset::State::Browse)
        dataset.cancel();
    DeleteAndReposition(dataset, QStringLiteral("ID"));
    return true;
}

int bodyId(DataModule& db) {
    return db.table(QStringLiteral("TablePA_Body")).integer(QStringLiteral("Id"));
}

} // namespace documenti

} // namespace brevalto
