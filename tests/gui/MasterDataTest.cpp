// The master-data lists and editors driven as a user would, on a real archive: each list's
// search, sort, "Aggiungi"/"Annulla" and "Elimina"; each editor's save rules in order; the
// municipality and province picks; the customer's display names; the check-digit and duplicate
// warnings; an archive that refuses a save or a delete.
#include "logic/VatRules.h"
#include "masterdata/MasterBrowsers.h"
#include "masterdata/PartyEditors.h"
#include "masterdata/TableEditors.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"
#include "ui/BoundInputs.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace brevalto;

namespace {

using Values = QList<QPair<QString, QVariant>>;

class MasterDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        archive = test::copyOfNewArchive(folder);
        db.connessione().setBusyTimeout(200);
        db.connessione().open(archive);
        db.openAllDatasets();
        setPrompt(&scripted);
    }
    void TearDown() override {
        setPrompt(nullptr);
        setModalShower({});
    }
    void sql(const QString& statement, const QVariantList& values = {}) {
        db.connessione().exec(statement, values);
    }
    int count(const QString& table) {
        return db.connessione().scalar("select count(*) from " + table).toInt();
    }
    // A row of the table made by the test, current in its dataset.
    void makeRow(const QString& dataset, const QString& table, const Values& values) {
        QStringList columns, marks;
        QVariantList params;
        for (const auto& [column, value] : values) {
            columns << column;
            marks << "?";
            params << value;
        }
        sql(QString("insert into %1 (%2) values (%3)")
                .arg(table, columns.join(", "), marks.join(", ")),
            params);
        Dataset& d = db.table(dataset);
        d.requery();
        ASSERT_TRUE(d.locate(values.first().first, values.first().second));
    }
    static void set(Dataset& d, const Values& values) {
        d.edit();
        for (const auto& [column, value] : values)
            d.setValue(column, value);
    }

    struct RuleCase {
        const char* what;
        Values values;      // over the valid row
        QString message;    // empty: the row is stored
        QString focus = {}; // the field focused
        int tab = -1;       // the tab shown, when the rule names one
    };
    // Runs the save on the valid row changed by each case, in a shown editor.
    void checkRules(EditorBase& editor, const Values& valid, const QList<RuleCase>& cases) {
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
        for (const RuleCase& c : cases) {
            set(editor.dataset(), valid);
            set(editor.dataset(), c.values);
            if (editor.tabs()->count() > 0)
                editor.tabs()->setCurrentIndex(editor.tabs()->count() - 1);
            scripted.clear();
            const bool saved = editor.save();
            if (c.message.isEmpty()) {
                EXPECT_TRUE(saved) << c.what << ": " << scripted.messages().join("|").toStdString();
                continue;
            }
            EXPECT_FALSE(saved) << c.what;
            EXPECT_TRUE(editor.saveFailed()) << c.what;
            EXPECT_EQ(scripted.messages(), QStringList{c.message}) << c.what;
            if (!c.focus.isEmpty()) {
                EXPECT_EQ(QApplication::focusWidget(), editor.field(c.focus)) << c.what;
            }
            if (c.tab >= 0) {
                EXPECT_EQ(editor.tabs()->currentIndex(), c.tab) << c.what;
            }
        }
        editor.dataset().cancel();
        editor.hide();
    }

    test::TempFolder folder;
    QString archive;
    DataModule db;
    test::ScriptedPrompt scripted;
};

void pick(BoundLookup* list, const QString& shown) {
    ASSERT_NE(list, nullptr);
    const int index = list->findText(shown);
    ASSERT_GE(index, 0) << shown.toStdString();
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

TEST(MasterDataSearch, SearchTextsBecomePrefixOrContainsFilters) {
    const struct {
        const char* text;
        const char* filter;
    } cases[] = {
        {"", ""},
        {"*", ""},
        {"Ross", "C like 'Ross*'"},
        {"*ross", "C like '*ross*'"},
        {"D'Amico", "C like 'D''Amico*'"},
        {"50%", "C like '50[%]*'"},
        {"a*b?", "C like 'a[*]b[?]*'"},
        {"**", "C like '*[*]*'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BrowserBase::searchFilter({{"C", c.text}}), c.filter) << c.text;
    EXPECT_EQ(BrowserBase::searchFilter({{"A", "x"}, {"B", ""}, {"C", "y"}}),
              "A like 'x*' and C like 'y*'");
}

TEST_F(MasterDataTest, EveryListSearchesSortsAddsAndDeletes) {
    struct ListCase {
        const char* what;
        std::function<BrowserBase*()> browser;
        std::function<EditorBase*()> editor;
        QString table;
        QString nameColumn; // the first search box's column, or where the test rows go
        Values initial;     // of a row added with "Aggiungi"
        QString question;
    };
    const QList<ListCase> lists = {
        {"sellers",
         [&] { return new CedentiBrowser(db); },
         [&] { return new CedenteEditor(db); },
         "PA_CedentePrestatore",
         "CedentePrestatore_Denominazione",
         {{"CedentePrestatore_IdPaese", "IT"}, {"CedentePrestatore_Sede_Nazione", "IT"}},
         "Sei sicuro di voler eliminare il Cedente - Prestatore ?"},
        {"customers",
         [&] { return new CessionariBrowser(db); },
         [&] { return new CessionarioEditor(db); },
         "PA_CessionarioCommittente",
         "CessionarioCommittente_NominativoVisualizzato",
         {{"CessionarioCommittente_IdPaese", "IT"}, {"CessionarioCommittente_Sede_Nazione", "IT"}},
         "Sei sicuro di voler eliminare il Cessionario - Committente ?"},
        {"municipalities",
         [&] { return new ComuniBrowser(db); },
         [&] { return new ComuneEditor(db); },
         "Comuni",
         "Comune",
         {{"Nazione_ID", 390}, {"CAP", "00000"}},
         "Sei sicuro di voler eliminare il Comune ?"},
        {"VAT rates",
         [&] { return new IvaBrowser(db); },
         [&] { return new IvaEditor(db); },
         "Iva",
         "Descrizione",
         {{"Iva", 0.0}},
         "Sei sicuro di voler eliminare questa aliquota Iva ?"},
        {"carriers",
         [&] { return new VettoriBrowser(db); },
         [&] { return new VettoreEditor(db); },
         "Vettori",
         "Denominazione",
         {{"IdPaese", "IT"}},
         "Sei sicuro di voler eliminare il Vettore ?"},
    };
    for (const ListCase& list : lists) {
        SCOPED_TRACE(list.what);
        for (const char* name : {"D'Amicox Qwerty", "Qwertyna Bianchi", "Zeta Qwerty"})
            sql(QString("insert into %1 (%2) values (?)").arg(list.table, list.nameColumn),
                {QString(name)});
        std::unique_ptr<BrowserBase> browser(list.browser());
        std::unique_ptr<EditorBase> editor(list.editor());
        browser->setEditor(editor.get());
        Dataset& d = browser->dataset();
        d.requery();
        const int all = count(list.table);

        if (QLineEdit* box = browser->searchBox(0)) {
            QTest::keyClicks(box, "d'amicox");
            EXPECT_EQ(d.rowCount(), 1);
            box->setText("*");
            EXPECT_EQ(d.rowCount(), all);
            box->setText("*qwert");
            EXPECT_EQ(d.rowCount(), 3) << "a leading star matches anywhere";
            box->setText("qwert");
            EXPECT_EQ(d.rowCount(), 1);
        }

        const QString first = browser->definition().columns.first().field;
        Q_EMIT browser->grid()->horizontalHeader()->sectionClicked(0);
        EXPECT_EQ(d.sort(), first + " ASC");
        Q_EMIT browser->grid()->horizontalHeader()->sectionClicked(0);
        EXPECT_EQ(d.sort(), first + " DESC");
        d.setSort(QString());

        // "Aggiungi": stored at once, opened with "Annulla", which takes it back.
        bool opened = false;
        setModalShower([&](QDialog& screen) {
            opened = &screen == editor.get();
            EXPECT_TRUE(editor->isAnnullaVisible());
            EXPECT_TRUE(editor->isModified());
            EXPECT_EQ(count(list.table), all + 1);
            for (const auto& [column, value] : list.initial)
                EXPECT_EQ(d.value(column), value) << column.toStdString();
            editor->annulla();
            return 0;
        });
        EXPECT_TRUE(browser->aggiungi());
        EXPECT_TRUE(opened);
        EXPECT_FALSE(editor->isAnnullaVisible());
        EXPECT_EQ(count(list.table), all);
        EXPECT_TRUE(scripted.calls().isEmpty()) << "Annulla asks nothing";
        if (QLineEdit* box = browser->searchBox(0)) {
            EXPECT_TRUE(d.filter().isEmpty()) << "Aggiungi shows every row";
            QTest::keyClicks(box, "y");
            EXPECT_EQ(d.rowCount(), 1) << "the next keystroke filters by every box again";
            browser->clearSearch();
        }

        ASSERT_TRUE(d.locate(list.nameColumn, "Zeta Qwerty"));
        scripted.answerQuestion(false);
        EXPECT_FALSE(browser->elimina());
        scripted.answerQuestion(true);
        EXPECT_TRUE(browser->elimina());
        EXPECT_EQ(scripted.calls().last().text, list.question);
        EXPECT_EQ(scripted.calls().last().title, "Messaggio di avviso");
        EXPECT_EQ(count(list.table), all - 1);
        EXPECT_EQ(d.rowCount(), all - 1);
        scripted.clear();
        setModalShower({});
    }
}

TEST_F(MasterDataTest, AMunicipalityInUseIsNeitherDeletedNorRenamed) {
    ComuniBrowser comuni(db);
    Dataset& d = comuni.dataset();
    const auto use = [this](const QString& statement) { sql(statement, {"Qwertopoli"}); };
    struct Case {
        const char* what;
        std::function<void()> arrange;
        QString refusal; // empty: deleted after the usual question
    } cases[] = {
        {"unused", [] {}, ""},
        {"the firm's", [&] { use("update Ditta set Comune = ?"); },
         "Il Comune Qwertopoli non può essere eliminato: è indicato da 1 anagrafica, che senza di "
         "esso non si potrebbero più salvare."},
        {"a seller's establishment, a customer's seat and a Document",
         [&] {
             use("insert into PA_CedentePrestatore "
                 "(CedentePrestatore_StabileOrganizzazione_Comune) values (?)");
             use("insert into PA_CessionarioCommittente (CessionarioCommittente_Sede_Comune) "
                 "values (?)");
             use("insert into PA_FE_Header (CessionarioCommittente_Sede_Comune) values (?)");
         },
         "Il Comune Qwertopoli non può essere eliminato: è indicato da 2 anagrafiche e 1 "
         "documento, che senza di esso non si potrebbero più salvare."},
        {"in use, but another row has the same name",
         [&] {
             use("update Ditta set Comune = ?");
             use("insert into Comuni (Comune) values (?)");
         },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* table : {"PA_CedentePrestatore", "PA_CessionarioCommittente",
                                  "PA_FE_Header", "Comuni where Comune = 'Qwertopoli'"})
            sql(QString("delete from %1").arg(table));
        sql("update Ditta set Comune = null");
        makeRow("TableComuni", "Comuni", {{"Comune", "Qwertopoli"}});
        c.arrange();
        scripted.clear();
        if (c.refusal.isEmpty())
            scripted.answerQuestion(true);
        EXPECT_EQ(comuni.elimina(), c.refusal.isEmpty());
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(scripted.calls().last().text, "Sei sicuro di voler eliminare il Comune ?");
        } else {
            EXPECT_EQ(scripted.messages(), QStringList{c.refusal});
            EXPECT_EQ(count("Comuni where Comune = 'Qwertopoli'"), 1);
            EXPECT_EQ(d.text("Comune"), "Qwertopoli") << "the row stays current";
        }
    }

    // Renamed, it would be as gone: kept while in use, free otherwise.
    sql("delete from Comuni where Comune = 'Qwertopoli'");
    makeRow("TableComuni", "Comuni", {{"Comune", "Qwertopoli"}});
    sql("update Ditta set Comune = 'Qwertopoli'");
    ComuneEditor editor(db);
    scripted.clear();
    set(d, {{"Comune", "Qwertopolis"}});
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(scripted.messages(),
              QStringList{"Il Comune Qwertopoli non può cambiare nome: è indicato da 1 "
                          "anagrafica, che senza di esso non si potrebbero più salvare. Per un "
                          "altro nome aggiungere un nuovo Comune."});
    EXPECT_EQ(count("Comuni where Comune = 'Qwertopoli'"), 1);
    set(d, {{"Comune", "Qwertopoli"}, {"Cap", "12345"}});
    EXPECT_TRUE(editor.save()) << "its other data change freely";
    sql("update Ditta set Comune = null");
    set(d, {{"Comune", "Qwertopolis"}});
    EXPECT_TRUE(editor.save());
    EXPECT_EQ(count("Comuni where Comune = 'Qwertopolis'"), 1);
}

TEST_F(MasterDataTest, TwoSearchBoxesJoinInTheirOrder) {
    CedentiBrowser sellers(db);
    QTest::keyClicks(sellers.searchBox(3), "Ross");
    QTest::keyClicks(sellers.searchBox(2), "M");
    EXPECT_EQ(sellers.dataset().filter(),
              "CedentePrestatore_Nome like 'M*' and CedentePrestatore_Cognome like 'Ross*'");
}

TEST_F(MasterDataTest, ShippedVatRatesCannotBeDeleted) {
    IvaBrowser rates(db);
    Dataset& iva = rates.dataset();
    ASSERT_TRUE(iva.locate("Descrizione", "Iva 22%"));
    EXPECT_FALSE(rates.elimina());
    EXPECT_EQ(scripted.messages(), QStringList{"Aliquota Iva non Eliminabile"});
    EXPECT_EQ(scripted.calls().first().title, "Messaggio di avviso");
    EXPECT_EQ(count("Iva where Iva = 22"), 1);
}

TEST_F(MasterDataTest, SellerRules) {
    const QString p = "CedentePrestatore_";
    makeRow("TablePA_CedentePrestatore", "PA_CedentePrestatore", {{p + "Denominazione", "Alfa"}});
    CedenteEditor editor(db);
    const Values valid = {
        {p + "IdPaese", "IT"},
        {p + "IdCodice", "01234567897"},
        {p + "CodiceFiscale", ""},
        {p + "Denominazione", "Rossi Srl"},
        {p + "Cognome", ""},
        {p + "Nome", ""},
        {p + "Titolo", ""},
        {p + "CodOERI", ""},
        {p + "RegimeFiscale", "RF01"},
        {p + "Sede_Indirizzo", "Via Roma"},
        {p + "Sede_CAP", "00186"},
        {p + "Sede_Comune", "Roma"},
        {p + "Sede_Provincia", "RM"},
        {p + "Sede_Nazione", "IT"},
        {p + "StabileOrganizzazione", false},
        {p + "StabileOrganizzazione_Indirizzo", "Rue 1"},
        {p + "StabileOrganizzazione_CAP", "75001"},
        {p + "StabileOrganizzazione_Comune", "Roma"},
        {p + "StabileOrganizzazione_Nazione", "FR"},
        {p + "Iscrizione_REA", false},
        {p + "Iscrizione_REA_Ufficio", "RM"},
        {p + "Iscrizione_REA_NumeroREA", "123456"},
        {p + "Iscrizione_REA_StatoLiquidazione", "LN"},
        {p + "Iscrizione_Contatti", false},
        {p + "Contatti_Telefono", "1"},
        {p + "Contatti_Fax", ""},
        {p + "Contatti_Email", ""},
    };
    const QString names = "Attenzione manca la Ragione sociale oppure Nome e Cognome";
    checkRules(
        editor, valid,
        {
            {"valid", {}, ""},
            {"no VAT number",
             {{p + "IdPaese", QVariant()}, {p + "IdCodice", ""}},
             "Attenzione manca la Partita Iva",
             p + "IdCodice"},
            {"no country",
             {{p + "IdPaese", QVariant()}},
             "Attenzione manca la Nazione",
             p + "IdPaese"},
            {"unknown regime",
             {{p + "RegimeFiscale", "RF99"}},
             "Attenzione manca il regime fiscale",
             p + "RegimeFiscale"},
            {"no name", {{p + "Denominazione", ""}}, names},
            {"a blank is a name", {{p + "Denominazione", " "}}, ""},
            {"surname alone", {{p + "Denominazione", ""}, {p + "Cognome", "Rossi"}}, ""},
            {"no address",
             {{p + "Sede_Indirizzo", ""}},
             "Attenzione manca l'Indirizzo della Sede",
             p + "Sede_Indirizzo",
             1},
            {"no CAP",
             {{p + "Sede_CAP", ""}},
             "Attenzione manca il Cap della Sede",
             p + "Sede_CAP",
             1},
            {"short foreign CAP",
             {{p + "Sede_CAP", "7500"}, {p + "Sede_Nazione", "FR"}},
             "Attenzione il CAP della sede deve essere di almeno 5 caratteri",
             p + "Sede_CAP",
             1},
            {"no municipality",
             {{p + "Sede_Comune", "Atlantide"}},
             "Attenzione manca il Comune della Sede",
             p + "Sede_Comune",
             1},
            {"no Sede country",
             {{p + "Sede_Nazione", ""}},
             "Attenzione manca la Nazione della Sede",
             p + "Sede_Nazione",
             1},
            {"tax code of 10",
             {{p + "CodiceFiscale", "0123456789"}},
             "Attenzione il Codice fiscale deve essere di almeno 11 caratteri",
             p + "CodiceFiscale"},
            {"tax code of 11", {{p + "CodiceFiscale", "01234567897"}}, ""},
            {"tax code of 16", {{p + "CodiceFiscale", "RSSMRA80A01H501U"}}, ""},
            {"title of 1",
             {{p + "Titolo", "D"}},
             "Attenzione il Titolo deve essere di almeno 2 caratteri",
             p + "Titolo"},
            {"title of 2", {{p + "Titolo", "Dr"}}, ""},
            {"EORI of 12",
             {{p + "CodOERI", "IT1234567890"}},
             "Attenzione il codice EORI deve essere di almeno 13 caratteri",
             p + "CodOERI"},
            {"EORI of 13", {{p + "CodOERI", "IT12345678901"}}, ""},
            {"establishment without address",
             {{p + "StabileOrganizzazione", true}, {p + "StabileOrganizzazione_Indirizzo", ""}},
             "Attenzione manca l'Indirizzo dello Stabile dell'organizzazione",
             p + "StabileOrganizzazione_Indirizzo",
             2},
            {"establishment with a short foreign CAP",
             {{p + "StabileOrganizzazione", true}, {p + "StabileOrganizzazione_CAP", "750"}},
             "Attenzione il Cap dello Stabile dell'organizzazione deve essere di almeno 5 "
             "Caratteri !",
             p + "StabileOrganizzazione_CAP",
             2},
            {"establishment complete", {{p + "StabileOrganizzazione", true}}, ""},
            {"REA without office",
             {{p + "Iscrizione_REA", true}, {p + "Iscrizione_REA_Ufficio", QVariant()}},
             "Attenzione manca l'Ufficio ",
             p + "Iscrizione_REA_Ufficio",
             3},
            {"REA without number",
             {{p + "Iscrizione_REA", true}, {p + "Iscrizione_REA_NumeroREA", ""}},
             "Attenzione manca il Numero REA",
             p + "Iscrizione_REA_NumeroREA",
             3},
            {"REA without liquidation state",
             {{p + "Iscrizione_REA", true}, {p + "Iscrizione_REA_StatoLiquidazione", ""}},
             "Attenzione manca lo stato di liquidazione ",
             p + "Iscrizione_REA_StatoLiquidazione",
             3},
            {"contacts with a short phone",
             {{p + "Iscrizione_Contatti", true}},
             "Attenzione il telefono del contatto deve essere di almeno 5 Caratteri !",
             p + "Contatti_Telefono",
             4},
            {"contacts with a short email",
             {{p + "Iscrizione_Contatti", true},
              {p + "Contatti_Telefono", ""},
              {p + "Contatti_Email", "a@b"}},
             "Attenzione l'Email del contatto deve essere di almeno 5 Caratteri !",
             p + "Contatti_Email",
             4},
        });
}

TEST_F(MasterDataTest, CustomerRules) {
    const QString p = "CessionarioCommittente_";
    makeRow("TablePA_CessionarioCommittente", "PA_CessionarioCommittente",
            {{p + "Denominazione", "Alfa"}});
    CessionarioEditor editor(db);
    EXPECT_FALSE(editor.cercaPaButton()->isEnabled());
    const QString rf = p + "RappresentanteFiscale", so = p + "StabileOrganizzazione";
    const Values valid = {
        {p + "IdPaese", "IT"},
        {p + "IdCodice", "12345678903"},
        {p + "CodiceFiscale", ""},
        {p + "Denominazione", "Bianchi Spa"},
        {p + "Cognome", ""},
        {p + "Nome", ""},
        {p + "Sede_Indirizzo", "Corso Italia 5"},
        {p + "Sede_CAP", "20122"},
        {p + "Sede_Comune", "Milano"},
        {p + "Sede_Provincia", "MI"},
        {p + "Sede_Nazione", "IT"},
        {p + "CodiceUnivocoUfficio", "ABC1234"},
        {p + "Pec", ""},
        {p + "PubblicaAmministrazione", false},
        {so, false},
        {so + "_Indirizzo", "Via Po 1"},
        {so + "_CAP", "10100"},
        {so + "_Comune", "Torino"},
        {so + "_Nazione", "IT"},
        {rf, false},
        {rf + "_Nazione", "FR"},
        {rf + "_IdCodice", "FR12345"},
        {rf + "_Denominazione", "Rep"},
    };
    checkRules(
        editor, valid,
        {
            {"valid", {}, ""},
            {"VAT number without country",
             {{p + "IdPaese", QVariant()}},
             "Attenzione manca la Nazione",
             p + "IdPaese"},
            {"no VAT number, no country",
             {{p + "IdPaese", QVariant()}, {p + "IdCodice", ""}},
             "Attenzione Manca o il codice fiscale oppure la partita Iva",
             p + "IdCodice"},
            {"tax code only, no country",
             {{p + "IdPaese", QVariant()},
              {p + "IdCodice", ""},
              {p + "CodiceFiscale", "RSSMRA80A01H501U"}},
             ""},
            {"no name",
             {{p + "Denominazione", ""}},
             "Attenzione manca la Ragione sociale oppure Nome e Cognome"},
            {"no CAP", {{p + "Sede_CAP", ""}}, "Attenzione manca il Cap", p + "Sede_CAP", 0},
            {"no Sede country",
             {{p + "Sede_Nazione", ""}},
             "Attenzione manca la Nazione",
             p + "Sede_Nazione",
             0},
            {"short Italian CAP",
             {{p + "Sede_CAP", "2012"}},
             "Attenzione il codice CAP deve essere di almeno 5 caratteri",
             p + "Sede_CAP",
             0},
            {"short foreign CAP",
             {{p + "Sede_CAP", "2012"}, {p + "Sede_Nazione", "FR"}},
             "Attenzione il CAP deve essere di 5 cifre anche per un indirizzo estero: se non ne "
             "ha uno di 5 cifre indicare 00000",
             p + "Sede_CAP",
             0},
            {"foreign address without a postcode of its kind",
             {{p + "Sede_CAP", "00000"}, {p + "Sede_Nazione", "FR"}},
             ""},
            {"tax code of 10",
             {{p + "CodiceFiscale", "0123456789"}},
             "Attenzione il Codice fiscale deve essere di almeno 11 caratteri",
             p + "CodiceFiscale"},
            {"establishment with a short Italian CAP",
             {{so, true}, {so + "_CAP", "101"}},
             "Attenzione il Cap dello Stabile dell'organizzazione deve essere di almeno 5 "
             "Caratteri !",
             so + "_CAP",
             1},
            {"establishment with a short foreign CAP",
             {{so, true}, {so + "_CAP", "101"}, {so + "_Nazione", "FR"}},
             "Attenzione il Cap dello Stabile dell'organizzazione deve essere di almeno 5 "
             "Caratteri !",
             so + "_CAP",
             1},
            {"representative without VAT number",
             {{rf, true}, {rf + "_IdCodice", ""}},
             "Attenzione manca la Partita Iva",
             rf + "_IdCodice",
             2},
            {"representative without name",
             {{rf, true}, {rf + "_Denominazione", ""}},
             "Attenzione manca la Ragione sociale oppure Nome e Cognome",
             QString(),
             2},
            {"public administration with a PEC only",
             {{p + "PubblicaAmministrazione", true},
              {p + "CodiceUnivocoUfficio", ""},
              {p + "Pec", "pa@pec.example"}},
             "Attenzione manca il codice destinatario - codice univoco",
             p + "CodiceUnivocoUfficio"},
            {"public administration with its office code",
             {{p + "PubblicaAmministrazione", true}, {p + "CodiceUnivocoUfficio", "UFABCD"}},
             ""},
            {"public administration with a recipient code",
             {{p + "PubblicaAmministrazione", true}, {p + "CodiceUnivocoUfficio", "ABC1234"}},
             "Attenzione il codice destinatario di una Pubblica Amministrazione (codice univoco "
             "ufficio) deve essere di 6 caratteri",
             p + "CodiceUnivocoUfficio"},
            {"public administration with a short office code",
             {{p + "PubblicaAmministrazione", true}, {p + "CodiceUnivocoUfficio", "UFA"}},
             "Attenzione il codice destinatario di una Pubblica Amministrazione (codice univoco "
             "ufficio) deve essere di 6 caratteri",
             p + "CodiceUnivocoUfficio"},
            {"private customer with an office code",
             {{p + "CodiceUnivocoUfficio", "UFABCD"}},
             "Attenzione il codice destinatario deve essere di 7 caratteri (0000000 per chi riceve "
             "con la PEC o non è accreditato)",
             p + "CodiceUnivocoUfficio"},
            {"private customer without an exchange channel",
             {{p + "CodiceUnivocoUfficio", "0000000"}},
             ""},
            {"private customer with a PEC only",
             {{p + "CodiceUnivocoUfficio", ""}, {p + "Pec", "a@pec.example"}},
             ""},
            {"private customer without address",
             {{p + "CodiceUnivocoUfficio", ""}},
             "Attenzione manca il codice destinatario accreditato sdi - o la pec",
             p + "Pec"},
        });
}

TEST_F(MasterDataTest, RepresentativeIntermediaryAndCarrierRules) {
    const auto valid = [](const QString& p) {
        return Values{{p + "IdPaese", "IT"},     {p + "IdCodice", "01234567897"},
                      {p + "CodiceFiscale", ""}, {p + "Denominazione", "Gamma Srl"},
                      {p + "Cognome", ""},       {p + "Nome", ""},
                      {p + "Titolo", ""},        {p + "CodEORI", ""}};
    };
    const QString r = "RappresentanteFiscale_DatiAnagrafici_";
    makeRow("TablePA_RappresentanteFiscale", "PA_RappresentanteFiscale",
            {{"RappresentanteFiscale", 0}});
    RappresentanteFiscaleEditor representative(db);
    checkRules(representative, valid(r) + Values{{"RappresentanteFiscale", true}},
               {
                   {"valid", {}, ""},
                   {"switched off and empty",
                    {{"RappresentanteFiscale", false},
                     {r + "IdPaese", QVariant()},
                     {r + "IdCodice", ""},
                     {r + "Denominazione", ""},
                     {r + "Titolo", "x"}},
                    ""},
                   {"no VAT number",
                    {{r + "IdCodice", ""}},
                    "Attenzione manca la Partita Iva",
                    r + "IdCodice"},
                   {"no country",
                    {{r + "IdPaese", QVariant()}},
                    "Attenzione manca la Nazione",
                    r + "IdPaese"},
                   {"no name",
                    {{r + "Denominazione", ""}},
                    "Attenzione manca la Ragione sociale oppure Nome e Cognome"},
                   {"EORI of 12",
                    {{r + "CodEORI", "IT1234567890"}},
                    "Attenzione il codice EORI deve essere di almeno 13 caratteri",
                    r + "CodEORI"},
               });

    const QString t = "TerzoIntermediarioOSoggettoEmittente_";
    makeRow("TablePA_TerzoIntermediarioOSoggettoEmittente",
            "PA_TerzoIntermediarioOSoggettoEmittente",
            {{"TerzoIntermediarioOSoggettoEmittente", 0}});
    TerzoIntermediarioEditor intermediary(db);
    checkRules(intermediary, valid(t) + Values{{"TerzoIntermediarioOSoggettoEmittente", true}},
               {
                   {"valid", {}, ""},
                   {"tax code alone",
                    {{t + "IdCodice", ""},
                     {t + "IdPaese", QVariant()},
                     {t + "CodiceFiscale", "01234567897"}},
                    ""},
                   {"VAT number without country",
                    {{t + "IdPaese", QVariant()}},
                    "Attenzione manca la Nazione",
                    t + "IdPaese"},
                   {"title of 1",
                    {{t + "Titolo", "D"}},
                    "Attenzione il Titolo deve essere di almeno 2 caratteri",
                    t + "Titolo"},
               });

    makeRow("TableVettori", "Vettori", {{"Denominazione", "Alfa"}});
    VettoreEditor carrier(db);
    checkRules(carrier, valid(""),
               {
                   {"valid", {}, ""},
                   {"tax code without VAT number",
                    {{"IdCodice", ""}, {"CodiceFiscale", "01234567897"}},
                    "Attenzione manca la Partita Iva",
                    "IdCodice"},
                   {"no name",
                    {{"Denominazione", ""}},
                    "Attenzione manca la Ragione sociale oppure Nome e Cognome"},
                   {"tax code of 10",
                    {{"CodiceFiscale", "0123456789"}},
                    "Attenzione il Codice fiscale deve essere di almeno 11 caratteri",
                    "CodiceFiscale"},
               });
}

TEST_F(MasterDataTest, MunicipalityAndVatRateRules) {
    makeRow("TableComuni", "Comuni", {{"Comune", "Qwertopoli"}});
    ComuneEditor comune(db);
    checkRules(
        comune, {{"Comune", "Qwertopoli"}},
        {{"valid", {}, ""},
         {"no name", {{"Comune", ""}}, "Attenzione manca la Descrizione del Comune", "Comune"}});

    makeRow("TableIva", "Iva", {{"Descrizione", "Qwerty"}, {"Iva", 0}});
    IvaEditor iva(db);
    Dataset& rates = iva.dataset();
    checkRules(iva, {{"Descrizione", "Qwerty"}, {"Iva", 0.0}, {"Pa_Natura_Codice", "N4"}},
               {
                   {"zero rate with a nature", {}, ""},
                   {"no description",
                    {{"Descrizione", ""}},
                    "Attenzione manca la Descrizione",
                    "Descrizione"},
                   {"no rate", {{"Iva", QVariant()}}, "Attenzione manca l' Aliquota Iva", "Iva"},
                   {"a rate with two decimals", {{"Iva", 5.5}}, ""},
                   {"over 100", {{"Iva", 150.0}}, vat::kImpossibleRateMessage, "Iva"},
                   {"negative", {{"Iva", -5.0}}, vat::kImpossibleRateMessage, "Iva"},
                   {"a fraction for 22 %", {{"Iva", 0.22}}, vat::kImpossibleRateMessage, "Iva"},
                   {"three decimals", {{"Iva", 22.555}}, vat::kImpossibleRateMessage, "Iva"},
                   {"a retired nature",
                    {{"Pa_Natura_Codice", "N2"}},
                    vat::kRetiredNatureMessage,
                    "Pa_Natura_Codice"},
                   {"zero rate without nature",
                    {{"Pa_Natura_Codice", QVariant()}},
                    "Attenzione si deve specificare la natura di esenzione dell' Aliquota Iva",
                    "Pa_Natura_Codice"},
               });
    EXPECT_EQ(scripted.calls().last().title, "Messaggio di Errore");

    // Only the natures a line accepts are offered.
    auto* natura = qobject_cast<BoundLookup*>(iva.field("Pa_Natura_Codice"));
    auto* rows = natura ? qobject_cast<QListView*>(natura->view()) : nullptr;
    ASSERT_TRUE(rows);
    const Dataset& natures = db.table("TablePA_Natura");
    int hidden = 0;
    for (int r = 0; r < natures.rowCount(); ++r) {
        const QString code = natures.valueAt(r, natures.columnIndex("Codice")).toString();
        EXPECT_EQ(rows->isRowHidden(r), vat::isRetiredNature(code)) << code.toStdString();
        hidden += rows->isRowHidden(r) ? 1 : 0;
    }
    EXPECT_EQ(hidden, 3);

    // A rate from 0 to 22 loses its nature on save, without a word.
    ASSERT_TRUE(rates.locate("Descrizione", "Qwerty"));
    set(rates, {{"Pa_Natura_Codice", "N4"}});
    scripted.clear();
    ASSERT_TRUE(iva.save());
    qobject_cast<QLineEdit*>(iva.field("Iva"))->selectAll();
    QTest::keyClicks(iva.field("Iva"), "22");
    EXPECT_EQ(rates.number("Iva"), 22);
    EXPECT_TRUE(iva.save());
    EXPECT_TRUE(scripted.calls().isEmpty());
    EXPECT_TRUE(db.connessione()
                    .scalar("select Pa_Natura_Codice from Iva where Descrizione = 'Qwerty'")
                    .isNull());
    EXPECT_TRUE(rates.isNull("Pa_Natura_Codice"));
}

TEST_F(MasterDataTest, PicksFillTheAddressAndTheRegion) {
    const QString p = "CessionarioCommittente_";
    makeRow("TablePA_CessionarioCommittente", "PA_CessionarioCommittente",
            {{p + "Denominazione", "Alfa"}});
    // A municipality whose nation has no row in Nazioni.
    sql("insert into Comuni (Comune, CAP, Provincia, Nazione_ID) values ('Qwertopoli', '12345', "
        "'TO', 99999)");
    db.table("TableComuni").requery();
    CessionarioEditor customer(db);
    Dataset& row = customer.dataset();
    pick(customer.lookup(p + "Sede_Comune"), "Milano");
    EXPECT_EQ(row.text(p + "Sede_CAP"), db.table("TableComuni").text("CAP"));
    EXPECT_EQ(row.text(p + "Sede_Provincia"), "MI");
    EXPECT_EQ(row.text(p + "Sede_Nazione"), "IT");
    EXPECT_TRUE(customer.isModified());
    set(row, {{p + "StabileOrganizzazione_Nazione", "FR"}});
    pick(customer.lookup(p + "StabileOrganizzazione_Comune"), "Qwertopoli");
    EXPECT_EQ(row.text(p + "StabileOrganizzazione_CAP"), "12345");
    EXPECT_EQ(row.text(p + "StabileOrganizzazione_Provincia"), "TO");
    EXPECT_EQ(row.text(p + "StabileOrganizzazione_Nazione"), "IT");
    row.cancel();

    // The region follows the province, and can be changed afterwards.
    ComuneEditor comune(db);
    Dataset& comuni = comune.dataset();
    ASSERT_TRUE(comuni.locate("Comune", "Qwertopoli"));
    pick(comune.lookup("Provincia"), "Milano");
    EXPECT_EQ(comuni.integer("Regione_ID"), 3);
    EXPECT_EQ(comune.lookup("Regione_ID")->currentText(), "Lombardia");
    pick(comune.lookup("Regione_ID"), "Piemonte");
    EXPECT_EQ(comuni.integer("Regione_ID"), 1);
    EXPECT_TRUE(comune.isModified());
    comuni.cancel();
}

TEST_F(MasterDataTest, CustomerNamesForListsAndDocuments) {
    const QString p = "CessionarioCommittente_";
    makeRow("TablePA_CessionarioCommittente", "PA_CessionarioCommittente",
            {{p + "Denominazione", "Alfa"}});
    CessionarioEditor editor(db);
    Dataset& row = editor.dataset();
    const struct {
        const char *name, *surname, *firstName, *taxCode, *listed, *printed;
    } cases[] = {
        {"Bianchi Spa", "", "", "", "Bianchi Spa", "Bianchi Spa"},
        {"Bianchi Spa", "Rossi", "Mario", "RSSMRA80A01H501U", "Bianchi Spa", "Bianchi Spa"},
        {"X", "Rossi", "Mario", "RSSMRA80A01H501U", "Rossi Mario - RSSMRA80A01H501U",
         "Rossi Mario"},
        {"", "Rossi", "Mario", "", "Rossi Mario", "Rossi Mario"},
        {"X", "", "", "", " ", " "},
    };
    for (const auto& c : cases) {
        set(row, {{p + "IdPaese", "IT"},
                  {p + "IdCodice", "12345678903"},
                  {p + "Denominazione", c.name},
                  {p + "Cognome", c.surname},
                  {p + "Nome", c.firstName},
                  {p + "CodiceFiscale", c.taxCode},
                  {p + "Sede_Indirizzo", "Via Po 1"},
                  {p + "Sede_CAP", "10100"},
                  {p + "Sede_Comune", "Torino"},
                  {p + "Sede_Nazione", "IT"},
                  {p + "CodiceUnivocoUfficio", "0000000"}});
        ASSERT_TRUE(editor.save()) << scripted.messages().join("|").toStdString();
        const QString key = row.text(p + "ID");
        const auto stored = [&](const QString& column) {
            return db.connessione()
                .scalar("select " + column + " from PA_CessionarioCommittente where " + p +
                        "ID = " + key)
                .toString();
        };
        EXPECT_EQ(stored(p + "NominativoVisualizzato"), c.listed) << c.name << c.surname;
        EXPECT_EQ(stored(p + "NominativoDocumenti"), c.printed) << c.name << c.surname;
    }
}

TEST_F(MasterDataTest, CheckDigitsAndDuplicatesAreWarningsOnly) {
    const QString p = "CessionarioCommittente_";
    sql("insert into PA_CessionarioCommittente (" + p + "IdPaese, " + p + "IdCodice, " + p +
        "Denominazione) values ('IT', '12345678903', 'Bianchi Spa')");
    makeRow("TablePA_CessionarioCommittente", "PA_CessionarioCommittente",
            {{p + "Denominazione", "Zeta"}});
    CessionarioEditor editor(db);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    Dataset& row = editor.dataset();
    set(row, {{p + "Sede_Indirizzo", "Via Po 1"},
              {p + "Sede_CAP", "10100"},
              {p + "Sede_Comune", "Torino"},
              {p + "Sede_Nazione", "IT"},
              {p + "CodiceUnivocoUfficio", "0000000"},
              {p + "IdPaese", "IT"},
              {p + "IdCodice", "12345678901"}});

    scripted.answerQuestion(false);
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(scripted.calls().last().text,
              "Attenzione la Partita Iva 12345678901 non sembra valida: salvare comunque?");
    EXPECT_EQ(scripted.calls().last().title, "Messaggio di avviso");
    EXPECT_EQ(QApplication::focusWidget(), editor.field(p + "IdCodice"));
    EXPECT_TRUE(editor.saveFailed());

    scripted.answerQuestion(true);
    EXPECT_TRUE(editor.save());
    scripted.clear();
    EXPECT_TRUE(editor.save()) << "a value accepted once is not questioned again";
    EXPECT_TRUE(scripted.calls().isEmpty());

    // Same VAT number as another customer: a question naming it; a wrong tax code too.
    set(row, {{p + "IdCodice", "12345678903"}, {p + "CodiceFiscale", "RSSMRA80A01H501A"}});
    scripted.answerQuestion(true);
    scripted.answerQuestion(true);
    EXPECT_TRUE(editor.save());
    ASSERT_EQ(scripted.calls().size(), 2);
    EXPECT_EQ(scripted.calls()[0].text,
              "Attenzione il Codice fiscale RSSMRA80A01H501A non sembra valido: salvare comunque?");
    EXPECT_EQ(scripted.calls()[1].text,
              "Attenzione esiste già il Cessionario - Committente \"Bianchi Spa\" con la stessa "
              "Partita Iva: salvare comunque?");
    // A foreign VAT number has no Italian check digit.
    scripted.clear();
    set(row, {{p + "IdPaese", "FR"}, {p + "IdCodice", "FR123"}});
    EXPECT_TRUE(editor.save());
    EXPECT_TRUE(scripted.calls().isEmpty());
    editor.hide();
}

TEST_F(MasterDataTest, TheIbanTakesNoSpaces) {
    makeRow("TablePA_CedentePrestatore", "PA_CedentePrestatore",
            {{"CedentePrestatore_Denominazione", "Alfa"}});
    CedenteEditor editor(db);
    auto* iban = qobject_cast<QLineEdit*>(editor.field("DPIban"));
    ASSERT_NE(iban, nullptr);
    QTest::keyClick(iban, Qt::Key_Space);
    EXPECT_FALSE(editor.isModified()) << "a space alone changes nothing";
    QTest::keyClicks(iban, "it60 x054");
    EXPECT_EQ(iban->text(), "IT60X054");
    EXPECT_EQ(editor.dataset().text("DPIban"), "IT60X054");
    EXPECT_TRUE(editor.isModified());
    editor.dataset().cancel();
}

TEST_F(MasterDataTest, ARefusedSaveOrDeleteIsShownAndTheListShowsTheArchive) {
    for (const char* name : {"Alfa", "Beta"})
        sql("insert into Vettori (Denominazione, IdPaese, IdCodice) values (?, 'IT', "
            "'01234567897')",
            {QString(name)});
    VettoriBrowser carriers(db);
    VettoreEditor editor(db);
    carriers.setEditor(&editor);
    Dataset& d = carriers.dataset();
    d.requery();
    ASSERT_TRUE(d.locate("Denominazione", "Beta"));

    Connection other; // another workstation writing: it holds the write lock, reads go on
    other.open(archive);
    other.execNative("BEGIN IMMEDIATE");
    QTest::keyClicks(editor.field("Denominazione"), "x");
    editor.indietro();
    EXPECT_TRUE(editor.saveFailed()) << "the screen stays open";
    ASSERT_EQ(scripted.messages().size(), 1);
    EXPECT_TRUE(scripted.messages().first().startsWith("Le modifiche non sono state salvate"));
    EXPECT_EQ(d.text("Denominazione"), "Beta") << "the row shows what the archive holds";

    scripted.answerQuestion(true);
    EXPECT_FALSE(carriers.elimina());
    EXPECT_EQ(scripted.messages().size(), 2) << "the refused delete is shown";
    EXPECT_EQ(d.rowCount(), 2);
    other.execNative("ROLLBACK");
    EXPECT_EQ(count("Vettori"), 2);
}

} // namespace
