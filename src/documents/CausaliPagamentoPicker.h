#pragma once
// "Griglia Causali Pagamento" (TfrmGrigliaRitenute_CausalePagamento): picks a payment reason code
// for withholding data. A double click or "Salva" chooses the current row and closes;
// "Indietro" closes without choosing. The caller reads the current row of
// TablePa_Ritenute_CausalePagamento.
#include "ui/BrowserBase.h"

namespace brevalto {

class CausaliPagamentoPicker : public BrowserBase {
    Q_OBJECT
public:
    explicit CausaliPagamentoPicker(DataModule& db, QWidget* parent = nullptr);
};

} // namespace brevalto
