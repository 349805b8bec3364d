#include "documents/BodyRegister.h"

#include "documents/BodyEditor.h"
#include "documents/BodySections.h"
#include "documents/FindingsWindow.h"
#include "documents/InvoiceViewer.h"
#include "documents/NotificheWindow.h"
#include "documents/PecActions.h"
#include "documents/SdiActions.h"
#include "documents/StatoSdiWindow.h"
#include "export/DocumentCheck.h"
#include "export/ExportDriver.h"
#include "export/ExportError.h"
#include "export/FatturaWriter.h"
#include "masterdata/GridLayout.h"
#include "sdi/SigningSettings.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "ui/DataGrid.h"
#include "ui/GuardedAction.h"
#include "ui/ScreenHost.h"

#include <QCoreApplication>
#include <QDate>
#include <QPushButton>

namespace brevalto {

namespace {

Browser bodyRegisterDefinition() {
    return {
        .caption = QStringLiteral("Corpo della fattura"),
        .objectName = QStringLiteral("frmGriglia_PA_Body"),
        .dataset = ds::PA_Body,
        .keyColumn = QStringLiteral("Id"),
        .columns = {{"DatiGenerali_TipoDocumento", "Tipo Documento", 130},
                    {"DatiGenerali_Data", "Data", 100},
                    {"DatiGenerali_Numero", "Numero", 140},
                    {"ImportoTotaleDocumento", "Totale", 120}},
        .tools = {{"spdIndietro", "Indietro", BrowserAction::Indietro},
                  {"spdElimina", "Elimina", BrowserAction::Elimina, "Elimina il record corrente "},
                  {"spdInserisci", "Aggiungi", BrowserAction::Aggiungi,
                   "Inserisce un nuovo Record"},
                  {"spdModifica", "Modifica", BrowserAction::Modifica},
                  {.objectName = "spdEsportaXml",
                   .caption = "Esporta xml",
                   .hint = "Crea il documento XML"},
                  {.objectName = "spdFirma",
                   .caption = "Firma",
                   .hint = "Crea il documento XML e lo firma digitalmente (.p7m)"},
                  {.objectName = "spdInvia",
                   .caption = "Invia",
                   .hint = "Invia il file della fattura al Sistema di Interscambio per posta "
                           "certificata (PEC)"},
                  {.objectName = "spdRicevi",
                   .caption = "Ricevi",
                   .hint = "Legge la casella PEC: ricevute del gestore e notifiche del Sistema di "
                           "Interscambio"},
                  {.objectName = "spdControlla",
                   .caption = "Controlla",
                   .hint = "Controlla la fattura prima dell'invio"},
                  {.objectName = "spdAnteprima",
                   .caption = "Anteprima",
                   .hint = "Anteprima di stampa della fattura"},
                  {.objectName = "spdNotifiche",
                   .caption = "Notifiche…",
                   .hint = "Carica le notifiche del Sistema di Interscambio"},
                  {.objectName = "spdStatoSdi",
                   .caption = "Stato SdI",
                   .hint = "Stato e notifiche del documento presso il Sistema di Interscambio"},
                  {.objectName = "spdReinvia",
                   .caption = "Reinvia",
                   .hint = "Scrive di nuovo un documento scartato con un nuovo nome di file",
                   .stretchAfter = true},
                  {"SpeedButton1", "Esci programma", BrowserAction::Custom, "Esci"}},
        .searchBoxes = {{"Tipo Doc.", "DatiGenerali_TipoDocumento"},
                        {"Numero", "DatiGenerali_Numero"}},
        .deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il Record ?"),
        .layoutName = QStringLiteral("frmGriglia_PA_Body"),
        .clearFilterOnAdd = false,
        .size = {820, 520},
    };
}

} // namespace

BodyRegister::BodyRegister(DataModule& db, QWidget* parent)
    : BrowserBase(db, bodyRegisterDefinition(), parent) {
    connect(button(QStringLiteral("spdEsportaXml")), &QPushButton::clicked, this,
            guard([this] { esportaXml(); }));
    connect(button(QStringLiteral("spdFirma")), &QPushButton::clicked, this,
            guard([this] { firma(); }));
    connect(button(QStringLiteral("spdInvia")), &QPushButton::clicked, this,
            guard([this] { invia(); }));
    connect(button(QStringLiteral("spdRicevi")), &QPushButton::clicked, this,
            guard([this] { riceviPec(db_, this); }));
    connect(button(QStringLiteral("spdControlla")), &QPushButton::clicked, this,
            guard([this] { controlla(); }));
    connect(button(QStringLiteral("spdAnteprima")), &QPushButton::clicked, this,
            guard([this] { anteprima(); }));
    connect(button(QStringLiteral("spdNotifiche")), &QPushButton::clicked, this, guard([this] {
                NotificheWindow window(db_, this);
                showModal(window);
            }));
    connect(button(QStringLiteral("spdStatoSdi")), &QPushButton::clicked, this, guard([this] {
                StatoSdiWindow window(db_, this);
                showModal(window);
            }));
    connect(button(QStringLiteral("spdReinvia")), &QPushButton::clicked, this,
            guard([this] { reinvia(db_, prompt()); }));
    connect(button(QStringLiteral("SpeedButton1")), &QPushButton::clicked, this,
            guard([this] { esciProgramma(); }));
    installGridLayoutMenu(*grid(), definition().layoutName, db);
    // The Document was deleted on another workstation: its bodies are gone with it.
    connect(&db, &DataModule::documentDeleted, this, [this] { done(QDialog::Rejected); });
}

void BodyRegister::setBodyEditor(BodyEditor* editor) {
    bodyEditor_ = editor;
    setEditor(editor);
}

void BodyRegister::fillNewRow() {
    Dataset& bodies = dataset();
    const Dataset& header = db_.table(ds::PA_FE_Header);
    bodies.setValue(QStringLiteral("DatiGenerali_Data"), QDate::currentDate());
    bodies.setValue(QStringLiteral("PA_FE_Header_Id"), header.value(QStringLiteral("id")));
    bodies.setValue(QStringLiteral("DatiGenerali_TipoDocumento"), QStringLiteral("TD01"));
    bodies.setValue(QStringLiteral("DatiGenerali_Divisa"), QStringLiteral("EUR"));
    for (const char* flag :
         {"DatiTrasporto", "DatiAnagraficiVettore", "FatturaPrincipale", "IndirizzoResa"})
        bodies.setValue(QLatin1String(flag), false);
}

void BodyRegister::openNewRow() {
    if (bodyEditor_)
        bodyEditor_->setAnnullaVisible(true);
    modifica();
    if (bodyEditor_)
        bodyEditor_->setAnnullaVisible(false);
}

void BodyRegister::requeryChildren() {
    db_.requeryBodyChildren();
}

void BodyRegister::modifica() {
    if (dataset().isEmpty())
        return;
    try {
        requeryChildren();
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
        return;
    }
    if (bodyEditor_)
        bodyEditor_->selectFirstTab();
    if (db_.batchInsert() || !bodyEditor_)
        return;
    showModal(*bodyEditor_);
}

bool BodyRegister::elimina() {
    return deleteCurrentBody(db_, prompt());
}

void BodyRegister::esportaXml() {
    if (!documentStillThere())
        return;
    ExportDriver driver(db_, prompt());
    driver.setCheckMode(ExportDriver::CheckMode::Ask);
    driver.run();
}

void BodyRegister::firma() {
    const std::optional<sdi::SigningKey> configured = configuredSigningKey(prompt());
    if (!configured)
        return;
    const sdi::SigningKey& key = *configured;
    if (!documentStillThere())
        return;
    ExportDriver driver(db_, prompt());
    driver.setCheckMode(ExportDriver::CheckMode::Ask);
    driver.setSigning(ExportDriver::Signing{key});
    driver.run();
}

void BodyRegister::invia() {
    if (!documentStillThere())
        return;
    inviaDocumenti(db_, {db_.table(ds::PA_FE_Header).integer(QStringLiteral("id"))}, this);
}

bool BodyRegister::documentStillThere() {
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
        return false;
    }
    return true;
}

bool BodyRegister::buildInMemory(const std::function<void()>& build) {
    if (dataset().isEmpty()) {
        prompt().message(Prompt::warningTitle(), fattura::kNoBodiesMessage);
        return false;
    }
    // Building the file walks every body; the user stays on the body they were on.
    const QVariant current = dataset().value(QStringLiteral("Id"));
    try {
        build();
    } catch (const ExportError& e) {
        dataset().locate(QStringLiteral("Id"), current);
        prompt().message(e.kind() == ExportError::Kind::Abort ? Prompt::warningTitle()
                                                              : Prompt::errorTitle(),
                         e.text());
        return false;
    }
    dataset().locate(QStringLiteral("Id"), current);
    return true;
}

const QString BodyRegister::kNoFindingsMessage = QStringLiteral("Nessun errore rilevato");

void BodyRegister::controlla(QDate today) {
    check::Findings findings;
    if (!buildInMemory([&] { findings = checkCurrentDocument(db_, today); }))
        return;
    if (findings.isEmpty()) {
        prompt().message(Prompt::warningTitle(), kNoFindingsMessage);
        return;
    }
    FindingsWindow window(db_, findings, this);
    window.openBody = [this](int body) {
        if (body > dataset().rowCount())
            return;
        dataset().moveTo(body - 1);
        modifica();
    };
    showModal(window);
}

void BodyRegister::anteprima() {
    QByteArray xml;
    QString name;
    check::Findings findings;
    const bool built = buildInMemory([&] {
        xml = buildInvoiceXml(db_);
        name = ExportDriver(db_, prompt()).proposedFileName();
        // The preview lists what the check finds, data left out of the file included.
        findings = checkDocumentText(db_, xml);
    });
    if (built)
        showDocumentPreview(db_, xml, name, findings, this);
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
