// Qt's own window options open the desktop program, as no arguments do; anything else is a
// subcommand or a wrong command line and never opens a window.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

using namespace brevalto;

TEST(WindowOptionsTest, QtWindowOptionsOpenTheProgram) {
    const QStringList opening[] = {
        {"brevalto"},
        {"brevalto", "-platform", "offscreen"},
        {"brevalto", "--platform=offscreen"},
        {"brevalto", "-style", "Fusion", "-reverse"},
        {"brevalto", "-qwindowgeometry", "800x600", "-platform", "xcb"},
    };
    for (const QStringList& args : opening)
        EXPECT_EQ(runCommandLine(args), -1) << args.join(' ').toStdString();
}
