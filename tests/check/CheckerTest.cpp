// The pre-send check on small invoices: one valid base file, and a table of changes each of
// which breaks one rule (or, near a tolerance, does not).
#include "check/Checker.h"
#include "check/Decimal.h"
#include "support/BoundedRun.h"
#include "support/HostileXml.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <functional>
#include <gtest/gtest.h>

using namespace brevalto;
using namespace brevalto::check;
using namespace brevalto::test;

namespace {

const QByteArray kLine1 =
    "<DettaglioLinee><NumeroLinea>1</NumeroLinea><Descrizione>Consulenza</Descrizione>"
    "<Quantita>2.00</Quantita><PrezzoUnitario>25.00</PrezzoUnitario>"
    "<ScontoMaggiorazione><Tipo>SC</Tipo><Percentuale>2.50</Percentuale></ScontoMaggiorazione>"
    "<PrezzoTotale>48.75</PrezzoTotale><AliquotaIVA>22.00</AliquotaIVA></DettaglioLinee>\n";
const QByteArray kLine2 =
    "<DettaglioLinee><NumeroLinea>2</NumeroLinea><Descrizione>Spese anticipate</Descrizione>"
    "<PrezzoUnitario>2.00</PrezzoUnitario><PrezzoTotale>2.00</PrezzoTotale>"
    "<AliquotaIVA>0.00</AliquotaIVA><Natura>N1</Natura></DettaglioLinee>\n";
const QByteArray kSummary1 =
    "<DatiRiepilogo><AliquotaIVA>22.00</AliquotaIVA><ImponibileImporto>48.75</ImponibileImporto>"
    "<Imposta>10.73</Imposta><EsigibilitaIVA>I</EsigibilitaIVA></DatiRiepilogo>\n";
const QByteArray kSummary2 =
    "<DatiRiepilogo><AliquotaIVA>0.00</AliquotaIVA><Natura>N1</Natura>"
    "<ImponibileImporto>2.00</ImponibileImporto><Imposta>0.00</Imposta></DatiRiepilogo>\n";
const QByteArray kBodyStart =
    "<FatturaElettronicaBody>\n<DatiGenerali><DatiGeneraliDocumento><TipoDocumento>TD01"
    "</TipoDocumento><Divisa>EUR</Divisa><Data>2025-03-10</Data><Numero>FT-12</Numero>"
    "</DatiGeneraliDocumento></DatiGenerali>\n<DatiBeniServizi>\n";
const QByteArray kBodyEnd = "</DatiBeniServizi>\n</FatturaElettronicaBody>\n";

// A valid invoice between two Italian firms: a discounted line at 22% (48.75, whose tax 10.725
// rounds up to 10.73) and a line excluded from VAT (N1).
QByteArray baseInvoice() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<p:FatturaElettronica versione=\"FPR12\" "
           "xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\">\n"
           "<FatturaElettronicaHeader>\n"
           "<DatiTrasmissione><IdTrasmittente><IdPaese>IT</IdPaese><IdCodice>01234567890"
           "</IdCodice></IdTrasmittente><ProgressivoInvio>00001</ProgressivoInvio>"
           "<FormatoTrasmissione>FPR12</FormatoTrasmissione><CodiceDestinatario>ABC1234"
           "</CodiceDestinatario></DatiTrasmissione>\n"
           "<CedentePrestatore><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT</IdPaese><IdCodice>"
           "01234567890</IdCodice></IdFiscaleIVA><Anagrafica><Denominazione>Alfa Srl"
           "</Denominazione></Anagrafica><RegimeFiscale>RF01</RegimeFiscale></DatiAnagrafici>"
           "<Sede><Indirizzo>Via Roma 1</Indirizzo><CAP>00100</CAP><Comune>Roma</Comune>"
           "<Nazione>IT</Nazione></Sede></CedentePrestatore>\n"
           "<CessionarioCommittente><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT</IdPaese>"
           "<IdCodice>09876543210</IdCodice></IdFiscaleIVA><Anagrafica><Denominazione>Beta Spa"
           "</Denominazione></Anagrafica></DatiAnagrafici><Sede><Indirizzo>Corso Italia 2"
           "</Indirizzo><CAP>20100</CAP><Comune>Milano</Comune><Nazione>IT</Nazione></Sede>"
           "</CessionarioCommittente>\n"
           "</FatturaElettronicaHeader>\n" +
           kBodyStart + kLine1 + kLine2 + kSummary1 + kSummary2 + kBodyEnd +
           "</p:FatturaElettronica>\n";
}

const QDate kToday(2025, 6, 30);

using Change = std::function<QByteArray(QByteArray)>;

Change replace(const QByteArray& from, const QByteArray& to) {
    return [from, to](QByteArray text) {
        EXPECT_TRUE(text.contains(from)) << from.constData();
        return text.replace(from, to);
    };
}

Change all(std::initializer_list<Change> changes) {
    QList<Change> list(changes);
    return [list](QByteArray text) {
        for (const Change& c : list)
            text = c(text);
        return text;
    };
}

// Line 1 replaced: quantity (empty: none), unit price, discounts, total; the 22% summary set to
// taxable and tax; line 2 and its summary left out.
Change line1(const QByteArray& quantity, const QByteArray& price, const QByteArray& discounts,
             const QByteArray& total, const QByteArray& taxable, const QByteArray& tax) {
    QByteArray line = "<DettaglioLinee><NumeroLinea>1</NumeroLinea><Descrizione>Merce"
                      "</Descrizione>";
    if (!quantity.isEmpty())
        line += "<Quantita>" + quantity + "</Quantita>";
    line += "<PrezzoUnitario>" + price + "</PrezzoUnitario>" + discounts + "<PrezzoTotale>" +
            total + "</PrezzoTotale><AliquotaIVA>22.00</AliquotaIVA></DettaglioLinee>\n";
    const QByteArray summary = "<DatiRiepilogo><AliquotaIVA>22.00</AliquotaIVA>"
                               "<ImponibileImporto>" +
                               taxable + "</ImponibileImporto><Imposta>" + tax +
                               "</Imposta></DatiRiepilogo>\n";
    return all({replace(kLine1, line), replace(kLine2, ""), replace(kSummary1, summary),
                replace(kSummary2, "")});
}

QByteArray sc(const char* percent) {
    return QByteArray("<ScontoMaggiorazione><Tipo>SC</Tipo><Percentuale>") + percent +
           "</Percentuale></ScontoMaggiorazione>";
}

const QByteArray kGeneralEnd = "<Numero>FT-12</Numero>";
Change afterNumero(const QByteArray& blocks) {
    return replace(kGeneralEnd, kGeneralEnd + blocks);
}
QByteArray cassa(const char* rate, const char* amount, const QByteArray& tail = "") {
    return QByteArray("<DatiCassaPrevidenziale><TipoCassa>TC22</TipoCassa><AlCassa>4.00</AlCassa>"
                      "<ImportoContributoCassa>") +
           amount + "</ImportoContributoCassa><AliquotaIVA>" + rate + "</AliquotaIVA>" + tail +
           "</DatiCassaPrevidenziale>";
}
const QByteArray kRitenuta =
    "<DatiRitenuta><TipoRitenuta>RT02</TipoRitenuta><ImportoRitenuta>1.00</ImportoRitenuta>"
    "<AliquotaRitenuta>20.00</AliquotaRitenuta><CausalePagamento>A</CausalePagamento>"
    "</DatiRitenuta>";
Change type(const char* tipo) {
    return replace("<TipoDocumento>TD01</TipoDocumento>",
                   QByteArray("<TipoDocumento>") + tipo + "</TipoDocumento>");
}
Change buyerCode(const char* code) {
    return replace("<IdCodice>09876543210</IdCodice>",
                   QByteArray("<IdCodice>") + code + "</IdCodice>");
}
const QByteArray kBuyerVat =
    "<IdFiscaleIVA><IdPaese>IT</IdPaese><IdCodice>09876543210</IdCodice></IdFiscaleIVA>";
Change noZeroRateLine() {
    return all({replace(kLine2, ""), replace(kSummary2, "")});
}
Change secondBody(const QByteArray& numero, const QByteArray& date) {
    return [numero, date](QByteArray text) {
        QByteArray body = kBodyStart + kLine1 + kLine2 + kSummary1 + kSummary2 + kBodyEnd;
        body.replace("<Numero>FT-12</Numero>", "<Numero>" + numero + "</Numero>");
        body.replace("<Data>2025-03-10</Data>", "<Data>" + date + "</Data>");
        return text.replace("</p:FatturaElettronica>", body + "</p:FatturaElettronica>");
    };
}

struct Case {
    const char* name;
    Change change;
    QList<QString> codes; // the distinct codes expected, in order of first appearance
    QString element;      // the element of the first finding
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

const QString kBody = QStringLiteral("FatturaElettronicaBody[1]/");
const QString kGoods = kBody + QStringLiteral("DatiBeniServizi/");
const QString kGeneral = kBody + QStringLiteral("DatiGenerali/DatiGeneraliDocumento/");

QList<Case> cases() {
    return {
        {"valid", [](QByteArray t) { return t; }, {}, {}},
        {"zeroRateWithoutNature",
         replace("<AliquotaIVA>0.00</AliquotaIVA><Natura>N1</Natura></DettaglioLinee>",
                 "<AliquotaIVA>0.00</AliquotaIVA></DettaglioLinee>"),
         {"00400"},
         kGoods + "DettaglioLinee[2]/AliquotaIVA"},
        {"natureWithRate",
         replace("<AliquotaIVA>22.00</AliquotaIVA></DettaglioLinee>",
                 "<AliquotaIVA>22.00</AliquotaIVA><Natura>N1</Natura></DettaglioLinee>"),
         {"00401"},
         kGoods + "DettaglioLinee[1]/Natura"},
        {"dateTomorrow", replace("2025-03-10", "2025-07-01"), {"00403"}, kGeneral + "Data"},
        {"dateToday", replace("2025-03-10", "2025-06-30"), {}, {}},
        {"sameNumberTwiceInLot",
         secondBody("FT-12", "2025-05-02"),
         {"00409"},
         "FatturaElettronicaBody[2]/DatiGenerali/DatiGeneraliDocumento/Numero"},
        {"sameNumberOtherYearInLot", secondBody("FT-12", "2024-05-02"), {}, {}},
        {"otherNumberInLot", secondBody("FT-13", "2025-03-10"), {}, {}},
        {"creditNoteSharesNumberWithInvoice",
         all({secondBody("FT-12", "2025-05-02"),
              [](QByteArray t) {
                  const qsizetype second = t.lastIndexOf("<TipoDocumento>TD01");
                  return t.replace(second, 19, "<TipoDocumento>TD04");
              }}),
         {},
         {}},
        {"lineWithholdingWithoutData",
         replace("<AliquotaIVA>22.00</AliquotaIVA></DettaglioLinee>",
                 "<AliquotaIVA>22.00</AliquotaIVA><Ritenuta>SI</Ritenuta></DettaglioLinee>"),
         {"00411"},
         kGoods + "DettaglioLinee[1]/Ritenuta"},
        {"lineWithholdingWithData",
         all({afterNumero(kRitenuta),
              replace("<AliquotaIVA>22.00</AliquotaIVA></DettaglioLinee>",
                      "<AliquotaIVA>22.00</AliquotaIVA><Ritenuta>SI</Ritenuta></DettaglioLinee>")}),
         {},
         {}},
        {"cassaZeroRateWithoutNature",
         afterNumero(cassa("0.00", "0.50")),
         {"00413"},
         kGeneral + "DatiCassaPrevidenziale[1]/AliquotaIVA"},
        {"cassaNatureWithRate",
         afterNumero(cassa("22.00", "0.50", "<Natura>N1</Natura>")),
         {"00414"},
         kGeneral + "DatiCassaPrevidenziale[1]/Natura"},
        {"cassaWithholdingWithoutData",
         afterNumero(cassa("22.00", "0.50", "<Ritenuta>SI</Ritenuta>")),
         {"00415"},
         kGeneral + "DatiCassaPrevidenziale[1]/Ritenuta"},
        {"buyerWithoutIdentifiers",
         replace(kBuyerVat, ""),
         {"00417"},
         "FatturaElettronicaHeader/CessionarioCommittente/DatiAnagrafici"},
        {"buyerWithTaxCodeOnly",
         replace(kBuyerVat, "<CodiceFiscale>RSSMRA80A01H501U</CodiceFiscale>"),
         {},
         {}},
        {"creditNoteBeforeLinkedInvoice",
         all({type("TD04"),
              replace("</DatiGeneraliDocumento>",
                      "</DatiGeneraliDocumento><DatiFattureCollegate><IdDocumento>FT-11"
                      "</IdDocumento><Data>2025-03-11</Data></DatiFattureCollegate>")}),
         {"00418"},
         kGeneral + "Data"},
        {"creditNoteSameDayAsLinkedInvoice",
         all({type("TD04"),
              replace("</DatiGeneraliDocumento>",
                      "</DatiGeneraliDocumento><DatiFattureCollegate><IdDocumento>FT-11"
                      "</IdDocumento><Data>2025-03-10</Data></DatiFattureCollegate>")}),
         {},
         {}},
        {"moreRatesThanSummaries",
         replace(kLine2, kLine2 + "<DettaglioLinee><NumeroLinea>3</NumeroLinea><Descrizione>Libro"
                                  "</Descrizione><PrezzoUnitario>0.50</PrezzoUnitario>"
                                  "<PrezzoTotale>0.50</PrezzoTotale><AliquotaIVA>4.00"
                                  "</AliquotaIVA></DettaglioLinee>\n"),
         {"00419", "00443"},
         kGoods.chopped(1)},
        {"rateWithLinesButNoSummary",
         replace(kLine2, kLine2 + "<DettaglioLinee><NumeroLinea>3</NumeroLinea><Descrizione>Libro"
                                  "</Descrizione><PrezzoUnitario>50.00</PrezzoUnitario>"
                                  "<PrezzoTotale>50.00</PrezzoTotale><AliquotaIVA>4.00"
                                  "</AliquotaIVA></DettaglioLinee>\n"),
         {"00419", "00443", "00422"},
         kGoods.chopped(1)},
        {"splitPaymentWithReverseCharge",
         all({replace("<Natura>N1</Natura></DettaglioLinee>",
                      "<Natura>N6.1</Natura></DettaglioLinee>"),
              replace("<Natura>N1</Natura><ImponibileImporto>2.00</ImponibileImporto>"
                      "<Imposta>0.00</Imposta>",
                      "<Natura>N6.1</Natura><ImponibileImporto>2.00</ImponibileImporto>"
                      "<Imposta>0.00</Imposta><EsigibilitaIVA>S</EsigibilitaIVA>")}),
         {"00420"},
         kGoods + "DatiRiepilogo[2]/Natura"},
        {"taxTwoCentsLow",
         replace("<Imposta>10.73</Imposta>", "<Imposta>10.71</Imposta>"),
         {"00421"},
         kGoods + "DatiRiepilogo[1]/Imposta"},
        {"taxOneCentLow", replace("<Imposta>10.73</Imposta>", "<Imposta>10.72</Imposta>"), {}, {}},
        {"taxOneCentHigh", replace("<Imposta>10.73</Imposta>", "<Imposta>10.74</Imposta>"), {}, {}},
        {"taxTwoCentsHigh",
         replace("<Imposta>10.73</Imposta>", "<Imposta>10.75</Imposta>"),
         {"00421"},
         kGoods + "DatiRiepilogo[1]/Imposta"},
        {"taxableOneEuroHigh",
         line1("2.00", "25.00", sc("2.50"), "48.75", "49.75", "10.95"),
         {},
         {}},
        {"taxableBeyondOneEuroHigh",
         line1("2.00", "25.00", sc("2.50"), "48.75", "49.76", "10.95"),
         {"00422"},
         kGoods + "DatiRiepilogo[1]/ImponibileImporto"},
        {"taxableBeyondOneEuroLow",
         line1("2.00", "25.00", sc("2.50"), "48.75", "47.74", "10.50"),
         {"00422"},
         kGoods + "DatiRiepilogo[1]/ImponibileImporto"},
        {"taxableIncludesCassa",
         all({line1("2.00", "25.00", sc("2.50"), "48.75", "50.70", "11.15"),
              afterNumero(cassa("22.00", "1.95"))}),
         {},
         {}},
        {"taxableMissingCassa",
         all({line1("2.00", "25.00", sc("2.50"), "48.75", "48.75", "10.73"),
              afterNumero(cassa("22.00", "1.95"))}),
         {"00422"},
         kGoods + "DatiRiepilogo[1]/ImponibileImporto"},
        {"taxableIncludesRounding",
         all({line1("2.00", "25.00", sc("2.50"), "48.75", "53.75", "11.83"),
              replace("<AliquotaIVA>22.00</AliquotaIVA><ImponibileImporto>53.75",
                      "<AliquotaIVA>22.00</AliquotaIVA><Arrotondamento>5.00</Arrotondamento>"
                      "<ImponibileImporto>53.75")}),
         {},
         {}},
        {"taxableWithoutItsRounding",
         line1("2.00", "25.00", sc("2.50"), "48.75", "53.75", "11.83"),
         {"00422"},
         kGoods + "DatiRiepilogo[1]/ImponibileImporto"},
        {"lineTotalOneCentHigh",
         line1("2.00", "25.00", sc("2.50"), "48.76", "48.76", "10.73"),
         {},
         {}},
        {"lineTotalTwoCentsHigh",
         line1("2.00", "25.00", sc("2.50"), "48.77", "48.77", "10.73"),
         {"00423"},
         kGoods + "DettaglioLinee[1]/PrezzoTotale"},
        {"cascadeRoundedDown",
         line1("100.00", "500.00", sc("8.50") + sc("5.15") + sc("3.00"), "42092.05", "42092.05",
               "9260.25"),
         {},
         {}},
        {"cascadeRoundedUp",
         line1("100.00", "500.00", sc("8.50") + sc("5.15") + sc("3.00"), "42092.06", "42092.06",
               "9260.25"),
         {},
         {}},
        {"cascadeExact",
         line1("100.00", "500.00", sc("8.50") + sc("5.15") + sc("3.00"), "42092.05875", "42092.06",
               "9260.25"),
         {},
         {}},
        {"cascadeOffByMoreThanACent",
         line1("100.00", "500.00", sc("8.50") + sc("5.15") + sc("3.00"), "42092.07", "42092.07",
               "9260.26"),
         {"00423"},
         kGoods + "DettaglioLinee[1]/PrezzoTotale"},
        {"cascadeSummedNotChained",
         line1("100.00", "500.00", sc("8.50") + sc("5.15") + sc("3.00"), "41675.00", "41675.00",
               "9168.50"),
         {"00423"},
         kGoods + "DettaglioLinee[1]/PrezzoTotale"},
        {"discountAsAmount",
         line1("2.00", "25.00",
               "<ScontoMaggiorazione><Tipo>SC</Tipo><Importo>0.625</Importo>"
               "</ScontoMaggiorazione>",
               "48.75", "48.75", "10.73"),
         {},
         {}},
        // A block with both a percentage and an amount counts its amount, written first or not:
        // the exchange system's worked example, 410.5612 a unit (the percentage would give
        // 410.557975), then a total that only the percentage would explain.
        {"blockWithBothCountsItsAmount",
         line1("100.00", "500.00",
               sc("8.50") +
                   "<ScontoMaggiorazione><Tipo>SC</Tipo><Percentuale>5.15</Percentuale><Importo>"
                   "23.56</Importo></ScontoMaggiorazione><ScontoMaggiorazione><Tipo>SC</Tipo>"
                   "<Importo>15.00</Importo></ScontoMaggiorazione>" +
                   sc("2.00"),
               "41056.12", "41056.12", "9032.35"),
         {},
         {}},
        {"blockWithBothIgnoresItsPercentage",
         line1("2.00", "25.00",
               "<ScontoMaggiorazione><Tipo>SC</Tipo><Percentuale>2.50</Percentuale><Importo>"
               "10.00</Importo></ScontoMaggiorazione>",
               "48.75", "48.75", "10.73"),
         {"00423"},
         kGoods + "DettaglioLinee[1]/PrezzoTotale"},
        {"surcharge",
         line1("", "25.00",
               "<ScontoMaggiorazione><Tipo>MG</Tipo><Percentuale>10.00</Percentuale>"
               "</ScontoMaggiorazione>",
               "27.50", "27.50", "6.05"),
         {},
         {}},
        {"noQuantityCountsAsOne",
         line1("", "25.00", "", "50.00", "50.00", "11.00"),
         {"00423"},
         kGoods + "DettaglioLinee[1]/PrezzoTotale"},
        {"rateAsFraction",
         all({line1("2.00", "25.00", sc("2.50"), "48.75", "48.75", "0.11"),
              [](QByteArray t) { return t.replace("<AliquotaIVA>22.00", "<AliquotaIVA>0.22"); }}),
         {"00424"},
         kGoods + "DettaglioLinee[1]/AliquotaIVA"},
        {"numberWithoutDigits",
         replace("<Numero>FT-12</Numero>", "<Numero>FT-A</Numero>"),
         {"00425"},
         kGeneral + "Numero"},
        {"privateRecipientOfSixCharacters",
         replace("<CodiceDestinatario>ABC1234", "<CodiceDestinatario>ABC123"),
         {"00427"},
         "FatturaElettronicaHeader/DatiTrasmissione/CodiceDestinatario"},
        {"publicRecipientOfSevenCharacters",
         all({replace("versione=\"FPR12\"", "versione=\"FPA12\""),
              replace("<FormatoTrasmissione>FPR12", "<FormatoTrasmissione>FPA12")}),
         {"00427"},
         "FatturaElettronicaHeader/DatiTrasmissione/CodiceDestinatario"},
        {"versionDiffersFromFormat",
         replace("versione=\"FPR12\"", "versione=\"FPA12\""),
         {"00428"},
         "FatturaElettronicaHeader/DatiTrasmissione/FormatoTrasmissione"},
        {"summaryZeroRateWithoutNature",
         replace("<AliquotaIVA>0.00</AliquotaIVA><Natura>N1</Natura><ImponibileImporto>",
                 "<AliquotaIVA>0.00</AliquotaIVA><ImponibileImporto>"),
         {"00429", "00444"},
         kGoods + "DatiRiepilogo[2]/AliquotaIVA"},
        {"summaryNatureWithRate",
         replace("<AliquotaIVA>22.00</AliquotaIVA><ImponibileImporto>",
                 "<AliquotaIVA>22.00</AliquotaIVA><Natura>N1</Natura><ImponibileImporto>"),
         {"00430"},
         kGoods + "DatiRiepilogo[1]/Natura"},
        {"documentDiscountWithoutValue",
         afterNumero("<ScontoMaggiorazione><Tipo>SC</Tipo></ScontoMaggiorazione>"),
         {"00437"},
         kGeneral + "ScontoMaggiorazione[1]"},
        {"lineDiscountWithoutValue",
         replace("</ScontoMaggiorazione><PrezzoTotale>48.75",
                 "</ScontoMaggiorazione><ScontoMaggiorazione><Tipo>MG</Tipo>"
                 "</ScontoMaggiorazione><PrezzoTotale>48.75"),
         {"00438"},
         kGoods + "DettaglioLinee[1]/ScontoMaggiorazione[2]"},
        {"lineRateWithoutSummary",
         all({replace("<AliquotaIVA>0.00</AliquotaIVA><Natura>N1</Natura></DettaglioLinee>",
                      "<AliquotaIVA>10.00</AliquotaIVA></DettaglioLinee>"),
              replace(kSummary2, "<DatiRiepilogo><AliquotaIVA>4.00</AliquotaIVA>"
                                 "<ImponibileImporto>0.00</ImponibileImporto><Imposta>0.00"
                                 "</Imposta></DatiRiepilogo>\n")}),
         {"00443", "00422"},
         kGoods + "DettaglioLinee[2]/AliquotaIVA"},
        {"lineNatureWithoutSummary",
         replace("<Natura>N1</Natura></DettaglioLinee>", "<Natura>N4</Natura></DettaglioLinee>"),
         {"00444"},
         kGoods + "DettaglioLinee[2]/Natura"},
        {"genericNature",
         [](QByteArray t) { return t.replace("<Natura>N1</Natura>", "<Natura>N2</Natura>"); },
         {"00445"},
         kGoods + "DettaglioLinee[2]/Natura"},
        {"reverseChargeToOneself",
         all({type("TD16"), buyerCode("01234567890")}),
         {"00471"},
         kGeneral + "TipoDocumento"},
        {"reverseChargeToOneselfByTaxCode",
         all({type("TD20"), replace(kBuyerVat, "<CodiceFiscale>01234567890</CodiceFiscale>")}),
         {"00471", "00475"},
         kGeneral + "TipoDocumento"},
        {"selfInvoiceForAnother",
         all({type("TD21"), noZeroRateLine()}),
         {"00472"},
         kGeneral + "TipoDocumento"},
        {"selfInvoice", all({type("TD21"), noZeroRateLine(), buyerCode("01234567890")}), {}, {}},
        {"foreignPurchaseFromItaly", type("TD17"), {"00473"}, kGeneral + "TipoDocumento"},
        {"omissionNoticeFromAbroad",
         all({type("TD29"), replace("<IdPaese>IT</IdPaese><IdCodice>01234567890</IdCodice>"
                                    "</IdFiscaleIVA><Anagrafica><Denominazione>Alfa",
                                    "<IdPaese>FR</IdPaese><IdCodice>01234567890</IdCodice>"
                                    "</IdFiscaleIVA><Anagrafica><Denominazione>Alfa")}),
         {"00473"},
         kGeneral + "TipoDocumento"},
        {"selfInvoiceWithZeroRate",
         all({type("TD21"), buyerCode("01234567890")}),
         {"00474"},
         kGoods + "DettaglioLinee[2]/AliquotaIVA"},
        {"integrationWithoutBuyerVat",
         all({type("TD16"), replace(kBuyerVat, "<CodiceFiscale>RSSMRA80A01H501U</CodiceFiscale>")}),
         {"00475"},
         kGeneral + "TipoDocumento"},
        {"bothPartiesForeign",
         all({replace("<IdPaese>IT</IdPaese><IdCodice>01234567890</IdCodice></IdFiscaleIVA>"
                      "<Anagrafica><Denominazione>Alfa",
                      "<IdPaese>FR</IdPaese><IdCodice>01234567890</IdCodice></IdFiscaleIVA>"
                      "<Anagrafica><Denominazione>Alfa"),
              replace(kBuyerVat, "<IdFiscaleIVA><IdPaese>DE</IdPaese><IdCodice>09876543210"
                                 "</IdCodice></IdFiscaleIVA>")}),
         {"00476"},
         "FatturaElettronicaHeader/CessionarioCommittente/DatiAnagrafici/IdFiscaleIVA/IdPaese"},
    };
}

QList<QString> distinctCodes(const Findings& findings) {
    QList<QString> codes;
    for (const Finding& f : findings) {
        if (!codes.contains(f.code))
            codes << f.code;
    }
    return codes;
}

QString describe(const Findings& findings) {
    QString text;
    for (const Finding& f : findings)
        text += f.code + u' ' + f.element + u' ' + f.message + u'\n';
    return text;
}

class ContentRuleTest : public ::testing::TestWithParam<Case> {};

TEST_P(ContentRuleTest, FindsExactlyItsCodeAtItsElement) {
    const Case& c = GetParam();
    const QByteArray file = c.change(baseInvoice());
    // Every case stays valid for the official schema, so that only the content rule speaks.
    test::TempFolder folder;
    const QString path = folder.file("IT01234567890_00001.xml");
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();
    EXPECT_EQ(test::schemaErrors(path), QString());

    const Findings findings = checkInvoice(file, {.today = kToday, .fileName = {}});
    EXPECT_EQ(distinctCodes(findings), c.codes) << describe(findings).toStdString();
    if (!c.codes.isEmpty() && !findings.isEmpty()) {
        EXPECT_EQ(findings.first().element, c.element);
        EXPECT_GT(findings.first().line, 0);
        EXPECT_FALSE(findings.first().message.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ContentRuleTest, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

TEST(CheckerMessages, SayWhatIsWrongWithTheValues) {
    const QByteArray file = line1("2.00", "7.55", "", "15.00", "15.00", "3.30")(baseInvoice());
    const Findings findings = checkInvoice(file, {.today = kToday, .fileName = {}});
    ASSERT_EQ(findings.size(), 1) << describe(findings).toStdString();
    EXPECT_EQ(findings[0].message,
              "PrezzoTotale 15,00 diverso da Quantita 2,00 × PrezzoUnitario 7,55 = 15,10 "
              "(tolleranza 0,01).");

    const Findings tax =
        checkInvoice(replace("<Imposta>10.73</Imposta>", "<Imposta>10.70</Imposta>")(baseInvoice()),
                     {.today = kToday, .fileName = {}});
    ASSERT_EQ(tax.size(), 1);
    EXPECT_EQ(tax[0].message, "Imposta 10,70 diversa da AliquotaIVA 22,00% × ImponibileImporto "
                              "48,75 = 10,73 (arrotondato al centesimo, tolleranza 0,01).");
}

TEST(Decimal, IsExact) {
    const Decimal rate = *Decimal::parse(u"22.00");
    const Decimal taxable = *Decimal::parse(u"48.75");
    EXPECT_EQ((rate * taxable).percent().rounded(2), *Decimal::parse(u"10.73"));
    EXPECT_EQ((*Decimal::parse(u"0.1") + *Decimal::parse(u"0.2")), *Decimal::parse(u"0.3"));
    EXPECT_EQ(Decimal::parse(u"-2.345")->rounded(2).toItalian(), "-2,35");
    EXPECT_EQ(Decimal::parse(u"42092.05875")->toItalian(), "42092,05875");
    EXPECT_EQ(Decimal::parse(u"22")->toString(), Decimal::parse(u"22.000")->toString());
    for (const char16_t* bad : {u"", u"1,5", u"1.2.3", u"abc", u"-", u"1e3"})
        EXPECT_FALSE(Decimal::parse(bad).has_value()) << QString::fromUtf16(bad).toStdString();
}

TEST(CheckerFile, NameEmptinessAndWellFormedness) {
    const QByteArray valid = baseInvoice();
    const Options named{.today = kToday, .fileName = QStringLiteral("IT01234567890_0000A.xml")};
    EXPECT_TRUE(checkInvoice(valid, named).isEmpty());
    for (const char* good :
         {"ITRSSMRA80A01H501U_00001.xml", "DE123456789_00001.xml", "IT01234567890_00001.xml.p7m"})
        EXPECT_TRUE(
            checkInvoice(valid, {.today = kToday, .fileName = QString::fromLatin1(good)}).isEmpty())
            << good;
    for (const char* bad : {"fattura.xml", "IT01234567890-00001.xml", "IT01234567890_000001.xml",
                            "01234567890_00001.xml", "IT01234567890_00001.txt",
                            "IT0123456789_00001.xml", "IT012345678901_00001.xml"}) {
        const Findings f =
            checkInvoice(valid, {.today = kToday, .fileName = QString::fromLatin1(bad)});
        EXPECT_EQ(distinctCodes(f), QList<QString>{"00001"}) << bad;
    }
    EXPECT_EQ(distinctCodes(checkInvoice("  \n", {.today = kToday, .fileName = {}})),
              QList<QString>{"00106"});
    const Findings broken = checkInvoice("<a><b></a>", {.today = kToday, .fileName = {}});
    ASSERT_EQ(broken.size(), 1);
    EXPECT_EQ(broken[0].code, "00200");
    EXPECT_TRUE(broken[0].message.contains("ben formato"));
}

// Over 5 MB the file is refused for its size and read no further (a schema error past the limit
// goes unsaid); at the limit it is checked whole. The import reads it whole at any size. A signed
// file is weighed as signed.
TEST(CheckerFile, AFileOverFiveMegabytesIsRefusedForItsSizeAlone) {
    const QByteArray valid = baseInvoice();
    const auto padded = [&](qint64 size) { return valid + QByteArray(size - valid.size(), '\n'); };
    EXPECT_TRUE(checkInvoice(padded(kMaxFileSize), {.today = kToday, .fileName = {}}).isEmpty());
    const QByteArray over = padded(kMaxFileSize + 1) + "<troppo/>";
    const Findings f = checkInvoice(over, {.today = kToday, .fileName = "fattura.xml"});
    EXPECT_EQ(distinctCodes(f), (QList<QString>{"00001", "00003"}));
    EXPECT_TRUE(f.value(1).message.startsWith("Il file è di 5,0 MB: supera i 5 MB"))
        << f.value(1).message.toStdString();
    EXPECT_EQ(distinctCodes(checkInvoiceWhole(over, {.today = kToday, .fileName = {}})),
              QList<QString>{"00200"});
    // Signed, the envelope's size counts: an intact signature over a valid invoice is refused
    // when the signed file is over the limit.
    SignedFile signedFile;
    signedFile.opened = true;
    signedFile.intact = true;
    signedFile.content = valid;
    signedFile.size = kMaxFileSize;
    EXPECT_TRUE(checkSignedInvoice(signedFile, {.today = kToday, .fileName = {}}).isEmpty());
    signedFile.size = kMaxFileSize + 1;
    EXPECT_EQ(distinctCodes(checkSignedInvoice(signedFile, {.today = kToday, .fileName = {}})),
              QList<QString>{"00003"});
}

// Markup no invoice holds is reported before parsing; the rest of the file is checked without it
// where it can be read past it.
TEST(CheckerFile, DeclarationsEntitiesAndOddEncodingsAreRefused) {
    const QByteArray valid = baseInvoice();
    const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const auto afterDeclaration = [&](const QByteArray& text) {
        return replace(declaration, declaration + text);
    };
    const Change wrongTax = replace("<Imposta>10.73</Imposta>", "<Imposta>10.00</Imposta>");
    QByteArray utf16 = "\xFF\xFE";
    const QString wide =
        QString::fromUtf8(afterDeclaration("<!DOCTYPE x>\n")(valid)).replace("UTF-8", "UTF-16");
    utf16.append(reinterpret_cast<const char*>(wide.utf16()), wide.size() * 2);
    struct Case {
        const char* name;
        QByteArray xml;
        QList<QString> codes;
        QString message; // of the first finding
        int line;
    };
    const QList<Case> cases = {
        {"doctype only, the rest still checked",
         all({afterDeclaration("<!DOCTYPE p:FatturaElettronica SYSTEM \"x.dtd\">\n"), wrongTax})(
             valid),
         {"00200", "00421"},
         "Riga 2: dichiarazione <!DOCTYPE non ammessa: una fattura elettronica non ha DOCTYPE né "
         "dichiarazioni di entità; il resto del file è controllato senza di essa.",
         2},
        {"entity declared and used",
         all({afterDeclaration("<!DOCTYPE x [\n<!ENTITY c \"Consulenza\"> <!-- ] > -->\n]>\n"),
              replace("<Descrizione>Consulenza", "<Descrizione>&c; &c; &c;")})(valid),
         {"00200", "00200"},
         "Riga 2: dichiarazione <!DOCTYPE non ammessa",
         2},
        {"entity never declared",
         replace("<Descrizione>Consulenza", "<Descrizione>Consulenza &euro;")(valid),
         {"00200"},
         "Riga 11: riferimento all'entità &euro; non ammesso: sono ammessi solo &amp; &lt; &gt; "
         "&quot; &apos; e i riferimenti numerici ai caratteri; il resto del file è controllato "
         "senza questi riferimenti.",
         11},
        {"entity in an attribute, left empty",
         replace("versione=\"FPR12\"", "versione=\"&v;\"")(valid),
         {"00200", "00200"},
         "Riga 2: riferimento all'entità &v; non ammesso",
         2},
        {"predefined and character references, markup in comments and CDATA",
         all({afterDeclaration("<!-- <!DOCTYPE x [<!ENTITY e \"e\">]> &e; -->\n"),
              replace("<Descrizione>Consulenza",
                      "<Descrizione>Consulenza &amp; &lt;x&gt; &#233;&#x41; &quot;&apos; "
                      "<![CDATA[ &e; <!DOCTYPE ]]>")})(valid),
         {},
         {},
         0},
        {"UTF-16 with a doctype", utf16, {"00200"}, "Riga 2: dichiarazione <!DOCTYPE", 2},
        {"UTF-7",
         replace("UTF-8", "UTF-7")(valid),
         {"00200"},
         "Codifica UTF-7 non ammessa: il file va scritto in UTF-8.",
         0},
    };
    for (const Case& c : cases) {
        const Findings f = checkInvoice(c.xml, {.today = kToday, .fileName = {}});
        QList<QString> codes;
        for (const Finding& finding : f)
            codes << finding.code;
        EXPECT_EQ(codes, c.codes) << c.name;
        if (f.isEmpty() || c.codes.isEmpty())
            continue;
        EXPECT_TRUE(f[0].message.startsWith(c.message))
            << c.name << ": " << f[0].message.toStdString();
        EXPECT_EQ(f[0].line, c.line) << c.name;
    }
    const Findings counted = checkInvoice(cases[1].xml, {.today = kToday, .fileName = {}});
    ASSERT_EQ(counted.size(), 2);
    EXPECT_TRUE(counted[1].message.startsWith(
        "Riga 14: riferimento all'entità &c; non ammesso (3 riferimenti in tutto)"))
        << counted[1].message.toStdString();
}

// A 50 KB entity used 50,000 times in a price, and 100,000 nested elements: a child process
// limited to half a gigabyte more than this one and 20 seconds of processor reads both.
TEST(CheckerFile, HostileFilesAreReadInBoundedMemoryAndTime) {
    struct Case {
        const char* name;
        QByteArray xml;
        const char* message;
    };
    for (const Case& c :
         {Case{"entity bomb", withEntityBomb(baseInvoice(), "PrezzoUnitario", 50000, 50000),
               "Riga 2: dichiarazione <!DOCTYPE"},
          Case{"deep nesting", withDeepNesting(baseInvoice(), "Descrizione", 100000),
               "Riga 11: elementi annidati oltre 64 livelli: una fattura elettronica ne ha meno "
               "di 20."}}) {
        const BoundedRun run = runBounded(
            [&] {
                const Findings f = checkInvoice(c.xml, {.today = kToday, .fileName = {}});
                const bool said = !f.isEmpty() && f[0].code == QLatin1String("00200") &&
                                  f[0].message.startsWith(QString::fromUtf8(c.message));
                if (!said)
                    std::fprintf(stderr, "%s\n", f.value(0).message.toUtf8().constData());
                return said ? 0 : 1;
            },
            512, 20);
        EXPECT_TRUE(run.exited && run.exitCode == 0) << c.name << ": " << run.describe();
    }
}

struct SchemaCase {
    const char* name;
    Change change;
    QString element;
    QString messagePart;
};

TEST(CheckerSchema, CommonErrorsInPlainItalian) {
    const QList<SchemaCase> schemaCases = {
        {"wrongOrder",
         replace("<Divisa>EUR</Divisa><Data>2025-03-10</Data>",
                 "<Data>2025-03-10</Data><Divisa>EUR</Divisa>"),
         kGeneral + "Data", "non è ammesso in questo punto"},
        {"missingElement", replace("<Numero>FT-12</Numero>", ""),
         "FatturaElettronicaBody[1]/DatiGenerali/DatiGeneraliDocumento",
         "manca un elemento obbligatorio; è atteso: Numero"},
        {"badCode", type("TD99"), kGeneral + "TipoDocumento",
         "il valore 'TD99' dell'elemento TipoDocumento non è tra i codici ammessi"},
        {"decimalComma", replace("<PrezzoTotale>48.75", "<PrezzoTotale>48,75"),
         kGoods + "DettaglioLinee[1]/PrezzoTotale", "non è un numero valido"},
        {"tooLong",
         replace("<Numero>FT-12</Numero>", "<Numero>" + QByteArray(21, '1') + "</Numero>"),
         kGeneral + "Numero", "deve contenere da 1 a 20 caratteri"},
        {"wrongLength", replace("versione=\"FPR12\"", "versione=\"FPR1\""), "",
         "dell'attributo versione di FatturaElettronica è lungo 4 caratteri, ne servono "
         "esattamente 5"},
        {"noSuchDay", replace("<Data>2025-03-10</Data>", "<Data>2025-02-30</Data>"),
         kGeneral + "Data", "il valore '2025-02-30' dell'elemento Data non è una data valida"},
        {"latinTooLong",
         replace("<Descrizione>Consulenza</Descrizione>",
                 "<Descrizione>" + QByteArray(1001, 'x') + "</Descrizione>"),
         kGoods + "DettaglioLinee[1]/Descrizione",
         "deve contenere da 1 a 1000 caratteri dell'alfabeto latino, anche accentati (non "
         "simboli come €); ne ha 1001"},
        {"euroSign",
         replace("<Descrizione>Consulenza</Descrizione>",
                 "<Descrizione>Consulenza 10 \xe2\x82\xac</Descrizione>"),
         kGoods + "DettaglioLinee[1]/Descrizione", "(non simboli come €); ne ha 15"},
        // Lengths in characters, as the schema counts them, though an emoji is two UTF-16 units;
        // a long value is cut after its 80th character, never inside one.
        {"emojiInLatinText",
         replace("<Descrizione>Consulenza</Descrizione>",
                 "<Descrizione>"
                 "\xf0\x9f\x85\xb2\xf0\x9f\x85\xb0\xf0\x9f\x86\x84\xf0\x9f\x86\x82\xf0\x9f\x85\xb0"
                 "\xf0\x9f\x85\xbb\xf0\x9f\x85\xb4</Descrizione>"),
         kGoods + "DettaglioLinee[1]/Descrizione", "ne ha 7"},
        {"emojiInBasicLatinText",
         replace("<Numero>FT-12</Numero>", "<Numero>FT\xf0\x9f\x85\xb2\xf0\x9f\x85\xb0</Numero>"),
         kGeneral + "Numero", "(ne ha 4)"},
        {"emojiAtTheCut",
         replace("<Descrizione>Consulenza</Descrizione>",
                 "<Descrizione>" + QByteArray(79, 'x') + "\xf0\x9f\x85\xb2yy</Descrizione>"),
         kGoods + "DettaglioLinee[1]/Descrizione",
         QString(79, u'x') + QString::fromUtf8("\xf0\x9f\x85\xb2…' dell'elemento Descrizione")},
        {"namespacedChild",
         [](QByteArray text) {
             return text.replace("FatturaElettronicaHeader>", "p:FatturaElettronicaHeader>");
         },
         "FatturaElettronicaHeader",
         "l'elemento FatturaElettronicaHeader è scritto in uno spazio dei nomi"},
    };
    for (const SchemaCase& c : schemaCases) {
        const Findings f = checkInvoice(c.change(baseInvoice()), {.today = kToday, .fileName = {}});
        ASSERT_FALSE(f.isEmpty()) << c.name;
        EXPECT_EQ(f[0].code, "00200") << c.name;
        EXPECT_EQ(f[0].element, c.element) << c.name;
        EXPECT_TRUE(f[0].message.startsWith(QStringLiteral("Riga %1: ").arg(f[0].line))) << c.name;
        EXPECT_TRUE(f[0].message.contains(c.messagePart))
            << c.name << ": " << f[0].message.toStdString();
    }
}

TEST(CheckerSchema, StopsCountingAfterFifty) {
    QByteArray file = baseInvoice();
    QByteArray lines;
    for (int i = 3; i < 60; ++i)
        lines += "<DettaglioLinee><NumeroLinea>" + QByteArray::number(i) +
                 "</NumeroLinea><Descrizione>x</Descrizione><PrezzoUnitario>1,00</PrezzoUnitario>"
                 "<PrezzoTotale>0.00</PrezzoTotale><AliquotaIVA>22.00</AliquotaIVA>"
                 "</DettaglioLinee>\n";
    file.replace(kLine2, kLine2 + lines);
    const Findings f = checkInvoice(file, {.today = kToday, .fileName = {}});
    int schema = 0;
    for (const Finding& x : f)
        schema += x.code == "00200" ? 1 : 0;
    EXPECT_EQ(schema, 50);
    EXPECT_TRUE(distinctCodes(f).contains("00201"));
}

// A summary of the lines' rate without its taxable amount (a schema error too): the difference
// of the taxable amounts is said at the first line of that rate, and a line's path is kept though
// the lines are let go as the file is read.
TEST(CheckerSchema, ASummaryWithoutTaxableAmountPointsAtTheFirstLineOfItsRate) {
    QByteArray file = baseInvoice();
    file.replace("<ImponibileImporto>48.75</ImponibileImporto>", "");
    const Findings f = checkInvoice(file, {.today = kToday, .fileName = {}});
    EXPECT_EQ(distinctCodes(f), (QStringList{"00200", "00422"})) << describe(f).toStdString();
    ASSERT_FALSE(f.isEmpty());
    EXPECT_EQ(f.last().code, "00422");
    EXPECT_EQ(f.last().element,
              "FatturaElettronicaBody[1]/DatiBeniServizi/DettaglioLinee[1]/AliquotaIVA");
    EXPECT_EQ(f.first().element.toStdString(),
              "FatturaElettronicaBody[1]/DatiBeniServizi/DatiRiepilogo[1]/Imposta");
}

// The official samples: four are clean; FPR02 puts ContattiTrasmittente after PECDestinatario
// (a schema error) and, like the first body of FPR03, declares a taxable amount of 27.00 for
// lines totalling 25.00 (00422), with a tax of 5.95 where 22% of 27.00 is 5.94 (inside the
// cent of tolerance, so no 00421).
TEST(CheckerSamples, OfficialSamples) {
    const QString folder = QStringLiteral(BREVALTO_SOURCE_DIR "/../shared/fatturapa/samples");
    if (!QDir(folder).exists())
        GTEST_SKIP() << "samples not present";
    const QList<QPair<QString, QList<QString>>> expected = {
        {"IT01234567890_FPA01.xml", {}},
        {"IT01234567890_FPA02.xml", {}},
        {"IT01234567890_FPA03.xml", {}},
        {"IT01234567890_FPR01.xml", {}},
        {"IT01234567890_FPR02.xml", {"00200", "00422"}},
        {"IT01234567890_FPR03.xml", {"00422"}},
        {"older/IT01234567890_FPR02.xml", {}},
    };
    for (const auto& [name, codes] : expected) {
        QFile file(folder + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const Findings f =
            checkInvoice(file.readAll(), {.today = kToday, .fileName = name.section(u'/', -1)});
        EXPECT_EQ(distinctCodes(f), codes) << name.toStdString() << "\n"
                                           << describe(f).toStdString();
    }
}

} // namespace
