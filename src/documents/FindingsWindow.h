#pragma once
// The findings of the pre-send check of a Document: one row per finding with its code, the
// code's title from PA_Errori (the same texts as the error catalogue), the element, the message
// and the screen and field that hold the value. A double click on a finding inside a body asks
// the owner to open that body (openBody, 1-based); on one in the header, it says which of the
// Document's screens holds the value.
#include "check/Finding.h"

#include <QDialog>
#include <functional>

class QTableWidget;

namespace brevalto {

class DataModule;

class FindingsWindow : public QDialog {
    Q_OBJECT
public:
    FindingsWindow(DataModule& db, const check::Findings& findings, QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    std::function<void(int body)> openBody;

    // The body a finding's element lies in (1-based), 0 when it lies in the header.
    static int bodyOf(const QString& element);

private:
    void open(int row);

    check::Findings findings_;
    QTableWidget* table_;
};

} // namespace brevalto
