// The VAT summaries built from the lines and pension-fund rows, on a real archive; the build is
// all or nothing; the summary screen's "calcola" and rules.
#include "logic/RiepilogoBuilder.h"
#include "DocumentiBodyFixture.h"
#include "documents/RiepilogoEditor.h"

#include <QLocale>
#include <QPushButton>

using namespace brevalto;

namespace {

class RiepilogoBuilderTest : public test::BodyFixture {
public:
    // The VAT-rate table replaced by the rows given (rate, nature, description).
    void rates(const QList<std::tuple<double, QString, QString>>& rows) {
        sql("delete from Iva");
        for (const auto& [rate, nature, description] : rows)
            sql("insert into Iva (Iva, Pa_Natura_Codice, Descrizione) values (?, ?, ?)",
                {rate, nature.isEmpty() ? QVariant() : QVariant(nature), description});
        table("TableIva").requery();
    }
    void fund(double amount, double rate) {
        sql("insert into PA_FE_Body_DatiCassaPrevidenziale (PA_FE_Body_Id, "
            "ImportoContributoCassa, AliquotaIva) values (?, ?, ?)",
            {body, amount, rate});
    }
    // The summaries as "rate/nature/taxable/tax/collectability", from the summary dataset.
    QStringList summaries() {
        Dataset& d = table(riepilogo::kDataset);
        QStringList out;
        for (int row = 0; row < d.rowCount(); ++row) {
            auto v = [&](const char* c) { return d.valueAt(row, d.columnIndex(c)); };
            out << QString("%1/%2/%3/%4/%5")
                       .arg(v("AliquotaIva").toDouble())
                       .arg(v("Natura").toString())
                       .arg(v("ImponibileImporto").toDouble(), 0, 'f', 2)
                       .arg(v("Imposta").toDouble(), 0, 'f', 2)
                       .arg(v("EsigibilitaIva").toString());
        }
        out.sort();
        return out;
    }
    // "Crea automaticamente", answering its question (asked only when the body has summaries to
    // replace) and, when asked, declining the proposed document total.
    bool build(bool yes = true, bool totalAsked = true) {
        if (count(riepilogo::kTable, QString("PA_FE_Body_Id = %1").arg(body)) > 0)
            scripted.answerQuestion(yes);
        if (yes && totalAsked)
            scripted.answerQuestion(false);
        return riepilogo::creaAutomaticamente(db);
    }
};

TEST_F(RiepilogoBuilderTest, OneSummaryPerRateWithLinesAndFund) {
    struct Case {
        const char* name;
        std::function<void(RiepilogoBuilderTest&)> setUp;
        QStringList expected;
    };
    const QList<Case> cases{
        // One summary per (rate, nature) used, whether or not the VAT-rate table lists it.
        {"22 %, 5.5 %, 0 % N2.1 and N6.3 together",
         [](RiepilogoBuilderTest& t) {
             t.line(1, 100.0, 22);
             t.line(2, 50.0, 22);
             t.line(3, 200.0, 5.5);
             t.line(4, 30.0, 0, "N2.1");
             t.line(5, 40.0, 0, "N6.3");
             t.line(6, 7.0, 0, "N2.1");
         },
         {"0/N2.1/37.00/0.00/I", "0/N6.3/40.00/0.00/I", "22//150.00/33.00/I",
          "5.5//200.00/11.00/I"}},
        {"pension fund",
         [](RiepilogoBuilderTest& t) {
             t.line(1, 100.0, 22);
             t.line(2, 50.0, 22);
             t.fund(4.0, 22);
         },
         {"22//154.00/33.88/I"}},
        {"a pension fund at a rate no line has",
         [](RiepilogoBuilderTest& t) {
             t.line(1, 100.0, 22);
             t.fund(4.0, 10);
         },
         {"10//4.00/0.40/I", "22//100.00/22.00/I"}},
        {"tax from the taxable amount written",
         [](RiepilogoBuilderTest& t) { t.line(1, 10.125, 10); },
         {"10//10.13/1.01/I"}},
        // 1.005 is just below 1.005 as a double: exact decimals round it up.
        {"half a cent rounds up",
         [](RiepilogoBuilderTest& t) { t.line(1, 1.005, 22); },
         {"22//1.01/0.22/I"}},
        {"fractional rate selects exactly its lines",
         [](RiepilogoBuilderTest& t) {
             t.line(1, 100.0, 5.5);
             t.line(2, 100.0, 5.0);
         },
         {"5.5//100.00/5.50/I", "5//100.00/5.00/I"}},
        {"negative taxable (a credit) still gets its summary",
         [](RiepilogoBuilderTest& t) { t.line(1, -5.0, 22); },
         {"22//-5.00/-1.10/I"}},
    };
    for (const Case& c : cases) {
        newBody();
        // The VAT-rate table knows neither 5.5 % nor N2.1 and N6.3.
        rates({{22, "", "Iva 22"}, {0, "N1", "Esente N1"}, {10, "", "Iva 10"}, {0, "N6", "RC"}});
        c.setUp(*this);
        EXPECT_TRUE(build()) << c.name;
        EXPECT_EQ(summaries(), c.expected) << c.name;
    }
}

TEST_F(RiepilogoBuilderTest, PublicAdministrationBuyersTakeTheCollectabilityOfTheSettings) {
    sql("update opzioni set EsigibilitaIva = 'S'");
    table("TableOpzioni").requery();
    rates({{22, "", "Iva 22"}});
    for (bool pa : {true, false}) {
        newBody(pa);
        line(1, 100.0, 22);
        line(2, 50.0, 0, "N6.3"); // reverse charge is never split payment
        build();
        EXPECT_EQ(summaries(), (QStringList{"0/N6.3/50.00/0.00/I",
                                            QString("22//100.00/22.00/%1").arg(pa ? "S" : "I")}));
        EXPECT_EQ(riepilogo::startCollectability(db), pa ? "S" : "I");
    }
}

TEST_F(RiepilogoBuilderTest, BuildingAgainReplacesTheRowsAndNoOrNoLinesChangesNothing) {
    rates({{22, "", "Iva 22"}});
    // No lines: no question, nothing done.
    EXPECT_FALSE(riepilogo::creaAutomaticamente(db));
    EXPECT_TRUE(scripted.calls().isEmpty());

    line(1, 100.0, 22);
    sql("insert into PA_FE_Body_DatiBeniServizi_DatiRiepilogo (PA_FE_Body_Id, AliquotaIva, "
        "ImponibileImporto, Imposta) values (?, 4, 1, 1)",
        {body});
    EXPECT_FALSE(build(false));
    EXPECT_EQ(count(riepilogo::kTable, QString("PA_FE_Body_Id = %1").arg(body)), 1);

    build();
    const QStringList first = summaries();
    const int firstKey = table(riepilogo::kDataset).integer("Id");
    build();
    EXPECT_EQ(summaries(), first);
    EXPECT_EQ(first, QStringList{"22//100.00/22.00/I"}) << "the hand-made row is gone";
    EXPECT_NE(table(riepilogo::kDataset).integer("Id"), firstKey) << "new keys";
}

TEST_F(RiepilogoBuilderTest, AFailureMidwayKeepsTheSummariesThereWere) {
    rates({{22, "", "Iva 22"}, {0, "N1", "Esente"}});
    line(1, 100.0, 22);
    build();
    ASSERT_EQ(summaries(), QStringList{"22//100.00/22.00/I"});
    line(2, 50.0, 22);
    // The fund query fails after the old rows were deleted and a first row was written.
    db.connessione().execNative("drop table PA_FE_Body_DatiCassaPrevidenziale");
    scripted.clear();
    EXPECT_FALSE(build(true, false));
    ASSERT_EQ(scripted.messages().size(), 1) << "the error is shown";
    EXPECT_EQ(summaries(), QStringList{"22//100.00/22.00/I"});
    EXPECT_EQ(count(riepilogo::kTable, QString("PA_FE_Body_Id = %1").arg(body)), 1);
    EXPECT_EQ(db.connessione().transactionDepth(), 0);
}

// Asked only when something can be lost, with the helpful answer as the default: no question
// before the first build, an empty total filled on Enter, a typed total replaced only on Yes.
TEST_F(RiepilogoBuilderTest, QuestionsAskWhatCanBeLostAndDefaultToTheHelpfulAnswer) {
    using Choice = Prompt::Choice;
    rates({{22, "", "Iva 22"}});
    line(1, 100.0, 22);
    const QString rebuild = "Sei sicuro di voler creare automaticamente i dati di riepilogo? La "
                            "procedura sostituirà i dati di riepilogo presenti con quelli "
                            "calcolati dalle righe !";
    // Amounts as the locale writes them, as the questions do.
    const QString total = QLocale().toString(122.0, 'f', 2);
    const QString empty = "Il Totale Documento è vuoto: si vuole impostarlo a " + total +
                          " (imponibili più imposte dei riepiloghi) ?";
    const QString differs = "Il Totale Documento " + QLocale().toString(999.0, 'f', 2) +
                            " differisce da imponibili più imposte dei riepiloghi (" + total +
                            "): si vuole impostarlo a " + total + " ?";
    const struct {
        QVariant total; // the body's total before the build
        QList<std::pair<QString, Choice>> asked;
    } cases[] = {
        {QVariant(), {{empty, Choice::Yes}}},                         // first build
        {QVariant(), {{rebuild, Choice::Yes}, {empty, Choice::Yes}}}, // built before
        {122.0, {{rebuild, Choice::Yes}}},                            // total right
        {999.0, {{rebuild, Choice::Yes}, {differs, Choice::No}}},     // total typed
    };
    for (const auto& c : cases) {
        Dataset& bodies = table("TablePA_Body");
        bodies.edit();
        bodies.setValue("ImportoTotaleDocumento", c.total);
        bodies.post();
        scripted.clear();
        for (qsizetype i = 0; i < c.asked.size(); ++i)
            scripted.answerQuestion(true);
        EXPECT_TRUE(riepilogo::creaAutomaticamente(db));
        QList<std::pair<QString, Choice>> asked;
        for (const auto& call : scripted.calls())
            asked << std::pair{call.text, call.byDefault};
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(bodies.value("ImportoTotaleDocumento").toDouble(), 122.0);
        bodies.post();
    }
}

TEST_F(RiepilogoBuilderTest, SummaryScreenCalcolaAndRules) {
    sql("insert into PA_FE_Body_DatiBeniServizi_DatiRiepilogo (PA_FE_Body_Id) values (?)", {body});
    db.requeryBodyChildren();
    RiepilogoEditor screen(db);
    EXPECT_EQ(leave(screen), "Attenzione manca l'aliquota iva");
    type(screen, "AliquotaIva", "10");
    EXPECT_EQ(leave(screen), "Attenzione manca l'imponibile");
    screen.setModified(false);
    screen.calcola();
    EXPECT_FALSE(screen.isModified()) << "calcola needs rate and taxable amount";
    type(screen, "ImponibileImporto", "10,125");
    EXPECT_EQ(leave(screen), "Attenzione manca l'imposta");
    screen.calcolaButton()->click();
    EXPECT_TRUE(screen.isModified());
    EXPECT_EQ(leave(screen), "");
    EXPECT_EQ(scalar("select Imposta from PA_FE_Body_DatiBeniServizi_DatiRiepilogo").toDouble(),
              1.01);

    // Annulla on a row just added deletes it.
    screen.setAnnullaVisible(true);
    screen.annulla();
    EXPECT_EQ(count(riepilogo::kTable, "1 = 1"), 0);
}

} // namespace
