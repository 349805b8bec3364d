#include "documents/SdiRegister.h"

#include "store/DataModule.h"
#include "store/Dataset.h"
#include "store/DatasetNames.h"
#include "store/DbError.h"
#include "ui/DataGrid.h"
#include "ui/GuardedAction.h"

#include <QComboBox>
#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace brevalto {

namespace {

const QString kKey = QStringLiteral("ID");

} // namespace

SdiRegister::SdiRegister(DataModule& db, DataGrid& grid, QComboBox& filter, QObject* parent)
    : QObject(parent), db_(db), grid_(grid), filter_(filter) {
    for (const auto& [group, name] : receipts::stateGroups())
        filter_.addItem(name, int(group));
    grid_.datasetModel()->computedValue = [this](int row, const QString& field) -> QVariant {
        if (field.compare(QLatin1String(kColumn), Qt::CaseInsensitive) != 0)
            return {};
        const receipts::DocumentStatus* status = statusOfRow(row);
        return status ? receipts::stateWithDeadline(*status, today()) : QString();
    };
    Dataset& data = headers();
    connect(&data, &Dataset::rowsChanged, this, [this] { refresh(); });
    // An export marks the Document: its state is Inviata from then on.
    connect(&data, &Dataset::valueChanged, this, [this](const QString& column) {
        if (column.compare(QLatin1String("Esportato"), Qt::CaseInsensitive) == 0)
            refresh();
    });
    connect(&filter_, &QComboBox::currentIndexChanged, this, guard([this] {
        group_ = receipts::StateGroup(filter_.currentData().toInt());
        readStatuses();
        applyGroup();
    }));
    // Notifications loaded, or a Document re-issued, from another screen: seen on coming back.
    if (QWidget* window = grid_.window())
        window->installEventFilter(this);
}

Dataset& SdiRegister::headers() const {
    return db_.table(ds::PA_FE_Header);
}

bool SdiRegister::readStatuses() {
    QHash<int, receipts::DocumentStatus> read;
    ++reads_;
    try {
        if (db_.connessione().isOpen())
            read = receipts::documentStatusMap(db_.connessione());
    } catch (const DbError&) {
        // An archive that cannot say: the column shows empty, the rows all stay.
    }
    const bool changed =
        read.size() != statuses_.size() ||
        std::any_of(read.cbegin(), read.cend(), [&](const auto& s) {
            const auto old = statuses_.constFind(s.headerId);
            return old == statuses_.cend() || old->state != s.state || old->deadline != s.deadline;
        });
    statuses_ = std::move(read);
    grid_.viewport()->update();
    return changed;
}

void SdiRegister::hold() {
    ++held_;
}

void SdiRegister::release() {
    if (held_ > 0 && --held_ == 0)
        refresh();
}

void SdiRegister::refresh() {
    if (busy_ || held_ > 0)
        return;
    busy_ = true;
    if (readStatuses() && group_ != receipts::StateGroup::All)
        guarded([this] { applyGroup(); });
    busy_ = false;
}

void SdiRegister::applyGroup() {
    Dataset& data = headers();
    if (!data.isOpen())
        return;
    if (group_ == receipts::StateGroup::All) {
        data.setRowTest(kKey, {});
        return;
    }
    const bool wasBusy = busy_;
    busy_ = true;
    data.setRowTest(kKey, [this](const QVariant& key) {
        const auto found = statuses_.constFind(key.toInt());
        return found != statuses_.cend() && receipts::inGroup(*found, group_);
    });
    busy_ = wasBusy;
}

const receipts::DocumentStatus* SdiRegister::statusOfRow(int row) const {
    const Dataset& data = headers();
    const QVariant key = data.valueAt(row, data.columnIndex(kKey));
    const auto found = statuses_.constFind(key.toInt());
    return found == statuses_.cend() ? nullptr : &*found;
}

bool SdiRegister::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate && watched == grid_.window())
        refresh();
    return QObject::eventFilter(watched, event);
}

} // namespace brevalto
