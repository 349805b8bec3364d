#include "documents/RiepilogoEditor.h"

#include "check/SummaryTax.h"
#include "logic/DocumentRules.h"
#include "logic/RiepilogoBuilder.h"
#include "logic/VatRules.h"
#include "store/DataModule.h"
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
             .help = "2.2.2.1"},
            {.label = "Natura",
             .column = "Natura",
             .control = C::Lookup,
             .help = "2.2.2.2",
             .list = natureList()},
            {.label = "Spese Accessorie",
             .column = "SpeseAccessorie",
             .control = C::Number,
             .help = "2.2.2.3"},
            {.label = "Arrotondamento",
             .column = "Arrotondamento",
             .control = C::Number,
             .help = "2.2.2.4"},
            {.label = "Imponibile",
             .column = "ImponibileImporto",
             .control = C::Number,
             .help = "2.2.2.5"},
            {.label = "Imposta", .column = "Imposta", .control = C::Number, .help = "2.2.2.6"},
            {.label = "Esigibilita Iva",
             .column = "EsigibilitaIva",
             .control = C::Lookup,
             .help = "2.2.2.7",
             .list = codeList("TablePA_EsigibilitaIva")},
            {.label = "Riferimento Normativo",
             .column = "RiferimentoNormativo",
             .control = C::Text,
             .help = "2.2.2.8"}});
    calcola_ = addButtonBeside(QStringLiteral("Imposta"), QStringLiteral("Button1"),
                               QStringLiteral("calcola"), [this] { calcola(); });
    finishForm();
    setRules(summaryRules());
}

void RiepilogoEditor::calcola() {
    if (shown(QStringLiteral("AliquotaIva")).isEmpty() ||
        shown(QStringLiteral("ImponibileImporto")).isEmpty())
        return;
    Dataset& row = dataset();
    row.edit();
    const Decimal tax =
        summaryTax(Decimal::fromVariant(row.value(QStringLiteral("ImponibileImporto"))),
                   Decimal::fromVariant(row.value(QStringLiteral("AliquotaIva"))));
    row.setValue(QStringLiteral("Imposta"), tax.toDouble());
    setModified(true);
}

} // namespace brevalto
