#include "receipts/Reissue.h"

#include "export/ValueFormat.h"
#include "receipts/DocumentLife.h"
#include "store/Connection.h"
#include "store/DataModule.h"
#include "store/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

namespace brevalto::receipts {

namespace {

// The next progressive never given: above every Document number, the counter of progressives
// given and every file name recorded for any Document.
int newProgressive(Connection& connection) {
    int next =
        qMax(connection.scalar(QStringLiteral("SELECT max(Numero) FROM PA_FE_Header")).toInt(),
             connection.scalar(QStringLiteral("SELECT max(UltimoProgressivoInvio) FROM opzioni"))
                 .toInt()) +
        1;
    QSqlQuery q = connection.execNative(QStringLiteral("SELECT NomeFile FROM SdI_Invii"));
    QStringList names;
    while (q.next())
        names << q.value(0).toString().toLower();
    auto used = [&](int candidate) {
        const QString tail = QLatin1Char('_') + PadProgressive(QString::number(candidate)) + u'.';
        for (const QString& name : std::as_const(names)) {
            if (name.contains(tail))
                return true;
        }
        return false;
    };
    while (used(next))
        ++next;
    return next;
}

} // namespace

ReissueResult reissue(DataModule& data, Prompt& prompt, const QString& folder,
                      ExportDriver::CheckMode checkMode) {
    ReissueResult result;
    Dataset& header = data.table("TablePA_FE_Header");
    const int headerId = header.integer(QStringLiteral("id"));
    Connection& connection = data.connessione();
    DocumentStatus status;
    try {
        status = documentStatus(connection, headerId);
    } catch (const DbError& e) {
        result.message = e.text();
        return result;
    }
    if (status.state != State::Rejected) {
        result.message = status.state == State::ToSend
                             ? QStringLiteral("Il documento non è mai stato inviato: usare "
                                              "\"Esporta xml\".")
                             : status.whyNotResend();
        result.creditNote = status.state != State::Sent && status.state != State::ToSend &&
                            status.state != State::NotDelivered;
        return result;
    }
    result.deadline = status.deadline;
    try {
        connection.inTransaction([&] {
            const int progressive = newProgressive(connection);
            connection.exec(QStringLiteral("UPDATE opzioni SET UltimoProgressivoInvio = ?"),
                            {progressive});
            header.edit();
            header.setValue(QStringLiteral("DatiTrasmissione_ProgressivoInvio"),
                            QString::number(progressive));
            header.post();
        });
    } catch (const DbError& e) {
        try {
            header.cancel();
        } catch (const DbError&) {
        }
        result.message =
            QStringLiteral("Il documento non è stato preparato per il nuovo invio.\n%1")
                .arg(e.text());
        return result;
    }
    ExportDriver driver(data, prompt);
    driver.setCheckMode(checkMode);
    const QString path = QDir(folder).filePath(driver.proposedFileName());
    if (driver.exportTo(path, false) != ExportDriver::Outcome::Written) {
        result.message = driver.lastMessage();
        result.shown = true;
        return result;
    }
    result.written = true;
    result.fileName = QFileInfo(path).fileName();
    const QDate today = QDate::currentDate();
    result.message =
        QStringLiteral("Scritto il file %1 con lo stesso numero e la stessa data della fattura "
                       "scartata. Inviarlo al Sistema di Interscambio%2.")
            .arg(QDir::toNativeSeparators(path),
                 result.deadline.isValid()
                     ? (today <= result.deadline
                            ? QStringLiteral(" entro il %1 (%2 giorni)")
                                  .arg(result.deadline.toString(QStringLiteral("dd/MM/yyyy")))
                                  .arg(today.daysTo(result.deadline))
                            : QStringLiteral(": il termine di %1 giorni dallo scarto è passato il "
                                             "%2, inviarlo al più presto")
                                  .arg(kReissueDays)
                                  .arg(result.deadline.toString(QStringLiteral("dd/MM/yyyy"))))
                     : QString());
    return result;
}

} // namespace brevalto::receipts
