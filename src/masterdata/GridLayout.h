#pragma once
// Per-workstation grid layouts kept in the archive table "griglie": for each (workstation, layout
// name) the column field names, widths and titles as "|"-terminated lists, once as the user left
// them and once as the program designed them, so that "Reset Griglia" can bring the design back.
#include <QString>

namespace brevalto {

class DataGrid;
class DataModule;
class Dataset;

// Stores the grid's columns as the user layout; also as the default layout when writeDefaults is
// on or the row has none yet. A grid without columns stores nothing. Throws DbError.
void SaveGridLayout(const QString& layoutName, DataGrid& grid, Dataset& griglie, bool writeDefaults,
                    const QString& computerName);

// Rebuilds the grid's columns from the stored user layout (the default one with useDefaults).
// When nothing usable is stored (no row, a column count that no longer matches the design, a
// missing list, a width that is not a number) the grid keeps its columns and they are stored as
// both layouts. Throws DbError only for a failing write.
void ApplyGridLayout(const QString& layoutName, DataGrid& grid, Dataset& griglie, bool useDefaults,
                     const QString& computerName);

// "Reset Griglia": the default layout back on the grid, stored as the user layout too.
void ResetGridLayout(const QString& layoutName, DataGrid& grid, Dataset& griglie,
                     const QString& computerName);

// Turns on the grid's pop-up menu ("Salva Griglia", "Elimina Colonna", "Reset Griglia") and wires
// it to the data module's "griglie" dataset and workstation name. Errors are shown to the user.
void installGridLayoutMenu(DataGrid& grid, const QString& layoutName, DataModule& dataModule);

} // namespace brevalto
