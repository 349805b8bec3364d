#include "export/FatturaWriter.h"

#include "export/ExportError.h"
#include "export/Mappings.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"

#include <QBuffer>

namespace brevalto {

namespace {

void writeBody(XmlOut& x, DataModule& data, const Row& body, AttachedFiles* attached) {
    const int bodyId = int(body.integer("Id"));
    x.start("FatturaElettronicaBody");
    writeGeneralData(x, data, body, bodyId);

    x.start("DatiBeniServizi");
    writeLines(x, data, bodyId);
    if (data.table("TablePA_FE_Body_DatiBeniServizi_DatiRiepilogo").isEmpty())
        throw ExportError::abort(fattura::kNoSummariesMessage);
    writeSummaries(x, data);
    x.end();

    writeVehicles(x, body);
    writePayments(x, data, bodyId);
    writeAttachments(x, data, attached);
    x.end();
}

} // namespace

void writeInvoiceXml(DataModule& data, QIODevice& device, AttachedFiles* attached) {
    Dataset& header = data.table("TablePA_FE_Header");
    Dataset& bodies = data.table("TablePA_Body");
    const Columns headerColumns(header);
    const Row document(headerColumns);

    XmlOut x(&device);
    x.startDocument();
    // Only the root is in the invoice namespace, under the prefix p; its children are unqualified.
    x.start("p:FatturaElettronica");
    x.attribute("versione", document.text("DatiTrasmissione_FormatoTrasmissione"));
    x.attribute("xmlns:ds", fattura::kSignatureNamespace);
    x.attribute("xmlns:p", fattura::kNamespace);
    x.attribute("xmlns:xsi", fattura::kInstanceNamespace);
    x.attribute("xsi:schemaLocation",
                fattura::kNamespace + QStringLiteral(" fatturaordinaria_v1.2.1.xsd "));

    writeHeader(x, document);
    if (bodies.isEmpty())
        throw ExportError::abort(fattura::kNoBodiesMessage);
    int ordinal = 0;
    for (bodies.first(); !bodies.eof(); bodies.next()) {
        // The lines are read one at a time by writeLines: their dataset is read when next used.
        data.requeryBodyChildren({ds::PA_FE_Body_DatiBeniServizi_DettaglioLinee});
        const Columns bodyColumns(bodies);
        const Row body(bodyColumns);
        x.setBody(QStringLiteral("corpo n. %1, fattura numero \"%2\"")
                      .arg(++ordinal)
                      .arg(body.text("DatiGenerali_Numero")));
        writeBody(x, data, body, attached);
    }
    x.setBody(QString());
    x.endDocument();
}

QByteArray buildInvoiceXml(DataModule& data, AttachedFiles* attached) {
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    writeInvoiceXml(data, buffer, attached);
    return text;
}

} // namespace brevalto
