// Time of the readable copy (PDF) of a 9,999-line invoice, each line with an article code and a
// discount, two instalments: reading the file, laying out the pages and writing the PDF. The goal
// is under 3 s. Run from the build folder: ./brevalto_bench pdf
#include "Bench.h"

#include "render/InvoiceRender.h"

#include <QElapsedTimer>

using namespace brevalto;
using namespace brevalto::bench;

namespace {

QByteArray bigInvoice(int lines) {
    QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<p:FatturaElettronica versione=\"FPR12\" "
        "xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\">"
        "<FatturaElettronicaHeader><DatiTrasmissione><IdTrasmittente><IdPaese>IT</IdPaese>"
        "<IdCodice>01234567890</IdCodice></IdTrasmittente><ProgressivoInvio>00001</"
        "ProgressivoInvio>"
        "<FormatoTrasmissione>FPR12</FormatoTrasmissione><CodiceDestinatario>ABC1234</"
        "CodiceDestinatario>"
        "</DatiTrasmissione><CedentePrestatore><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT</IdPaese>"
        "<IdCodice>01234567890</IdCodice></IdFiscaleIVA><Anagrafica><Denominazione>Alfa "
        "Srl</Denominazione>"
        "</Anagrafica><RegimeFiscale>RF01</RegimeFiscale></DatiAnagrafici><Sede><Indirizzo>Via "
        "Roma 1"
        "</Indirizzo><CAP>00100</CAP><Comune>Roma</Comune><Provincia>RM</Provincia><Nazione>IT</"
        "Nazione>"
        "</Sede></"
        "CedentePrestatore><CessionarioCommittente><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT"
        "</IdPaese><IdCodice>09876543210</IdCodice></IdFiscaleIVA><Anagrafica><Denominazione>Beta "
        "Spa"
        "</Denominazione></Anagrafica></DatiAnagrafici><Sede><Indirizzo>Corso Italia "
        "2</Indirizzo><CAP>20100"
        "</CAP><Comune>Milano</Comune><Provincia>MI</Provincia><Nazione>IT</Nazione></Sede>"
        "</CessionarioCommittente></FatturaElettronicaHeader><FatturaElettronicaBody><DatiGenerali>"
        "<DatiGeneraliDocumento><TipoDocumento>TD01</TipoDocumento><Divisa>EUR</"
        "Divisa><Data>2026-12-10"
        "</Data><Numero>1</Numero></DatiGeneraliDocumento></DatiGenerali><DatiBeniServizi>";
    for (int i = 1; i <= lines; ++i)
        xml += "<DettaglioLinee><NumeroLinea>" + QByteArray::number(i) +
               "</NumeroLinea><CodiceArticolo><CodiceTipo>INTERNO</CodiceTipo><CodiceValore>ART" +
               QByteArray::number(i) +
               "</CodiceValore></CodiceArticolo><Descrizione>Articolo di magazzino numero " +
               QByteArray::number(i) +
               " fornito come da ordine</Descrizione><Quantita>2.00</Quantita><UnitaMisura>PZ"
               "</UnitaMisura><PrezzoUnitario>12.50</PrezzoUnitario><ScontoMaggiorazione><Tipo>SC</"
               "Tipo>"
               "<Percentuale>10.00</Percentuale></ScontoMaggiorazione><PrezzoTotale>22.50</"
               "PrezzoTotale>"
               "<AliquotaIVA>22.00</AliquotaIVA></DettaglioLinee>";
    xml += "<DatiRiepilogo><AliquotaIVA>22.00</AliquotaIVA><ImponibileImporto>224977.50</"
           "ImponibileImporto>"
           "<Imposta>49495.05</Imposta><EsigibilitaIVA>I</EsigibilitaIVA></DatiRiepilogo></"
           "DatiBeniServizi>"
           "<DatiPagamento><CondizioniPagamento>TP01</CondizioniPagamento>";
    for (const char* due : {"2027-01-10", "2027-02-10"})
        xml += QByteArray("<DettaglioPagamento><ModalitaPagamento>MP05</ModalitaPagamento>"
                          "<DataScadenzaPagamento>") +
               due +
               "</DataScadenzaPagamento><ImportoPagamento>137236.28</ImportoPagamento><IBAN>"
               "IT60X0542811101000000123456</IBAN></DettaglioPagamento>";
    xml += "</DatiPagamento></FatturaElettronicaBody></p:FatturaElettronica>";
    return xml;
}

} // namespace

static Registrar pdfBench("pdf", [] {
    const QByteArray xml = bigInvoice(9999);
    int pages = 0;
    qint64 bytes = 0;
    double renderMs = 0;
    const double total = bestMs(3, [&] {
        QElapsedTimer timer;
        timer.start();
        const render::RenderedInvoice invoice = render::renderInvoice(xml);
        renderMs = double(timer.nsecsElapsed()) / 1e6;
        bytes = invoice.document.pdf(&pages).size();
    });
    report("9,999 lines: file read into the page model", renderMs, "ms");
    report("9,999 lines: whole PDF (read, lay out, write)", total, "ms");
    report("9,999 lines: pages", pages, "");
    report("9,999 lines: PDF size", double(bytes) / (1024 * 1024), "MB");
    report("9,999 lines: time against the 3 s goal", total / 3000.0, "x");
    report("peak memory", peakMemoryMb(), "MB");
});
