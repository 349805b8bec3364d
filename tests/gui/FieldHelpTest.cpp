// The field help window: one FatturaPA element's description, shown without waiting.
#include "ShellFixture.h"

#include "ui/FieldHelp.h"
#include "utility/DescrizioneFunzionaliWindow.h"

#include <QPushButton>

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
