// The main of the screen tests: a QApplication on the offscreen platform, so that screens run
// headless, with the Italian formats of numbers and dates the program uses.
#include "ui/Translations.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    brevalto::useItalianFormats();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
