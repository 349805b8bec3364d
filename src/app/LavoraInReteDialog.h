#pragma once
// "Lavora in Rete": the archive to work on, either a file archivioPa.mdb in a shared folder or an
// archive on a PostgreSQL server, whose address can be tried before it is used.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace brevalto {

class LavoraInReteDialog : public QDialog {
    Q_OBJECT
public:
    // folder: where the file dialog starts; current: the archive in use (a server address shown
    // in the address box).
    LavoraInReteDialog(const QString& folder, const QString& current, QWidget* parent = nullptr);

    // The archive chosen: a file path or a server address (as typed, password included: it is
    // never written down). Empty until the dialog is accepted.
    QString chosen() const { return chosen_; }

    QPushButton* fileButton() const { return fileButton_; }
    QLineEdit* addressBox() const { return addressBox_; }
    QPushButton* testButton() const { return testButton_; }
    QPushButton* useButton() const { return useButton_; }

private:
    void scegliFile();
    void provaConnessione();
    void usaServer();
    // The address typed, or an empty text after saying why it is not one.
    QString typedAddress();

    QString folder_;
    QString chosen_;
    QPushButton* fileButton_ = nullptr;
    QLineEdit* addressBox_ = nullptr;
    QPushButton* testButton_ = nullptr;
    QPushButton* useButton_ = nullptr;
};

} // namespace brevalto
