// Invoice lines on a real archive: numbering, the F2 total, the line screen's save rules with the
// nature question, the sub-rows and "Annulla" for a line just added.
#include "DocumentiBodyFixture.h"
#include "documents/LineeEditors.h"
#include "documents/LineeLogic.h"
#include "ui/DataGrid.h"

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

TEST_F(LineeEditorTest, F2ComputesTheTotalFromQuantityPriceAndPerUnitDiscounts) {
    struct Case {
        QString quantity;
        QList<QPair<QString, QVariant>> discounts; // type, amount (null: percentage only)
        QVariant expected;                         // null: total left as it was
    };
    const QList<Case> cases{
        {"3", {{"SC", 1.5}, {"MG", 0.5}}, 27.0},
        {"3", {{"SC", QVariant()}}, 30.0},
        {"0,5", {{"SC", 0.125}}, 4.9375}, // not rounded
        {"0", {{"SC", 1.0}}, QVariant()},
    };
    LineeEditor screen(db);
    for (const Case& c : cases) {
        const int id = batchLine();
        for (const auto& [tipo, importo] : c.discounts)
            sql("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee_Sconto (PA_FE_Body_Id, "
                "PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id, Tipo, Percentuale, Importo) "
                "values (?, ?, ?, 10, ?)",
                {body, id, tipo, importo});
        linee::requerySubRows(db, id);
        type(screen, "Quantita", c.quantity);
        type(screen, "PrezzoUnitario", "10");
        type(screen, "PrezzoTotale", "99");
        screen.setModified(false);
        QTest::keyClick(screen.field("Quantita"), Qt::Key_F2);
        if (c.expected.isNull()) {
            EXPECT_EQ(lines().number("PrezzoTotale"), 99.0);
            EXPECT_FALSE(screen.isModified());
        } else {
            EXPECT_DOUBLE_EQ(lines().number("PrezzoTotale"), c.expected.toDouble());
            EXPECT_TRUE(screen.isModified());
            EXPECT_EQ(
                qobject_cast<QLineEdit*>(screen.field("PrezzoTotale"))->text(),
                QLocale().toString(c.expected.toDouble(), 'f', QLocale::FloatingPointShortest));
        }
        lines().cancel();
    }
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
        {"0,00", true, 1, "", true, QVariant()}, // only the text "0" is a zero rate
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
