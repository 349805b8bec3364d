#pragma once
// The catalogue of the exchange system's rejection errors (PA_Errori): a read-only list searched
// by code and title, and the detail screen of one error. The pre-send check's findings window
// takes its titles from the same table.
#include "ui/BrowserBase.h"

class QLineEdit;
class QPlainTextEdit;

namespace brevalto {

// "Errore Fatturazione Elettronica" (TfrmDettaglioErroriFatturazioneElettronica): the current row
// of the catalogue, read-only; title, description and suggestions wrap over several lines.
class ErroreDettaglioWindow : public QDialog {
    Q_OBJECT
public:
    explicit ErroreDettaglioWindow(DataModule& db, QWidget* parent = nullptr);

    QString codice() const;
    QString titolo() const;
    QString descrizione() const;
    QString suggerimenti() const;
    // Shows the catalogue's current row.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Dataset& dataset_;
    QLineEdit* codice_;
    QPlainTextEdit* titolo_;
    QPlainTextEdit* descrizione_;
    QPlainTextEdit* suggerimenti_;
};

// "Elenco Errori scarto fatturazione elettronica" (TfrmGrigliaErroriFatturazioneElettronica).
// "Avanti" and a double click show the detail of the current error; "Aiuto" opens the guide.
class ErroriBrowser : public BrowserBase {
    Q_OBJECT
public:
    explicit ErroriBrowser(DataModule& db, QWidget* parent = nullptr);
    void setDetail(ErroreDettaglioWindow* detail) { detail_ = detail; }

protected:
    void openEditor() override;

private:
    QPointer<ErroreDettaglioWindow> detail_;
};

} // namespace brevalto
