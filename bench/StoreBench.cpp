// Archive figures: creating an archive, opening the municipalities, filtering them per keystroke.
#include "Bench.h"

#include "store/ArchiveCreator.h"
#include "store/Connection.h"
#include "store/Dataset.h"

#include <QFile>
#include <QTemporaryDir>

using namespace brevalto;
using namespace brevalto::bench;

static Registrar storeBench("store", [] {
    QTemporaryDir dir;
    int n = 0;
    report("create archive",
           bestMs(3, [&] { createArchive(dir.filePath(QString("a%1.mdb").arg(n++))); }), "ms");
    Connection c;
    c.open(dir.filePath("a0.mdb"));
    Dataset comuni(c, "TableComuni", "SELECT * FROM Comuni Order By Comune");
    report("open Comuni (7,894 rows)", bestMs(5, [&] { comuni.open(); }), "ms");
    // A user typing "San Giovanni" into the Comune search box, one keystroke at a time.
    const QString typed = "San Giovanni";
    double worst = 0;
    for (int i = 1; i <= typed.size(); ++i) {
        const QString filter = "Comune like '" + typed.left(i) + "*'";
        worst = std::max(worst, bestMs(1, [&] { comuni.setFilter(filter); }));
    }
    report("Comuni search keystroke, worst of 12", worst, "ms");
    report("Comuni contains-search keystroke",
           bestMs(1, [&] { comuni.setFilter("Comune like '*ova*' and Provincia like 'M*'"); }),
           "ms");
    report("peak memory", peakMemoryMb(), "MB");
});
