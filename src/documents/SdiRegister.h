#pragma once
// The exchange system's side of the Documents register: the "Stato SdI" column, with the days
// left where a term runs, and the list that shows only the Documents of one group of states
// (rejected, awaiting an outcome, ...). The states are worked out in a few queries whenever the
// register's rows change, a Document is exported or the window comes back to the front, so the
// column follows notifications loaded from any screen. A run on many Documents holds the reading
// and reads once at its end.
#include "receipts/DocumentLife.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <functional>

class QComboBox;

namespace brevalto {

class DataGrid;
class DataModule;
class Dataset;

class SdiRegister : public QObject {
    Q_OBJECT
public:
    // The grid's column of field kColumn shows the state; filter lists the groups.
    SdiRegister(DataModule& db, DataGrid& grid, QComboBox& filter, QObject* parent = nullptr);

    static constexpr const char* kColumn = "StatoSdI";

    // The states read again; the rows shown follow when a group is chosen.
    void refresh();
    // While held (a run that changes many Documents), the refreshes asked for are put off;
    // releasing the last hold reads the states once, whatever the run changed.
    void hold();
    void release();
    // How many times the states were read from the archive.
    int reads() const { return reads_; }
    // The state of the Document in the register's row (of the view); nullptr when unknown.
    const receipts::DocumentStatus* statusOfRow(int row) const;
    // The day the days left count from; today unless a test says otherwise.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The states read again; true when one changed.
    bool readStatuses();
    void applyGroup();
    Dataset& headers() const;

    DataModule& db_;
    DataGrid& grid_;
    QComboBox& filter_;
    QHash<int, receipts::DocumentStatus> statuses_;
    receipts::StateGroup group_ = receipts::StateGroup::All;
    bool busy_ = false;
    int held_ = 0;
    int reads_ = 0;
};

} // namespace brevalto
