// Grid layouts kept per workstation: applied at start-up, saved, reset, and robust against stored
// data that no longer fits the grid.
#include "ShellFixture.h"

#include "masterdata/GridLayout.h"
#include "ui/DataGrid.h"

#include <QSqlQuery>

using namespace brevalto;
using brevalto::test::ShellTest;

namespace {

const QString layoutName = QStringLiteral("frmGrigliaComuni");

const QList<GridColumn> designed = {
    {"Comune", "Comune", 435},
    {"Provincia", "Prov.", 47},
    {"CAP", "CAP", 60},
};

struct Stored {
    QString campi, width, caption;
    QString campiDef, widthDef, captionDef;
    int totale = -1;
};

class GridLayoutTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        archive = makeArchive();
    }
    void TearDown() override {
        grid.reset();
        ShellTest::TearDown();
    }

    // One run of the program on a workstation, with the municipality grid as designed.
    void run(const QString& computer = QStringLiteral("PC1")) {
        grid.reset();
        stop();
        launch();
        dm().setComputerName(computer);
        grid = std::make_unique<DataGrid>();
        grid->setColumns(designed);
        grid->setDataset(&dm().table("TableComuni"));
        screens->registerLayoutGrid(layoutName, grid.get());
        ASSERT_TRUE(start());
    }

    // The next start on a workstation as far as this grid goes, without restarting the program:
    // a grid as designed gets the stored layout applied, as the start-up does for each grid.
    void reopen(const QString& computer = QStringLiteral("PC1")) {
        if (!screens)
            run(computer);
        dm().setComputerName(computer);
        grid = std::make_unique<DataGrid>();
        grid->setColumns(designed);
        grid->setDataset(&dm().table("TableComuni"));
        installGridLayoutMenu(*grid, layoutName, dm());
        Dataset& griglie = dm().table("TableGriglie");
        griglie.requery();
        ApplyGridLayout(layoutName, *grid, griglie, false, dm().computerName());
    }

    QList<Stored> stored(const QString& computer) {
        Connection c;
        c.open(archive);
        QSqlQuery q = c.exec("SELECT CampiUtente, WidthUtente, CaptionUtente, CampiPredefiniti, "
                             "WidthPredefiniti, CaptionPredefiniti, TotaleCampiPredefiniti FROM "
                             "griglie WHERE NomeComputer = ? AND NomeGriglia = ?",
                             {computer, layoutName});
        QList<Stored> rows;
        while (q.next())
            rows << Stored{q.value(0).toString(),
                           q.value(1).toString(),
                           q.value(2).toString(),
                           q.value(3).toString(),
                           q.value(4).toString(),
                           q.value(5).toString(),
                           q.value(6).isNull() ? -1 : q.value(6).toInt()};
        return rows;
    }

    QStringList fields() const {
        QStringList out;
        for (const GridColumn& c : grid->columns())
            out << c.field;
        return out;
    }

    void selectColumn(int column) { grid->setCurrentIndex(grid->model()->index(0, column)); }

    QString archive;
    std::unique_ptr<DataGrid> grid;
};

} // namespace

TEST_F(GridLayoutTest, FirstStartStoresTheDesignAsBothLayouts) {
    run();
    const QList<Stored> rows = stored("PC1");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].campi, "Comune|Provincia|CAP|");
    EXPECT_EQ(rows[0].width, "435|47|60|");
    EXPECT_EQ(rows[0].caption, "Comune|Prov.|CAP|");
    EXPECT_EQ(rows[0].campiDef, rows[0].campi);
    EXPECT_EQ(rows[0].widthDef, rows[0].width);
    EXPECT_EQ(rows[0].captionDef, rows[0].caption);
    EXPECT_EQ(rows[0].totale, 3);
    run();
    EXPECT_EQ(stored("PC1").size(), 1) << "the next start finds the row";
}

TEST_F(GridLayoutTest, SavedWidthComesBackOnlyAfterSalvaGriglia) {
    reopen();
    grid->setColumnWidth(0, 300);
    reopen();
    EXPECT_EQ(grid->columnWidth(0), 435) << "not saved, not kept";

    grid->setColumnWidth(0, 300);
    Q_EMIT grid->saveLayoutRequested();
    reopen();
    EXPECT_EQ(grid->columnWidth(0), 300);
    EXPECT_EQ(stored("PC1")[0].widthDef, "435|47|60|") << "the default layout stays";
}

TEST_F(GridLayoutTest, RemovedColumnStaysRemovedOnceSaved) {
    reopen();
    selectColumn(1);
    grid->removeSelectedColumn();
    EXPECT_EQ(fields(), QStringList({"Comune", "CAP"}));
    Q_EMIT grid->saveLayoutRequested();
    reopen();
    EXPECT_EQ(fields(), QStringList({"Comune", "CAP"}));
    EXPECT_EQ(stored("PC1")[0].totale, 3);
}

TEST_F(GridLayoutTest, ResetBringsBackTheDesignedWidthsAndTitles) {
    reopen();
    QList<GridColumn> changed = designed;
    changed[0].width = 300;
    changed[1].caption = "Provincia";
    grid->setColumns(changed);
    Q_EMIT grid->saveLayoutRequested();
    reopen();
    EXPECT_EQ(grid->columns()[1].caption, "Provincia");

    Q_EMIT grid->resetLayoutRequested();
    EXPECT_EQ(grid->columnWidth(0), 435);
    EXPECT_EQ(grid->columns()[1].caption, "Prov.");
    const Stored row = stored("PC1")[0];
    EXPECT_EQ(row.width, "435|47|60|");
    EXPECT_EQ(row.caption, "Comune|Prov.|CAP|");
}

TEST_F(GridLayoutTest, ResetWithAColumnRemovedStoresTheGridAsShown) {
    reopen();
    selectColumn(2);
    grid->removeSelectedColumn();
    Q_EMIT grid->resetLayoutRequested();
    EXPECT_EQ(fields(), QStringList({"Comune", "Provincia"}));
    const Stored row = stored("PC1")[0];
    EXPECT_EQ(row.campi, "Comune|Provincia|");
    EXPECT_EQ(row.campiDef, "Comune|Provincia|");
    EXPECT_EQ(row.totale, 2);

    reopen();
    EXPECT_EQ(fields(), QStringList({"Comune", "Provincia", "CAP"}))
        << "the design returns when its column count differs from the stored one";
    EXPECT_EQ(stored("PC1")[0].totale, 3);
}

TEST_F(GridLayoutTest, WorkstationsKeepSeparateLayouts) {
    // An apostrophe in a workstation name must not break the search for its row.
    const QString pc2 = QStringLiteral("Dell'Ufficio");
    reopen("PC1");
    grid->setColumnWidth(0, 300);
    Q_EMIT grid->saveLayoutRequested();
    reopen(pc2);
    EXPECT_EQ(grid->columnWidth(0), 435);
    grid->setColumnWidth(0, 200);
    Q_EMIT grid->saveLayoutRequested();
    Q_EMIT grid->saveLayoutRequested();
    reopen("PC1");
    EXPECT_EQ(grid->columnWidth(0), 300);
    reopen(pc2);
    EXPECT_EQ(grid->columnWidth(0), 200);
    EXPECT_EQ(stored(pc2).size(), 1);
    EXPECT_TRUE(prompt.calls().isEmpty());
}

TEST_F(GridLayoutTest, EmptyComputerNameIsStoredAsSenzaNome) {
    run(QString());
    EXPECT_EQ(dm().computerName(), "SenzaNome");
    EXPECT_EQ(stored("SenzaNome").size(), 1);
}

TEST_F(GridLayoutTest, UnusableStoredLayoutIsReplacedByTheDesign) {
    const QStringList spoilers = {
        "UPDATE griglie SET WidthUtente = '435|abc|60|'",
        "UPDATE griglie SET CampiUtente = NULL",
        "UPDATE griglie SET WidthUtente = NULL",
        "UPDATE griglie SET TotaleCampiPredefiniti = 5",
    };
    for (const QString& spoiler : spoilers) {
        SCOPED_TRACE(spoiler.toStdString());
        reopen();
        grid->setColumnWidth(0, 300);
        Q_EMIT grid->saveLayoutRequested();
        sql(archive, spoiler);
        reopen();
        EXPECT_EQ(fields(), QStringList({"Comune", "Provincia", "CAP"}));
        EXPECT_EQ(grid->columnWidth(0), 435);
        const Stored row = stored("PC1")[0];
        EXPECT_EQ(row.width, "435|47|60|");
        EXPECT_EQ(row.widthDef, "435|47|60|");
        EXPECT_EQ(row.totale, 3);
    }
}

TEST_F(GridLayoutTest, GridWithoutColumnsStoresNothing) {
    reopen();
    DataGrid empty;
    SaveGridLayout("frmVuota", empty, dm().table("TableGriglie"), true, "PC1");
    EXPECT_EQ(
        scalar(archive, "SELECT count(*) FROM griglie WHERE NomeGriglia = 'frmVuota'").toInt(), 0);
}
