#include "ui/BrowserBase.h"

#include "store/DataModule.h"
#include "store/Prompt.h"
#include "store/Saving.h"
#include "store/SqlText.h"
#include "ui/DataGrid.h"
#include "ui/EditorBase.h"
#include "ui/FieldNavigator.h"
#include "ui/GuardedAction.h"
#include "ui/ScreenHost.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevalto {

QList<ToolButton> standardBrowserTools() {
    return {
        {"spdInserisci", "Aggiungi", BrowserAction::Aggiungi, "Inserisce un nuovo Record"},
        {"spdElimina", "Elimina", BrowserAction::Elimina, "Elimina il record corrente "},
        {"spdAvanti", "Avanti", BrowserAction::Modifica},
        {"spdAggiorna", "Ricarica", BrowserAction::Ricarica, "Aggiorna l'elenco"},
        {"spdIndietro", "Indietro", BrowserAction::Indietro},
    };
}

BrowserBase::BrowserBase(DataModule& db, const Browser& def, QWidget* parent)
    : QDialog(parent), db_(db), def_(def), dataset_(&db.dataset(def.dataset)),
      grid_(new DataGrid(this)) {
    if (def.readsListedColumns) {
        QStringList listed{def.keyColumn};
        for (const GridColumn& column : def.columns)
            listed << column.field;
        for (const SearchBox& box : def.searchBoxes)
            listed << box.column;
        dataset_->setEagerColumns(listed); // from its next open
    }
    dataset_->ensureOpen();
    if (!def.objectName.isEmpty())
        setObjectName(def.objectName);
    setWindowTitle(def.caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(def.size);

    auto* buttons = new QHBoxLayout;
    for (const ToolButton& tool : def.tools) {
        auto* b = new QPushButton(tool.caption, this);
        b->setObjectName(tool.objectName);
        b->setToolTip(tool.hint);
        b->setAutoDefault(false);
        b->setVisible(!tool.hidden);
        if (tool.action != BrowserAction::Custom) {
            const BrowserAction action = tool.action;
            connect(b, &QPushButton::clicked, this, [this, action] { run(action); });
        }
        buttons->addWidget(b);
        if (tool.stretchAfter)
            buttons->addStretch();
    }
    buttons->addStretch();

    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setAccessibleName(def.caption);
    grid_->setDataset(dataset_);
    grid_->setColumns(def.columns);
    grid_->setSortOnTitleClick(def.sortOnTitleClick);
    grid_->setLayoutMenu(!def.layoutName.isEmpty());
    connect(grid_, &DataGrid::rowActivated, this, [this] { run(def_.onDoubleClick); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(grid_, 1);
    if (!def.searchBoxes.isEmpty()) {
        auto* search = new QGridLayout;
        search->addWidget(new QLabel(QStringLiteral("Cerca Per:")), 1, 0);
        for (int i = 0; i < def.searchBoxes.size(); ++i) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QStringLiteral("search_") + def.searchBoxes[i].column);
            auto* label = new QLabel(def.searchBoxes[i].caption);
            label->setBuddy(edit);
            search->addWidget(label, 0, i + 1);
            search->addWidget(edit, 1, i + 1);
            connect(edit, &QLineEdit::textChanged, this, &BrowserBase::applySearch);
            searchEdits_ << edit;
        }
        search->setColumnStretch(int(def.searchBoxes.size()) + 1, 1);
        layout->addLayout(search);
    }
    new FieldNavigator(this);
}

void BrowserBase::setEditor(EditorBase* editor) {
    editor_ = editor;
}

EditorBase* BrowserBase::editor() const {
    return editor_;
}

QPushButton* BrowserBase::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

void BrowserBase::run(BrowserAction action) {
    guarded([this, action] {
        switch (action) {
        case BrowserAction::Aggiungi:
            aggiungi();
            break;
        case BrowserAction::Elimina:
            elimina();
            break;
        case BrowserAction::Modifica:
            modifica();
            break;
        case BrowserAction::Ricarica:
            ricarica();
            break;
        case BrowserAction::Indietro:
            indietro();
            break;
        case BrowserAction::Scegli:
            scegli();
            break;
        case BrowserAction::Custom:
            break;
        }
    });
}

QString BrowserBase::searchFilter(const QList<QPair<QString, QString>>& columnsAndTexts) {
    QString criterion;
    for (const auto& [column, text] : columnsAndTexts) {
        if (text.isEmpty() || text == QLatin1String("*"))
            continue;
        if (!criterion.isEmpty())
            criterion += QStringLiteral(" and ");
        // A leading "*" turns the prefix match into a contains match; every other wildcard
        // character is what the user looks for (a "50%" or a "?" in a name).
        const bool contains = text.startsWith(QLatin1Char('*'));
        QString literal;
        for (const QChar c : QStringView(text).mid(contains ? 1 : 0)) {
            if (QStringLiteral("*%?_[").contains(c))
                literal += QLatin1Char('[') + c + QLatin1Char(']');
            else
                literal += c;
        }
        criterion += column + QStringLiteral(" like '") +
                     (contains ? QStringLiteral("*") : QString()) + QuoteSql(literal) +
                     QStringLiteral("*'");
    }
    return criterion;
}

void BrowserBase::applySearch() {
    QList<QPair<QString, QString>> parts;
    for (int i = 0; i < searchEdits_.size(); ++i)
        parts << qMakePair(def_.searchBoxes[i].column, searchEdits_[i]->text());
    // Typing further in the boxes only narrows what the previous keystroke left visible; any other
    // change (a text shortened or replaced, a filter set elsewhere) filters the whole table.
    bool narrows = searchTexts_.size() == parts.size() && dataset_->filter() == searchFilterText_;
    for (int i = 0; narrows && i < parts.size(); ++i) {
        const QString& before = searchTexts_[i];
        const bool matchedAll = before.isEmpty() || before == QLatin1String("*");
        narrows = matchedAll || parts[i].second.startsWith(before);
    }
    const QString filter = searchFilter(parts);
    guarded([&] {
        if (narrows)
            dataset_->narrowFilter(filter);
        else
            dataset_->setFilter(filter);
    });
    searchTexts_.clear();
    searchFilterText_ = dataset_->filter();
    if (searchFilterText_ != filter)
        return; // refused: the next keystroke starts over
    for (const auto& part : std::as_const(parts))
        searchTexts_ << part.second;
}

void BrowserBase::clearSearch() {
    for (QLineEdit* e : std::as_const(searchEdits_)) {
        const QSignalBlocker block(e);
        e->clear();
    }
    guarded([this] { dataset_->setFilter(QString()); });
}

void BrowserBase::openEditor() {
    if (!editor_)
        return;
    editor_->selectFirstTab();
    showModal(*editor_);
    editor_->selectFirstTab();
}

void BrowserBase::modifica() {
    if (dataset_->isEmpty())
        return;
    openEditor();
}

void BrowserBase::fillNewRow() {
    for (const auto& [column, value] : def_.initialValues)
        dataset_->setValue(column, value);
}

bool BrowserBase::aggiungi() {
    try {
        dataset_->ensureOpen(); // also used without showing the list (a new customer)
        if (def_.clearFilterOnAdd)
            dataset_->setFilter(QString());
        dataset_->edit();
        dataset_->insert();
        dataset_->edit();
        fillNewRow();
    } catch (const DbError& e) {
        if (dataset_->state() != Dataset::State::Browse)
            dataset_->cancel();
        prompt().message(Prompt::errorTitle(), e.text());
        return false;
    }
    QString error;
    if (!SaveNewRecord(*dataset_, def_.keyColumn, &error)) {
        prompt().message(Prompt::errorTitle(),
                         QStringLiteral("Impossibile aggiungere il record.\n%1").arg(error));
        return false;
    }
    openNewRow();
    return true;
}

void BrowserBase::openNewRow() {
    if (!editor_)
        return;
    editor_->setModified(true); // a new row is checked when the editor is left
    editor_->setAnnullaVisible(true);
    openEditor();
    editor_->setAnnullaVisible(false);
}

void BrowserBase::deleteCurrent() {
    DeleteAndReposition(*dataset_, def_.keyColumn);
}

bool BrowserBase::elimina() {
    if (dataset_->isEmpty() || !canDelete())
        return false;
    if (!prompt().question(Prompt::warningTitle(), def_.deleteQuestion))
        return false;
    return guarded([this] { deleteCurrent(); });
}

void BrowserBase::ricarica() {
    guarded([this] { dataset_->requery(); });
}

void BrowserBase::indietro() {
    chosen_ = false;
    done(QDialog::Rejected);
}

void BrowserBase::scegli() {
    if (dataset_->isEmpty())
        return;
    chosen_ = true;
    done(QDialog::Accepted);
}

} // namespace brevalto
