#include "app/LavoraInReteDialog.h"

#include "store/ArchiveAddress.h"
#include "store/ArchiveCheck.h"
#include "store/Connection.h"
#include "store/Prompt.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevalto {

LavoraInReteDialog::LavoraInReteDialog(const QString& folder, const QString& current,
                                       QWidget* parent)
    : QDialog(parent), folder_(folder) {
    setObjectName(QStringLiteral("TfrmLavoraInRete"));
    setWindowTitle(tr("Lavora in Rete"));

    auto* fileBox = new QGroupBox(tr("Archivio su file"), this);
    auto* fileLayout = new QVBoxLayout(fileBox);
    fileLayout->addWidget(new QLabel(
        tr("Un archivio archivioPa.mdb, per esempio nella cartella condivisa di un'altra "
           "postazione."),
        fileBox));
    fileButton_ = new QPushButton(tr("Scegli file..."), fileBox);
    fileButton_->setObjectName(QStringLiteral("btnScegliFile"));
    fileLayout->addWidget(fileButton_, 0, Qt::AlignLeft);

    auto* serverBox = new QGroupBox(tr("Archivio su server PostgreSQL"), this);
    auto* form = new QFormLayout(serverBox);
    addressBox_ = new QLineEdit(serverBox);
    addressBox_->setObjectName(QStringLiteral("edtIndirizzoServer"));
    addressBox_->setPlaceholderText(QStringLiteral("postgresql://utente@server/brevalto"));
    addressBox_->setMinimumWidth(380);
    if (isServerAddress(current))
        addressBox_->setText(current);
    auto* addressLabel = new QLabel(tr("&Indirizzo del server"), serverBox);
    addressLabel->setBuddy(addressBox_);
    form->addRow(addressLabel, addressBox_);
    form->addRow(new QLabel(tr("La password non va scritta qui: si indica nel file ~/.pgpass "
                               "oppure nella variabile PGPASSWORD."),
                            serverBox));
    testButton_ = new QPushButton(tr("Prova connessione"), serverBox);
    testButton_->setObjectName(QStringLiteral("btnProvaConnessione"));
    useButton_ = new QPushButton(tr("Usa il server"), serverBox);
    useButton_->setObjectName(QStringLiteral("btnUsaServer"));
    auto* serverButtons = new QHBoxLayout;
    serverButtons->addWidget(testButton_);
    serverButtons->addWidget(useButton_);
    serverButtons->addStretch();
    form->addRow(serverButtons);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Annulla"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileBox);
    layout->addWidget(serverBox);
    layout->addWidget(buttons);

    connect(fileButton_, &QPushButton::clicked, this, &LavoraInReteDialog::scegliFile);
    connect(testButton_, &QPushButton::clicked, this, &LavoraInReteDialog::provaConnessione);
    connect(useButton_, &QPushButton::clicked, this, &LavoraInReteDialog::usaServer);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void LavoraInReteDialog::scegliFile() {
    const QString path = prompt().openFileName(tr("Lavora in Rete"), folder_,
                                               QStringLiteral("Database (archivioPa.mdb)"));
    if (path.isEmpty())
        return;
    chosen_ = path;
    accept();
}

QString LavoraInReteDialog::typedAddress() {
    const QString address = addressBox_->text().trimmed();
    if (isServerAddress(address))
        return address;
    prompt().message(Prompt::errorTitle(), tr("Indicare l'indirizzo del server nella forma "
                                              "postgresql://utente@server:porta/database."));
    addressBox_->setFocus();
    return {};
}

void LavoraInReteDialog::provaConnessione() {
    const QString address = typedAddress();
    if (address.isEmpty())
        return;
    QString outcome;
    bool good = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        Connection connection;
        connection.setReadOnly(true);
        connection.open(address);
        if (hasProgramTables(connection)) {
            good = true;
            outcome = tr("Connessione riuscita: %1 contiene un archivio del programma (versione "
                         "%2).")
                          .arg(connection.path())
                          .arg(storedArchiveVersion(connection));
        } else {
            outcome = tr("Il server risponde, ma %1 non contiene un archivio del programma: "
                         "crearlo con \"brevalto create-archive\" oppure copiarvi l'archivio "
                         "con \"brevalto copy-archive\".")
                          .arg(connection.path());
        }
    } catch (const DbError& e) {
        outcome = e.text();
    }
    QApplication::restoreOverrideCursor();
    prompt().message(good ? Prompt::warningTitle() : Prompt::errorTitle(), outcome);
}

void LavoraInReteDialog::usaServer() {
    const QString address = typedAddress();
    if (address.isEmpty())
        return;
    chosen_ = address;
    accept();
}

} // namespace brevalto
