// The body register on a real archive: a new body and its "Annulla", opening (with the child
// re-query and batch mode), the delete of a body with every child row as one whole, search and
// sort.
#include "documents/BodyRegister.h"
#include "documents/BodyEditor.h"
#include "documents/FindingsWindow.h"
#include "logic/DocumentRegister.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QDate>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

class BodyRegisterTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.connessione().open(test::copyOfNewArchive(folder));
        db.openAllDatasets();
        setPrompt(&scripted);
        // The firm's tax code becomes the Document's transmitter, which names its file.
        db.connessione().exec("update Ditta set CodFisc = '01234567890', IdPaese = 'IT'");
        db.table("TableDitta").requery();
        ASSERT_TRUE(documents.aggiungi());
        reg.setBodyEditor(&editor);
    }
    void TearDown() override {
        setPrompt(nullptr);
        setModalShower({});
    }

    Dataset& bodies() { return db.table("TablePA_Body"); }
    int documentId() { return db.table("TablePA_FE_Header").integer("ID"); }
    QVariant scalar(const QString& query, const QVariantList& values = {}) {
        return db.connessione().scalar(query, values);
    }
    void sql(const QString& statement, const QVariantList& values = {}) {
        db.connessione().exec(statement, values);
    }
    int addBody(const QString& type, const QString& number) {
        sql("insert into PA_FE_Body (PA_FE_Header_Id, DatiGenerali_TipoDocumento, "
            "DatiGenerali_Numero) values (?, ?, ?)",
            {documentId(), type, number});
        return scalar("select max(Id) from PA_FE_Body").toInt();
    }
    // One row in every child table of the body, second-level rows pointing at a parent 1.
    void fillChildren(int bodyId) {
        for (const QString& table : DataModule::bodyChildTables())
            sql(QString("insert into %1 (PA_FE_Body_Id) values (?)").arg(table), {bodyId});
    }
    int childRows(int bodyId) {
        int n = 0;
        for (const QString& table : DataModule::bodyChildTables())
            n += scalar(QString("select count(*) from %1 where PA_FE_Body_Id = ?").arg(table),
                        {bodyId})
                     .toInt();
        return n;
    }
    QStringList numbers() {
        QStringList out;
        const int c = bodies().columnIndex("DatiGenerali_Numero");
        for (int row = 0; row < bodies().rowCount(); ++row)
            out << bodies().valueAt(row, c).toString();
        return out;
    }

    test::TempFolder folder;
    DataModule db;
    test::ScriptedPrompt scripted;
    DocumentRegister documents{db, scripted};
    BodyRegister reg{db};
    BodyEditor editor{db};
};

TEST_F(BodyRegisterTest, NewBodyOpensWithAnnullaWhichRemovesItWithItsRows) {
    bool annullaShown = false;
    int newId = 0;
    setModalShower([&](QDialog& screen) {
        EXPECT_EQ(&screen, &editor);
        EXPECT_EQ(editor.tabs()->currentIndex(), BodyEditor::DatiGenerali);
        annullaShown = editor.isAnnullaVisible();
        newId = bodies().integer("Id");
        EXPECT_EQ(bodies().text("DatiGenerali_TipoDocumento"), "TD01");
        EXPECT_EQ(bodies().text("DatiGenerali_Divisa"), "EUR");
        EXPECT_EQ(bodies().date("DatiGenerali_Data"), QDate::currentDate());
        EXPECT_EQ(bodies().integer("PA_FE_Header_Id"), documentId());
        for (const char* flag :
             {"DatiTrasporto", "DatiAnagraficiVettore", "FatturaPrincipale", "IndirizzoResa"}) {
            EXPECT_FALSE(bodies().isNull(flag)) << flag;
            EXPECT_FALSE(bodies().flag(flag)) << flag;
        }
        // Work done before changing one's mind.
        fillChildren(newId);
        editor.annulla();
        return 0;
    });
    EXPECT_TRUE(reg.aggiungi());
    EXPECT_TRUE(annullaShown);
    EXPECT_FALSE(editor.isAnnullaVisible());
    EXPECT_TRUE(scripted.calls().isEmpty()) << "Annulla asks nothing";
    EXPECT_EQ(scalar("select count(*) from PA_FE_Body").toInt(), 0);
    EXPECT_EQ(childRows(newId), 0);
    EXPECT_FALSE(db.silentDelete());
}

TEST_F(BodyRegisterTest, ModificaRequeriesTheChildrenAndShowsNoEditorInABatch) {
    const int first = addBody("TD01", "1");
    const int second = addBody("TD01", "2");
    fillChildren(second);
    db.loadBodies();
    ASSERT_TRUE(bodies().locate("Id", second));
    int shown = 0;
    setModalShower([&](QDialog&) { return ++shown; });
    {
        const BatchInsertScope batch(db);
        reg.modifica();
    }
    EXPECT_EQ(shown, 0);
    for (const DataModule::BodyChildDef& def : DataModule::bodyChildDatasets())
        EXPECT_EQ(db.table(def.dataset).rowCount(), 1) << def.dataset.toStdString();
    ASSERT_TRUE(bodies().locate("Id", first));
    reg.modifica();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(db.table("TablePA_FE_Body_DatiRitenuta").isEmpty());
}

TEST_F(BodyRegisterTest, DeleteRemovesTheBodyWithEveryChildRowOnlyOnYes) {
    const int keep = addBody("TD01", "1");
    const int gone = addBody("TD04", "2");
    fillChildren(keep);
    fillChildren(gone);
    db.loadBodies();
    ASSERT_TRUE(bodies().locate("Id", gone));

    scripted.answerQuestion(false);
    EXPECT_FALSE(reg.elimina());
    EXPECT_EQ(scripted.calls().first().text, "Sei sicuro di voler eliminare il Record ?");
    EXPECT_EQ(scripted.calls().first().title, "Messaggio di avviso");
    EXPECT_EQ(childRows(gone), 25);

    scripted.answerQuestion(true);
    EXPECT_TRUE(reg.elimina());
    EXPECT_EQ(childRows(gone), 0);
    EXPECT_EQ(childRows(keep), 25);
    EXPECT_EQ(bodies().rowCount(), 1);
    EXPECT_EQ(bodies().integer("Id"), keep);
}

TEST_F(BodyRegisterTest, AFailedDeleteLeavesTheWholeBody) {
    const int id = addBody("TD01", "1");
    fillChildren(id);
    db.loadBodies();
    // A table late in the cascade cannot be written to: everything before it must come back.
    sql("alter table PA_FE_Body_DatiSAL rename to PA_FE_Body_DatiSAL_Away");
    scripted.answerQuestion(true);
    EXPECT_FALSE(reg.elimina());
    sql("alter table PA_FE_Body_DatiSAL_Away rename to PA_FE_Body_DatiSAL");
    ASSERT_EQ(scripted.messages().size(), 1);
    EXPECT_EQ(scripted.calls().last().title, "Messaggio di errore");
    EXPECT_EQ(childRows(id), 25);
    EXPECT_EQ(scalar("select count(*) from PA_FE_Body").toInt(), 1);
    EXPECT_EQ(bodies().integer("Id"), id);
}

TEST_F(BodyRegisterTest, SearchBoxesFilterAndTitlesToggleTheSort) {
    addBody("TD01", "10");
    addBody("TD04", "11");
    addBody("TD01", "O'1");
    addBody("TD24", "2");
    db.loadBodies();
    reg.tipoDocSearch()->setText("TD0");
    EXPECT_EQ(bodies().rowCount(), 3);
    reg.numeroSearch()->setText("1");
    EXPECT_EQ(numbers(), QStringList({"10", "11"}));
    reg.tipoDocSearch()->setText("*");
    reg.numeroSearch()->setText("O'");
    EXPECT_EQ(numbers(), QStringList({"O'1"}));
    reg.numeroSearch()->clear();
    EXPECT_EQ(bodies().rowCount(), 4);

    // "Data" once (ascending), then "Numero" once: by number, descending.
    Q_EMIT reg.grid()->horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(bodies().sort(), "DatiGenerali_Data ASC");
    Q_EMIT reg.grid()->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(numbers(), QStringList({"O'1", "2", "11", "10"}));
}

TEST_F(BodyRegisterTest, EsportaXmlRunsTheExportOfTheDocument) {
    addBody("TD01", "1");
    db.loadBodies();
    scripted.answerSaveFile(QString()); // the user cancels the save dialog
    reg.button("spdEsportaXml")->click();
    ASSERT_EQ(scripted.calls().size(), 1);
    EXPECT_EQ(scripted.calls().first().kind, test::ScriptedPrompt::Kind::SaveFile);
    EXPECT_TRUE(scripted.calls().first().fileName.endsWith(".xml"));
}

// "Controlla" builds the Document's file in memory and lists what the exchange system would
// reject; a double click leads to the body that holds the value, or says which of the
// Document's screens does. "Esporta xml" runs the same check and writes only on Yes.
TEST_F(BodyRegisterTest, ControllaListsTheFindingsAndLeadsToTheValue) {
    reg.button("spdControlla")->click();
    ASSERT_EQ(scripted.calls().size(), 1);
    EXPECT_TRUE(scripted.calls()[0].text.contains("corpo")) << "no body yet";
    scripted.clear();

    // The second body's line total is not its price: 00423 there; no seller yet: header findings.
    for (const char* total : {"10", "15"}) {
        const int body = addBody("TD01", total);
        sql("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id, NumeroLinea, "
            "Descrizione, PrezzoUnitario, PrezzoTotale, AliquotaIva) values (?, 1, 'Riga', 10, ?, "
            "22)",
            {body, total});
        sql("insert into PA_FE_Body_DatiBeniServizi_DatiRiepilogo (PA_FE_Body_Id, AliquotaIva, "
            "ImponibileImporto, Imposta, EsigibilitaIva) values (?, 22, ?, ?, 'I')",
            {body, total, QString::number(QString(total).toDouble() * 0.22)});
    }
    db.loadBodies();
    bodies().moveTo(0);
    QStringList elements;
    QStringList opened;
    setModalShower([&](QDialog& screen) {
        auto* findings = qobject_cast<FindingsWindow*>(&screen);
        if (!findings) {
            opened << screen.objectName() + ":" + bodies().text("DatiGenerali_Numero");
            return 0;
        }
        QTableWidget* table = findings->table();
        for (int row = 0; row < table->rowCount(); ++row)
            elements << table->item(row, 2)->text();
        const auto rowOf = [&](const QString& prefix) {
            for (int row = 0; row < elements.size(); ++row)
                if (elements[row].startsWith(prefix))
                    return row;
            return -1;
        };
        const int inBody2 = rowOf("FatturaElettronicaBody[2]");
        const int inHeader = rowOf("FatturaElettronicaHeader");
        EXPECT_GE(inBody2, 0);
        EXPECT_GE(inHeader, 0);
        Q_EMIT table->cellDoubleClicked(inBody2, 0);
        Q_EMIT table->cellDoubleClicked(inHeader, 0);
        return 0;
    });
    reg.button("spdControlla")->click();
    EXPECT_FALSE(elements.isEmpty());
    EXPECT_EQ(opened, QStringList({editor.objectName() + ":15"}));
    ASSERT_EQ(scripted.messages().size(), 1) << scripted.messages().join('|').toStdString();
    EXPECT_TRUE(scripted.messages()[0].contains("chiudere il corpo della fattura"))
        << scripted.messages()[0].toStdString();
    EXPECT_EQ(scalar("select count(*) from PA_FE_Header where Esportato = 1").toInt(), 0);

    // The export asks before writing a file with findings: No writes nothing.
    scripted.clear();
    const QString file = folder.file("IT01234567890_00001.xml");
    scripted.answerSaveFile(file);
    scripted.answerQuestion(false);
    reg.button("spdEsportaXml")->click();
    EXPECT_EQ(scripted.pendingAnswers(), 0);
    ASSERT_FALSE(scripted.calls().isEmpty());
    EXPECT_TRUE(scripted.calls().last().text.endsWith("Scrivere comunque il file?"));
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(BodyRegisterTest, OpeningAnEmptyRegisterDoesNothing) {
    int shown = 0;
    setModalShower([&](QDialog&) { return ++shown; });
    reg.modifica();
    EXPECT_FALSE(reg.elimina());
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(scripted.calls().isEmpty());
}

} // namespace
