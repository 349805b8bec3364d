#pragma once
// The VAT summaries of a body built from its lines and pension-fund rows: one summary per row of
// the VAT-rate table whose rate (and, at rate 0, nature) has a positive taxable amount.
#include <QString>

namespace brevalto {

class DataModule;

namespace riepilogo {

inline const QString kTable = QStringLiteral("PA_FE_Body_DatiBeniServizi_DatiRiepilogo");
inline const QString kDataset = QStringLiteral("TablePA_FE_Body_DatiBeniServizi_DatiRiepilogo");

// The VAT collectability a new summary starts with: the one of the settings for a
// public-administration buyer, otherwise "I".
QString startCollectability(DataModule& db);

// "Crea automaticamente" for the current body: asks first (nothing when the body has no lines),
// then replaces the body's summaries in one transaction and re-queries the summary dataset. When a
// step fails the body keeps the summaries it had and the error is shown. True when built.
bool creaAutomaticamente(DataModule& db);

// The replacement itself, inside one transaction; throws DbError and then changes nothing.
void rebuild(DataModule& db, int bodyId);

} // namespace riepilogo
} // namespace brevalto
