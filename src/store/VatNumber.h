#pragma once
// The check characters of Italian VAT numbers and tax codes.
#include <QString>
#include <QtGlobal>

namespace brevalto {

// True for an Italian VAT number: eleven digits whose last is the check digit of the others.
bool IsValidPartitaIva(const QString& text);

// True for an Italian tax code: sixteen letters and digits whose last letter is the check letter
// of the others (digits replaced by letters, as the registry does for homonyms, included), or the
// eleven-digit numeric code of an entity, checked as a VAT number. Letter case is ignored.
bool IsValidCodiceFiscale(const QString& text);

} // namespace brevalto
