#include "documents/DocumentiForm.h"

#include "store/DataModule.h"
#include "store/Routines.h"
#include "ui/BoundInputs.h"
#include "ui/DataGrid.h"
#include "ui/QtPrompt.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolButton>

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

DocumentiForm::DocumentiForm(DataModule& db, const QString& datasetName, const QString& keyColumn,
                             const QString& caption, QWidget* parent)
    : EditorBase(db, datasetName, keyColumn, caption, parent) {}

BoundLookup* DocumentiForm::lookup(const QString& column) const {
    return qobject_cast<BoundLookup*>(field(column));
}

QString DocumentiForm::shown(const QString& column) const {
    QWidget* input = field(column);
    if (auto* list = qobject_cast<BoundLookup*>(input))
        return list->currentText();
    if (auto* edit = qobject_cast<QLineEdit*>(input))
        return edit->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(input))
        return memo->toPlainText();
    return dataset().text(column);
}

void DocumentiForm::beginForm(const QStringList& tabCaptions) {
    // The fields above the tabs are laid out on one more page, the last, which finishForm() lifts
    // out of the tab widget, so that the real tabs keep their indices.
    setTabs(tabCaptions + QStringList{QString()});
    topPage_ = int(tabCaptions.size());
}

void DocumentiForm::addTop(QList<FieldSpec> fields) {
    for (FieldSpec& def : fields)
        def.tab = topPage_;
    addFields(fields);
    for (const FieldSpec& def : std::as_const(fields))
        readingOrder_ << field(def.column);
}

void DocumentiForm::addTopWidget(QWidget* widget, int stretch) {
    addWidget(topPage_, widget, stretch);
}

void DocumentiForm::finishForm() {
    QWidget* top = tabs()->widget(topPage_);
    tabs()->removeTab(topPage_);
    auto* main = qobject_cast<QBoxLayout*>(layout());
    const bool noTabs = tabs()->count() == 0;
    main->insertWidget(1, top, noTabs ? 1 : 0);
    top->show();
    if (noTabs)
        tabs()->hide();
    const QList<QToolButton*> helps =
        findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^help_")));
    int helpWidth = 0;
    for (QToolButton* help : helps)
        helpWidth = qMax(helpWidth, help->sizeHint().width());
    for (QToolButton* help : helps)
        help->setFixedWidth(helpWidth);
    setMinimumWidth(520);
    for (int i = 1; i < readingOrder_.size(); ++i)
        setTabOrder(readingOrder_[i - 1], readingOrder_[i]);
}

QPushButton* DocumentiForm::addToolButton(const QString& objectName, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    auto* row = qobject_cast<QBoxLayout*>(layout()->itemAt(0)->layout());
    row->insertWidget(row->indexOf(indietroButton()) + 1, button);
    return button;
}

QPushButton* DocumentiForm::addButtonBeside(const QString& column, const QString& objectName,
                                            const QString& caption) {
    QWidget* input = field(column);
    auto* grid = qobject_cast<QGridLayout*>(input->parentWidget()->layout());
    int row = 0, col = 0, rowSpan = 0, colSpan = 0;
    grid->getItemPosition(grid->indexOf(input), &row, &col, &rowSpan, &colSpan);
    auto* button = new QPushButton(caption);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    grid->addWidget(button, row, 3);
    return button;
}

DocumentiForm::Test DocumentiForm::missing(const QString& column) const {
    return [this, column] { return shown(column).isEmpty(); };
}

DocumentiForm::Test DocumentiForm::tooShort(const QString& column, int min) const {
    return [this, column, min] {
        const qsizetype n = shown(column).size();
        return n > 0 && n < min;
    };
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
