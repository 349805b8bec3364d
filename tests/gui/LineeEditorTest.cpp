// Invoice lines on a real archive: numbering, the F2 total, the line screen's save rules with the
// nature question, the sub-rows and "Annulla" for a line just added.
#include "DocumentiBodyFixture.h"
#include "documents/LineeEditors.h"
#include "logic/LineeLogic.h"
#include "logic/VatRules.h"
#include "ui/DataGrid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QListView>
#include <QStandardItemModel>
#include <QTabWidget>

using namespace brevalto;

namespace {

const QString kN1 = "Escluse ex art. 15 del D.P.R. 633/1972";

class LineeEditorTest : public test::BodyFixture {
protected:
    Dataset& lines() { return table(linee::kLinesDataset); }
    // A line added as the quick lines and the import add it: no screen.
    int batchLine() {
        const BatchInsertScope batch(db);
        return linee::addLine(db);
    }
    // A complete line on the screen, ready to be saved.
    void fill(LineeEditor& screen, const QString& rate) {
        type(screen, "Descrizione", "Consulenza");
        type(screen, "PrezzoUnitario", "10");
        type(screen, "PrezzoTotale", "10");
        type(screen, "AliquotaIva", rate);
    }
    QVariant storedNature(int id) {
        return scalar("select Natura from PA_FE_Body_DatiBeniServizi_DettaglioLinee where Id = ?",
                      {id});
    }
};

TEST_F(LineeEditorTest, NewLinesAreNumberedAfterTheHighestAndNumbersAreNotReused) {
    struct Case {
        QList<int> existing;
        QList<int> deleted;
        int expected;
    };
    const QList<Case> cases{{{}, {}, 1}, {{1, 2, 7}, {}, 8}, {{1, 2, 3}, {2}, 4}};
    for (const Case& c : cases) {
        newBody();
        for (int n : c.existing)
            line(n, 1, 22);
        for (int n : c.deleted)
            sql("delete from PA_FE_Body_DatiBeniServizi_DettaglioLinee where PA_FE_Body_Id = ? "
                "and NumeroLinea = ?",
                {body, n});
        EXPECT_EQ(linee::nextLineNumber(db, body), c.expected);

        const int id = batchLine();
        ASSERT_GT(id, 0);
        EXPECT_EQ(lines().integer("Id"), id) << "the new line is current";
        EXPECT_EQ(lines().integer("NumeroLinea"), c.expected);
        EXPECT_EQ(lines().number("Quantita"), 1.0);
        EXPECT_EQ(lines().integer("PA_FE_Body_Id"), body);
    }
    EXPECT_TRUE(shown.isEmpty()) << "no screen under batch insertion";
    // Another body's lines do not count.
    newBody();
    EXPECT_EQ(linee::nextLineNumber(db, body), 1);
}

TEST_F(LineeEditorTest, TheTotalFollowsQuantityPriceAndDiscountsAndF2RecomputesIt) {
    struct Discount {
        const char* tipo;
        QVariant percentuale;
        QVariant importo;
    };
    struct Case {
        QString quantity;
        QString price;
        QList<Discount> discounts; // in the order entered
        double expected;
    };
    const QVariant none;
    const QList<Case> cases{
        {"100", "500", {{"SC", 8.5, none}, {"SC", 5.15, none}, {"SC", 3.0, none}}, 42092.06},
        {"1", "10", {{"SC", 10.0, none}}, 9.0},
        {"3", "10", {{"SC", none, 1.5}, {"MG", none, 0.5}}, 27.0},
        {"1", "100", {{"SC", none, 10.0}, {"SC", 10.0, none}}, 81.0},
        {"0,5", "10", {{"SC", none, 0.125}}, 4.94},
        {"0", "10", {}, 0.0},
    };
    LineeEditor screen(db);
    for (const Case& c : cases) {
        const int id = batchLine();
        for (const Discount& d : c.discounts)
            sql("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee_Sconto (PA_FE_Body_Id, "
                "PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id, Tipo, Percentuale, Importo) "
                "values (?, ?, ?, ?, ?)",
                {body, id, d.tipo, d.percentuale, d.importo});
        linee::requerySubRows(db, id);
        // Typed quantity and price give the total at once.
        type(screen, "PrezzoUnitario", c.price);
        type(screen, "Quantita", c.quantity);
        EXPECT_DOUBLE_EQ(lines().number("PrezzoTotale"), c.expected) << c.quantity.toStdString();
        QLocale shown; // numbers show no thousands separator
        shown.setNumberOptions(QLocale::OmitGroupSeparator);
        EXPECT_EQ(qobject_cast<QLineEdit*>(screen.field("PrezzoTotale"))->text(),
                  shown.toString(c.expected, 'f', QLocale::FloatingPointShortest));
        // A total typed over it comes back with F2.
        type(screen, "PrezzoTotale", "99");
        screen.setModified(false);
        QTest::keyClick(screen.field("Quantita"), Qt::Key_F2);
        EXPECT_DOUBLE_EQ(lines().number("PrezzoTotale"), c.expected) << c.quantity.toStdString();
        EXPECT_TRUE(screen.isModified());
        lines().cancel();
    }
    EXPECT_FALSE(screen.field("PrezzoTotale")->toolTip().isEmpty()) << "F2 is told on screen";
}

// A price typed wrong gives no total, while typed or with F2, which says what is wrong.
TEST_F(LineeEditorTest, AWrongPriceGivesNoTotal) {
    LineeEditor screen(db);
    batchLine();
    type(screen, "Quantita", "2");
    type(screen, "PrezzoUnitario", "12");
    EXPECT_DOUBLE_EQ(lines().number("PrezzoTotale"), 24.0);
    type(screen, "PrezzoUnitario", "12a");
    EXPECT_TRUE(lines().isNull("PrezzoTotale"));
    EXPECT_TRUE(qobject_cast<QLineEdit*>(screen.field("PrezzoTotale"))->text().isEmpty());
    QTest::keyClick(screen.field("PrezzoUnitario"), Qt::Key_F2);
    EXPECT_TRUE(lines().isNull("PrezzoTotale"));
    EXPECT_EQ(scripted.messages().value(0), "Importo non valido: 12a");
    type(screen, "PrezzoUnitario", "12,5");
    EXPECT_DOUBLE_EQ(lines().number("PrezzoTotale"), 25.0);
    lines().cancel();
}

TEST_F(LineeEditorTest, ChangedDiscountsRecomputeTheTotalAndAHandTypedTotalIsQuestioned) {
    LineeEditor screen(db);
    const int id = batchLine();
    fill(screen, "22");
    type(screen, "Quantita", "2");
    ASSERT_EQ(lines().number("PrezzoTotale"), 20.0);
    // A discount added on its screen changes the total when the screen is left.
    screens << [&](QDialog& d) {
        auto& sconto = static_cast<EditorBase&>(d);
        pick(sconto, "Tipo", "Sconto");
        type(sconto, "Percentuale", "10");
        sconto.indietro();
    };
    screen.addSubRow(LineeEditor::Sconti);
    EXPECT_EQ(lines().number("PrezzoTotale"), 18.0);
    // Deleting it brings the total back.
    scripted.answerQuestion(true);
    screen.removeSubRow(LineeEditor::Sconti);
    EXPECT_EQ(lines().number("PrezzoTotale"), 20.0);

    // A total typed by hand that differs by a cent or more is saved only when confirmed.
    const QString question =
        QString("Attenzione il Prezzo totale %1 differisce da quello "
                "calcolato da quantità, prezzo unitario e sconti (%2): il "
                "Sistema di Interscambio scarterà la fattura. Si vuole "
                "salvare lo stesso ?")
            .arg(QLocale().toString(20.01, 'f', 2), QLocale().toString(20.0, 'f', 2));
    type(screen, "PrezzoTotale", "20,01");
    leave(screen, {false});
    EXPECT_TRUE(screen.saveFailed());
    EXPECT_EQ(scripted.calls().first().text, question);
    leave(screen, {true});
    EXPECT_FALSE(screen.saveFailed());
    EXPECT_EQ(scalar("select PrezzoTotale from PA_FE_Body_DatiBeniServizi_DettaglioLinee where "
                     "Id = ?",
                     {id})
                  .toDouble(),
              20.01);
    type(screen, "PrezzoTotale", "20,005"); // within the tolerance: no question
    EXPECT_EQ(leave(screen), "");
    EXPECT_TRUE(scripted.calls().isEmpty());
}

TEST_F(LineeEditorTest, SaveRulesInOrder) {
    LineeEditor screen(db);
    batchLine();
    const struct {
        QString column;
        QString message;
    } missing[] = {{"Descrizione", "Attenzione manca la Descrizione"},
                   {"PrezzoUnitario", "Attenzione manca il Prezzo Unitario"},
                   {"PrezzoTotale", "Attenzione manca il Prezzo Totale"},
                   {"AliquotaIva", "Attenzione manca l'Aliquota Iva"}};
    for (const auto& m : missing) {
        if (m.column == "PrezzoTotale")
            type(screen, "PrezzoTotale", ""); // the unit price typed has filled it
        EXPECT_EQ(leave(screen), m.message);
        EXPECT_TRUE(screen.saveFailed());
        EXPECT_TRUE(screen.field(m.column)->hasFocus() || !screen.isVisible());
        type(screen, m.column, m.column == "Descrizione" ? "Consulenza" : "10");
    }
    type(screen, "NumeroLinea", "");
    EXPECT_EQ(leave(screen), "Attenzione manca il Numero Linea");
    type(screen, "NumeroLinea", "1");
    type(screen, "Ritenuta", "NO");
    EXPECT_EQ(leave(screen),
              "Attenzione il solo valore per la Ritenuta e' di SI altrimenti lasciare vuoto!");
    type(screen, "Ritenuta", "si");
    EXPECT_EQ(leave(screen), "");
    EXPECT_FALSE(screen.saveFailed());
    EXPECT_EQ(scalar("select Ritenuta from PA_FE_Body_DatiBeniServizi_DettaglioLinee where Id = ?",
                     {lines().integer("Id")}),
              "si");
}

TEST_F(LineeEditorTest, ZeroRateNeedsANatureAndOtherRatesHaveNone) {
    LineeEditor screen(db);
    // rate typed, nature picked, answer to the question (none: not asked), message, nature stored
    struct Case {
        QString rate;
        bool nature;
        int answer; // -1: no question expected
        QString message;
        bool saved;
        QVariant storedNature;
    };
    const QList<Case> cases{
        {"0",
         false,
         -1,
         "Attenzione con Iva a Zero è necessario specificare la natura !",
         false,
         {}},
        {"0", true, -1, "", true, "N1"},
        {"22", true, 1, "", true, QVariant()},
        {"22", true, 0, "", false, QVariant()},
        {"0,00", true, -1, "", true, "N1"}, // zero whatever its text
        {"0,00",
         false,
         -1,
         "Attenzione con Iva a Zero è necessario specificare la natura !",
         false,
         {}},
        {"0,5", false, -1, vat::kImpossibleRateMessage, false, {}},
        {"22", false, -1, "", true, QVariant()},
    };
    for (const Case& c : cases) {
        const int id = batchLine();
        fill(screen, c.rate);
        if (c.nature)
            pick(screen, "Natura", kN1);
        const QString message = c.answer >= 0 ? leave(screen, {c.answer == 1}) : leave(screen);
        EXPECT_EQ(message, c.message) << c.rate.toStdString();
        EXPECT_EQ(screen.saveFailed(), !c.saved) << c.rate.toStdString();
        const bool asked = !scripted.calls().isEmpty() &&
                           scripted.calls().first().kind == test::ScriptedPrompt::Kind::Question;
        EXPECT_EQ(asked, c.answer >= 0) << c.rate.toStdString();
        if (c.saved) {
            EXPECT_EQ(storedNature(id).toString(), c.storedNature.toString());
            EXPECT_EQ(scalar("select AliquotaIva from PA_FE_Body_DatiBeniServizi_DettaglioLinee "
                             "where Id = ?",
                             {id})
                          .toDouble(),
                      c.rate == "22" ? 22.0 : 0.0);
        } else {
            EXPECT_TRUE(storedNature(id).isNull()) << "nothing written";
            lines().cancel();
        }
    }
}

TEST_F(LineeEditorTest, RetiredNaturesAreShownOnOldLinesButNeverOffered) {
    LineeEditor screen(db);
    auto* natura = qobject_cast<BoundLookup*>(screen.field("Natura"));
    ASSERT_TRUE(natura);
    auto* items = qobject_cast<QStandardItemModel*>(natura->model());
    auto* rows = qobject_cast<QListView*>(natura->view());
    ASSERT_TRUE(items && rows);
    const Dataset& list = table("TablePA_Natura");
    const auto indexOf = [&](const QString& code) {
        for (int r = 0; r < list.rowCount(); ++r) {
            if (list.valueAt(r, list.columnIndex("Codice")).toString() == code)
                return r;
        }
        return -1;
    };
    batchLine();
    for (const char* code : {"N2", "N3", "N6", "N2.1", "N6.3"}) {
        const int r = indexOf(code);
        ASSERT_GE(r, 0) << code;
        const bool retired = vat::isRetiredNature(code);
        EXPECT_EQ(items->item(r)->isEnabled(), !retired) << code;
        EXPECT_EQ(rows->isRowHidden(r), retired) << code;
    }
    // An old line keeps its N2, shown and marked, and is refused until a sub-code is chosen.
    const int old = line(9, 10.0, 0, "N2");
    lines().requery();
    ASSERT_TRUE(lines().locate("Id", old));
    EXPECT_TRUE(natura->currentText().contains("non più")) << natura->currentText().toStdString();
    EXPECT_FALSE(rows->isRowHidden(indexOf("N2")));
    type(screen, "PrezzoUnitario", "10");
    type(screen, "Descrizione", "Vecchia");
    EXPECT_EQ(leave(screen), vat::kRetiredNatureMessage);
    pick(screen, "Natura", "Non soggette - altri casi");
    EXPECT_EQ(leave(screen), "");
    EXPECT_EQ(storedNature(old).toString(), "N2.2");
    EXPECT_TRUE(rows->isRowHidden(indexOf("N2")));
}

TEST_F(LineeEditorTest, TypographicCharactersArePlainAndOthersRefusedAsTyped) {
    LineeEditor screen(db);
    batchLine();
    struct Case {
        const char* column;
        QString typed;
        QString kept;
        QString message; // empty: none
    };
    const QString refused = "Attenzione i caratteri %1 non sono ammessi nella fattura elettronica "
                            "e sono stati tolti";
    const QList<Case> cases{
        {"Descrizione", "l\u2019offerta \u201Cestate\u201D \u2013 saldi",
         "l'offerta \"estate\" - saldi", ""},
        {"Descrizione", "Totale 10 \u20AC ok", "Totale 10 EUR ok", ""},
        {"UnitaMisura", "m\u00B2 \u2014", "m\u00B2 -", ""},
        {"RiferimentoAmministrazione", "rif \u2192 1", "rif  1", refused.arg("\u2192")},
    };
    // Typed key by key, as a keyboard with these characters would send them.
    const auto typeText = [](QWidget* input, const QString& text) {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, input, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    };
    for (const Case& c : cases) {
        scripted.clear();
        if (auto* edit = qobject_cast<QLineEdit*>(screen.field(c.column)))
            edit->clear();
        typeText(screen.field(c.column), c.typed);
        EXPECT_EQ(screen.shown(c.column), c.kept) << c.column;
        EXPECT_EQ(lines().text(c.column), c.kept) << c.column;
        EXPECT_EQ(scripted.messages().value(0), c.message) << c.column;
        if (auto* memo = qobject_cast<QPlainTextEdit*>(screen.field(c.column)))
            memo->clear();
    }
    // Pasted text is made plain as well.
    auto* unit = qobject_cast<QLineEdit*>(screen.field("UnitaMisura"));
    unit->clear();
    QGuiApplication::clipboard()->setText("\u2018kg\u2019");
    unit->paste();
    EXPECT_EQ(lines().text("UnitaMisura"), "'kg'");
}

TEST_F(LineeEditorTest, SubRowsAreAddedOnTheLineAndGoWithItsAnnulla) {
    const int keep = batchLine();
    sql("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici (PA_FE_Body_Id, "
        "PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id, CodiceTipo, CodiceValore) values (?, ?, "
        "'EAN', '1')",
        {body, keep});
    LineeEditor screen(db);
    const int id = batchLine();
    screen.setAnnullaVisible(true);

    // Article code: the sub-screen starts modified, so leaving it empty is refused.
    screens << [&](QDialog& d) {
        auto& codes = static_cast<EditorBase&>(d);
        EXPECT_EQ(d.windowTitle(), "Linee - Codici articoli");
        EXPECT_TRUE(codes.isModified());
        codes.indietro();
        EXPECT_EQ(scripted.messages().value(0), "Attenzione manca il Codice tipo");
        type(codes, "CodiceTipo", "SKU");
        type(codes, "CodiceValore", "A-1");
        scripted.clear();
        codes.indietro();
        EXPECT_FALSE(codes.saveFailed());
    };
    screen.addSubRow(LineeEditor::Codici);
    screens << [&](QDialog& d) {
        auto& discount = static_cast<EditorBase&>(d);
        scripted.clear();
        discount.indietro();
        EXPECT_EQ(scripted.messages().value(0), "Attenzione manca il Tipo");
        pick(discount, "Tipo", "Sconto");
        type(discount, "Importo", "2");
        discount.indietro();
        EXPECT_FALSE(discount.saveFailed());
    };
    screen.addSubRow(LineeEditor::Sconti);
    screens << [&](QDialog& d) {
        auto& other = static_cast<EditorBase&>(d);
        type(other, "TipoDato", "LOTTO");
        other.indietro();
        EXPECT_FALSE(other.saveFailed());
    };
    screen.addSubRow(LineeEditor::Altro);
    const QString byLine = QString("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id = %1").arg(id);
    EXPECT_EQ(count(linee::kCodici, byLine), 1);
    EXPECT_EQ(count(linee::kSconto, byLine + " and Tipo = 'SC' and Importo = 2"), 1);
    EXPECT_EQ(count(linee::kAltro, byLine + " and TipoDato = 'LOTTO'"), 1);
    EXPECT_EQ(screen.subList(LineeEditor::Codici)->grid()->model()->rowCount(), 1);

    // Deleting a sub-row asks; No keeps it.
    scripted.answerQuestion(false);
    screen.removeSubRow(LineeEditor::Altro);
    EXPECT_EQ(count(linee::kAltro, byLine), 1);
    EXPECT_EQ(scripted.calls().last().text, "Sei sicuro di voler eliminare il Record ?");

    const auto asked = scripted.calls().size();
    screen.annulla();
    EXPECT_EQ(scripted.calls().size(), asked) << "Annulla asks nothing";
    EXPECT_FALSE(db.silentDelete());
    EXPECT_EQ(count(linee::kLines, QString("Id = %1").arg(id)), 0);
    for (const QString& t : {linee::kCodici, linee::kSconto, linee::kAltro})
        EXPECT_EQ(count(t, byLine), 0) << t.toStdString();
    const QString keptLine = QString("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id = %1").arg(keep);
    EXPECT_EQ(count(linee::kCodici, keptLine), 1) << "another line's codes stay";
    EXPECT_EQ(count(linee::kLines, QString("Id = %1").arg(keep)), 1);
}

} // namespace
