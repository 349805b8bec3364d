#include "settings/RealizzazioneWindow.h"

#include "store/ArchiveAddress.h"
#include "store/ArchiveUpgrade.h"
#include "store/Version.h"

#include <QDesktopServices>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevalto {

namespace {

QLabel* linkLabel(const QString& href, const QString& text, const QString& objectName) {
    auto* label =
        new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(href, text.toHtmlEscaped()));
    label->setObjectName(objectName);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setOpenExternalLinks(false);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

void RealizzazioneWindow::showInstallation(const QString& archivePath, bool archiveOpen,
                                           const QString& programFolder) {
    archive_->setText(archivePath.isEmpty() || !archiveOpen
                          ? QStringLiteral("nessun archivio aperto")
                          : QDir::toNativeSeparators(locationWithoutPassword(archivePath)));
    folder_->setText(QDir::toNativeSeparators(programFolder));
}

QString RealizzazioneWindow::webAddress() {
    return QStringLiteral("https://brevalto.example");
}
QString RealizzazioneWindow::mailAddress() {
    return QStringLiteral("assistenza@brevalto.example");
}

RealizzazioneWindow::RealizzazioneWindow(QWidget* parent)
    : QDialog(parent), web_(linkLabel(webAddress(), webAddress(), QStringLiteral("lblSitoWeb"))),
      mail_(linkLabel(QStringLiteral("mailto:") + mailAddress(), mailAddress(),
                      QStringLiteral("lblEmail"))),
      indietro_(new QPushButton(QStringLiteral("Indietro"))), version_(new QLabel),
      archive_(new QLabel), folder_(new QLabel) {
    setObjectName(QStringLiteral("frmRealizzazione"));
    setWindowTitle(QStringLiteral("Realizzazione"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    auto* name = new QLabel(QStringLiteral("<h2>Brevalto</h2>"));
    name->setAlignment(Qt::AlignCenter);
    auto* about = new QLabel(QStringLiteral("Fatture elettroniche nel formato FatturaPA 1.2<br>"
                                            "per la Pubblica Amministrazione e per i privati."));
    about->setAlignment(Qt::AlignCenter);
    version_->setObjectName(QStringLiteral("lblVersione"));
    version_->setText(QStringLiteral("Versione %1 (archivio versione %2)")
                          .arg(programVersion())
                          .arg(requiredArchiveVersion));
    version_->setAlignment(Qt::AlignCenter);

    // Where the data live: paths can be selected and copied for support.
    auto* installation = new QFormLayout;
    const auto pathLabel = [this, installation](QLabel* label, const QString& objectName,
                                                const QString& caption) {
        label->setObjectName(objectName);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        auto* title = new QLabel(caption, this);
        title->setBuddy(label);
        label->setAccessibleName(caption.chopped(1));
        installation->addRow(title, label);
    };
    pathLabel(archive_, QStringLiteral("lblArchivio"), QStringLiteral("Archivio in uso:"));
    pathLabel(folder_, QStringLiteral("lblCartellaProgramma"),
              QStringLiteral("Cartella del programma:"));
    showInstallation(QString(), false, QString());
    auto* contacts = new QLabel(QStringLiteral("Assistenza e informazioni:"));
    contacts->setAlignment(Qt::AlignCenter);

    indietro_->setObjectName(QStringLiteral("spdIndietro"));
    indietro_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(indietro_);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addSpacing(8);
    layout->addWidget(name);
    layout->addWidget(about);
    layout->addSpacing(6);
    layout->addWidget(version_);
    layout->addSpacing(12);
    layout->addLayout(installation);
    layout->addSpacing(12);
    layout->addWidget(contacts);
    layout->addWidget(mail_);
    layout->addWidget(web_);
    layout->addStretch();
    layout->setContentsMargins(16, 12, 16, 16);
    setMinimumWidth(460);

    const auto open = [this](const QString& link) {
        if (openUrl)
            openUrl(QUrl(link));
    };
    connect(web_, &QLabel::linkActivated, this, open);
    connect(mail_, &QLabel::linkActivated, this, open);
    connect(indietro_, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace brevalto
