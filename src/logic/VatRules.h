#pragma once
// What the exchange system requires of VAT rates and natures, on lines, pension-fund rows and
// summaries alike, and of the withholding flags: tested on values, never on the text of an input
// ("0,00" is as zero as "0").
#include "logic/RowRules.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace brevalto {

class DataModule;

namespace vat {

// A rate that is empty or numerically zero.
bool isZeroRate(const QVariant& rate);
// A rate the exchange system refuses: negative, between 0 and 1 (0.5 meant as 50 %, the rate is
// a percentage), above 100, or with more than two decimals (the file holds two).
bool isImpossibleRate(const QVariant& rate);
inline const QString kImpossibleRateMessage = QStringLiteral(
    "Attenzione l'aliquota IVA è una percentuale compresa tra 1 e 100 (o zero) con al più due "
    "decimali: il 22% si scrive 22");

// The generic natures N2, N3 and N6, refused since 2021 in favour of their sub-codes: old
// Documents keep them, new choices do not offer them.
const QStringList& retiredNatures();
bool isRetiredNature(const QString& code);
inline const QString kRetiredNatureMessage =
    QStringLiteral("Attenzione la natura scelta non è più valida dal 1/1/2021: scegliere uno dei "
                   "suoi sottocodici (per esempio N2.2 invece di N2)");
// N6 and N6.1 to N6.9: the buyer pays the tax (reverse charge), never split payment.
bool isReverseCharge(const QString& nature);

// A discount or surcharge needs a percentage or an amount (zero counts as missing).
bool lacksPercentageAndAmount(const QVariant& percentage, const QVariant& amount);
inline const QString kMissingPercentageAndAmount = QStringLiteral(
    "Attenzione indicare la Percentuale oppure l'Importo dello sconto o della maggiorazione");

// The rate rules of every row with a VAT rate (AliquotaIva) and nature (Natura): a rate the file
// cannot hold, and a zero rate without its nature.
QList<RowRule> rateRules();
// The same rules over a rate of the VAT table (Iva, Pa_Natura_Codice), with its description: what
// a line, summary or pension-fund row would refuse is refused where the rate is defined.
QList<RowRule> rateTableRules();

// A line or pension-fund row of the body marked "Ritenuta" SI while the body has no withholding
// data: which of the two, empty when none.
QString withholdingWithoutData(DataModule& db, int bodyId);

} // namespace vat
} // namespace brevalto
