#include "documents/CercaLineePicker.h"
#include "store/DatasetNames.h"

namespace brevalto {

CercaLineePicker::CercaLineePicker(DataModule& db, QWidget* parent)
    : BrowserBase(db,
                  {
                      .caption = QStringLiteral("Cerca Linee dettaglio Fattura"),
                      .dataset = ds::CercaLinee,
                      .keyColumn = QStringLiteral("Id"),
                      .columns = {{"NumeroLinea", "N° Linea", 70},
                                  {"Descrizione", "Descrizione", 300},
                                  {"Quantita", "Quantita", 80},
                                  {"PrezzoUnitario", "Prezzo Unitario", 100},
                                  {"PrezzoTotale", "Prezzo Totale", 100}},
                      .tools = {{"spdIndietro", "Indietro", BrowserAction::Indietro},
                                {.objectName = "spdSalva",
                                 .caption = "Salva",
                                 .action = BrowserAction::Scegli,
                                 .hidden = true}},
                      .onDoubleClick = BrowserAction::Scegli,
                      .sortOnTitleClick = false,
                      .size = {720, 360},
                  },
                  parent) {}

} // namespace brevalto
