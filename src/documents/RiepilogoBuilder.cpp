#include "documents/RiepilogoBuilder.h"

#include "documents/ChildRows.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "store/Rounding.h"

namespace brevalto::riepilogo {

QString startCollectability(DataModule& db) {
    if (db.table(QStringLiteral("TablePA_FE_Header"))
            .flag(QStringLiteral("CessionarioCommittente_PubblicaAmministrazione")))
        return db.table(QStringLiteral("TableOpzioni")).text(QStringLiteral("EsigibilitaIva"));
    return QStringLiteral("I");
}

void rebuild(DataModule& db, int bodyId) {
    Connection& c = db.connessione();
    const Dataset& iva = db.table(QStringLiteral("TableIva"));
    const QString collectability = startCollectability(db);
    const int rateColumn = iva.columnIndex(QStringLiteral("Iva"));
    const int natureColumn = iva.columnIndex(QStringLiteral("Pa_Natura_Codice"));
    c.inTransaction([&] {
        c.exec(QStringLiteral("Delete * from %1 where PA_FE_Body_Id = %2").arg(kTable).arg(bodyId));
        for (int row = 0; iva.isOpen() && row < iva.rowCount(); ++row) {
            const double rate = iva.valueAt(row, rateColumn).toDouble();
            const QString nature = iva.valueAt(row, natureColumn).toString();
            // The rate is bound, not written into the text, so that a fractional rate selects
            // exactly its rows.
            QString where = QStringLiteral(" where PA_FE_Body_Id=%1 and AliquotaIva=?").arg(bodyId);
            QVariantList values{rate};
            if (rate == 0) {
                where += QStringLiteral(" and Natura=?");
                values << nature;
            }
            double taxable = c.scalar(QStringLiteral("SELECT sum(PrezzoTotale) as Tota from "
                                                     "PA_FE_Body_DatiBeniServizi_DettaglioLinee") +
                                          where,
                                      values)
                                 .toDouble();
            taxable += c.scalar(QStringLiteral("SELECT sum(ImportoContributoCassa) as Tota from "
                                               "PA_FE_Body_DatiCassaPrevidenziale") +
                                    where,
                                values)
                           .toDouble();
            const double tax = rate * (taxable * 0.01);
            if (taxable > 0)
                c.exec(
                    QStringLiteral("insert into %1 (PA_FE_Body_Id, EsigibilitaIva, AliquotaIva, "
                                   "ImponibileImporto, Imposta, Natura) values (?, ?, ?, ?, ?, ?)")
                        .arg(kTable),
                    {bodyId, collectability, rate, RoundTo2(taxable), RoundTo2(tax),
                     rate == 0 ? QVariant(nature) : QVariant()});
        }
    });
}

bool creaAutomaticamente(DataModule& db) {
    const int body = documenti::bodyId(db);
    const int lines =
        db.connessione()
            .scalar(QStringLiteral("select count(*) from PA_FE_Body_DatiBeniServizi_DettaglioLinee "
                                   "where PA_FE_Body_Id = %1")
                        .arg(body))
            .toInt();
    if (lines == 0)
        return false;
    if (!prompt().question(Prompt::warningTitle(),
                           QStringLiteral("Sei sicuro di voler creare automaticamente i dati di "
                                          "riepilogo? La procedura cancellerà tutti i dati di "
                                          "riepilogo !")))
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
    return built;
}

} // namespace brevalto::riepilogo
