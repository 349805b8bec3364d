#include "documents/RiepilogoEditor.h"

#include "check/SummaryTax.h"
#include "documents/RateRules.h"
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
    setRules(
        QList<Rule>{
            {missing(QStringLiteral("AliquotaIva")),
             QStringLiteral("Attenzione manca l'aliquota iva"), QStringLiteral("AliquotaIva")},
            {missing(QStringLiteral("ImponibileImporto")),
             QStringLiteral("Attenzione manca l'imponibile"), QStringLiteral("ImponibileImporto")},
            {missing(QStringLiteral("Imposta")), QStringLiteral("Attenzione manca l'imposta"),
             QStringLiteral("Imposta")},
        } +
        rateRules(*this) +
        QList<Rule>{{[this](const RowValues&) {
                         return !vat::isZeroRate(dataset().value(QStringLiteral("AliquotaIva"))) &&
                                !dataset().text(QStringLiteral("Natura")).isEmpty();
                     },
                     QStringLiteral(
                         "Attenzione con aliquota IVA diversa da zero non deve essere presente il "
                         "campo Natura !"),
                     QStringLiteral("Natura")},
                    {[this](const RowValues&) {
                         return vat::isRetiredNature(dataset().text(QStringLiteral("Natura")));
                     },
                     vat::kRetiredNatureMessage, QStringLiteral("Natura")},
                    {[this](const RowValues&) {
                         return vat::isReverseCharge(dataset().text(QStringLiteral("Natura"))) &&
                                dataset().text(QStringLiteral("EsigibilitaIva")).toUpper() ==
                                    QLatin1String("S");
                     },
                     QStringLiteral(
                         "Attenzione con la natura N6 (inversione contabile) l'esigibilità IVA non "
                         "può essere S (scissione dei pagamenti): usare I"),
                     QStringLiteral("EsigibilitaIva")}});
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
