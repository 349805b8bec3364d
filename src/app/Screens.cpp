#include "app/Screens.h"

#include "app/MainWindow.h"
#include "app/PasswordDialog.h"
#include "documents/DocumentRegister.h"
#include "documents/HeaderEditor.h"
#include "documents/HeaderPartyEditors.h"
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
    // TfrmGriglia_PA_Body
    // TfrmModifica_PA_Body
    // TfrmModifica_PA_Body_CassaPrevidenziale
    // TfrmModifica_PA_Body_ScontoMaggiorazione
    // TfrmGrigliaRitenute_CausalePagamento
    // TfrmModifica_PA_Body_DatiOrdineAcquisto
    // TfrmModifica_PA_Body_DatiOrdineAcquisto_Dettaglio
    // TfrmGriglia_CercaLineeFattura
    // TfrmModifica_PA_Body_DatiContratto
    // TfrmModifica_PA_Body_DatiContratto_Dettaglio
    // TfrmModifica_PA_Body_DatiConvenzione
    // TfrmModifica_PA_Body_DatiConvenzione_Dettaglio
    // TfrmModifica_PA_Body_DatiRicezione
    // TfrmModifica_PA_Body_DatiRicezione_Dettaglio
    // TfrmModifica_PA_Body_DatiFattureCollegate
    // TfrmModifica_PA_Body_DatiFattureCollegate_Dettaglio
    // TfrmModifica_PA_Body_DatiSAL
    // TfrmModifica_PA_Body_DatiDDT
    // TfrmModifica_PA_Body_DatiDDT_Dettaglio
    // TfrmModifica_PA_Body_DatiBeniServizi_DettaglioLinee
    // TfrmModifica_PA_Body_DatiBeniServizi_DettaglioLinee_Codici
    // TfrmModifica_PA_Body_DatiBeniServizi_DettaglioLinee_Sconti
    // TfrmModifica_PA_Body_DatiBeniServizi_DettaglioLinee_Altro
    // TfrmModifica_PA_Body_DatiRiepilogo
    // TfrmModifica_PA_Body_DatiPagamento
    // TfrmModifica_PA_Body_DatiPagamento_Dettaglio
    // TfrmModifica_PA_Body_Allegati
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
