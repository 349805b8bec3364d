#include "masterdata/GridLayout.h"

#include "store/DataModule.h"
#include "store/Dataset.h"
#include "store/DatasetNames.h"
#include "store/SqlText.h"
#include "store/TextFields.h"
#include "ui/DataGrid.h"

namespace brevalto {

namespace {

const QChar separator = QLatin1Char('|');

// The row of one workstation and layout. The workstation name is quoted like the layout name: a
// computer name may hold an apostrophe.
QString layoutFilter(const QString& computerName, const QString& layoutName) {
    return QStringLiteral("NomeComputer = '%1' and NomeGriglia = '%2'")
        .arg(QuoteSql(computerName), QuoteSql(layoutName));
}

// Null or empty: either would give a grid without columns.
bool missing(const Dataset& griglie, const QString& column) {
    return griglie.text(column).isEmpty();
}

// The stored lists turned into columns; false when a width is not a whole number.
bool parseLayout(const QString& fields, const QString& widths, const QString& captions,
                 QList<GridColumn>* out) {
    const int count = CountFields(fields, separator);
    for (int n = 1; n <= count; ++n) {
        bool ok = false;
        const int width = GetField(widths, n, separator).trimmed().toInt(&ok);
        if (!ok)
            return false;
        out->append({GetField(fields, n, separator), GetField(captions, n, separator), width});
    }
    return true;
}

} // namespace

void SaveGridLayout(const QString& layoutName, DataGrid& grid, Dataset& griglie, bool writeDefaults,
                    const QString& computerName) {
    QString widths, fields, captions;
    const QList<GridColumn> columns = grid.columns();
    for (const GridColumn& column : columns) {
        widths += QString::number(column.width) + separator;
        fields += column.field + separator;
        captions += column.caption + separator;
    }
    griglie.setFilter(layoutFilter(computerName, layoutName));
    if (widths.isEmpty()) {
        griglie.setFilter(QString());
        return;
    }
    if (griglie.isEmpty()) {
        griglie.setFilter(QString());
        griglie.append();
    } else {
        griglie.edit();
    }
    try {
        griglie.setValue(QStringLiteral("NomeGriglia"), layoutName);
        griglie.setValue(QStringLiteral("CampiUtente"), fields);
        griglie.setValue(QStringLiteral("WidthUtente"), widths);
        griglie.setValue(QStringLiteral("NomeComputer"), computerName);
        griglie.setValue(QStringLiteral("CaptionUtente"), captions);
        if (writeDefaults || missing(griglie, QStringLiteral("CampiPredefiniti"))) {
            griglie.setValue(QStringLiteral("CampiPredefiniti"), fields);
            griglie.setValue(QStringLiteral("WidthPredefiniti"), widths);
            griglie.setValue(QStringLiteral("TotaleCampiPredefiniti"), int(columns.size()));
            griglie.setValue(QStringLiteral("CaptionPredefiniti"), captions);
        }
        griglie.post();
    } catch (const DbError&) {
        griglie.cancel();
        griglie.setFilter(QString());
        throw;
    }
    griglie.setFilter(QString());
}

void ApplyGridLayout(const QString& layoutName, DataGrid& grid, Dataset& griglie, bool useDefaults,
                     const QString& computerName) {
    griglie.setFilter(layoutFilter(computerName, layoutName));
    const bool usable =
        !griglie.isEmpty() &&
        griglie.integer(QStringLiteral("TotaleCampiPredefiniti")) == grid.columns().size() &&
        !missing(griglie, QStringLiteral("WidthUtente")) &&
        !missing(griglie, QStringLiteral("CampiUtente"));
    QList<GridColumn> columns;
    if (usable) {
        const QString suffix =
            useDefaults ? QStringLiteral("Predefiniti") : QStringLiteral("Utente");
        // Built aside and put on the grid only when every width reads, so that bad stored data
        // leaves the grid as it was.
        if (!parseLayout(griglie.text(QStringLiteral("Campi") + suffix),
                         griglie.text(QStringLiteral("Width") + suffix),
                         griglie.text(QStringLiteral("Caption") + suffix), &columns))
            columns.clear();
    }
    griglie.setFilter(QString());
    if (columns.isEmpty()) {
        SaveGridLayout(layoutName, grid, griglie, true, computerName);
        return;
    }
    grid.setColumns(columns);
}

void ResetGridLayout(const QString& layoutName, DataGrid& grid, Dataset& griglie,
                     const QString& computerName) {
    ApplyGridLayout(layoutName, grid, griglie, true, computerName);
    SaveGridLayout(layoutName, grid, griglie, false, computerName);
}

void installGridLayoutMenu(DataGrid& grid, const QString& layoutName, DataModule& dataModule) {
    grid.setLayoutMenu(true);
    DataModule* dm = &dataModule;
    DataGrid* g = &grid;
    // The grid's menu runs these guarded: an archive error is shown.
    QObject::connect(&grid, &DataGrid::saveLayoutRequested, &grid, [=] {
        SaveGridLayout(layoutName, *g, dm->table(ds::Griglie), false, dm->computerName());
    });
    QObject::connect(&grid, &DataGrid::resetLayoutRequested, &grid, [=] {
        ResetGridLayout(layoutName, *g, dm->table(ds::Griglie), dm->computerName());
    });
}

} // namespace brevalto
