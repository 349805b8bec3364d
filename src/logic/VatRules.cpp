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
