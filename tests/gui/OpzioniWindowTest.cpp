// The options screen on a real archive: the start tab, the pick lists and their clearing, the
// export folder picked and opened, and the save on "Indietro".
#include "settings/OpzioniWindow.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"
#include "ui/BoundInputs.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

class OpzioniWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString archive = test::copyOfNewArchive(folder);
        db.setArchive(archive, archive);
        db.connessione().open(archive);
        db.openAllDatasets();
        setPrompt(&scripted);
        screen.openUrl = [this](const QUrl& url) {
            opened << url;
            return true;
        };
        screen.setMultiSellerSelectorsVisible = [this](bool visible) { selectors << visible; };
    }
    void TearDown() override { setPrompt(nullptr); }

    QVariant stored(const QString& column) {
        return db.connessione().scalar(QString("select %1 from opzioni").arg(column));
    }
    BoundLookup* list(const QString& column) {
        return qobject_cast<BoundLookup*>(screen.field(column));
    }
    void pick(const QString& column, const QString& text) {
        BoundLookup* l = list(column);
        const int index = l->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        l->setCurrentIndex(index);
        Q_EMIT l->activated(index);
    }

    test::TempFolder folder;
    DataModule db;
    test::ScriptedPrompt scripted;
    OpzioniWindow screen{db, {"Archivio", "Fatture e Documenti", "Utility"}};
    QList<QUrl> opened;
    QList<bool> selectors;
};

TEST_F(OpzioniWindowTest, StartTabIsShownAndTheChoiceStoredOnIndietro) {
    db.connessione().exec("update opzioni set TabIniziale = 2, StudioCommerciale = 1");
    db.table("TableOpzioni").requery();
    screen.show();
    QComboBox* tabs = screen.tabInizialeList();
    EXPECT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->currentText(), "Utility");

    EXPECT_EQ(qobject_cast<QLineEdit*>(screen.field("PasswordAmministratore"))->echoMode(),
              QLineEdit::Password)
        << "the password is not shown in clear";
    tabs->setCurrentIndex(tabs->findText("Fatture e Documenti"));
    QTest::keyClicks(screen.field("PasswordAmministratore"), "segreta");
    screen.indietroButton()->click();
    EXPECT_FALSE(screen.isVisible());
    EXPECT_EQ(stored("TabIniziale").toInt(), 1);
    EXPECT_EQ(stored("PasswordAmministratore").toString(), "segreta");
    EXPECT_EQ(selectors, QList<bool>{true}) << "the seller selectors follow the stored setting";
    EXPECT_TRUE(scripted.calls().isEmpty());

    // Leaving without any change still stores (and adjusts the selectors again).
    db.connessione().exec("update opzioni set StudioCommerciale = 0");
    db.table("TableOpzioni").requery();
    screen.show();
    screen.indietroButton()->click();
    EXPECT_EQ(selectors, (QList<bool>{true, false}));
    EXPECT_EQ(stored("TabIniziale").toInt(), 1);
}

TEST_F(OpzioniWindowTest, PickListsShowRowsAnotherWorkstationAddedKeepingTheCurrentOne) {
    Dataset& methods = db.table("TablePA_ModalitaPagamento");
    ASSERT_TRUE(methods.locate("Descrizione", "Bonifico"));
    const int current = methods.integer("Id");

    // Another workstation adds a payment method, then another one.
    Connection other;
    other.open(db.archiveFilePath());
    other.exec("insert into PA_ModalitaPagamento (Codice, Descrizione) values ('MPX1', "
               "'Aggiunto altrove')");
    BoundLookup* l = list("ModPagamento_Id");
    l->showPopup();
    l->hidePopup();
    EXPECT_GE(l->findText("Aggiunto altrove"), 0) << "opening the list re-reads it";
    EXPECT_EQ(methods.integer("Id"), current) << "the current row is kept";

    other.exec("insert into PA_ModalitaPagamento (Codice, Descrizione) values ('MPX2', "
               "'Aggiunto dopo')");
    screen.show();
    EXPECT_GE(l->findText("Aggiunto dopo"), 0) << "showing the screen re-reads its lists";
    EXPECT_EQ(methods.integer("Id"), current);
    screen.hide();
    other.close();
}

TEST_F(OpzioniWindowTest, PickListsCopyAndBackspaceClearsOnlyTheirOwnColumns) {
    db.connessione().exec("insert into PA_CedentePrestatore (CedentePrestatore_Denominazione) "
                          "values ('Alfa Srl')");
    db.table("TablePA_CedentePrestatore").requery();
    pick("Iva_Id", "Iva 10%");
    pick("ModPagamento_Id", "Assegno");
    pick("CedentePrestatore_Id", "Alfa Srl");
    Dataset& opzioni = db.table("TableOpzioni");
    EXPECT_DOUBLE_EQ(opzioni.number("AliquotaIva"), 10);
    EXPECT_EQ(opzioni.integer("Iva_Id"), 2);
    EXPECT_EQ(opzioni.integer("ModPagamento_Id"), 2);

    QTest::keyClick(list("CedentePrestatore_Id"), Qt::Key_Backspace);
    EXPECT_TRUE(opzioni.isNull("CedentePrestatore_Id"));
    EXPECT_EQ(opzioni.integer("ModPagamento_Id"), 2) << "the other lists keep their values";
    QTest::keyClick(list("Iva_Id"), Qt::Key_Delete);
    EXPECT_TRUE(opzioni.isNull("Iva_Id"));
    EXPECT_TRUE(opzioni.isNull("AliquotaIva")) << "the rate goes with the VAT code";

    screen.indietro();
    EXPECT_TRUE(stored("AliquotaIva").isNull());
    EXPECT_EQ(stored("ModPagamento_Id").toInt(), 2);
    EXPECT_TRUE(stored("CedentePrestatore_Id").isNull());
}

TEST_F(OpzioniWindowTest, ExportFolderIsPickedWithItsSeparatorAndOpened) {
    const QString chosen = folder.path() + "/Fatture";
    ASSERT_TRUE(QDir().mkpath(chosen));

    // Cancelled, or a folder that does not exist: nothing changes.
    scripted.answerFolder("");
    screen.pickFolder();
    scripted.answerFolder(folder.path() + "/Nessuna");
    screen.pickFolder();
    EXPECT_TRUE(db.table("TableOpzioni").isNull("CartellaEsportazioneDocumenti"));

    screen.openFolder();
    EXPECT_EQ(scripted.messages().last(), "Attenzione manca la Cartella di Lavoro");
    EXPECT_EQ(scripted.calls().last().title, "Messaggio di errore");

    scripted.answerFolder(chosen);
    screen.pickFolderButton()->click();
    EXPECT_EQ(scripted.calls().last().folder, folder.path()) << "starts beside the archive";
    EXPECT_EQ(db.table("TableOpzioni").text("CartellaEsportazioneDocumenti"), chosen + "/");
    EXPECT_TRUE(stored("CartellaEsportazioneDocumenti").isNull()) << "stored only on Indietro";
    screen.openFolderButton()->click();
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(chosen + "/")});

    screen.indietro();
    EXPECT_EQ(stored("CartellaEsportazioneDocumenti").toString(), chosen + "/");

    ASSERT_TRUE(QDir(chosen).removeRecursively());
    scripted.clear();
    screen.openFolder();
    EXPECT_EQ(scripted.messages(),
              QStringList("la Cartella: " + chosen + "/ non esiste più o non è raggiungibile!!!"));
    EXPECT_EQ(opened.size(), 1);
}

} // namespace
