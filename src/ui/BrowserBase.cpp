#include "ui/BrowserBase.h"

#include "store/DataModule.h"
#include "store/Routines.h"
#include "ui/DataGrid.h"
#include "ui/EditorBase.h"
#include "ui/FieldNavigator.h"
#include "ui/QtPrompt.h"
#include "ui/ScreenHost.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevalto {

BrowserBase::BrowserBase(DataModule& db, const BrowserSpec& def, QWidget* parent)
    : QDialog(parent), db_(db), def_(def), dataset_(&db.table(def.dataset)),
      grid_(new DataGrid(this)) {
    setWindowTitle(def.caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(900, 560);

    auto* buttons = new QHBoxLayout;
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        void (BrowserBase::*action)();
    } tools[] = {
        {"spdInserisci", "Aggiungi", "Inserisce un nuovo Record", &BrowserBase::aggiungi},
        {"spdElimina", "Elimina", "Elimina il record corrente ", &BrowserBase::elimina},
        {"spdAvanti", "Avanti", "", &BrowserBase::avanti},
        {"spdAggiorna", "Ricarica", "Aggiorna l'elenco", &BrowserBase::ricarica},
        {"spdIndietro", "Indietro", "", nullptr},
    };
    for (const auto& tool : tools) {
        auto* b = new QPushButton(QString::fromUtf8(tool.caption), this);
        b->setObjectName(QString::fromLatin1(tool.name));
        b->setToolTip(QString::fromUtf8(tool.hint));
        b->setAutoDefault(false);
        if (tool.action)
            connect(b, &QPushButton::clicked, this, tool.action);
        else
            connect(b, &QPushButton::clicked, this, &QDialog::accept);
        buttons->addWidget(b);
    }
    buttons->addStretch();

    grid_->setDataset(dataset_);
    grid_->setColumns(def.columns);
    grid_->setLayoutMenu(!def.layoutName.isEmpty());
    connect(grid_, &DataGrid::rowActivated, this, &BrowserBase::avanti);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(grid_, 1);
    if (!def.searchBoxes.isEmpty()) {
        auto* search = new QGridLayout;
        search->addWidget(new QLabel(QStringLiteral("Cerca Per:")), 1, 0);
        for (int i = 0; i < def.searchBoxes.size(); ++i) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QStringLiteral("search_") + def.searchBoxes[i].column);
            search->addWidget(new QLabel(def.searchBoxes[i].caption), 0, i + 1);
            search->addWidget(edit, 1, i + 1);
            connect(edit, &QLineEdit::textChanged, this, &BrowserBase::applySearch);
            searchEdits_ << edit;
        }
        layout->addLayout(search);
    }
    new FieldNavigator(this);
}

QString BrowserBase::searchFilter(const QList<QPair<QString, QString>>& columnsAndTexts) {
    QString criterion;
    for (const auto& [column, text] : columnsAndTexts) {
        if (text.isEmpty() || text == QLatin1String("*"))
            continue;
        if (!criterion.isEmpty())
            criterion += QStringLiteral(" and ");
        criterion += column + QStringLiteral(" like '") + QuoteSql(text) + QStringLiteral("*'");
    }
    return criterion;
}

void BrowserBase::applySearch() {
    QList<QPair<QString, QString>> parts;
    for (int i = 0; i < searchEdits_.size(); ++i)
        parts << qMakePair(def_.searchBoxes[i].column, searchEdits_[i]->text());
    try {
        dataset_->setFilter(QString());
        dataset_->setFilter(searchFilter(parts));
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
    }
}

void BrowserBase::clearSearch() {
    for (QLineEdit* e : std::as_const(searchEdits_)) {
        const QSignalBlocker block(e);
        e->clear();
    }
    dataset_->setFilter(QString());
}

void BrowserBase::openEditor() {
    if (!editor_)
        return;
    editor_->selectFirstTab();
    showModal(*editor_);
    editor_->selectFirstTab();
}

void BrowserBase::avanti() {
    if (dataset_->isEmpty())
        return;
    openEditor();
}

void BrowserBase::aggiungi() {
    try {
        dataset_->setFilter(QString());
        dataset_->edit();
        dataset_->insert();
        dataset_->edit();
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
        return;
    }
    for (const auto& [column, value] : def_.initialValues)
        dataset_->setValue(column, value);
    QString error;
    if (!SaveNewRecord(*dataset_, def_.keyColumn, &error)) {
        prompt().message(Prompt::errorTitle(),
                         QStringLiteral("Impossibile aggiungere il record.\n%1").arg(error));
        return;
    }
    if (!editor_)
        return;
    editor_->setModified(true);
    editor_->setAnnullaVisible(true);
    openEditor();
    editor_->setAnnullaVisible(false);
}

void BrowserBase::elimina() {
    if (dataset_->isEmpty() || !canDelete())
        return;
    if (!prompt().question(Prompt::warningTitle(), def_.deleteQuestion))
        return;
    try {
        DeleteAndReposition(*dataset_, def_.keyColumn);
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
    }
}

void BrowserBase::ricarica() {
    try {
        dataset_->requery();
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
    }
}

} // namespace brevalto
