#include "ui/FormEditor.h"

#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "ui/BoundInputs.h"
#include "ui/GuardedAction.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

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
