#include "masterdata/MasterBrowsers.h"

#include "masterdata/TableEditors.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "ui/EditorBase.h"
#include "ui/GuardedAction.h"
#include "ui/ScreenHost.h"

namespace brevalto {

CedentiBrowser::CedentiBrowser(DataModule& db, QWidget* parent)
    : BrowserBase(db,
                  {.caption = "Griglia Cedenti Prestatori",
                   .objectName = "frmGrigliaCedentiPrestatori",
                   .dataset = "TablePA_CedentePrestatore",
                   .keyColumn = "CedentePrestatore_Id",
                   .columns = {{"CedentePrestatore_IdPaese", "Paese", 50},
                               {"CedentePrestatore_IdCodice", "P.Iva", 110},
                               {"CedentePrestatore_CodiceFiscale", "Codice Fiscale", 140},
                               {"CedentePrestatore_Denominazione", "Denominazione", 240},
                               {"CedentePrestatore_Cognome", "Cognome", 130},
                               {"CedentePrestatore_Nome", "Nome", 130}},
                   .searchBoxes = {{"Denominaz.", "CedentePrestatore_Denominazione"},
                                   {"P.Iva", "CedentePrestatore_IdCodice"},
                                   {"Nome", "CedentePrestatore_Nome"},
                                   {"Cognome", "CedentePrestatore_Cognome"},
                                   {"Cod. Fisc.", "CedentePrestatore_CodiceFiscale"}},
                   .initialValues = {{"CedentePrestatore_IdPaese", "IT"},
                                     {"CedentePrestatore_Sede_Nazione", "IT"}},
                   .deleteQuestion = "Sei sicuro di voler eliminare il Cedente - Prestatore ?",
                   .layoutName = "frmGrigliaCedentiPrestatori",
                   .readsListedColumns = true},
                  parent) {}

CessionariBrowser::CessionariBrowser(DataModule& db, QWidget* parent)
    : BrowserBase(
          db,
          {.caption = "Cessionari - Committenti",
           .objectName = "frmGriglia_CessionarioCommittente",
           .dataset = "TablePA_CessionarioCommittente",
           .keyColumn = "CessionarioCommittente_ID",
           .columns = {{"CessionarioCommittente_NominativoVisualizzato", "Denominazione", 300},
                       {"CessionarioCommittente_IdPaese", "Paese", 50},
                       {"CessionarioCommittente_IdCodice", "P.Iva", 110},
                       {"CessionarioCommittente_CodiceUnivocoUfficio", "Cod. Univoco Uff.", 110},
                       {"CessionarioCommittente_CodiceFiscale", "Codice Fiscale", 140}},
           .searchBoxes = {{"Denominaz.", "CessionarioCommittente_NominativoVisualizzato"},
                           {"P.Iva", "CessionarioCommittente_IdCodice"},
                           {"Nome", "CessionarioCommittente_Nome"},
                           {"Cognome", "CessionarioCommittente_Cognome"},
                           {"Cod. Fisc.", "CessionarioCommittente_CodiceFiscale"}},
           .initialValues = {{"CessionarioCommittente_IdPaese", "IT"},
                             {"CessionarioCommittente_Sede_Nazione", "IT"}},
           .deleteQuestion = "Sei sicuro di voler eliminare il Cessionario - Committente ?",
           .layoutName = "frmGriglia_CessionarioCommittente",
           .readsListedColumns = true},
          parent) {}

bool CessionariBrowser::elimina() {
    if (dataset().isEmpty())
        return false;
    QString question = definition().deleteQuestion;
    int documents = 0;
    if (!guarded([&] {
            documents = db_.connessione()
                            .scalar(QStringLiteral("select count(*) from PA_FE_Header where "
                                                   "CessionarioCommittente_ID = ?"),
                                    {dataset().value(definition().keyColumn)})
                            .toInt();
        }))
        return false;
    if (documents > 0)
        question = (documents == 1
                        ? QStringLiteral("Il Cessionario - Committente è indicato in 1 documento, "
                                         "che conserva la propria copia dei suoi dati.")
                        : QStringLiteral("Il Cessionario - Committente è indicato in %1 "
                                         "documenti, che conservano la propria copia dei suoi "
                                         "dati.")
                              .arg(documents)) +
                   QStringLiteral("\n\n") + question;
    if (!prompt().question(Prompt::warningTitle(), question))
        return false;
    return guarded([this] { deleteCurrent(); });
}

ComuniBrowser::ComuniBrowser(DataModule& db, QWidget* parent)
    : BrowserBase(db,
                  {.caption = "Comuni",
                   .objectName = "frmGrigliaComuni",
                   .dataset = "TableComuni",
                   .keyColumn = "ID",
                   .columns = {{"Comune", "Comune", 240},
                               {"Provincia", "Prov.", 50},
                               {"Cap", "Cap", 70},
                               {"COD_ISTAT", "Cod. Istat", 90},
                               {"CODICE_F", "Cod. Belfiore", 100},
                               {"PrefNaz", "Prefisso Tel.", 100}},
                   .searchBoxes = {{"Descrizione", "Comune"},
                                   {"Codice Istat", "COD_ISTAT"},
                                   {"Codice Belfiore", "CODICE_F"},
                                   {"Provincia", "Provincia"},
                                   {"Prefisso", "PrefNaz"},
                                   {"Cap", "Cap"}},
                   .initialValues = {{"Nazione_ID", 390}, {"CAP", "00000"}},
                   .deleteQuestion = "Sei sicuro di voler eliminare il Comune ?",
                   .layoutName = "frmGrigliaComuni",
                   .size = {760, 560}},
                  parent) {}

bool ComuniBrowser::canDelete() {
    const QString name = dataset().text(QStringLiteral("Comune"));
    const QString users =
        municipalityUsers(dataset().connection(), name, dataset().value(QStringLiteral("ID")));
    if (users.isEmpty())
        return true;
    prompt().message(Prompt::warningTitle(),
                     QStringLiteral("Il Comune %1 non può essere eliminato: è indicato da %2, "
                                    "che senza di esso non si potrebbero più salvare.")
                         .arg(name, users));
    return false;
}

IvaBrowser::IvaBrowser(DataModule& db, QWidget* parent)
    : BrowserBase(db,
                  {.caption = "Iva",
                   .objectName = "frmGrigliaIva",
                   .dataset = "TableIva",
                   .keyColumn = "ID",
                   .columns = {{"Iva", "Aliquota Iva", 90},
                               {"Pa_Natura_Codice", "esenzione", 80},
                               {"Descrizione", "Descrizione", 420}},
                   .initialValues = {{"Iva", 0}},
                   .deleteQuestion = "Sei sicuro di voler eliminare questa aliquota Iva ?",
                   .layoutName = "frmGrigliaIva",
                   .size = {680, 480}},
                  parent) {}

bool IvaBrowser::canDelete() {
    if (!dataset().flag(QStringLiteral("NonEliminabile")))
        return true;
    prompt().message(Prompt::warningTitle(), QStringLiteral("Aliquota Iva non Eliminabile"));
    return false;
}

VettoriBrowser::VettoriBrowser(DataModule& db, QWidget* parent)
    : BrowserBase(db,
                  {.caption = " Vettori",
                   .objectName = "frmGrigliaVettori",
                   .dataset = "TableVettori",
                   .keyColumn = "ID",
                   .columns = {{"Denominazione", "Rag. Sociale", 260},
                               {"Cognome", "Cognome", 160},
                               {"Nome", "Nome", 160}},
                   .searchBoxes = {{"Rag. Sociale", "Denominazione"}, {"Cognome", "Cognome"}},
                   .initialValues = {{"IdPaese", "IT"}},
                   .deleteQuestion = "Sei sicuro di voler eliminare il Vettore ?",
                   .layoutName = "frmGrigliaVettori",
                   .size = {680, 480}},
                  parent) {}

void openSellers(DataModule& db, BrowserBase& browser, EditorBase& editor) {
    if (db.table(ds::Opzioni).flag(QStringLiteral("StudioCommerciale"))) {
        showModal(browser);
        return;
    }
    Dataset& sellers = editor.dataset();
    sellers.setFilter(QString()); // a search left in the list must not hide the one seller
    if (sellers.isEmpty()) {
        // The new seller starts as one added to the list does.
        sellers.append();
        for (const auto& [column, value] : browser.definition().initialValues)
            sellers.setValue(column, value);
    }
    editor.selectFirstTab();
    showModal(editor);
    // Left with nothing typed: the starting values alone are no seller.
    if (sellers.state() == Dataset::State::Insert && !editor.isModified())
        sellers.cancel();
    editor.selectFirstTab();
}

void openSingleRow(EditorBase& editor, const QString& flagColumn) {
    Dataset& row = editor.dataset();
    if (row.isEmpty()) {
        row.append();
        row.setValue(flagColumn, true);
        editor.setModified(true);
    }
    showModal(editor);
}

void showThenClearSearch(BrowserBase& browser) {
    showModal(browser);
    browser.clearSearch();
}

} // namespace brevalto
