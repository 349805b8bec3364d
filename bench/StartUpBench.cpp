// Start-up figures: creating every screen and running the start-up sequence on a full archive,
// as the program does from launch to a main window ready for work.
#include "Bench.h"

#include "app/Environment.h"
#include "app/MainWindow.h"
#include "app/Screens.h"
#include "store/ArchiveCreator.h"

#include <QTemporaryDir>

using namespace brevalto;
using namespace brevalto::bench;

static Registrar startUpBench("startup", [] {
    QTemporaryDir dir;
    createArchive(dir.filePath("archivioPa.mdb"));
    Environment env;
    env.programFolder = dir.path() + "/";
    env.endProgram = [] {};
    env.startProgram = [](const QString&) { return true; };
    env.pause = [](int) {};
    double create = 0, start = 0;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        Screens screens(env);
        const double created = t.nsecsElapsed() / 1e6;
        const bool ready = screens.mainWindow().runStartUp();
        const double total = t.nsecsElapsed() / 1e6;
        if (!ready)
            report("start-up did not finish", 0, "");
        create = i == 0 ? created : std::min(create, created);
        start = i == 0 ? total : std::min(start, total);
    }
    report("screens created", create, "ms");
    report("launch to main window ready (screens + start-up)", start, "ms");
});
