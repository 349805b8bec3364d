#pragma once
// "Inserimento Linee Veloce" (TfrmGrigliaDettaglioVeloce): a list of ready-made invoice lines kept
// in the archive (DettaglioVeloce), edited in the grid itself. The rows marked to import (the
// others are drawn red) or the selected row are copied into the current body, in one transaction.
#include <QDialog>

class QMenu;
class QPushButton;

namespace brevalto {

class DataGrid;
class DataModule;
class Dataset;

class DettaglioVeloceWindow : public QDialog {
    Q_OBJECT
public:
    explicit DettaglioVeloceWindow(DataModule& db, QWidget* parent = nullptr);

    DataGrid* grid() const { return grid_; }
    Dataset& dataset() const;
    QMenu* gridMenu() const { return menu_; }

    void aggiungi();           // a new row: default VAT rate, marked to import
    bool salva();              // F2: stores the current row
    void elimina();            // asks, then deletes the current row
    void toggleValido();       // double click
    void importaTutto();       // the marked rows
    void importaSelezionata(); // the current row, marked or not
    void azzeraGriglia();      // asks, then deletes every row
    void rendiTuttiDaImportare();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void copyIntoBody(bool onlyCurrent);

    DataModule& db_;
    DataGrid* grid_;
    QMenu* menu_;
};

} // namespace brevalto
