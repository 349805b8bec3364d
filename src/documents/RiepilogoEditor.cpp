#include "documents/RiepilogoEditor.h"

#include "documents/RiepilogoBuilder.h"
#include "store/DataModule.h"
#include "store/Routines.h"

#include <QPushButton>

namespace brevalto {

namespace {
FieldSpec fieldDef(const QString& label, const QString& column, FieldControl control, int max,
                   const QString& help, const QString& list = {}) {
    FieldSpec f{label, column, control};
    f.maxLength = max;
    f.helpCode = help;
    if (!list.isEmpty()) {
        f.listDataset = list;
        f.listKey = QStringLiteral("Codice");
        f.listDisplay = QStringLiteral("Descrizione");
    }
    return f;
}
} // namespace

RiepilogoEditor::RiepilogoEditor(DataModule& db, QWidget* parent)
    : DocumentiForm(db, riepilogo::kDataset, QStringLiteral("id"), QStringLiteral("Dati riepilogo"),
                    parent) {
    using C = FieldControl;
    beginForm();
    addTop(
        {fieldDef(QStringLiteral("Aliquota Iva"), QStringLiteral("AliquotaIva"), C::Number, 6,
                  QStringLiteral("2.2.2.1")),
         fieldDef(QStringLiteral("Natura"), QStringLiteral("Natura"), C::Lookup, 0,
                  QStringLiteral("2.2.2.2"), QStringLiteral("TablePA_Natura")),
         fieldDef(QStringLiteral("Spese Accessorie"), QStringLiteral("SpeseAccessorie"), C::Number,
                  21, QStringLiteral("2.2.2.3")),
         fieldDef(QStringLiteral("Arrotondamento"), QStringLiteral("Arrotondamento"), C::Number, 6,
                  QStringLiteral("2.2.2.4")),
         fieldDef(QStringLiteral("Imponibile"), QStringLiteral("ImponibileImporto"), C::Number, 15,
                  QStringLiteral("2.2.2.5")),
         fieldDef(QStringLiteral("Imposta"), QStringLiteral("Imposta"), C::Number, 15,
                  QStringLiteral("2.2.2.6")),
         fieldDef(QStringLiteral("Esigibilita Iva"), QStringLiteral("EsigibilitaIva"), C::Lookup, 0,
                  QStringLiteral("2.2.2.7"), QStringLiteral("TablePA_EsigibilitaIva")),
         fieldDef(QStringLiteral("Riferimento Normativo"), QStringLiteral("RiferimentoNormativo"),
                  C::Text, 100, QStringLiteral("2.2.2.8"))});
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
