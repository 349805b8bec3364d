#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/Screens.h"
#include "store/Version.h"
#include "ui/QtPrompt.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <memory>

int main(int argc, char** argv) {
    brevalto::useItalianFormats();
    QList<QByteArray> arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    if (argc > 1 && qstrcmp(argv[1], "pdf") == 0) {
        // The PDF needs fonts, so a GUI application, but never a window or a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication gui(argc, argv);
        QGuiApplication::setApplicationName(QStringLiteral("Brevalto"));
        QGuiApplication::setApplicationVersion(brevalto::programVersion());
        return brevalto::runCommandLine(arguments);
    }
    {
        // Subcommands never open a window: they run on a core application.
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Brevalto"));
        QCoreApplication::setApplicationVersion(brevalto::programVersion());
        const int code = brevalto::runCommandLine(arguments);
        if (code >= 0)
            return code;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevalto"));
    QApplication::setApplicationVersion(brevalto::programVersion());
    QApplication::setDesktopFileName(QStringLiteral("example.brevalto.Brevalto"));
    QIcon icon;
    for (const char* size : {"32", "48", "256"})
        icon.addFile(QStringLiteral(":/icons/brevalto-%1.png").arg(QLatin1String(size)));
    QApplication::setWindowIcon(icon);
    QApplication::setStyle(QStringLiteral("Fusion"));
    brevalto::installQtItalian(app);

    brevalto::QtPrompt qtPrompt;
    brevalto::setPrompt(&qtPrompt);

    int code = 0;
    {
        brevalto::Screens screens(brevalto::Environment::desktop());
        brevalto::MainWindow& window = screens.mainWindow();
        window.show();
        // The first activation runs the start-up sequence.
        window.activateWindow();
        // With BREVALTO_QUIT_WHEN_READY set the program ends as soon as the main window is ready
        // for work, with 0 when the start-up got there: its start-up can be timed from outside.
        if (qEnvironmentVariableIsSet("BREVALTO_QUIT_WHEN_READY"))
            QMetaObject::invokeMethod(
                &window,
                [&window] {
                    const bool ready = window.startUpDone() || window.runStartUp();
                    QCoreApplication::processEvents();
                    QCoreApplication::exit(ready ? 0 : 1);
                },
                Qt::QueuedConnection);
        code = app.exec();
    }
    brevalto::setPrompt(nullptr);
    return code;
}
