#include "utility/ErroriBrowser.h"

#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "ui/Help.h"
#include "ui/ScreenHost.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevalto {

namespace {

QPushButton* aiutoButton(QWidget* parent) {
    auto* b = new QPushButton(QObject::tr("Aiuto"), parent);
    b->setObjectName(QStringLiteral("spdHelp"));
    b->setToolTip(QObject::tr("Guida in linea del programma"));
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, parent, [] { openHelp(); });
    return b;
}

QPlainTextEdit* wrappedText(const QString& objectName, int lines, QWidget* parent) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setMinimumHeight(box->fontMetrics().lineSpacing() * lines + 12);
    return box;
}

} // namespace

ErroreDettaglioWindow::ErroreDettaglioWindow(DataModule& db, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      dataset_(db.table(ds::ErroriScartoFatturazioneElettronica)) {
    setObjectName(QStringLiteral("frmDettaglioErroriFatturazioneElettronica"));
    setWindowTitle(tr("Errore Fatturazione Elettronica"));
    codice_ = new QLineEdit(this);
    codice_->setObjectName(QStringLiteral("DBEdit1"));
    codice_->setReadOnly(true);
    codice_->setMaximumWidth(120);
    titolo_ = wrappedText(QStringLiteral("DBMemo1"), 2, this);
    titolo_->setMaximumHeight(titolo_->minimumHeight()); // a title takes a line or two
    descrizione_ = wrappedText(QStringLiteral("DBMemo2"), 5, this);
    suggerimenti_ = wrappedText(QStringLiteral("DBMemo3"), 5, this);

    auto* form = new QFormLayout;
    form->addRow(tr("Codice"), codice_);
    form->addRow(tr("Titolo"), titolo_);
    form->addRow(tr("Descrizione"), descrizione_);
    form->addRow(tr("Suggerimenti"), suggerimenti_);

    auto* back = new QPushButton(tr("Indietro"), this);
    back->setObjectName(QStringLiteral("spdIndietro"));
    back->setToolTip(tr("Torna indietro"));
    back->setAutoDefault(false);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(aiutoButton(this));
    buttons->addStretch();
    buttons->addWidget(back);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(620, 460);
}

void ErroreDettaglioWindow::showEvent(QShowEvent* event) {
    refresh();
    QDialog::showEvent(event);
}

void ErroreDettaglioWindow::refresh() {
    const bool any = dataset_.isOpen() && !dataset_.isEmpty();
    const auto text = [&](const char* column) {
        return any ? dataset_.text(QLatin1String(column)) : QString();
    };
    codice_->setText(text("Codice"));
    titolo_->setPlainText(text("Titolo"));
    descrizione_->setPlainText(text("Descrizione"));
    suggerimenti_->setPlainText(text("Suggerimenti"));
}

QString ErroreDettaglioWindow::codice() const {
    return codice_->text();
}
QString ErroreDettaglioWindow::titolo() const {
    return titolo_->toPlainText();
}
QString ErroreDettaglioWindow::descrizione() const {
    return descrizione_->toPlainText();
}
QString ErroreDettaglioWindow::suggerimenti() const {
    return suggerimenti_->toPlainText();
}

ErroriBrowser::ErroriBrowser(DataModule& db, QWidget* parent)
    : BrowserBase(
          db,
          {.caption = "Elenco Errori scarto fatturazione elettronica",
           .objectName = "frmGrigliaErroriFatturazioneElettronica",
           .dataset = ds::ErroriScartoFatturazioneElettronica,
           .keyColumn = "Codice",
           .columns = {{"Codice", "Codice", 70},
                       {"Titolo", "Titolo", 260},
                       {"Descrizione", "Descrizione", 320},
                       {"Suggerimenti", "Suggerimenti", 320}},
           .tools = {{"spdHelp", "Aiuto", BrowserAction::Custom, "Guida in linea del programma"},
                     {"spdRicarica", "Ricarica", BrowserAction::Ricarica,
                      "Ricarica i dati dal database"},
                     {"spdIndietro", "Indietro", BrowserAction::Indietro, "Torna indietro"},
                     {"spdAvanti", "Avanti", BrowserAction::Modifica, "và avanti"}},
           .searchBoxes = {{"Codice", "Codice"}, {"Titolo", "Titolo"}},
           .layoutName = "frmGrigliaErroriFatturazioneElettronica",
           .size = {980, 560}},
          parent) {
    connect(button(QStringLiteral("spdHelp")), &QPushButton::clicked, this, [] { openHelp(); });
    // The search boxes keep the names the program has always given them.
    searchBox(0)->setObjectName(QStringLiteral("Edit2"));
    searchBox(1)->setObjectName(QStringLiteral("Edit4"));
}

void ErroriBrowser::openEditor() {
    if (!detail_)
        return;
    detail_->refresh();
    showModal(*detail_);
}

} // namespace brevalto
