#include "app/Screens.h"

#include "app/MainWindow.h"
#include "app/PasswordDialog.h"
#include "app/StartUp.h"
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "documents/DocumentRegister.h"
#include "documents/DocumentiEditors.h"
#include "documents/HeaderEditor.h"
#include "documents/HeaderPartyEditors.h"
#include "documents/LineeEditors.h"
#include "documents/PagamentoEditors.h"
#include "documents/RiepilogoBuilder.h"
#include "documents/RiepilogoEditor.h"
#include "masterdata/GridLayout.h"
#include "masterdata/MasterBrowsers.h"
#include "masterdata/PartyEditors.h"
#include "masterdata/TableEditors.h"
#include "settings/DittaWindow.h"
#include "settings/OpzioniWindow.h"
#include "settings/RealizzazioneWindow.h"
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

namespace brevalto {

Screens::Screens(Environment environment) : environment_(std::move(environment)) {
    // The one place that fixes the order of creation: the main window, the data module, then
    // every screen, each a child of the main window. A screen not built yet keeps its line as a
    // comment until it arrives.
    mainWindow_ = std::make_unique<MainWindow>(*this);
    dataModule_ = std::make_unique<DataModule>();
    DataModule& db = *dataModule_;
    QWidget* owner = mainWindow_.get();
    mainWindow_->bindDocuments(db.table(ds::PA_FE_Header));
    QStringList tabCaptions;
    for (int i = 0; i < mainWindow_->tabs()->count(); ++i)
        tabCaptions << mainWindow_->tabs()->tabText(i);

    add("TfrmRealizzazione", new RealizzazioneWindow(owner));
    add("TfrmDitta", new DittaWindow(db, owner));
    add("TfrmModificaCedentePrestatore", new CedenteEditor(db, owner));
    add("TfrmModificaCessionarioCommittente", new CessionarioEditor(db, owner));
    add("TfrmGrigliaComuni", new ComuniBrowser(db, owner));
    add("TfrmModificaComuni", new ComuneEditor(db, owner));
    add("TfrmDescrizioneFunzionali", new DescrizioneFunzionaliWindow(owner))
        ->setDataset(&db.table(ds::PA_DescrizioniFunzionali));
    add("TfrmModificaRappresentanteFiscale", new RappresentanteFiscaleEditor(db, owner));
    add("TfrmGrigliaIva", new IvaBrowser(db, owner));
    add("TfrmModificaIva", new IvaEditor(db, owner));
    add("TfrmModificaTerzoIntermediario", new TerzoIntermediarioEditor(db, owner));
    add("TfrmGrigliaVettori", new VettoriBrowser(db, owner));
    add("TfrmModificaVettori", new VettoreEditor(db, owner));
    add("TfrmOpzioni", new OpzioniWindow(db, tabCaptions, owner));
    add("TfrmPass", new PasswordDialog(owner));
    add("TfrmModifica_PA_Header", new HeaderEditor(db, owner));
    add("TfrmModifica_PA_Header_Cedente", new HeaderCedenteEditor(db, owner));
    add("TfrmModifica_PA_Header_Rappresentante", new HeaderRappresentanteEditor(db, owner));
    add("TfrmModifica_PA_Header_Cessionario", new HeaderCessionarioEditor(db, owner));
    add("TfrmModifica_PA_Header_Terzo", new HeaderTerzoIntermediarioEditor(db, owner));
    add("TfrmGriglia_PA_Body", new BodyRegister(db, owner));
    // The body editor makes its own withholding, pension fund, discount, causali and attachment
    // screens (and the payment-reason picker); the section screens below make their sub-screens.
    add("TfrmModifica_PA_Body", new BodyEditor(db, owner));
    add("TfrmModifica_PA_Body_DatiOrdineAcquisto", new DocumentiOrdineAcquistoEditor(db, owner));
    add("TfrmModifica_PA_Body_DatiContratto", new DocumentiContrattoEditor(db, owner));
    add("TfrmModifica_PA_Body_DatiConvenzione", new DocumentiConvenzioneEditor(db, owner));
    add("TfrmModifica_PA_Body_DatiRicezione", new DocumentiRicezioneEditor(db, owner));
    add("TfrmModifica_PA_Body_DatiFattureCollegate",
        new DocumentiFattureCollegateEditor(db, owner));
    add("TfrmModifica_PA_Body_DatiSAL", new DocumentiSALEditor(db, owner));
    add("TfrmModifica_PA_Body_DatiDDT", new DocumentiDDTEditor(db, owner));
    add("TfrmModifica_PA_Body_DettaglioLinee", new LineeEditor(db, owner));
    add("TfrmModifica_PA_Body_DatiRiepilogo", new RiepilogoEditor(db, owner));
    add("TfrmModifica_PA_Body_DatiPagamento", new PagamentoEditor(db, owner));
    // TfrmCodificheDecodificheFiles
    add("TfrmGriglia_CessionarioCommittente", new CessionariBrowser(db, owner));
    add("TfrmGrigliaCedentiPrestatori", new CedentiBrowser(db, owner));
    add("TfrmImporta", new ImportaWindow(db, owner));
    add("TfrmGrigliaDettaglioVeloce", new DettaglioVeloceWindow(db, owner));
    add("TfrmEsportazioni", new EsportazioniWindow(db, owner));
    add("TfrmTrovaPA", new TrovaPaWindow(db, owner));
    add("TfrmImportaElencoPA", new ImportaElencoPaWindow(db, owner));
    add("TfrmDettaglioErroriFatturazioneElettronica", new ErroreDettaglioWindow(db, owner));
    add("TfrmGrigliaErroriFatturazioneElettronica", new ErroriBrowser(db, owner));
    add("TfrmGuida", new GuidaWindow(owner));

    auto* help = &get<DescrizioneFunzionaliWindow>();
    setFieldHelpHandler([help](const QString& code) { help->showElement(code); });
    auto* guida = &get<GuidaWindow>();
    setHelpHandler([guida] { showModeless(*guida); });
    installHelpKey(mainWindow_.get());
    documents_ = std::make_unique<DocumentRegister>(db, installedPrompt());
    wireScreens();
}

void Screens::wireScreens() {
    MainWindow& w = *mainWindow_;
    auto& header = get<HeaderEditor>();
    auto& cedente = get<HeaderCedenteEditor>();
    auto& cessionario = get<HeaderCessionarioEditor>();
    auto& bodyRegister = get<BodyRegister>();
    auto& bodyEditor = get<BodyEditor>();

    // Documents tab.
    DocumentRegister& reg = *documents_;
    reg.showHeaderEditor = [&header](bool justAdded) { header.showDocument(justAdded); };
    header.setPartyScreens(&cedente, &get<HeaderRappresentanteEditor>(),
                           &get<HeaderTerzoIntermediarioEditor>(), &cessionario);
    header.deleteCurrentDocument = [&reg] { reg.elimina(); };
    w.setButtonAction(QStringLiteral("spdRicarica"), [&reg] { reg.ricarica(); });
    w.setButtonAction(QStringLiteral("spdElimina"), [&reg] { reg.elimina(); });
    w.setButtonAction(QStringLiteral("spdInserisci"), [&reg] { reg.aggiungi(); });
    w.setButtonAction(QStringLiteral("spdModifica"), [&reg] { reg.modifica(); });
    QObject::connect(w.documentGrid(), &DataGrid::rowActivated, &w,
                     guard([&reg] { reg.modifica(); }));
    registerMultiSellerSelector(cedente.sellerSelector(), cedente.sellerSelectorLabel());

    // Bodies: header → customer → register → body editor → section screens.
    cessionario.openBodyRegister = [&bodyRegister] { showModal(bodyRegister); };
    bodyRegister.setBodyEditor(&bodyEditor);
    bodyRegister.quitProgram = [this] { leaveProgram(*this); };
    registerLayoutGrid(QStringLiteral("frmGriglia_PA_Body"), bodyRegister.grid());
    for (QWidget* screen : std::as_const(byId_)) {
        auto* section = qobject_cast<EditorBase*>(screen);
        if (section && section->dataset().name().startsWith(QLatin1String("TablePA_FE_Body_")))
            bodyEditor.setSectionScreen(section->dataset().name(), section);
    }
    bodyEditor.createSummaries = [this] { riepilogo::creaAutomaticamente(*dataModule_); };
    bodyEditor.refreshActions();

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
    get<OpzioniWindow>().setMultiSellerSelectorsVisible = [this](bool visible) {
        setMultiSellerSelectorsVisible(visible);
    };
}

void Screens::wireUtilities() {
    MainWindow& w = *mainWindow_;
    auto& errori = get<ErroriBrowser>();
    errori.setDetail(&get<ErroreDettaglioWindow>());
    registerLayoutGrid(errori.definition().layoutName, errori.grid());
    w.setButtonAction(QStringLiteral("btnErroriScarto"), [&errori] {
        errori.clearSearch();
        showModal(errori);
    });
    auto& esportazioni = get<EsportazioniWindow>();
    registerMultiSellerSelector(esportazioni.sellerSelector(), esportazioni.sellerLabel());
    w.setButtonAction(QStringLiteral("btnEsportazioni"),
                      [&esportazioni] { showModal(esportazioni); });
    auto& bodyEditor = get<BodyEditor>();
    bodyEditor.importFromFile = [this] { showModeless(get<ImportaWindow>()); };
    bodyEditor.importFromArchive = [this] { showModal(get<DettaglioVeloceWindow>()); };
    bodyEditor.refreshActions();
}

void Screens::wirePaDirectory() {
    auto& finder = get<TrovaPaWindow>();
    auto& importer = get<ImportaElencoPaWindow>();
    registerLayoutGrid(finder.definition().layoutName, finder.grid());
    finder.openImport = [&importer] { showModal(importer); };
    get<CessionarioEditor>().setFinder([&finder] {
        finder.reset();
        showModal(finder);
    });
    mainWindow_->setButtonAction(QStringLiteral("btnAggiornaElencoPA"),
                                 [&importer] { showModal(importer); });
}

void Screens::wireMasterData() {
    MainWindow& w = *mainWindow_;
    DataModule& db = *dataModule_;
    auto& sellers = get<CedentiBrowser>();
    auto& customers = get<CessionariBrowser>();
    auto& comuni = get<ComuniBrowser>();
    auto& iva = get<IvaBrowser>();
    auto& vettori = get<VettoriBrowser>();
    auto& seller = get<CedenteEditor>();
    auto& customer = get<CessionarioEditor>();
    sellers.setEditor(&seller);
    customers.setEditor(&customer);
    comuni.setEditor(&get<ComuneEditor>());
    iva.setEditor(&get<IvaEditor>());
    vettori.setEditor(&get<VettoreEditor>());
    for (BrowserBase* browser :
         std::initializer_list<BrowserBase*>{&sellers, &customers, &comuni, &iva, &vettori})
        registerLayoutGrid(browser->definition().layoutName, browser->grid());

    w.setButtonAction(QStringLiteral("btnCedentePrestatore"),
                      [&db, &sellers, &seller] { openSellers(db, sellers, seller); });
    w.setButtonAction(QStringLiteral("btnCessionarioCommittente"),
                      [&customers] { showThenClearSearch(customers); });
    w.setButtonAction(QStringLiteral("btnRappresentanteFiscale"), [this] {
        auto& editor = get<RappresentanteFiscaleEditor>();
        openSingleRow(editor, editor.flagColumn());
    });
    w.setButtonAction(QStringLiteral("btnTerzoIntermediario"), [this] {
        auto& editor = get<TerzoIntermediarioEditor>();
        openSingleRow(editor, editor.flagColumn());
    });
    w.setButtonAction(QStringLiteral("btnComuni"), [&comuni] { showThenClearSearch(comuni); });
    w.setButtonAction(QStringLiteral("btnIva"), [&iva] {
        iva.dataset().setFilter(QString());
        showModal(iva);
    });
    w.setButtonAction(QStringLiteral("btnVettori"), [&vettori] { showThenClearSearch(vettori); });

    // The header's new-customer button: the customer list's "Aggiungi", without the list; the
    // customer kept (not taken back with "Annulla") becomes the Document's.
    auto& header = get<HeaderCessionarioEditor>();
    header.setAddCustomer([&customers, &customer, &header] {
        if (!customers.aggiungi() || customer.result() != QDialog::Accepted)
            return;
        Dataset& document = header.dataset();
        document.edit();
        document.setValue(QStringLiteral("CessionarioCommittente_ID"),
                          customers.dataset().value(QStringLiteral("CessionarioCommittente_ID")));
        header.copyBuyer();
    });
}

Screens::~Screens() {
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
    for (auto& entry : layoutGrids_) {
        if (entry.first == layoutName) {
            entry.second = grid;
            installGridLayoutMenu(*grid, layoutName, *dataModule_);
            return;
        }
    }
    layoutGrids_.append({layoutName, grid});
    installGridLayoutMenu(*grid, layoutName, *dataModule_);
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
}

void Screens::setMultiSellerSelectorsVisible(bool visible) {
    for (const QPointer<QWidget>& w : multiSellerWidgets_) {
        if (w)
            w->setVisible(visible);
    }
}

} // namespace brevalto
