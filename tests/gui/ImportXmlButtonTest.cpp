// "Importa fattura xml…" on the Documents tab of the real main window.
#include "ShellFixture.h"
#include "ui/DataGrid.h"

#include <QPushButton>
#include <QTest>

namespace brevalto::test {
namespace {

const QByteArray kInvoice = R"(<?xml version="1.0" encoding="UTF-8"?>
<p:FatturaElettronica versione="FPR12" xmlns:p="http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2">
<FatturaElettronicaHeader>
<DatiTrasmissione><IdTrasmittente><IdPaese>IT</IdPaese><IdCodice>01234567890</IdCodice></IdTrasmittente>
<ProgressivoInvio>00042</ProgressivoInvio><FormatoTrasmissione>FPR12</FormatoTrasmissione>
<CodiceDestinatario>ABC1234</CodiceDestinatario></DatiTrasmissione>
<CedentePrestatore><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT</IdPaese><IdCodice>01234567890</IdCodice></IdFiscaleIVA>
<Anagrafica><Denominazione>Alfa Srl</Denominazione></Anagrafica><RegimeFiscale>RF01</RegimeFiscale></DatiAnagrafici>
<Sede><Indirizzo>Via Roma 1</Indirizzo><CAP>00100</CAP><Comune>Roma</Comune><Nazione>IT</Nazione></Sede></CedentePrestatore>
<CessionarioCommittente><DatiAnagrafici><CodiceFiscale>RSSMRA80A01H501U</CodiceFiscale>
<Anagrafica><Nome>Mario</Nome><Cognome>Rossi</Cognome></Anagrafica></DatiAnagrafici>
<Sede><Indirizzo>Via Po 2</Indirizzo><CAP>10100</CAP><Comune>Torino</Comune><Nazione>IT</Nazione></Sede></CessionarioCommittente>
</FatturaElettronicaHeader>
<FatturaElettronicaBody><DatiGenerali><DatiGeneraliDocumento><TipoDocumento>TD01</TipoDocumento><Divisa>EUR</Divisa>
<Data>2023-05-04</Data><Numero>A/17</Numero></DatiGeneraliDocumento></DatiGenerali>
<DatiBeniServizi><DettaglioLinee><NumeroLinea>1</NumeroLinea><Descrizione>Consulenza</Descrizione>
<PrezzoUnitario>100.00</PrezzoUnitario><PrezzoTotale>100.00</PrezzoTotale><AliquotaIVA>22.00</AliquotaIVA></DettaglioLinee>
<DatiRiepilogo><AliquotaIVA>22.00</AliquotaIVA><ImponibileImporto>100.00</ImponibileImporto><Imposta>22.00</Imposta>
</DatiRiepilogo></DatiBeniServizi></FatturaElettronicaBody>
</p:FatturaElettronica>
)";

class ImportXmlButtonTest : public ShellTest {};

// The file is asked for through the prompt; the new Document appears in the register, current,
// and the summary is shown. A cancelled dialog does nothing.
TEST_F(ImportXmlButtonTest, ImportsTheChosenFileAndShowsTheSummary) {
    makeArchive();
    ASSERT_TRUE(start());
    QPushButton* button = window().button("spdImportaXml");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("Importa fattura xml…"));

    prompt.answerOpenFile(QString());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(scalar(defaultArchive(), "select count(*) from PA_FE_Header").toInt(), 0);
    EXPECT_TRUE(prompt.messages().isEmpty());

    const QString file = programFolder() + QStringLiteral("vecchia.xml");
    writeFile(file, kInvoice);
    prompt.answerOpenFile(file);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(prompt.messages().size(), 1);
    const QString summary = prompt.messages().first();
    EXPECT_TRUE(summary.contains(QStringLiteral("importato come documento n. 1")))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("Cessionario/committente creato in archivio: "
                                                "Mario Rossi")))
        << summary.toStdString();
    EXPECT_EQ(window().documentGrid()->model()->rowCount(), 1);
    EXPECT_EQ(dm().table("TablePA_FE_Header").text("Importato"), QStringLiteral("vecchia.xml"));
    EXPECT_EQ(dm().table("TablePA_FE_Header").text("CessionarioCommittente_NominativoVisualizzato"),
              QStringLiteral("Rossi Mario - RSSMRA80A01H501U"));
}

} // namespace
} // namespace brevalto::test
