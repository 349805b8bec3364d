#include "logic/ChildRows.h"

#include "store/Connection.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/DbError.h"
#include "store/Prompt.h"
#include "store/Saving.h"

namespace brevalto {

namespace documenti {

void requeryChildren(Dataset& dataset, const QString& table, const QString& parentColumn,
                     int parentId, const QString& ordering) {
    dataset.setFilter(QString());
    dataset.close();
    dataset.setSql(QStringLiteral("select * from %1 where %2 = %3%4")
                       .arg(table, parentColumn)
                       .arg(parentId)
                       .arg(ordering));
    dataset.open();
}

bool addChildRow(Dataset& dataset, int bodyId, const QString& parentColumn, int parentId,
                 const std::function<void(Dataset&)>& startValues) {
    dataset.setFilter(QString());
    dataset.insert();
    dataset.setValue(QStringLiteral("PA_FE_Body_Id"), bodyId);
    if (!parentColumn.isEmpty())
        dataset.setValue(parentColumn, parentId);
    if (startValues)
        startValues(dataset);
    QString error;
    if (!SaveNewRecord(dataset, QStringLiteral("Id"), &error)) {
        prompt().message(Prompt::errorTitle(), error);
        return false;
    }
    return true;
}

bool confirmAndDelete(Dataset& dataset, const QString& question, bool silent) {
    if (!silent) {
        if (dataset.isEmpty())
            return false;
        if (!prompt().question(Prompt::warningTitle(), question))
            return false;
    }
    if (dataset.state() != Dataset::State::Browse)
        dataset.cancel();
    DeleteAndReposition(dataset, QStringLiteral("ID"));
    return true;
}

bool deleteWithChildren(Connection& connection, Dataset& rows, const QList<ChildTable>& children) {
    if (rows.isEmpty())
        return false;
    if (rows.state() != Dataset::State::Browse)
        rows.cancel();
    const QVariant key = rows.value(QStringLiteral("ID"));
    try {
        connection.inTransaction([&] {
            for (const ChildTable& child : children)
                connection.exec(QStringLiteral("Delete * from %1 where %2 = ?")
                                    .arg(child.table, child.parentColumn),
                                {key});
            DeleteAndReposition(rows, QStringLiteral("ID"));
        });
    } catch (const DbError&) {
        // The rolled-back delete may have moved the cursor or dropped the row from the rows read:
        // show the archive as it is, on the same row.
        try {
            rows.requery();
            rows.locate(QStringLiteral("ID"), key);
        } catch (const DbError&) {
            // The first error is the one to tell.
        }
        throw;
    }
    return true;
}

int bodyId(DataModule& db) {
    return db.table(ds::PA_Body).integer(QStringLiteral("Id"));
}

} // namespace documenti

} // namespace brevalto
