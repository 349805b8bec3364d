#include "ExportTestSupport.h"
#include "store/Dataset.h"

#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

const QString kBody = "FatturaElettronicaBody";
const QString kGeneral = "FatturaElettronicaBody/DatiGenerali";
const QString kDocument = "FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento";
const QString kLines = "FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee";

TEST(BodyMappingTest, EveryOptionalBlockInSchemaOrder) {
    ExportArchive a;
    const QDomDocument x = a.exportDocument(scenarioEveryOptionalBlock(a));

    EXPECT_EQ(childNamesAt(x, kBody), QStringList({"DatiGenerali", "DatiBeniServizi", "DatiVeicoli",
                                                   "DatiPagamento", "DatiPagamento", "Allegati"}));
    EXPECT_EQ(childNamesAt(x, kGeneral),
              QStringList({"DatiGeneraliDocumento", "DatiOrdineAcquisto", "DatiContratto",
                           "DatiConvenzione", "DatiRicezione", "DatiFattureCollegate", "DatiSAL",
                           "DatiDDT", "DatiTrasporto", "FatturaPrincipale"}));
    // The withholding row without a type and the discount row without a kind are left out.
    EXPECT_EQ(
        childNamesAt(x, kDocument),
        QStringList({"TipoDocumento", "Divisa", "Data", "Numero", "DatiRitenuta", "DatiBollo",
                     "DatiCassaPrevidenziale", "ScontoMaggiorazione", "ImportoTotaleDocumento",
                     "Arrotondamento", "Causale", "Causale", "Art73"}));
    EXPECT_EQ(textAt(x, kDocument + "/Data"), "2024-01-15");
    EXPECT_EQ(
        childNamesAt(x, kDocument + "/DatiRitenuta"),
        QStringList({"TipoRitenuta", "ImportoRitenuta", "AliquotaRitenuta", "CausalePagamento"}));
    EXPECT_EQ(textAt(x, kDocument + "/DatiRitenuta/ImportoRitenuta"), "20.00");
    EXPECT_EQ(textAt(x, kDocument + "/DatiBollo/ImportoBollo"), "2.00");
    EXPECT_EQ(childNamesAt(x, kDocument + "/DatiCassaPrevidenziale"),
              QStringList({"TipoCassa", "AlCassa", "ImportoContributoCassa", "ImponibileCassa",
                           "AliquotaIVA", "Ritenuta", "RiferimentoAmministrazione"}));
    EXPECT_EQ(textAt(x, kDocument + "/DatiCassaPrevidenziale/Ritenuta"), "SI");
    EXPECT_EQ(textsAt(x, kDocument + "/Causale"),
              QStringList({"Prima causale", "Seconda causale"}));
    EXPECT_EQ(textAt(x, kDocument + "/Art73"), "SI");
    EXPECT_EQ(textAt(x, kDocument + "/Arrotondamento"), "0.01");

    for (const char* group : {"DatiOrdineAcquisto", "DatiContratto", "DatiConvenzione",
                              "DatiRicezione", "DatiFattureCollegate"}) {
        SCOPED_TRACE(group);
        const QString path = kGeneral + "/" + group;
        EXPECT_EQ(
            childNamesAt(x, path),
            QStringList({"RiferimentoNumeroLinea", "RiferimentoNumeroLinea", "IdDocumento", "Data",
                         "NumItem", "CodiceCommessaConvenzione", "CodiceCUP", "CodiceCIG"}));
        EXPECT_EQ(textsAt(x, path + "/RiferimentoNumeroLinea"), QStringList({"1", "2"}));
        EXPECT_EQ(textAt(x, path + "/Data"), "2023-12-01");
    }
    EXPECT_EQ(textAt(x, kGeneral + "/DatiSAL/RiferimentoFase"), "1");
    EXPECT_EQ(childNamesAt(x, kGeneral + "/DatiDDT"),
              QStringList({"NumeroDDT", "DataDDT", "RiferimentoNumeroLinea"}));

    const QString transport = kGeneral + "/DatiTrasporto";
    EXPECT_EQ(
        childNamesAt(x, transport),
        QStringList({"DatiAnagraficiVettore", "MezzoTrasporto", "CausaleTrasporto", "NumeroColli",
                     "Descrizione", "UnitaMisuraPeso", "PesoLordo", "PesoNetto", "DataOraRitiro",
                     "DataInizioTrasporto", "TipoResa", "IndirizzoResa", "DataOraConsegna"}));
    EXPECT_EQ(childNamesAt(x, transport + "/DatiAnagraficiVettore"),
              QStringList({"IdFiscaleIVA", "CodiceFiscale", "Anagrafica", "NumeroLicenzaGuida"}));
    EXPECT_EQ(textAt(x, transport + "/PesoLordo"), "12.50");
    EXPECT_EQ(textAt(x, transport + "/PesoNetto"), "10.00");
    EXPECT_EQ(textAt(x, transport + "/DataOraRitiro"), "2019-03-07T14:30:00");
    EXPECT_EQ(textAt(x, transport + "/DataOraConsegna"), "2019-03-08T09:05:07");
    EXPECT_EQ(textAt(x, transport + "/IndirizzoResa/CAP"), "00178");
    EXPECT_EQ(textAt(x, kGeneral + "/FatturaPrincipale/DataFatturaPrincipale"), "2019-02-01");

    // Line 1: one code (the row without a value is left out), one discount, two other data.
    const QString line1 = kLines + "[1]";
    EXPECT_EQ(childNamesAt(x, line1),
              QStringList({"NumeroLinea", "TipoCessionePrestazione", "CodiceArticolo",
                           "Descrizione", "Quantita", "UnitaMisura", "DataInizioPeriodo",
                           "DataFinePeriodo", "PrezzoUnitario", "ScontoMaggiorazione",
                           "PrezzoTotale", "AliquotaIVA", "Ritenuta", "RiferimentoAmministrazione",
                           "AltriDatiGestionali", "AltriDatiGestionali"}));
    EXPECT_EQ(textAt(x, line1 + "/CodiceArticolo/CodiceValore"), "8001234567890");
    EXPECT_EQ(textAt(x, line1 + "/Quantita"), "1.50");
    EXPECT_EQ(textAt(x, line1 + "/PrezzoUnitario"), "10.12345678");
    EXPECT_EQ(childNamesAt(x, line1 + "/ScontoMaggiorazione"),
              QStringList({"Tipo", "Percentuale", "Importo"}));
    EXPECT_EQ(textAt(x, line1 + "/ScontoMaggiorazione/Importo"), "1.50");
    EXPECT_EQ(textAt(x, line1 + "/AliquotaIVA"), "22.00");
    EXPECT_EQ(textAt(x, line1 + "/Ritenuta"), "SI");
    EXPECT_EQ(
        childNamesAt(x, line1 + "/AltriDatiGestionali[1]"),
        QStringList({"TipoDato", "RiferimentoTesto", "RiferimentoNumero", "RiferimentoData"}));
    EXPECT_EQ(textAt(x, line1 + "/AltriDatiGestionali[1]/RiferimentoNumero"), "77.50");
    EXPECT_EQ(childNamesAt(x, line1 + "/AltriDatiGestionali[2]"), QStringList({"TipoDato"}));
    EXPECT_EQ(textAt(x, kLines + "[2]/AliquotaIVA"), "0.00");
    EXPECT_EQ(textAt(x, kLines + "[2]/Natura"), "N4");

    // Summaries by ascending rate.
    const QString summary = "FatturaElettronicaBody/DatiBeniServizi/DatiRiepilogo";
    EXPECT_EQ(textsAt(x, summary + "/AliquotaIVA"), QStringList({"0.00", "22.00"}));
    EXPECT_EQ(childNamesAt(x, summary + "[1]"),
              QStringList({"AliquotaIVA", "Natura", "ImponibileImporto", "Imposta",
                           "RiferimentoNormativo"}));
    EXPECT_EQ(childNamesAt(x, summary + "[2]"),
              QStringList({"AliquotaIVA", "SpeseAccessorie", "Arrotondamento", "ImponibileImporto",
                           "Imposta", "EsigibilitaIVA"}));

    EXPECT_EQ(textAt(x, kBody + "/DatiVeicoli/Data"), "2018-06-01");
    EXPECT_EQ(textAt(x, kBody + "/DatiVeicoli/TotalePercorso"), "12000");

    // Payments ordered by condition: the instalments first, then payment in full.
    EXPECT_EQ(textsAt(x, kBody + "/DatiPagamento/CondizioniPagamento"),
              QStringList({"TP01", "TP02"}));
    EXPECT_EQ(textsAt(x, kBody + "/DatiPagamento[1]/DettaglioPagamento/ImportoPagamento"),
              QStringList({"73.10", "73.10"}));
    EXPECT_EQ(childNamesAt(x, kBody + "/DatiPagamento[2]/DettaglioPagamento"),
              QStringList({"Beneficiario",
                           "ModalitaPagamento",
                           "DataRiferimentoTerminiPagamento",
                           "GiorniTerminiPagamento",
                           "DataScadenzaPagamento",
                           "ImportoPagamento",
                           "CodUfficioPostale",
                           "CognomeQuietanzante",
                           "NomeQuietanzante",
                           "CFQuietanzante",
                           "TitoloQuietanzante",
                           "IstitutoFinanziario",
                           "IBAN",
                           "ABI",
                           "CAB",
                           "BIC",
                           "ScontoPagamentoAnticipato",
                           "DataLimitePagamentoAnticipato",
                           "PenalitaPagamentiRitardati",
                           "DataDecorrenzaPenale",
                           "CodicePagamento"}));

    // The attachment row without a path is left out.
    EXPECT_EQ(childNamesAt(x, kBody + "/Allegati"),
              QStringList({"NomeAttachment", "AlgoritmoCompressione", "FormatoAttachment",
                           "DescrizioneAttachment", "Attachment"}));
    EXPECT_EQ(textAt(x, kBody + "/Allegati/Attachment"), QByteArray("%PDF-1.4 prova").toBase64());
}

TEST(BodyMappingTest, NoOptionalBlock) {
    ExportArchive a;
    const QDomDocument x = a.exportDocument(scenarioNoOptionalBlock(a));
    EXPECT_EQ(childNamesAt(x, kBody), QStringList({"DatiGenerali", "DatiBeniServizi"}));
    EXPECT_EQ(childNamesAt(x, kGeneral), QStringList({"DatiGeneraliDocumento"}));
    EXPECT_EQ(childNamesAt(x, kDocument),
              QStringList({"TipoDocumento", "Divisa", "Data", "Numero"}));
    EXPECT_EQ(childNamesAt(x, kLines), QStringList({"NumeroLinea", "Descrizione", "PrezzoUnitario",
                                                    "PrezzoTotale", "AliquotaIVA"}));
    EXPECT_EQ(textAt(x, kLines + "/PrezzoUnitario"), "100.00");
}

// Null columns of elements written unconditionally take the archive's defaults.
TEST(BodyMappingTest, NullColumnsOfUnconditionalElements) {
    ExportArchive a;
    const int doc = a.addDocument();
    const int body = a.addBody(doc, {{"DatiGenerali_DatiBollo", true},
                                     {"DatiTrasporto", true},
                                     {"FatturaPrincipale", true},
                                     {"DatiVeicoli", true}});
    const int line =
        a.addLine(body, 1, {{"PrezzoUnitario", QVariant()}, {"Descrizione", QVariant()}});
    a.add("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Sconto",
          {{"PA_FE_Body_Id", body},
           {"PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id", line},
           {"Tipo", "MG"}});
    a.addSummary(body);
    a.add("PA_FE_Body_DatiDDT", {{"PA_FE_Body_Id", body}, {"NumeroDDT", "5"}});
    a.add("PA_FE_Body_Causali", {{"PA_FE_Body_Id", body}});
    const int pay = a.add("PA_FE_Body_DatiPagamento",
                          {{"PA_FE_Body_Id", body}, {"CondizioniPagamento", "TP02"}});
    a.add("PA_FE_Body_DatiPagamento_Dettaglio", {{"PA_FE_Body_Id", body},
                                                 {"PA_FE_Body_DatiPagamento_Id", pay},
                                                 {"GiorniTerminiPagamento", 999}});
    a.add("PA_FE_Body_DatiPagamento", {{"PA_FE_Body_Id", body}, {"CondizioniPagamento", "TP01"}});

    const QDomDocument x = a.exportDocument(doc);
    EXPECT_EQ(textAt(x, kDocument + "/DatiBollo/BolloVirtuale"), "");
    EXPECT_EQ(textAt(x, kDocument + "/DatiBollo/ImportoBollo"), "0.00");
    EXPECT_EQ(textAt(x, kDocument + "/Causale"), "");
    EXPECT_EQ(textAt(x, kGeneral + "/DatiDDT/DataDDT"), "1899-12-30");
    EXPECT_EQ(childNamesAt(x, kGeneral + "/DatiTrasporto"), QStringList());
    EXPECT_EQ(textAt(x, kGeneral + "/FatturaPrincipale/NumeroFatturaPrincipale"), "");
    EXPECT_EQ(textAt(x, kGeneral + "/FatturaPrincipale/DataFatturaPrincipale"), "1899-12-30");
    EXPECT_EQ(textAt(x, kBody + "/DatiVeicoli/Data"), "1899-12-30");
    EXPECT_EQ(textAt(x, kLines + "/PrezzoUnitario"), "0.00");
    EXPECT_EQ(textAt(x, kLines + "/Descrizione"), "");
    EXPECT_EQ(childNamesAt(x, kLines + "/ScontoMaggiorazione"), QStringList({"Tipo"}));
    EXPECT_EQ(childNamesAt(x, kBody + "/DatiPagamento[1]"), QStringList({"CondizioniPagamento"}));
    const QString instalment = kBody + "/DatiPagamento[2]/DettaglioPagamento";
    EXPECT_EQ(textAt(x, instalment + "/ModalitaPagamento"), "");
    EXPECT_EQ(textAt(x, instalment + "/ImportoPagamento"), "0.00");
    EXPECT_EQ(textAt(x, instalment + "/GiorniTerminiPagamento"), "999");
}

// Reference line numbers come in key order, up to the four digits the format holds; a larger one
// stops the export (it is never cut to another line's number).
TEST(BodyMappingTest, ReferencesInKeyOrder) {
    ExportArchive a;
    const int doc = scenarioReferencesInKeyOrder(a);
    const QDomDocument x = a.exportDocument(doc);
    EXPECT_EQ(textsAt(x, kGeneral + "/DatiOrdineAcquisto/RiferimentoNumeroLinea"),
              QStringList({"10", "1", "9999"}));
    EXPECT_EQ(textAt(x, kGeneral + "/DatiDDT/RiferimentoNumeroLinea"), "9999");
    EXPECT_EQ(textAt(x, kGeneral + "/DatiDDT/DataDDT"), "1899-12-30");
    EXPECT_EQ(textAt(x, kLines + "/NumeroLinea"), "9999");

    a.db().exec("update PA_FE_Body_DatiDDT_Riferimenti set RiferimentoNumeroLinea = 12345");
    a.select(doc);
    test::ScriptedPrompt prompt;
    EXPECT_EQ(a.exportTo(a.folder.file("troppo.xml"), prompt), ExportDriver::Outcome::Aborted);
    ASSERT_EQ(prompt.calls().size(), 1);
    EXPECT_TRUE(prompt.calls()[0].text.contains("DatiDDT/RiferimentoNumeroLinea"))
        << prompt.calls()[0].text.toStdString();
}

// Second-level rows belong to their own parent only, also across bodies of one document.
TEST(BodyMappingTest, SecondLevelRowsFollowTheirParent) {
    ExportArchive a;
    const int doc = a.addDocument();
    const QString lineKey = "PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id";
    for (int n = 1; n <= 2; ++n) {
        const int body = a.addBody(doc, {{"DatiGenerali_Numero", QString::number(n)}});
        a.addSummary(body);
        for (int l = 1; l <= 2; ++l) {
            const int line = a.addLine(body, l);
            a.add("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici",
                  {{"PA_FE_Body_Id", body},
                   {lineKey, line},
                   {"CodiceTipo", "INT"},
                   {"CodiceValore", QStringLiteral("B%1L%2").arg(n).arg(l)}});
        }
    }
    const QDomDocument x = a.exportDocument(doc);
    EXPECT_EQ(
        textsAt(
            x,
            "FatturaElettronicaBody[1]/DatiBeniServizi/DettaglioLinee/CodiceArticolo/CodiceValore"),
        QStringList({"B1L1", "B1L2"}));
    EXPECT_EQ(
        textsAt(
            x,
            "FatturaElettronicaBody[2]/DatiBeniServizi/DettaglioLinee/CodiceArticolo/CodiceValore"),
        QStringList({"B2L1", "B2L2"}));
}

TEST(BodyMappingTest, TwoBodiesInTheRegistersOrder) {
    ExportArchive a;
    const int doc = scenarioTwoBodies(a);
    QDomDocument x = a.exportDocument(doc);
    EXPECT_EQ(textsAt(x, "FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/Numero"),
              QStringList({"1", "2"}));
    EXPECT_EQ(textAt(x, "FatturaElettronicaBody[2]/DatiBeniServizi/DettaglioLinee/Descrizione"),
              "Riga del corpo 2");
    EXPECT_EQ(
        textAt(x, "FatturaElettronicaBody[2]/DatiBeniServizi/DatiRiepilogo/ImponibileImporto"),
        "200.00");
    EXPECT_EQ(
        textAt(x, "FatturaElettronicaBody[2]/DatiPagamento/DettaglioPagamento/ImportoPagamento"),
        "244.00");
    EXPECT_EQ(textAt(x, "FatturaElettronicaBody[1]/Allegati/NomeAttachment"), "corpo1.txt");
    EXPECT_EQ(textAt(x, "FatturaElettronicaBody[2]/Allegati/Attachment"),
              QByteArray("body 2").toBase64());
    // The register's dataset is left on the last body.
    EXPECT_EQ(a.data.table("TablePA_Body").text("DatiGenerali_Numero"), "2");

    // The register's sort and search filter decide which bodies go, and in which order.
    a.select(doc);
    Dataset& bodies = a.data.table("TablePA_Body");
    bodies.setSort("DatiGenerali_Numero DESC");
    test::ScriptedPrompt prompt;
    ASSERT_EQ(a.exportTo(a.folder.file("sorted.xml"), prompt), ExportDriver::Outcome::Written);
    x = parseXml(readFile(a.folder.file("sorted.xml")));
    EXPECT_EQ(textsAt(x, "FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/Numero"),
              QStringList({"2", "1"}));

    a.select(doc);
    a.data.table("TablePA_Body").setFilter("DatiGenerali_Numero like '2*'");
    ASSERT_EQ(a.exportTo(a.folder.file("filtered.xml"), prompt), ExportDriver::Outcome::Written);
    x = parseXml(readFile(a.folder.file("filtered.xml")));
    EXPECT_EQ(textsAt(x, "FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/Numero"),
              QStringList({"2"}));
}

// 0, 1, 2 and 3 bytes: empty, two, one and no fill characters; ordered by name.
TEST(BodyMappingTest, SmallAttachments) {
    ExportArchive a;
    const QDomDocument x = a.exportDocument(scenarioSmallAttachments(a));
    EXPECT_EQ(textsAt(x, kBody + "/Allegati/NomeAttachment"),
              QStringList({"a0.bin", "a1.bin", "a2.bin", "a3.bin"}));
    EXPECT_EQ(textsAt(x, kBody + "/Allegati/Attachment"),
              QStringList({"", "YQ==", "YWI=", "YWJj"}));
}

// A file changed after it was attached goes out as it is now.
TEST(BodyMappingTest, AttachmentsAreReadAtExportTime) {
    ExportArchive a;
    const int doc = a.addDocument();
    const int body = a.addCompleteBody(doc);
    const QString file = a.makeFile("nota.txt", "prima");
    a.add("PA_FE_Body_Allegati",
          {{"PA_FE_Body_Id", body}, {"NomeAttachment", "nota.txt"}, {"PercorsoCompleto", file}});
    a.makeFile("nota.txt", "dopo");
    const QDomDocument x = a.exportDocument(doc);
    EXPECT_EQ(textAt(x, kBody + "/Allegati/Attachment"), QByteArray("dopo").toBase64());
}

// Free texts keep blanks, line breaks and accents.
TEST(BodyMappingTest, DescriptionsAreWrittenAsStored) {
    ExportArchive a;
    const int doc = a.addDocument();
    const int body = a.addBody(doc);
    const QString text = QString::fromUtf8("  Riga su\ndue righe & <più>  \tfine ");
    a.addLine(body, 1, {{"Descrizione", text}});
    a.addSummary(body);
    const QDomDocument x = a.exportDocument(doc);
    EXPECT_EQ(textAt(x, kLines + "/Descrizione"), text);
}

} // namespace
} // namespace brevalto
