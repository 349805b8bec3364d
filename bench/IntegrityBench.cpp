// The damage check at opening on a large archive: quick_check (what the program runs) against the
// full integrity_check and against reading the whole file, measured side by side on one archive of
// about 200 MB (a new archive grown with invoice lines).
#include "Bench.h"

#include "store/ArchiveCheck.h"
#include "store/ArchiveCreator.h"
#include "store/Connection.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace brevalto::bench {
namespace {

void integrity() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archivioPa.mdb"));
    createArchive(path);
    {
        Connection c;
        c.open(path);
        c.inTransaction([&] {
            const QString description = QString(120, QLatin1Char('x'));
            c.execNative(QStringLiteral("INSERT INTO PA_FE_Header (Numero) VALUES (1)"));
            c.execNative(QStringLiteral("INSERT INTO PA_FE_Body (PA_FE_Header_Id) VALUES (1)"));
            for (int i = 0; QFileInfo(path).size() < 200LL * 1024 * 1024; ++i) {
                for (int k = 0; k < 5000; ++k)
                    c.execNative(QStringLiteral("INSERT INTO "
                                                "PA_FE_Body_DatiBeniServizi_DettaglioLinee "
                                                "(PA_FE_Body_Id, NumeroLinea, Descrizione, "
                                                "PrezzoUnitario, PrezzoTotale, AliquotaIva) "
                                                "VALUES (1, ?, ?, 10.5, 10.5, 22)"),
                                 {k + 1, description + QString::number(i * 5000 + k)});
                // The file grows at commit only: look at the page count instead.
                QSqlQuery q = c.execNative(QStringLiteral("PRAGMA page_count"));
                if (q.next() && q.value(0).toLongLong() * 4096 >= 200LL * 1024 * 1024)
                    break;
            }
        });
    }
    report(QStringLiteral("archive size"), QFileInfo(path).size() / 1048576.0,
           QStringLiteral("MB"));

    Connection c;
    const double open = bestMs(3, [&] {
        c.close();
        c.open(path);
    });
    const double read = bestMs(3, [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        while (!f.read(1 << 20).isEmpty()) {
        }
    });
    const double quick = bestMs(3, [&] { archiveDamage(c); });
    const double full = bestMs(1, [&] { c.execNative(QStringLiteral("PRAGMA integrity_check")); });
    report(QStringLiteral("open without check"), open, QStringLiteral("ms"));
    report(QStringLiteral("read the whole file (cached)"), read, QStringLiteral("ms"));
    report(QStringLiteral("quick_check (the damage check)"), quick, QStringLiteral("ms"));
    report(QStringLiteral("integrity_check"), full, QStringLiteral("ms"));
    report(QStringLiteral("quick_check / integrity_check"), quick / full, QStringLiteral("x"));
}

const Registrar registrar("integrity", integrity);

} // namespace
} // namespace brevalto::bench
