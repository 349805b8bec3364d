// Line import figures: a 100,000-line text file imported into one body (reading, checking and
// storing every line in one transaction), against the sqlite3 shell's .import of the same file
// into a scratch table, side by side in the same run.
#include "Bench.h"

#include "logic/LineImport.h"
#include "store/ArchiveCreator.h"
#include "store/DataModule.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace brevalto;
using namespace brevalto::bench;

static Registrar importBench("import", [] {
    constexpr int kLines = 100000;
    QTemporaryDir dir;
    const QString text = dir.filePath("linee.csv");
    {
        QFile f(text);
        f.open(QIODevice::WriteOnly);
        QByteArray bytes;
        for (int i = 1; i <= kLines; ++i)
            bytes += "Articolo numero " + QByteArray::number(i) + " descrizione di prova;" +
                     QByteArray::number(i % 7 + 1) + ";" + QByteArray::number(i % 1000) +
                     ",25;22\n";
        f.write(bytes);
    }

    // The reference: the sqlite3 shell importing the same file into a scratch table.
    int round = 0;
    const double shell = bestMs(3, [&] {
        const QString scratch = dir.filePath(QString("scratch%1.db").arg(round++));
        QProcess p;
        p.start("sqlite3", {scratch});
        p.waitForStarted();
        p.write(QString("CREATE TABLE linee (d TEXT, q TEXT, p TEXT, a TEXT);\n"
                        ".separator ;\n.import '%1' linee\n")
                    .arg(text)
                    .toUtf8());
        p.closeWriteChannel();
        p.waitForFinished(-1);
    });

    const double before = peakMemoryMb();
    double program = 1e300, reading = 1e300, requery = 1e300;
    for (int run = 0; run < 3; ++run) {
        const QString archive = dir.filePath(QString("a%1.mdb").arg(run));
        createArchive(archive);
        DataModule db;
        db.connessione().open(archive);
        db.connessione().exec("insert into PA_FE_Header (DatiTrasmissione_ProgressivoInvio) "
                              "values ('1')");
        db.connessione().exec("insert into PA_FE_Body (PA_FE_Header_Id) values (1)");
        db.openAllDatasets();
        db.loadBodies();
        db.requeryBodyChildren();
        program =
            std::min(program, bestMs(1, [&] {
                         QFile f(text);
                         f.open(QIODevice::ReadOnly);
                         const importa::Settings settings{
                             ";", false, {"Descrizione", "Quantita", "Prezzo", "AliquotaIva"}, {}};
                         const importa::Parsed parsed =
                             importa::parse(importa::decodeText(f.readAll()), settings);
                         linee::addLines(db, parsed.lines);
                     }));
        reading =
            std::min(reading, bestMs(1, [&] {
                         QFile f(text);
                         f.open(QIODevice::ReadOnly);
                         importa::parse(importa::decodeText(f.readAll()),
                                        {";", false, {"Descrizione", "Quantita", "Prezzo"}, {}});
                     }));
        requery = std::min(requery, bestMs(1, [&] {
                               db.table("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee").requery();
                           }));
        if (db.connessione()
                .scalar("select count(*) from PA_FE_Body_DatiBeniServizi_DettaglioLinee")
                .toInt() != kLines)
            report("ERROR: lines stored differ from", kLines, "lines");
    }
    report("sqlite3 .import of 100,000 lines", shell, "ms");
    report("line import of 100,000 lines into one body", program, "ms");
    report("ratio (goal at most 3)", program / shell, "x");
    report("  of which reading and checking the file", reading, "ms");
    report("  of which re-reading the body's lines for the screen", requery, "ms");
    report("peak memory before the import", before, "MB");
    report("peak memory after the import", peakMemoryMb(), "MB");
});
