#pragma once
// "Firma digitale" (frmFirma), opened from the options: the key that "Firma" signs with on this
// workstation: a certificate file (PKCS#12) or a card reached through its PKCS#11 module, with the
// card's label. Kept in the user's settings of this computer, never in the archive; a password or
// PIN is never asked or kept here: "Firma" asks it each time.
#include "sdi/Signer.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QToolButton;

namespace brevalto {

class FirmaWindow : public QDialog {
    Q_OBJECT
public:
    explicit FirmaWindow(QWidget* parent = nullptr);

    // The key shown; load() fills the screen from the stored one.
    void load();
    sdi::SigningKey key() const;
    void setKey(const sdi::SigningKey& key);

    // "Salva": stores the key and closes; a key that names no file or module is not stored.
    void salva();
    // The file pickers beside the certificate and the module.
    void scegliFile();
    void scegliModulo();

    QComboBox* kindList() const { return kind_; }
    QLineEdit* fileBox() const { return file_; }
    QLineEdit* moduleBox() const { return module_; }
    QLineEdit* tokenBox() const { return token_; }

    static const QString kOpenScModule;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showKind();

    QComboBox* kind_;
    QLineEdit* file_;
    QToolButton* pickFile_;
    QLineEdit* module_;
    QToolButton* pickModule_;
    QLineEdit* token_;
};

} // namespace brevalto
