#include "support/HostileXml.h"

namespace brevalto::test {

QByteArray smallInvoice() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<p:FatturaElettronica versione=\"FPR12\" "
           "xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\">\n"
           "<FatturaElettronicaHeader><CedentePrestatore><DatiAnagrafici><Anagrafica>"
           "<Denominazione>Alfa Srl</Denominazione></Anagrafica></DatiAnagrafici>"
           "</CedentePrestatore></FatturaElettronicaHeader>\n"
           "<FatturaElettronicaBody><DatiGenerali><DatiGeneraliDocumento>"
           "<TipoDocumento>TD01</TipoDocumento><Data>2025-03-10</Data><Numero>FT-12</Numero>"
           "</DatiGeneraliDocumento></DatiGenerali></FatturaElettronicaBody>\n"
           "</p:FatturaElettronica>\n";
}

namespace {

QByteArray& insertAtStartOf(QByteArray& invoice, const QByteArray& element,
                            const QByteArray& what) {
    const QByteArray tag = "<" + element + ">";
    const qsizetype at = invoice.indexOf(tag);
    if (at >= 0)
        invoice.insert(at + tag.size(), what);
    return invoice;
}

} // namespace

QByteArray withEntityBomb(QByteArray invoice, const QByteArray& element, int length, int uses) {
    const QByteArray doctype =
        "<!DOCTYPE p:FatturaElettronica [\n<!ENTITY e \"" + QByteArray(length, '5') + "\">\n]>\n";
    const qsizetype declaration = invoice.startsWith("<?xml") ? invoice.indexOf("?>") + 3 : 0;
    invoice.insert(declaration, doctype);
    return insertAtStartOf(invoice, element, QByteArray("&e;").repeated(uses));
}

QByteArray withDeepNesting(QByteArray invoice, const QByteArray& element, int depth) {
    return insertAtStartOf(invoice, element,
                           QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth));
}

} // namespace brevalto::test
