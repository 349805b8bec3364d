// The body editor driven as a user would on a real archive: its save rules and the two warnings,
// the carrier and municipality picks, and the management of the body's fifteen sections (start
// values, flags given to their screens, second-level rows, deletes, batch adds, user defaults).
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "logic/DocumentRegister.h"
#include "logic/RiepilogoBuilder.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"
#include "ui/BoundInputs.h"
#include "ui/ScreenHost.h"

#include <QCheckBox>
#include <QDate>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

// A section screen that only records how it was opened.
class StubScreen : public EditorBase {
public:
    StubScreen(DataModule& db, const QString& dataset)
        : EditorBase(db, dataset, QStringLiteral("Id"), QStringLiteral("stub")) {}
};

class BodyEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.connessione().open(test::copyOfNewArchive(folder));
        db.openAllDatasets();
        setPrompt(&scripted);
        ASSERT_TRUE(documents.aggiungi());
        reg.setBodyEditor(&editor);
        setModalShower([](QDialog&) { return 0; });
        ASSERT_TRUE(reg.aggiungi());
        scripted.clear();
    }
    void TearDown() override {
        setPrompt(nullptr);
        setModalShower({});
    }

    Dataset& body() { return db.table("TablePA_Body"); }
    int bodyId() { return body().integer("Id"); }
    void sql(const QString& statement, const QVariantList& values = {}) {
        db.connessione().exec(statement, values);
    }
    QVariant scalar(const QString& query, const QVariantList& values = {}) {
        return db.connessione().scalar(query, values);
    }
    void set(const QList<QPair<QString, QVariant>>& values) {
        body().edit();
        for (const auto& [column, value] : values)
            body().setValue(column, value);
    }
    // A line and a summary row, so that a save asks nothing.
    void giveLinesAndSummaries() {
        sql("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id, NumeroLinea) "
            "values (?, 1)",
            {bodyId()});
        sql("insert into PA_FE_Body_DatiBeniServizi_DatiRiepilogo (PA_FE_Body_Id) values (?)",
            {bodyId()});
        db.requeryBodyChildren();
    }
    // Runs "Indietro" on a modified body; returns the first message (empty when saved).
    QString leave(const QList<bool>& answers = {}) {
        scripted.clear();
        for (bool yes : answers)
            scripted.answerQuestion(yes);
        editor.setModified(true);
        editor.indietro();
        if (answers.isEmpty()) {
            EXPECT_EQ(editor.saveFailed(), !scripted.messages().isEmpty());
        }
        return scripted.messages().value(0);
    }
    static void pick(EditorBase& screen, const QString& column, const QString& text) {
        auto* list = qobject_cast<BoundLookup*>(screen.field(column));
        ASSERT_TRUE(list) << column.toStdString();
        const int index = list->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }

    test::TempFolder folder;
    DataModule db;
    test::ScriptedPrompt scripted;
    DocumentRegister documents{db, scripted};
    BodyRegister reg{db};
    BodyEditor editor{db};
};

TEST_F(BodyEditorTest, SaveRulesInOrder) {
    giveLinesAndSummaries();
    const QString vettore = "Vettore_";
    // A complete carrier, used by the carrier cases that break one thing.
    const QList<QPair<QString, QVariant>> carrier = {{"DatiTrasporto", true},
                                                     {"DatiAnagraficiVettore", true},
                                                     {vettore + "IdPaese", "IT"},
                                                     {vettore + "IdCodice", "01234567890"},
                                                     {vettore + "Denominazione", "Trasporti Srl"}};
    const QList<QPair<QString, QVariant>> resa = {{"IndirizzoResa", true},
                                                  {"Resa_Indirizzo", "Via Roma 1"},
                                                  {"Resa_CAP", "00100"},
                                                  {"Resa_Comune", "Roma"},
                                                  {"Resa_Nazione", "IT"}};
    struct Case {
        const char* name;
        QList<QPair<QString, QVariant>> values;
        QString message; // empty: the save passes
        int tab = -1;
    };
    const QList<Case> cases = {
        {"type missing",
         {{"DatiGenerali_TipoDocumento", "XX99"}},
         "Attenzione manca il tipo di documento",
         BodyEditor::DatiGenerali},
        {"number missing",
         {{"DatiGenerali_Numero", QVariant()}},
         "Attenzione manca il numero di Documento",
         BodyEditor::DatiGenerali},
        {"Art.73 lower-case si", {{"Art73", "si"}}, ""},
        {"Art.73 NO",
         {{"Art73", "NO"}},
         "Attenzione il solo valore per l'Art.73 e' di SI altrimenti lasciare vuoto!",
         BodyEditor::DatiGenerali},
        {"stamp duty si",
         {{"DatiGenerali_DatiBollo", true}, {"DatiGenerali_DatiBollo_BolloVirtuale", "si"}},
         "Attenzione Il Bollo Virtuale deve essere impostato a SI",
         BodyEditor::DatiGenerali},
        {"stamp duty SI",
         {{"DatiGenerali_DatiBollo", true}, {"DatiGenerali_DatiBollo_BolloVirtuale", "SI"}},
         ""},
        {"stamp duty not included",
         {{"DatiGenerali_DatiBollo", false}, {"DatiGenerali_DatiBollo_BolloVirtuale", "no"}},
         ""},
        {"transport without carrier",
         {{"DatiTrasporto", true}, {"DatiAnagraficiVettore", false}},
         ""},
        {"carrier without transport",
         {{"DatiTrasporto", false}, {"DatiAnagraficiVettore", true}},
         ""},
        {"carrier country", carrier + QList<QPair<QString, QVariant>>{{vettore + "IdPaese", ""}},
         "Attenzione manca la Nazione del Vettore", BodyEditor::Trasporto},
        {"carrier names",
         carrier + QList<QPair<QString, QVariant>>{{vettore + "Denominazione", ""}},
         "Attenzione manca la Ragione sociale oppure Nome e Cognome del Vettore",
         BodyEditor::Trasporto},
        {"carrier tax code 10",
         carrier + QList<QPair<QString, QVariant>>{{vettore + "CodiceFiscale", "1234567890"}},
         "Attenzione il Codice fiscale deve essere di almeno 11 caratteri", BodyEditor::Trasporto},
        {"carrier tax code 11",
         carrier + QList<QPair<QString, QVariant>>{{vettore + "CodiceFiscale", "12345678901"}}, ""},
        {"carrier title 1", carrier + QList<QPair<QString, QVariant>>{{vettore + "Titolo", "D"}},
         "Attenzione il Titolo deve essere di almeno 2 caratteri", BodyEditor::Trasporto},
        {"carrier EORI 12",
         carrier + QList<QPair<QString, QVariant>>{{vettore + "CodEORI", "123456789012"}},
         "Attenzione il codice EORI deve essere di almeno 13 caratteri", BodyEditor::Trasporto},
        {"carrier EORI 13",
         carrier + QList<QPair<QString, QVariant>>{{vettore + "CodEORI", "1234567890123"}}, ""},
        {"delivery complete", resa, ""},
        {"delivery CAP empty", resa + QList<QPair<QString, QVariant>>{{"Resa_CAP", ""}},
         "Attenzione manca il CAP della Resa", BodyEditor::Trasporto},
        {"delivery CAP of one character", resa + QList<QPair<QString, QVariant>>{{"Resa_CAP", "1"}},
         "Attenzione il CAP della Resa deve essere di almeno 2 caratteri", BodyEditor::Trasporto},
        {"delivery CAP of two characters",
         resa + QList<QPair<QString, QVariant>>{{"Resa_CAP", "12"}}, ""},
        {"delivery country", resa + QList<QPair<QString, QVariant>>{{"Resa_Nazione", "??"}},
         "Attenzione manca la Nazionalità del comune di Resa", BodyEditor::Trasporto},
        {"main invoice date",
         {{"FatturaPrincipale", true}, {"NumeroFatturaPrincipale", "5"}},
         "Attenzione manca la data di fattura principale",
         BodyEditor::Altro},
        {"vehicles distance",
         {{"DatiVeicoli", true}, {"DatiVeicoli_Data", QDate(2024, 1, 2)}},
         "Attenzione manca il totale percorso dal veicolo",
         BodyEditor::Altro},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Every case starts from a valid body with no optional block.
        set({{"DatiGenerali_TipoDocumento", "TD01"},
             {"DatiGenerali_Divisa", "EUR"},
             {"DatiGenerali_Numero", "1"},
             {"Art73", QVariant()},
             {"DatiGenerali_DatiBollo", false},
             {"DatiTrasporto", false},
             {"DatiAnagraficiVettore", false},
             {"IndirizzoResa", false},
             {"FatturaPrincipale", false},
             {"DatiVeicoli", false}});
        for (const char* column : {"IdPaese", "IdCodice", "CodiceFiscale", "Denominazione", "Nome",
                                   "Cognome", "Titolo", "CodEORI"})
            body().setValue(vettore + column, QVariant());
        set(c.values);
        editor.tabs()->setCurrentIndex(BodyEditor::Sal);
        EXPECT_EQ(leave(), c.message);
        if (c.tab >= 0) {
            EXPECT_EQ(editor.tabs()->currentIndex(), c.tab);
        }
        if (c.message.isEmpty()) {
            EXPECT_FALSE(editor.isModified());
        }
    }
    // The last passing case reached the archive.
    EXPECT_EQ(scalar("select Resa_CAP from PA_FE_Body where Id = ?", {bodyId()}).toString(), "12");
}

TEST_F(BodyEditorTest, ANumberWithoutDigitsAndWithholdingFlagsWithoutDataAreRefused) {
    giveLinesAndSummaries();
    struct Case {
        const char* what;
        QString statement;
        QString numero;
        QString message;
    };
    const QList<Case> cases{
        {"a number of letters only", "", "FT/A",
         "Attenzione il numero di Documento deve contenere almeno una cifra"},
        {"a line with Ritenuta, no withholding data",
         "update PA_FE_Body_DatiBeniServizi_DettaglioLinee set Ritenuta = 'si'", "FT/1",
         "Attenzione ci sono linee con Ritenuta SI ma mancano i Dati Ritenuta del documento: "
         "aggiungerli o togliere la Ritenuta dalle linee"},
        {"a pension fund with Ritenuta, no withholding data",
         "update PA_FE_Body_DatiBeniServizi_DettaglioLinee set Ritenuta = null; insert into "
         "PA_FE_Body_DatiCassaPrevidenziale (PA_FE_Body_Id, Ritenuta) values (:body, 'SI')",
         "FT/1",
         "Attenzione c'è una cassa previdenziale con Ritenuta SI ma mancano i Dati Ritenuta del "
         "documento: aggiungerli o togliere la Ritenuta dalla cassa"},
        {"with withholding data",
         "insert into PA_FE_Body_DatiRitenuta (PA_FE_Body_Id, TipoRitenuta) values (:body, "
         "'RT01')",
         "FT/1", ""},
    };
    for (const Case& c : cases) {
        for (const QString& statement : c.statement.split("; ", Qt::SkipEmptyParts))
            sql(QString(statement).replace(":body", QString::number(bodyId())));
        set({{"DatiGenerali_Numero", c.numero}});
        editor.tabs()->setCurrentIndex(BodyEditor::Trasporto);
        EXPECT_EQ(leave(), c.message) << c.what;
        if (!c.message.isEmpty()) {
            EXPECT_EQ(editor.tabs()->currentIndex(), BodyEditor::DatiGenerali) << c.what;
        }
    }
}

TEST_F(BodyEditorTest, SummariesLeftBehindByTheLinesAreOfferedForRebuildOnLeaving) {
    set({{"DatiGenerali_Numero", "1"}});
    sql("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id, NumeroLinea, "
        "Descrizione, PrezzoTotale, AliquotaIva) values (?, 1, 'x', 100, 22)",
        {bodyId()});
    db.requeryBodyChildren();
    editor.createSummaries = [this] { riepilogo::creaAutomaticamente(db); };
    editor.refreshActions();
    // Built without a question (there were no summaries to lose), and the document total
    // proposed: 122.00, accepted.
    scripted.answerQuestion(true);
    editor.createSummariesButton()->click();
    EXPECT_TRUE(scripted.calls().last().text.contains(QLocale().toString(122.0, 'f', 2)));
    EXPECT_EQ(body().number("ImportoTotaleDocumento"), 122.0);
    EXPECT_TRUE(editor.isModified()) << "the proposal waits to be saved with the body";
    scripted.clear();
    editor.indietro();
    EXPECT_TRUE(scripted.calls().isEmpty()) << "summaries and total match: nothing asked";
    EXPECT_EQ(
        scalar("select ImportoTotaleDocumento from PA_FE_Body where Id = ?", {bodyId()}).toDouble(),
        122.0);

    const QString question = "Attenzione i dati di riepilogo non corrispondono più alle linee di "
                             "dettaglio e alla cassa previdenziale. Si vuole ricrearli "
                             "automaticamente ?";
    const auto taxable = [this] {
        return scalar("select sum(ImponibileImporto) from "
                      "PA_FE_Body_DatiBeniServizi_DatiRiepilogo where PA_FE_Body_Id = ?",
                      {bodyId()})
            .toDouble();
    };
    // A changed line: declined, the summaries stay; accepted, they are rebuilt.
    sql("update PA_FE_Body_DatiBeniServizi_DettaglioLinee set PrezzoTotale = 200");
    scripted.clear();
    scripted.answerQuestion(false);
    editor.indietro();
    EXPECT_EQ(scripted.calls().value(0).text, question);
    EXPECT_EQ(taxable(), 100.0);
    scripted.clear();
    scripted.answerQuestion(true);
    scripted.answerQuestion(false);
    editor.indietro();
    EXPECT_EQ(taxable(), 200.0);
    // The total set earlier no longer matches the rebuilt summaries: said at once, and kept when
    // the user declines.
    ASSERT_EQ(scripted.calls().size(), 2);
    EXPECT_EQ(scripted.calls()[1].text,
              QString("Il Totale Documento %1 differisce da imponibili più imposte dei "
                      "riepiloghi (%2): si vuole impostarlo a %2 ?")
                  .arg(QLocale().toString(122.0, 'f', 2), QLocale().toString(244.0, 'f', 2)));
    EXPECT_EQ(body().number("ImportoTotaleDocumento"), 122.0);

    // Saved later with the body, it is questioned again: kept if the user says so.
    const QString flagged =
        QString("Attenzione il Totale Documento %1 differisce da imponibili più imposte dei "
                "riepiloghi (%2). Si vuole salvare lo stesso ?")
            .arg(QLocale().toString(122.0, 'f', 2), QLocale().toString(244.0, 'f', 2));
    leave({false});
    EXPECT_TRUE(editor.saveFailed());
    EXPECT_EQ(scripted.calls().value(0).text, flagged);
    leave({true});
    EXPECT_FALSE(editor.saveFailed());
    EXPECT_EQ(
        scalar("select ImportoTotaleDocumento from PA_FE_Body where Id = ?", {bodyId()}).toDouble(),
        122.0);

    // Another change, the rebuild and the new total accepted: saved with the body on leaving.
    sql("update PA_FE_Body_DatiBeniServizi_DettaglioLinee set PrezzoTotale = 300");
    scripted.clear();
    scripted.answerQuestion(true);
    scripted.answerQuestion(true);
    editor.indietro();
    EXPECT_EQ(taxable(), 300.0);
    EXPECT_EQ(
        scalar("select ImportoTotaleDocumento from PA_FE_Body where Id = ?", {bodyId()}).toDouble(),
        366.0);
}

TEST_F(BodyEditorTest, MissingLinesAndSummariesAreWarningsTheUserMayPass) {
    set({{"DatiGenerali_Numero", "A/1"}});
    const QString noLines = "Attenzione Non sono presenti Linee di dettaglio ! Non si potrà creare "
                            "il file di esportazione senza nessuna linea! Si vuole proseguire lo "
                            "stesso ?";
    const QString noSummaries = "Attenzione Non sono presenti i dati di riepilogo ! Non si potrà "
                                "creare il file di esportazione senza nessuna linea di riepilogo! "
                                "Si vuole proseguire lo stesso ?";
    const auto stored = [&] {
        return scalar("select DatiGenerali_Numero from PA_FE_Body where Id = ?", {bodyId()});
    };

    EXPECT_EQ(leave({false}), "");
    EXPECT_TRUE(editor.saveFailed());
    EXPECT_EQ(editor.tabs()->currentIndex(), BodyEditor::DettaglioLinee);
    EXPECT_EQ(scripted.calls().first().text, noLines);
    EXPECT_TRUE(stored().isNull());

    leave({true, false});
    EXPECT_TRUE(editor.saveFailed());
    EXPECT_EQ(editor.tabs()->currentIndex(), BodyEditor::DatiRiepilogo);
    ASSERT_EQ(scripted.calls().size(), 2);
    EXPECT_EQ(scripted.calls()[1].text, noSummaries);
    EXPECT_TRUE(stored().isNull());

    leave({true, true});
    EXPECT_FALSE(editor.saveFailed());
    EXPECT_EQ(stored().toString(), "A/1");
}

TEST_F(BodyEditorTest, CarrierAndMunicipalityPicksFillTheBody) {
    sql("insert into Vettori (IdPaese, IdCodice, CodiceFiscale, Denominazione, Nome, Cognome, "
        "Titolo, CodEORI, NumeroLicenzaGuida) values ('IT', '0999', 'CF1', 'Rapidi', 'Ugo', "
        "'Neri', 'Dr', 'EO1', 'LIC9')");
    db.table("TableVettori").requery();
    pick(editor, "Vettore_ID", "Rapidi - Neri Ugo");
    EXPECT_TRUE(editor.isModified());
    EXPECT_EQ(body().text("Vettore_IdCodice"), "0999");
    EXPECT_EQ(body().text("Vettore_Titolo"), "Dr");
    EXPECT_EQ(body().text("Vettore_NumeroLicenzaGuida"), "LIC9");

    // A municipality of a country missing from the country table is delivered in Italy.
    sql("insert into Comuni (Comune, CAP, Provincia, Nazione_ID) values ('Zzyzx', '99999', 'ZZ', "
        "987654)");
    db.table("TableComuni").requery();
    set({{"Resa_Nazione", "FR"}});
    editor.setModified(false);
    pick(editor, "Resa_Comune", "Zzyzx");
    EXPECT_TRUE(editor.isModified());
    EXPECT_EQ(body().text("Resa_CAP"), "99999");
    EXPECT_EQ(body().text("Resa_Provincia"), "ZZ");
    EXPECT_EQ(body().text("Resa_Nazione"), "IT");
}

// Typing into or picking for a block with an "Includi" ticks it, and the block it sits in;
// unticking one that holds data asks whether to clear it (No by default: the data stay).
TEST_F(BodyEditorTest, WhatIsTypedIntoABlockIncludesIt) {
    sql("insert into Vettori (Denominazione, Nome, Cognome) values ('Rapidi', 'Ugo', 'Neri')");
    db.table("TableVettori").requery();
    const auto ticked = [this] {
        QStringList on;
        for (const char* flag : {"DatiTrasporto", "DatiAnagraficiVettore", "IndirizzoResa",
                                 "FatturaPrincipale", "DatiVeicoli"})
            if (body().flag(flag))
                on << flag;
        return on;
    };
    const auto typeInto = [this](const char* column, const QString& text) {
        auto* input = qobject_cast<QLineEdit*>(editor.field(column));
        ASSERT_NE(input, nullptr) << column;
        QTest::keyClicks(input, text);
    };
    ASSERT_EQ(ticked(), QStringList());
    pick(editor, "Vettore_ID", "Rapidi - Neri Ugo");
    EXPECT_EQ(ticked(), QStringList({"DatiTrasporto", "DatiAnagraficiVettore"}));
    typeInto("Resa_Indirizzo", "Via Roma");
    typeInto("NumeroFatturaPrincipale", "7");
    EXPECT_EQ(ticked(), QStringList({"DatiTrasporto", "DatiAnagraficiVettore", "IndirizzoResa",
                                     "FatturaPrincipale"}));
    EXPECT_TRUE(qobject_cast<QCheckBox*>(editor.field("IndirizzoResa"))->isChecked());

    // Unticking the transport: No keeps what it holds, left out; Yes clears it with the carrier
    // and the delivery address inside it.
    auto* transport = qobject_cast<QCheckBox*>(editor.field("DatiTrasporto"));
    scripted.answerQuestion(false);
    transport->click();
    ASSERT_EQ(scripted.calls().size(), 1);
    EXPECT_EQ(scripted.calls()[0].text,
              "Il blocco «Dati Trasporto» contiene dati che, senza «Includi», non saranno nel "
              "file.\n\nCancellarli? (No: restano nella scheda)");
    EXPECT_EQ(scripted.calls()[0].byDefault, Prompt::Choice::No);
    EXPECT_EQ(body().text("Vettore_Denominazione"), "Rapidi");
    transport->click(); // ticked again: nothing asked
    scripted.answerQuestion(true);
    transport->click();
    EXPECT_EQ(ticked(), QStringList({"FatturaPrincipale"}));
    EXPECT_TRUE(body().isNull("Vettore_ID"));
    EXPECT_EQ(body().text("Vettore_Denominazione"), "");
    EXPECT_EQ(body().text("Resa_Indirizzo"), "");
    EXPECT_EQ(qobject_cast<QLineEdit*>(editor.field("Resa_Indirizzo"))->text(), "");
    EXPECT_EQ(body().text("NumeroFatturaPrincipale"), "7");
    EXPECT_EQ(scripted.pendingAnswers(), 0);
}

TEST_F(BodyEditorTest, AddingGivesEachSectionItsStartValuesAndScreenFlags) {
    // The sections' expectations, written out independently of the editor's table.
    struct Expect {
        QString dataset;
        QString column; // a start value, or empty
        QVariant value;
        bool modified;
        bool annulla;
        bool filterCleared;
    };
    const QVariant today = QDate::currentDate();
    const QString b = "TablePA_FE_Body_";
    const QList<Expect> expected = {
        {b + "ScontoMaggiorazione", "Percentuale", 0.0, true, false, true},
        {b + "DatiCassaPrevidenziale", "AlCassa", 0.0, true, false, true},
        {b + "Causale", "", {}, true, false, true},
        {b + "DatiRitenuta", "ImportoRitenuta", 0.0, true, false, true},
        {b + "DatiBeniServizi_DettaglioLinee", "Quantita", 1.0, false, true, false},
        {b + "DatiBeniServizi_DatiRiepilogo", "EsigibilitaIva", "I", false, true, false},
        {b + "DatiPagamento", "CondizioniPagamento", "TP02", false, true, false},
        {b + "DatiOrdineAcquisto", "Data", today, true, true, false},
        {b + "DatiContratto", "Data", today, true, true, false},
        {b + "DatiConvenzione", "Data", today, true, true, false},
        {b + "DatiRicezione", "Data", today, true, true, false},
        {b + "DatiFattureCollegate", "Data", today, true, true, false},
        {b + "DatiSAL", "", {}, false, true, false},
        {b + "DatiDDT", "DataDDT", today, false, true, false},
        {b + "Allegati", "", {}, false, false, false},
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.dataset.toStdString());
        StubScreen screen(db, e.dataset);
        editor.setSectionScreen(e.dataset, &screen);
        Dataset& rows = db.table(e.dataset);
        // A filter the new row passes, to see whether the add clears it.
        rows.setFilter(QString("PA_FE_Body_Id = %1").arg(bodyId()));
        bool shown = false, modified = false, annulla = false;
        setModalShower([&](QDialog& s) {
            EXPECT_EQ(&s, &screen);
            shown = true;
            modified = screen.isModified();
            annulla = screen.isAnnullaVisible();
            return 0;
        });
        ASSERT_TRUE(editor.addSectionRow(e.dataset));
        EXPECT_TRUE(shown);
        EXPECT_EQ(modified, e.modified);
        EXPECT_EQ(annulla, e.annulla);
        EXPECT_FALSE(screen.isAnnullaVisible()) << "Annulla is offered only while just added";
        EXPECT_EQ(rows.filter().isEmpty(), e.filterCleared);
        rows.setFilter(QString());
        ASSERT_EQ(rows.rowCount(), 1);
        EXPECT_EQ(rows.integer("PA_FE_Body_Id"), bodyId());
        EXPECT_GT(rows.integer("Id"), 0) << "stored";
        if (!e.column.isEmpty()) {
            EXPECT_EQ(rows.value(e.column), e.value);
        }
        editor.setSectionScreen(e.dataset, nullptr);
    }

    // Without a screen the add still stores the row, and opening it shows nothing.
    bool shown = false;
    setModalShower([&](QDialog&) {
        shown = true;
        return 0;
    });
    ASSERT_TRUE(editor.addSectionRow(b + "DatiSAL"));
    EXPECT_EQ(db.table(b + "DatiSAL").rowCount(), 2);
    EXPECT_FALSE(shown);
}

TEST_F(BodyEditorTest, LinesAddedInABatchAreNumberedAndOpenNoScreen) {
    const QString lines = "TablePA_FE_Body_DatiBeniServizi_DettaglioLinee";
    StubScreen screen(db, lines);
    editor.setSectionScreen(lines, &screen);
    sql("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id, NumeroLinea) "
        "values (?, 7)",
        {bodyId()});
    db.requeryBodyChildren();
    int shown = 0;
    setModalShower([&](QDialog&) { return ++shown; });
    {
        const BatchInsertScope batch(db);
        ASSERT_TRUE(editor.addSectionRow(lines));
    }
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(db.table(lines).integer("NumeroLinea"), 8);
    EXPECT_EQ(db.table(lines).number("Quantita"), 1.0);

    // Contracts are not skipped in a batch.
    {
        const BatchInsertScope batch(db);
        ASSERT_TRUE(editor.addSectionRow("TablePA_FE_Body_DatiContratto"));
    }
    EXPECT_EQ(shown, 0) << "no screen registered for contracts";
    editor.setSectionScreen(lines, nullptr);
}

TEST_F(BodyEditorTest, OpenLoadsAndDeleteRemovesTheRowsSecondLevelRows) {
    const QString orders = "TablePA_FE_Body_DatiOrdineAcquisto";
    const QString refs = "TablePA_FE_Body_DatiOrdineAcquisto_Riferimenti";
    for (const char* id : {"ORD-1", "ORD-2"})
        sql("insert into PA_FE_Body_DatiOrdineAcquisto (PA_FE_Body_Id, IdDocumento) values (?, ?)",
            {bodyId(), QString(id)});
    const int first = scalar("select Id from PA_FE_Body_DatiOrdineAcquisto where IdDocumento = "
                             "'ORD-1'")
                          .toInt();
    const int second = scalar("select Id from PA_FE_Body_DatiOrdineAcquisto where IdDocumento = "
                              "'ORD-2'")
                           .toInt();
    for (const auto& [order, line] :
         {std::pair{first, 3}, std::pair{first, 1}, std::pair{second, 2}})
        sql("insert into PA_FE_Body_DatiOrdineAcquisto_Riferimenti (PA_FE_Body_Id, "
            "PA_FE_Body_DatiOrdineAcquisto_Id, RiferimentoNumeroLinea) values (?, ?, ?)",
            {bodyId(), order, line});
    db.requeryBodyChildren();
    Dataset& o = db.table(orders);
    ASSERT_TRUE(o.locate("IdDocumento", "ORD-1"));

    db.table(refs).setFilter("RiferimentoNumeroLinea = 99");
    editor.openSectionRow(orders);
    Dataset& r = db.table(refs);
    EXPECT_TRUE(r.filter().isEmpty());
    ASSERT_EQ(r.rowCount(), 2);
    EXPECT_EQ(r.integer("RiferimentoNumeroLinea"), 1) << "ordered by line number";

    scripted.answerQuestion(false);
    EXPECT_FALSE(editor.deleteSectionRow(orders));
    EXPECT_EQ(scripted.calls().last().text,
              "Sei sicuro di voler eliminare il Record dell' Ordine di acquisto ?");
    scripted.answerQuestion(true);
    EXPECT_TRUE(editor.deleteSectionRow(orders));
    EXPECT_EQ(scalar("select count(*) from PA_FE_Body_DatiOrdineAcquisto").toInt(), 1);
    EXPECT_EQ(scalar("select count(*) from PA_FE_Body_DatiOrdineAcquisto_Riferimenti "
                     "where PA_FE_Body_DatiOrdineAcquisto_Id = ?",
                     {first})
                  .toInt(),
              0);
    EXPECT_EQ(scalar("select count(*) from PA_FE_Body_DatiOrdineAcquisto_Riferimenti").toInt(), 1)
        << "the other order keeps its reference";
}

TEST_F(BodyEditorTest, SilentDeleteIsHonouredOnlyWhereTheSectionSaysSo) {
    sql("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id) values (?)",
        {bodyId()});
    sql("insert into PA_FE_Body_ScontoMaggiorazione (PA_FE_Body_Id) values (?)", {bodyId()});
    db.requeryBodyChildren();
    {
        const SilentDeleteScope silent(db);
        EXPECT_TRUE(editor.deleteSectionRow("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee"));
        EXPECT_TRUE(scripted.calls().isEmpty());
        scripted.answerQuestion(true);
        EXPECT_TRUE(editor.deleteSectionRow("TablePA_FE_Body_ScontoMaggiorazione"));
    }
    EXPECT_EQ(scripted.calls().size(), 1) << "the discount asks even under silentDelete";
    EXPECT_EQ(scalar("select count(*) from PA_FE_Body_ScontoMaggiorazione").toInt(), 0);
}

TEST_F(BodyEditorTest, UserDefaultsOverrideStartValuesAndABadNumberLeavesNoRow) {
    const QString cassa = "TablePA_FE_Body_DatiCassaPrevidenziale";
    sql("insert into Personalizzazioni (NomeTabella, NomeCampo, Tipo, Valore) values "
        "('PA_FE_Body_DatiCassaPrevidenziale', 'AlCassa', 'f', '4'), "
        "('PA_FE_Body_DatiCassaPrevidenziale', 'TipoCassa', 't', 'TC22'), "
        "('PA_FE_Body_DatiCassaPrevidenziale', 'Natura', 'x', 'N1'), "
        "('PA_FE_Body_DatiRitenuta', 'AliquotaRitenuta', 'n', 'venti')");
    db.table("TablePersonalizzazioni").requery();
    ASSERT_TRUE(editor.addSectionRow(cassa));
    Dataset& rows = db.table(cassa);
    EXPECT_EQ(rows.number("AlCassa"), 4.0);
    EXPECT_EQ(rows.text("TipoCassa"), "TC22");
    EXPECT_TRUE(rows.isNull("Natura")) << "an unknown kind is skipped";

    const QString ritenuta = "TablePA_FE_Body_DatiRitenuta";
    editor.setSectionScreen(ritenuta, nullptr);
    EXPECT_FALSE(editor.addSectionRow(ritenuta));
    ASSERT_EQ(scripted.messages().size(), 1);
    EXPECT_TRUE(scripted.messages().first().contains("venti"));
    EXPECT_EQ(db.table(ritenuta).state(), Dataset::State::Browse);
    EXPECT_EQ(db.table(ritenuta).rowCount(), 0);
    EXPECT_EQ(scalar("select count(*) from PA_FE_Body_DatiRitenuta").toInt(), 0);
}

TEST_F(BodyEditorTest, ActionButtonsWaitForTheirScreens) {
    EXPECT_FALSE(editor.createSummariesButton()->isEnabled());
    EXPECT_FALSE(editor.importFromFileButton()->isEnabled());
    EXPECT_FALSE(editor.importFromArchiveButton()->isEnabled());
    int runs = 0;
    editor.createSummaries = [&] { ++runs; };
    editor.refreshActions();
    ASSERT_TRUE(editor.createSummariesButton()->isEnabled());
    editor.createSummariesButton()->click();
    EXPECT_EQ(runs, 1);
}

} // namespace
