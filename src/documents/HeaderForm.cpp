#include "documents/HeaderForm.h"

#include "store/DataModule.h"
#include "ui/BoundInputs.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolButton>

namespace brevalto {

HeaderForm::HeaderForm(DataModule& db, const QString& caption, QWidget* parent)
    : EditorBase(db, QStringLiteral("TablePA_FE_Header"), QStringLiteral("ID"), caption, parent) {}

BoundLookup* HeaderForm::lookup(const QString& column) const {
    return qobject_cast<BoundLookup*>(field(column));
}

QLabel* HeaderForm::labelOf(const QString& column) const {
    QWidget* input = field(column);
    if (!input)
        return nullptr;
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->buddy() == input)
            return label;
    }
    return nullptr;
}

void HeaderForm::beginForm(const QStringList& tabCaptions) {
    // The fields above the tabs are laid out on one more page, the last, which finishForm()
    // lifts out of the tab widget: the real tabs keep their indices, and a failed rule on a
    // field above the tabs selects no tab.
    setTabs(tabCaptions + QStringList{QString()});
    topPage_ = int(tabCaptions.size());
}

void HeaderForm::addTop(QList<FieldSpec> fields) {
    for (FieldSpec& def : fields)
        def.tab = topPage_;
    addFields(fields);
    for (const FieldSpec& def : std::as_const(fields))
        readingOrder_ << field(def.column);
}

void HeaderForm::addTopWidget(QWidget* widget) {
    addWidget(topPage_, widget);
}

void HeaderForm::addTabbed(const QList<FieldSpec>& fields) {
    addFields(fields);
    for (const FieldSpec& def : fields)
        readingOrder_ << field(def.column);
}

void HeaderForm::finishForm() {
    QWidget* top = tabs()->widget(topPage_);
    tabs()->removeTab(topPage_);
    auto* main = qobject_cast<QBoxLayout*>(layout());
    main->insertWidget(1, top);
    top->show();
    if (tabs()->count() == 0) {
        tabs()->hide();
        main->addStretch(1);
    }
    // One width for the captions and one for the help buttons, above the tabs and on every tab,
    // so that the fields line up.
    QList<QGridLayout*> grids{qobject_cast<QGridLayout*>(top->layout())};
    for (int i = 0; i < tabs()->count(); ++i)
        grids << qobject_cast<QGridLayout*>(tabs()->widget(i)->layout());
    int captionWidth = 0;
    for (QGridLayout* grid : std::as_const(grids)) {
        for (int row = 0; row < grid->rowCount(); ++row) {
            QLayoutItem* item = grid->itemAtPosition(row, 0);
            if (item && qobject_cast<QLabel*>(item->widget()))
                captionWidth = qMax(captionWidth, item->widget()->sizeHint().width());
        }
    }
    for (QGridLayout* grid : std::as_const(grids))
        grid->setColumnMinimumWidth(0, captionWidth);
    const QList<QToolButton*> helps =
        findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^help_")));
    int helpWidth = 0;
    for (QToolButton* help : helps)
        helpWidth = qMax(helpWidth, help->sizeHint().width());
    for (QToolButton* help : helps)
        help->setFixedWidth(helpWidth);
    setMinimumWidth(tabs()->count() > 0 ? 620 : 520);

    // Moving the page changed the focus chain: the Tab key (and Enter) follow the reading order.
    for (int i = 1; i < readingOrder_.size(); ++i)
        setTabOrder(readingOrder_[i - 1], readingOrder_[i]);
}

QPushButton* HeaderForm::addToolButton(const QString& objectName, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    auto* row = qobject_cast<QBoxLayout*>(layout()->itemAt(0)->layout());
    row->insertWidget(row->indexOf(indietroButton()) + 1, button);
    return button;
}

QString HeaderForm::shown(const QString& column) const {
    if (BoundLookup* list = lookup(column))
        return list->currentText();
    return dataset().text(column);
}

void HeaderForm::bindMunicipality(const QString& comune, const QString& cap,
                                  const QString& provincia, const QString& nazione) {
    connect(lookup(comune), &BoundLookup::picked, this, [this, cap, provincia, nazione] {
        const Dataset& comuni = db().table(QStringLiteral("TableComuni"));
        if (comuni.isNull(QStringLiteral("ID")))
            return;
        const Dataset& nazioni = db().table(QStringLiteral("TableNazioni"));
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
        Dataset& header = dataset();
        header.edit();
        header.setValue(cap, comuni.text(QStringLiteral("CAP")));
        header.setValue(provincia, comuni.text(QStringLiteral("Provincia")));
        header.setValue(nazione, country);
        setModified(true);
    });
}

HeaderForm::Test HeaderForm::missing(const QString& column) const {
    return [this, column] { return isEmpty(column); };
}

HeaderForm::Test HeaderForm::tooShort(const QString& column, int min) const {
    return [this, column, min] { return length(column) > 0 && length(column) < min; };
}

HeaderForm::Test HeaderForm::inBlock(const QString& flag, Test test) const {
    return [this, flag, test] { return dataset().flag(flag) && test(); };
}

} // namespace brevalto
