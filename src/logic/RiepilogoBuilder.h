#pragma once
// The VAT summaries of a body built from its lines and pension-fund rows: one summary per distinct
// (rate, nature) pair they use, whether or not the VAT-rate table lists it (the table only lends
// its descriptions), with taxable amount and tax in exact decimals rounded half up. Also tells
// whether the stored summaries still match the lines, and the document total they give.
#include "check/Decimal.h"
#include "store/DatasetNames.h"

#include <QList>
#include <QString>
#include <optional>

namespace brevalto {

class DataModule;

namespace riepilogo {

inline const QString kTable = QStringLiteral("PA_FE_Body_DatiBeniServizi_DatiRiepilogo");
inline const QString kDataset = ds::PA_FE_Body_DatiBeniServizi_DatiRiepilogo;

// The VAT collectability a new summary starts with: the one of the settings for a
// public-administration buyer, otherwise "I".
QString startCollectability(DataModule& db);
// The collectability a summary of this nature gets: the start one, except that a reverse-charge
// nature (N6.x) is never split payment ("S" becomes "I").
QString collectabilityFor(DataModule& db, const QString& nature);

struct Summary {
    Decimal rate;
    QString nature;  // empty for a non-zero rate
    Decimal taxable; // rounded to cents
    Decimal tax;     // rate × rounded taxable / 100, rounded to cents
};

// The summaries the body's lines and pension-fund rows call for, ordered by rate and nature.
QList<Summary> expectedSummaries(DataModule& db, int bodyId);

// True when the body has summaries and they no longer match its lines and pension-fund rows: a
// (rate, nature) pair without a summary, a summary of a pair no longer used, or a taxable amount
// (less the summary's rounding) that differs by a cent or more.
bool outOfDate(DataModule& db, int bodyId);

// Taxable amounts plus taxes of the body's stored summaries; nothing when it has none.
std::optional<Decimal> summariesTotal(DataModule& db, int bodyId);

// "Crea automaticamente" for the current body: asks first when the body has summaries to replace
// (Yes by default; nothing at all happens when the body has no lines),
// then replaces the body's summaries in one transaction and re-queries the summary dataset. When a
// step fails the body keeps the summaries it had and the error is shown. When built and the
// body's "Totale Documento" is empty, proposes the summaries' total and, once confirmed, puts it in
// the body's edit buffer. True when built.
bool creaAutomaticamente(DataModule& db, bool ask = true);

// The replacement itself, inside one transaction; throws DbError and then changes nothing.
void rebuild(DataModule& db, int bodyId);

} // namespace riepilogo
} // namespace brevalto
