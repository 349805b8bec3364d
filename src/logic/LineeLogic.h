#pragma once
// The invoice lines without their screens: numbering, the line total and the add and delete of
// a line with its article codes, discounts and other data. The quick lines and the line import
// add lines through addLine() with a BatchInsertScope, so no screen is involved.
#include "check/Decimal.h"
#include "store/DatasetNames.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

namespace brevalto {

class DataModule;
class Dataset;

namespace linee {

inline const QString kLines = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee");
inline const QString kLinesDataset = ds::PA_FE_Body_DatiBeniServizi_DettaglioLinee;
inline const QString kLineKey = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id");
inline const QString kCodici = kLines + QStringLiteral("_Codici");
inline const QString kSconto = kLines + QStringLiteral("_Sconto");
inline const QString kAltro = kLines + QStringLiteral("_Altro");

// The number of a new line of the body: the highest number so far + 1, 1 for the first line.
// Numbers are never reused.
int nextLineNumber(DataModule& db, int bodyId);

// One discount ("SC") or surcharge ("MG") of a line, in the order it was entered.
struct ScontoLinea {
    QString tipo;
    QVariant percentuale;
    QVariant importo;
};

// The line total as the exchange system recomputes it: the unit price with each discount or
// surcharge applied in order (an amount subtracted or added as it is; a percentage of the price
// left by the previous step; a block with both counts its amount; a block with neither changes
// nothing), times the quantity (1 when empty), in exact decimals, rounded half up to 2 decimals.
// Nothing when the unit price is empty.
std::optional<Decimal> lineTotal(const QVariant& quantity, const QVariant& unitPrice,
                                 const QList<ScontoLinea>& discounts);

// The discounts of the line in the order they were entered, from the line's discounts dataset.
QList<ScontoLinea> discountsOf(const Dataset& discounts);

// The total of the current line from its quantity, unit price and discounts.
std::optional<Decimal> computedTotal(const Dataset& line, const Dataset& discounts);

// Writes computedTotal() into PrezzoTotale of the current line (edit state); false, and nothing
// written, when there is no unit price or the stored total is already that amount.
bool applyLineTotal(Dataset& line, const Dataset& discounts);

// Re-queries the line's article codes, discounts and other data datasets.
void requerySubRows(DataModule& db, int lineId);

// Adds a line to the current body (number, quantity 1, body key), stores it and loads its (empty)
// sub-rows; the new line is current in the lines dataset. Returns its key, 0 when the archive
// refused it (the error has been shown).
int addLine(DataModule& db);

// One line added in a batch (line import, quick lines): the values a new line gets besides its
// body, number and, when quantita is null, quantity 1. source names where it came from ("riga 12
// del file: ...") in the error of a refused row; empty for none.
struct NewLine {
    QVariant descrizione;
    QVariant quantita;
    QVariant prezzoUnitario;
    QVariant prezzoTotale;
    QVariant aliquotaIva;
    QString source = {};
};

// A line of the quick-line list as the line it adds: its description cut to the 1000 characters
// of the file (none when empty), quantity, unit price and rate as typed, the total they make
// without discounts (0 without a unit price), and its source named by the description.
NewLine quickLine(const QVariant& descrizione, const QVariant& quantita,
                  const QVariant& prezzoUnitario, const QVariant& aliquotaIva);

// Thrown by addLines() when keepGoing() asked to stop: nothing was added.
struct Cancelled {};

// Adds the lines to the current body, numbered after its highest line, all in one transaction:
// either every line is stored or, when a row is refused (a lock, a gone Document, a full disk),
// none is and the DbError (naming the refused line's source) reaches the caller. keepGoing, when
// given, is asked now and then with the number of lines stored so far; false rolls back and
// throws Cancelled. The lines dataset is re-queried in every case, with the last new line current
// after a success. The batch flag is on while it runs.
void addLines(DataModule& db, const QList<NewLine>& lines,
              const std::function<bool(int)>& keepGoing = {});

// Deletes the current line with its article codes, discounts and other data, without asking.
void deleteCurrentLine(DataModule& db);

} // namespace linee
} // namespace brevalto
