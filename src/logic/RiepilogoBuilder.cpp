#include "logic/RiepilogoBuilder.h"

#include "check/SummaryTax.h"
#include "logic/ChildRows.h"
#include "logic/VatRules.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"

#include <QLocale>
#include <QMap>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace brevalto::riepilogo {

namespace {

// The key of a summary: the rate to the cent and, for a zero rate only, the nature.
QString keyOf(const Decimal& rate, const QString& nature) {
    const Decimal r = rate.rounded(2);
    return r.toString() + QLatin1Char('|') + (r.isZero() ? nature.trimmed().toUpper() : QString());
}

QList<QVariantList> rowsOf(Connection& c, const QString& sql, const QVariantList& values) {
    QSqlQuery q = c.exec(sql, values);
    QList<QVariantList> out;
    const int columns = q.record().count();
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < columns; ++i)
            row << q.value(i);
        out << row;
    }
    return out;
}

struct Group {
    Decimal rate;
    QString nature;
    Decimal sum;
};

} // namespace

QString startCollectability(DataModule& db) {
    if (db.table(ds::PA_FE_Header)
            .flag(QStringLiteral("CessionarioCommittente_PubblicaAmministrazione")))
        return db.table(ds::Opzioni).text(QStringLiteral("EsigibilitaIva"));
    return QStringLiteral("I");
}

QString collectabilityFor(DataModule& db, const QString& nature) {
    const QString start = startCollectability(db);
    if (vat::isReverseCharge(nature) && start.compare(QLatin1String("S"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("I");
    return start;
}

QList<Summary> expectedSummaries(DataModule& db, int bodyId) {
    QMap<QString, Group> groups;
    Connection& c = db.connessione();
    const auto collect = [&](const QString& amountColumn, const QString& table) {
        const QList<QVariantList> rows =
            rowsOf(c,
                   QStringLiteral("select %1, AliquotaIva, Natura from %2 where PA_FE_Body_Id = ?")
                       .arg(amountColumn, table),
                   {bodyId});
        for (const QVariantList& row : rows) {
            const Decimal rate = Decimal::fromVariant(row.value(1)).rounded(2);
            const QString nature =
                rate.isZero() ? row.value(2).toString().trimmed().toUpper() : QString();
            Group& g = groups[keyOf(rate, nature)];
            g.rate = rate;
            g.nature = nature;
            g.sum += Decimal::fromVariant(row.value(0));
        }
    };
    collect(QStringLiteral("PrezzoTotale"),
            QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee"));
    collect(QStringLiteral("ImportoContributoCassa"),
            QStringLiteral("PA_FE_Body_DatiCassaPrevidenziale"));
    QList<Summary> out;
    for (const Group& g : std::as_const(groups)) {
        const Decimal taxable = g.sum.rounded(2);
        out << Summary{g.rate, g.nature, taxable, summaryTax(taxable, g.rate)};
    }
    std::sort(out.begin(), out.end(), [](const Summary& a, const Summary& b) {
        return a.rate != b.rate ? a.rate < b.rate : a.nature < b.nature;
    });
    return out;
}

bool outOfDate(DataModule& db, int bodyId) {
    const QList<QVariantList> stored = rowsOf(
        db.connessione(),
        QStringLiteral("select AliquotaIva, Natura, ImponibileImporto, Arrotondamento from %1 "
                       "where PA_FE_Body_Id = ?")
            .arg(kTable),
        {bodyId});
    if (stored.isEmpty())
        return false;
    QMap<QString, Decimal> expected;
    for (const Summary& s : expectedSummaries(db, bodyId))
        expected.insert(keyOf(s.rate, s.nature), s.taxable);
    QMap<QString, Decimal> found;
    for (const QVariantList& row : stored) {
        const QString key = keyOf(Decimal::fromVariant(row.value(0)), row.value(1).toString());
        found[key] += Decimal::fromVariant(row.value(2)) - Decimal::fromVariant(row.value(3));
    }
    if (found.keys() != expected.keys())
        return true;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (found.value(it.key()).differsByACent(it.value()))
            return true;
    }
    return false;
}

std::optional<Decimal> summariesTotal(DataModule& db, int bodyId) {
    const QList<QVariantList> rows =
        rowsOf(db.connessione(),
               QStringLiteral("select ImponibileImporto, Imposta from %1 where PA_FE_Body_Id = ?")
                   .arg(kTable),
               {bodyId});
    if (rows.isEmpty())
        return std::nullopt;
    Decimal total;
    for (const QVariantList& row : rows)
        total += Decimal::fromVariant(row.value(0)) + Decimal::fromVariant(row.value(1));
    return total;
}

void rebuild(DataModule& db, int bodyId) {
    Connection& c = db.connessione();
    // The VAT-rate table lends the legal reference of an exempt nature (its description).
    QMap<QString, QString> references;
    const Dataset& iva = db.table(ds::Iva);
    for (int row = 0; iva.isOpen() && row < iva.rowCount(); ++row) {
        const QVariant rate = iva.valueAt(row, iva.columnIndex(QStringLiteral("Iva")));
        const QString nature =
            iva.valueAt(row, iva.columnIndex(QStringLiteral("Pa_Natura_Codice"))).toString();
        if (vat::isZeroRate(rate) && !nature.isEmpty())
            references.insert(nature.trimmed().toUpper(),
                              iva.valueAt(row, iva.columnIndex(QStringLiteral("Descrizione")))
                                  .toString()
                                  .left(100));
    }
    c.inTransaction([&] {
        const QList<Summary> summaries = expectedSummaries(db, bodyId);
        c.exec(QStringLiteral("Delete * from %1 where PA_FE_Body_Id = %2").arg(kTable).arg(bodyId));
        for (const Summary& s : summaries) {
            const QString reference = references.value(s.nature);
            c.exec(QStringLiteral("insert into %1 (PA_FE_Body_Id, EsigibilitaIva, AliquotaIva, "
                                  "ImponibileImporto, Imposta, Natura, RiferimentoNormativo) "
                                  "values (?, ?, ?, ?, ?, ?, ?)")
                       .arg(kTable),
                   {bodyId, collectabilityFor(db, s.nature), s.rate.toDouble(),
                    s.taxable.toDouble(), s.tax.toDouble(),
                    s.nature.isEmpty() ? QVariant() : QVariant(s.nature),
                    reference.isEmpty() ? QVariant() : QVariant(reference)});
        }
    });
}

bool creaAutomaticamente(DataModule& db, bool ask) {
    const int body = documenti::bodyId(db);
    const int lines =
        db.connessione()
            .scalar(QStringLiteral("select count(*) from PA_FE_Body_DatiBeniServizi_DettaglioLinee "
                                   "where PA_FE_Body_Id = %1")
                        .arg(body))
            .toInt();
    if (lines == 0)
        return false;
    // Only summaries already there can be lost: with none the build just runs.
    const int existing =
        db.connessione()
            .scalar(QStringLiteral("select count(*) from %1 where PA_FE_Body_Id = %2")
                        .arg(kTable)
                        .arg(body))
            .toInt();
    if (ask && existing > 0 &&
        prompt().ask(Prompt::warningTitle(),
                     QStringLiteral("Sei sicuro di voler creare automaticamente i dati di "
                                    "riepilogo? La procedura sostituirà i dati di riepilogo "
                                    "presenti con quelli calcolati dalle righe !"),
                     false, Prompt::Choice::Yes) != Prompt::Choice::Yes)
        return false;
    Dataset& summaries = db.table(kDataset);
    bool built = true;
    try {
        rebuild(db, body);
    } catch (const DbError& e) {
        built = false;
        prompt().message(Prompt::errorTitle(), e.text());
    }
    if (summaries.isOpen())
        summaries.requery();
    Dataset& bodies = db.table(ds::PA_Body);
    const std::optional<Decimal> total = summariesTotal(db, body);
    if (!built || !total || !bodies.isOpen() || bodies.isEmpty())
        return built;
    // An empty document total is proposed; one the new summaries no longer give is pointed out
    // now, since nothing else of the body may change to have it saved and questioned.
    const QVariant current = bodies.value(QStringLiteral("ImportoTotaleDocumento"));
    const QString amount = QLocale().toString(total->toDouble(), 'f', 2);
    QString question;
    if (current.isNull())
        question = QStringLiteral("Il Totale Documento è vuoto: si vuole impostarlo a %1 "
                                  "(imponibili più imposte dei riepiloghi) ?")
                       .arg(amount);
    else if (Decimal::fromVariant(current).differsByACent(*total))
        question = QStringLiteral("Il Totale Documento %1 differisce da imponibili più imposte "
                                  "dei riepiloghi (%2): si vuole impostarlo a %2 ?")
                       .arg(QLocale().toString(current.toDouble(), 'f', 2), amount);
    // Filling an empty total loses nothing: Yes is the default there. A total that differs was
    // typed by someone: replacing it waits for a Yes.
    const Prompt::Choice byDefault = current.isNull() ? Prompt::Choice::Yes : Prompt::Choice::No;
    if (!question.isEmpty() &&
        prompt().ask(Prompt::warningTitle(), question, false, byDefault) == Prompt::Choice::Yes) {
        bodies.edit();
        bodies.setValue(QStringLiteral("ImportoTotaleDocumento"), total->toDouble());
    }
    return built;
}

} // namespace brevalto::riepilogo
