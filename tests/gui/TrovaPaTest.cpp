// The public-administration finder and the directory import screen on a real archive: every
// criterion alone and together, the copy into the customer through the customer editor's
// "Cerca P.A.", and the import with its summary.
#include "ShellFixture.h"

#include "masterdata/PartyEditors.h"
#include "store/DataModule.h"
#include "store/IpaDirectory.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"
#include "ui/ScreenHost.h"
#include "utility/ImportaElencoPaWindow.h"
#include "utility/TrovaPaWindow.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

const QString p = QStringLiteral("CessionarioCommittente_");
const QString kLongName = QString("Ministero dell'Economia e delle Finanze - Dipartimento della "
                                  "Ragioneria Generale dello Stato - Ispettorato");
const QString kLongAddress =
    QString("Via XX Settembre 97, Palazzo delle Finanze, ingresso di via Goito, scala B");

class TrovaPaTest : public ::testing::Test {
protected:
    void SetUp() override {
        archive = test::copyOfNewArchive(folder);
        db.connessione().open(archive);
        db.openAllDatasets();
        setPrompt(&scripted);
    }
    void TearDown() override {
        setPrompt(nullptr);
        setModalShower({});
    }
    QString write(const QString& name, const QString& text) {
        const QString path = folder.file(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        return path;
    }
    QString directoryFile() {
        return write("uo.csv",
                     "Codice_uni_uo,Descrizione_uo,Denominazione_ente,Codice_fiscale_ente,"
                     "Codice_comune_ISTAT,CAP,Indirizzo,Codice_IPA\n"
                     "AAAAAA,Ufficio Ragioneria,Comune dell'Aquila,80002270660,066049,67100,"
                     "Via San Bernardino,c_a345\n"
                     "BBBBBB,Dipartimento Risorse Economiche,Roma Capitale,02438750586,058091,"
                     "00154,Via Ostiense 131/L,c_h501\n"
                     "CCCCCC,Ispettorato Generale,\"" +
                         kLongName + "\",80415740580,058091,00187,\"" + kLongAddress +
                         "\",mef\n"
                         "DDDDDD,Sede centrale,Agenzia senza sede nota,97000000000,,,Via "
                         "Nota,ag\n"
                         "EEEEEE,Area Tributi,Comune di Milano,01199250158,015146,20121,Piazza "
                         "della Scala 2,c_f205\n");
    }
    void loadDirectory() {
        const QString enti = write("enti.csv", "Codice_IPA,Tipologia\n"
                                               "mef,Ministeri\n"
                                               "c_a345,Comuni e loro Consorzi\n"
                                               "c_f205,Comuni e loro Consorzi\n");
        ipa::importDirectory(db.connessione(), directoryFile(), enti);
    }
    // The codes the finder shows after a search with these box texts.
    QStringList search(TrovaPaWindow& finder, const QStringList& texts) {
        finder.reset();
        for (int i = 0; i < texts.size(); ++i)
            finder.findChild<QLineEdit*>(QString("Edit%1").arg(i + 1))->setText(texts[i]);
        finder.cerca();
        QStringList codes;
        Dataset& result = finder.dataset();
        if (!result.isOpen())
            return {"(chiuso)"};
        for (int row = 0; row < result.rowCount(); ++row)
            codes << result.valueAt(row, result.columnIndex("codice_univoco")).toString();
        return codes;
    }
    void makeCustomer() {
        db.connessione().exec(
            "insert into PA_CessionarioCommittente (CessionarioCommittente_Denominazione, "
            "CessionarioCommittente_Sede_Comune, CessionarioCommittente_Sede_Provincia, "
            "CessionarioCommittente_Sede_CAP, CessionarioCommittente_Sede_Nazione, "
            "CessionarioCommittente_IdPaese, CessionarioCommittente_IdCodice) values ('Vecchio "
            "nome', 'Torino', 'TO', '10121', 'IT', 'IT', '01234567890')");
        Dataset& customers = db.table("TablePA_CessionarioCommittente");
        customers.requery();
        ASSERT_TRUE(customers.locate(p + "Denominazione", "Vecchio nome"));
    }
    QString stored(const QString& column) {
        return db.connessione()
            .scalar("select " + p + column + " from PA_CessionarioCommittente")
            .toString();
    }

    test::TempFolder folder;
    QString archive;
    DataModule db;
    test::ScriptedPrompt scripted;
};

TEST_F(TrovaPaTest, EachCriterionAloneAndCombined) {
    loadDirectory();
    TrovaPaWindow finder(db);
    const QString none = "(chiuso)";
    const struct {
        QStringList texts; // Comune, Desc. PA, Cod. univoco, Ufficio, Cod. fiscale, Provincia,
                           // Indirizzo, Tipologia
        QStringList codes;
    } cases[] = {
        {{"aquila"}, {"AAAAAA"}},
        {{"L'Aquila"}, {"AAAAAA"}},
        {{"", "comune d"}, {"AAAAAA", "EEEEEE"}},
        {{"", "", "bbb"}, {"BBBBBB"}},
        {{"", "", "", "risorse*economiche"}, {"BBBBBB"}},
        {{"", "", "", "", "8000227"}, {"AAAAAA"}},
        // Provincia: an exact match on the two letters; ordered by name within Roma.
        {{"", "", "", "", "", "rm"}, {"CCCCCC", "BBBBBB"}},
        {{"", "", "", "", "", "", "ostiense"}, {"BBBBBB"}},
        {{"", "", "", "", "", "", "", "minister"}, {"CCCCCC"}},
        // An office whose municipality is unknown is still found by its other data.
        {{"", "agenzia"}, {"DDDDDD"}},
        {{"roma", "", "", "dipartimento"}, {"BBBBBB"}},
        {{"", "comune", "", "", "", "MI"}, {"EEEEEE"}},
        {{"milano", "", "", "", "", "RM"}, {}},
        {{"*", "", "", "", "", "R"}, {none}},
        {{"", "", "", "", "", "RMA"}, {none}},
        {{"", "", "", "", "", "RMA", "", "ministeri"}, {"CCCCCC"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.texts.join('|').toStdString());
        scripted.clear();
        EXPECT_EQ(search(finder, c.texts), c.codes);
        if (c.codes == QStringList{none}) {
            ASSERT_EQ(scripted.calls().size(), 1);
            EXPECT_EQ(scripted.calls()[0].title, "Messaggio di avviso");
            EXPECT_EQ(scripted.calls()[0].text,
                      "Attenzione ! E' necessario inserire i criteri di ricerca !");
        } else {
            EXPECT_TRUE(scripted.calls().isEmpty());
        }
    }
    // The query itself: the province exact, the others contains matches, "*" as a wildcard.
    const QString sql = TrovaPaWindow::searchSql({"a*b", "", "", "", "", "AQ"});
    EXPECT_TRUE(sql.contains(" where  Comuni.Comune like '%a%b%' and  Comuni.Provincia like 'AQ' "
                             "ORDER BY Comuni.Comune,"));

    // Enter in a box searches; "reset" empties the boxes and closes the result.
    finder.reset();
    auto* ufficio = finder.findChild<QLineEdit*>("Edit4");
    ufficio->setText("tributi");
    QTest::keyClick(ufficio, Qt::Key_Return);
    ASSERT_TRUE(finder.dataset().isOpen());
    EXPECT_EQ(finder.dataset().text("codice_univoco"), "EEEEEE");
    finder.findChild<QPushButton*>("BitBtn3")->click();
    EXPECT_TRUE(ufficio->text().isEmpty());
    EXPECT_FALSE(finder.dataset().isOpen());
    EXPECT_TRUE(finder.findChild<QLabel*>("lblElenco")->text().startsWith("Elenco aggiornato al"));
}

// "Cerca P.A." in the customer editor: the finder at once (searching loses nothing), the copy
// after a question that names each value the office replaces (Yes by default), cut to the
// lengths of the customer's columns, stored, and shown by the editor.
TEST_F(TrovaPaTest, CercaPaCopiesTheOfficeIntoTheCustomer) {
    loadDirectory();
    makeCustomer();
    TrovaPaWindow finder(db);
    CessionarioEditor editor(db);
    EXPECT_FALSE(editor.cercaPaButton()->isEnabled());
    editor.setFinder([&finder] {
        finder.reset();
        showModal(finder);
    });
    ASSERT_TRUE(editor.cercaPaButton()->isEnabled());

    int shown = 0;
    std::function<void(TrovaPaWindow&)> scenario;
    setModalShower([&](QDialog& screen) {
        EXPECT_EQ(&screen, &finder);
        ++shown;
        scenario(finder);
        return finder.result();
    });

    // "Avanti" on an empty result asks nothing; No to the copy leaves the customer as it was.
    scenario = [&](TrovaPaWindow& f) {
        EXPECT_EQ(search(f, {"nessuno"}), QStringList{});
        f.findChild<QPushButton*>("spdAvanti")->click();
        EXPECT_TRUE(scripted.calls().isEmpty());
        EXPECT_EQ(search(f, {"", "", "cccccc"}), QStringList{"CCCCCC"});
        scripted.answerQuestion(false);
        f.findChild<QPushButton*>("spdAvanti")->click();
        f.findChild<QPushButton*>("spdIndietro")->click();
    };
    editor.cercaPaButton()->click();
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(scripted.calls().size(), 1);
    EXPECT_EQ(scripted.calls()[0].text,
              "I dati del Cessionario committente saranno sostituiti con quelli dell'ufficio "
              "scelto:\n\n"
              "Rag. Sociale: «Vecchio nome» diventa «" +
                  kLongName.left(80) +
                  "»\n"
                  "Comune: «Torino» diventa «Roma»\n"
                  "Provincia: «TO» diventa «RM»\n"
                  "CAP: «10121» diventa «00187»\n\n"
                  "Vuoi proseguire ?");
    EXPECT_EQ(scripted.calls()[0].byDefault, Prompt::Choice::Yes);
    EXPECT_EQ(stored("Denominazione"), "Vecchio nome");
    EXPECT_EQ(stored("CodiceUnivocoUfficio"), "");
    EXPECT_FALSE(db.table("TablePA_fatturazioneElettronica").isOpen());

    // Yes: the office is copied and stored; the finder closes.
    scenario = [&](TrovaPaWindow& f) {
        EXPECT_EQ(search(f, {"", "", "cccccc"}), QStringList{"CCCCCC"});
        scripted.answerQuestion(true);
        Q_EMIT f.grid()->rowActivated(); // a double click
    };
    scripted.clear();
    editor.cercaPaButton()->click();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(finder.result(), QDialog::Accepted);
    EXPECT_EQ(scripted.calls().size(), 1);
    ASSERT_GT(kLongName.size(), 80);
    ASSERT_GT(kLongAddress.size(), 60);
    EXPECT_EQ(stored("Denominazione"), kLongName.left(80));
    EXPECT_EQ(stored("NominativoVisualizzato"), kLongName.left(80));
    EXPECT_EQ(stored("NominativoDocumenti"), kLongName.left(80));
    EXPECT_EQ(stored("Sede_Indirizzo"), kLongAddress.left(60));
    EXPECT_EQ(stored("Sede_Comune"), "Roma");
    EXPECT_EQ(stored("Sede_Provincia"), "RM");
    EXPECT_EQ(stored("Sede_CAP"), "00187");
    EXPECT_EQ(stored("CodiceFiscale"), "80415740580");
    EXPECT_EQ(stored("CodiceUnivocoUfficio"), "CCCCCC");
    EXPECT_EQ(stored("PubblicaAmministrazione"), "1");
    // Left as they were.
    EXPECT_EQ(stored("IdCodice"), "01234567890");
    EXPECT_EQ(stored("Sede_Nazione"), "IT");
    EXPECT_EQ(qobject_cast<QLineEdit*>(editor.field(p + "CodiceUnivocoUfficio"))->text(), "CCCCCC");
    EXPECT_FALSE(db.table("TablePA_fatturazioneElettronica").isOpen());

    // An office without a known municipality keeps the customer's.
    scenario = [&](TrovaPaWindow& f) {
        EXPECT_EQ(search(f, {"", "agenzia"}), QStringList{"DDDDDD"});
        scripted.answerQuestion(true);
        f.modifica();
    };
    editor.cercaPaButton()->click();
    EXPECT_EQ(stored("CodiceUnivocoUfficio"), "DDDDDD");
    EXPECT_EQ(stored("Sede_Comune"), "Roma");
    EXPECT_EQ(stored("Sede_CAP"), "00187");

    // A customer with nothing the office would replace: copied without a question.
    db.connessione().exec("update PA_CessionarioCommittente set CessionarioCommittente_"
                          "Denominazione = null, CessionarioCommittente_NominativoVisualizzato = "
                          "null, CessionarioCommittente_NominativoDocumenti = null, "
                          "CessionarioCommittente_Sede_Indirizzo = null, CessionarioCommittente_"
                          "Sede_Comune = null, CessionarioCommittente_Sede_Provincia = null, "
                          "CessionarioCommittente_Sede_CAP = null, CessionarioCommittente_"
                          "CodiceFiscale = null, CessionarioCommittente_CodiceUnivocoUfficio = "
                          "null");
    db.table("TablePA_CessionarioCommittente").requery();
    scripted.clear();
    scenario = [&](TrovaPaWindow& f) {
        EXPECT_EQ(search(f, {"", "", "bbbbbb"}), QStringList{"BBBBBB"});
        f.modifica();
    };
    editor.cercaPaButton()->click();
    EXPECT_TRUE(scripted.calls().isEmpty()) << scripted.messages().join('|').toStdString();
    EXPECT_EQ(stored("Denominazione"), "Roma Capitale");
    EXPECT_EQ(stored("CodiceUnivocoUfficio"), "BBBBBB");
}

// Every column of the finder's grid shows in its window, without scrolling sideways.
TEST_F(TrovaPaTest, TheGridFitsItsWindow) {
    TrovaPaWindow finder(db);
    finder.show();
    int widths = 0;
    for (int c = 0; c < finder.grid()->model()->columnCount(); ++c)
        widths += finder.grid()->columnWidth(c);
    EXPECT_LE(widths, finder.grid()->viewport()->width());
    finder.hide();
}

// An empty directory: the finder offers the import; the import screen loads the file, reports,
// and a refused file leaves the directory as it was.
TEST_F(TrovaPaTest, EmptyDirectoryOffersTheImport) {
    TrovaPaWindow finder(db);
    ImportaElencoPaWindow importer(db);
    finder.openImport = [&] { showModal(importer); };
    setModalShower([&](QDialog& screen) {
        EXPECT_EQ(&screen, &importer);
        importer.findChild<QPushButton*>("btnSfogliaUffici")->click();
        importer.findChild<QPushButton*>("spdImporta")->click();
        return 0;
    });
    finder.findChild<QLineEdit*>("Edit1")->setText("roma");

    scripted.answerQuestion(false);
    finder.cerca();
    ASSERT_EQ(scripted.calls().size(), 1);
    EXPECT_EQ(scripted.calls()[0].text, "L'elenco delle amministrazioni è vuoto: importarlo da "
                                        "un file scaricato da IndicePA?");
    EXPECT_EQ(scripted.calls()[0].byDefault, Prompt::Choice::Yes);
    EXPECT_FALSE(finder.dataset().isOpen());

    scripted.clear();
    scripted.answerQuestion(true);
    scripted.answerOpenFile(directoryFile());
    finder.cerca();
    ASSERT_EQ(scripted.calls().size(), 3);
    EXPECT_EQ(scripted.calls()[2].text, "Elenco delle amministrazioni aggiornato.\n"
                                        "Uffici letti: 5\nUffici importati: 5\n"
                                        "Uffici importati senza comune (non trovato nella tabella "
                                        "dei Comuni): 1");
    ASSERT_TRUE(finder.dataset().isOpen());
    EXPECT_EQ(finder.dataset().rowCount(), 2);
    EXPECT_TRUE(importer.findChild<QLabel*>("lblElenco")->text().contains("(file uo.csv)"));
    // The screen says where the files are published.
    EXPECT_TRUE(importer.findChild<QLabel*>("lblIstruzioni")
                    ->text()
                    .contains("https://indicepa.gov.it/ipa-dati/"));

    // A file that is not the directory: refused, the directory kept.
    scripted.clear();
    importer.officesFile()->setText(write("x.csv", "a,b\n1,2\n"));
    EXPECT_FALSE(importer.importa());
    ASSERT_EQ(scripted.calls().size(), 1);
    EXPECT_EQ(scripted.calls()[0].title, "Messaggio di errore");
    EXPECT_TRUE(scripted.calls()[0].text.endsWith("L'elenco precedente è rimasto invariato."));
    EXPECT_EQ(db.connessione()
                  .scalar("select count(*) from PA_Amministrazioni_FatturaElettronica")
                  .toInt(),
              5);
}

// In the program: "Aggiorna elenco P.A." on the Utility tab opens the import, and the customer
// editor's "Cerca P.A." is enabled.
using test::ShellTest;

TEST_F(ShellTest, DirectoryScreensAreReachable) {
    makeArchive();
    ASSERT_TRUE(start());
    QList<QDialog*> shown;
    setModalShower([&](QDialog& screen) {
        shown << &screen;
        return 0;
    });
    window().button("btnAggiornaElencoPA")->click();
    setModalShower({});
    EXPECT_EQ(shown, QList<QDialog*>{&screens->get<ImportaElencoPaWindow>()});
    EXPECT_TRUE(screens->get<CessionarioEditor>().cercaPaButton()->isEnabled());
}

} // namespace
