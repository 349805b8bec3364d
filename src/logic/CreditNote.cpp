#include "logic/CreditNote.h"

#include "logic/DocumentRegister.h"
#include "store/Connection.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/DbError.h"
#include "store/Saving.h"

#include <QDate>
#include <QSqlQuery>

namespace brevalto {

namespace {

// What a new Document never takes from the one it comes from: its key, its number and date, the
// file progressive, and what its exports and import recorded.
bool copiedColumn(const QString& name) {
    static const QStringList kept{QStringLiteral("id"),
                                  QStringLiteral("Numero"),
                                  QStringLiteral("Data"),
                                  QStringLiteral("DatiTrasmissione_ProgressivoInvio"),
                                  QStringLiteral("Esportato"),
                                  QStringLiteral("DataEsportazione"),
                                  QStringLiteral("FileEsportazione"),
                                  QStringLiteral("EsportatoElenco"),
                                  QStringLiteral("Importato")};
    return !kept.contains(name, Qt::CaseInsensitive);
}

} // namespace

int addCreditNote(DataModule& db) {
    Dataset& header = db.table(ds::PA_FE_Header);
    Connection& connection = db.connessione();
    const int invoice = header.integer(QStringLiteral("id"));
    QList<QPair<QString, QVariant>> values;
    for (int c = 0; c < header.columnCount(); ++c) {
        const QString name = header.columnNames().at(c);
        if (header.isTableColumn(c) && copiedColumn(name))
            values.append({name, header.value(c)});
    }
    struct Linked {
        QString number;
        QVariant date;
    };
    QList<Linked> linked;
    QSqlQuery bodies = connection.execNative(
        QStringLiteral("SELECT DatiGenerali_Numero, DatiGenerali_Data, DatiGenerali_Divisa FROM "
                       "PA_FE_Body WHERE PA_FE_Header_Id = ? ORDER BY Id"),
        {invoice});
    QString currency;
    while (bodies.next()) {
        linked.append({bodies.value(0).toString(), bodies.value(1)});
        if (currency.isEmpty())
            currency = bodies.value(2).toString();
    }
    if (currency.isEmpty())
        currency = QStringLiteral("EUR");

    int number = 0;
    try {
        connection.inTransaction([&] {
            header.append();
            number = DocumentRegister::nextNumber(db);
            for (const auto& [name, value] : std::as_const(values))
                header.setValue(name, value);
            header.setValue(QStringLiteral("Numero"), number);
            header.setValue(QStringLiteral("Data"), QDate::currentDate());
            header.setValue(QStringLiteral("DatiTrasmissione_ProgressivoInvio"),
                            QString::number(number));
            header.setValue(QStringLiteral("Esportato"), false);
            connection.exec(QStringLiteral("UPDATE opzioni SET UltimoProgressivoInvio = ?"),
                            {number});
            QString error;
            if (!SaveNewRecord(header, QStringLiteral("id"), &error))
                throw DbError(error);
            const int note = header.integer(QStringLiteral("id"));
            QSqlQuery body = connection.execNative(
                QStringLiteral("INSERT INTO PA_FE_Body (PA_FE_Header_Id, "
                               "DatiGenerali_TipoDocumento, DatiGenerali_Divisa, "
                               "DatiGenerali_Data, DatiGenerali_DatiBollo, DatiTrasporto, "
                               "DatiAnagraficiVettore, FatturaPrincipale, IndirizzoResa) VALUES "
                               "(?, 'TD04', ?, ?, 0, 0, 0, 0, 0)") +
                    connection.returningRowId(QStringLiteral("PA_FE_Body")),
                {note, currency, QDate::currentDate().toString(Qt::ISODate)});
            const qint64 bodyId = connection.isServer() ? connection.writtenRowId(body)
                                                        : body.lastInsertId().toLongLong();
            for (const Linked& l : std::as_const(linked))
                connection.execNative(
                    QStringLiteral("INSERT INTO PA_FE_Body_DatiFattureCollegate (PA_FE_Body_Id, "
                                   "IdDocumento, Data) VALUES (?, ?, ?)"),
                    {bodyId, l.number, l.date});
        });
    } catch (const DbError&) {
        try {
            if (header.state() == Dataset::State::Insert)
                header.cancel();
            else
                header.requery();
            header.locate(QStringLiteral("id"), invoice);
        } catch (const DbError&) {
        }
        throw;
    }
    // The screens open on the invoice stay on it: its bodies are the ones loaded.
    header.locate(QStringLiteral("id"), invoice);
    return number;
}

} // namespace brevalto
