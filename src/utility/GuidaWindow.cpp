#include "utility/GuidaWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace brevalto {

GuidaWindow::GuidaWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowMaximizeButtonHint) {
    setObjectName(QStringLiteral("frmGuida"));
    setWindowTitle(tr("Guida di Brevalto"));
    setModal(false);

    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("guida"));
    browser_->setAccessibleName(tr("Guida"));
    browser_->setOpenExternalLinks(true);
    browser_->setSource(QUrl(QStringLiteral("qrc:/data/guida/index.html")));

    auto* home = new QPushButton(tr("Indice"), this);
    home->setObjectName(QStringLiteral("spdIndice"));
    home->setAutoDefault(false);
    connect(home, &QPushButton::clicked, browser_, &QTextBrowser::home);
    auto* back = new QPushButton(tr("Indietro"), this);
    back->setObjectName(QStringLiteral("spdIndietro"));
    back->setAutoDefault(false);
    connect(back, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(home);
    buttons->addStretch();
    buttons->addWidget(back);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    layout->addLayout(buttons);
    resize(720, 620);
}

} // namespace brevalto
