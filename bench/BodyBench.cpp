// A body of 9,999 lines in the body editor: opening it from the body register to the editor
// shown, then its lines grid scrolled a page at a time from the first line to the last, each page
// painted; beside the sqlite3 shell reading the same rows (whole process, output discarded),
// interleaved. No goal: the figures show what a large body costs on screen.
#include "Bench.h"

#include "app/Environment.h"
#include "app/MainWindow.h"
#include "app/Screens.h"
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "logic/DocumentRegister.h"
#include "store/ArchiveCreator.h"
#include "store/Connection.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>

using namespace brevalto;
using namespace brevalto::bench;

namespace {

constexpr int kDocument = 7;

// One Document with one body of 9,999 lines, each with a description, quantity, price and rate.
void addLargeBody(const QString& archive) {
    Connection c;
    c.open(archive);
    c.inTransaction([&] {
        c.execNative(QStringLiteral("INSERT INTO PA_FE_Header (id, Numero, Data) VALUES (%1, %1, "
                                    "'2024-01-15')")
                         .arg(kDocument));
        c.execNative(QStringLiteral("INSERT INTO PA_FE_Body (Id, PA_FE_Header_Id, "
                                    "DatiGenerali_TipoDocumento, DatiGenerali_Divisa, "
                                    "DatiGenerali_Data, DatiGenerali_Numero) VALUES (%1, %1, "
                                    "'TD01', 'EUR', '2024-01-15', '%1')")
                         .arg(kDocument));
        c.execNative(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM "
                                    "n WHERE i < 9999) INSERT INTO "
                                    "PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id, "
                                    "NumeroLinea, Descrizione, Quantita, UnitaMisura, "
                                    "PrezzoUnitario, PrezzoTotale, AliquotaIva) SELECT %1, i, "
                                    "'Articolo di magazzino numero ' || i, 1 + i % 7, 'PZ', "
                                    "12.5, 12.5 * (1 + i % 7), 22 FROM n")
                         .arg(kDocument));
    });
}

} // namespace

static Registrar bodyBench("body", [] {
    QTemporaryDir folder;
    const QString archive = folder.filePath("archivioPa.mdb");
    createArchive(archive);
    addLargeBody(archive);

    const Environment env = benchEnvironment(folder.path());
    Screens screens(env);
    if (!screens.mainWindow().runStartUp()) {
        report("start-up did not finish", 0, "");
        return;
    }
    DataModule& db = screens.dataModule();
    BodyRegister& bodies = screens.get<BodyRegister>();
    BodyEditor& editor = screens.get<BodyEditor>();
    DocumentRegister documents(db, prompt());

    Runs opening;
    Runs scrolling;
    int pages = 0;
    int rows = 0;
    // The editor is shown without a modal loop of its own: shown, painted, its lines tab brought
    // forward and their grid scrolled to the end, then closed.
    QElapsedTimer timer;
    setModalShower([&](QDialog& screen) {
        screen.show();
        screen.repaint();
        QApplication::processEvents();
        DataGrid* grid = editor.sectionGrid(ds::PA_FE_Body_DatiBeniServizi_DettaglioLinee);
        if (auto* tabs = editor.findChild<QTabWidget*>()) {
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i)->isAncestorOf(grid))
                    tabs->setCurrentIndex(i);
        }
        grid->repaint();
        QApplication::processEvents();
        opening.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        rows = grid->model() ? grid->model()->rowCount() : 0;

        timer.restart();
        QScrollBar* bar = grid->verticalScrollBar();
        pages = 0;
        while (bar->value() < bar->maximum()) {
            bar->setValue(bar->value() + bar->pageStep());
            grid->viewport()->repaint();
            QApplication::processEvents();
            ++pages;
        }
        scrolling.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        screen.hide();
        return 0;
    });

    const QString lines = QStringLiteral(
        "SELECT * FROM PA_FE_Body_DatiBeniServizi_DettaglioLinee WHERE PA_FE_Body_Id = %1 ORDER BY "
        "NumeroLinea, Id");
    const std::vector<Runs> runs =
        interleaved(7, {std::function<void()>([&] {
                            Dataset& header = db.table(ds::PA_FE_Header);
                            header.locate(QStringLiteral("id"), kDocument);
                            documents.loadBodies();
                            timer.start();
                            bodies.modifica();
                        }),
                        Command{{QStringLiteral("sqlite3"), archive, lines.arg(kDocument)}}});
    setModalShower({});

    report("lines in the grid", rows, "");
    report("pages scrolled", pages, "");
    QTextStream(stdout) << "body editor opened on 9,999 lines, lines tab shown: "
                        << opening.spread() << "\n";
    QTextStream(stdout) << "lines grid scrolled end to end, a page at a time: "
                        << scrolling.spread() << "\n";
    QTextStream(stdout) << "sqlite3 reading the same rows (whole process): " << runs[1].spread()
                        << "\n";
    report("opening and scrolling against sqlite3 reading the rows (no goal)",
           (opening.median() + scrolling.median()) / runs[1].median(), "x");
    report("peak memory", peakMemoryMb(), "MB");
});
