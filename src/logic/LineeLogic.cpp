#include "logic/LineeLogic.h"

#include "check/LineDiscounts.h"
#include "logic/ChildRows.h"
#include "store/DataModule.h"
#include "store/NativeQuery.h"
#include "store/Saving.h"

#include <QSqlQuery>
#include <optional>

namespace brevalto::linee {

int nextLineNumber(DataModule& db, int bodyId) {
    const QVariant highest = db.connessione().scalar(
        QStringLiteral("SELECT max(NumeroLinea) as Nume from %1 where PA_FE_Body_Id =%2")
            .arg(kLines)
            .arg(bodyId));
    return highest.toInt() + 1;
}

std::optional<Decimal> lineTotal(const QVariant& quantity, const QVariant& unitPrice,
                                 const QList<ScontoLinea>& discounts) {
    if (unitPrice.isNull())
        return std::nullopt;
    const auto value = [](const QVariant& v) {
        return v.isNull() ? std::nullopt : std::optional<Decimal>(Decimal::fromVariant(v));
    };
    QList<check::LineDiscount> steps;
    for (const ScontoLinea& d : discounts)
        steps.append({d.tipo, value(d.percentuale), value(d.importo)});
    const Decimal price = check::discountedPrice(Decimal::fromVariant(unitPrice), steps);
    const Decimal times = quantity.isNull() ? Decimal(1, 0) : Decimal::fromVariant(quantity);
    return (price * times).rounded(2);
}

QList<ScontoLinea> discountsOf(const Dataset& discounts) {
    QList<std::pair<int, ScontoLinea>> rows;
    if (!discounts.isOpen())
        return {};
    const int id = discounts.columnIndex(QStringLiteral("Id"));
    const int tipo = discounts.columnIndex(QStringLiteral("Tipo"));
    const int percentuale = discounts.columnIndex(QStringLiteral("Percentuale"));
    const int importo = discounts.columnIndex(QStringLiteral("Importo"));
    for (int row = 0; row < discounts.rowCount(); ++row)
        rows.append({discounts.valueAt(row, id).toInt(),
                     {discounts.valueAt(row, tipo).toString(), discounts.valueAt(row, percentuale),
                      discounts.valueAt(row, importo)}});
    // The grid lists them by type; the cascade and the invoice file follow the order of entry.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<ScontoLinea> out;
    for (const auto& r : rows)
        out << r.second;
    return out;
}

std::optional<Decimal> computedTotal(const Dataset& line, const Dataset& discounts) {
    if (!line.isOpen() || line.isEmpty())
        return std::nullopt;
    return lineTotal(line.value(QStringLiteral("Quantita")),
                     line.value(QStringLiteral("PrezzoUnitario")), discountsOf(discounts));
}

bool applyLineTotal(Dataset& line, const Dataset& discounts) {
    const std::optional<Decimal> total = computedTotal(line, discounts);
    if (!total)
        return false;
    const QVariant stored = line.value(QStringLiteral("PrezzoTotale"));
    if (!stored.isNull() && Decimal::fromVariant(stored) == *total)
        return false;
    line.edit();
    line.setValue(QStringLiteral("PrezzoTotale"), total->toDouble());
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

namespace {

// Rows a statement of a batch insert: 7 values each, 448 parameters, within every engine's limit.
constexpr int kRowsPerInsert = 64;

QString insertLinesSql(int rows) {
    return QStringLiteral("INSERT INTO PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id, "
                          "NumeroLinea, Descrizione, Quantita, PrezzoUnitario, PrezzoTotale, "
                          "AliquotaIva) VALUES ") +
           QStringList(rows, QStringLiteral("(?, ?, ?, ?, ?, ?, ?)")).join(QLatin1String(", "));
}

} // namespace

void addLines(DataModule& db, const QList<NewLine>& lines,
              const std::function<bool(int)>& keepGoing) {
    Dataset& dataset = db.table(kLinesDataset);
    if (dataset.state() != Dataset::State::Browse)
        dataset.cancel();
    const int body = documenti::bodyId(db);
    if (body <= 0)
        throw DbError(QStringLiteral("Nessun corpo della fattura è aperto: le linee non possono "
                                     "essere aggiunte."));
    if (db.documentGone()) {
        QMetaObject::invokeMethod(&db, &DataModule::dropGoneDocument, Qt::QueuedConnection);
        throw DbError(DataModule::documentGoneText());
    }
    const BatchInsertScope batch(db);
    Connection& c = db.connessione();
    // Several rows a statement on an archive file: the engine's cost of a statement is paid once
    // for many rows. A server runs them one a statement (a refused statement there ends the
    // transaction, so the refused row could not be found again row by row).
    const int rowsPerInsert = c.isServer() ? 1 : kRowsPerInsert;
    try {
        // Prepared outside the transaction, so that a server frees them after a rollback (inside
        // a failed transaction it refuses to).
        RepeatedStatement one = c.prepare(insertLinesSql(1));
        std::optional<RepeatedStatement> many;
        if (rowsPerInsert > 1)
            many.emplace(c.prepare(insertLinesSql(rowsPerInsert)));
        c.inTransaction([&] {
            const int firstNumber = nextLineNumber(db, body);
            auto addValues = [&](int i, QVariantList& values) {
                const NewLine& line = lines[i];
                values << body << firstNumber + i << line.descrizione
                       << (line.quantita.isNull() ? QVariant(1.0) : line.quantita)
                       << line.prezzoUnitario << line.prezzoTotale << line.aliquotaIva;
            };
            // One row, its refusal naming where the row came from.
            auto addOne = [&](int i) {
                QVariantList values;
                addValues(i, values);
                try {
                    one.run(values);
                } catch (const DbError& e) {
                    if (lines[i].source.isEmpty())
                        throw;
                    throw DbError(QStringLiteral("%1: %2").arg(lines[i].source, e.text()),
                                  e.kind());
                }
            };
            QVariantList values;
            for (int i = 0; i < lines.size();) {
                if (keepGoing && i % 256 == 0 && !keepGoing(i))
                    throw Cancelled{};
                if (!many || lines.size() - i < rowsPerInsert) {
                    addOne(i++);
                    continue;
                }
                values.clear();
                for (int j = 0; j < rowsPerInsert; ++j)
                    addValues(i + j, values);
                try {
                    many->run(values);
                } catch (const DbError&) {
                    // The refused statement wrote none of its rows: row by row, the refused one
                    // is named; unless the engine gave up the whole transaction.
                    if (!sqliteInTransaction(c.database()))
                        throw;
                    for (int j = 0; j < rowsPerInsert; ++j)
                        addOne(i + j);
                }
                i += rowsPerInsert;
            }
            if (keepGoing && !keepGoing(int(lines.size())))
                throw Cancelled{};
        });
    } catch (...) {
        try {
            dataset.requery();
        } catch (const DbError&) {
            // The first error is the one to tell; the next re-query reads the archive again.
        }
        throw;
    }
    dataset.requery();
    dataset.last();
}

NewLine quickLine(const QVariant& descrizione, const QVariant& quantita,
                  const QVariant& prezzoUnitario, const QVariant& aliquotaIva) {
    NewLine line;
    const QString text = descrizione.toString();
    if (!text.isEmpty())
        line.descrizione = text.left(1000);
    line.quantita = quantita;
    line.prezzoUnitario = prezzoUnitario;
    line.aliquotaIva = aliquotaIva;
    const std::optional<Decimal> total = lineTotal(quantita, prezzoUnitario, {});
    line.prezzoTotale = total ? total->toDouble() : 0.0;
    line.source = QStringLiteral("Linea veloce \"%1\"").arg(text.left(60));
    return line;
}

void deleteCurrentLine(DataModule& db) {
    documenti::deleteWithChildren(db.connessione(), db.table(kLinesDataset),
                                  {{kAltro, kLineKey}, {kCodici, kLineKey}, {kSconto, kLineKey}});
}

} // namespace brevalto::linee
