#include "store/Schema.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

// Every table comes out of its DDL with exactly the columns of its definition, in order.
TEST(SchemaTest, EveryTableCanBeCreatedWithItsColumns) {
    const QString connection = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QStringLiteral(":memory:"));
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery query(db);
        for (const TableDef& table : archiveSchema()) {
            const QString sql = createTableSql(table);
            ASSERT_TRUE(query.exec(sql))
                << sql.toStdString() << ": " << query.lastError().text().toStdString();
            ASSERT_TRUE(query.exec("PRAGMA table_info(" + quoteIdentifier(table.name) + ")"));
            QStringList created;
            while (query.next())
                created << query.value(1).toString();
            QStringList defined;
            for (const ColumnDef& c : table.columns)
                defined << c.name;
            EXPECT_EQ(created, defined) << table.name.toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

TEST(SchemaTest, NoTableOrColumnNameRepeats) {
    ASSERT_FALSE(archiveSchema().isEmpty());
    QSet<QString> tables;
    for (const TableDef& table : archiveSchema()) {
        EXPECT_FALSE(tables.contains(table.name.toLower())) << table.name.toStdString();
        tables.insert(table.name.toLower());
        EXPECT_FALSE(table.columns.isEmpty()) << table.name.toStdString();
        QSet<QString> columns;
        for (const ColumnDef& c : table.columns) {
            EXPECT_FALSE(c.name.isEmpty() || c.name.contains(QLatin1String("__")))
                << table.name.toStdString() << "." << c.name.toStdString();
            EXPECT_FALSE(columns.contains(c.name.toLower()))
                << table.name.toStdString() << "." << c.name.toStdString();
            columns.insert(c.name.toLower());
        }
    }
}

// The key is the first column. Tables listed here with a Long or Text key keep it as given;
// tables missing from the list (the firm row, settings-like support tables, catalogues and code
// lists) have no key at all; every body child table is keyed by Id and carries the body's key.
// A server cuts names at 63 characters (and says nothing): every table and column name fits, and
// the index names stay distinct on both engines even where a long one had to be shortened.
TEST(SchemaTest, EveryNameFitsAServerAndNoIndexNameMeetsAnother) {
    for (const SqlDialect dialect : {SqlDialect::Sqlite, SqlDialect::Postgres}) {
        QSet<QString> indexes;
        for (const TableDef& table : archiveSchema()) {
            EXPECT_LE(table.name.size(), 63) << table.name.toStdString();
            for (const ColumnDef& column : table.columns)
                EXPECT_LE(column.name.size(), 63) << column.name.toStdString();
            for (const QString& column : table.indexed) {
                const QString name = indexName(table, column, dialect).toLower();
                if (dialect == SqlDialect::Postgres) {
                    EXPECT_LE(name.size(), 63) << name.toStdString();
                }
                EXPECT_FALSE(indexes.contains(name)) << name.toStdString();
                indexes << name;
            }
        }
    }
    // The file's names are those every archive made so far already has.
    const TableDef& codici = *findTable("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici");
    EXPECT_EQ(indexName(codici, "PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id"),
              "ix_PA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici_PA_FE_Body_"
              "DatiBeniServizi_DettaglioLinee_Id");
}

TEST(SchemaTest, EveryTableHasItsKeyFirst) {
    struct Key {
        const char* table;
        const char* column;
        ColumnKind kind;
    };
    const Key keys[] = {
        {"PA_FE_Header", "id", ColumnKind::AutoNumber},
        {"PA_FE_Body", "Id", ColumnKind::AutoNumber},
        {"opzioni", "Id", ColumnKind::AutoNumber},
        {"PA_CedentePrestatore", "CedentePrestatore_Id", ColumnKind::AutoNumber},
        {"PA_CessionarioCommittente", "CessionarioCommittente_ID", ColumnKind::AutoNumber},
        {"PA_RappresentanteFiscale", "RappresentanteFiscale_id", ColumnKind::AutoNumber},
        {"PA_TerzoIntermediarioOSoggettoEmittente", "id", ColumnKind::AutoNumber},
        {"Vettori", "Id", ColumnKind::AutoNumber},
        {"Nazioni", "IDNazione", ColumnKind::Long},
        {"Regioni", "IDRegione", ColumnKind::Long},
        {"Province", "PROVINCIA", ColumnKind::Text},
        {"Comuni", "ID", ColumnKind::AutoNumber},
        {"Iva", "Id", ColumnKind::AutoNumber},
        {"DettaglioVeloce", "Id", ColumnKind::AutoNumber},
        {"PA_ModalitaPagamento", "Id", ColumnKind::AutoNumber},
        {"SdI_Invii", "Id", ColumnKind::AutoNumber},
        {"SdI_Notifiche", "Id", ColumnKind::AutoNumber},
        {"SdI_Errori", "Id", ColumnKind::AutoNumber},
        {"PEC_Account", "Id", ColumnKind::AutoNumber},
        {"PEC_Invii", "Id", ColumnKind::AutoNumber},
        {"PEC_Ricevute", "Id", ColumnKind::AutoNumber},
        {"PEC_Messaggi", "Id", ColumnKind::AutoNumber},
    };
    for (const Key& key : keys) {
        const TableDef* table = findTable(QString::fromLatin1(key.table));
        ASSERT_NE(table, nullptr) << key.table;
        EXPECT_EQ(table->columns.first().name, QString::fromLatin1(key.column)) << key.table;
        EXPECT_EQ(table->columns.first().kind, key.kind) << key.table;
    }
    for (const TableDef& table : archiveSchema()) {
        const std::string name = table.name.toStdString();
        if (table.name.startsWith(QLatin1String("PA_FE_Body_"))) {
            ASSERT_GE(table.columns.size(), 3) << name;
            EXPECT_EQ(table.columns[0].name, QLatin1String("Id")) << name;
            EXPECT_EQ(table.columns[0].kind, ColumnKind::AutoNumber) << name;
            EXPECT_EQ(table.columns[1].name, QLatin1String("PA_FE_Body_Id")) << name;
            EXPECT_EQ(table.columns[1].kind, ColumnKind::Long) << name;
        }
        const bool keyed = std::any_of(std::begin(keys), std::end(keys), [&](const Key& k) {
            return table.name == QLatin1String(k.table);
        });
        if (!keyed && !table.name.startsWith(QLatin1String("PA_FE_Body_"))) {
            EXPECT_TRUE(table.autoNumberColumn().isEmpty()) << name;
        }
        int autoNumbers = 0;
        for (const ColumnDef& c : table.columns)
            autoNumbers += c.kind == ColumnKind::AutoNumber;
        EXPECT_LE(autoNumbers, 1) << name;
    }
}

// Second-level tables point at a parent table that exists, through a Long column.
TEST(SchemaTest, SecondLevelTablesCarryTheirParentKey) {
    const struct {
        const char* table;
        const char* parent;
    } cases[] = {
        {"PA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici",
         "PA_FE_Body_DatiBeniServizi_DettaglioLinee"},
        {"PA_FE_Body_DatiBeniServizi_DettaglioLinee_Sconto",
         "PA_FE_Body_DatiBeniServizi_DettaglioLinee"},
        {"PA_FE_Body_DatiBeniServizi_DettaglioLinee_Altro",
         "PA_FE_Body_DatiBeniServizi_DettaglioLinee"},
        {"PA_FE_Body_DatiPagamento_Dettaglio", "PA_FE_Body_DatiPagamento"},
        {"PA_FE_Body_DatiOrdineAcquisto_Riferimenti", "PA_FE_Body_DatiOrdineAcquisto"},
        {"PA_FE_Body_DatiContratto_Riferimenti", "PA_FE_Body_DatiContratto"},
        {"PA_FE_Body_DatiConvenzione_Riferimenti", "PA_FE_Body_DatiConvenzione"},
        {"PA_FE_Body_DatiRicezione_Riferimenti", "PA_FE_Body_DatiRicezione"},
        {"PA_FE_Body_DatiFattureCollegate_Riferimenti", "PA_FE_Body_DatiFattureCollegate"},
        {"PA_FE_Body_DatiDDT_Riferimenti", "PA_FE_Body_DatiDDT"},
    };
    for (const auto& c : cases) {
        const TableDef* table = findTable(QString::fromLatin1(c.table));
        ASSERT_NE(table, nullptr) << c.table;
        ASSERT_NE(findTable(QString::fromLatin1(c.parent)), nullptr) << c.parent;
        const ColumnDef* key = table->column(QString::fromLatin1(c.parent) + "_Id");
        ASSERT_NE(key, nullptr) << c.table;
        EXPECT_EQ(key->kind, ColumnKind::Long) << c.table;
    }
}

// Documents and bodies copy parties column by column under the same names, so every column of a
// party table must exist in the copy with the same kind (a key becomes a plain Long there).
TEST(SchemaTest, PartyCopiesMatchTheirMasterTables) {
    const struct {
        const char* master;
        const char* copy;
        const char* prefix;
    } cases[] = {
        {"PA_CedentePrestatore", "PA_FE_Header", ""},
        {"PA_CessionarioCommittente", "PA_FE_Header", ""},
        {"PA_RappresentanteFiscale", "PA_FE_Header", ""},
        {"PA_TerzoIntermediarioOSoggettoEmittente", "PA_FE_Header", ""},
        {"Vettori", "PA_FE_Body", "Vettore_"},
    };
    for (const auto& c : cases) {
        const TableDef* master = findTable(QString::fromLatin1(c.master));
        const TableDef* copy = findTable(QString::fromLatin1(c.copy));
        ASSERT_TRUE(master && copy) << c.master;
        for (const ColumnDef& column : master->columns) {
            const QString name = QString::fromLatin1(c.prefix) + column.name;
            const ColumnDef* copied = copy->column(name);
            if (column.kind == ColumnKind::AutoNumber) {
                // Not every copy records where it came from; "id" of the header is its own key.
                if (copied && copied->kind != ColumnKind::AutoNumber) {
                    EXPECT_EQ(copied->kind, ColumnKind::Long) << name.toStdString();
                }
                continue;
            }
            ASSERT_NE(copied, nullptr) << c.copy << " lacks " << name.toStdString();
            EXPECT_EQ(copied->name, name) << c.copy;
            EXPECT_EQ(copied->kind, column.kind) << c.copy << "." << name.toStdString();
        }
    }
}

// Names and kinds that are easy to get wrong: abbreviated groups, flags, dates, long texts.
TEST(SchemaTest, SpotChecksOfNamesAndKinds) {
    using K = ColumnKind;
    const struct {
        const char* table;
        const char* column;
        K kind;
    } cases[] = {
        {"PA_FE_Header", "CedentePrestatore_Sede_CAP", K::Text},
        {"PA_FE_Header", "CedentePrestatore_StabileOrganizzazione_Nazione", K::Text},
        {"PA_FE_Header", "CedentePrestatore_Contatti_Email", K::Text},
        {"PA_FE_Header", "CedentePrestatore_CodOERI", K::Text},
        {"PA_FE_Header", "CedentePrestatore_DataIscrizioneAlbo", K::Date},
        {"PA_FE_Header", "CedentePrestatore_Iscrizione_REA_CapitaleSociale", K::Double},
        {"PA_FE_Header", "RappresentanteFiscale_DatiAnagrafici_CodEORI", K::Text},
        {"PA_FE_Header", "CessionarioCommittente_RappresentanteFiscale_Cognome", K::Text},
        {"PA_FE_Header", "TerzoIntermediarioOSoggettoEmittente_Titolo", K::Text},
        {"PA_FE_Header", "TerzoIntermediarioOSoggettoEmittente_IdFiscaleIVA", K::YesNo},
        {"PA_FE_Header", "DatiTrasmissione_ContattiTrasmittente", K::YesNo},
        {"PA_FE_Header", "Esportato", K::YesNo},
        {"PA_FE_Header", "Numero", K::Long},
        {"PA_FE_Header", "Data", K::Date},
        {"PA_FE_Body", "DatiGenerali_Numero", K::Text},
        {"PA_FE_Body", "DataOraRitiro", K::Date},
        {"PA_FE_Body", "NumeroColli", K::Long},
        {"PA_FE_Body", "Resa_CAP", K::Text},
        {"PA_FE_Body", "SoftwareEsterno_Fattura_id", K::Long},
        {"PA_FE_Body_DatiBeniServizi_DettaglioLinee", "Descrizione", K::Memo},
        {"PA_FE_Body_DatiBeniServizi_DettaglioLinee", "DataFinePeriodo", K::Date},
        {"PA_FE_Body_DatiBeniServizi_DettaglioLinee_Altro", "RiferimentoNumero", K::Double},
        {"PA_FE_Body_DatiBeniServizi_DatiRiepilogo", "Imposta", K::Double},
        {"PA_FE_Body_DatiPagamento_Dettaglio", "GiorniTerminiPagamento", K::Long},
        {"PA_FE_Body_DatiSAL", "RiferimentoFase", K::Long},
        {"PA_FE_Body_DatiDDT_Riferimenti", "PA_FatturaElettronica_DatiBeniServizi_Id", K::Long},
        {"PA_CedentePrestatore", "CedentePrestatore_Iscrizione_REA_NumeroREA", K::Text},
        {"PA_CessionarioCommittente", "CessionarioCommittente_StabileOrganizzazione_CAP", K::Text},
        {"Comuni", "Capoluogo", K::YesNo},
        {"Comuni", "Nazione_ID", K::Long},
        {"Iva", "Iva", K::Double},
        {"Iva", "NonEliminabile", K::YesNo},
        {"DettaglioVeloce", "Descrizione", K::Memo},
        {"DettaglioVeloce", "Valido", K::YesNo},
        {"griglie", "TotaleCampiPredefiniti", K::Long},
        {"PA_DescrizioniFunzionali", "Descrizione", K::Memo},
        {"PA_Amministrazioni_FatturaElettronica", "Comune_Id", K::Long},
        {"Pa_Ritenute_CausalePagamento", "Descrizione", K::Memo},
        {"Pa_TipoScontoMaggiorazione", "Descrizione", K::Text},
        {"opzioni", "ImportaIntestazionePrimaLinea", K::YesNo},
        {"opzioni", "AliquotaIva", K::Double},
    };
    for (const auto& c : cases) {
        const TableDef* table = findTable(QString::fromLatin1(c.table));
        ASSERT_NE(table, nullptr) << c.table;
        EXPECT_EQ(table->name, QString::fromLatin1(c.table)) << "case of table name";
        const ColumnDef* column = table->column(QString::fromLatin1(c.column));
        ASSERT_NE(column, nullptr) << c.table << "." << c.column;
        EXPECT_EQ(column->name, QString::fromLatin1(c.column)) << "case of column name";
        EXPECT_EQ(column->kind, c.kind) << c.table << "." << c.column;
    }
}

} // namespace
} // namespace brevalto
