// Editing never loses, corrupts or invents data, driven on the line screen as a user would on a
// real archive: numbers read back as shown under any locale, wrong texts kept and named, every
// typed change counted, Escape asking, and a Document deleted by another workstation.
#include "DocumentiBodyFixture.h"
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "documents/HeaderEditor.h"
#include "documents/LineeEditors.h"
#include "logic/LineeLogic.h"
#include "ui/DataGrid.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTranslator>
#include <optional>

using namespace brevalto;

namespace {

const QString kLines = "PA_FE_Body_DatiBeniServizi_DettaglioLinee";

class EditingSafetyTest : public test::BodyFixture {
protected:
    void TearDown() override {
        useItalianFormats(); // as every screen test runs
        test::BodyFixture::TearDown();
    }
    Dataset& lines() { return table(linee::kLinesDataset); }
    // A stored line made current, as the grid leaves it before "Modifica".
    int currentLine() {
        const int id = line(1, 50.0, 22.0);
        sql("update PA_FE_Body_DatiBeniServizi_DettaglioLinee set PrezzoUnitario = 50, "
            "Quantita = 1, DataInizioPeriodo = '2027-01-31' where Id = ?",
            {id});
        db.requeryBodyChildren();
        EXPECT_TRUE(lines().locate("Id", id));
        return id;
    }
    QVariant stored(const QString& column, int id) {
        return scalar(QString("select %1 from %2 where Id = ?").arg(column, kLines), {id});
    }
    static QLineEdit* edit(EditorBase& screen, const QString& column) {
        return qobject_cast<QLineEdit*>(screen.field(column));
    }
};

TEST_F(EditingSafetyTest, NumbersReadBackAsTheValueTheyShowUnderEveryLocale) {
    struct Field {
        QString column;
        QVariantList values;
    };
    const QList<Field> fields{
        {"PrezzoUnitario",
         {1234.0, 1234.5, 0.125, 1.125, -7.25, 1250000.0, 12345678.12345678, 999.999}},
        {"Quantita", {1250.0, 0.5, 3.0}},
        {"NumeroLinea", {1234, 9999, 7}},
    };
    LineeEditor screen(db);
    const int id = currentLine();
    for (const char* locale : {"it_IT", "en_US", "C"}) {
        QLocale::setDefault(QLocale(locale));
        for (const Field& f : fields) {
            for (const QVariant& value : f.values) {
                SCOPED_TRACE(
                    QString("%1 %2 %3").arg(locale, f.column, value.toString()).toStdString());
                lines().edit();
                lines().setValue(f.column, value);
                lines().post();
                const QString shown = edit(screen, f.column)->text();
                EXPECT_FALSE(shown.contains(QLocale().groupSeparator())) << shown.toStdString();
                type(screen, f.column, shown); // the user retypes exactly what is shown
                EXPECT_EQ(lines().value(f.column), value) << shown.toStdString();
                ASSERT_EQ(leave(screen), "");
                EXPECT_EQ(stored(f.column, id).toDouble(), value.toDouble());
            }
        }
    }
    // Either mark reads as the decimal one, and a thousands mark beside it is dropped; a point
    // that can only be a thousands mark (three digits after it, a first group of one to three
    // digits not starting with 0, no comma) is one, as Italians write and spreadsheets save.
    QLocale::setDefault(QLocale("it_IT"));
    const struct {
        QString column;
        QString typed;
        double value;
    } typed[] = {
        {"PrezzoUnitario", "1.250", 1250},      {"PrezzoUnitario", "12.500", 12500},
        {"PrezzoUnitario", "1.250,50", 1250.5}, {"PrezzoUnitario", "1.250.000", 1250000},
        {"PrezzoUnitario", "-1.250", -1250},    {"PrezzoUnitario", " 1.250 ", 1250},
        {"PrezzoUnitario", "12.5", 12.5},       {"PrezzoUnitario", "0.500", 0.5},
        {"PrezzoUnitario", "1250.500", 1250.5}, {"PrezzoUnitario", "1.2500", 1.25},
        {"PrezzoUnitario", "1,250", 1.25},      {"PrezzoUnitario", "1.234,5", 1234.5},
        {"PrezzoUnitario", "1,234.5", 1234.5},  {"Quantita", "2.000", 2000},
    };
    for (const auto& c : typed) {
        type(screen, c.column, c.typed);
        EXPECT_EQ(lines().number(c.column), c.value) << c.typed.toStdString();
    }
    // Two points that are not both thousands marks are no number.
    type(screen, "PrezzoUnitario", "1.25.3");
    EXPECT_TRUE(qobject_cast<CheckedLineEdit*>(screen.field("PrezzoUnitario"))->isInvalid());
    lines().cancel();
}

TEST_F(EditingSafetyTest, WrongNumbersAndDatesStayFramedAndAreNamedOnSave) {
    struct Case {
        QString column;
        QString typed;
        QString message;
    };
    const QList<Case> cases{
        {"PrezzoUnitario", "abc12,5x", "Importo non valido: abc12,5x"},
        {"PrezzoTotale", "1e3", "Importo non valido: 1e3"},
        {"PrezzoUnitario", "50,00 EUR", "Importo non valido: 50,00 EUR"},
        {"NumeroLinea", "3a", "Numero non valido: 3a"},
        {"DataInizioPeriodo", "31/02/2027", "Data non valida: 31/02/2027"},
    };
    LineeEditor screen(db);
    screen.show();
    const int id = currentLine();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        const QVariant before = stored(c.column, id);
        auto* input = qobject_cast<CheckedLineEdit*>(screen.field(c.column));
        ASSERT_TRUE(input);
        type(screen, c.column, c.typed);
        screen.field("UnitaMisura")->setFocus(); // the user leaves the field
        EXPECT_EQ(input->text(), c.typed) << "the text stays as typed";
        EXPECT_TRUE(input->isInvalid());
        EXPECT_TRUE(input->styleSheet().contains("border")) << "framed";
        EXPECT_EQ(input->toolTip(), c.message);

        EXPECT_EQ(leave(screen), c.message);
        EXPECT_TRUE(screen.saveFailed());
        EXPECT_TRUE(screen.isVisible()) << "the screen stays open";
        EXPECT_EQ(stored(c.column, id), before);
        EXPECT_EQ(input->text(), c.typed);

        lines().cancel();
        input->revert();
        EXPECT_FALSE(input->isInvalid());
    }
    // A euro sign and blanks around an amount, as pasted, are dropped.
    edit(screen, "PrezzoUnitario")->selectAll();
    edit(screen, "PrezzoUnitario")->insert(QString::fromUtf8(" \u20AC 60,50 "));
    EXPECT_FALSE(qobject_cast<CheckedLineEdit*>(screen.field("PrezzoUnitario"))->isInvalid());
    EXPECT_EQ(leave(screen), "");
    EXPECT_EQ(stored("PrezzoUnitario", id).toDouble(), 60.5);

    // Leaving a number field shows the value read, so a point taken as a thousands mark is seen.
    screen.show();
    screen.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
    for (const auto& [column, typed, shown] :
         QList<std::tuple<QString, QString, QString>>{{"PrezzoUnitario", "1.250", "1250"},
                                                      {"PrezzoUnitario", "0.500", "0,5"},
                                                      {"Quantita", "1.250,50", "1250,5"},
                                                      {"PrezzoTotale", "12.500", "12500"}}) {
        QLineEdit* input = edit(screen, column);
        input->setFocus();
        type(screen, column, typed);
        EXPECT_EQ(input->text(), typed) << "kept while typing";
        screen.field("UnitaMisura")->setFocus();
        EXPECT_EQ(input->text(), shown) << typed.toStdString();
    }
    lines().cancel();
    screen.hide();
}

TEST_F(EditingSafetyTest, ChangingOnlyTheDescriptionIsStored) {
    LineeEditor screen(db);
    screen.show();
    const int id = currentLine();
    auto* memo = qobject_cast<QPlainTextEdit*>(screen.field("Descrizione"));
    ASSERT_TRUE(memo);
    memo->setFocus();
    memo->selectAll();
    QTest::keyClicks(memo, "Consulenza di marzo");
    EXPECT_TRUE(screen.isModified());
    scripted.clear();
    screen.indietroButton()->click();
    EXPECT_FALSE(screen.isVisible());
    EXPECT_EQ(stored("Descrizione", id).toString(), "Consulenza di marzo");
    EXPECT_TRUE(scripted.calls().isEmpty());
}

TEST_F(EditingSafetyTest, EscapeAsksWhetherToSaveWithSiAsDefault) {
    using Choice = Prompt::Choice;
    struct Case {
        QString name;
        bool justAdded;
        QString typed; // empty: nothing typed
        std::optional<Choice> answer;
        bool open;      // the screen is still open afterwards
        QVariant price; // stored afterwards; null: the line is gone
        bool closeButton = false;
    };
    const QList<Case> cases{
        {"unchanged: just closes", false, "", {}, false, 50.0},
        {"Sì saves", false, "70", Choice::Yes, false, 70.0},
        {"No restores the stored values", false, "70", Choice::No, false, 50.0},
        {"Annulla stays", false, "70", Choice::Cancel, true, 50.0},
        {"a wrong text counts as a change", false, "7x", Choice::No, false, 50.0},
        {"the close button asks too", false, "80", Choice::Yes, false, 80.0, true},
        {"No on a line just added takes it back", true, "", Choice::No, false, QVariant()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        LineeEditor screen(db);
        const int id = currentLine();
        screen.setAnnullaVisible(c.justAdded);
        screen.show();
        if (!c.typed.isEmpty())
            type(screen, "PrezzoUnitario", c.typed);
        scripted.clear();
        if (c.answer)
            scripted.answerChoice(*c.answer);
        if (c.closeButton)
            screen.close();
        else
            QTest::keyClick(screen.field("UnitaMisura"), Qt::Key_Escape);

        if (c.answer) {
            ASSERT_EQ(scripted.calls().size(), 1);
            EXPECT_EQ(scripted.calls()[0].text, "Salvare le modifiche?");
            EXPECT_TRUE(scripted.calls()[0].cancellable);
            EXPECT_EQ(scripted.calls()[0].byDefault, Choice::Yes);
        } else {
            EXPECT_TRUE(scripted.calls().isEmpty());
        }
        EXPECT_EQ(screen.isVisible(), c.open);
        if (c.price.isNull()) {
            EXPECT_EQ(count(kLines, QString("Id = %1").arg(id)), 0);
        } else {
            EXPECT_EQ(stored("PrezzoUnitario", id).toDouble(), c.price.toDouble());
            if (!c.open) {
                EXPECT_EQ(edit(screen, "PrezzoUnitario")->text(), lines().text("PrezzoUnitario"))
                    << "the screen shows what is stored";
            }
        }
        screen.hide();
        if (lines().state() != Dataset::State::Browse)
            lines().cancel();
    }
}

TEST_F(EditingSafetyTest, TheDocumentDeletedOnAnotherWorkstationIsNeitherWrittenNorRecreated) {
    const int document = table("TablePA_FE_Header").integer("ID");
    BodyEditor editor(db);
    LineeEditor screen(db);
    editor.setSectionScreen(linee::kLinesDataset, &screen);
    HeaderEditor header(db);
    editor.show();
    header.show();

    // The other workstation deletes the Document with its body.
    Connection other;
    other.open(db.connessione().path());
    other.inTransaction([&] {
        other.exec("delete from PA_FE_Body where PA_FE_Header_Id = ?", {document});
        other.exec("delete from PA_FE_Header where ID = ?", {document});
    });

    // "Aggiungi" on the lines writes nothing.
    scripted.clear();
    EXPECT_FALSE(editor.addSectionRow(linee::kLinesDataset));
    EXPECT_EQ(count(kLines, QString("PA_FE_Body_Id = %1").arg(body)), 0);
    ASSERT_EQ(scripted.messages().size(), 1);
    EXPECT_TRUE(scripted.messages()[0].contains(DataModule::documentGoneText()));
    QCoreApplication::processEvents();
    EXPECT_FALSE(editor.isVisible()) << "the Document's screens close";
    EXPECT_FALSE(header.isVisible());
    EXPECT_FALSE(table("TablePA_FE_Header").locate("ID", document)) << "the register is re-read";

    // Saving the header of the gone Document does not bring it back.
    newBody();
    const int second = table("TablePA_FE_Header").integer("ID");
    header.show();
    other.exec("delete from PA_FE_Header where ID = ?", {second});
    type(header, "DatiTrasmissione_ContattiTrasmittente_Telefono", "0612345");
    EXPECT_EQ(leave(header), DataModule::documentGoneText());
    EXPECT_FALSE(header.isVisible());
    EXPECT_EQ(count("PA_FE_Header", "1 = 1"), 0) << "no Document re-inserted";

    // Nor is it exported: no file is proposed.
    newBody();
    BodyRegister bodies(db);
    bodies.show();
    other.exec("delete from PA_FE_Header where ID = ?", {table("TablePA_FE_Header").integer("ID")});
    scripted.clear();
    bodies.esportaXml();
    EXPECT_EQ(scripted.messages(), QStringList{DataModule::documentGoneText()});
    EXPECT_FALSE(bodies.isVisible());
    other.close();
}

TEST_F(EditingSafetyTest, GridsShowAmountsWithCentsAndQuantitiesAsTypedButNoKeys) {
    QLocale::setDefault(QLocale("it_IT"));
    const int id = currentLine();
    sql("update PA_FE_Body_DatiBeniServizi_DettaglioLinee set Quantita = 1.5, PrezzoUnitario = "
        "0.125 where Id = ?",
        {id});
    db.requeryBodyChildren();
    DataGrid grid;
    grid.setDataset(&lines());
    grid.setColumns({{"Id", "Id", 40},
                     {"Quantita", "Quantità", 60},
                     {"PrezzoUnitario", "Prezzo", 60},
                     {"PrezzoTotale", "Totale", 60}});
    QStringList shown;
    for (int c = 0; c < grid.model()->columnCount(); ++c)
        shown << grid.model()->index(0, c).data().toString();
    EXPECT_EQ(shown, QStringList({"1,5", "0,125", "50,00"}));
}

TEST_F(EditingSafetyTest, QtsOwnTextsAreItalian) {
    QTranslator* translator = installQtItalian(*QCoreApplication::instance());
    ASSERT_TRUE(translator) << "qtbase_it.qm is installed";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annulla");
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

} // namespace
