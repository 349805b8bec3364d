#pragma once
// What a new payment instalment proposes: the beneficiary, IBAN and bank of the document, the
// amount due from the body's VAT summaries (or its typed total) and the default payment method.
#include "store/DatasetNames.h"
#include <QVariant>

namespace brevalto {

class DataModule;
class Dataset;

namespace pagamento {

inline const QString kTerms = QStringLiteral("PA_FE_Body_DatiPagamento");
inline const QString kTermsDataset = ds::PA_FE_Body_DatiPagamento;
inline const QString kInstalments = QStringLiteral("PA_FE_Body_DatiPagamento_Dettaglio");
inline const QString kInstalmentsDataset = ds::PA_FE_Body_DatiPagamento_Dettaglio;
inline const QString kTermKey = QStringLiteral("PA_FE_Body_DatiPagamento_Id");

// The amount due: each summary's taxable amount plus its tax (taxable only for split payment,
// collectability "S"), plus the stamp duty when included. Without a positive sum, the body's
// typed document total (possibly null). Not rounded.
QVariant proposedAmount(DataModule& db);

// Fills the instalment being edited with the proposal.
void applyProposal(DataModule& db, Dataset& instalment);

// Deletes the current term with its instalments, without asking.
void deleteCurrentTerm(DataModule& db);

} // namespace pagamento
} // namespace brevalto
