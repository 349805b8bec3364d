#include "app/CommandLine.h"

#include <QApplication>
#include <QCoreApplication>
#include <memory>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    {
        // Subcommands never open a window: they run on a core application.
        QCoreApplication core(argc, argv);
        const int code = brevalto::runCommandLine(arguments);
        if (code >= 0)
            return code;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevalto"));
    return 0;
}
