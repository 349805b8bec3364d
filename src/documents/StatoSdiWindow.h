#pragma once
// "Stato SdI" of the current Document: its state at the exchange system with the deadline and the
// days left, what the user has to do in that state, and its history, one notification a row, each
// read in Italian when chosen. A rejection lists its errors with their titles from the error
// catalogue and, where the pre-send check finds the same code in the Document as it is now, the
// screen and the field to correct. "Reinvia" writes a rejected Document again; for an invoice that
// is issued it says why it cannot go again and that a credit note corrects it.
#include "check/Finding.h"
#include "documents/ErrorTitles.h"
#include "receipts/DocumentLife.h"

#include <QDate>
#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace brevalto {

class DataModule;

class StatoSdiWindow : public QDialog {
    Q_OBJECT
public:
    // The current Document of TablePA_FE_Header, its bodies loaded (the check builds its file).
    StatoSdiWindow(DataModule& db, QWidget* parent = nullptr);

    // Reads the state and the history again.
    void reload();
    // The day the days left count from.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    QLabel* stateLabel() const { return state_; }
    QTableWidget* history() const { return history_; }
    QPlainTextEdit* detail() const { return detail_; }
    QTableWidget* errors() const { return errors_; }

private:
    void showEntry(int row);
    void reinvia();

    DataModule& db_;
    ErrorTitles titles_{db_};
    int headerId_ = 0;
    receipts::DocumentStatus status_;
    QList<receipts::HistoryEntry> entries_;
    check::Findings findings_; // of the check on the Document as it is now, for a rejection
    QLabel* state_;
    QTableWidget* history_;
    QPlainTextEdit* detail_;
    QTableWidget* errors_;
    QPushButton* reissue_;
};

} // namespace brevalto
