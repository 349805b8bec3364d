#include "documents/BodyRegister.h"

#include "documents/BodyEditor.h"
#include "documents/BodySections.h"
#include "export/ExportDriver.h"
#include "masterdata/GridLayout.h"
#include "store/DataModule.h"
#include "store/Routines.h"
#include "ui/BrowserBase.h"
#include "ui/DataGrid.h"
#include "ui/FieldNavigator.h"
#include "ui/QtPrompt.h"
#include "ui/ScreenHost.h"

#include <QCoreApplication>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevalto {

namespace {

const QString kBodies = QStringLiteral("TablePA_Body");

} // namespace

BodyRegister::BodyRegister(DataModule& db, QWidget* parent)
    : QDialog(parent), db_(db), grid_(new DataGrid(this)), edit2_(new QLineEdit(this)),
      edit3_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("frmGriglia_PA_Body"));
    setWindowTitle(QStringLiteral("Corpo della fattura"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(820, 520);

    auto* buttons = new QHBoxLayout;
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        std::function<void()> action;
    } tools[] = {
        {"spdIndietro", "Indietro", "", [this] { accept(); }},
        {"spdElimina", "Elimina", "Elimina il record corrente ", [this] { elimina(); }},
        {"spdInserisci", "Aggiungi", "Inserisce un nuovo Record", [this] { aggiungi(); }},
        {"spdModifica", "Modifica", "", [this] { modifica(); }},
        {"spdEsportaXml", "Esporta xml", "Crea il documento XML", [this] { esportaXml(); }},
        {"SpeedButton1", "Esci programma", "Esci", [this] { esciProgramma(); }},
    };
    for (const auto& tool : tools) {
        auto* b = new QPushButton(QString::fromUtf8(tool.caption), this);
        b->setObjectName(QLatin1String(tool.name));
        b->setToolTip(QString::fromUtf8(tool.hint));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, tool.action);
        buttons->addWidget(b);
        if (QLatin1String(tool.name) == QLatin1String("spdEsportaXml"))
            buttons->addStretch();
    }

    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setDataset(&db.table(kBodies));
    grid_->setColumns({{"DatiGenerali_TipoDocumento", "Tipo Documento", 130},
                       {"DatiGenerali_Data", "Data", 100},
                       {"DatiGenerali_Numero", "Numero", 140},
                       {"ImportoTotaleDocumento", "Totale", 120}});
    installGridLayoutMenu(*grid_, QStringLiteral("frmGriglia_PA_Body"), db);
    connect(grid_, &DataGrid::rowActivated, this, &BodyRegister::modifica);

    edit2_->setObjectName(QStringLiteral("Edit2"));
    edit3_->setObjectName(QStringLiteral("Edit3"));
    connect(edit2_, &QLineEdit::textChanged, this, &BodyRegister::applySearch);
    connect(edit3_, &QLineEdit::textChanged, this, &BodyRegister::applySearch);
    auto* search = new QGridLayout;
    search->addWidget(new QLabel(QStringLiteral("Cerca Per:")), 1, 0);
    search->addWidget(new QLabel(QStringLiteral("Tipo Doc.")), 0, 1);
    search->addWidget(edit2_, 1, 1);
    search->addWidget(new QLabel(QStringLiteral("Numero")), 0, 2);
    search->addWidget(edit3_, 1, 2);
    search->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(grid_, 1);
    layout->addLayout(search);
    new FieldNavigator(this);
    // The Document was deleted on another workstation: its bodies are gone with it.
    connect(&db, &DataModule::documentDeleted, this, [this] { done(QDialog::Rejected); });
}

QPushButton* BodyRegister::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

void BodyRegister::applySearch() {
    Dataset& bodies = db_.table(kBodies);
    try {
        bodies.setFilter(QString());
        bodies.setFilter(BrowserBase::searchFilter(
            {{QStringLiteral("DatiGenerali_TipoDocumento"), edit2_->text()},
             {QStringLiteral("DatiGenerali_Numero"), edit3_->text()}}));
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
    }
}

bool BodyRegister::aggiungi() {
    Dataset& bodies = db_.table(kBodies);
    const Dataset& header = db_.table(QStringLiteral("TablePA_FE_Header"));
    try {
        bodies.edit();
        bodies.insert();
        bodies.edit();
        bodies.setValue(QStringLiteral("DatiGenerali_Data"), QDate::currentDate());
        bodies.setValue(QStringLiteral("PA_FE_Header_Id"), header.value(QStringLiteral("id")));
        bodies.setValue(QStringLiteral("DatiGenerali_TipoDocumento"), QStringLiteral("TD01"));
        bodies.setValue(QStringLiteral("DatiGenerali_Divisa"), QStringLiteral("EUR"));
        for (const char* flag :
             {"DatiTrasporto", "DatiAnagraficiVettore", "FatturaPrincipale", "IndirizzoResa"})
            bodies.setValue(QLatin1String(flag), false);
    } catch (const DbError& e) {
        if (bodies.state() != Dataset::State::Browse)
            bodies.cancel();
        prompt().message(Prompt::errorTitle(), e.text());
        return false;
    }
    QString error;
    if (!SaveNewRecord(bodies, QStringLiteral("Id"), &error)) {
        prompt().message(Prompt::errorTitle(),
                         QStringLiteral("Impossibile aggiungere il record.\n%1").arg(error));
        return false;
    }
    if (editor_)
        editor_->setAnnullaVisible(true);
    modifica();
    if (editor_)
        editor_->setAnnullaVisible(false);
    return true;
}

void BodyRegister::requeryChildren() {
    db_.requeryBodyChildren();
}

void BodyRegister::modifica() {
    if (db_.table(kBodies).isEmpty())
        return;
    try {
        requeryChildren();
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
        return;
    }
    if (editor_)
        editor_->selectFirstTab();
    if (db_.batchInsertMode != 0 || !editor_)
        return;
    showModal(*editor_);
}

bool BodyRegister::elimina() {
    return deleteCurrentBody(db_, prompt());
}

void BodyRegister::esportaXml() {
    bool gone = false;
    try {
        gone = db_.documentGone();
    } catch (const DbError&) {
        // The export reports what is wrong with the archive.
    }
    if (gone) {
        // Another workstation deleted the Document: there is nothing left to export.
        prompt().message(Prompt::errorTitle(), DataModule::documentGoneText());
        db_.dropGoneDocument();
        return;
    }
    ExportDriver(db_, prompt()).run();
}

void BodyRegister::esciProgramma() {
    if (quitProgram) {
        quitProgram();
        return;
    }
    try {
        db_.connessione().close();
    } catch (...) {
    }
    QCoreApplication::quit();
}

} // namespace brevalto
