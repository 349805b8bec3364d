#include "render/InvoiceRender.h"
#include "RenderTestSupport.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;
using render::renderInvoice;

QString allText(const QByteArray& xml) {
    const render::RenderedInvoice invoice = renderInvoice(xml);
    EXPECT_TRUE(invoice.ok) << invoice.error.toStdString();
    int pages = 0;
    const QByteArray pdf = invoice.document.pdf(&pages);
    EXPECT_GT(pages, 0);
    return pdfPages(pdf).join(QLatin1Char(' '));
}

struct SampleCase {
    const char* file;
    QStringList expected;
};

void PrintTo(const SampleCase& c, std::ostream* out) {
    *out << c.file;
}

class OfficialSample : public ::testing::TestWithParam<SampleCase> {};

// Names, numbers, totals, codes in words and due dates of the official samples, as a reader of the
// PDF finds them.
TEST_P(OfficialSample, ReadsAsAnItalianInvoice) {
    const QByteArray xml = sample(QString::fromLatin1(GetParam().file));
    if (xml.isEmpty())
        GTEST_SKIP() << "the official samples are not in ../shared";
    const QString text = allText(xml);
    for (const QString& expected : GetParam().expected)
        EXPECT_TRUE(text.contains(expected))
            << expected.toStdString() << "\nin: " << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Samples, OfficialSample,
    ::testing::Values(
        SampleCase{"IT01234567890_FPA01.xml",
                   {"Fattura n. 123 del 18/01/2017", "ALPHA SRL", "AMMINISTRAZIONE BETA",
                    "Partita IVA: IT01234567890", "Codice destinatario: AAAAAA",
                    "Regime fiscale: RF19 – Regime forfettario", "DESCRIZIONE DELLA FORNITURA",
                    "Ordine di acquisto 66685", "CUP: 123abc", "Vettore: Trasporto spa",
                    "22,00% 5,00 1,10 Esigibilità immediata", "Totale documento 6,10",
                    "Pagamento: TP01 – Pagamento a rate", "MP01 – Contanti 18/02/2017 6,10",
                    "Causale: LA FATTURA FA RIFERIMENTO"}},
        SampleCase{"IT01234567890_FPR02.xml",
                   {"Fattura n. 123 del 18/12/2014", "SOCIETA' ALPHA SRL", "BETA GAMMA",
                    "PEC destinatario: betagamma@pec.it", "Codice fiscale: 09876543210",
                    "VIA TORINO 38-B 00145 ROMA (RM) IT"}},
        SampleCase{"IT01234567890_FPA03.xml",
                   {"Fattura elettronica: 2 documenti", "1. Fattura n. 12 del 18/01/2017",
                    "2. Fattura n. 456", "Totale da pagare"}}));

// A file's own codes are spelt out: natures with their law reference, withholding, pension fund,
// stamp duty, attachments, and a withholding shown as a deduction.
TEST(InvoiceRender, CodesInWordsAndOptionalBlocks) {
    QByteArray xml = sample(QStringLiteral("IT01234567890_FPA01.xml"));
    if (xml.isEmpty())
        GTEST_SKIP() << "the official samples are not in ../shared";
    xml.replace("<AliquotaIVA>22.00</AliquotaIVA>\n        <ImponibileImporto>",
                "<AliquotaIVA>0.00</AliquotaIVA><Natura>N2.1</Natura><ImponibileImporto>");
    xml.replace("<Imposta>1.10</Imposta>", "<Imposta>0.00</Imposta><RiferimentoNormativo>Art. "
                                           "7-ter DPR 633/72</RiferimentoNormativo>");
    xml.replace("<AliquotaIVA>22.00</AliquotaIVA>\n      </DettaglioLinee>",
                "<AliquotaIVA>0.00</AliquotaIVA><Natura>N2.1</Natura></DettaglioLinee>");
    xml.replace("<Numero>123</Numero>",
                "<Numero>123</Numero><DatiRitenuta><TipoRitenuta>RT01</TipoRitenuta>"
                "<ImportoRitenuta>1.00</ImportoRitenuta><AliquotaRitenuta>20.00</AliquotaRitenuta>"
                "<CausalePagamento>A</CausalePagamento></DatiRitenuta><DatiBollo><BolloVirtuale>SI"
                "</BolloVirtuale><ImportoBollo>2.00</ImportoBollo></DatiBollo>"
                "<DatiCassaPrevidenziale><TipoCassa>TC22</TipoCassa><AlCassa>4.00</AlCassa>"
                "<ImportoContributoCassa>1234567.80</ImportoContributoCassa><AliquotaIVA>22.00</"
                "AliquotaIVA>"
                "</DatiCassaPrevidenziale>");
    xml.replace("</DatiPagamento>",
                "</DatiPagamento><Allegati><NomeAttachment>../../relazione.txt</NomeAttachment>"
                "<FormatoAttachment>TXT</FormatoAttachment><DescrizioneAttachment>Relazione lavori"
                "</DescrizioneAttachment><Attachment>" +
                    QByteArray("Relazione: tutto fatto.").toBase64() + "</Attachment></Allegati>");
    const render::RenderedInvoice invoice = renderInvoice(xml);
    ASSERT_TRUE(invoice.ok);
    const QString text = pdfPages(invoice.document.pdf()).join(QLatin1Char(' '));
    for (const char* expected :
         {"N2.1 – Non soggette ad IVA ai sensi degli artt. da 7 a 7-septies del DPR 633/72",
          "Art. 7-ter DPR 633/72", "RT01 – Ritenuta di acconto persone fisiche", "20,00% 1,00",
          "A – Prestazioni di lavoro autonomo", "Bollo virtuale: SI Importo bollo: 2,00",
          "TC22 – INPS", "1.234.567,80", "Ritenuta: Ritenuta di acconto persone fisiche -1,00",
          "relazione.txt TXT Relazione lavori 23 byte"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected)))
            << expected << "\nin: " << text.toStdString();
    }
    ASSERT_EQ(invoice.attachments.size(), 1);
    EXPECT_EQ(invoice.attachments[0].data, QByteArray("Relazione: tutto fatto."));
    EXPECT_EQ(invoice.attachments[0].fileName(), QStringLiteral("relazione.txt"));
}

// 300 lines run over several pages: every page that holds lines starts them under the table's
// header, every page is numbered, no line is lost, and nothing is drawn past the right margin
// (a description and an IBAN without blanks are broken inside their column).
TEST(InvoiceRender, LongInvoiceRepeatsTheHeaderOnEveryPage) {
    QByteArray xml = sample(QStringLiteral("IT01234567890_FPA01.xml"));
    if (xml.isEmpty())
        GTEST_SKIP() << "the official samples are not in ../shared";
    QByteArray lines;
    for (int i = 1; i <= 300; ++i) {
        const QByteArray description =
            i == 150 ? QByteArray(180, 'W') : "Articolo " + QByteArray::number(i) + " consegnato";
        lines +=
            "<DettaglioLinee><NumeroLinea>" + QByteArray::number(i) +
            "</NumeroLinea><Descrizione>" + description +
            "</Descrizione><Quantita>1.00</Quantita><PrezzoUnitario>1.00</PrezzoUnitario>"
            "<PrezzoTotale>1.00</PrezzoTotale><AliquotaIVA>22.00</AliquotaIVA></DettaglioLinee>";
    }
    const qsizetype from = xml.indexOf("<DettaglioLinee>");
    const qsizetype to = xml.indexOf("<DatiRiepilogo>");
    xml.replace(from, to - from, lines);
    xml.replace("<ImportoPagamento>",
                "<IBAN>IT60X0542811101000000123456WWWWWWWWWW</IBAN><ImportoPagamento>");
    const render::RenderedInvoice invoice = renderInvoice(xml);
    ASSERT_TRUE(invoice.ok);
    int pageCount = 0;
    const QByteArray pdf = invoice.document.pdf(&pageCount);
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), pageCount);
    ASSERT_GE(pageCount, 4);
    QSet<int> seen;
    static const QRegularExpression line(QStringLiteral("Articolo (\\d+) consegnato"));
    for (int p = 0; p < pages.size(); ++p) {
        EXPECT_TRUE(pages[p].contains(QStringLiteral("Pagina %1 di %2").arg(p + 1).arg(pageCount)));
        const qsizetype firstLine = pages[p].indexOf(line);
        if (firstLine < 0)
            continue;
        const qsizetype header =
            pages[p].indexOf(QStringLiteral("N. Descrizione Quantità U.M. Prezzo unitario"));
        EXPECT_GE(header, 0) << "page " << p + 1;
        EXPECT_LT(header, firstLine) << "page " << p + 1;
        for (auto it = line.globalMatch(pages[p]); it.hasNext();)
            seen.insert(it.next().captured(1).toInt());
    }
    EXPECT_EQ(seen.size(), 299);
    const QList<PdfWord> words = pdfWords(pdf);
    ASSERT_FALSE(words.isEmpty());
    for (const PdfWord& w : words)
        EXPECT_LE(w.xMax, w.pageWidth - 40) << w.text.toStdString();
}

// A long quantity or amount widens its column rather than breaking across two lines.
TEST(InvoiceRender, NumbersAreNeverBroken) {
    QByteArray xml = sample(QStringLiteral("IT01234567890_FPA01.xml"));
    if (xml.isEmpty())
        GTEST_SKIP() << "the official samples are not in ../shared";
    const qsizetype from = xml.indexOf("<DettaglioLinee>");
    const qsizetype to = xml.indexOf("<DatiRiepilogo>");
    xml.replace(from, to - from,
                "<DettaglioLinee><NumeroLinea>1</NumeroLinea><Descrizione>Fornitura di materiale "
                "vario per il cantiere</Descrizione><Quantita>1234.12345678</Quantita>"
                "<PrezzoUnitario>10000000.12345678</PrezzoUnitario>"
                "<PrezzoTotale>12341234567.89</PrezzoTotale><AliquotaIVA>22.00</AliquotaIVA>"
                "</DettaglioLinee>");
    const render::RenderedInvoice invoice = renderInvoice(xml);
    ASSERT_TRUE(invoice.ok);
    const QStringList pages = pdfPages(invoice.document.pdf());
    ASSERT_FALSE(pages.isEmpty());
    for (const char* number : {"1.234,12345678", "10.000.000,12345678", "12.341.234.567,89"})
        EXPECT_TRUE(pages[0].contains(QLatin1String(number)))
            << number << "\nin: " << pages[0].toStdString();
}

// What is copied out of the PDF is what the file says: letter pairs a font draws as one glyph
// come out as their letters (a search for "ufficio@pec" finds it), an Arabic name is there, and
// what the text layer cannot carry (an emoji) or no font can draw is a visible "�", never nothing.
TEST(InvoiceRender, TheTextLayerHoldsTheWordsAsWritten) {
    QByteArray xml = ligatureInvoice();
    // A character no font has (unassigned), beside the seller's name.
    xml.replace("Baffi snc", QStringLiteral("Baffi snc \u0378").toUtf8());
    const render::RenderedInvoice invoice = renderInvoice(xml);
    ASSERT_TRUE(invoice.ok) << invoice.error.toStdString();
    const QByteArray pdf = invoice.document.pdf();
    const QString text = pdfPages(pdf).join(QLatin1Char(' '));
    for (const QChar c : text)
        EXPECT_FALSE(c.unicode() >= 0xFB00 && c.unicode() <= 0xFB06)
            << "ligature U+" << QString::number(c.unicode(), 16).toStdString() << " in "
            << text.toStdString();
    for (const char* words :
         {"ufficio@pec.affidabile.it", "fatture.ufficio@officinaflli.it",
          "Officina Raffinata Fratelli Baffi snc \uFFFD", "Via del Fiume Affluente 5",
          "00020 Affile (RM) IT", "Piazza del Fiordaliso", "Codice fiscale: MHMLAI80A01Z330X",
          "Filtri in fibra, soffietto e flangia per ufficio",
          "Consegna differita, fattura riepilogativa", "Effendi \uFFFD"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(words)))
            << words << "\nin: " << text.toStdString();
    // Arabic is drawn joined: the text layer holds its contextual forms, which read back as the
    // letters of the name.
    const QString laidOut = pdfPages(pdf, false).join(QLatin1Char(' '));
    EXPECT_TRUE(laidOut.normalized(QString::NormalizationForm_KC).contains(QStringLiteral("محمد")))
        << laidOut.toStdString();
}

TEST(InvoiceRender, WhatIsNoInvoiceIsSaidInItalian) {
    struct Case {
        QByteArray bytes;
        const char* message;
    };
    for (const Case& c :
         {Case{"", "Il file è vuoto."}, Case{"<a><b></a>", "Il file non è un XML leggibile"},
          Case{"<?xml version=\"1.0\"?><Ordine/>", "non è una fattura elettronica"}}) {
        const render::RenderedInvoice invoice = renderInvoice(c.bytes);
        EXPECT_FALSE(invoice.ok);
        EXPECT_TRUE(invoice.error.contains(QString::fromUtf8(c.message)))
            << invoice.error.toStdString();
    }
}

TEST(InvoiceRender, AmountsDatesAndAttachmentNames) {
    const QList<std::pair<QString, QString>> amounts = {{"1234.5", "1.234,50"},
                                                        {"-0.10", "-0,10"},
                                                        {"22", "22,00"},
                                                        {"1000000.12345678", "1.000.000,12345678"},
                                                        {"007.00", "7,00"},
                                                        {"abc", "abc"},
                                                        {"", ""}};
    for (const auto& [raw, shown] : amounts)
        EXPECT_EQ(render::italianAmount(raw), shown) << raw.toStdString();
    EXPECT_EQ(render::italianDate("2026-02-03"), "03/02/2026");
    EXPECT_EQ(render::italianDate("2026-02-30"), "2026-02-30");

    const QList<std::tuple<QString, QString, QString>> names = {
        {"../../etc/passwd", "", "passwd"}, {"C:\\Documenti\\fattura.pdf", "PDF", "fattura.pdf"},
        {"", "PDF", "allegato.pdf"},        {"..", "", "allegato"},
        {"a:b*c?.txt", "", "a_b_c_.txt"},   {"relazione", "ZIP", "relazione.zip"}};
    for (const auto& [name, format, safe] : names) {
        render::Attachment a;
        a.name = name;
        a.format = format;
        EXPECT_EQ(a.fileName(), safe) << name.toStdString();
    }
}

} // namespace
} // namespace brevalto
