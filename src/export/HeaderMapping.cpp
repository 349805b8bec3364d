// FatturaElettronicaHeader: transmission data and the parties, all from the document row, which
// holds its own copy of every party.
#include "export/Mappings.h"
#include "export/ValueFormat.h"

namespace brevalto {

namespace {

const QString kNoRecipientCode = QStringLiteral("0000000");

// The recipient code: a public administration's office code as stored; for everyone else the
// first seven characters, or seven zeros when there is none (delivery by certified mail).
QString recipientCode(const Row& h) {
    const QString stored = h.text("DatiTrasmissione_CodiceDestinatario");
    if (h.flag("CessionarioCommittente_PubblicaAmministrazione"))
        return stored;
    if (stored.isEmpty())
        return kNoRecipientCode;
    return stored.left(7);
}

void writeTransmission(XmlOut& x, const Row& h) {
    x.start("DatiTrasmissione");
    x.start("IdTrasmittente");
    x.element("IdPaese", h.text("DatiTrasmissione_IdPaese"));
    x.element("IdCodice", h.text("DatiTrasmissione_IdCodice"));
    x.end();
    x.element("ProgressivoInvio", h.text("DatiTrasmissione_ProgressivoInvio"));
    x.element("FormatoTrasmissione", h.text("DatiTrasmissione_FormatoTrasmissione"));
    const QString code = recipientCode(h);
    x.element("CodiceDestinatario", code);
    if (h.flag("DatiTrasmissione_ContattiTrasmittente")) {
        x.start("ContattiTrasmittente");
        elementIfText(x, "Telefono", h.text("DatiTrasmissione_ContattiTrasmittente_Telefono"));
        elementIfText(x, "Email", h.text("DatiTrasmissione_ContattiTrasmittente_Email"));
        x.end();
    }
    if (code == kNoRecipientCode)
        elementIfText(x, "PECDestinatario", h.text("CessionarioCommittente_Pec"));
    x.end();
}

void writeSeller(XmlOut& x, const Row& h) {
    x.start("CedentePrestatore");
    x.start("DatiAnagrafici");
    writeVatId(x, h.text("CedentePrestatore_IdPaese"), h.text("CedentePrestatore_IdCodice"));
    writeTaxCodeAndName(x, h, QStringLiteral("CedentePrestatore_CodiceFiscale"),
                        nameColumns(QStringLiteral("CedentePrestatore_"),
                                    QStringLiteral("CedentePrestatore_CodOERI")));
    elementIfText(x, "AlboProfessionale", h.text("CedentePrestatore_AlboProfessionale"));
    elementIfText(x, "ProvinciaAlbo", h.text("CedentePrestatore_ProvinciaAlbo"));
    elementIfText(x, "NumeroIscrizioneAlbo", h.text("CedentePrestatore_NumeroIscrizioneAlbo"));
    if (!h.isNull("CedentePrestatore_DataIscrizioneAlbo"))
        x.date("DataIscrizioneAlbo", h.value("CedentePrestatore_DataIscrizioneAlbo"));
    x.element("RegimeFiscale", h.text("CedentePrestatore_RegimeFiscale"));
    x.end(); // DatiAnagrafici

    x.start("Sede");
    writeAddressBlock(x, h, QStringLiteral("CedentePrestatore_Sede_"));
    x.end();
    if (h.flag("CedentePrestatore_StabileOrganizzazione")) {
        x.start("StabileOrganizzazione");
        writeAddressBlock(x, h, QStringLiteral("CedentePrestatore_StabileOrganizzazione_"));
        x.end();
    }
    if (h.flag("CedentePrestatore_Iscrizione_REA")) {
        x.start("IscrizioneREA");
        x.element("Ufficio", h.text("CedentePrestatore_Iscrizione_REA_Ufficio"));
        x.element("NumeroREA", h.text("CedentePrestatore_Iscrizione_REA_NumeroREA"));
        if (!h.isNull("CedentePrestatore_Iscrizione_REA_CapitaleSociale"))
            x.decimal("CapitaleSociale",
                      h.value("CedentePrestatore_Iscrizione_REA_CapitaleSociale"),
                      SchemaDecimal::Amount2);
        // An empty code means "not stated": the element is optional, and empty it is invalid.
        elementIfText(x, "SocioUnico", h.text("CedentePrestatore_Iscrizione_REA_SocioUnico"));
        x.element("StatoLiquidazione",
                  h.text("CedentePrestatore_Iscrizione_REA_StatoLiquidazione"));
        x.end();
    }
    if (h.flag("CedentePrestatore_Iscrizione_Contatti")) {
        x.start("Contatti");
        elementIfText(x, "Telefono", h.text("CedentePrestatore_Contatti_Telefono"));
        elementIfText(x, "Fax", h.text("CedentePrestatore_Contatti_Fax"));
        elementIfText(x, "Email", h.text("CedentePrestatore_Contatti_Email"));
        x.end();
    }
    elementIfText(x, "RiferimentoAmministrazione",
                  h.text("CedentePrestatore_RiferimentoAmministrazione"));
    x.end();
}

void writeSellerRepresentative(XmlOut& x, const Row& h) {
    if (!h.flag("RappresentanteFiscale"))
        return;
    const QString p = QStringLiteral("RappresentanteFiscale_DatiAnagrafici_");
    x.start("RappresentanteFiscale");
    x.start("DatiAnagrafici");
    writeVatId(x, h.text(p + "IdPaese"), h.text(p + "IdCodice"));
    writeTaxCodeAndName(x, h, p + "CodiceFiscale", nameColumns(p, p + "CodEORI"));
    x.end();
    x.end();
}

void writeBuyer(XmlOut& x, const Row& h) {
    const QString p = QStringLiteral("CessionarioCommittente_");
    x.start("CessionarioCommittente");
    x.start("DatiAnagrafici");
    const QString country = h.text(p + "IdPaese");
    const QString vatCode = h.text(p + "IdCodice");
    const QString taxCode = h.text(p + "CodiceFiscale");
    if (h.flag(p + "IdFiscaleIva") && !vatCode.isEmpty()) {
        writeVatId(x, country, vatCode);
    } else if (vatCode.isEmpty() && country != QLatin1String("IT") && !taxCode.isEmpty()) {
        // A foreign buyer without a VAT number is identified by its own tax code.
        writeVatId(x, country, taxCode);
    }
    writeTaxCodeAndName(x, h, p + "CodiceFiscale", nameColumns(p, p + "CodEORI"));
    x.end(); // DatiAnagrafici

    x.start("Sede");
    writeAddressBlock(x, h, p + "Sede_");
    x.end();
    if (h.flag(p + "StabileOrganizzazione")) {
        x.start("StabileOrganizzazione");
        writeAddressBlock(x, h, p + "StabileOrganizzazione_");
        x.end();
    }
    if (h.flag(p + "RappresentanteFiscale")) {
        const QString r = p + "RappresentanteFiscale_";
        x.start("RappresentanteFiscale");
        writeVatId(x, h.text(r + "Nazione"), h.text(r + "IdCodice"));
        const QString denominazione = h.text(r + "Denominazione");
        if (!denominazione.isEmpty()) {
            x.element("Denominazione", denominazione);
        } else {
            elementIfText(x, "Nome", h.text(r + "Nome"));
            elementIfText(x, "Cognome", h.text(r + "Cognome"));
        }
        x.end();
    }
    x.end();
}

void writeIntermediary(XmlOut& x, const Row& h) {
    const QString p = QStringLiteral("TerzoIntermediarioOSoggettoEmittente_");
    if (!h.flag("TerzoIntermediarioOSoggettoEmittente"))
        return;
    x.start("TerzoIntermediarioOSoggettoEmittente");
    x.start("DatiAnagrafici");
    if (h.flag(p + "IdFiscaleIVA"))
        writeVatId(x, h.text(p + "IdPaese"), h.text(p + "IdCodice"));
    writeTaxCodeAndName(x, h, p + "CodiceFiscale", nameColumns(p, p + "CodEORI"));
    x.end();
    x.end();
}

} // namespace

NameColumns nameColumns(const QString& prefix, const QString& eoriColumn) {
    return {prefix + QStringLiteral("Denominazione"), prefix + QStringLiteral("Nome"),
            prefix + QStringLiteral("Cognome"), prefix + QStringLiteral("Titolo"), eoriColumn};
}

void writeVatId(XmlOut& x, const QString& country, const QString& code) {
    x.start("IdFiscaleIVA");
    x.element("IdPaese", country);
    x.element("IdCodice", code);
    x.end();
}

void writeTaxCodeAndName(XmlOut& x, const Row& row, const QString& taxCodeColumn,
                         const NameColumns& names) {
    elementIfText(x, "CodiceFiscale", UpperCase(row.text(taxCodeColumn)));
    x.start("Anagrafica");
    writeNameBlock(x, row, names);
    x.end();
}

void writeNameBlock(XmlOut& x, const Row& row, const NameColumns& c) {
    const QString denominazione = row.text(c.denominazione);
    if (!denominazione.isEmpty()) {
        x.element("Denominazione", denominazione);
        return;
    }
    elementIfText(x, "Nome", row.text(c.nome));
    elementIfText(x, "Cognome", row.text(c.cognome));
    elementIfText(x, "Titolo", row.text(c.titolo));
    elementIfText(x, "CodEORI", row.text(c.codEori));
}

void writeAddressBlock(XmlOut& x, const Row& row, const QString& prefix) {
    x.element("Indirizzo", row.text(prefix + "Indirizzo"));
    elementIfText(x, "NumeroCivico", row.text(prefix + "NumeroCivico"));
    x.element("CAP", row.text(prefix + "CAP"));
    x.element("Comune", row.text(prefix + "Comune"));
    elementIfText(x, "Provincia", row.text(prefix + "Provincia"));
    x.element("Nazione", row.text(prefix + "Nazione"));
}

void writeHeader(XmlOut& x, const Row& document) {
    x.start("FatturaElettronicaHeader");
    writeTransmission(x, document);
    writeSeller(x, document);
    writeSellerRepresentative(x, document);
    writeBuyer(x, document);
    writeIntermediary(x, document);
    elementIfText(x, "SoggettoEmittente", document.text("SoggettoEmittente"));
    x.end();
}

} // namespace brevalto
