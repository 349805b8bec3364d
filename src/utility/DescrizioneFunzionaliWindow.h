#pragma once
// "Descrizione delle funzioni": the functional description of one FatturaPA element, shown without
// waiting next to the editor whose help button asked for it.
#include <QDialog>
#include <QPointer>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace brevalto {

class Dataset;

class DescrizioneFunzionaliWindow : public QDialog {
    Q_OBJECT
public:
    explicit DescrizioneFunzionaliWindow(QWidget* parent = nullptr);

    // The descriptions dataset (TablePA_DescrizioniFunzionali); the window shows its current row.
    void setDataset(Dataset* dataset);
    // Filters the dataset on one element number and shows the window without waiting; the window
    // is empty when the number has no description.
    void showElement(const QString& elementNumber);

    QString codice() const;
    QString titolo() const;
    QString descrizione() const;

private:
    void refresh();

    QPointer<Dataset> dataset_;
    QLineEdit* codice_;
    QLineEdit* titolo_;
    QPlainTextEdit* descrizione_;
    QPushButton* indietro_;
};

} // namespace brevalto
