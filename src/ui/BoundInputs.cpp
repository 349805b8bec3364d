#include "ui/BoundInputs.h"

#include "store/Dataset.h"
#include "store/NumberText.h"
#include "store/Prompt.h"
#include "store/TextFields.h"
#include "ui/GuardedAction.h"

#include <QDate>
#include <QKeyEvent>
#include <QListView>
#include <QLocale>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QStandardItemModel>

namespace brevalto {

Binding::Binding(QWidget* widget, Dataset* dataset, const QString& column)
    : dataset_(dataset), column_(column) {
    widget->setObjectName(column);
    if (!dataset)
        return;
    auto update = [this] { refresh(); };
    QObject::connect(dataset, &Dataset::currentChanged, widget, update);
    QObject::connect(dataset, &Dataset::rowsChanged, widget, update);
    QObject::connect(dataset, &Dataset::valueChanged, widget, [this](const QString& changed) {
        if (!refreshing_ &&
            (changed.isEmpty() || changed.compare(column_, Qt::CaseInsensitive) == 0))
            refresh();
    });
}

QVariant Binding::current() const {
    if (!dataset_ || !dataset_->isOpen() || !dataset_->hasColumn(column_))
        return {};
    return dataset_->value(column_);
}

void Binding::write(const QVariant& value) {
    if (refreshing_ || !dataset_ || !dataset_->isOpen())
        return;
    if (dataset_->state() == Dataset::State::Browse && dataset_->isEmpty())
        return;
    const bool written = guarded([&] {
        if (dataset_->state() == Dataset::State::Browse)
            dataset_->edit();
        // The dataset's change signal must not rewrite what the user is typing; the flag drops
        // whatever happens, so a refused write never leaves the input deaf to later refreshes.
        const QScopedValueRollback<bool> quiet(refreshing_, true);
        dataset_->setValue(column_, value);
    });
    if (written)
        notifyEdited();
}

// --- text ---

namespace {

// What the invoice file cannot hold, typed or pasted: typographic forms are made plain at once,
// other characters are taken out and named.
QString plainText(const QString& text) {
    QString refused;
    const QString plain = PlainInvoiceText(text, &refused);
    if (!refused.isEmpty())
        prompt().message(
            Prompt::errorTitle(),
            QStringLiteral("Attenzione i caratteri %1 non sono ammessi nella fattura elettronica e "
                           "sono stati tolti")
                .arg(refused));
    return plain;
}

} // namespace

BoundLineEdit::BoundLineEdit(Dataset* dataset, const QString& column, QWidget* parent)
    : QLineEdit(parent), Binding(this, dataset, column) {
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        QString wanted = plainText(text);
        if (noSpaces_)
            wanted.remove(QLatin1Char(' '));
        if (upper_)
            wanted = wanted.toUpper();
        if (wanted != text) {
            const int pos = int(cursorPosition() - (text.size() - wanted.size()));
            setText(wanted);
            setCursorPosition(qMax(0, pos));
            if (wanted == current().toString())
                return; // only dropped characters: nothing changed
        }
        write(this->text());
    });
    refresh();
}

void BoundLineEdit::refresh() {
    refreshing_ = true;
    const QString value = current().toString();
    if (text() != value)
        setText(value);
    refreshing_ = false;
}

// --- checked text ---

CheckedLineEdit::CheckedLineEdit(Dataset* dataset, const QString& column, QWidget* parent)
    : QLineEdit(parent), Binding(this, dataset, column) {
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        QVariant v;
        if (read(text, &v)) {
            setInvalid(false);
            write(v);
            return;
        }
        if (!invalid_) {
            heldValue_ = current();
            heldPosition_ = this->dataset() ? this->dataset()->position() : -1;
        }
        setInvalid(true);
        notifyEdited(); // the screen has a change to save or discard, even if not storable
    });
}

void CheckedLineEdit::revert() {
    setInvalid(false);
    refresh();
}

QString CheckedLineEdit::problem() const {
    return invalid_ ? invalidMessage().arg(text().trimmed()) : QString();
}

void CheckedLineEdit::setInvalid(bool on) {
    const bool was = invalid_;
    invalid_ = on;
    setProperty("invalid", on);
    setStyleSheet(on ? QStringLiteral("QLineEdit { border: 2px solid #d00000; }") : QString());
    // The reason replaces the screen's own tooltip while the text is wrong.
    if (on) {
        if (!was)
            ownToolTip_ = toolTip();
        setToolTip(problem());
    } else if (was) {
        setToolTip(ownToolTip_);
    }
}

void CheckedLineEdit::refresh() {
    refreshing_ = true;
    const QVariant v = current();
    if (invalid_) {
        // A wrong text stays while the row still holds what it held when the text went wrong:
        // only a new value (another row, a computed value) replaces it.
        const Dataset* d = dataset();
        if (d && d->position() == heldPosition_ && v == heldValue_ &&
            v.isNull() == heldValue_.isNull()) {
            refreshing_ = false;
            return;
        }
        setInvalid(false);
    }
    QVariant typed;
    const bool same = read(text(), &typed) && typed == v && typed.isNull() == v.isNull();
    const QString shown = show(v);
    if (!same && text() != shown)
        setText(shown);
    refreshing_ = false;
}

// --- numbers ---

bool BoundNumberEdit::parse(const QString& text, bool integer, QVariant* value) {
    return parseNumberText(text, integer, value);
}

QString BoundNumberEdit::format(const QVariant& value, bool integer) {
    if (value.isNull())
        return {};
    if (integer)
        return QString::number(value.toLongLong());
    // Never a thousands separator, which could read back as a decimal mark.
    QString text = QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    if (QLocale().decimalPoint() == QLatin1String(","))
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    else if (pointsAreThousands(text))
        text += QLatin1Char('0'); // "1.125" would read back as 1125
    return text;
}

void BoundNumberEdit::focusOutEvent(QFocusEvent* event) {
    CheckedLineEdit::focusOutEvent(event);
    QVariant value;
    if (isInvalid() || !parse(text(), integer_, &value))
        return;
    const QString shown = format(value, integer_);
    if (shown != text())
        setText(shown); // not an edit: the row already holds this value
}

QString BoundNumberEdit::invalidMessage() const {
    return integer_ ? QStringLiteral("Numero non valido: %1")
                    : QStringLiteral("Importo non valido: %1");
}

BoundNumberEdit::BoundNumberEdit(Dataset* dataset, const QString& column, bool integer,
                                 QWidget* parent)
    : CheckedLineEdit(dataset, column, parent), integer_(integer) {
    setAlignment(Qt::AlignRight);
    refresh();
}

// --- dates ---

bool BoundDateEdit::parse(const QString& text, bool withTime, QVariant* value) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        *value = QVariant();
        return true;
    }
    static const QRegularExpression re(QStringLiteral(
        "^(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{2}|\\d{4})(?:\\s+(\\d{1,2})[:.](\\d{2}))?$"));
    const auto m = re.match(t);
    if (!m.hasMatch())
        return false;
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += year < 30 ? 2000 : 1900;
    const QDate date(year, m.captured(2).toInt(), m.captured(1).toInt());
    if (!date.isValid())
        return false;
    if (withTime) {
        const QTime time = m.captured(4).isEmpty()
                               ? QTime(0, 0)
                               : QTime(m.captured(4).toInt(), m.captured(5).toInt());
        if (!time.isValid())
            return false;
        *value = QDateTime(date, time);
    } else {
        *value = date;
    }
    return true;
}

BoundDateEdit::BoundDateEdit(Dataset* dataset, const QString& column, bool withTime,
                             QWidget* parent)
    : CheckedLineEdit(dataset, column, parent), withTime_(withTime) {
    setPlaceholderText(withTime ? QStringLiteral("gg/mm/aaaa hh:mm")
                                : QStringLiteral("gg/mm/aaaa"));
    refresh();
}

QString BoundDateEdit::show(const QVariant& v) const {
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(withTime_ ? QStringLiteral("dd/MM/yyyy HH:mm")
                                                 : QStringLiteral("dd/MM/yyyy"));
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(withTime_ ? QStringLiteral("dd/MM/yyyy 00:00")
                                             : QStringLiteral("dd/MM/yyyy"));
    return {};
}

QString BoundDateEdit::invalidMessage() const {
    return QStringLiteral("Data non valida: %1");
}

// --- memo ---

BoundMemo::BoundMemo(Dataset* dataset, const QString& column, QWidget* parent)
    : QPlainTextEdit(parent), Binding(this, dataset, column) {
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (refreshing_)
            return;
        const QString typed = toPlainText();
        QString text = plainText(typed);
        if (maxLength_ > 0 && text.size() > maxLength_)
            text.truncate(maxLength_);
        if (text != typed) {
            // The cursor stays after what was typed, however the text before it changed length.
            const int typedBefore = int(textCursor().position());
            const int pos =
                qMin(int(PlainInvoiceText(typed.left(typedBefore)).size()), int(text.size()));
            refreshing_ = true;
            setPlainText(text);
            QTextCursor cursor = textCursor();
            cursor.setPosition(pos);
            setTextCursor(cursor);
            refreshing_ = false;
        }
        write(text);
    });
    refresh();
}

void BoundMemo::refresh() {
    refreshing_ = true;
    const QString value = current().toString();
    if (toPlainText() != value)
        setPlainText(value);
    refreshing_ = false;
}

// --- check box ---

BoundCheckBox::BoundCheckBox(Dataset* dataset, const QString& column, const QString& text,
                             QWidget* parent)
    : QCheckBox(text, parent), Binding(this, dataset, column) {
    connect(this, &QCheckBox::clicked, this, [this](bool on) { write(on); });
    refresh();
}

void BoundCheckBox::refresh() {
    refreshing_ = true;
    setChecked(current().toBool());
    refreshing_ = false;
}

// --- pick list ---

BoundLookup::BoundLookup(Dataset* dataset, const QString& column, Dataset* list,
                         const QString& keyColumn, const QString& displayColumn, QWidget* parent)
    : QComboBox(parent), Binding(this, dataset, column), list_(list), keyColumn_(keyColumn),
      displayColumn_(displayColumn) {
    setMaxVisibleItems(20);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
    if (list)
        connect(list, &Dataset::rowsChanged, this, &BoundLookup::reload);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!list_ || index < 0 || index >= list_->rowCount())
            return;
        list_->moveTo(index);
        write(list_->valueAt(index, list_->columnIndex(keyColumn_)));
        // What a screen does with the pick may meet an archive error: shown, never thrown.
        guarded([this] { Q_EMIT picked(); });
    });
    reload();
}

void BoundLookup::setRetired(const QStringList& keys) {
    retired_ = keys;
    reload();
}

void BoundLookup::reload() {
    refreshing_ = true;
    clear();
    if (list_ && list_->isOpen()) {
        const int display = list_->columnIndex(displayColumn_);
        const int key = list_->columnIndex(keyColumn_);
        QStringList items;
        items.reserve(list_->rowCount());
        for (int r = 0; r < list_->rowCount(); ++r) {
            QString text = list_->valueAt(r, display).toString();
            if (retired_.contains(list_->valueAt(r, key).toString()) &&
                !text.contains(QStringLiteral("non più")))
                text += QStringLiteral(" (non più valida)");
            items << text;
        }
        addItems(items);
        auto* standard = qobject_cast<QStandardItemModel*>(model());
        for (int r = 0; standard && !retired_.isEmpty() && r < list_->rowCount(); ++r) {
            if (retired_.contains(list_->valueAt(r, key).toString()))
                standard->item(r)->setEnabled(false);
        }
    }
    refreshing_ = false;
    refresh();
}

void BoundLookup::refreshList() {
    if (!list_ || (!list_->isOpen() && !list_->isDeferred()))
        return;
    try {
        if (list_->isDeferred())
            list_->ensureOpen(); // the items follow its rows
        else
            list_->refreshIfChanged();
    } catch (const DbError&) {
        // The list stays as it was read; the archive's trouble shows on the next write.
    }
}

void BoundLookup::showPopup() {
    refreshList();
    QComboBox::showPopup();
}

void BoundLookup::showRetired(int current) {
    auto* rows = qobject_cast<QListView*>(view());
    if (retired_.isEmpty() || !rows || !list_ || !list_->isOpen())
        return;
    const int key = list_->columnIndex(keyColumn_);
    for (int r = 0; r < list_->rowCount() && r < count(); ++r)
        rows->setRowHidden(r, r != current && retired_.contains(list_->valueAt(r, key).toString()));
}

bool BoundLookup::holds(const QString& key) {
    if (list_ && list_->isDeferred())
        refreshList();
    if (!list_ || !list_->isOpen())
        return false;
    const int column = list_->columnIndex(keyColumn_);
    for (int r = 0; r < list_->rowCount(); ++r) {
        if (list_->valueAt(r, column).toString() == key)
            return true;
    }
    return false;
}

void BoundLookup::refresh() {
    refreshing_ = true;
    int found = -1;
    const QVariant v = current();
    if (list_ && list_->isOpen() && !v.isNull()) {
        const int key = list_->columnIndex(keyColumn_);
        const QString wanted = v.toString();
        // Prefer the list's current row when it carries the value (two towns of one name).
        const int pos = list_->position();
        if (pos >= 0 && list_->valueAt(pos, key).toString() == wanted) {
            found = pos;
        } else {
            for (int r = 0; r < list_->rowCount(); ++r) {
                if (list_->valueAt(r, key).toString() == wanted) {
                    found = r;
                    break;
                }
            }
        }
    }
    setCurrentIndex(found);
    showRetired(found);
    // Only an open list can tell that the key is gone.
    setPlaceholderText(found < 0 && !v.isNull() && list_ && list_->isOpen() && missingText
                           ? missingText()
                           : QString());
    refreshing_ = false;
}

void BoundLookup::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        write(QVariant());
        setCurrentIndex(-1);
        guarded([this] { Q_EMIT cleared(); });
        return;
    }
    QComboBox::keyPressEvent(event);
}

} // namespace brevalto
