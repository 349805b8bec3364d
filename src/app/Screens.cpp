#include "app/Screens.h"

#include "app/MainWindow.h"
#include "app/PasswordDialog.h"
#include "app/StartUp.h"
#include "documents/BatchScreen.h"
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "documents/DocumentiEditors.h"
#include "documents/HeaderEditor.h"
#include "documents/HeaderPartyEditors.h"
#include "documents/LineeEditors.h"
#include "documents/NotificheWindow.h"
#include "documents/PagamentoEditors.h"
#include "documents/RiepilogoEditor.h"
#include "documents/SdiRegister.h"
#include "import/ImportAction.h"
#include "logic/DocumentRegister.h"
#include "logic/RiepilogoBuilder.h"
#include "masterdata/GridLayout.h"
#include "masterdata/MasterBrowsers.h"
#include "masterdata/PartyEditors.h"
#include "masterdata/TableEditors.h"
#include "settings/DittaWindow.h"
#include "settings/OpzioniWindow.h"
#include "settings/RealizzazioneWindow.h"
#include "store/DamageCheck.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "ui/DataGrid.h"
#include "ui/FieldHelp.h"
#include "ui/GuardedAction.h"
#include "ui/Help.h"
#include "ui/ScreenHost.h"
#include "utility/DescrizioneFunzionaliWindow.h"
#include "utility/DettaglioVeloceWindow.h"
#include "utility/ErroriBrowser.h"
#include "utility/EsportazioniWindow.h"
#include "utility/GuidaWindow.h"
#include "utility/ImportaElencoPaWindow.h"
#include "utility/ImportaWindow.h"
#include "utility/TrovaPaWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <algorithm>

namespace brevalto {

Screens::Screens(Environment environment) : environment_(std::move(environment)) {
    // The two roots first: the main window (which owns every screen) and the data module.
    mainWindow_ = std::make_unique<MainWindow>(*this);
    dataModule_ = std::make_unique<DataModule>();
    mainWindow_->bindDocuments(dataModule_->table(ds::PA_FE_Header));
    registerScreens();

    setFieldHelpHandler(
        [this](const QString& code) { get<DescrizioneFunzionaliWindow>().showElement(code); });
    setHelpHandler([this] { showModeless(get<GuidaWindow>()); });
    installHelpKey(mainWindow_.get());
    documents_ = std::make_unique<DocumentRegister>(*dataModule_, installedPrompt());
    batch_ = new BatchScreen(*dataModule_, *mainWindow_->documentGrid(), mainWindow_.get());
    damageCheck_ = std::make_unique<DamageCheck>();
    QObject::connect(damageCheck_.get(), &DamageCheck::damageFound, mainWindow_.get(),
                     [this](const QString& path) { reportDamage(*this, path); });
    wireScreens();
}

// A master-data list: made with its editor, its grid's layout registered.
template <typename List, typename Editor> void Screens::addList() {
    add<List>([this] {
        auto* list = new List(*dataModule_, mainWindow_.get());
        list->setEditor(&get<Editor>());
        registerLayoutGrid(list->definition().layoutName, list->grid());
        return list;
    });
}

// The table of screens: each line makes one screen and wires it to the others. A screen asks for
// another only when it needs it at once (a list and its editor); otherwise it keeps a function
// that asks when the user gets there, so that no screen is made before its time.
void Screens::registerScreens() {
    DataModule& db = *dataModule_;
    QWidget* owner = mainWindow_.get();
    QStringList tabCaptions;
    for (int i = 0; i < mainWindow_->tabs()->count(); ++i)
        tabCaptions << mainWindow_->tabs()->tabText(i);

    add<RealizzazioneWindow>([=] { return new RealizzazioneWindow(owner); });
    add<DittaWindow>([=, &db, this] {
        auto* firm = new DittaWindow(db, owner);
        firm->saved = [this, &db] { mainWindow_->showFirmInTitle(db.table(ds::Ditta)); };
        return firm;
    });
    add<CedenteEditor>([=, &db] { return new CedenteEditor(db, owner); });
    add<CessionarioEditor>([=, &db, this] {
        auto* editor = new CessionarioEditor(db, owner);
        editor->setFinder([this] {
            auto& finder = get<TrovaPaWindow>();
            finder.reset();
            showModal(finder);
        });
        return editor;
    });
    addList<ComuniBrowser, ComuneEditor>();
    add<ComuneEditor>([=, &db] { return new ComuneEditor(db, owner); });
    add<DescrizioneFunzionaliWindow>([=, &db] {
        auto* window = new DescrizioneFunzionaliWindow(owner);
        window->setDataset(&db.table(ds::PA_DescrizioniFunzionali));
        return window;
    });
    add<RappresentanteFiscaleEditor>(
        [=, &db] { return new RappresentanteFiscaleEditor(db, owner); });
    addList<IvaBrowser, IvaEditor>();
    add<IvaEditor>([=, &db] { return new IvaEditor(db, owner); });
    add<TerzoIntermediarioEditor>([=, &db] { return new TerzoIntermediarioEditor(db, owner); });
    addList<VettoriBrowser, VettoreEditor>();
    add<VettoreEditor>([=, &db] { return new VettoreEditor(db, owner); });
    add<OpzioniWindow>([=, &db, this] {
        auto* window = new OpzioniWindow(db, tabCaptions, owner);
        window->setMultiSellerSelectorsVisible = [this](bool visible) {
            setMultiSellerSelectorsVisible(visible);
        };
        return window;
    });
    add<PasswordDialog>([=] { return new PasswordDialog(owner); });

    // The Document: header → its party screens → customer → body register → body editor →
    // section screens.
    add<HeaderEditor>([=, &db, this] {
        auto* header = new HeaderEditor(db, owner);
        header->setPartyScreens(&get<HeaderCedenteEditor>(), &get<HeaderRappresentanteEditor>(),
                                &get<HeaderTerzoIntermediarioEditor>(),
                                &get<HeaderCessionarioEditor>());
        header->deleteCurrentDocument = [this] { documents_->elimina(); };
        return header;
    });
    add<HeaderCedenteEditor>([=, &db, this] {
        auto* cedente = new HeaderCedenteEditor(db, owner);
        registerMultiSellerSelector(cedente->sellerSelector(), cedente->sellerSelectorLabel());
        return cedente;
    });
    add<HeaderRappresentanteEditor>([=, &db] { return new HeaderRappresentanteEditor(db, owner); });
    add<HeaderCessionarioEditor>([=, &db, this] {
        auto* cessionario = new HeaderCessionarioEditor(db, owner);
        cessionario->openBodyRegister = [this] { showModal(get<BodyRegister>()); };
        // The new-customer button: the customer list's "Aggiungi", without the list; the
        // customer kept (not taken back with "Annulla") becomes the Document's.
        cessionario->setAddCustomer([this, cessionario] {
            auto& customers = get<CessionariBrowser>();
            if (!customers.aggiungi() || get<CessionarioEditor>().result() != QDialog::Accepted)
                return;
            Dataset& document = cessionario->dataset();
            document.edit();
            document.setValue(
                QStringLiteral("CessionarioCommittente_ID"),
                customers.dataset().value(QStringLiteral("CessionarioCommittente_ID")));
            cessionario->copyBuyer();
        });
        return cessionario;
    });
    add<HeaderTerzoIntermediarioEditor>(
        [=, &db] { return new HeaderTerzoIntermediarioEditor(db, owner); });
    add<BodyRegister>([=, &db, this] {
        auto* bodyRegister = new BodyRegister(db, owner);
        bodyRegister->setBodyEditor(&get<BodyEditor>());
        bodyRegister->quitProgram = [this] { leaveProgram(*this); };
        registerLayoutGrid(QStringLiteral("frmGriglia_PA_Body"), bodyRegister->grid());
        return bodyRegister;
    });
    // The body editor makes its own withholding, pension fund, discount, causali and attachment
    // screens (and the payment-reason picker); the section screens below make their sub-screens
    // and are made when their section is first opened.
    add<BodyEditor>([=, &db, this] {
        auto* bodyEditor = new BodyEditor(db, owner);
        for (int i = 0; i < entries_.size(); ++i) {
            if (!entries_[i].bodySection.isEmpty())
                bodyEditor->setSectionScreenMaker(entries_[i].bodySection, [this, i] {
                    return qobject_cast<EditorBase*>(screenAt(i));
                });
        }
        bodyEditor->createSummaries = [this] { riepilogo::creaAutomaticamente(*dataModule_); };
        bodyEditor->importFromFile = [this] { showModeless(get<ImportaWindow>()); };
        bodyEditor->importFromArchive = [this] { showModal(get<DettaglioVeloceWindow>()); };
        bodyEditor->refreshActions();
        return bodyEditor;
    });
    // The referred documents and delivery notes: one screen design, one screen per kind.
    for (const auto& [kind, dataset] :
         {std::pair{DocumentiKind::OrdineAcquisto, ds::PA_FE_Body_DatiOrdineAcquisto},
          std::pair{DocumentiKind::Contratto, ds::PA_FE_Body_DatiContratto},
          std::pair{DocumentiKind::Convenzione, ds::PA_FE_Body_DatiConvenzione},
          std::pair{DocumentiKind::Ricezione, ds::PA_FE_Body_DatiRicezione},
          std::pair{DocumentiKind::FattureCollegate, ds::PA_FE_Body_DatiFattureCollegate},
          std::pair{DocumentiKind::DDT, ds::PA_FE_Body_DatiDDT}})
        addSection(dataset, [=, &db, kind = kind] {
            return new DocumentiRiferimentoEditor(db, kind, owner);
        });
    add<DocumentiSALEditor>([=, &db] { return new DocumentiSALEditor(db, owner); },
                            ds::PA_FE_Body_DatiSAL);
    add<LineeEditor>([=, &db] { return new LineeEditor(db, owner); },
                     ds::PA_FE_Body_DatiBeniServizi_DettaglioLinee);
    add<RiepilogoEditor>([=, &db] { return new RiepilogoEditor(db, owner); },
                         ds::PA_FE_Body_DatiBeniServizi_DatiRiepilogo);
    add<PagamentoEditor>([=, &db] { return new PagamentoEditor(db, owner); },
                         ds::PA_FE_Body_DatiPagamento);

    // Master data lists, utilities and the public-administration directory.
    addList<CessionariBrowser, CessionarioEditor>();
    addList<CedentiBrowser, CedenteEditor>();
    add<ImportaWindow>([=, &db] { return new ImportaWindow(db, owner); });
    add<DettaglioVeloceWindow>([=, &db] { return new DettaglioVeloceWindow(db, owner); });
    add<EsportazioniWindow>([=, &db, this] {
        auto* window = new EsportazioniWindow(db, owner);
        registerMultiSellerSelector(window->sellerSelector(), window->sellerLabel());
        return window;
    });
    add<TrovaPaWindow>([=, &db, this] {
        auto* finder = new TrovaPaWindow(db, owner);
        registerLayoutGrid(finder->definition().layoutName, finder->grid());
        finder->openImport = [this] { showModal(get<ImportaElencoPaWindow>()); };
        return finder;
    });
    add<NotificheWindow>([=, &db, this] {
        auto* window = new NotificheWindow(db, owner);
        QObject::connect(window, &NotificheWindow::notificationsLoaded, owner,
                         [this] { sdiRegister_->refresh(); });
        return window;
    });
    add<ImportaElencoPaWindow>([=, &db] { return new ImportaElencoPaWindow(db, owner); });
    add<ErroreDettaglioWindow>([=, &db] { return new ErroreDettaglioWindow(db, owner); });
    add<ErroriBrowser>([=, &db, this] {
        auto* errori = new ErroriBrowser(db, owner);
        errori->setDetail(&get<ErroreDettaglioWindow>());
        registerLayoutGrid(errori->definition().layoutName, errori->grid());
        return errori;
    });
    add<GuidaWindow>([=] { return new GuidaWindow(owner); });
}

QWidget* Screens::screenAt(int index) {
    Entry& entry = entries_[index];
    if (!entry.screen) {
        QWidget* screen = entry.make();
        entry.screen = screen;
    }
    return entry.screen;
}

// The main window's buttons: each asks for its screen when pressed.
void Screens::wireScreens() {
    MainWindow& w = *mainWindow_;

    // Documents tab.
    DocumentRegister& reg = *documents_;
    reg.showHeaderEditor = [this](bool justAdded) { get<HeaderEditor>().showDocument(justAdded); };
    w.setButtonAction(QStringLiteral("spdRicarica"), [&reg] { reg.ricarica(); });
    w.setButtonAction(QStringLiteral("spdElimina"), [&reg] { reg.elimina(); });
    w.setButtonAction(QStringLiteral("spdInserisci"), [&reg] { reg.aggiungi(); });
    w.setButtonAction(QStringLiteral("spdModifica"), [&reg] { reg.modifica(); });
    w.setButtonAction(QStringLiteral("spdImportaXml"),
                      [this] { importInvoiceFromRegister(*dataModule_, prompt()); });
    BatchScreen& batch = *batch_;
    w.setButtonAction(QStringLiteral("spdSelezionaDaEsportare"),
                      [&batch] { batch.selezionaDaEsportare(); });
    w.setButtonAction(QStringLiteral("spdEsportaSelezione"), [&batch] { batch.esportaXml(); });
    w.setButtonAction(QStringLiteral("spdControllaSelezione"), [&batch] { batch.controlla(); });
    w.setButtonAction(QStringLiteral("spdFirmaSelezione"), [&batch] { batch.firma(); });
    w.setButtonAction(QStringLiteral("spdPdfSelezione"), [&batch] { batch.anteprimaPdf(); });
    w.setButtonAction(QStringLiteral("spdCreaZip"), [&batch] { batch.creaZip(); });
    w.setButtonAction(QStringLiteral("spdInviaSelezione"), [&batch] { batch.invia(); });
    QObject::connect(w.documentGrid(), &DataGrid::rowActivated, &w,
                     guard([&reg] { reg.modifica(); }));
    sdiRegister_ = new SdiRegister(*dataModule_, *w.documentGrid(), *w.sdiFilter(), &w);
    batch.setSdiRegister(sdiRegister_);
    w.setButtonAction(QStringLiteral("spdNotifiche"),
                      [this] { showModal(get<NotificheWindow>()); });

    // Archive tab: the master-data lists and editors.
    wireMasterData();

    // Utility tab and the firm's record.
    w.setButtonAction(QStringLiteral("btnRealizzazione"), [this] {
        auto& about = get<RealizzazioneWindow>();
        about.showInstallation(dataModule_->archivePath(), dataModule_->connessione().isOpen(),
                               environment_.programFolder);
        showModeless(about);
    });
    w.setButtonAction(QStringLiteral("btnOpzioni"), [this] { showModeless(get<OpzioniWindow>()); });
    w.setButtonAction(QStringLiteral("btnCaricaDitta"),
                      [this] { showModeless(get<DittaWindow>()); });
    wireUtilities();
    wirePaDirectory();
}

void Screens::wireUtilities() {
    MainWindow& w = *mainWindow_;
    w.setButtonAction(QStringLiteral("btnErroriScarto"), [this] {
        auto& errori = get<ErroriBrowser>();
        errori.clearSearch();
        showModal(errori);
    });
    w.setButtonAction(QStringLiteral("btnEsportazioni"),
                      [this] { showModal(get<EsportazioniWindow>()); });
}

void Screens::wirePaDirectory() {
    mainWindow_->setButtonAction(QStringLiteral("btnAggiornaElencoPA"),
                                 [this] { showModal(get<ImportaElencoPaWindow>()); });
}

void Screens::wireMasterData() {
    MainWindow& w = *mainWindow_;
    w.setButtonAction(QStringLiteral("btnCedentePrestatore"), [this] {
        openSellers(*dataModule_, get<CedentiBrowser>(), get<CedenteEditor>());
    });
    w.setButtonAction(QStringLiteral("btnCessionarioCommittente"),
                      [this] { showThenClearSearch(get<CessionariBrowser>()); });
    w.setButtonAction(QStringLiteral("btnRappresentanteFiscale"), [this] {
        auto& editor = get<RappresentanteFiscaleEditor>();
        openSingleRow(editor, editor.flagColumn());
    });
    w.setButtonAction(QStringLiteral("btnTerzoIntermediario"), [this] {
        auto& editor = get<TerzoIntermediarioEditor>();
        openSingleRow(editor, editor.flagColumn());
    });
    w.setButtonAction(QStringLiteral("btnComuni"),
                      [this] { showThenClearSearch(get<ComuniBrowser>()); });
    w.setButtonAction(QStringLiteral("btnIva"), [this] {
        auto& iva = get<IvaBrowser>();
        iva.dataset().setFilter(QString());
        showModal(iva);
    });
    w.setButtonAction(QStringLiteral("btnVettori"),
                      [this] { showThenClearSearch(get<VettoriBrowser>()); });
}

Screens::~Screens() {
    damageCheck_.reset();
    setFieldHelpHandler({});
    setHelpHandler({});
    documents_.reset();
    mainWindow_.reset(); // every screen with it
    dataModule_.reset();
}

const QStringList& Screens::layoutGridNames() {
    static const QStringList names = {
        QStringLiteral("frmGrigliaComuni"),
        QStringLiteral("frmGrigliaIva"),
        QStringLiteral("frmGrigliaVettori"),
        QStringLiteral("frmGriglia_PA_Body"),
        QStringLiteral("frmGriglia_CessionarioCommittente"),
        QStringLiteral("frmGrigliaCedentiPrestatori"),
        QStringLiteral("frmTrovaPA"),
        QStringLiteral("frmGrigliaErroriFatturazioneElettronica"),
    };
    return names;
}

void Screens::registerLayoutGrid(const QString& layoutName, DataGrid* grid) {
    auto known = std::find_if(layoutGrids_.begin(), layoutGrids_.end(),
                              [&](const auto& entry) { return entry.first == layoutName; });
    if (known != layoutGrids_.end())
        known->second = grid;
    else
        layoutGrids_.append({layoutName, grid});
    installGridLayoutMenu(*grid, layoutName, *dataModule_);
    if (applyLayout_)
        applyLayout_(layoutName, *grid);
}

void Screens::setLayoutApplier(std::function<void(const QString&, DataGrid&)> apply) {
    applyLayout_ = std::move(apply);
}

QList<QPair<QString, DataGrid*>> Screens::layoutGrids() const {
    QList<QPair<QString, DataGrid*>> out;
    for (const QString& name : layoutGridNames()) {
        for (const auto& entry : layoutGrids_) {
            if (entry.first == name && entry.second)
                out.append({name, entry.second.data()});
        }
    }
    return out;
}

void Screens::registerMultiSellerSelector(QWidget* selector, QWidget* label) {
    multiSellerWidgets_ << selector << label;
    if (multiSellerVisible_ >= 0) {
        selector->setVisible(multiSellerVisible_ == 1);
        label->setVisible(multiSellerVisible_ == 1);
    }
}

void Screens::setMultiSellerSelectorsVisible(bool visible) {
    multiSellerVisible_ = visible ? 1 : 0;
    for (const QPointer<QWidget>& w : multiSellerWidgets_) {
        if (w)
            w->setVisible(visible);
    }
}

} // namespace brevalto
