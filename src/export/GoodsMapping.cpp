// DatiBeniServizi (lines with their codes, discounts and other data; VAT summaries) and
// DatiVeicoli of one body. Amounts are written as stored: nothing is recomputed here.
#include "export/Mappings.h"
#include "export/ValueFormat.h"
#include "store/DataModule.h"

namespace brevalto {

namespace {

const QString kLineTable = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee");
const QString kLineKey = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id");

ChildRows lineChildren(DataModule& data, const QString& suffix, int bodyId) {
    return ChildRows(data.connessione(), kLineTable + suffix, kLineKey, kLineTable, bodyId);
}

} // namespace

void writeLines(XmlOut& x, DataModule& data, int bodyId) {
    const Columns lines(data.table("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee"));
    const ChildRows codes = lineChildren(data, QStringLiteral("_Codici"), bodyId);
    const ChildRows discounts = lineChildren(data, QStringLiteral("_Sconto"), bodyId);
    const ChildRows others = lineChildren(data, QStringLiteral("_Altro"), bodyId);

    for (int i = 0; i < lines.dataset().rowCount(); ++i) {
        const Row l(lines, i);
        const int lineId = int(l.integer("Id"));
        x.start("DettaglioLinee");
        x.element("NumeroLinea", FormatInteger(l.integer("NumeroLinea"), 4));
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
            x.element("Quantita", FormatSchemaDecimal(l.number("Quantita"), 21));
        elementIfText(x, "UnitaMisura", l.text("UnitaMisura"));
        if (!l.isNull("DataInizioPeriodo"))
            x.element("DataInizioPeriodo", FormatDate(l.value("DataInizioPeriodo")));
        if (!l.isNull("DataFinePeriodo"))
            x.element("DataFinePeriodo", FormatDate(l.value("DataFinePeriodo")));
        x.element("PrezzoUnitario", FormatSchemaDecimal(l.number("PrezzoUnitario"), 21));
        for (const Row& d : discounts.of(lineId)) {
            if (d.text("Tipo").isEmpty())
                continue;
            x.start("ScontoMaggiorazione");
            x.element("Tipo", d.text("Tipo"));
            if (!d.isNull("Percentuale"))
                x.element("Percentuale", FormatSchemaDecimal(d.number("Percentuale"), 6));
            if (!d.isNull("Importo"))
                x.element("Importo", FormatSchemaDecimal(d.number("Importo"), 21));
            x.end();
        }
        x.element("PrezzoTotale", FormatSchemaDecimal(l.number("PrezzoTotale"), 21));
        x.element("AliquotaIVA", FormatSchemaDecimal(l.number("AliquotaIva"), 6));
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
                x.element("RiferimentoNumero",
                          FormatSchemaDecimal(o.number("RiferimentoNumero"), 21));
            if (!o.isNull("RiferimentoData"))
                x.element("RiferimentoData", FormatDate(o.value("RiferimentoData")));
            x.end();
        }
        x.end();
    }
}

void writeSummaries(XmlOut& x, DataModule& data) {
    const Columns summaries(data.table("TablePA_FE_Body_DatiBeniServizi_DatiRiepilogo"));
    for (int i = 0; i < summaries.dataset().rowCount(); ++i) {
        const Row s(summaries, i);
        x.start("DatiRiepilogo");
        x.element("AliquotaIVA", FormatSchemaDecimal(s.number("AliquotaIva"), 6));
        elementIfText(x, "Natura", s.text("Natura"));
        if (!s.isNull("SpeseAccessorie"))
            x.element("SpeseAccessorie", FormatSchemaDecimal(s.number("SpeseAccessorie"), 15));
        if (!s.isNull("Arrotondamento"))
            x.element("Arrotondamento", FormatSchemaDecimal(s.number("Arrotondamento"), 15));
        x.element("ImponibileImporto", FormatSchemaDecimal(s.number("ImponibileImporto"), 15));
        x.element("Imposta", FormatSchemaDecimal(s.number("Imposta"), 15));
        elementIfText(x, "EsigibilitaIVA", s.text("EsigibilitaIva"));
        elementIfText(x, "RiferimentoNormativo", s.text("RiferimentoNormativo"));
        x.end();
    }
}

void writeVehicles(XmlOut& x, const Row& body) {
    if (!body.flag("DatiVeicoli"))
        return;
    x.start("DatiVeicoli");
    x.element("Data", FormatDate(body.value("DatiVeicoli_Data")));
    x.element("TotalePercorso", body.text("DatiVeicoli_TotalePercorso"));
    x.end();
}

} // namespace brevalto
