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
#include <memory>

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

    // Each run imports into an archive of its own, made beforehand; the sqlite3 shell (the
    // reference) imports the same file into a scratch table of a new database. Interleaved:
    // shell, program, shell, program...
    constexpr int kRuns = 7;
    const double before = peakMemoryMb();
    std::vector<std::unique_ptr<DataModule>> archives;
    for (int run = 0; run < kRuns; ++run) {
        const QString archive = dir.filePath(QString("a%1.mdb").arg(run));
        createArchive(archive);
        auto db = std::make_unique<DataModule>();
        db->connessione().open(archive);
        db->connessione().exec("insert into PA_FE_Header (DatiTrasmissione_ProgressivoInvio) "
                               "values ('1')");
        db->connessione().exec("insert into PA_FE_Body (PA_FE_Header_Id) values (1)");
        db->openAllDatasets();
        db->loadBodies();
        db->requeryBodyChildren();
        archives.push_back(std::move(db));
    }
    int shellRun = 0;
    int programRun = 0;
    const std::vector<Runs> runs = interleaved(
        kRuns, {std::function<void()>([&] {
                    QProcess p;
                    p.setStandardOutputFile(QProcess::nullDevice());
                    p.start("sqlite3", {dir.filePath(QString("scratch%1.db").arg(shellRun++)),
                                        "CREATE TABLE linee (d TEXT, q TEXT, p TEXT, a TEXT)",
                                        ".separator ;", ".import '" + text + "' linee"});
                    p.waitForFinished(-1);
                }),
                std::function<void()>([&] {
                    DataModule& db = *archives[size_t(programRun++)];
                    QFile f(text);
                    f.open(QIODevice::ReadOnly);
                    const importa::Settings settings{
                        ";", false, {"Descrizione", "Quantita", "Prezzo", "AliquotaIva"}, {}};
                    const importa::Parsed parsed =
                        importa::parse(importa::decodeText(f.readAll()), settings);
                    linee::addLines(db, parsed.lines);
                })});
    for (const auto& db : archives) {
        if (db->connessione()
                .scalar("select count(*) from PA_FE_Body_DatiBeniServizi_DettaglioLinee")
                .toInt() != kLines)
            report("ERROR: lines stored differ from", kLines, "lines");
    }
    // Where the program's time goes (not part of the comparison).
    DataModule& last = *archives.back();
    const double reading = medianMs(3, [&] {
        QFile f(text);
        f.open(QIODevice::ReadOnly);
        importa::parse(importa::decodeText(f.readAll()),
                       {";", false, {"Descrizione", "Quantita", "Prezzo"}, {}});
    });
    const double requery = medianMs(
        3, [&] { last.table("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee").requery(); });
    compareRuns("line import of 100,000 lines into one body against sqlite3 .import of the same "
                "file (interleaved)",
                runs[1], runs[0], 2.0);
    report("  of which reading and checking the file", reading, "ms");
    report("  of which re-reading the body's lines for the screen", requery, "ms");
    report("peak memory before the import", before, "MB");
    report("peak memory after the import", peakMemoryMb(), "MB");
});
