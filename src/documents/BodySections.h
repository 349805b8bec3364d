#pragma once
// The fifteen child sections of a body as data: which shared dataset and table each lives in, the
// grid the body editor shows for it, what a new row starts with, which second-level rows belong to
// a row (loaded before its screen opens, deleted with it) and how adding, opening and deleting
// behave. Also the operations several screens share: the user's defaults for new rows and the
// delete of a whole body.
#include "ui/DataGrid.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace brevalto {

class DataModule;
class Dataset;
class EditorBase;
class Prompt;

struct SectionStart {
    enum class Kind {
        Fixed,           // value as given
        Today,           // the current date
        NextLineNumber,  // the body's highest line number + 1
        StartEsigibilita // a summary row's start chargeability
    };
    QString column;
    Kind kind = Kind::Fixed;
    QVariant value;
};

// Rows of a second-level table hanging from one section row.
struct SecondLevel {
    QString dataset;
    QString table;
    QString parentKey;
    QString ordering;
};

struct BodySection {
    QString title;   // caption of the section's box in the body editor
    QString dataset; // shared dataset of the rows of the current body
    QString table;
    int tab = 0; // body editor tab of its grid
    QList<GridColumn> columns;
    bool sortOnTitleClick = true;
    QString unsortedColumn; // a title whose click does nothing (a long text)
    bool openOnDoubleClick = true;
    QList<SectionStart> start;
    QString personalizzazioni; // table name whose user defaults fill a new row; empty for none
    bool clearFilter = false;  // the filter is cleared before adding
    bool markModified = false; // the screen starts modified after an add
    bool showAnnulla = false;  // the screen offers "Annulla" after an add
    QList<SecondLevel> secondLevel;
    bool skippedInBatch = false; // not shown while lines are added in a batch
    QString deleteQuestion;
    bool honoursSilentDelete = false; // under silentDelete: no emptiness test, no question
    bool firstTabOnOpen = false;
};

const QList<BodySection>& bodySections();
// The section kept in a dataset, or null.
const BodySection* bodySection(const QString& dataset);

// Fills the row being edited in target with the user's defaults for tableName (table
// Personalizzazioni): "t" texts, "n" integers, "f" real numbers; other kinds are skipped. Throws
// DbError with a message for the user when a value is not a number or names no column.
void ApplyPersonalizzazioni(DataModule& db, const QString& tableName, Dataset& target);

// Deletes the current body of TablePA_Body with the rows of every child table, all or nothing.
// Asks first unless silentDelete is set; does nothing on an empty register. A failure is shown
// and leaves everything in place. True when the body was deleted.
bool deleteCurrentBody(DataModule& db, Prompt& prompt);

} // namespace brevalto
