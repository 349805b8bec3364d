// The about screen: its two addresses open with the system's handler.
#include "settings/RealizzazioneWindow.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace brevalto;

TEST(RealizzazioneWindowTest, LabelsOpenTheWebSiteAndANewMessage) {
    RealizzazioneWindow screen;
    QList<QUrl> opened;
    screen.openUrl = [&](const QUrl& url) {
        opened << url;
        return true;
    };
    EXPECT_EQ(screen.windowTitle(), "Realizzazione");
    screen.show();
    Q_EMIT screen.webLabel()->linkActivated("https://brevalto.example");
    Q_EMIT screen.mailLabel()->linkActivated("mailto:assistenza@brevalto.example");
    EXPECT_EQ(opened, (QList<QUrl>{QUrl("https://brevalto.example"),
                                   QUrl("mailto:assistenza@brevalto.example")}));
    EXPECT_TRUE(screen.webLabel()->text().contains("href=\"https://brevalto.example\""));
    EXPECT_TRUE(screen.mailLabel()->text().contains("href=\"mailto:assistenza@brevalto.example\""));
    screen.indietroButton()->click();
    EXPECT_FALSE(screen.isVisible());
}
