// Copying an archive file into a new one with "brevalto copy-archive" (rows counted and hashed as
// they are copied, the copy compared with the original before it is kept) against the sqlite3
// shell's ".dump | sqlite3" of the same archive, whole processes interleaved.
#include "Bench.h"

#include "store/ArchiveCreator.h"
#include "store/Connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

using namespace brevalto;
using namespace brevalto::bench;

namespace {

// An archive of some years: 70,000 customers, 2,000 Documents of one body with 100 lines each.
void fill(const QString& path) {
    Connection c;
    c.open(path);
    c.inTransaction([&] {
        c.execNative(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < "
            "69999) INSERT INTO PA_CessionarioCommittente (CessionarioCommittente_IdPaese, "
            "CessionarioCommittente_IdCodice, CessionarioCommittente_Denominazione, "
            "CessionarioCommittente_Sede_Indirizzo, CessionarioCommittente_Sede_CAP, "
            "CessionarioCommittente_Sede_Comune, "
            "CessionarioCommittente_NominativoVisualizzato) SELECT 'IT', "
            "substr('00000000000' || i, -11, 11), 'Cliente ' || i || ' Srl', 'Via Roma ' "
            "|| i, '00100', 'Roma', 'Cliente ' || i || ' Srl' FROM n");
        c.execNative("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                     "2000) INSERT INTO PA_FE_Header (id, Numero, Data, Esportato) SELECT i, i, "
                     "'2024-01-15', 1 FROM n");
        c.execNative("INSERT INTO PA_FE_Body (Id, PA_FE_Header_Id, DatiGenerali_TipoDocumento, "
                     "DatiGenerali_Divisa, DatiGenerali_Data, DatiGenerali_Numero) SELECT id, id, "
                     "'TD01', 'EUR', '2024-01-15', Numero FROM PA_FE_Header");
        c.execNative("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < "
                     "199999) INSERT INTO PA_FE_Body_DatiBeniServizi_DettaglioLinee "
                     "(PA_FE_Body_Id, NumeroLinea, Descrizione, Quantita, PrezzoUnitario, "
                     "PrezzoTotale, AliquotaIva) SELECT 1 + i / 100, 1 + i % 100, 'Articolo "
                     "numero ' || i || ' della fornitura di materiale', 1, 10, 10, 22 FROM n");
    });
}

// One run of a program to its end, output discarded; false when it failed.
bool run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, arguments);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

static Registrar copyBench("copy", [] {
    QTemporaryDir dir;
    const QString source = dir.filePath("archivioPa.mdb");
    createArchive(source);
    fill(source);
    report("archive size", QFileInfo(source).size() / 1048576.0, "MB");
    const QString program = QCoreApplication::applicationDirPath() + "/brevalto";
    int ours = 0;
    int shell = 0;
    bool failed = false;
    const std::vector<Runs> runs = interleaved(
        5, {std::function<void()>([&] {
                const QString copy = dir.filePath(QString("copia%1.mdb").arg(ours++));
                failed |= !run(program, {"copy-archive", source, copy});
                QFile::remove(copy);
            }),
            std::function<void()>([&] {
                const QString copy = dir.filePath(QString("dump%1.db").arg(shell++));
                failed |=
                    !run("/bin/sh",
                         {"-c", QString("sqlite3 '%1' .dump | sqlite3 '%2'").arg(source, copy)});
                QFile::remove(copy);
            })});
    if (failed)
        report("ERROR: a copy failed", 1, "");
    compareRuns("copy-archive file to file against sqlite3 .dump | sqlite3 (whole processes)",
                runs[0], runs[1], 1.0);
});
