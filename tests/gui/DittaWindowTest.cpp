// The firm screen on a real archive: the municipality pick and "Cancella", the VAT-number
// warning on leaving "P.Iva", and "Salva" with the transmitter's country and tax code it needs.
#include "settings/DittaWindow.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"
#include "ui/BoundInputs.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

class DittaWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.connessione().open(test::copyOfNewArchive(folder));
        db.openAllDatasets();
        // The screen is driven without being shown: its municipality list is opened as showing
        // it would.
        db.table("TableComuni");
        setPrompt(&scripted);
    }
    void TearDown() override { setPrompt(nullptr); }

    QVariant stored(const QString& column) {
        return db.connessione().scalar(QString("select %1 from Ditta").arg(column));
    }
    Dataset& ditta() { return db.table("TableDitta"); }

    test::TempFolder folder;
    DataModule db;
    test::ScriptedPrompt scripted;
    DittaWindow screen{db};
};

TEST_F(DittaWindowTest, LeavingPartitaIvaWarnsAboutAWrongCheckDigit) {
    auto* piva = qobject_cast<QLineEdit*>(screen.field("PIva"));
    ASSERT_TRUE(piva);
    struct Case {
        const char* number;
        bool warned;
    };
    for (const Case& c : {Case{"00000000000", false}, Case{"12345678903", false},
                          Case{"12345678901", true}, Case{"1234", true}, Case{"", false}}) {
        scripted.clear();
        piva->selectAll();
        QTest::keyClick(piva, Qt::Key_Delete);
        QTest::keyClicks(piva, c.number);
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(piva, &leave);
        EXPECT_EQ(scripted.messages(),
                  c.warned
                      ? QStringList{"Attenzione la partita Iva appena inserita non è valida!!!"}
                      : QStringList())
            << c.number;
        EXPECT_EQ(ditta().text("PIva"), c.number) << "the number stays as typed";
    }
    // The window losing the focus (to the warning itself, for instance) is not leaving the field.
    scripted.clear();
    QTest::keyClicks(piva, "9");
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(piva, &away);
    EXPECT_TRUE(scripted.calls().isEmpty());
}

TEST_F(DittaWindowTest, MunicipalityPickCancellaAndSalva) {
    QTest::keyClicks(screen.field("RagSoc"), "Alfa Srl");
    QTest::keyClicks(screen.field("CodFisc"), "01234567897");
    auto* comune = qobject_cast<BoundLookup*>(screen.field("Comune"));
    const int index = comune->findText("Agliè");
    ASSERT_GE(index, 0);
    comune->setCurrentIndex(index);
    Q_EMIT comune->activated(index);
    EXPECT_EQ(ditta().text("Comune"), "Agliè");
    EXPECT_EQ(ditta().text("Cap"), "10011");
    EXPECT_EQ(ditta().text("Provincia"), "TO");
    EXPECT_EQ(screen.field("Cap")->focusPolicy(), Qt::ClickFocus)
        << "Tab passes the filled fields by";

    screen.salvaButton()->click();
    EXPECT_EQ(stored("Comune").toString(), "Agliè");
    EXPECT_EQ(stored("RagSoc").toString(), "Alfa Srl");
    EXPECT_EQ(ditta().state(), Dataset::State::Edit) << "left in edit state after Salva";

    screen.cancellaButton()->click();
    EXPECT_EQ(ditta().text("Comune"), "");
    EXPECT_EQ(ditta().text("Cap"), "");
    EXPECT_EQ(ditta().text("Provincia"), "");
    EXPECT_EQ(ditta().text("RagSoc"), "Alfa Srl") << "nothing else";
    screen.salva();
    EXPECT_EQ(stored("Comune").toString(), "");
    EXPECT_EQ(stored("IdPaese").toString(), "IT");
    EXPECT_TRUE(scripted.calls().isEmpty());
}

TEST_F(DittaWindowTest, TheTransmittersCountryAndTaxCodeAreNeeded) {
    int saves = 0;
    screen.saved = [&] { ++saves; };
    const QString noCode = "Attenzione manca il Codice fiscale della Ditta: identifica chi "
                           "trasmette le fatture e dà il nome ai file esportati";
    const QString badLength = "Attenzione il Codice fiscale della Ditta è di 11 o 16 caratteri";
    const struct {
        const char* country;
        const char* code;
        QString message; // empty: stored
    } cases[] = {
        {"IT", "", noCode},
        {"IT", "0123456789", badLength},
        {"IT", "012345678901", badLength},
        {"IT", "01234567897", ""},
        {"IT", "RSSMRA80A01H501U", ""},
        {"DE", "123456789", ""},
        {"", "01234567897", "Attenzione manca la Nazione della Ditta"},
    };
    for (const auto& c : cases) {
        ditta().edit();
        ditta().setValue("IdPaese", QString(c.country));
        ditta().setValue("CodFisc", QString(c.code));
        scripted.clear();
        const int before = saves;
        screen.salvaButton()->click();
        EXPECT_EQ(scripted.messages(), c.message.isEmpty() ? QStringList() : QStringList{c.message})
            << c.country << c.code;
        EXPECT_EQ(saves - before, c.message.isEmpty() ? 1 : 0) << c.country << c.code;
        if (c.message.isEmpty()) {
            EXPECT_EQ(stored("CodFisc").toString(), c.code);
        }
    }
}

} // namespace
