#include "ui/FormEditor.h"

#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "ui/BoundInputs.h"
#include "ui/GuardedAction.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolButton>

namespace brevalto {

BoundLookup* FormEditor::lookup(const QString& column) const {
    return qobject_cast<BoundLookup*>(field(column));
}

QLabel* FormEditor::labelOf(const QString& column) const {
    QWidget* input = field(column);
    if (!input)
        return nullptr;
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->buddy() == input)
            return label;
    }
    return nullptr;
}

QString FormEditor::shown(const QString& column) const {
    QWidget* input = field(column);
    if (auto* list = qobject_cast<BoundLookup*>(input)) {
        // A rule may read a pick list before its screen was ever shown (its rows wait until
        // first needed).
        if (list->list() && list->list()->isDeferred())
            list->refreshList();
        return list->currentText();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(input))
        return edit->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(input))
        return memo->toPlainText();
    return dataset().text(column);
}

void FormEditor::beginForm(const QStringList& tabCaptions) {
    // The fields above the tabs are laid out on one more page, the last, which finishForm()
    // lifts out of the tab widget: the real tabs keep their indices, and a failed rule on a
    // field above the tabs selects no tab.
    setTabs(tabCaptions + QStringList{QString()});
    topPage_ = int(tabCaptions.size());
}

void FormEditor::addTop(QList<Field> fields) {
    for (Field& def : fields)
        def.tab = topPage_;
    addTabbed(fields);
}

void FormEditor::addTopWidget(QWidget* widget, int stretch) {
    addWidget(topPage_, widget, stretch);
}

void FormEditor::addTabbed(const QList<Field>& fields) {
    addFields(fields);
    for (const Field& def : fields)
        readingOrder_ << field(def.column);
}

void FormEditor::finishForm() {
    QWidget* top = tabs()->widget(topPage_);
    tabs()->removeTab(topPage_);
    auto* main = qobject_cast<QBoxLayout*>(layout());
    const bool noTabs = tabs()->count() == 0;
    main->insertWidget(1, top, noTabs ? 1 : 0);
    top->show();
    if (noTabs)
        tabs()->hide();
    // One width for the captions and one for the help buttons, above the tabs and on every tab,
    // so that the fields line up.
    QList<QGridLayout*> grids{qobject_cast<QGridLayout*>(top->layout())};
    for (int i = 0; i < tabs()->count(); ++i)
        grids << qobject_cast<QGridLayout*>(tabs()->widget(i)->layout());
    int captionWidth = 0;
    for (QGridLayout* grid : std::as_const(grids)) {
        for (int row = 0; grid && row < grid->rowCount(); ++row) {
            QLayoutItem* item = grid->itemAtPosition(row, 0);
            if (item && qobject_cast<QLabel*>(item->widget()))
                captionWidth = qMax(captionWidth, item->widget()->sizeHint().width());
        }
    }
    for (QGridLayout* grid : std::as_const(grids)) {
        if (grid)
            grid->setColumnMinimumWidth(0, captionWidth);
    }
    const QList<QToolButton*> helps =
        findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^help_")));
    int helpWidth = 0;
    for (QToolButton* help : helps)
        helpWidth = qMax(helpWidth, help->sizeHint().width());
    for (QToolButton* help : helps)
        help->setFixedWidth(helpWidth);
    setMinimumWidth(noTabs ? 520 : 620);

    // Moving the page changed the focus chain: the Tab key (and Enter) follow the reading order.
    for (int i = 1; i < readingOrder_.size(); ++i)
        setTabOrder(readingOrder_[i - 1], readingOrder_[i]);
}

QPushButton* FormEditor::addToolButton(const QString& objectName, const QString& caption,
                                       std::function<void()> action) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, guard(std::move(action)));
    auto* row = qobject_cast<QBoxLayout*>(layout()->itemAt(0)->layout());
    row->insertWidget(row->indexOf(indietroButton()) + 1, button);
    return button;
}

QPushButton* FormEditor::addButtonBeside(const QString& column, const QString& objectName,
                                         const QString& caption, std::function<void()> action) {
    auto* button = new QPushButton(caption);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, guard(std::move(action)));
    placeBeside(column, button);
    return button;
}

void FormEditor::placeBeside(const QString& column, QWidget* widget) {
    QWidget* input = field(column);
    auto* grid = input ? qobject_cast<QGridLayout*>(input->parentWidget()->layout()) : nullptr;
    if (!grid)
        return;
    int row = 0, col = 0, rowSpan = 0, colSpan = 0;
    grid->getItemPosition(grid->indexOf(input), &row, &col, &rowSpan, &colSpan);
    grid->addWidget(widget, row, 3);
}

void FormEditor::bindMunicipality(const QString& comune, const QString& cap,
                                  const QString& provincia, const QString& nazione) {
    connect(lookup(comune), &BoundLookup::picked, this,
            [this, cap, provincia, nazione] { fillFromMunicipality(cap, provincia, nazione); });
}

void FormEditor::fillFromMunicipality(const QString& cap, const QString& provincia,
                                      const QString& nazione) {
    const Dataset& comuni = db().table(ds::Comuni);
    if (comuni.isNull(QStringLiteral("ID")))
        return;
    const Dataset& nazioni = db().table(ds::Nazioni);
    const QVariant countryId = comuni.value(QStringLiteral("Nazione_ID"));
    QString country = QStringLiteral("IT");
    const int idColumn = nazioni.columnIndex(QStringLiteral("IDNazione"));
    const int siglaColumn = nazioni.columnIndex(QStringLiteral("SIGLA"));
    for (int row = 0; !countryId.isNull() && row < nazioni.rowCount(); ++row) {
        if (nazioni.valueAt(row, idColumn).toInt() == countryId.toInt()) {
            country = nazioni.valueAt(row, siglaColumn).toString();
            break;
        }
    }
    Dataset& row = dataset();
    row.edit();
    row.setValue(cap, comuni.text(QStringLiteral("CAP")));
    row.setValue(provincia, comuni.text(QStringLiteral("Provincia")));
    row.setValue(nazione, country);
    setModified(true);
}

} // namespace brevalto
