// The field help window: one FatturaPA element's description, shown without waiting.
#include "ShellFixture.h"

#include "app/Screens.h"
#include "documents/HeaderEditor.h"
#include "logic/DocumentRegister.h"
#include "ui/FieldHelp.h"
#include "utility/DescrizioneFunzionaliWindow.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace brevalto;
using brevalto::test::ShellTest;

TEST_F(ShellTest, FieldHelpShowsTheElementOrNothing) {
    makeArchive();
    ASSERT_TRUE(start());
    DescrizioneFunzionaliWindow& help = screens->get<DescrizioneFunzionaliWindow>();
    EXPECT_EQ(help.windowTitle(), "Descrizione delle funzioni");

    requestFieldHelp("1.2.1.1.1");
    EXPECT_TRUE(help.isVisible());
    EXPECT_FALSE(help.isModal());
    EXPECT_EQ(help.codice(), "1.2.1.1.1");
    EXPECT_EQ(help.titolo(), "IdPaese");
    EXPECT_TRUE(help.descrizione().startsWith("Codice della nazione"));

    for (const QString& missing : {QString("9.9.9"), QString("1'2")}) {
        requestFieldHelp(missing);
        EXPECT_TRUE(help.isVisible());
        EXPECT_EQ(help.codice(), "");
        EXPECT_EQ(help.titolo(), "");
        EXPECT_EQ(help.descrizione(), "");
    }
    EXPECT_TRUE(prompt.calls().isEmpty());

    help.findChild<QPushButton*>("spdIndietro")->click();
    EXPECT_FALSE(help.isVisible());
}

TEST_F(ShellTest, FieldHelpOpensInFrontOfAModalEditorAndAnswersThere) {
    makeArchive();
    ASSERT_TRUE(start());
    DescrizioneFunzionaliWindow& help = screens->get<DescrizioneFunzionaliWindow>();
    HeaderEditor& header = screens->get<HeaderEditor>();
    bool shown = false, closedByClick = false, closedByEscape = false, editorOpen = false;
    // The header editor runs modally (a real event loop) while the user asks for help.
    QTimer::singleShot(0, [&] {
        auto* button = header.findChild<QToolButton*>("help_DatiTrasmissione_ProgressivoInvio");
        ASSERT_TRUE(button);
        button->click();
        shown = help.isVisible() && help.codice() == "1.1.2";
        // Clicks and keys go through the window system, which drops them for a blocked window.
        auto* back = help.findChild<QPushButton*>("spdIndietro");
        QTest::mouseClick(help.windowHandle(), Qt::LeftButton, {},
                          back->mapTo(&help, back->rect().center()));
        closedByClick = !help.isVisible();
        button->click();
        QTest::keyClick(help.windowHandle(), Qt::Key_Escape);
        closedByEscape = !help.isVisible();
        editorOpen = header.isVisible();
        button->click();
        header.annulla(); // the help window closes with its screen
    });
    ASSERT_TRUE(screens->documents().aggiungi());
    EXPECT_TRUE(shown);
    EXPECT_TRUE(closedByClick) << "its Indietro answers while the editor is open";
    EXPECT_TRUE(closedByEscape);
    EXPECT_TRUE(editorOpen);
    EXPECT_FALSE(help.isVisible());
    EXPECT_NE(help.parentWidget(), &header) << "given back, not owned by the editor";

    requestFieldHelp("1.2.1.1.1"); // and it still opens from the main window
    EXPECT_TRUE(help.isVisible());
    help.close();
}
