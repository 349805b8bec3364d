// The directory of public administrations: importing 200,000 offices (75 MB) with "brevalto
// import-ipa" against the sqlite3 shell's .import of the same file, whole processes interleaved,
// with the peak memory of each; and a finder search by a contains criterion against the same
// query run by the sqlite3 shell on the same archive.
#include "Bench.h"

#include "store/ArchiveCreator.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/IpaDirectory.h"
#include "utility/TrovaPaWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace brevalto;
using namespace brevalto::bench;

namespace {

// A file laid out as the current IndicePA CSV of offices with the invoicing service.
void writeDirectory(const QString& path, Connection& c, int offices) {
    QStringList istat;
    QSqlQuery q = c.execNative("SELECT COD_ISTAT FROM Comuni");
    while (q.next())
        istat << q.value(0).toString();
    QRandomGenerator random(17);
    const char* words[] = {"Comune",   "Provincia", "Azienda",   "Sanitaria",  "Istituto",
                           "Scuola",   "Agenzia",   "Ufficio",   "Regionale",  "Consorzio",
                           "Bonifica", "Camera",    "Commercio", "Universita", "Statale"};
    const auto phrase = [&](int n) {
        QStringList w;
        for (int i = 0; i < n; ++i)
            w << words[random.bounded(int(std::size(words)))];
        return w.join(' ');
    };
    QByteArray out = "Codice_IPA,Denominazione_ente,Codice_fiscale_ente,Codice_uni_uo,"
                     "Codice_uni_aoo,Descrizione_uo,Codice_fiscale_sfe,Codice_comune_ISTAT,"
                     "Codice_catastale_comune,CAP,Indirizzo,Mail1,Data_aggiornamento\n";
    for (int i = 0; i < offices; ++i) {
        const QString code = QString::number(i + 36 * 36 * 36 * 36 * 36, 36).toUpper().right(6);
        out += QString("ipa_%1,\"%2 %1\",%3,%4,A%1,\"Uff_eFatturaPA %5\",,%6,,%7,\"Via %8, %9\","
                       "uff%1@pec.it,2024-01-15\n")
                   .arg(i / 3)
                   .arg(phrase(3))
                   .arg(80000000000LL + i / 3)
                   .arg(code)
                   .arg(phrase(2))
                   .arg(istat[random.bounded(int(istat.size()))])
                   .arg(10000 + random.bounded(89999))
                   .arg(phrase(2))
                   .arg(random.bounded(200))
                   .toUtf8();
    }
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(out);
}

double shellMs(const QString& archive, const QByteArray& input) {
    return bestMs(3, [&] {
        QProcess p;
        p.start("sqlite3", {archive});
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(120000);
        p.readAllStandardOutput();
    });
}

} // namespace

static Registrar ipaBench("ipa", [] {
    QTemporaryDir dir;
    const QString archive = dir.filePath("archivioPa.mdb");
    createArchive(archive);
    Connection c;
    c.open(archive);
    const QString file = dir.filePath("uo_sfe.csv");
    const int offices = 200000;
    writeDirectory(file, c, offices);
    report("directory file size", QFile(file).size() / 1e6, "MB");

    const double parsed = bestMs(3, [&] {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        ipa::parseDelimited(QString::fromUtf8(f.readAll()), QLatin1Char(','));
    });
    report("splitting the file into records, every column kept", parsed, "ms");
    c.close();
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/brevalto");
    const std::vector<Runs> runs =
        interleaved(5, {Command{{program, "import-ipa", "--archive", archive, file}},
                        Command{{"sqlite3", archive, "DROP TABLE IF EXISTS scratch", ".mode csv",
                                 ".import " + file + " scratch"}}});
    report("brevalto import-ipa peak memory (median, goal under 50)", runs[0].medianPeakMb(), "MB");
    report("sqlite3 .import peak memory (median)", runs[1].medianPeakMb(), "MB");
    compareRuns("import-ipa of 200,000 offices against sqlite3 .import of the same file (whole "
                "processes)",
                runs[0], runs[1], 1.0);
    c.open(archive);
    c.execNative("DROP TABLE IF EXISTS scratch");

    // A finder search: "Desc. PA" contains a word, and "Comune" contains a name (the index on the
    // municipality key).
    const struct {
        const char* what;
        QStringList texts;
    } searches[] = {
        {"Desc. PA contains 'consorzio bonifica'", {"", "consorzio bonifica"}},
        {"Comune contains 'san giovanni'", {"san giovanni"}},
        {"Cod. univoco contains 'ZZ'", {"", "", "ZZ"}},
    };
    for (const auto& s : searches) {
        const QString sql = TrovaPaWindow::searchSql(s.texts);
        Dataset result(c, "TablePA_fatturazioneElettronica", sql);
        int rows = 0;
        const double ours = bestMs(5, [&] {
            result.close();
            result.open();
            rows = result.rowCount();
        });
        const double shell = shellMs(archive, sql.toUtf8() + ";\n");
        report(QString("search %1 (%2 rows)").arg(s.what).arg(rows), ours, "ms");
        report("  same query in the sqlite3 shell", shell, "ms");
        report("  search ratio (goal <= 2)", ours / shell, "x");
    }
    report("peak memory", peakMemoryMb(), "MB");
});
