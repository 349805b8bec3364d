#include "ui/EditorBase.h"

#include "store/DataModule.h"
#include "store/Prompt.h"
#include "store/Saving.h"
#include "ui/BoundInputs.h"
#include "ui/ElementSizes.h"
#include "ui/FieldHelp.h"
#include "ui/FieldNavigator.h"
#include "ui/GuardedAction.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace brevalto {

namespace {

// The row a screen's rules read: the dataset's values, where a pick list's value counts only when
// the list holds it (a code the list does not offer is no value).
class ScreenRow : public RowValues {
public:
    explicit ScreenRow(const EditorBase& screen) : screen_(screen) {}
    QString text(const QString& column) const override {
        const QString value = screen_.dataset().text(column);
        auto* list = qobject_cast<BoundLookup*>(screen_.field(column));
        return value.isEmpty() || !list || list->holds(value) ? value : QString();
    }
    bool flag(const QString& column) const override { return screen_.dataset().flag(column); }

private:
    const EditorBase& screen_;
};

} // namespace

EditorBase::EditorBase(DataModule& db, const QString& datasetName, const QString& keyColumn,
                       const QString& caption, QWidget* parent)
    : QDialog(parent), keyColumn_(keyColumn), db_(db), dataset_(&db.table(datasetName)),
      tabs_(new QTabWidget(this)), indietro_(new QPushButton(QStringLiteral("Indietro"), this)),
      salva_(new QPushButton(QStringLiteral("Salva"), this)),
      annulla_(new QPushButton(QStringLiteral("Annulla"), this)) {
    setWindowTitle(caption);
    // Screens have no system close button: "Indietro" is the way out.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    indietro_->setObjectName(QStringLiteral("spdIndietro"));
    salva_->setObjectName(QStringLiteral("spdSalva"));
    salva_->setToolTip(QStringLiteral("Salva le modifiche effettuate"));
    salva_->hide();
    annulla_->setObjectName(QStringLiteral("spdAnnulla"));
    annulla_->setToolTip(QStringLiteral("Torna indietro senza salvare"));
    annulla_->hide();
    indietro_->setAutoDefault(false);
    annulla_->setAutoDefault(false);
    salva_->setAutoDefault(false);
    connect(indietro_, &QPushButton::clicked, this, guard([this] { indietro(); }));
    connect(salva_, &QPushButton::clicked, this, guard([this] { save(); }));
    connect(annulla_, &QPushButton::clicked, this, [this] { annulla(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(indietro_);
    buttons->addWidget(salva_);
    buttons->addWidget(annulla_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(tabs_, 1);
    navigator_ = new FieldNavigator(this);
    // The Document this screen edits was deleted on another workstation: nothing of it can be
    // stored any more.
    connect(&db, &DataModule::documentDeleted, this, [this] {
        if (!dataset_->isOpen() || !DataModule::belongsToDocument(*dataset_))
            return;
        if (dataset_->state() != Dataset::State::Browse)
            dataset_->cancel();
        modified_ = false;
        done(QDialog::Rejected);
    });
}

void EditorBase::showEvent(QShowEvent* event) {
    // Rows another workstation added to the pick lists since they were read show up now.
    for (QWidget* input : std::as_const(inputOrder_)) {
        if (auto* lookup = qobject_cast<BoundLookup*>(input))
            lookup->refreshList();
    }
    QDialog::showEvent(event);
}

void EditorBase::beginForm(const QStringList& tabCaptions) {
    // The fields above the tabs are laid out on one more page, the last, which finishForm()
    // lifts out of the tab widget: the real tabs keep their indices, and a failed rule on a
    // field above the tabs selects no tab.
    for (const QString& caption : tabCaptions + QStringList{QString()}) {
        auto* page = new QWidget;
        auto* grid = new QGridLayout(page);
        grid->setColumnStretch(1, 1);
        grid->setAlignment(Qt::AlignTop);
        tabs_->addTab(page, caption);
        tabLayouts_ << grid;
    }
    topPage_ = int(tabCaptions.size());
}

QWidget* EditorBase::makeInput(const Field& field) {
    Dataset* d = dataset_;
    QWidget* input = nullptr;
    Field def = field;
    if (def.maxLength <= 0)
        def.maxLength = elementMaxLength(def.help);
    const FieldControl control = def.list.dataset.isEmpty() ? def.control : FieldControl::Lookup;
    switch (control) {
    case FieldControl::Text: {
        auto* e = new BoundLineEdit(d, def.column);
        if (def.maxLength > 0)
            e->setMaxLength(def.maxLength);
        if (!def.pattern.isEmpty())
            e->setValidator(new QRegularExpressionValidator(QRegularExpression(def.pattern), e));
        e->setUpperCase(def.upperCase);
        e->setNoSpaces(def.noSpaces);
        e->setReadOnly(def.readOnly);
        // A password is never shown in clear, on any screen.
        if (def.column.contains(QLatin1String("Password"), Qt::CaseInsensitive))
            e->setEchoMode(QLineEdit::Password);
        connect(e, &BoundLineEdit::edited, this, &EditorBase::markModified);
        input = e;
        break;
    }
    case FieldControl::Number:
    case FieldControl::Integer: {
        auto* e = new BoundNumberEdit(d, def.column, control == FieldControl::Integer);
        if (def.maxLength > 0)
            e->setMaxLength(def.maxLength);
        e->setReadOnly(def.readOnly);
        connect(e, &BoundNumberEdit::edited, this, &EditorBase::markModified);
        input = e;
        break;
    }
    case FieldControl::Date:
    case FieldControl::DateTime: {
        auto* e = new BoundDateEdit(d, def.column, control == FieldControl::DateTime);
        e->setReadOnly(def.readOnly);
        connect(e, &BoundDateEdit::edited, this, &EditorBase::markModified);
        input = e;
        break;
    }
    case FieldControl::Memo: {
        auto* e = new BoundMemo(d, def.column);
        e->setMaxLength(def.maxLength);
        e->setReadOnly(def.readOnly);
        e->setMinimumHeight(80);
        connect(e, &BoundMemo::edited, this, &EditorBase::markModified);
        input = e;
        break;
    }
    case FieldControl::Check: {
        auto* e = new BoundCheckBox(d, def.column, QString());
        e->setEnabled(!def.readOnly);
        connect(e, &BoundCheckBox::edited, this, &EditorBase::markModified);
        input = e;
        break;
    }
    case FieldControl::Lookup: {
        auto* e = new BoundLookup(d, def.column, &db_.dataset(def.list.dataset), def.list.key,
                                  def.list.display);
        e->setRetired(def.list.retired);
        e->setEnabled(!def.readOnly);
        connect(e, &BoundLookup::edited, this, &EditorBase::markModified);
        input = e;
        break;
    }
    }
    return input;
}

namespace {

// Runs action after every user change of a bound input.
void onUserEdit(QWidget* input, QObject* context, const std::function<void()>& action) {
    if (auto* e = qobject_cast<BoundLineEdit*>(input))
        QObject::connect(e, &BoundLineEdit::edited, context, action);
    else if (auto* n = qobject_cast<BoundNumberEdit*>(input))
        QObject::connect(n, &BoundNumberEdit::edited, context, action);
    else if (auto* d = qobject_cast<BoundDateEdit*>(input))
        QObject::connect(d, &BoundDateEdit::edited, context, action);
    else if (auto* m = qobject_cast<BoundMemo*>(input))
        QObject::connect(m, &BoundMemo::edited, context, action);
    else if (auto* c = qobject_cast<BoundCheckBox*>(input))
        QObject::connect(c, &BoundCheckBox::edited, context, action);
    else if (auto* l = qobject_cast<BoundLookup*>(input))
        QObject::connect(l, &BoundLookup::edited, context, action);
}

} // namespace

void EditorBase::setIncludedBlocks(const QList<IncludedBlock>& blocks) {
    for (const IncludedBlock& block : blocks) {
        auto* box = qobject_cast<BoundCheckBox*>(field(block.flag));
        if (!box)
            continue;
        includedBlocks_ << block;
        for (const QString& column : block.columns)
            if (QWidget* input = field(column))
                onUserEdit(input, this, [this, flag = block.flag] { includeBlock(flag); });
        connect(box, &BoundCheckBox::edited, this, [this, block] {
            if (!dataset().flag(block.flag))
                offerToClear(block);
        });
    }
}

void EditorBase::refreshInput(const QString& column) {
    if (auto* binding = dynamic_cast<Binding*>(field(column)))
        binding->refresh();
}

void EditorBase::includeBlock(const QString& flag) {
    Dataset& row = dataset();
    QString current = flag;
    while (!current.isEmpty()) {
        if (!row.flag(current)) {
            if (row.state() == Dataset::State::Browse)
                row.edit();
            row.setValue(current, true);
            refreshInput(current);
            markModified();
        }
        QString parent;
        for (const IncludedBlock& block : std::as_const(includedBlocks_))
            if (block.flag == current)
                parent = block.parent;
        current = parent;
    }
}

void EditorBase::offerToClear(const IncludedBlock& block) {
    Dataset& row = dataset();
    QList<IncludedBlock> cleared{block};
    for (const IncludedBlock& inner : std::as_const(includedBlocks_))
        if (inner.parent == block.flag)
            cleared << inner;
    const int position = row.position();
    if (position < 0)
        return;
    // The edit buffer is what the inputs show: it is what the question is about.
    bool holds = false;
    for (const IncludedBlock& b : std::as_const(cleared))
        for (const QString& column : b.columns)
            if (!column.endsWith(QLatin1String("IdPaese")) &&
                !column.endsWith(QLatin1String("Nazione")) && row.hasColumn(column) &&
                !row.value(column).toString().trimmed().isEmpty())
                holds = true;
    if (!holds)
        return;
    const Prompt::Choice answer = prompt().ask(
        Prompt::warningTitle(),
        tr("Il blocco «%1» contiene dati che, senza «Includi», non saranno nel file.\n\n"
           "Cancellarli? (No: restano nella scheda)")
            .arg(block.caption),
        false, Prompt::Choice::No);
    if (answer != Prompt::Choice::Yes)
        return;
    if (row.state() == Dataset::State::Browse)
        row.edit();
    for (const IncludedBlock& b : std::as_const(cleared)) {
        if (b.flag != block.flag) {
            row.setValue(b.flag, false);
            refreshInput(b.flag);
        }
        for (const QString& column : b.columns) {
            if (!row.hasColumn(column))
                continue;
            row.setValue(column, QVariant());
            refreshInput(column);
        }
    }
    markModified();
}

void EditorBase::addTop(QList<Field> fields) {
    for (Field& def : fields)
        def.tab = topPage_;
    addTabbed(fields);
}

void EditorBase::addTabbed(const QList<Field>& fields) {
    if (topPage_ < 0)
        beginForm();
    for (const Field& def : fields) {
        QGridLayout* grid = tabLayouts_.value(def.tab, tabLayouts_.first());
        const int row = grid->rowCount();
        QWidget* input = makeInput(def);
        auto* label = new QLabel(def.label);
        label->setBuddy(input);
        grid->addWidget(label, row, 0);
        grid->addWidget(input, row, 1);
        if (!def.help.isEmpty()) {
            auto* help = new QToolButton;
            help->setText(def.help);
            help->setToolTip(def.help);
            help->setFocusPolicy(Qt::NoFocus);
            help->setObjectName(QStringLiteral("help_") + def.column);
            const QString code = def.help;
            connect(help, &QToolButton::clicked, this, guard([code] { requestFieldHelp(code); }));
            grid->addWidget(help, row, 2);
        }
        inputs_.insert(def.column.toLower(), input);
        inputOrder_ << input;
        inputTabs_.insert(def.column.toLower(), tabLayouts_.indexOf(grid));
        navigator_->install(input);
    }
}

void EditorBase::addTopWidget(QWidget* widget, int stretch) {
    addWidget(topPage_, widget, stretch);
}

void EditorBase::addWidget(int tab, QWidget* widget, int stretch) {
    QGridLayout* grid =
        tabLayouts_.value(tab, tabLayouts_.isEmpty() ? nullptr : tabLayouts_.first());
    if (!grid)
        return;
    grid->addWidget(widget, grid->rowCount(), 0, 1, 3);
    if (stretch > 0)
        grid->setRowStretch(grid->rowCount() - 1, stretch);
    navigator_->install(widget);
}

void EditorBase::finishForm() {
    QWidget* top = tabs_->widget(topPage_);
    tabs_->removeTab(topPage_);
    const bool noTabs = tabs_->count() == 0;
    QList<QGridLayout*> grids;
    if (top->layout()->count() > 0) {
        qobject_cast<QBoxLayout*>(layout())->insertWidget(1, top, noTabs ? 1 : 0);
        top->show();
        setMinimumWidth(noTabs ? 520 : 620);
        // One width for the captions above the tabs and on every tab, so that the fields line
        // up with those in sight above them.
        grids << qobject_cast<QGridLayout*>(top->layout());
        for (int i = 0; i < tabs_->count(); ++i)
            grids << qobject_cast<QGridLayout*>(tabs_->widget(i)->layout());
    } else {
        // Nothing above the tabs: no empty strip there.
        tabLayouts_.removeAt(topPage_);
        delete top;
    }
    if (noTabs)
        tabs_->hide();
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
    // One width for the help buttons, so that the fields beside them line up too.
    const QList<QToolButton*> helps =
        findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^help_")));
    int helpWidth = 0;
    for (QToolButton* help : helps)
        helpWidth = qMax(helpWidth, help->sizeHint().width());
    for (QToolButton* help : helps)
        help->setFixedWidth(helpWidth);

    // Moving the page changed the focus chain: the Tab key (and Enter) follow the reading order.
    for (int i = 1; i < inputOrder_.size(); ++i)
        setTabOrder(inputOrder_[i - 1], inputOrder_[i]);
}

QWidget* EditorBase::field(const QString& column) const {
    return inputs_.value(column.toLower());
}

void EditorBase::setAnnullaVisible(bool on) {
    annulla_->setVisible(on);
}
bool EditorBase::isAnnullaVisible() const {
    return !annulla_->isHidden();
}

void EditorBase::selectFirstTab() {
    if (tabs_->count() > 0)
        tabs_->setCurrentIndex(0);
}

void EditorBase::fail(const QString& message, const QString& column, int tab) {
    saveFailed_ = true;
    prompt().message(errorTitle_.isEmpty() ? Prompt::errorTitle() : errorTitle_, message);
    showField(column, tab);
}

void EditorBase::fail(const Rule& rule) {
    int tab = rule.focusTab;
    if (tab < 0 && rule.focusColumn.isEmpty() && !rule.showColumn.isEmpty())
        tab = inputTabs_.value(rule.showColumn.toLower(), -1);
    fail(rule.message, rule.focusColumn, tab);
}

void EditorBase::showField(const QString& column, int tab) {
    const QString key = column.toLower();
    if (tab >= 0)
        tabs_->setCurrentIndex(tab);
    else if (inputTabs_.contains(key))
        tabs_->setCurrentIndex(inputTabs_.value(key));
    if (QWidget* input = inputs_.value(key))
        input->setFocus();
}

bool EditorBase::store(QString* error) {
    return SaveRecord(*dataset_, keyColumn_, error);
}

bool EditorBase::hasUnsavedChanges() const {
    if (modified_)
        return true;
    const bool editing =
        dataset_->state() == Dataset::State::Edit || dataset_->state() == Dataset::State::Insert;
    return editing && dataset_->isModified();
}

bool EditorBase::save() {
    saveFailed_ = false;
    // A text that is no value of its field is never stored, nor replaced by another value.
    for (QWidget* input : std::as_const(inputOrder_)) {
        const auto* binding = dynamic_cast<const Binding*>(input);
        if (!binding)
            continue;
        const QString problem = binding->problem();
        if (!problem.isEmpty()) {
            fail(problem, binding->column());
            return false;
        }
    }
    if (documentGone()) {
        saveFailed_ = true;
        prompt().message(Prompt::errorTitle(), DataModule::documentGoneText());
        db_.dropGoneDocument(); // closes this screen too
        return false;
    }
    beforeRules();
    if (const Rule* failed = firstFailure(rules_, ScreenRow(*this))) {
        fail(*failed);
        return false;
    }
    for (const Warning& warning : std::as_const(warnings_)) {
        const QString question = warning.question();
        if (!question.isEmpty() && !prompt().question(Prompt::warningTitle(), question)) {
            saveFailed_ = true;
            showField(warning.focusColumn, warning.focusTab);
            return false;
        }
    }
    if (!confirmSave()) {
        saveFailed_ = true;
        return false;
    }
    QString error;
    if (!store(&error)) {
        saveFailed_ = true;
        prompt().message(Prompt::errorTitle(),
                         QStringLiteral("Le modifiche non sono state salvate.\n%1").arg(error));
        return false;
    }
    modified_ = false;
    return true;
}

void EditorBase::indietro() {
    if (modified_ && !save())
        return;
    if (dataset_->state() != Dataset::State::Browse && !dataset_->isModified())
        dataset_->cancel();
    done(QDialog::Accepted);
}

void EditorBase::deleteJustAdded() {
    if (dataset_->state() != Dataset::State::Browse)
        dataset_->cancel();
    DeleteAndReposition(*dataset_, keyColumn_);
}

void EditorBase::annulla() {
    if (!confirmAnnulla())
        return;
    modified_ = false;
    {
        const SilentDeleteScope silent(db_);
        guarded([this] { deleteJustAdded(); });
    }
    done(QDialog::Rejected);
}

bool EditorBase::documentGone() const {
    if (!dataset_->isOpen() || !DataModule::belongsToDocument(*dataset_))
        return false;
    try {
        return db_.documentGone();
    } catch (const DbError&) {
        return false; // the save itself reports what is wrong with the archive
    }
}

void EditorBase::discard() {
    if (isAnnullaVisible()) {
        annulla();
        return;
    }
    if (dataset_->state() != Dataset::State::Browse)
        dataset_->cancel();
    for (QWidget* input : std::as_const(inputOrder_)) {
        if (auto* binding = dynamic_cast<Binding*>(input))
            binding->revert();
    }
    modified_ = false;
    done(QDialog::Rejected);
}

void EditorBase::leave() {
    if (!hasUnsavedChanges() && !isAnnullaVisible()) {
        indietro();
        return;
    }
    switch (prompt().ask(Prompt::warningTitle(), QStringLiteral("Salvare le modifiche?"), true,
                         Prompt::Choice::Yes)) {
    case Prompt::Choice::Yes:
        if (hasUnsavedChanges())
            modified_ = true; // what is pending is saved, whoever wrote it
        indietro();
        break;
    case Prompt::Choice::No:
        discard();
        break;
    case Prompt::Choice::Cancel:
        break;
    }
}

void EditorBase::reject() {
    leave();
}

} // namespace brevalto
