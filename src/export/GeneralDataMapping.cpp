// DatiGenerali of one body: the document data, the related documents with their line references,
// progress stages, delivery notes, transport and the main invoice.
#include "export/Mappings.h"
#include "export/ValueFormat.h"
#include "store/DataModule.h"

namespace brevalto {

namespace {

void writeDocumentData(XmlOut& x, DataModule& data, const Row& b) {
    x.start("DatiGeneraliDocumento");
    x.element("TipoDocumento", b.text("DatiGenerali_TipoDocumento"));
    x.element("Divisa", b.text("DatiGenerali_Divisa"));
    x.date("Data", b.value("DatiGenerali_Data"));
    x.element("Numero", b.text("DatiGenerali_Numero"));

    const Columns withholding(data.table("TablePA_FE_Body_DatiRitenuta"));
    for (int i = 0; i < withholding.dataset().rowCount(); ++i) {
        const Row r(withholding, i);
        if (r.text("TipoRitenuta").isEmpty())
            continue;
        x.start("DatiRitenuta");
        x.element("TipoRitenuta", r.text("TipoRitenuta"));
        x.decimal("ImportoRitenuta", r.value("ImportoRitenuta"), SchemaDecimal::Amount2);
        x.decimal("AliquotaRitenuta", r.value("AliquotaRitenuta"), SchemaDecimal::Rate);
        elementIfText(x, "CausalePagamento", r.text("CausalePagamento"));
        x.end();
    }

    if (b.flag("DatiGenerali_DatiBollo")) {
        x.start("DatiBollo");
        x.element("BolloVirtuale", b.text("DatiGenerali_DatiBollo_BolloVirtuale"));
        x.decimal("ImportoBollo", b.value("DatiGenerali_DatiBollo_ImportoBollo"),
                  SchemaDecimal::Amount2);
        x.end();
    }

    const Columns fund(data.table("TablePA_FE_Body_DatiCassaPrevidenziale"));
    for (int i = 0; i < fund.dataset().rowCount(); ++i) {
        const Row r(fund, i);
        if (r.text("TipoCassa").isEmpty())
            continue;
        x.start("DatiCassaPrevidenziale");
        x.element("TipoCassa", r.text("TipoCassa"));
        x.decimal("AlCassa", r.value("AlCassa"), SchemaDecimal::Rate);
        x.decimal("ImportoContributoCassa", r.value("ImportoContributoCassa"),
                  SchemaDecimal::Amount2);
        if (!r.isNull("ImponibileCassa"))
            x.decimal("ImponibileCassa", r.value("ImponibileCassa"), SchemaDecimal::Amount2);
        x.decimal("AliquotaIVA", r.value("AliquotaIva"), SchemaDecimal::Rate);
        elementIfText(x, "Ritenuta", UpperCase(r.text("Ritenuta")));
        elementIfText(x, "Natura", r.text("Natura"));
        elementIfText(x, "RiferimentoAmministrazione", r.text("RiferimentoAmministrazione"));
        x.end();
    }

    const Columns discounts(data.table("TablePA_FE_Body_ScontoMaggiorazione"));
    for (int i = 0; i < discounts.dataset().rowCount(); ++i) {
        const Row r(discounts, i);
        if (r.text("Tipo").isEmpty())
            continue;
        x.start("ScontoMaggiorazione");
        x.element("Tipo", r.text("Tipo"));
        if (!r.isNull("Percentuale"))
            x.decimal("Percentuale", r.value("Percentuale"), SchemaDecimal::Rate);
        if (!r.isNull("Importo"))
            x.decimal("Importo", r.value("Importo"), SchemaDecimal::Amount8);
        x.end();
    }

    if (!b.isNull("ImportoTotaleDocumento"))
        x.decimal("ImportoTotaleDocumento", b.value("ImportoTotaleDocumento"),
                  SchemaDecimal::Amount2);
    if (!b.isNull("Arrotondamento"))
        x.decimal("Arrotondamento", b.value("Arrotondamento"), SchemaDecimal::Amount2);

    const Columns causali(data.table("TablePA_FE_Body_Causale"));
    for (int i = 0; i < causali.dataset().rowCount(); ++i)
        x.element("Causale", Row(causali, i).text("Descrizione"));

    elementIfText(x, "Art73", UpperCase(b.text("Art73")));
    x.end();
}

// The line references of a related document or delivery note.
void writeLineReferences(XmlOut& x, const ChildRows& references, int parentId) {
    for (const Row& ref : references.of(parentId))
        x.integer("RiferimentoNumeroLinea", ref.value("RiferimentoNumeroLinea"), 1, 9999);
}

struct RelatedGroup {
    const char* element;
    const char* dataset;
    const char* table;
};

const RelatedGroup kRelatedGroups[] = {
    {"DatiOrdineAcquisto", "TablePA_FE_Body_DatiOrdineAcquisto", "PA_FE_Body_DatiOrdineAcquisto"},
    {"DatiContratto", "TablePA_FE_Body_DatiContratto", "PA_FE_Body_DatiContratto"},
    {"DatiConvenzione", "TablePA_FE_Body_DatiConvenzione", "PA_FE_Body_DatiConvenzione"},
    {"DatiRicezione", "TablePA_FE_Body_DatiRicezione", "PA_FE_Body_DatiRicezione"},
    {"DatiFattureCollegate", "TablePA_FE_Body_DatiFattureCollegate",
     "PA_FE_Body_DatiFattureCollegate"},
};

ChildRows referencesOf(DataModule& data, const QString& parentTable, int bodyId) {
    return ChildRows(data.connessione(), parentTable + QStringLiteral("_Riferimenti"),
                     parentTable + QStringLiteral("_Id"), parentTable, bodyId);
}

void writeRelatedDocuments(XmlOut& x, DataModule& data, int bodyId) {
    for (const RelatedGroup& group : kRelatedGroups) {
        const Columns rows(data.table(QString::fromLatin1(group.dataset)));
        if (rows.dataset().isEmpty())
            continue;
        const ChildRows references = referencesOf(data, QString::fromLatin1(group.table), bodyId);
        for (int i = 0; i < rows.dataset().rowCount(); ++i) {
            const Row r(rows, i);
            x.start(QString::fromLatin1(group.element));
            writeLineReferences(x, references, int(r.integer("Id")));
            x.element("IdDocumento", r.text("IdDocumento"));
            if (!r.isNull("Data"))
                x.date("Data", r.value("Data"));
            elementIfText(x, "NumItem", r.text("NumItem"));
            elementIfText(x, "CodiceCommessaConvenzione", r.text("CodiceCommessaConvenzione"));
            elementIfText(x, "CodiceCUP", r.text("CodiceCUP"));
            elementIfText(x, "CodiceCIG", r.text("CodiceCIG"));
            x.end();
        }
    }
}

void writeStagesAndDeliveryNotes(XmlOut& x, DataModule& data, int bodyId) {
    const Columns stages(data.table("TablePA_FE_Body_DatiSAL"));
    for (int i = 0; i < stages.dataset().rowCount(); ++i) {
        x.start("DatiSAL");
        x.integer("RiferimentoFase", Row(stages, i).value("RiferimentoFase"), 1, 999);
        x.end();
    }

    const Columns notes(data.table("TablePA_FE_Body_DatiDDT"));
    if (notes.dataset().isEmpty())
        return;
    const ChildRows references = referencesOf(data, QStringLiteral("PA_FE_Body_DatiDDT"), bodyId);
    for (int i = 0; i < notes.dataset().rowCount(); ++i) {
        const Row r(notes, i);
        x.start("DatiDDT");
        x.element("NumeroDDT", r.text("NumeroDDT"));
        x.date("DataDDT", r.value("DataDDT"));
        writeLineReferences(x, references, int(r.integer("Id")));
        x.end();
    }
}

void writeTransport(XmlOut& x, const Row& b) {
    if (!b.flag("DatiTrasporto"))
        return;
    x.start("DatiTrasporto");
    if (b.flag("DatiAnagraficiVettore")) {
        x.start("DatiAnagraficiVettore");
        writeVatId(x, b.text("Vettore_IdPaese"), b.text("Vettore_IdCodice"));
        writeTaxCodeAndName(
            x, b, QStringLiteral("Vettore_CodiceFiscale"),
            nameColumns(QStringLiteral("Vettore_"), QStringLiteral("Vettore_CodEORI")));
        elementIfText(x, "NumeroLicenzaGuida", b.text("Vettore_NumeroLicenzaGuida"));
        x.end();
    }
    elementIfText(x, "MezzoTrasporto", b.text("MezzoTrasporto"));
    elementIfText(x, "CausaleTrasporto", b.text("CausaleTrasporto"));
    if (!b.isNull("NumeroColli"))
        x.integer("NumeroColli", b.value("NumeroColli"), 1, 9999);
    elementIfText(x, "Descrizione", b.text("Descrizione"));
    elementIfText(x, "UnitaMisuraPeso", b.text("UnitaMisuraPeso"));
    if (!b.isNull("PesoLordo"))
        x.decimal("PesoLordo", b.value("PesoLordo"), SchemaDecimal::Weight);
    if (!b.isNull("PesoNetto"))
        x.decimal("PesoNetto", b.value("PesoNetto"), SchemaDecimal::Weight);
    if (!b.isNull("DataOraRitiro"))
        x.dateTime("DataOraRitiro", b.value("DataOraRitiro"));
    if (!b.isNull("DataInizioTrasporto"))
        x.date("DataInizioTrasporto", b.value("DataInizioTrasporto"));
    elementIfText(x, "TipoResa", b.text("TipoResa"));
    if (b.flag("IndirizzoResa")) {
        x.start("IndirizzoResa");
        writeAddressBlock(x, b, QStringLiteral("Resa_"));
        x.end();
    }
    if (!b.isNull("DataOraConsegna"))
        x.dateTime("DataOraConsegna", b.value("DataOraConsegna"));
    x.end();
}

void writeMainInvoice(XmlOut& x, const Row& b) {
    if (!b.flag("FatturaPrincipale"))
        return;
    x.start("FatturaPrincipale");
    x.element("NumeroFatturaPrincipale", b.text("NumeroFatturaPrincipale"));
    x.date("DataFatturaPrincipale", b.value("DataFatturaPrincipale"));
    x.end();
}

} // namespace

void writeGeneralData(XmlOut& x, DataModule& data, const Row& body, int bodyId) {
    x.start("DatiGenerali");
    writeDocumentData(x, data, body);
    writeRelatedDocuments(x, data, bodyId);
    writeStagesAndDeliveryNotes(x, data, bodyId);
    writeTransport(x, body);
    writeMainInvoice(x, body);
    x.end();
}

} // namespace brevalto
