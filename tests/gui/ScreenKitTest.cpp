// The screen kit driven as a user would: typing into bound inputs, the editor's rules and save,
// pick lists, and a browser's search, sort, add and delete.
#include "store/DataModule.h"
#include "store/DbError.h"
#include "store/Prompt.h"
#include "store/Saving.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"
#include "ui/BoundInputs.h"
#include "ui/BrowserBase.h"
#include "ui/DataGrid.h"
#include "ui/EditorBase.h"
#include "ui/FieldHelp.h"
#include "ui/FormEditor.h"
#include "ui/GuardedAction.h"
#include "ui/Help.h"
#include "ui/ScreenHost.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

class CarrierEditor : public EditorBase {
public:
    explicit CarrierEditor(DataModule& db)
        : EditorBase(db, "TableVettori", "Id", "Vettore di prova") {
        beginForm({"Dati", "Altro"});
        addTabbed({
            {.label = "Denominazione",
             .column = "Denominazione",
             .help = "2.1.9.1.3.1",
             .maxLength = 80},
            {.label = "Nazione",
             .column = "IdPaese",
             .list = {"TableNazioni", "SIGLA", "DENOMINAZ"}},
            {.label = "Nome", .column = "Nome", .maxLength = 60, .tab = 1},
        });
        finishForm();
        setRules(
            {{[](const RowValues& row) { return row.text("Denominazione").trimmed().isEmpty(); },
              "Attenzione manca la Denominazione", "Denominazione"}});
    }
};

// Buttons of a screen's own, wired by the kit, whose actions meet an archive error.
class ButtonsEditor : public FormEditor {
public:
    explicit ButtonsEditor(DataModule& db)
        : FormEditor(db, "TableVettori", "Id", "Vettore di prova") {
        beginForm();
        addTop({{.label = "Denominazione", .column = "Denominazione"}});
        addToolButton("spdProva", "Prova",
                      [] { throw DbError("Record bloccato da un altro utente"); });
        addButtonBeside("Denominazione", "btnAccanto", "Accanto",
                        [] { throw DbError("Disco pieno"); });
        finishForm();
    }
};

class ScreenKitTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.connessione().open(test::copyOfNewArchive(folder));
        db.openAllDatasets();
        setPrompt(&scripted);
    }
    void TearDown() override {
        setPrompt(nullptr);
        setModalShower({});
    }
    test::TempFolder folder;
    DataModule db;
    test::ScriptedPrompt scripted;
};

TEST_F(ScreenKitTest, EditorChecksItsRulesThenSavesWhatWasTyped) {
    Dataset& vettori = db.table("TableVettori");
    vettori.append();
    ASSERT_TRUE(SaveNewRecord(vettori, "Id"));
    CarrierEditor editor(db);
    auto* name = qobject_cast<QLineEdit*>(editor.field("Denominazione"));
    auto* nome = qobject_cast<QLineEdit*>(editor.field("nome"));
    ASSERT_TRUE(name && nome);
    QTest::keyClicks(nome, "Gino");
    EXPECT_TRUE(editor.isModified());
    EXPECT_EQ(vettori.state(), Dataset::State::Edit);

    editor.tabs()->setCurrentIndex(1);
    editor.indietro();
    EXPECT_TRUE(editor.saveFailed());
    EXPECT_EQ(scripted.messages(), QStringList({"Attenzione manca la Denominazione"}));
    EXPECT_EQ(scripted.calls().first().title, "Messaggio di errore");
    EXPECT_EQ(editor.tabs()->currentIndex(), 0) << "the failing field's tab is shown";

    QTest::keyClicks(name, "Trasporti D'Arco");
    editor.indietro();
    EXPECT_FALSE(editor.saveFailed());
    Connection& c = db.connessione();
    EXPECT_EQ(c.scalar("select Denominazione || '/' || Nome from Vettori").toString(),
              "Trasporti D'Arco/Gino");
}

TEST_F(ScreenKitTest, ArchiveErrorsOfTheKitsButtonsAreShownNotThrown) {
    ButtonsEditor editor(db);
    for (const char* name : {"spdProva", "btnAccanto"}) {
        auto* button = editor.findChild<QPushButton*>(name);
        ASSERT_TRUE(button) << name;
        EXPECT_NO_THROW(button->click()) << name;
    }
    EXPECT_EQ(scripted.messages(),
              QStringList({"Record bloccato da un altro utente", "Disco pieno"}));
}

TEST_F(ScreenKitTest, ArchiveErrorsOfTheKitsOtherActionsAreShownNotThrown) {
    db.connessione().exec("insert into Vettori (Denominazione, IdPaese) values ('A', 'FR')");
    db.table("TableVettori").requery();
    const auto fails = [](const char* text) { return [text] { throw DbError(text); }; };
    CarrierEditor editor(db);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    auto* country = qobject_cast<BoundLookup*>(editor.field("IdPaese"));
    ASSERT_TRUE(country);
    QObject::connect(country, &BoundLookup::picked, fails("scelta"));
    QObject::connect(country, &BoundLookup::cleared, fails("svuotata"));
    setFieldHelpHandler([](const QString&) { throw DbError("aiuto del campo"); });
    setHelpHandler(fails("aiuto"));
    installHelpKey(&editor);
    DataGrid grid;
    grid.setDataset(&db.table("TableVettori"));
    grid.setColumns({{"Denominazione", "Rag. Sociale", 200}});
    grid.setLayoutMenu(true);
    QObject::connect(&grid, &DataGrid::rowActivated, fails("riga"));
    QObject::connect(&grid, &DataGrid::titleClicked, fails("titolo"));
    QObject::connect(&grid, &DataGrid::saveLayoutRequested, fails("griglia"));

    const struct {
        const char* message;
        std::function<void()> act;
    } cases[] = {
        {"scelta",
         [&] {
             country->setCurrentIndex(0);
             Q_EMIT country->activated(0);
         }},
        {"svuotata", [&] { QTest::keyClick(country, Qt::Key_Backspace); }},
        {"aiuto del campo", [&] { editor.findChild<QToolButton*>("help_Denominazione")->click(); }},
        {"aiuto", [&] { QTest::keyClick(editor.field("Denominazione"), Qt::Key_F1); }},
        {"riga", [&] { QTest::keyClick(&grid, Qt::Key_Return); }},
        {"titolo", [&] { Q_EMIT grid.horizontalHeader()->sectionClicked(0); }},
        {"griglia",
         [&] {
             // "Salva Griglia", the first entry of the grid's menu.
             QTimer::singleShot(0, [] {
                 auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                 ASSERT_TRUE(menu);
                 menu->actions().first()->trigger();
                 menu->close();
             });
             QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                     grid.mapToGlobal(QPoint(5, 5)));
             QApplication::sendEvent(grid.viewport(), &event);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        scripted.clear();
        EXPECT_NO_THROW(c.act());
        EXPECT_EQ(scripted.messages(), QStringList{c.message});
    }
    setFieldHelpHandler({});
    setHelpHandler({});
    db.table("TableVettori").cancel();
}

TEST_F(ScreenKitTest, EnterAndArrowsMoveBetweenFields) {
    db.table("TableVettori").append();
    CarrierEditor editor(db);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    QWidget* name = editor.field("Denominazione");
    QWidget* country = editor.field("IdPaese");
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), country);
    QTest::keyClick(country, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), name);
    QTest::keyClick(name, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), country);
    EXPECT_TRUE(db.table("TableVettori").isNull("IdPaese")) << "Down moves on, it picks nothing";
    db.table("TableVettori").cancel();
}

TEST_F(ScreenKitTest, PickListStoresTheKeyAndBackspaceEmptiesIt) {
    Dataset& vettori = db.table("TableVettori");
    db.connessione().exec("insert into Vettori (Denominazione, IdPaese) values ('A', 'FR')");
    vettori.requery();
    CarrierEditor editor(db);
    auto* country = qobject_cast<BoundLookup*>(editor.field("IdPaese"));
    ASSERT_TRUE(country);
    EXPECT_EQ(country->currentText(), "Francia");
    const int italy = country->findText("Italia");
    ASSERT_GE(italy, 0);
    country->setCurrentIndex(italy);
    Q_EMIT country->activated(italy);
    EXPECT_EQ(vettori.text("IdPaese"), "IT");
    QTest::keyClick(country, Qt::Key_Backspace);
    EXPECT_TRUE(vettori.isNull("IdPaese"));
    EXPECT_EQ(country->currentIndex(), -1);
    EXPECT_TRUE(editor.isModified());

    vettori.cancel();
    EXPECT_EQ(country->currentText(), "Francia") << "a cancelled edit shows the stored value";
}

TEST_F(ScreenKitTest, BrowserSearchesSortsAddsAndDeletes) {
    for (const char* name : {"Rossi", "D'Amico", "Rossini", "Bianchi"})
        db.connessione().exec("insert into Vettori (Denominazione, Cognome) values (?, ?)",
                              {QString(name), QString("x")});
    Dataset& vettori = db.table("TableVettori");
    vettori.requery();
    const Browser def{
        .caption = " Vettori",
        .dataset = "TableVettori",
        .keyColumn = "ID",
        .columns = {{"Denominazione", "Rag. Sociale", 200}, {"Cognome", "Cognome", 120}},
        .searchBoxes = {{"Rag. Sociale", "Denominazione"}, {"Cognome", "Cognome"}},
        .initialValues = {{"IdPaese", "IT"}},
        .deleteQuestion = "Sei sicuro di voler eliminare il Vettore ?",
        .layoutName = "frmGrigliaVettori",
    };
    BrowserBase browser(db, def);
    CarrierEditor editor(db);
    browser.setEditor(&editor);

    QTest::keyClicks(browser.searchBox(0), "d'a");
    EXPECT_EQ(vettori.filter(), "Denominazione like 'd''a*'");
    EXPECT_EQ(vettori.rowCount(), 1);
    browser.searchBox(0)->setText("*");
    EXPECT_EQ(vettori.rowCount(), 4);
    browser.searchBox(0)->setText("Ross");
    browser.searchBox(1)->setText("x");
    EXPECT_EQ(vettori.filter(), "Denominazione like 'Ross*' and Cognome like 'x*'");
    EXPECT_EQ(vettori.rowCount(), 2);

    EXPECT_EQ(DataGrid::toggledSort("", "Cognome"), "Cognome ASC");
    EXPECT_EQ(DataGrid::toggledSort("Cognome ASC", "Denominazione"), "Denominazione DESC");
    EXPECT_EQ(DataGrid::toggledSort("Cognome DESC", "Cognome"), "Cognome ASC");

    // "Aggiungi" opens the editor on a stored new row; "Annulla" there removes it again.
    bool annullaShown = false;
    setModalShower([&](QDialog& screen) {
        annullaShown = editor.isAnnullaVisible();
        EXPECT_EQ(&screen, &editor);
        EXPECT_EQ(vettori.text("IdPaese"), "IT");
        editor.annulla();
        return 0;
    });
    browser.aggiungi();
    EXPECT_TRUE(annullaShown);
    EXPECT_FALSE(editor.isAnnullaVisible());
    EXPECT_EQ(db.connessione().scalar("select count(*) from Vettori").toInt(), 4);
    EXPECT_TRUE(scripted.calls().isEmpty()) << "Annulla asks nothing";

    vettori.setFilter("");
    vettori.locate("Denominazione", "Bianchi");
    scripted.answerQuestion(false);
    browser.elimina();
    EXPECT_EQ(vettori.rowCount(), 4);
    scripted.answerQuestion(true);
    browser.elimina();
    EXPECT_EQ(vettori.rowCount(), 3);
    EXPECT_EQ(scripted.calls().last().text, "Sei sicuro di voler eliminare il Vettore ?");
}

} // namespace

// An archive error inside a grid's row change, a title-click sort or a tool button is shown
// through the prompt; the program goes on and the inputs keep following the dataset.
TEST(ScreenKitGuardTest, ArchiveErrorsOfUserActionsAreShownNotFatal) {
    test::TempFolder folder;
    const QString archive = test::copyOfNewArchive(folder);
    DataModule db;
    db.connessione().setBusyTimeout(100);
    db.connessione().open(archive);
    db.openAllDatasets();
    test::ScriptedPrompt scripted;
    setPrompt(&scripted);
    for (const char* name : {"Alfa", "Beta"})
        db.connessione().exec("insert into Vettori (Denominazione) values (?)", {QString(name)});
    Dataset& vettori = db.table("TableVettori");
    vettori.requery();
    DataGrid grid;
    grid.setDataset(&vettori);
    grid.setColumns({{"Denominazione", "Rag. Sociale", 200}});
    BoundLineEdit name(&vettori, "Denominazione");
    ASSERT_EQ(name.text(), "Alfa");
    QTest::keyClicks(&name, "X"); // a pending change, posted when the row is left

    Connection other; // another workstation holding the write lock
    other.open(archive);
    other.execNative("BEGIN EXCLUSIVE");
    grid.setCurrentIndex(grid.model()->index(1, 0));
    ASSERT_EQ(scripted.messages().size(), 1) << "the refused post is shown";
    EXPECT_EQ(vettori.text("Denominazione"), "AlfaX") << "the row and the typing stay";
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.currentIndex().row(), 0) << "the grid goes back to the dataset's row";
    Q_EMIT grid.horizontalHeader()->sectionClicked(0);
    EXPECT_EQ(scripted.messages().size(), 2) << "so is a sort that must post first";
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, guard([&] { vettori.post(); }));
    button.click();
    EXPECT_EQ(scripted.messages().size(), 3) << "and a tool button's action";

    other.execNative("ROLLBACK");
    grid.setCurrentIndex(grid.model()->index(1, 0));
    EXPECT_EQ(scripted.messages().size(), 3);
    EXPECT_EQ(name.text(), "Beta") << "the input follows the dataset again";
    EXPECT_EQ(db.connessione()
                  .scalar("select count(*) from Vettori where Denominazione = 'AlfaX'")
                  .toInt(),
              1);
    setPrompt(nullptr);
}
