// DatiBeniServizi (lines with their codes, discounts and other data; VAT summaries) and
// DatiVeicoli of one body. Amounts are written as stored: nothing is recomputed here.
#include "export/ExportError.h"
#include "export/FatturaWriter.h"
#include "export/Mappings.h"
#include "export/ValueFormat.h"
#include "store/DataModule.h"
#include "store/Dataset.h"
#include "store/DatasetNames.h"

namespace brevalto {

namespace {

const QString kLineTable = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee");
const QString kLineKey = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id");

ChildRows lineChildren(DataModule& data, const QString& suffix, int bodyId) {
    return ChildRows(data.connessione(), kLineTable + suffix, kLineKey, kLineTable, bodyId);
}

} // namespace

void writeLines(XmlOut& x, DataModule& data, int bodyId) {
    // The lines the body's dataset would hold, in its order, read one at a time: ten thousand of
    // them need not stay in memory. Their codes, discounts and other data are few per line.
    Dataset lines(data.connessione(), QStringLiteral("ExportLines"),
                  data.dataset(ds::PA_FE_Body_DatiBeniServizi_DettaglioLinee).sql());
    const Columns columns(lines);
    const ChildRows codes = lineChildren(data, QStringLiteral("_Codici"), bodyId);
    const ChildRows discounts = lineChildren(data, QStringLiteral("_Sconto"), bodyId);
    const ChildRows others = lineChildren(data, QStringLiteral("_Altro"), bodyId);

    int position = 0;
    lines.walk([&] {
        const Row l(columns);
        ++position;
        const int lineId = int(l.integer("Id"));
        const QString numero = l.text("NumeroLinea");
        x.setRow(numero.isEmpty() ? QStringLiteral("linea in posizione %1").arg(position)
                                  : QStringLiteral("linea %1").arg(numero));
        x.start("DettaglioLinee");
        x.integer("NumeroLinea", l.value("NumeroLinea"), 1, 9999);
        elementIfText(x, "TipoCessionePrestazione", l.text("TipoCessionePrestazione"));
        for (const Row& c : codes.of(lineId)) {
            if (c.text("CodiceValore").isEmpty())
                continue;
            x.start("CodiceArticolo");
            x.element("CodiceTipo", c.text("CodiceTipo"));
            x.element("CodiceValore", c.text("CodiceValore"));
            x.end();
        }
        x.element("Descrizione", l.text("Descrizione"));
        if (!l.isNull("Quantita"))
            x.decimal("Quantita", l.value("Quantita"), SchemaDecimal::Quantity);
        elementIfText(x, "UnitaMisura", l.text("UnitaMisura"));
        if (!l.isNull("DataInizioPeriodo"))
            x.date("DataInizioPeriodo", l.value("DataInizioPeriodo"));
        if (!l.isNull("DataFinePeriodo"))
            x.date("DataFinePeriodo", l.value("DataFinePeriodo"));
        x.decimal("PrezzoUnitario", l.value("PrezzoUnitario"), SchemaDecimal::Amount8);
        for (const Row& d : discounts.of(lineId)) {
            if (d.text("Tipo").isEmpty())
                continue;
            x.start("ScontoMaggiorazione");
            x.element("Tipo", d.text("Tipo"));
            if (!d.isNull("Percentuale"))
                x.decimal("Percentuale", d.value("Percentuale"), SchemaDecimal::Rate);
            if (!d.isNull("Importo"))
                x.decimal("Importo", d.value("Importo"), SchemaDecimal::Amount8);
            x.end();
        }
        x.decimal("PrezzoTotale", l.value("PrezzoTotale"), SchemaDecimal::Amount8);
        x.decimal("AliquotaIVA", l.value("AliquotaIva"), SchemaDecimal::Rate);
        elementIfText(x, "Ritenuta", UpperCase(l.text("Ritenuta")));
        elementIfText(x, "Natura", l.text("Natura"));
        elementIfText(x, "RiferimentoAmministrazione", l.text("RiferimentoAmministrazione"));
        for (const Row& o : others.of(lineId)) {
            if (o.text("TipoDato").isEmpty())
                continue;
            x.start("AltriDatiGestionali");
            x.element("TipoDato", o.text("TipoDato"));
            elementIfText(x, "RiferimentoTesto", o.text("RiferimentoTesto"));
            if (!o.isNull("RiferimentoNumero"))
                x.decimal("RiferimentoNumero", o.value("RiferimentoNumero"),
                          SchemaDecimal::Amount8);
            if (!o.isNull("RiferimentoData"))
                x.date("RiferimentoData", o.value("RiferimentoData"));
            x.end();
        }
        x.end();
    });
    if (position == 0)
        throw ExportError::abort(fattura::kNoLinesMessage);
    x.setRow(QString());
}

void writeSummaries(XmlOut& x, DataModule& data) {
    const Columns summaries(data.table("TablePA_FE_Body_DatiBeniServizi_DatiRiepilogo"));
    for (int i = 0; i < summaries.dataset().rowCount(); ++i) {
        const Row s(summaries, i);
        x.setRow(QStringLiteral("riepilogo IVA n. %1").arg(i + 1));
        x.start("DatiRiepilogo");
        x.decimal("AliquotaIVA", s.value("AliquotaIva"), SchemaDecimal::Rate);
        elementIfText(x, "Natura", s.text("Natura"));
        if (!s.isNull("SpeseAccessorie"))
            x.decimal("SpeseAccessorie", s.value("SpeseAccessorie"), SchemaDecimal::Amount2);
        if (!s.isNull("Arrotondamento"))
            x.decimal("Arrotondamento", s.value("Arrotondamento"), SchemaDecimal::Amount2);
        x.decimal("ImponibileImporto", s.value("ImponibileImporto"), SchemaDecimal::Amount2);
        x.decimal("Imposta", s.value("Imposta"), SchemaDecimal::Amount2);
        elementIfText(x, "EsigibilitaIVA", s.text("EsigibilitaIva"));
        elementIfText(x, "RiferimentoNormativo", s.text("RiferimentoNormativo"));
        x.end();
    }
    x.setRow(QString());
}

void writeVehicles(XmlOut& x, const Row& body) {
    if (!body.flag("DatiVeicoli"))
        return;
    x.start("DatiVeicoli");
    x.date("Data", body.value("DatiVeicoli_Data"));
    x.element("TotalePercorso", body.text("DatiVeicoli_TotalePercorso"));
    x.end();
}

} // namespace brevalto
