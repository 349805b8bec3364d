#include "ExportTestSupport.h"
#include "export/FatturaWriter.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

const QString kTransmission = "FatturaElettronicaHeader/DatiTrasmissione";
const QString kSeller = "FatturaElettronicaHeader/CedentePrestatore";
const QString kBuyer = "FatturaElettronicaHeader/CessionarioCommittente";

// The declaration, the prefixed root with its attributes in order, unqualified children.
TEST(HeaderMappingTest, RootElementAndNamespaces) {
    ExportArchive a;
    const int doc = scenarioNoOptionalBlock(a);
    a.exportDocument(doc);
    const QString text = QString::fromUtf8(readFile(a.folder.file("out.xml")));

    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"))
        << text.left(80).toStdString();
    const QString root =
        "<p:FatturaElettronica versione=\"FPR12\" "
        "xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\" "
        "xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:schemaLocation=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2 "
        "fatturaordinaria_v1.2.1.xsd \">";
    EXPECT_TRUE(text.contains(root)) << text.left(400).toStdString();
    EXPECT_TRUE(text.trimmed().endsWith("</p:FatturaElettronica>"));
    EXPECT_EQ(text.count(QRegularExpression("</?[A-Za-z_]+:")), 2) << "only the root has a prefix";

    QDomDocument doc2;
    ASSERT_TRUE(doc2.setContent(text.toUtf8(), true));
    EXPECT_EQ(doc2.documentElement().namespaceURI(), fattura::kNamespace);
    EXPECT_EQ(doc2.documentElement().localName(), "FatturaElettronica");
    const QDomElement header = doc2.documentElement().firstChildElement();
    EXPECT_EQ(header.localName(), "FatturaElettronicaHeader");
    EXPECT_TRUE(header.namespaceURI().isEmpty());
}

TEST(HeaderMappingTest, PublicAdministrationWritesItsFormatAsVersion) {
    ExportArchive a;
    const QDomDocument x = a.exportDocument(scenarioPublicAdministration(a));
    EXPECT_EQ(x.documentElement().attribute("versione"), "FPA12");
    EXPECT_EQ(textAt(x, kTransmission + "/FormatoTrasmissione"), "FPA12");
}

// CodiceDestinatario and PECDestinatario for every kind of buyer.
TEST(HeaderMappingTest, RecipientCodeRule) {
    const struct {
        bool publicAdministration;
        const char* storedCode;
        const char* pec;
        const char* code;
        bool pecWritten;
    } cases[] = {
        {false, "", "beta@pec.example.it", "0000000", true},
        {false, "", "", "0000000", false},
        {false, "0000000", "beta@pec.example.it", "0000000", true},
        {false, "ABCDEFGH9", "beta@pec.example.it", "ABCDEFG", false},
        {false, "ABC1234", "beta@pec.example.it", "ABC1234", false},
        {true, "UFABCD", "comune@pec.example.it", "UFABCD", false},
        {true, "", "comune@pec.example.it", "", false},
        {true, "UFABCDEFGH", "", "UFABCDEFGH", false},
    };
    ExportArchive a;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.storedCode) + (c.publicAdministration ? " PA" : " private"));
        const int doc = a.addDocument(
            {{"CessionarioCommittente_PubblicaAmministrazione", c.publicAdministration},
             {"DatiTrasmissione_CodiceDestinatario", c.storedCode},
             {"CessionarioCommittente_Pec", c.pec},
             {"DatiTrasmissione_ContattiTrasmittente", true},
             {"DatiTrasmissione_ContattiTrasmittente_Email", "info@alfa.it"}});
        a.addCompleteBody(doc);
        const QDomDocument x = a.exportDocument(doc);
        EXPECT_EQ(textAt(x, kTransmission + "/CodiceDestinatario"), c.code);
        if (c.pecWritten) {
            EXPECT_EQ(textAt(x, kTransmission + "/PECDestinatario"), c.pec);
            EXPECT_EQ(
                childNamesAt(x, kTransmission),
                QStringList({"IdTrasmittente", "ProgressivoInvio", "FormatoTrasmissione",
                             "CodiceDestinatario", "ContattiTrasmittente", "PECDestinatario"}));
        } else {
            EXPECT_FALSE(existsAt(x, kTransmission + "/PECDestinatario"));
        }
    }
}

TEST(HeaderMappingTest, TransmissionData) {
    ExportArchive a;
    const int doc = a.addDocument({{"DatiTrasmissione_ProgressivoInvio", "12"},
                                   {"DatiTrasmissione_ContattiTrasmittente", true},
                                   {"DatiTrasmissione_ContattiTrasmittente_Telefono", ""},
                                   {"DatiTrasmissione_ContattiTrasmittente_Email", QVariant()}});
    a.addCompleteBody(doc);
    const QDomDocument x = a.exportDocument(doc);
    EXPECT_EQ(textAt(x, kTransmission + "/IdTrasmittente/IdPaese"), "IT");
    EXPECT_EQ(textAt(x, kTransmission + "/IdTrasmittente/IdCodice"), "RSSMRA80A01H501U");
    EXPECT_EQ(textAt(x, kTransmission + "/ProgressivoInvio"), "12") << "not padded";
    // The flag alone gives an empty element.
    EXPECT_EQ(childNamesAt(x, kTransmission + "/ContattiTrasmittente"), QStringList());
}

// Which VAT identification the buyer gets.
TEST(HeaderMappingTest, BuyerVatIdentifierRule) {
    const struct {
        bool flag;
        const char* country;
        const char* vatCode;
        const char* taxCode;
        const char* idPaese; // nullptr: no IdFiscaleIVA
        const char* idCodice;
    } cases[] = {
        {true, "IT", "09876543210", "09876543210", "IT", "09876543210"},
        {false, "IT", "09876543210", "", nullptr, nullptr},    // flag off, code filled
        {false, "DE", "", "de123abc456", "DE", "de123abc456"}, // foreign: tax code as stored
        {true, "FR", "", "fr99", "FR", "fr99"},
        {false, "IT", "", "vrdlgu75b02f205x", nullptr, nullptr}, // Italian without VAT number
        {false, "DE", "", "", nullptr, nullptr},
    };
    ExportArchive a;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.country) + " " + c.vatCode + " " + c.taxCode);
        const int doc = a.addDocument({{"CessionarioCommittente_IdFiscaleIva", c.flag},
                                       {"CessionarioCommittente_IdPaese", c.country},
                                       {"CessionarioCommittente_IdCodice", c.vatCode},
                                       {"CessionarioCommittente_CodiceFiscale", c.taxCode}});
        a.addCompleteBody(doc);
        const QDomDocument x = a.exportDocument(doc);
        const QString base = kBuyer + "/DatiAnagrafici";
        if (c.idPaese) {
            EXPECT_EQ(textAt(x, base + "/IdFiscaleIVA/IdPaese"), c.idPaese);
            EXPECT_EQ(textAt(x, base + "/IdFiscaleIVA/IdCodice"), c.idCodice);
        } else {
            EXPECT_FALSE(existsAt(x, base + "/IdFiscaleIVA"));
        }
        if (*c.taxCode)
            EXPECT_EQ(textAt(x, base + "/CodiceFiscale"), QString(c.taxCode).toUpper());
        else
            EXPECT_FALSE(existsAt(x, base + "/CodiceFiscale"));
    }
}

TEST(HeaderMappingTest, NameBlock) {
    ExportArchive a;
    // A denomination hides the person's fields, title and EORI code included.
    const int company = a.addDocument({{"CedentePrestatore_Denominazione", "Alfa Srl"},
                                       {"CedentePrestatore_Nome", "Mario"},
                                       {"CedentePrestatore_Titolo", "Dott."},
                                       {"CedentePrestatore_CodOERI", "IT123456789012"}});
    a.addCompleteBody(company);
    QDomDocument x = a.exportDocument(company);
    EXPECT_EQ(childNamesAt(x, kSeller + "/DatiAnagrafici/Anagrafica"),
              QStringList({"Denominazione"}));

    x = a.exportDocument(scenarioPersonWithTitle(a));
    EXPECT_EQ(childNamesAt(x, kSeller + "/DatiAnagrafici/Anagrafica"),
              QStringList({"Nome", "Cognome", "Titolo"}));
    EXPECT_EQ(textAt(x, kSeller + "/DatiAnagrafici/Anagrafica/Titolo"), "Dott.");
    EXPECT_EQ(textAt(x, kSeller + "/DatiAnagrafici/CodiceFiscale"), "RSSMRA80A01H501U");
    EXPECT_EQ(childNamesAt(x, kBuyer + "/DatiAnagrafici/Anagrafica"),
              QStringList({"Nome", "Cognome"}));
    EXPECT_EQ(childNamesAt(x, kBuyer + "/DatiAnagrafici"),
              QStringList({"CodiceFiscale", "Anagrafica"}));
}

TEST(HeaderMappingTest, EveryOptionalBlock) {
    ExportArchive a;
    const QDomDocument x = a.exportDocument(scenarioEveryOptionalBlock(a));
    EXPECT_EQ(childNamesAt(x, "FatturaElettronicaHeader"),
              QStringList({"DatiTrasmissione", "CedentePrestatore", "RappresentanteFiscale",
                           "CessionarioCommittente", "TerzoIntermediarioOSoggettoEmittente",
                           "SoggettoEmittente"}));
    EXPECT_EQ(childNamesAt(x, kTransmission + "/ContattiTrasmittente"),
              QStringList({"Telefono", "Email"}));
    EXPECT_EQ(childNamesAt(x, kSeller),
              QStringList({"DatiAnagrafici", "Sede", "StabileOrganizzazione", "IscrizioneREA",
                           "Contatti", "RiferimentoAmministrazione"}));
    EXPECT_EQ(childNamesAt(x, kSeller + "/DatiAnagrafici"),
              QStringList({"IdFiscaleIVA", "CodiceFiscale", "Anagrafica", "AlboProfessionale",
                           "ProvinciaAlbo", "NumeroIscrizioneAlbo", "DataIscrizioneAlbo",
                           "RegimeFiscale"}));
    EXPECT_EQ(textAt(x, kSeller + "/DatiAnagrafici/DataIscrizioneAlbo"), "2001-05-06");
    EXPECT_EQ(childNamesAt(x, kSeller + "/StabileOrganizzazione"),
              QStringList({"Indirizzo", "NumeroCivico", "CAP", "Comune", "Provincia", "Nazione"}));
    EXPECT_EQ(childNamesAt(x, kSeller + "/IscrizioneREA"),
              QStringList(
                  {"Ufficio", "NumeroREA", "CapitaleSociale", "SocioUnico", "StatoLiquidazione"}));
    EXPECT_EQ(textAt(x, kSeller + "/IscrizioneREA/CapitaleSociale"), "10000.00");
    EXPECT_EQ(childNamesAt(x, kSeller + "/Contatti"), QStringList({"Telefono", "Fax", "Email"}));
    EXPECT_EQ(childNamesAt(x, "FatturaElettronicaHeader/RappresentanteFiscale/DatiAnagrafici"),
              QStringList({"IdFiscaleIVA", "CodiceFiscale", "Anagrafica"}));
    EXPECT_EQ(
        childNamesAt(x, kBuyer),
        QStringList({"DatiAnagrafici", "Sede", "StabileOrganizzazione", "RappresentanteFiscale"}));
    // The buyer's representative has no DatiAnagrafici level.
    EXPECT_EQ(childNamesAt(x, kBuyer + "/RappresentanteFiscale"),
              QStringList({"IdFiscaleIVA", "Nome", "Cognome"}));
    EXPECT_EQ(textAt(x, kBuyer + "/RappresentanteFiscale/IdFiscaleIVA/IdPaese"), "IT");
    const QString third =
        "FatturaElettronicaHeader/TerzoIntermediarioOSoggettoEmittente/DatiAnagrafici";
    EXPECT_EQ(childNamesAt(x, third), QStringList({"IdFiscaleIVA", "CodiceFiscale", "Anagrafica"}));
    EXPECT_EQ(textAt(x, third + "/CodiceFiscale"), "BNCNNA70C41L219K");
    EXPECT_EQ(childNamesAt(x, third + "/Anagrafica"),
              QStringList({"Nome", "Cognome", "Titolo", "CodEORI"}));
    EXPECT_EQ(textAt(x, "FatturaElettronicaHeader/SoggettoEmittente"), "TZ");
}

TEST(HeaderMappingTest, NoOptionalBlock) {
    ExportArchive a;
    const QDomDocument x = a.exportDocument(scenarioNoOptionalBlock(a));
    EXPECT_EQ(childNamesAt(x, "FatturaElettronicaHeader"),
              QStringList({"DatiTrasmissione", "CedentePrestatore", "CessionarioCommittente"}));
    EXPECT_EQ(childNamesAt(x, kTransmission),
              QStringList({"IdTrasmittente", "ProgressivoInvio", "FormatoTrasmissione",
                           "CodiceDestinatario"}));
    EXPECT_EQ(childNamesAt(x, kSeller), QStringList({"DatiAnagrafici", "Sede"}));
    EXPECT_EQ(childNamesAt(x, kSeller + "/DatiAnagrafici"),
              QStringList({"IdFiscaleIVA", "Anagrafica", "RegimeFiscale"}));
    EXPECT_EQ(childNamesAt(x, kBuyer), QStringList({"DatiAnagrafici", "Sede"}));
    // Empty optional address parts are left out, empty mandatory ones stay.
    EXPECT_EQ(childNamesAt(x, kBuyer + "/Sede"),
              QStringList({"Indirizzo", "CAP", "Comune", "Provincia", "Nazione"}));
}

// The REA block's optional capital and shareholder code.
TEST(HeaderMappingTest, RegisterData) {
    ExportArchive a;
    const int doc = a.addDocument({{"CedentePrestatore_Iscrizione_REA", true},
                                   {"CedentePrestatore_Iscrizione_REA_Ufficio", "RM"},
                                   {"CedentePrestatore_Iscrizione_REA_NumeroREA", "1"},
                                   {"CedentePrestatore_Iscrizione_REA_SocioUnico", ""},
                                   {"CedentePrestatore_Iscrizione_REA_StatoLiquidazione", "LN"}});
    a.addCompleteBody(doc);
    const QDomDocument x = a.exportDocument(doc);
    // A null capital is left out; so is an empty shareholder code, which the schema would refuse.
    EXPECT_EQ(childNamesAt(x, kSeller + "/IscrizioneREA"),
              QStringList({"Ufficio", "NumeroREA", "StatoLiquidazione"}));
}

// Free texts go out exactly as stored; the writer only escapes markup.
TEST(HeaderMappingTest, TextsAreWrittenAsStored) {
    ExportArchive a;
    const QString name = QString::fromUtf8("  Alfa & Figli <S.r.l.> \"già\" 'x'  ");
    const int doc = a.addDocument({{"CedentePrestatore_Denominazione", name}});
    a.addCompleteBody(doc);
    const QDomDocument x = a.exportDocument(doc);
    EXPECT_EQ(textAt(x, kSeller + "/DatiAnagrafici/Anagrafica/Denominazione"), name);
}

} // namespace
} // namespace brevalto
