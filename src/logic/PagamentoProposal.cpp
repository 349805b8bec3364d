#include "logic/PagamentoProposal.h"

#include "logic/ChildRows.h"
#include "logic/RiepilogoBuilder.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Saving.h"

namespace brevalto::pagamento {

QVariant proposedAmount(DataModule& db) {
    const Dataset& summaries = db.table(riepilogo::kDataset);
    double sum = 0;
    if (summaries.isOpen()) {
        const int collectability = summaries.columnIndex(QStringLiteral("EsigibilitaIva"));
        const int taxable = summaries.columnIndex(QStringLiteral("ImponibileImporto"));
        const int tax = summaries.columnIndex(QStringLiteral("Imposta"));
        for (int row = 0; row < summaries.rowCount(); ++row) {
            sum += summaries.valueAt(row, taxable).toDouble();
            if (summaries.valueAt(row, collectability).toString() != QLatin1String("S"))
                sum += summaries.valueAt(row, tax).toDouble();
        }
    }
    const Dataset& body = db.table(ds::PA_Body);
    if (sum > 0) {
        if (body.flag(QStringLiteral("DatiGenerali_DatiBollo")))
            sum += body.number(QStringLiteral("DatiGenerali_DatiBollo_ImportoBollo"));
        return sum;
    }
    return body.value(QStringLiteral("ImportoTotaleDocumento"));
}

void applyProposal(DataModule& db, Dataset& instalment) {
    const Dataset& header = db.table(ds::PA_FE_Header);
    instalment.setValue(QStringLiteral("Beneficiario"),
                        header.value(QStringLiteral("DPBeneficiario")));
    instalment.setValue(QStringLiteral("Iban"), header.value(QStringLiteral("DPIban")));
    instalment.setValue(QStringLiteral("ImportoPagamento"), proposedAmount(db));
    const int method = db.table(ds::Opzioni).integer(QStringLiteral("ModPagamento_Id"));
    if (method > 0) {
        Dataset& methods = db.table(ds::PA_ModalitaPagamento);
        if (methods.locate(QStringLiteral("Id"), method))
            instalment.setValue(QStringLiteral("ModalitaPagamento"),
                                methods.value(QStringLiteral("Codice")));
    }
    instalment.setValue(QStringLiteral("IstitutoFinanziario"),
                        header.value(QStringLiteral("DPIstitutoFinanziario")));
}

void deleteCurrentTerm(DataModule& db) {
    if (!documenti::deleteWithChildren(db.connessione(), db.table(kTermsDataset),
                                       {{kInstalments, kTermKey}}))
        return;
    Dataset& instalments = db.table(kInstalmentsDataset);
    if (instalments.isOpen())
        instalments.requery();
}

} // namespace brevalto::pagamento
