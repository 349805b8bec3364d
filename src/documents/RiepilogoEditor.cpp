#include "documents/RiepilogoEditor.h"

#include "documents/RiepilogoBuilder.h"
#include "store/DataModule.h"
#include "store/Rounding.h"
#include "ui/CommonFields.h"

#include <QPushButton>

namespace brevalto {

RiepilogoEditor::RiepilogoEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, riepilogo::kDataset, QStringLiteral("id"), QStringLiteral("Dati riepilogo"),
                    parent) {
    using C = FieldControl;
    beginForm();
    addTop({{.label = "Aliquota Iva",
             .column = "AliquotaIva",
             .control = C::Number,
             .help = "2.2.2.1",
             .maxLength = 6},
            {.label = "Natura",
             .column = "Natura",
             .control = C::Lookup,
             .help = "2.2.2.2",
             .list = codeList("TablePA_Natura")},
            {.label = "Spese Accessorie",
             .column = "SpeseAccessorie",
             .control = C::Number,
             .help = "2.2.2.3",
             .maxLength = 21},
            {.label = "Arrotondamento",
             .column = "Arrotondamento",
             .control = C::Number,
             .help = "2.2.2.4",
             .maxLength = 6},
            {.label = "Imponibile",
             .column = "ImponibileImporto",
             .control = C::Number,
             .help = "2.2.2.5",
             .maxLength = 15},
            {.label = "Imposta",
             .column = "Imposta",
             .control = C::Number,
             .help = "2.2.2.6",
             .maxLength = 15},
            {.label = "Esigibilita Iva",
             .column = "EsigibilitaIva",
             .control = C::Lookup,
             .help = "2.2.2.7",
             .list = codeList("TablePA_EsigibilitaIva")},
            {.label = "Riferimento Normativo",
             .column = "RiferimentoNormativo",
             .control = C::Text,
             .help = "2.2.2.8",
             .maxLength = 100}});
    calcola_ = addButtonBeside(QStringLiteral("Imposta"), QStringLiteral("Button1"),
                               QStringLiteral("calcola"));
    connect(calcola_, &QPushButton::clicked, this, &RiepilogoEditor::calcola);
    finishForm();
    setRules(
        {{missing(QStringLiteral("AliquotaIva")), QStringLiteral("Attenzione manca l'aliquota iva"),
          QStringLiteral("AliquotaIva")},
         {missing(QStringLiteral("ImponibileImporto")),
          QStringLiteral("Attenzione manca l'imponibile"), QStringLiteral("ImponibileImporto")},
         {missing(QStringLiteral("Imposta")), QStringLiteral("Attenzione manca l'imposta"),
          QStringLiteral("Imposta")}});
}

void RiepilogoEditor::calcola() {
    if (shown(QStringLiteral("AliquotaIva")).isEmpty() ||
        shown(QStringLiteral("ImponibileImporto")).isEmpty())
        return;
    Dataset& row = dataset();
    row.edit();
    row.setValue(QStringLiteral("Imposta"),
                 RoundTo2(0.01 * row.number(QStringLiteral("ImponibileImporto")) *
                          row.number(QStringLiteral("AliquotaIva"))));
    setModified(true);
}

} // namespace brevalto
