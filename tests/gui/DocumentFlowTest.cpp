// The documents tab of the real main window: adding, cancelling, opening and deleting Documents,
// and the utility screens its buttons open.
#include "ShellFixture.h"
#include "documents/HeaderEditor.h"
#include "documents/HeaderPartyEditors.h"
#include "settings/DittaWindow.h"
#include "settings/OpzioniWindow.h"
#include "settings/RealizzazioneWindow.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace brevalto::test {
namespace {

class DocumentFlowTest : public ShellTest {
protected:
    void TearDown() override {
        setModalShower({});
        ShellTest::TearDown();
    }
    void click(const char* button) { QTest::mouseClick(window().button(button), Qt::LeftButton); }
    int documents() {
        return scalar(defaultArchive(), "select count(*) from PA_FE_Header").toInt();
    }
};

TEST_F(DocumentFlowTest, AddOpensTheHeaderAndAnnullaTakesTheDocumentBack) {
    makeArchive();
    sql(defaultArchive(), "update Ditta set CodFisc = 'rssmra80a01h501u', IdPaese = 'IT'");
    ASSERT_TRUE(start());

    QStringList shown;
    setModalShower([&](QDialog& screen) {
        shown << screen.windowTitle();
        if (&screen == &screens->get<HeaderEditor>()) {
            EXPECT_TRUE(screens->get<HeaderEditor>().isAnnullaVisible());
            EXPECT_EQ(dm().table("TablePA_FE_Header").text("DatiTrasmissione_IdCodice"),
                      "RSSMRA80A01H501U");
            screens->get<HeaderEditor>().annulla();
        }
        return 0;
    });
    click("spdInserisci");
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(documents(), 0) << "Annulla right after Aggiungi leaves the register as it was";
    EXPECT_TRUE(prompt.calls().isEmpty()) << "and asks nothing";

    setModalShower([&](QDialog& screen) {
        EXPECT_EQ(&screen, &screens->get<HeaderEditor>());
        EXPECT_TRUE(screens->get<HeaderEditor>().isAnnullaVisible());
        screens->get<HeaderEditor>().indietro();
        return 0;
    });
    click("spdInserisci");
    click("spdInserisci");
    EXPECT_EQ(documents(), 2);
    // The number the taken-back Document had is not given again.
    EXPECT_EQ(dm().table("TablePA_FE_Header").integer("Numero"), 3);
    EXPECT_EQ(window().documentGrid()->model()->rowCount(), 2);

    bool opened = false;
    setModalShower([&](QDialog& screen) {
        opened = &screen == &screens->get<HeaderEditor>() &&
                 !screens->get<HeaderEditor>().isAnnullaVisible();
        return 0;
    });
    click("spdModifica");
    EXPECT_TRUE(opened) << "Modifica opens the header without Annulla";

    prompt.answerQuestion(true);
    click("spdElimina");
    EXPECT_EQ(documents(), 1);
    EXPECT_EQ(prompt.calls().last().text, "Sei sicuro di voler eliminare il Documento?");
    EXPECT_EQ(dm().table("TablePA_FE_Header").integer("Numero"), 2);
}

// The register reads a few columns of each Document at start-up: a Document opened from it
// still shows everything it holds.
TEST_F(DocumentFlowTest, AStoredDocumentOpensWithEverythingItHolds) {
    makeArchive();
    sql(defaultArchive(),
        "insert into PA_FE_Header (Numero, Data, DatiTrasmissione_IdCodice, "
        "CessionarioCommittente_Denominazione, CessionarioCommittente_NominativoVisualizzato) "
        "values (1, '2024-01-15', '01234567890', 'Alfa Srl', 'Alfa Srl'), "
        "(2, '2024-02-01', '09876543210', 'Beta Spa', 'Beta Spa')");
    ASSERT_TRUE(start());
    DataGrid* grid = window().documentGrid();
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->index(1, 2).data().toString(), "Beta Spa");
    grid->setCurrentIndex(grid->model()->index(1, 0));

    QString shownCode;
    setModalShower([&](QDialog& screen) {
        if (auto* code = screen.findChild<QLineEdit*>("DatiTrasmissione_IdCodice"))
            shownCode = code->text();
        return 0;
    });
    click("spdModifica");
    EXPECT_EQ(shownCode, "09876543210");
}

TEST_F(DocumentFlowTest, UtilityButtonsShowTheirScreensWithoutWaiting) {
    makeArchive();
    ASSERT_TRUE(start());
    click("btnOpzioni");
    EXPECT_TRUE(screens->get<OpzioniWindow>().isVisible());
    click("btnRealizzazione");
    auto& about = screens->get<RealizzazioneWindow>();
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(about.archiveLabel()->text(), defaultArchive()) << "the archive in use";
    EXPECT_EQ(about.folderLabel()->text(), programFolder());
    click("btnCaricaDitta");
    EXPECT_TRUE(screens->get<DittaWindow>().isVisible());
    EXPECT_FALSE(screens->get<HeaderCedenteEditor>().sellerSelector()->isVisibleTo(
        &screens->get<HeaderCedenteEditor>()))
        << "single-seller archives hide the seller selector";
}

} // namespace
} // namespace brevalto::test
