#include "logic/VatRules.h"

#include "check/Decimal.h"
#include "store/DataModule.h"

namespace brevalto::vat {

bool isZeroRate(const QVariant& rate) {
    return Decimal::fromVariant(rate).isZero();
}

bool isImpossibleRate(const QVariant& rate) {
    if (rate.isNull())
        return false;
    const Decimal r = Decimal::fromVariant(rate);
    static const Decimal one = Decimal(1, 0);
    static const Decimal hundred = Decimal(100, 0);
    return (!r.isZero() && r < one) || r > hundred || r.rounded(2) != r;
}

const QStringList& retiredNatures() {
    static const QStringList codes{QStringLiteral("N2"), QStringLiteral("N3"),
                                   QStringLiteral("N6")};
    return codes;
}

bool isRetiredNature(const QString& code) {
    return retiredNatures().contains(code.trimmed(), Qt::CaseInsensitive);
}

bool isReverseCharge(const QString& nature) {
    const QString n = nature.trimmed().toUpper();
    return n == QLatin1String("N6") || n.startsWith(QLatin1String("N6."));
}

bool lacksPercentageAndAmount(const QVariant& percentage, const QVariant& amount) {
    return Decimal::fromVariant(percentage).isZero() && Decimal::fromVariant(amount).isZero();
}

QList<RowRule> rateRules() {
    const QString rate = QStringLiteral("AliquotaIva");
    const QString nature = QStringLiteral("Natura");
    return {
        {[=](const RowValues& row) { return isImpossibleRate(row.numeric(rate)); },
         kImpossibleRateMessage, rate},
        {[=](const RowValues& row) { return isZeroRate(row.numeric(rate)) && row.isEmpty(nature); },
         QStringLiteral("Attenzione con Iva a Zero è necessario specificare la natura !"), nature},
    };
}

QList<RowRule> rateTableRules() {
    const QString rate = QStringLiteral("Iva");
    const QString nature = QStringLiteral("Pa_Natura_Codice");
    return {
        {rules::missing(QStringLiteral("Descrizione")),
         QStringLiteral("Attenzione manca la Descrizione"), QStringLiteral("Descrizione")},
        {rules::missing(rate), QStringLiteral("Attenzione manca l' Aliquota Iva"), rate},
        {[=](const RowValues& row) { return isImpossibleRate(row.numeric(rate)); },
         kImpossibleRateMessage, rate},
        {[=](const RowValues& row) {
             return isZeroRate(row.numeric(rate)) && isRetiredNature(row.text(nature));
         },
         kRetiredNatureMessage, nature},
        {[=](const RowValues& row) { return isZeroRate(row.numeric(rate)) && row.isEmpty(nature); },
         QStringLiteral("Attenzione si deve specificare la natura di esenzione dell' Aliquota Iva"),
         nature},
    };
}

QString withholdingWithoutData(DataModule& db, int bodyId) {
    Connection& c = db.connessione();
    const auto count = [&](const QString& sql) { return c.scalar(sql, {bodyId}).toInt(); };
    if (count(QStringLiteral(
            "select count(*) from PA_FE_Body_DatiRitenuta where PA_FE_Body_Id = ?")) > 0)
        return {};
    if (count(QStringLiteral("select count(*) from PA_FE_Body_DatiBeniServizi_DettaglioLinee "
                             "where PA_FE_Body_Id = ? and upper(trim(Ritenuta)) = 'SI'")) > 0)
        return QStringLiteral("Attenzione ci sono linee con Ritenuta SI ma mancano i Dati Ritenuta "
                              "del documento: aggiungerli o togliere la Ritenuta dalle linee");
    if (count(QStringLiteral("select count(*) from PA_FE_Body_DatiCassaPrevidenziale where "
                             "PA_FE_Body_Id = ? and upper(trim(Ritenuta)) = 'SI'")) > 0)
        return QStringLiteral("Attenzione c'è una cassa previdenziale con Ritenuta SI ma mancano i "
                              "Dati Ritenuta del documento: aggiungerli o togliere la Ritenuta "
                              "dalla cassa");
    return {};
}

} // namespace brevalto::vat
