#include "documents/CausaliPagamentoPicker.h"
#include "store/DatasetNames.h"

namespace brevalto {

CausaliPagamentoPicker::CausaliPagamentoPicker(DataModule& db, QWidget* parent)
    : BrowserBase(db,
                  {
                      .caption = QStringLiteral("Griglia Causali Pagamento"),
                      .objectName = QStringLiteral("frmGrigliaRitenute_CausalePagamento"),
                      .dataset = ds::Pa_Ritenute_CausalePagamento,
                      .keyColumn = QStringLiteral("Codice"),
                      .columns = {{"Codice", "Codice", 70}, {"Descrizione", "Causale", 600}},
                      .tools = {{"spdIndietro", "Indietro", BrowserAction::Indietro},
                                {"spdModifica", "Salva", BrowserAction::Scegli}},
                      .onDoubleClick = BrowserAction::Scegli,
                      .sortOnTitleClick = false,
                      .size = {720, 460},
                  },
                  parent) {}

} // namespace brevalto
