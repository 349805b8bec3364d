#pragma once
// "Esportazioni" (TfrmEsportazioni): the invoices not yet listed (of the chosen seller when the
// firm keeps several, of every Document otherwise), written to a ";"-separated file for the
// accounts, then their Documents marked listed; the XML export's own mark plays no part. Nothing
// to list is said and writes no file. The file is written whole or not at all, and only the
// Documents that went into it are marked, after it is on disk.
#include <QDialog>

class QComboBox;
class QLabel;

namespace brevalto {

class DataModule;

class EsportazioniWindow : public QDialog {
    Q_OBJECT
public:
    explicit EsportazioniWindow(DataModule& db, QWidget* parent = nullptr);

    // The seller pick and its caption, shown only when the firm keeps several sellers.
    QComboBox* sellerSelector() const { return seller_; }
    QLabel* sellerLabel() const { return sellerLabel_; }

    // "Esporta".
    void esporta();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void reloadSellers();

    DataModule& db_;
    QLabel* sellerLabel_;
    QComboBox* seller_;
};

} // namespace brevalto
