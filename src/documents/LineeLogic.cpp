#include "documents/LineeLogic.h"

#include "documents/ChildRows.h"
#include "store/DataModule.h"
#include "store/Saving.h"

namespace brevalto::linee {

int nextLineNumber(DataModule& db, int bodyId) {
    const QVariant highest = db.connessione().scalar(
        QStringLiteral("SELECT max(NumeroLinea) as Nume from %1 where PA_FE_Body_Id =%2")
            .arg(kLines)
            .arg(bodyId));
    return highest.toInt() + 1;
}

bool applyLineTotal(Dataset& line, const Dataset& discounts) {
    const double quantity = line.number(QStringLiteral("Quantita"));
    const double price = line.number(QStringLiteral("PrezzoUnitario"));
    if (!(quantity > 0) || !(price > 0))
        return false;
    line.edit();
    double total = quantity * price;
    const int tipo = discounts.columnIndex(QStringLiteral("Tipo"));
    const int importo = discounts.columnIndex(QStringLiteral("Importo"));
    for (int row = 0; discounts.isOpen() && row < discounts.rowCount(); ++row) {
        const double amount = discounts.valueAt(row, importo).toDouble();
        if (discounts.valueAt(row, tipo).toString() == QLatin1String("SC"))
            total -= quantity * amount;
        else
            total += quantity * amount;
    }
    line.setValue(QStringLiteral("PrezzoTotale"), total);
    return true;
}

void requerySubRows(DataModule& db, int lineId) {
    documenti::requeryChildren(db.table(QStringLiteral("Table") + kAltro), kAltro, kLineKey, lineId,
                               QStringLiteral(" order by TipoDato"));
    documenti::requeryChildren(db.table(QStringLiteral("Table") + kCodici), kCodici, kLineKey,
                               lineId, QStringLiteral(" order by CodiceTipo"));
    documenti::requeryChildren(db.table(QStringLiteral("Table") + kSconto), kSconto, kLineKey,
                               lineId, QStringLiteral(" order by Tipo"));
}

int addLine(DataModule& db) {
    Dataset& lines = db.table(kLinesDataset);
    const int body = documenti::bodyId(db);
    const int number = nextLineNumber(db, body);
    if (!documenti::addChildRow(lines, body, QString(), 0, [number](Dataset& d) {
            d.setValue(QStringLiteral("NumeroLinea"), number);
            d.setValue(QStringLiteral("Quantita"), 1);
        }))
        return 0;
    const int id = lines.integer(QStringLiteral("Id"));
    requerySubRows(db, id);
    return id;
}

void deleteCurrentLine(DataModule& db) {
    Dataset& lines = db.table(kLinesDataset);
    if (lines.isEmpty())
        return;
    if (lines.state() != Dataset::State::Browse)
        lines.cancel();
    const int id = lines.integer(QStringLiteral("Id"));
    Connection& c = db.connessione();
    c.inTransaction([&] {
        for (const QString& table : {kAltro, kCodici, kSconto})
            c.exec(QStringLiteral("Delete * from %1 where %2 = %3").arg(table, kLineKey).arg(id));
        DeleteAndReposition(lines, QStringLiteral("ID"));
    });
}

} // namespace brevalto::linee
