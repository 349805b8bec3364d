#include "export/SentFiles.h"

#include "store/Connection.h"

#include <QFileInfo>
#include <QSqlQuery>

namespace brevalto {

void recordSentFile(Connection& connection, int headerId, const QString& path,
                    const QDateTime& when) {
    const QString name = QFileInfo(path).fileName();
    connection.inTransaction([&] {
        if (connection
                .execNative(QStringLiteral("SELECT 1 FROM SdI_Invii WHERE PA_FE_Header_Id = ? AND "
                                           "lower(NomeFile) = lower(?)"),
                            {headerId, name})
                .next())
            return;
        connection.execNative(QStringLiteral("INSERT INTO SdI_Invii (PA_FE_Header_Id, NomeFile, "
                                             "DataInvio) VALUES (?, ?, ?)"),
                              {headerId, name, when.toString(Qt::ISODate)});
    });
}

QString alreadyIssuedMessage(Connection& connection, int headerId) {
    QSqlQuery q = connection.execNative(
        QStringLiteral("SELECT n.Tipo, n.Esito, h.DatiTrasmissione_FormatoTrasmissione FROM "
                       "SdI_Notifiche n JOIN PA_FE_Header h ON h.id = n.PA_FE_Header_Id WHERE "
                       "n.PA_FE_Header_Id = ? AND n.Tipo IN ('NS', 'RC', 'MC', 'NE', 'DT', 'AT') "
                       "ORDER BY n.Id DESC LIMIT 1"),
        {headerId});
    if (!q.next())
        return QString();
    const QString type = q.value(0).toString().toUpper();
    const bool administration =
        q.value(2).toString().compare(QLatin1String("FPA12"), Qt::CaseInsensitive) == 0;
    QString what;
    if (type == QLatin1String("NS"))
        return QString();
    if (type == QLatin1String("MC") && administration)
        return QStringLiteral("Il Sistema di Interscambio sta ancora tentando di recapitare "
                              "questo documento all'amministrazione: attendere la ricevuta di "
                              "consegna o l'attestazione prima di qualsiasi nuovo invio.");
    if (type == QLatin1String("RC"))
        what = QStringLiteral("è stato consegnato al destinatario");
    else if (type == QLatin1String("MC"))
        what = QStringLiteral("è a disposizione del cliente nella sua area riservata");
    else if (type == QLatin1String("NE"))
        what = q.value(1).toString() == QLatin1String("EC01")
                   ? QStringLiteral("è stato accettato dall'amministrazione")
                   : QStringLiteral("è stato rifiutato dall'amministrazione dopo la consegna");
    else if (type == QLatin1String("DT"))
        what = QStringLiteral("è stato consegnato e i termini dell'amministrazione sono decorsi");
    else
        what = QStringLiteral("è stato trasmesso con attestazione di impossibilità di recapito");
    return QStringLiteral("Il documento %1: la fattura è emessa e inviarla di nuovo la "
                          "duplicherebbe. Per correggerla emettere una nota di credito.")
        .arg(what);
}

} // namespace brevalto
