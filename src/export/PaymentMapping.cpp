// DatiPagamento (payment conditions with their instalments) and Allegati (attached files, read
// from disk and embedded as base64 text) of one body.
#include "export/AttachmentEncoding.h"
#include "export/ExportError.h"
#include "export/Mappings.h"
#include "export/ValueFormat.h"
#include "store/DataModule.h"

namespace brevalto {

void writePayments(XmlOut& x, DataModule& data, int bodyId) {
    const Columns payments(data.table("TablePA_FE_Body_DatiPagamento"));
    if (payments.dataset().isEmpty())
        return;
    const ChildRows instalments(data.connessione(),
                                QStringLiteral("PA_FE_Body_DatiPagamento_Dettaglio"),
                                QStringLiteral("PA_FE_Body_DatiPagamento_Id"),
                                QStringLiteral("PA_FE_Body_DatiPagamento"), bodyId);
    for (int i = 0; i < payments.dataset().rowCount(); ++i) {
        const Row p(payments, i);
        x.start("DatiPagamento");
        x.element("CondizioniPagamento", p.text("CondizioniPagamento"));
        for (const Row& d : instalments.of(int(p.integer("Id")))) {
            x.start("DettaglioPagamento");
            elementIfText(x, "Beneficiario", d.text("Beneficiario"));
            x.element("ModalitaPagamento", d.text("ModalitaPagamento"));
            if (!d.isNull("DataRiferimentoTerminiPagamento"))
                x.date("DataRiferimentoTerminiPagamento",
                       d.value("DataRiferimentoTerminiPagamento"));
            if (!d.isNull("GiorniTerminiPagamento"))
                x.integer("GiorniTerminiPagamento", d.value("GiorniTerminiPagamento"), 0, 999);
            if (!d.isNull("DataScadenzaPagamento"))
                x.date("DataScadenzaPagamento", d.value("DataScadenzaPagamento"));
            x.decimal("ImportoPagamento", d.value("ImportoPagamento"), SchemaDecimal::Amount2);
            elementIfText(x, "CodUfficioPostale", d.text("CodUfficioPostale"));
            elementIfText(x, "CognomeQuietanzante", d.text("CognomeQuietanzante"));
            elementIfText(x, "NomeQuietanzante", d.text("NomeQuietanzante"));
            elementIfText(x, "CFQuietanzante", d.text("CFQuietanzante"));
            elementIfText(x, "TitoloQuietanzante", d.text("TitoloQuietanzante"));
            elementIfText(x, "IstitutoFinanziario", d.text("IstitutoFinanziario"));
            elementIfText(x, "IBAN", d.text("Iban"));
            elementIfText(x, "ABI", d.text("Abi"));
            elementIfText(x, "CAB", d.text("Cab"));
            elementIfText(x, "BIC", d.text("Bic"));
            if (!d.isNull("ScontoPagamentoAnticipato"))
                x.decimal("ScontoPagamentoAnticipato", d.value("ScontoPagamentoAnticipato"),
                          SchemaDecimal::Amount2);
            if (!d.isNull("DataLimitePagamentoAnticipato"))
                x.date("DataLimitePagamentoAnticipato", d.value("DataLimitePagamentoAnticipato"));
            if (!d.isNull("PenalitaPagamentiRitardati"))
                x.decimal("PenalitaPagamentiRitardati", d.value("PenalitaPagamentiRitardati"),
                          SchemaDecimal::Amount2);
            if (!d.isNull("DataDecorrenzaPenale"))
                x.date("DataDecorrenzaPenale", d.value("DataDecorrenzaPenale"));
            elementIfText(x, "CodicePagamento", d.text("CodicePagamento"));
            x.end();
        }
        x.end();
    }
}

void writeAttachments(XmlOut& x, DataModule& data, AttachedFiles* attached) {
    const Columns attachments(data.table("TablePA_FE_Body_Allegati"));
    for (int i = 0; i < attachments.dataset().rowCount(); ++i) {
        const Row a(attachments, i);
        const QString path = a.text("PercorsoCompleto");
        if (path.isEmpty())
            continue;
        x.start("Allegati");
        x.element("NomeAttachment", a.text("NomeAttachment"));
        elementIfText(x, "AlgoritmoCompressione", a.text("AlgoritmoCompressione"));
        elementIfText(x, "FormatoAttachment", a.text("FormatoAttachment"));
        elementIfText(x, "DescrizioneAttachment", a.text("DescrizioneAttachment"));
        const QString file = attachableFile(path);
        Base64Reader base64(file);
        x.elementInPieces("Attachment", [&] { return base64.next(); });
        x.end();
        if (attached)
            attached->append({a.text("NomeAttachment"), file, base64.bytesRead()});
    }
}

} // namespace brevalto
