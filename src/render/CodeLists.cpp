#include "render/CodeLists.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/ReferenceData.h"

#include <QSqlQuery>
#include <QStringList>

namespace brevalto::render {

namespace {

const QStringList& codeTables() {
    static const QStringList tables = {"PA_TipoDocumento",
                                       "PA_Natura",
                                       "PA_ModalitaPagamento",
                                       "PA_CondizioniPagamento",
                                       "PA_TipoCassa",
                                       "PA_TipoRitenuta",
                                       "PA_RegimeFiscale",
                                       "PA_EsigibilitaIva",
                                       "Pa_TipoScontoMaggiorazione",
                                       "PA_TipoCessionePrestazione",
                                       "PA_SoggettoEmittente",
                                       "PA_TipoResa",
                                       "Pa_Ritenute_CausalePagamento",
                                       "PA_IscrizRea_SocioUnico",
                                       "PA_IscrizRea_StatoLiquidazione",
                                       "PA_Divise"};
    return tables;
}

} // namespace

CodeLists CodeLists::shipped() {
    static const CodeLists lists = [] {
        CodeLists result;
        for (const QString& table : codeTables()) {
            try {
                const ReferenceTable data =
                    readReferenceTable(QStringLiteral(":/data/%1.tsv").arg(table));
                const qsizetype code = data.columns.indexOf(QStringLiteral("Codice"));
                const qsizetype text = data.columns.indexOf(QStringLiteral("Descrizione"));
                if (code < 0 || text < 0)
                    continue;
                auto& map = result.tables_[table.toLower()];
                for (const QVariantList& row : data.rows)
                    map.insert(row.value(code).toString(), row.value(text).toString());
            } catch (const DbError&) {
                // A table the program does not ship: codes stay as they are.
            }
        }
        return result;
    }();
    return lists;
}

CodeLists CodeLists::fromArchive(Connection& connection) {
    CodeLists result = shipped();
    if (!connection.isOpen())
        return result;
    for (const QString& table : codeTables()) {
        try {
            QSqlQuery query =
                connection.exec(QStringLiteral("select Codice, Descrizione from %1").arg(table));
            QHash<QString, QString> map;
            while (query.next())
                map.insert(query.value(0).toString(), query.value(1).toString());
            if (!map.isEmpty())
                result.tables_[table.toLower()] = map;
        } catch (const DbError&) {
            // An older archive without this table: the shipped copy stands.
        }
    }
    return result;
}

QString CodeLists::describe(const QString& table, const QString& code) const {
    return tables_.value(table.toLower()).value(code.trimmed());
}

} // namespace brevalto::render
