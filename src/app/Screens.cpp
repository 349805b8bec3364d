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
#include "settings/DittaWindow.h"
#include "settings/OpzioniWindow.h"
#include "settings/RealizzazioneWindow.h"
#include "store/DataModule.h"
#include "ui/DataGrid.h"
#include "ui/FieldHelp.h"
#include "ui/QtPrompt.h"
#include "ui/ScreenHost.h"
#include "utility/DescrizioneFunzionaliWindow.h"

#include <QTabWidget>

namespace brevalto {

Screens::Screens(Environment environment) : environment_(std::move(environment)) {
    // The one place that fixes the order of creation. A screen not built yet keeps its line as a
    // comment until it arrives.
    form1_ = std::make_unique<MainWindow>(*this);
    formDB_ = std::make_unique<DataModule>();
    form1_->bindDocuments(formDB_->table(QStringLiteral("TablePA_FE_Header")));
    QWidget* owner = form1_.get();
    frmRealizzazione_ = std::make_unique<RealizzazioneWindow>(owner);
    frmDitta_ = std::make_unique<DittaWindow>(*formDB_, owner);
    // TfrmModificaCedentePrestatore
    // TfrmModificaCessionarioCommittente
    // TfrmGrigliaComuni
    // TfrmModificaComuni
    frmDescrizioneFunzionali_ = std::make_unique<DescrizioneFunzionaliWindow>(owner);
    frmDescrizioneFunzionali_->setDataset(
        &formDB_->table(QStringLiteral("TablePA_DescrizioniFunzionali")));
    // TfrmModificaRappresentanteFiscale
    // TfrmGrigliaIva
    // TfrmModificaIva
    // TfrmModificaTerzoIntermediario
    // TfrmGrigliaVettori
    // TfrmModificaVettori
    QStringList tabCaptions;
    for (int i = 0; i < form1_->tabs()->count(); ++i)
        tabCaptions << form1_->tabs()->tabText(i);
    frmOpzioni_ = std::make_unique<OpzioniWindow>(*formDB_, tabCaptions, owner);
    frmPass_ = std::make_unique<PasswordDialog>(owner);
    frmHeader_ = std::make_unique<HeaderEditor>(*formDB_, owner);
    frmHeaderCedente_ = std::make_unique<HeaderCedenteEditor>(*formDB_, owner);
    frmHeaderRappresentante_ = std::make_unique<HeaderRappresentanteEditor>(*formDB_, owner);
    frmHeaderCessionario_ = std::make_unique<HeaderCessionarioEditor>(*formDB_, owner);
    frmHeaderTerzo_ = std::make_unique<HeaderTerzoIntermediarioEditor>(*formDB_, owner);
    frmBodyRegister_ = std::make_unique<BodyRegister>(*formDB_, owner);
    // The body editor makes its own withholding, pension fund, discount, causali and attachment
    // screens (and the payment-reason picker); the other section screens make their sub-screens.
    frmBodyEditor_ = std::make_unique<BodyEditor>(*formDB_, owner);
    const auto section = [&](const char* dataset, EditorBase* screen) {
        sectionScreens_.append({QString::fromLatin1(dataset), screen});
    };
    section("TablePA_FE_Body_DatiOrdineAcquisto",
            new DocumentiOrdineAcquistoEditor(*formDB_, owner));
    section("TablePA_FE_Body_DatiContratto", new DocumentiContrattoEditor(*formDB_, owner));
    section("TablePA_FE_Body_DatiConvenzione", new DocumentiConvenzioneEditor(*formDB_, owner));
    section("TablePA_FE_Body_DatiRicezione", new DocumentiRicezioneEditor(*formDB_, owner));
    section("TablePA_FE_Body_DatiFattureCollegate",
            new DocumentiFattureCollegateEditor(*formDB_, owner));
    section("TablePA_FE_Body_DatiSAL", new DocumentiSALEditor(*formDB_, owner));
    section("TablePA_FE_Body_DatiDDT", new DocumentiDDTEditor(*formDB_, owner));
    section("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee", new LineeEditor(*formDB_, owner));
    section("TablePA_FE_Body_DatiBeniServizi_DatiRiepilogo", new RiepilogoEditor(*formDB_, owner));
    section("TablePA_FE_Body_DatiPagamento", new PagamentoEditor(*formDB_, owner));
    // TfrmCodificheDecodificheFiles
    // TfrmGriglia_CessionarioCommittente
    // TfrmGrigliaCedentiPrestatori
    // TfrmImporta
    // TfrmGrigliaDettaglioVeloce
    // TfrmEsportazioni
    // TfrmModifica_PA_Body_Causali
    // TfrmTrovaPA
    // TfrmDettaglioErroriFatturazioneElettronica
    // TfrmGrigliaErroriFatturazioneElettronica
    // TfrmModifica_PA_Body_DatiRitenuta

    DescrizioneFunzionaliWindow* help = frmDescrizioneFunzionali_.get();
    setFieldHelpHandler([help](const QString& code) { help->showElement(code); });
    documents_ = std::make_unique<DocumentRegister>(*formDB_, installedPrompt());
    wireScreens();
}

void Screens::wireScreens() {
    MainWindow& w = *form1_;

    // Documents tab.
    DocumentRegister& reg = *documents_;
    reg.showHeaderEditor = [this](bool justAdded) { frmHeader_->showDocument(justAdded); };
    frmHeader_->setPartyScreens(frmHeaderCedente_.get(), frmHeaderRappresentante_.get(),
                                frmHeaderTerzo_.get(), frmHeaderCessionario_.get());
    frmHeader_->deleteCurrentDocument = [&reg] { reg.deleteDocument(); };
    w.setButtonAction(QStringLiteral("spdRicarica"), [&reg] { reg.reload(); });
    w.setButtonAction(QStringLiteral("spdElimina"), [&reg] { reg.deleteDocument(); });
    w.setButtonAction(QStringLiteral("spdInserisci"), [&reg] { reg.newDocument(); });
    w.setButtonAction(QStringLiteral("spdModifica"), [&reg] { reg.openDocument(); });
    QObject::connect(w.documentGrid(), &DataGrid::rowActivated, &w, [&reg] { reg.openDocument(); });
    registerMultiSellerSelector(frmHeaderCedente_->sellerSelector(),
                                frmHeaderCedente_->sellerSelectorLabel());

    // Bodies: header → customer → register → body editor → section screens.
    frmHeaderCessionario_->openBodyRegister = [this] { showModal(*frmBodyRegister_); };
    frmBodyRegister_->setBodyEditor(frmBodyEditor_.get());
    frmBodyRegister_->quitProgram = [this] { leaveProgram(*this); };
    registerLayoutGrid(QStringLiteral("frmGriglia_PA_Body"), frmBodyRegister_->grid());
    for (const auto& [dataset, screen] : std::as_const(sectionScreens_))
        frmBodyEditor_->setSectionScreen(dataset, screen);
    frmBodyEditor_->createSummaries = [this] { riepilogo::creaAutomaticamente(*formDB_); };
    frmBodyEditor_->refreshActions();

    // Utility tab and the firm's record.
    w.setButtonAction(QStringLiteral("btnRealizzazione"),
                      [this] { showModeless(*frmRealizzazione_); });
    w.setButtonAction(QStringLiteral("btnOpzioni"), [this] { showModeless(*frmOpzioni_); });
    w.setButtonAction(QStringLiteral("btnCaricaDitta"), [this] { showModeless(*frmDitta_); });
    frmOpzioni_->setMultiSellerSelectorsVisible = [this](bool visible) {
        setMultiSellerSelectorsVisible(visible);
    };
}

Screens::~Screens() {
    setFieldHelpHandler({});
    documents_.reset();
    for (const auto& entry : std::as_const(sectionScreens_))
        delete entry.second;
    sectionScreens_.clear();
    frmBodyEditor_.reset();
    frmBodyRegister_.reset();
    frmHeaderTerzo_.reset();
    frmHeaderCessionario_.reset();
    frmHeaderRappresentante_.reset();
    frmHeaderCedente_.reset();
    frmHeader_.reset();
    frmPass_.reset();
    frmOpzioni_.reset();
    frmDescrizioneFunzionali_.reset();
    frmDitta_.reset();
    frmRealizzazione_.reset();
    form1_.reset();
    formDB_.reset();
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
            installGridLayoutMenu(*grid, layoutName, *formDB_);
            return;
        }
    }
    layoutGrids_.append({layoutName, grid});
    installGridLayoutMenu(*grid, layoutName, *formDB_);
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
