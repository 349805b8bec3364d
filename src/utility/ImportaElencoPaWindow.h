#pragma once
// "Aggiorna elenco P.A.": loads the directory of public-administration offices from the files a
// user downloads from IndicePA (the offices, and optionally the administrations for their names
// and types), with a progress window that can be cancelled and a summary at the end. The previous
// directory stays whole when the import fails or is cancelled.
#include <QDialog>

class QLabel;
class QLineEdit;

namespace brevalto {

class DataModule;

class ImportaElencoPaWindow : public QDialog {
    Q_OBJECT
public:
    explicit ImportaElencoPaWindow(DataModule& db, QWidget* parent = nullptr);

    QLineEdit* officesFile() const { return offices_; }
    QLineEdit* entiFile() const { return enti_; }
    // Imports the files named in the two boxes; true when the directory was replaced. Every
    // outcome is told through the prompt.
    bool importa();
    void refreshStatus();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void browse(QLineEdit* target, const QString& title);

    DataModule& db_;
    QLineEdit* offices_;
    QLineEdit* enti_;
    QLabel* status_;
};

} // namespace brevalto
