#include "app/Screens.h"

#include "app/MainWindow.h"
#include "app/PasswordDialog.h"
#include "masterdata/GridLayout.h"
#include "store/DataModule.h"
#include "ui/DataGrid.h"
#include "ui/FieldHelp.h"
#include "utility/DescrizioneFunzionaliWindow.h"

namespace brevalto {

Screens::Screens(Environment environment) : environment_(std::move(environment)) {
    // The one place that fixes the order of creation. A screen not built yet keeps its line as a
    // comment until it arrives.
    form1_ = std::make_unique<MainWindow>(*this);
    formDB_ = std::make_unique<DataModule>();
    form1_->bindDocuments(formDB_->table(QStringLiteral("TablePA_FE_Header")));
    QWidget* owner = form1_.get();
    // TfrmRealizzazione
    // TfrmDitta
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
    // TfrmOpzioni
    frmPass_ = std::make_unique<PasswordDialog>(owner);
    // TfrmModifica_PA_Header
    // TfrmModifica_PA_Header_CedentePrestatore
    // TfrmModifica_PA_Header_RappresentanteFiscale
    // TfrmModifica_PA_Header_CessionarioCommittente
    // TfrmModifica_PA_Header_TerzoIntermediario
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
}

Screens::~Screens() {
    setFieldHelpHandler({});
    frmPass_.reset();
    frmDescrizioneFunzionali_.reset();
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
