#pragma once
// The invoice lines without their screens: numbering, the line total and the add and delete of
// a line with its article codes, discounts and other data. The quick lines and the line import
// add lines through addLine() with a BatchInsertScope, so no screen is involved.
#include <QString>

namespace brevalto {

class DataModule;
class Dataset;

namespace linee {

inline const QString kLines = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee");
inline const QString kLinesDataset =
    QStringLiteral("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee");
inline const QString kLineKey = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id");
inline const QString kCodici = kLines + QStringLiteral("_Codici");
inline const QString kSconto = kLines + QStringLiteral("_Sconto");
inline const QString kAltro = kLines + QStringLiteral("_Altro");

// The number of a new line of the body: the highest number so far + 1, 1 for the first line.
// Numbers are never reused.
int nextLineNumber(DataModule& db, int bodyId);

// Quantity × unit price, less the quantity times each "SC" amount and plus it for any other
// type (percentages are not used), not rounded, into PrezzoTotale of the current line. Does
// nothing (false) unless quantity and unit price are both above 0.
bool applyLineTotal(Dataset& line, const Dataset& discounts);

// Re-queries the line's article codes, discounts and other data datasets.
void requerySubRows(DataModule& db, int lineId);

// Adds a line to the current body (number, quantity 1, body key), stores it and loads its (empty)
// sub-rows; the new line is current in the lines dataset. Returns its key, 0 when the archive
// refused it (the error has been shown).
int addLine(DataModule& db);

// Deletes the current line with its article codes, discounts and other data, without asking.
void deleteCurrentLine(DataModule& db);

} // namespace linee
} // namespace brevalto
