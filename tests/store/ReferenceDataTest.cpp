// The reference data compiled into the program: the files themselves, the reader's escapes and
// errors, and what a freshly created archive holds.
#include "store/ReferenceData.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QSet>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

QString writeFile(const test::TempFolder& folder, const QString& name, const QByteArray& bytes) {
    const QString path = folder.file(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write the test file");
    return path;
}

// Every shipped file is well formed, names a table and columns of the archive exactly, holds
// values of the columns' kinds and never repeats a key.
TEST(ReferenceDataTest, ShippedFilesMatchTheArchiveSchema) {
    const QStringList files = referenceDataFiles();
    QSet<QString> tables;
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        QFile raw(path);
        ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
        const QByteArray bytes = raw.readAll();
        EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << "byte order mark";
        EXPECT_TRUE(bytes.endsWith('\n')) << "last line not ended";

        ReferenceTable data;
        ASSERT_NO_THROW(data = readReferenceTable(path));
        tables << data.name;
        const TableDef* def = findTable(data.name);
        ASSERT_NE(def, nullptr) << "no such table";
        EXPECT_EQ(def->name, data.name) << "table name differs in case";
        QList<ColumnKind> kinds;
        for (const QString& column : std::as_const(data.columns)) {
            const ColumnDef* c = def->column(column);
            ASSERT_NE(c, nullptr) << column.toStdString();
            EXPECT_EQ(c->name, column) << "column name differs in case";
            kinds << c->kind;
        }

        // The first column is the key of every table that has rows.
        QSet<QString> keys;
        for (qsizetype r = 0; r < data.rows.size(); ++r) {
            const QVariantList& row = data.rows.at(r);
            const QString key = row.at(0).toString();
            EXPECT_FALSE(keys.contains(key)) << "key repeated: " << key.toStdString();
            keys << key;
            for (qsizetype c = 0; c < row.size(); ++c) {
                const QString text = row.at(c).toString();
                if (row.at(c).isNull() || text.isEmpty())
                    continue;
                bool ok = true;
                switch (kinds.at(c)) {
                case ColumnKind::Long:
                case ColumnKind::AutoNumber:
                    text.toLongLong(&ok);
                    break;
                case ColumnKind::Double:
                    text.toDouble(&ok);
                    break;
                case ColumnKind::YesNo:
                    ok = text == "0" || text == "1";
                    break;
                default:
                    break;
                }
                EXPECT_TRUE(ok) << "line " << data.lineNumbers.at(r) << ", "
                                << data.columns.at(c).toStdString() << ": " << text.toStdString();
            }
        }
    }
    const QStringList expected{"Ditta",
                               "opzioni",
                               "Nazioni",
                               "Regioni",
                               "Province",
                               "Comuni",
                               "Iva",
                               "PA_Errori",
                               "PA_DescrizioniFunzionali",
                               "PA_TipoDocumento",
                               "PA_Divise",
                               "PA_RegimeFiscale",
                               "PA_Natura",
                               "PA_EsigibilitaIva",
                               "PA_ModalitaPagamento",
                               "PA_CondizioniPagamento",
                               "PA_TipoCassa",
                               "PA_TipoRitenuta",
                               "Pa_Ritenute_CausalePagamento",
                               "Pa_TipoScontoMaggiorazione",
                               "PA_TipoCessionePrestazione",
                               "PA_TipoResa",
                               "PA_SoggettoEmittente",
                               "PA_IscrizRea_SocioUnico",
                               "PA_IscrizRea_StatoLiquidazione"};
    EXPECT_EQ(tables, QSet<QString>(expected.begin(), expected.end()));
}

TEST(ReferenceDataTest, ReaderUndoesEscapesAndKeepsNullApartFromText) {
    test::TempFolder folder;
    const QString path = writeFile(folder, "Prova.tsv",
                                   "A\tB\tC\n"
                                   "a\\tb\tx\\ny\\r\tback\\\\slash\n"
                                   "\\N\t\t\\\\N\n"
                                   "L'Aquila\tcaf\xC3\xA9\t\\\\\\\\\n");
    const ReferenceTable t = readReferenceTable(path);
    EXPECT_EQ(t.name, "Prova");
    EXPECT_EQ(t.columns, QStringList({"A", "B", "C"}));
    ASSERT_EQ(t.rows.size(), 3);
    EXPECT_EQ(t.rows[0], QVariantList({"a\tb", "x\ny\r", "back\\slash"}));
    EXPECT_TRUE(t.rows[1][0].isNull());
    EXPECT_FALSE(t.rows[1][1].isNull());
    EXPECT_EQ(t.rows[1][1].toString(), "");
    EXPECT_EQ(t.rows[1][2].toString(), "\\N"); // an escaped backslash before N is text
    EXPECT_EQ(t.rows[2], QVariantList({"L'Aquila", QString::fromUtf8("caf\xC3\xA9"), "\\\\"}));
    EXPECT_EQ(t.lineNumbers, QList<int>({2, 3, 4}));
}

TEST(ReferenceDataTest, ReaderNamesFileAndLineOfAFault) {
    const struct {
        const char* content;
        const char* expected;
    } cases[] = {
        {"A\tB\nx\ty\nonly one\n", "Rotto.tsv, riga 3"},
        {"A\tB\nx\ty\tz\n", "Rotto.tsv, riga 2"},
        {"A\tB\nx\ty\nbad\\q\tz\n", "Rotto.tsv, riga 3"},
        {"A\tB\nx\ttrailing\\\n", "Rotto.tsv, riga 2"},
        {"A\tB\r\nx\ty\r\n", "Rotto.tsv, riga 1"},
        {"", "Rotto.tsv, riga 1"},
        {"A\t\tC\n", "Rotto.tsv, riga 1"},
        {"A\n\xC3\x28\n", "Rotto.tsv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        test::TempFolder folder;
        const QString path = writeFile(folder, "Rotto.tsv", c.content);
        try {
            readReferenceTable(path);
            ADD_FAILURE() << "no error";
        } catch (const DbError& e) {
            EXPECT_TRUE(e.text().contains(c.expected)) << e.text().toStdString();
        }
    }
}

// Loading into a database without the tables fails with the file's name, not a bare SQL error.
TEST(ReferenceDataTest, LoadingIntoAMissingTableNamesTheFile) {
    test::TempFolder folder;
    const QString path = writeFile(folder, "vuoto.mdb", {});
    Connection connection;
    connection.open(path);
    try {
        connection.inTransaction([&] { loadReferenceData(connection); });
        ADD_FAILURE() << "no error";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains(".tsv")) << e.text().toStdString();
    }
}

class NewArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { connection.open(test::copyOfNewArchive(folder)); }

    QVariant scalar(const QString& sql, const QVariantList& values = {}) {
        QSqlQuery q = connection.execNative(sql, values);
        return q.next() ? q.value(0) : QVariant();
    }
    qlonglong count(const QString& sql, const QVariantList& values = {}) {
        return scalar(sql, values).toLongLong();
    }

    test::TempFolder folder;
    Connection connection;
};

TEST_F(NewArchiveTest, GeographyIsComplete) {
    EXPECT_EQ(count("SELECT count(*) FROM Comuni"), 7894);
    EXPECT_EQ(count("SELECT count(DISTINCT ID) FROM Comuni"), 7894);
    EXPECT_EQ(count("SELECT count(*) FROM Comuni WHERE Nazione_ID <> 390 OR Nazione_ID IS NULL"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM Regioni"), 20);
    // Every municipality's province and region exist.
    EXPECT_EQ(count("SELECT count(*) FROM Comuni c LEFT JOIN Province p ON p.PROVINCIA = "
                    "c.Provincia WHERE p.PROVINCIA IS NULL OR p.Regione_ID <> c.Regione_ID"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM Province p LEFT JOIN Regioni r ON r.IDRegione = "
                    "p.Regione_ID WHERE r.IDRegione IS NULL"),
              0);

    QSqlQuery italy = connection.execNative(
        QString("SELECT IDNazione, DENOMINAZ, %1(IDNazione) FROM Nazioni WHERE SIGLA = 'IT'")
            .arg(connection.isServer() ? "pg_typeof" : "typeof"));
    ASSERT_TRUE(italy.next());
    EXPECT_EQ(italy.value(0).toInt(), 390);
    EXPECT_EQ(italy.value(1).toString(), "Italia");
    EXPECT_EQ(italy.value(2).toString(), "integer");
    EXPECT_EQ(count("SELECT count(*) FROM Nazioni WHERE IDNazione = 390"), 1);

    // A name with an apostrophe comes back unchanged, found both by parameter and by literal.
    QSqlQuery aquila = connection.execNative(
        "SELECT Comune, Provincia, CAP, COD_ISTAT, Capoluogo FROM Comuni WHERE Comune = ?",
        {"L'Aquila"});
    ASSERT_TRUE(aquila.next());
    EXPECT_EQ(aquila.value(0).toString(), "L'Aquila");
    EXPECT_EQ(aquila.value(1).toString(), "AQ");
    EXPECT_EQ(aquila.value(2).toString(), "67100");
    EXPECT_EQ(aquila.value(3).toString(), "066049"); // leading zero kept
    EXPECT_EQ(aquila.value(4).toInt(), 1);
    EXPECT_FALSE(aquila.next());
    EXPECT_EQ(count("SELECT count(*) FROM Comuni WHERE Comune = 'L''Aquila'"), 1);

    // Unknown coordinates are NULL, not empty text.
    EXPECT_EQ(count("SELECT count(*) FROM Comuni WHERE Comune = 'Castegnero Nanto' AND "
                    "Latitudine IS NULL"),
              1);
}

TEST_F(NewArchiveTest, CodeListsCarryTheCurrentCodesAndMarkTheRetiredOnes) {
    EXPECT_EQ(count("SELECT count(*) FROM PA_TipoDocumento WHERE Codice = 'TD29'"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM PA_RegimeFiscale WHERE Codice = 'RF20'"), 1);
    for (const char* code : {"N2", "N3", "N6", "N2.1", "N3.5", "N6.9"}) {
        const QString text =
            scalar("SELECT Descrizione FROM PA_Natura WHERE Codice = ?", {code}).toString();
        ASSERT_FALSE(text.isEmpty()) << code;
        const bool retired = QString(code).size() == 2;
        EXPECT_EQ(text.contains("non più utilizzabile"), retired) << code;
    }
    EXPECT_TRUE(scalar("SELECT Descrizione FROM Pa_Ritenute_CausalePagamento WHERE Codice = 'Z'")
                    .toString()
                    .contains("non più utilizzabile"));
    EXPECT_EQ(scalar("SELECT Id FROM PA_ModalitaPagamento WHERE Codice = 'MP05'").toInt(), 5);
    EXPECT_EQ(count("SELECT count(*) FROM PA_Divise WHERE Codice = 'EUR'"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM PA_TipoResa WHERE Codice IN ('EXW', 'DPU', 'DAT')"), 3);
}

TEST_F(NewArchiveTest, SettingsRowPointsAtTheStandardRate) {
    EXPECT_EQ(count("SELECT count(*) FROM Ditta"), 1);
    EXPECT_EQ(scalar("SELECT IdPaese FROM Ditta").toString(), "IT");
    EXPECT_EQ(count("SELECT count(*) FROM opzioni"), 1);
    QSqlQuery o = connection.execNative(
        "SELECT o.VerBaseDati, o.TabIniziale, o.StudioCommerciale, o.CarattereTab, "
        "o.AliquotaIva, i.Iva, i.NonEliminabile, i.Pa_Natura_Codice FROM opzioni o "
        "JOIN Iva i ON i.Id = o.Iva_Id");
    ASSERT_TRUE(o.next());
    EXPECT_GE(o.value(0).toInt(), 1);
    EXPECT_EQ(o.value(1).toInt(), 1);
    EXPECT_EQ(o.value(2).toInt(), 0);
    EXPECT_EQ(o.value(3).toString(), "\t");
    EXPECT_DOUBLE_EQ(o.value(4).toDouble(), 22.0);
    EXPECT_DOUBLE_EQ(o.value(5).toDouble(), 22.0);
    EXPECT_EQ(o.value(6).toInt(), 1);
    EXPECT_TRUE(o.value(7).isNull());
    // Every zero rate names a nature of the code list.
    EXPECT_EQ(count("SELECT count(*) FROM Iva i LEFT JOIN PA_Natura n ON n.Codice = "
                    "i.Pa_Natura_Codice WHERE i.Iva = 0 AND n.Codice IS NULL"),
              0);
}

TEST_F(NewArchiveTest, CataloguesHoldEveryElementAndError) {
    EXPECT_EQ(count("SELECT count(*) FROM PA_DescrizioniFunzionali"), 265);
    EXPECT_EQ(
        scalar("SELECT Titolo FROM PA_DescrizioniFunzionali WHERE Codice = '1.2.1.1.1'").toString(),
        "IdPaese");
    // Multi-line memo texts arrive with real line ends, not escapes.
    const QString text =
        scalar("SELECT Descrizione FROM PA_DescrizioniFunzionali WHERE Codice = '1.1.4'")
            .toString();
    EXPECT_TRUE(text.contains('\n'));
    EXPECT_FALSE(text.contains("\\n"));
    EXPECT_EQ(count("SELECT count(*) FROM PA_Errori WHERE Codice IN ('00001', '00445', '00477') "
                    "AND Titolo <> ''"),
              3);
    EXPECT_EQ(count("SELECT count(*) FROM PA_Amministrazioni_FatturaElettronica"), 0);
}

} // namespace
