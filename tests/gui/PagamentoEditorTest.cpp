// Payment terms and instalments on a real archive: the proposal of a new instalment, the
// instalment's rules, the term that cannot be left without an instalment, and "Annulla".
#include "DocumentiBodyFixture.h"
#include "documents/PagamentoEditors.h"
#include "logic/PagamentoProposal.h"

using namespace brevalto;

namespace {

class PagamentoEditorTest : public test::BodyFixture {
public:
    void summary(double taxable, double tax, const QString& collectability) {
        sql("insert into PA_FE_Body_DatiBeniServizi_DatiRiepilogo (PA_FE_Body_Id, AliquotaIva, "
            "ImponibileImporto, Imposta, EsigibilitaIva) values (?, 22, ?, ?, ?)",
            {body, taxable, tax, collectability});
    }
    void bodyValues(const QString& assignments) {
        sql(QString("update PA_FE_Body set %1 where Id = ?").arg(assignments), {body});
        table("TablePA_Body").requery();
        table("TablePA_Body").locate("Id", body);
    }
    // A new term as the body editor adds it, with its (empty) instalments loaded.
    void newTerm() {
        sql("insert into PA_FE_Body_DatiPagamento (PA_FE_Body_Id, CondizioniPagamento) values (?, "
            "'TP02')",
            {body});
        db.requeryBodyChildren();
        table(pagamento::kTermsDataset).last();
        documenti::requeryChildren(table(pagamento::kInstalmentsDataset), pagamento::kInstalments,
                                   pagamento::kTermKey,
                                   table(pagamento::kTermsDataset).integer("Id"), "");
    }
};

TEST_F(PagamentoEditorTest, TheProposedAmount) {
    struct Case {
        const char* name;
        QList<std::tuple<double, double, QString>> summaries;
        QString body;
        QVariant expected;
    };
    const QList<Case> cases{
        {"split payment counts taxable only, stamp duty added",
         {{100, 22, "I"}, {50, 11, "S"}},
         "DatiGenerali_DatiBollo = 1, DatiGenerali_DatiBollo_ImportoBollo = 2",
         174.0},
        {"stamp duty not included",
         {{100, 22, "I"}},
         "DatiGenerali_DatiBollo = 0, DatiGenerali_DatiBollo_ImportoBollo = 2",
         122.0},
        {"no summaries: the typed total", {}, "ImportoTotaleDocumento = 55.5", 55.5},
        {"no summaries and no total", {}, "ImportoTotaleDocumento = null", QVariant()},
    };
    for (const Case& c : cases) {
        newBody();
        for (const auto& [taxable, tax, collectability] : c.summaries)
            summary(taxable, tax, collectability);
        bodyValues(c.body);
        db.requeryBodyChildren();
        const QVariant amount = pagamento::proposedAmount(db);
        EXPECT_EQ(amount.isNull(), c.expected.isNull()) << c.name;
        EXPECT_DOUBLE_EQ(amount.toDouble(), c.expected.toDouble()) << c.name;
    }
}

TEST_F(PagamentoEditorTest, NewInstalmentTakesTheDocumentsBankAndTheDefaultMethod) {
    sql("update PA_FE_Header set DPBeneficiario = 'Alfa Srl', DPIban = ?, DPIstitutoFinanziario = "
        "'Banca' where ID = ?",
        {QString(27, 'I'), table("TablePA_FE_Header").integer("ID")});
    table("TablePA_FE_Header").requery();
    summary(100, 22, "I");
    for (int method : {0, 2}) {
        sql("update opzioni set ModPagamento_Id = ?", {method});
        table("TableOpzioni").requery();
        newTerm();
        PagamentoEditor term(db);
        screens << [&](QDialog& d) {
            auto& detail = static_cast<EditorBase&>(d);
            EXPECT_TRUE(detail.isAnnullaVisible());
            EXPECT_TRUE(detail.isModified());
            const Dataset& row = detail.dataset();
            EXPECT_EQ(row.text("Beneficiario"), "Alfa Srl");
            EXPECT_EQ(row.text("Iban"), QString(27, 'I'));
            EXPECT_EQ(row.text("IstitutoFinanziario"), "Banca");
            EXPECT_EQ(row.number("ImportoPagamento"), 122.0);
            EXPECT_EQ(row.text("ModalitaPagamento"), method ? "MP02" : "");
            EXPECT_EQ(row.integer("PA_FE_Body_Id"), body);
            detail.annulla();
        };
        term.addInstalment();
        EXPECT_FALSE(term.instalmentScreen()->isAnnullaVisible());
        EXPECT_EQ(count(pagamento::kInstalments, "1 = 1"), 0) << "Annulla deleted it";
    }
}

TEST_F(PagamentoEditorTest, InstalmentRules) {
    newTerm();
    PagamentoEditor term(db);
    PagamentoDettaglioEditor& detail = *term.instalmentScreen();
    screens << [](QDialog&) {};
    term.addInstalment(); // no summaries, no total: no amount, no method
    EXPECT_EQ(leave(detail), "Attenzione manca la modalità di pagamento");
    pick(detail, "ModalitaPagamento", "Assegno");
    EXPECT_EQ(leave(detail), "Attenzione manca l'importo !");
    type(detail, "ImportoPagamento", "10");
    const struct {
        QString column;
        QString tooShort;
        QString enough;
        QString message;
    } codes[] = {
        {"CFQuietanzante", QString(15, 'C'), QString(16, 'C'),
         "Attenzione il codice fiscale del Quietanzante deve essere di almeno 16 caratteri"},
        {"Iban", QString(26, 'I'), QString(27, 'I'),
         "Attenzione il codice Iban deve essere di almeno 27 caratteri"},
        {"Abi", "1234", "12345", "Attenzione il codice Abi deve essere di almeno 5 caratteri"},
        {"Cab", "1234", "12345", "Attenzione il codice Cab deve essere di almeno 5 caratteri"},
        {"Bic", "1234567", "12345678",
         "Attenzione il codice Bic deve essere di almeno 8 caratteri"},
    };
    for (const auto& c : codes) {
        type(detail, c.column, c.tooShort);
        EXPECT_EQ(leave(detail), c.message);
        type(detail, c.column, c.enough);
    }
    EXPECT_EQ(leave(detail), "");
    EXPECT_FALSE(detail.saveFailed());
    // A space typed in the IBAN is dropped.
    type(detail, "Iban", "IT60 X054");
    EXPECT_EQ(detail.dataset().text("Iban"), "IT60X054");
}

TEST_F(PagamentoEditorTest, ATermWithoutInstalmentsStartsOneAndAnnullaDeletesTheTerm) {
    newTerm();
    PagamentoEditor term(db);
    term.setAnnullaVisible(true);
    screens << [](QDialog& d) { static_cast<EditorBase&>(d).annulla(); };
    EXPECT_EQ(leave(term), "Attenzione manca il dettaglio di pagamento. Il file non può essere "
                           "completo se mancano queste informazioni !");
    EXPECT_TRUE(term.saveFailed());
    EXPECT_EQ(shown.size(), 1) << "the new instalment was opened at once";
    // The same when nothing was typed: the term holds only the proposed conditions.
    scripted.clear();
    screens << [](QDialog& d) { static_cast<EditorBase&>(d).annulla(); };
    term.setModified(false);
    term.indietro();
    EXPECT_TRUE(scripted.messages().value(0).startsWith("Attenzione manca il dettaglio"));
    EXPECT_EQ(shown.size(), 2);

    pick(term, "CondizioniPagamento", "Pagamento a rate");
    QTest::keyClick(term.field("CondizioniPagamento"), Qt::Key_Delete);
    EXPECT_EQ(leave(term), "Attenzione manca la condizione di pagamento");

    // An instalment stored, then Annulla: the term and its instalments go, without a question.
    sql("insert into PA_FE_Body_DatiPagamento_Dettaglio (PA_FE_Body_Id, "
        "PA_FE_Body_DatiPagamento_Id) values (?, ?)",
        {body, table(pagamento::kTermsDataset).integer("Id")});
    scripted.clear();
    term.annulla();
    EXPECT_TRUE(scripted.calls().isEmpty());
    EXPECT_EQ(count(pagamento::kTerms, "1 = 1"), 0);
    EXPECT_EQ(count(pagamento::kInstalments, "1 = 1"), 0);
}

} // namespace
