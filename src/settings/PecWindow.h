#pragma once
// "Posta certificata (PEC)" (frmPec), opened from the options: the certified-mail box the
// Documents leave from and the answers come back to, for the firm or, when the office keeps
// several sellers, for each seller. "Prova connessione" tries both servers. The password is never
// shown here nor stored: it is asked the first time a run needs it and kept in memory until the
// program ends.
#include "channel/PecAccounts.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace brevalto {

class DataModule;

class PecWindow : public QDialog {
    Q_OBJECT
public:
    explicit PecWindow(DataModule& db, QWidget* parent = nullptr);

    // The account of the chosen seller (or the firm's) into the screen; a new one when none.
    void load();
    channel::PecAccountSettings account() const;
    void setAccount(const channel::PecAccountSettings& account);

    // "Salva": stores the account; an incomplete one is said and not stored. True when stored.
    bool salva();
    // "Prova connessione": both servers with what the screen shows, the password asked when the
    // run has none; the outcome in a message and beside the button.
    void provaConnessione();
    // "Usa": takes the exchange system's proposed box as the address to write to.
    void usaIndirizzoProposto();
    void scegliCertificati();

    QComboBox* sellerList() const { return seller_; }
    QLineEdit* addressBox() const { return address_; }
    QLineEdit* userBox() const { return user_; }
    QLineEdit* smtpHostBox() const { return smtpHost_; }
    QSpinBox* smtpPortBox() const { return smtpPort_; }
    QComboBox* securityList() const { return security_; }
    QLineEdit* imapHostBox() const { return imapHost_; }
    QSpinBox* imapPortBox() const { return imapPort_; }
    QLineEdit* sdiAddressBox() const { return sdiAddress_; }
    QLineEdit* caFileBox() const { return caFile_; }
    QCheckBox* receiveAtStartBox() const { return receiveAtStart_; }
    QLabel* outcomeLabel() const { return outcome_; }
    QLabel* proposedLabel() const { return proposed_; }
    QPushButton* provaButton() const { return prova_; }

    // "Indietro" and Escape: asks whether to store what was changed, then closes.
    void reject() override;

private:
    qint64 chosenSeller() const;
    void fillSellers();
    // Asks whether to store what was typed before the screen shows another seller or closes;
    // false when the user cancels.
    bool keepOrDropChanges();

    DataModule& db_;
    channel::PecAccountSettings loaded_;
    QComboBox* seller_;
    QLabel* sellerLabel_;
    QLineEdit* address_;
    QLineEdit* user_;
    QLineEdit* smtpHost_;
    QSpinBox* smtpPort_;
    QComboBox* security_;
    QLineEdit* imapHost_;
    QSpinBox* imapPort_;
    QLineEdit* sdiAddress_;
    QLabel* proposed_;
    QPushButton* useProposed_;
    QLineEdit* caFile_;
    QToolButton* pickCaFile_;
    QCheckBox* receiveAtStart_;
    QPushButton* prova_;
    QLabel* outcome_;
    int shownSeller_ = -1;
};

} // namespace brevalto
