// The save rules of a Document's rows over a row's values, without a screen: for each list, a
// row that passes and the changes that make it fail, with the field the failure focuses. The
// screens, the command line and the import run these same lists.
#include "logic/DocumentRules.h"
#include "logic/LineeLogic.h"
#include "logic/Parties.h"
#include "logic/VatRules.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

using Values = QList<std::pair<QString, QVariant>>;

struct Case {
    const char* what;
    Values change;
    QString focus;        // empty: the row passes
    QString message = {}; // a part of the message, when the field alone does not tell the rule
};

// Runs every case on the valid row changed as it says.
void check(const QList<RowRule>& rules, const Values& valid, const QList<Case>& cases) {
    for (const Case& c : cases) {
        ValueRow row;
        for (const auto& [column, value] : valid)
            row.set(column, value);
        for (const auto& [column, value] : c.change)
            row.set(column, value);
        const RowRule* failed = firstFailure(rules, row);
        if (c.focus.isEmpty()) {
            EXPECT_EQ(failed, nullptr) << c.what << ": " << failed->message.toStdString();
            continue;
        }
        ASSERT_NE(failed, nullptr) << c.what;
        EXPECT_EQ(failed->focusColumn, c.focus) << c.what << ": " << failed->message.toStdString();
        EXPECT_TRUE(failed->message.contains(c.message))
            << c.what << ": " << failed->message.toStdString();
    }
}

} // namespace

TEST(DocumentRules, Transmission) {
    check(transmissionRules(),
          {{"DatiTrasmissione_ProgressivoInvio", "1"},
           {"DatiTrasmissione_IdCodice", "01234567890"},
           {"DatiTrasmissione_IdPaese", "IT"}},
          {
              {"complete", {}, ""},
              {"no progressive",
               {{"DatiTrasmissione_ProgressivoInvio", ""}},
               "DatiTrasmissione_ProgressivoInvio"},
              {"no tax code", {{"DatiTrasmissione_IdCodice", ""}}, "DatiTrasmissione_IdCodice"},
              {"no country", {{"DatiTrasmissione_IdPaese", ""}}, "DatiTrasmissione_IdPaese"},
          });
}

TEST(DocumentRules, Body) {
    Values carrierOn;
    for (const QString& flag : party::bodyCarrier().flags)
        carrierOn << std::pair<QString, QVariant>{flag, true};
    const Values resa = {{"IndirizzoResa", true},
                         {"Resa_Indirizzo", "Via Po 1"},
                         {"Resa_CAP", "10100"},
                         {"Resa_Comune", "Torino"},
                         {"Resa_Nazione", "IT"}};
    check(
        bodyRules(),
        {{"DatiGenerali_TipoDocumento", "TD01"},
         {"DatiGenerali_Divisa", "EUR"},
         {"DatiGenerali_Data", "2024-03-01"},
         {"DatiGenerali_Numero", "FT/1"}},
        {
            {"complete", {}, ""},
            {"no type", {{"DatiGenerali_TipoDocumento", ""}}, "DatiGenerali_TipoDocumento"},
            {"number without a digit",
             {{"DatiGenerali_Numero", "FT/A"}},
             "DatiGenerali_Numero",
             "almeno una cifra"},
            {"Art73 other than SI", {{"Art73", "NO"}}, "Art73"},
            {"Art73 si", {{"Art73", "si"}}, ""},
            {"stamp duty without SI",
             {{"DatiGenerali_DatiBollo", true}},
             "DatiGenerali_DatiBollo_BolloVirtuale"},
            {"stamp duty left out", {{"DatiGenerali_DatiBollo_BolloVirtuale", "NO"}}, ""},
            {"carrier without identity", carrierOn,
             party::bodyCarrier().column(IdentityField::Vat)},
            {"delivery complete", resa, ""},
            {"delivery postcode of one", resa + Values{{"Resa_CAP", "1"}}, "Resa_CAP", "almeno 2"},
            {"delivery without municipality", resa + Values{{"Resa_Comune", ""}}, "Resa_Comune"},
            {"delivery left out", {{"Resa_Indirizzo", ""}, {"Resa_CAP", "1"}}, ""},
            {"main invoice without date",
             {{"FatturaPrincipale", true}, {"NumeroFatturaPrincipale", "7"}},
             "DataFatturaPrincipale"},
            {"vehicle without distance",
             {{"DatiVeicoli", true}, {"DatiVeicoli_Data", "2024-01-01"}},
             "DatiVeicoli_TotalePercorso"},
        });
}

TEST(DocumentRules, DiscountOfBodyOrLine) {
    check(discountRules(), {{"Tipo", "SC"}, {"Percentuale", 10}},
          {
              {"percentage", {}, ""},
              {"amount alone", {{"Percentuale", QVariant()}, {"Importo", "5,50"}}, ""},
              {"zeroes", {{"Percentuale", "0"}, {"Importo", "0.00"}}, "Percentuale"},
              {"no type", {{"Tipo", ""}}, "Tipo"},
          });
}

TEST(DocumentRules, PensionFund) {
    check(pensionFundRules(),
          {{"TipoCassa", "TC22"},
           {"AlCassa", 4},
           {"ImportoContributoCassa", 40},
           {"AliquotaIva", 22}},
          {
              {"complete", {}, ""},
              {"no rate of the fund", {{"AlCassa", ""}}, "AlCassa"},
              {"withholding other than SI", {{"Ritenuta", "X"}}, "Ritenuta"},
              {"withholding Si", {{"Ritenuta", "Si"}}, ""},
              {"rate of 0.5", {{"AliquotaIva", 0.5}}, "AliquotaIva"},
              {"zero rate without nature", {{"AliquotaIva", "0,00"}}, "Natura"},
              {"zero rate, retired nature",
               {{"AliquotaIva", 0}, {"Natura", "N2"}},
               "Natura",
               "1/1/2021"},
              {"nature with a rate: cleared on save", {{"Natura", "N2"}}, ""},
          });
}

TEST(DocumentRules, WithholdingReasonIsOneOfTheArchives) {
    check(withholdingRules([](const QString& code) { return code == "A"; }),
          {{"TipoRitenuta", "RT01"},
           {"ImportoRitenuta", 20},
           {"AliquotaRitenuta", 20},
           {"CausalePagamento", "A"}},
          {
              {"known reason", {}, ""},
              {"unknown reason", {{"CausalePagamento", "ZZ"}}, "CausalePagamento", "conforme"},
              {"no reason", {{"CausalePagamento", ""}}, "CausalePagamento", "manca"},
          });
}

TEST(DocumentRules, AttachmentIsAFileThatExists) {
    test::TempFolder folder;
    const QString file = folder.file("a.pdf");
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    check(attachmentRules(), {{"NomeAttachment", "a.pdf"}, {"PercorsoCompleto", file}},
          {
              {"existing file", {}, ""},
              {"gone", {{"PercorsoCompleto", folder.file("b.pdf")}}, "PercorsoCompleto"},
              {"a folder", {{"PercorsoCompleto", folder.path()}}, "PercorsoCompleto"},
          });
}

TEST(DocumentRules, Summary) {
    check(summaryRules(), {{"AliquotaIva", 22}, {"ImponibileImporto", 100}, {"Imposta", 22}},
          {
              {"taxed", {}, ""},
              {"no tax", {{"Imposta", ""}}, "Imposta"},
              {"rate with three decimals", {{"AliquotaIva", "22,125"}}, "AliquotaIva"},
              {"nature with a rate", {{"Natura", "N1"}}, "Natura", "diversa da zero"},
              {"zero rate without nature", {{"AliquotaIva", 0}}, "Natura", "Iva a Zero"},
              {"zero rate, retired nature",
               {{"AliquotaIva", 0}, {"Natura", "N3"}},
               "Natura",
               "1/1/2021"},
              {"reverse charge split",
               {{"AliquotaIva", 0}, {"Natura", "N6.1"}, {"EsigibilitaIva", "s"}},
               "EsigibilitaIva"},
              {"reverse charge immediate",
               {{"AliquotaIva", 0}, {"Natura", "N6.1"}, {"EsigibilitaIva", "I"}},
               ""},
          });
}

TEST(DocumentRules, Line) {
    check(lineRules(),
          {{"NumeroLinea", 1},
           {"Descrizione", "Consulenza"},
           {"PrezzoUnitario", 100},
           {"PrezzoTotale", 100},
           {"AliquotaIva", 22}},
          {
              {"complete", {}, ""},
              {"no total", {{"PrezzoTotale", ""}}, "PrezzoTotale"},
              {"rate above 100", {{"AliquotaIva", 122}}, "AliquotaIva"},
              {"zero rate, retired nature first",
               {{"AliquotaIva", 0}, {"Natura", "N2"}, {"Ritenuta", "X"}},
               "Natura"},
              {"nature with a rate: the screen offers to clear it", {{"Natura", "N2"}}, ""},
              {"withholding other than SI", {{"Ritenuta", "NO"}}, "Ritenuta"},
          });
}

TEST(DocumentRules, PaymentInstalmentCodesHaveTheirLengths) {
    check(instalmentRules(), {{"ModalitaPagamento", "MP05"}, {"ImportoPagamento", 100}},
          {
              {"without bank data", {}, ""},
              {"no amount", {{"ImportoPagamento", ""}}, "ImportoPagamento"},
              {"IBAN of 27", {{"Iban", "IT60X0542811101000000123456"}}, ""},
              {"IBAN of 26", {{"Iban", "IT60X054281110100000012345"}}, "Iban"},
              {"BIC of 7", {{"Bic", "UNCRITM"}}, "Bic"},
              {"payee's tax code of 15", {{"CFQuietanzante", "RSSMRA80A01H501"}}, "CFQuietanzante"},
          });
}

TEST(DocumentRules, VatTableAndFirm) {
    check(vat::rateTableRules(),
          {{"Descrizione", "Esente"}, {"Iva", 0}, {"Pa_Natura_Codice", "N4"}},
          {
              {"exempt", {}, ""},
              {"taxed", {{"Iva", 22}, {"Pa_Natura_Codice", ""}}, ""},
              {"zero without nature", {{"Pa_Natura_Codice", ""}}, "Pa_Natura_Codice", "esenzione"},
              {"retired nature", {{"Pa_Natura_Codice", "N2"}}, "Pa_Natura_Codice", "1/1/2021"},
              {"rate of 0.5", {{"Iva", 0.5}}, "Iva"},
          });
    check(firmRules(), {{"IdPaese", "IT"}, {"CodFisc", "01234567890"}},
          {
              {"Italian company", {}, ""},
              {"Italian person", {{"CodFisc", "RSSMRA80A01H501U"}}, ""},
              {"fifteen characters", {{"CodFisc", "RSSMRA80A01H501"}}, "CodFisc", "11 o 16"},
              {"foreign code of any length", {{"IdPaese", "DE"}, {"CodFisc", "DE123"}}, ""},
              {"blank country", {{"IdPaese", "  "}}, "IdPaese"},
              {"blank tax code", {{"CodFisc", " "}}, "CodFisc", "manca"},
          });
}

TEST(QuickLine, MapsTheTypedValuesToANewLine) {
    const linee::NewLine line = linee::quickLine(QString(1200, 'x'), 3, 2.5, 22);
    EXPECT_EQ(line.descrizione.toString().size(), 1000);
    EXPECT_EQ(line.quantita, 3);
    EXPECT_EQ(line.aliquotaIva, 22);
    EXPECT_DOUBLE_EQ(line.prezzoTotale.toDouble(), 7.5);
    EXPECT_EQ(line.source, "Linea veloce \"" + QString(60, 'x') + "\"");

    const linee::NewLine bare = linee::quickLine(QString(), QVariant(), QVariant(), QVariant());
    EXPECT_TRUE(bare.descrizione.isNull()) << "an empty description is none";
    EXPECT_EQ(bare.prezzoTotale, 0.0) << "no unit price, a total of 0";
}
