#include "RenderTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brevalto::test {

int run(const QString& program, const QStringList& args, QByteArray* out) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, args);
    if (!process.waitForStarted(10000)) {
        ADD_FAILURE() << program.toStdString() << " is missing: scripts/setup installs it";
        return -1;
    }
    process.waitForFinished(60000);
    if (out)
        *out = process.readAllStandardOutput();
    return process.exitCode();
}

namespace {

QString writeTemp(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("doc.pdf"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

} // namespace

QStringList pdfPages(const QByteArray& pdf, bool raw) {
    QTemporaryDir dir;
    QByteArray text;
    QStringList args = {QStringLiteral("-enc"), QStringLiteral("UTF-8"), writeTemp(dir, pdf),
                        QStringLiteral("-")};
    if (raw)
        args.prepend(QStringLiteral("-raw"));
    EXPECT_EQ(run(QStringLiteral("pdftotext"), args, &text), 0);
    QStringList pages = QString::fromUtf8(text).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    // As a reader copying out of the PDF gets it: no normalisation, so that a ligature's
    // compatibility character ("ﬁ" for "fi") fails the search for the word.
    for (QString& page : pages)
        page = page.replace(blanks, QStringLiteral(" ")).trimmed();
    return pages;
}

QList<PdfWord> pdfWords(const QByteArray& pdf) {
    QTemporaryDir dir;
    QByteArray html;
    EXPECT_EQ(run(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), writeTemp(dir, pdf), QStringLiteral("-")}, &html),
              0);
    QList<PdfWord> words;
    static const QRegularExpression page(QStringLiteral("<page width=\"([0-9.]+)\""));
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"[0-9.]+\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\" "
                       "yMax=\"[0-9.]+\">([^<]*)</word>"));
    double width = 0;
    for (const QString& line : QString::fromUtf8(html).split(QLatin1Char('\n'))) {
        if (const auto m = page.match(line); m.hasMatch())
            width = m.captured(1).toDouble();
        if (const auto m = word.match(line); m.hasMatch())
            words.append({m.captured(2), m.captured(1).toDouble(), width});
    }
    return words;
}

QByteArray sample(const QString& name) {
    QFile file(QStringLiteral(BREVALTO_SOURCE_DIR "/../shared/fatturapa/samples/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray ligatureInvoice() {
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<p:FatturaElettronica versione="FPR12" xmlns:p="http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2">
<FatturaElettronicaHeader>
<DatiTrasmissione><IdTrasmittente><IdPaese>IT</IdPaese><IdCodice>01234567890</IdCodice></IdTrasmittente>
<ProgressivoInvio>00001</ProgressivoInvio><FormatoTrasmissione>FPR12</FormatoTrasmissione>
<CodiceDestinatario>0000000</CodiceDestinatario><PECDestinatario>ufficio@pec.affidabile.it</PECDestinatario></DatiTrasmissione>
<CedentePrestatore><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT</IdPaese><IdCodice>01234567890</IdCodice></IdFiscaleIVA>
<Anagrafica><Denominazione>Officina Raffinata Fratelli Baffi snc</Denominazione></Anagrafica><RegimeFiscale>RF01</RegimeFiscale></DatiAnagrafici>
<Sede><Indirizzo>Via del Fiume Affluente</Indirizzo><NumeroCivico>5</NumeroCivico><CAP>00020</CAP><Comune>Affile</Comune><Provincia>RM</Provincia><Nazione>IT</Nazione></Sede>
<Contatti><Email>fatture.ufficio@officinaflli.it</Email></Contatti></CedentePrestatore>
<CessionarioCommittente><DatiAnagrafici><CodiceFiscale>MHMLAI80A01Z330X</CodiceFiscale>
<Anagrafica><Nome>محمد</Nome><Cognome>Effendi 😀</Cognome></Anagrafica></DatiAnagrafici>
<Sede><Indirizzo>Piazza del Fiordaliso</Indirizzo><CAP>50100</CAP><Comune>Firenze</Comune><Provincia>FI</Provincia><Nazione>IT</Nazione></Sede></CessionarioCommittente>
</FatturaElettronicaHeader>
<FatturaElettronicaBody>
<DatiGenerali><DatiGeneraliDocumento><TipoDocumento>TD01</TipoDocumento><Divisa>EUR</Divisa><Data>2026-12-10</Data><Numero>17</Numero>
<ImportoTotaleDocumento>122.00</ImportoTotaleDocumento><Causale>Consegna differita, fattura riepilogativa</Causale></DatiGeneraliDocumento></DatiGenerali>
<DatiBeniServizi><DettaglioLinee><NumeroLinea>1</NumeroLinea><Descrizione>Filtri in fibra, soffietto e flangia per ufficio</Descrizione>
<Quantita>1.00</Quantita><PrezzoUnitario>100.00</PrezzoUnitario><PrezzoTotale>100.00</PrezzoTotale><AliquotaIVA>22.00</AliquotaIVA></DettaglioLinee>
<DatiRiepilogo><AliquotaIVA>22.00</AliquotaIVA><ImponibileImporto>100.00</ImponibileImporto><Imposta>22.00</Imposta><EsigibilitaIVA>I</EsigibilitaIVA></DatiRiepilogo></DatiBeniServizi>
</FatturaElettronicaBody>
</p:FatturaElettronica>
)")
        .toUtf8();
}

} // namespace brevalto::test
