// The setup that follows the creation of a new archive, driven through its screens as a user
// would: each step filled or skipped, what it stores where the program reads it, and the main
// window's title naming the firm once it is saved. With BREVALTO_SHOTS set to a folder, every
// step's screen and the main window are saved there as pictures, to be looked at.
#include "ShellFixture.h"

#include "app/FirstSetup.h"
#include "masterdata/PartyEditors.h"
#include "settings/DittaWindow.h"
#include "ui/BoundInputs.h"
#include "ui/ScreenHost.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace brevalto::test {
namespace {

void type(QWidget* input, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(input);
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, text);
}

void pick(QWidget* input, const QString& shown) {
    auto* list = qobject_cast<BoundLookup*>(input);
    ASSERT_NE(list, nullptr);
    int index = list->findText(shown);
    if (index < 0)
        index = list->findText(shown, Qt::MatchStartsWith);
    ASSERT_GE(index, 0) << shown.toStdString();
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

QPushButton* stripButton(QDialog& screen, const QString& name) {
    return screen.findChild<QPushButton*>(name);
}

QString stepHeading(QDialog& screen) {
    for (QLabel* label : screen.findChildren<QLabel*>()) {
        if (label->text().contains(QLatin1String("Primo avvio")))
            return label->text();
    }
    return {};
}

void shoot(QWidget& screen, const QString& name, bool firstCase) {
    const QString folder = qEnvironmentVariable("BREVALTO_SHOTS");
    if (folder.isEmpty() || !firstCase)
        return;
    screen.show();
    QApplication::processEvents();
    screen.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

class FirstSetupTest : public ShellTest {
protected:
    void TearDown() override {
        setModalShower({});
        ShellTest::TearDown();
    }
    QVariant stored(const QString& query) { return scalar(defaultArchive(), query); }
};

TEST_F(FirstSetupTest, EachStepFilledOrSkipped) {
    const QString s = "CedentePrestatore_";
    struct Case {
        const char* what;
        bool firm, seller, bank;
        QString title;
        QStringList steps; // the headings' step numbers shown
        QStringList stillMissing;
    };
    const QList<Case> cases = {
        {"all filled", true, true, true, "Brevalto - Alfa Srl", {"1", "2", "3"}, {}},
        {"the firm only",
         true,
         false,
         false,
         "Brevalto - Alfa Srl",
         {"1", "2"},
         {"il Cedente - Prestatore"}},
        {"all skipped",
         false,
         false,
         false,
         "Brevalto - ",
         {"1", "2"},
         {"la Ditta", "il Cedente - Prestatore"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(defaultArchive());
        QFile::remove(programFolder() + "percorsoPa.txt");
        prompt.clear();
        prompt.answerQuestion(true); // create the archive
        launch();
        auto& firm = screens->get<DittaWindow>();
        auto& seller = screens->get<CedenteEditor>();
        QStringList steps;
        QString titleAfterFirm;
        setModalShower([&](QDialog& screen) -> int {
            const QString heading = stepHeading(screen);
            EXPECT_FALSE(heading.isEmpty()) << screen.objectName().toStdString();
            steps << heading.section(QLatin1String("passo "), 1).left(1);
            auto* step = qobject_cast<EditorBase*>(&screen);
            EXPECT_TRUE(step && step->indietroButton()->isHidden()) << "the strip leads the way";
            if (&screen == &firm) {
                shoot(screen, "setup-1-ditta", &c == &cases.first());
                if (c.firm) {
                    stripButton(screen, kSetupNext)->click();
                    EXPECT_EQ(prompt.messages().value(0),
                              "Attenzione manca il Codice fiscale della Ditta: identifica chi "
                              "trasmette le fatture e dà il nome ai file esportati")
                        << "Avanti keeps the screen's rules";
                    EXPECT_EQ(screen.result(), QDialog::Rejected);
                    type(firm.field("RagSoc"), "Alfa Srl");
                    type(firm.field("PIva"), "01234567897");
                    type(firm.field("CodFisc"), "01234567897");
                    type(firm.field("Via"), "Via Roma");
                    type(firm.field("Numero"), "1");
                    pick(firm.field("Comune"), "Roma");
                    stripButton(screen, kSetupNext)->click();
                    titleAfterFirm = window().windowTitle();
                } else {
                    type(firm.field("RagSoc"), "Non salvata");
                    stripButton(screen, kSetupSkip)->click();
                }
            } else if (&screen == &seller && steps.size() == 2) {
                EXPECT_EQ(seller.tabs()->currentIndex(), 1) << "the seat";
                EXPECT_EQ(seller.dataset().text(s + "IdPaese"), "IT");
                EXPECT_EQ(seller.dataset().text(s + "Sede_Nazione"), "IT");
                EXPECT_EQ(seller.dataset().text(s + "Denominazione"), c.firm ? "Alfa Srl" : "")
                    << "started from the firm";
                EXPECT_EQ(seller.dataset().text(s + "Sede_Comune"), c.firm ? "Roma" : "");
                shoot(screen, "setup-2-cedente", &c == &cases.first());
                if (c.seller) {
                    pick(seller.field(s + "RegimeFiscale"), "Regime ordinario");
                    stripButton(screen, kSetupNext)->click();
                    EXPECT_FALSE(seller.saveFailed()) << prompt.messages().join("|").toStdString();
                } else {
                    stripButton(screen, kSetupSkip)->click();
                }
            } else if (&screen == &seller) {
                EXPECT_EQ(seller.tabs()->currentIndex(), 5) << "the bank details";
                shoot(screen, "setup-3-banca", &c == &cases.first());
                type(seller.field("DPIstitutoFinanziario"), "Banca Esempio");
                type(seller.field("DPIban"), "IT60X0542811101000000123456");
                stripButton(screen, kSetupNext)->click();
            }
            screen.hide();
            return screen.result();
        });
        ASSERT_TRUE(window().runStartUp());

        EXPECT_EQ(steps, c.steps);
        EXPECT_EQ(window().windowTitle(), c.title);
        if (c.firm) {
            EXPECT_EQ(titleAfterFirm, c.title) << "named as soon as the firm is saved";
        }
        EXPECT_EQ(stored("select CodFisc from Ditta").toString(), c.firm ? "01234567897" : "");
        EXPECT_EQ(stored("select RagSoc from Ditta").toString(), c.firm ? "Alfa Srl" : "");
        EXPECT_EQ(stored("select count(*) from PA_CedentePrestatore").toInt(), c.seller ? 1 : 0);
        EXPECT_EQ(stored("select DPIban from PA_CedentePrestatore").toString(),
                  c.bank ? "IT60X0542811101000000123456" : "");
        EXPECT_FALSE(firm.indietroButton()->isHidden()) << "the screens are themselves again";
        EXPECT_FALSE(firm.salvaButton()->isHidden());
        EXPECT_FALSE(seller.indietroButton()->isHidden());
        EXPECT_EQ(seller.findChild<QPushButton*>(kSetupNext), nullptr);

        const QString closing = prompt.messages().last();
        EXPECT_EQ(closing.startsWith("Impostazione iniziale completata."), c.stillMissing.isEmpty())
            << closing.toStdString();
        for (const QString& missing : c.stillMissing)
            EXPECT_TRUE(closing.contains("- " + missing)) << closing.toStdString();
        EXPECT_TRUE(closing.contains("\"Esporta xml\""));

        if (c.bank) {
            // What the setup stored is what a new Document starts from.
            setModalShower([](QDialog&) { return 0; });
            QTest::mouseClick(window().button("spdInserisci"), Qt::LeftButton);
            EXPECT_EQ(stored("select DatiTrasmissione_IdPaese || DatiTrasmissione_IdCodice from "
                             "PA_FE_Header")
                          .toString(),
                      "IT01234567897");
            EXPECT_EQ(stored("select CedentePrestatore_RegimeFiscale || ' ' || DPIban from "
                             "PA_FE_Header")
                          .toString(),
                      "RF01 IT60X0542811101000000123456");
            window().tabs()->setCurrentIndex(0);
            shoot(window(), "main-window", &c == &cases.first());
        }
        stop();
    }
}

} // namespace
} // namespace brevalto::test
