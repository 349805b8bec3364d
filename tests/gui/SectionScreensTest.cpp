// The withholding, pension-fund, discount, reason and attachment screens, reached as the user
// reaches them (adding a row from the body editor), with their save rules, the reason picker, the
// silent clearing of the pension fund's nature and the attachment's file check.
#include "documents/AllegatiEditor.h"
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "documents/CassaEditor.h"
#include "documents/CausaliPagamentoPicker.h"
#include "documents/RitenutaEditor.h"
#include "logic/DocumentRegister.h"
#include "logic/VatRules.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

class SectionScreensTest : public ::testing::Test {
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

    // Adds a row of a section from the body editor; its screen is left as it opened.
    EditorBase& add(const QString& dataset) {
        EditorBase* screen = editor.sectionScreen(dataset);
        EXPECT_TRUE(screen);
        EXPECT_TRUE(editor.addSectionRow(dataset));
        return *screen;
    }
    void set(EditorBase& screen, const QList<QPair<QString, QVariant>>& values) {
        screen.dataset().edit();
        for (const auto& [column, value] : values)
            screen.dataset().setValue(column, value);
        screen.setModified(true);
    }
    // "Indietro"; the first message shown, empty when saved.
    QString leave(EditorBase& screen) {
        scripted.clear();
        screen.indietro();
        EXPECT_EQ(screen.saveFailed(), !scripted.messages().isEmpty());
        return scripted.messages().value(0);
    }
    QVariant scalar(const QString& query) { return db.connessione().scalar(query); }

    test::TempFolder folder;
    DataModule db;
    test::ScriptedPrompt scripted;
    DocumentRegister documents{db, scripted};
    BodyRegister reg{db};
    BodyEditor editor{db};
};

TEST_F(SectionScreensTest, WithholdingNeedsAKnownReason) {
    EditorBase& screen = add("TablePA_FE_Body_DatiRitenuta");
    ASSERT_TRUE(screen.isModified()) << "a new row starts modified";
    EXPECT_EQ(leave(screen), "Attenzione manca il Tipo di ritenuta");

    const QString nonConforming = "Attenzione il codice inserito per la Causale relativa alle "
                                  "ritenute non è conforme ai codici da poter utilizzare!";
    set(screen, {{"TipoRitenuta", "RT01"}, {"AliquotaRitenuta", 20.0}});
    EXPECT_EQ(leave(screen), "Attenzione manca la causale della ritenuta");
    for (const char* reason : {"ZZ", "'", "A'"}) {
        SCOPED_TRACE(reason);
        set(screen, {{"CausalePagamento", reason}});
        EXPECT_EQ(leave(screen), nonConforming);
        EXPECT_EQ(screen.focusWidget(), screen.field("CausalePagamento"));
    }
    EXPECT_TRUE(db.table("TablePa_Ritenute_CausalePagamento").filter().isEmpty());
    set(screen, {{"CausalePagamento", "A"}});
    EXPECT_EQ(leave(screen), "");
    EXPECT_EQ(scalar("select CausalePagamento from PA_FE_Body_DatiRitenuta").toString(), "A");
}

TEST_F(SectionScreensTest, WithholdingCercaTakesTheChosenReasonOnly) {
    auto& screen = static_cast<RitenutaEditor&>(add("TablePA_FE_Body_DatiRitenuta"));
    CausaliPagamentoPicker* picker = screen.picker();
    Dataset& reasons = db.table("TablePa_Ritenute_CausalePagamento");
    screen.setModified(false);

    setModalShower([&](QDialog& shown) {
        EXPECT_EQ(&shown, picker);
        EXPECT_FALSE(picker->chosen()) << "cleared before showing";
        EXPECT_TRUE(reasons.locate("Codice", "B"));
        picker->indietro();
        return 0;
    });
    screen.cercaButton()->click();
    EXPECT_TRUE(screen.dataset().isNull("CausalePagamento"));
    EXPECT_FALSE(screen.isModified());

    setModalShower([&](QDialog&) {
        EXPECT_TRUE(reasons.locate("Codice", "M"));
        Q_EMIT picker->grid()->rowActivated(); // a double click
        return 0;
    });
    screen.cercaButton()->click();
    EXPECT_EQ(screen.dataset().text("CausalePagamento"), "M");
    EXPECT_TRUE(screen.isModified());
}

TEST_F(SectionScreensTest, PensionFundLosesItsNatureWithVatAndNeedsOneWithout) {
    EditorBase& screen = add("TablePA_FE_Body_DatiCassaPrevidenziale");
    set(screen, {{"TipoCassa", "TC01"},
                 {"AlCassa", 4.0},
                 {"ImportoContributoCassa", 40.0},
                 {"AliquotaIva", 22.0},
                 {"Natura", "N1"},
                 {"Ritenuta", "si"}});
    EXPECT_EQ(leave(screen), "");
    EXPECT_TRUE(scalar("select Natura from PA_FE_Body_DatiCassaPrevidenziale").isNull());
    EXPECT_EQ(scalar("select Ritenuta from PA_FE_Body_DatiCassaPrevidenziale").toString(), "si");

    // A zero rate needs a nature still in force; a rate below 1 is a mistake.
    const struct {
        QVariant rate;
        QVariant nature;
        QString message;
    } cases[] = {
        {0.0, QVariant(), "Attenzione con Iva a Zero è necessario specificare la natura !"},
        {0.0, "N2", vat::kRetiredNatureMessage},
        {0.5, QVariant(), vat::kImpossibleRateMessage},
        {0.0, "N2.1", ""},
    };
    for (const auto& c : cases) {
        set(screen, {{"AliquotaIva", c.rate}, {"Ritenuta", QVariant()}, {"Natura", c.nature}});
        EXPECT_EQ(leave(screen), c.message) << c.rate.toString().toStdString();
    }
    EXPECT_EQ(scalar("select Natura from PA_FE_Body_DatiCassaPrevidenziale").toString(), "N2.1");

    set(screen, {{"Ritenuta", "NO"}});
    EXPECT_EQ(leave(screen),
              "Attenzione il solo valore per la Ritenuta e' di SI altrimenti lasciare vuoto!");
}

TEST_F(SectionScreensTest, DiscountAndReasonNeedTheirOneField) {
    EditorBase& sconto = add("TablePA_FE_Body_ScontoMaggiorazione");
    EXPECT_EQ(leave(sconto), "Attenzione manca il Tipo");
    set(sconto, {{"Tipo", "SC"}});
    EXPECT_EQ(leave(sconto), vat::kMissingPercentageAndAmount) << "a type alone is no discount";
    set(sconto, {{"Importo", 5.0}});
    EXPECT_EQ(leave(sconto), "");

    EditorBase& causale = add("TablePA_FE_Body_Causale");
    EXPECT_EQ(leave(causale), "Attenzione manca la Descrizione");
    set(causale, {{"Descrizione", "Fornitura di giugno"}});
    EXPECT_EQ(leave(causale), "");
}

TEST_F(SectionScreensTest, AttachmentMustPointAtAFile) {
    auto& screen = static_cast<AllegatiEditor&>(add("TablePA_FE_Body_Allegati"));
    EXPECT_FALSE(screen.isModified()) << "an attachment is not checked until touched";
    EXPECT_FALSE(screen.isAnnullaVisible());

    const QString file = folder.file("fattura.pdf");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("%PDF");
    }
    set(screen, {{"NomeAttachment", "fattura.pdf"}});
    EXPECT_EQ(leave(screen), "Attenzione manca il Percorso dell'allegato");
    set(screen, {{"PercorsoCompleto", folder.file("spostato.pdf")}});
    EXPECT_EQ(leave(screen), "Attenzione il File non risulta esistere nel percorso definito !");
    set(screen, {{"PercorsoCompleto", folder.path()}});
    EXPECT_EQ(leave(screen), "Attenzione il File non risulta esistere nel percorso definito !")
        << "a folder is no file";

    // "Cerca" fills the path and nothing else.
    screen.setModified(false);
    scripted.answerOpenFile(file);
    screen.cercaButton()->click();
    EXPECT_TRUE(screen.isModified());
    EXPECT_EQ(screen.dataset().text("PercorsoCompleto"), file);
    EXPECT_EQ(screen.dataset().text("NomeAttachment"), "fattura.pdf");
    EXPECT_TRUE(screen.dataset().isNull("FormatoAttachment"));
    EXPECT_EQ(leave(screen), "");
    EXPECT_EQ(scalar("select PercorsoCompleto from PA_FE_Body_Allegati").toString(), file);
}

} // namespace
