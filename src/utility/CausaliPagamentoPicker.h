#pragma once
// "Griglia Causali Pagamento" (TfrmGrigliaRitenute_CausalePagamento): picks a payment reason code
// for withholding data. A double click or "Salva" chooses the current row and closes;
// "Indietro" closes without choosing. The caller reads the current row of
// TablePa_Ritenute_CausalePagamento.
#include <QDialog>

class QPushButton;

namespace brevalto {

class DataGrid;
class DataModule;

class CausaliPagamentoPicker : public QDialog {
    Q_OBJECT
public:
    explicit CausaliPagamentoPicker(DataModule& db, QWidget* parent = nullptr);

    bool chosen() const { return chosen_; }
    void clearChosen() { chosen_ = false; }

    DataGrid* grid() const { return grid_; }
    // "Salva" or a double click.
    void choose();
    // "Indietro".
    void back();

protected:
    void reject() override { back(); }

private:
    DataGrid* grid_;
    bool chosen_ = false;
};

} // namespace brevalto
