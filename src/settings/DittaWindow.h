#pragma once
// "Ditta" (TfrmDitta): the firm's own record (the one row of Ditta), shown without waiting. The
// firm transmits the files: its country and tax code are required, and name them.
#include "ui/EditorBase.h"

#include <functional>

namespace brevalto {

class DittaWindow : public EditorBase {
    Q_OBJECT
public:
    explicit DittaWindow(DataModule& db, QWidget* parent = nullptr);

    // "Salva": stores the row and keeps it in edit state.
    void salva();
    // "Cancella": empties municipality, postcode and province.
    void cancellaComune();

    QPushButton* salvaButton() const { return salva_; }

    // Run after every save that stored the row (the main window's title names the firm).
    std::function<void()> saved;
    QPushButton* cancellaButton() const { return cancella_; }

protected:
    bool store(QString* error) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkPartitaIva();

    QPushButton* salva_;
    QPushButton* cancella_;
};

} // namespace brevalto
