#pragma once
// The line picker ("Cerca Linee dettaglio Fattura"): a list of the current body's lines, whose
// query the caller sets on TableCercaLinee. A double click (or the hidden "Salva") marks a line
// chosen and closes; "Indietro" closes with nothing chosen. The caller reads the chosen line from
// the current row of TableCercaLinee.
#include <QDialog>

class QPushButton;

namespace brevalto {

class DataGrid;
class DataModule;

class CercaLineePicker : public QDialog {
    Q_OBJECT
public:
    explicit CercaLineePicker(DataModule& db, QWidget* parent = nullptr);

    bool chosen() const { return chosen_; }
    void setChosen(bool on) { chosen_ = on; }
    // Marks the current line chosen and closes.
    void choose();
    // Closes with nothing chosen.
    void indietro();
    DataGrid* grid() const { return grid_; }

protected:
    void reject() override { indietro(); }

private:
    DataGrid* grid_;
    bool chosen_ = false;
};

} // namespace brevalto
