#include "store/JetSql.h"
#include "store/SqlDialect.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace brevalto {
namespace {

struct Case {
    const char* jet;
    const char* sqlite;
};

void expectTranslations(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        const QString jet = QString::fromUtf8(c.jet);
        EXPECT_EQ(translateJetSql(jet).toStdString(), std::string(c.sqlite)) << "input: " << c.jet;
    }
}

TEST(JetSqlTest, ConcatenationJoinsNullAsEmptyText) {
    expectTranslations({
        {R"(select *, A & " - " & B & " " & C as Nominativo from T)",
         R"(select *, (COALESCE(A,'') || ' - ' || COALESCE(B,'') || ' ' || COALESCE(C,'')) as Nominativo from T)"},
        {"SELECT (Denominazione & ' - ' & Cognome) as X FROM Clienti",
         "SELECT ((COALESCE(Denominazione,'') || ' - ' || COALESCE(Cognome,''))) as X FROM "
         "Clienti"},
        {"select T.Nome&[Altro nome]&T.[Cap] from T",
         R"(select (COALESCE(T.Nome,'') || COALESCE("Altro nome",'') || COALESCE(T."Cap",'')) from T)"},
        // Arithmetic binds tighter than &, function calls and groups are single operands.
        {"select Left(Nome, 3) & (A + 1) * 2 & -N from T",
         "select (COALESCE(Left(Nome, 3),'') || COALESCE((A + 1) * 2,'') || COALESCE(-N,'')) from "
         "T"},
        {"select A & B Nome, C from T where A & 'x' = ? and D = 1",
         "select (COALESCE(A,'') || COALESCE(B,'')) Nome, C from T where (COALESCE(A,'') || 'x') "
         "= ? and D = 1"},
        {R"(select Trim(A & " " & B), (x & (y & z)) from T)",
         "select Trim((COALESCE(A,'') || ' ' || COALESCE(B,''))), ((COALESCE(x,'') || "
         "COALESCE(((COALESCE(y,'') || COALESCE(z,''))),''))) from T"},
        {R"(select "perché" & Città from T)", "select ('perché' || COALESCE(Città,'')) from T"},
        // No operand on one side: the & is left for the database to reject.
        {"select & A, B & from T", "select & A, B & from T"},
    });
}

TEST(JetSqlTest, TopBecomesLimit) {
    expectTranslations({
        {"select top 5 * from T order by A", "select * from T order by A LIMIT 5"},
        {"SELECT TOP 1 * FROM Clienti WHERE ID > ?;",
         "SELECT * FROM Clienti WHERE ID > ? LIMIT 1;"},
        {"Select Distinct Top 3 A from T -- last three\n",
         "Select Distinct A from T LIMIT 3 -- last three\n"},
        {"select top 1 A & B from T", "select (COALESCE(A,'') || COALESCE(B,'')) from T LIMIT 1"},
        {"insert into U select top 2 A from T", "insert into U select A from T LIMIT 2"},
        // Only the statement's own select; "top" as a name or in a literal stays.
        {"select * from T where ID in (select top 1 ID from U)",
         "select * from T where ID in (select top 1 ID from U)"},
        {"select top, 'top 1' from T", "select top, 'top 1' from T"},
    });
}

TEST(JetSqlTest, StatementRewrites) {
    expectTranslations({
        {"SELECT @@IDENTITY as ID;", "SELECT last_insert_rowid() as ID;"},
        {"Delete * from T where ID = 3", "DELETE FROM T where ID = 3"},
        {"DELETE T.* FROM T WHERE X = 'a'", "DELETE FROM T WHERE X = 'a'"},
        {"delete from T", "delete from T"},
        {"delete [T 1].* from [T 1]", R"(DELETE FROM "T 1")"},
        {R"(select "it's", "say ""hi""", 'x "y"' from T)",
         R"(select 'it''s', 'say "hi"', 'x "y"' from T)"},
        {R"(select [Ragione sociale], [a"b] from [T 1])",
         R"(select "Ragione sociale", "a""b" from "T 1")"},
        {"update T set A = True, B = false where C = TRUE and TrueValue = 'True' and T.False = 1",
         "update T set A = 1, B = 0 where C = 1 and TrueValue = 'True' and T.False = 1"},
        {"select * from T where D = #2024-01-31# or D = #1/31/2024# or D < #12/1/99#",
         "select * from T where D = '2024-01-31' or D = '2024-01-31' or D < '1999-12-01'"},
        {"select #1/31/2024 10:05:00#, #1/31/2024 10:05 PM#, #2/29/2024 00:00:00#",
         "select '2024-01-31 10:05:00', '2024-01-31 22:05:00', '2024-02-29'"},
        // Not dates: an impossible day, a lone #.
        {"select #2/30/2024#, # from T", "select #2/30/2024#, # from T"},
        {"select a /* [x] & \"y\" */ from T -- True & #1/1/2024#",
         "select a /* [x] & \"y\" */ from T -- True & #1/1/2024#"},
        {R"(select 'a & b', 'True', '#1/1/2024#', '[x]', '@@IDENTITY', 'it''s' from T)",
         R"(select 'a & b', 'True', '#1/1/2024#', '[x]', '@@IDENTITY', 'it''s' from T)"},
        {"", ""},
        {"  \n\t ", "  \n\t "},
    });
}

TEST(JetSqlTest, UnterminatedTextPassesThrough) {
    expectTranslations({
        {"select A & 'abc & [x]", "select A & 'abc & [x]"},
        {R"(select [x & "y")", R"(select [x & "y")"},
        {R"(select "abc' & True)", R"(select "abc' & True)"},
        {"select top 2 A from T where B = 'x", "select top 2 A from T where B = 'x"},
        {"select 1 /* True", "select 1 /* True"},
    });
}

TEST(JetSqlTest, UpdateScriptDdl) {
    expectTranslations({
        {"ALTER TABLE x ADD COLUMN y TEXT(50)", "ALTER TABLE x ADD COLUMN y TEXT(50)"},
        {"CREATE TABLE t (ID COUNTER, Memo MEMO, Flag YESNO, N LONG, D DATETIME, V DOUBLE)",
         "CREATE TABLE t (ID INTEGER PRIMARY KEY AUTOINCREMENT, Memo TEXT, Flag INTEGER, N "
         "INTEGER, D DATETIME, V DOUBLE)"},
        {"create table t ([ID] AUTOINCREMENT(1,1) PRIMARY KEY, B BIT, C VARCHAR(20))",
         R"(create table t ("ID" INTEGER PRIMARY KEY AUTOINCREMENT, B INTEGER, C VARCHAR(20)))"},
        {"ALTER TABLE x ADD Memo LONG", "ALTER TABLE x ADD Memo INTEGER"},
        {"ALTER TABLE x ADD COLUMN n COUNTER", "ALTER TABLE x ADD COLUMN n INTEGER"},
        {"UPDATE opzioni SET VerBaseDati = 1", "UPDATE opzioni SET VerBaseDati = 1"},
        {R"(INSERT INTO t (a) VALUES ("x"))", "INSERT INTO t (a) VALUES ('x')"},
        // Type names only change in DDL.
        {"select Memo, Long, Counter from T", "select Memo, Long, Counter from T"},
    });
}

using Rows = std::vector<std::string>;

// Translated statements run on a real SQLite database.
class JetSqlDbTest : public ::testing::Test {
protected:
    void SetUp() override {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db_.setDatabaseName(QStringLiteral(":memory:"));
        ASSERT_TRUE(db_.open());
        query_ = std::make_unique<QSqlQuery>(db_);
    }
    void TearDown() override {
        query_.reset();
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
    // Runs a Jet statement; fails the test when SQLite refuses the translation.
    QSqlQuery& run(const QString& jet) {
        const QString sql = translateJetSql(jet);
        EXPECT_TRUE(query_->exec(sql))
            << sql.toStdString() << ": " << query_->lastError().text().toStdString();
        return *query_;
    }
    // The first column of every row, as text.
    std::vector<std::string> column(const QString& jet) {
        std::vector<std::string> values;
        QSqlQuery& q = run(jet);
        while (q.next())
            values.push_back(q.value(0).toString().toStdString());
        return values;
    }

    QString name_ = QUuid::createUuid().toString();
    QSqlDatabase db_;
    std::unique_ptr<QSqlQuery> query_;
};

TEST_F(JetSqlDbTest, ScriptAndQueriesRun) {
    run("CREATE TABLE Clienti (ID COUNTER PRIMARY KEY, Denominazione TEXT(80), Cognome TEXT(50), "
        "Nome TEXT(50), Attivo YESNO, Nascita DATETIME, Note MEMO)");
    run("ALTER TABLE Clienti ADD COLUMN Cap TEXT(5)");
    run(R"(INSERT INTO Clienti (Denominazione, Attivo, Nascita) VALUES ("X", True, #1/31/2024#))");
    EXPECT_EQ(column("SELECT @@IDENTITY as ID;"), Rows{"1"});
    run("INSERT INTO Clienti (Denominazione, Cognome, Nome, Attivo, Nascita) "
        "VALUES ('Y', 'Rossi', 'Anna', False, #2024-02-01 10:05#)");
    EXPECT_EQ(column("SELECT @@IDENTITY as ID;"), Rows{"2"});

    // NULL parts join as empty text, in the select list and inside parentheses.
    EXPECT_EQ(column(R"(select Denominazione & " - " & Cognome & " " & Nome as N from Clienti
                        order by ID)"),
              (Rows{"X -  ", "Y - Rossi Anna"}));
    EXPECT_EQ(column("select (Denominazione & ' - ' & Cognome) as X from Clienti where ID = 1"),
              Rows{"X - "});

    EXPECT_EQ(column("select top 1 ID from Clienti order by ID desc;"), Rows{"2"});
    EXPECT_EQ(column("SELECT TOP 1 * FROM Clienti"), Rows{"1"});
    EXPECT_EQ(column("select ID from Clienti where Attivo = True"), Rows{"1"});
    EXPECT_EQ(column("select ID from Clienti where Attivo = false"), Rows{"2"});
    EXPECT_EQ(column("select ID from Clienti where Nascita = #2024-01-31#"), Rows{"1"});
    EXPECT_EQ(column("select ID from Clienti where Nascita > #1/31/2024# order by ID"), Rows{"2"});
    EXPECT_EQ(column("select Nascita from Clienti where ID = 2"), Rows{"2024-02-01 10:05:00"});

    run("Delete * from Clienti where [ID] = 1");
    EXPECT_EQ(column("select count(*) from Clienti"), Rows{"1"});
    // A new row after deleting the last one does not reuse its number.
    run("delete from Clienti");
    run("insert into Clienti (Cognome) values (\"O'Neil\")");
    EXPECT_EQ(column("select ID & ':' & Cognome from Clienti"), Rows{"3:O'Neil"});
}

// Random statements from an alphabet that mixes well-formed pieces with unterminated literals,
// lone quotes, brackets and #. The translator must come back, keep every complete literal
// (converted the defined way), and pass an unterminated tail through as it is.
TEST(JetSqlTest, RandomStatementsKeepTheirLiterals) {
    const QStringList plain = {
        "A",          "T.Col",      "Città",       "日本",
        "😀",          "42",         "3.5",         "&",
        "&",          "&",          "(",           ")",
        ",",          "+",          "*",           "=",
        "<>",         ";",          "?",           "select",
        "SELECT",     "top",        "TOP 3",       "from",
        "where",      "as",         "True",        "false",
        "null",       "@@IDENTITY", "#1/31/2024#", "#2024-02-29 10:00#",
        "Left(A, 2)", "delete",     "*",           "create",
        "table",      "COUNTER",    "MEMO",
    };
    // Pieces that can open a literal, name or comment running over the following pieces.
    const QStringList risky = {"'", "\"",    "[",      "]",     "#",  "-",
                               "/", "'open", "\"open", "[open", "--", "/*"};
    const QString edge = QStringLiteral("'\"[]#-/");

    QRandomGenerator random(20240131);
    for (int round = 0; round < 4000; ++round) {
        const bool clean = round % 2 == 0; // clean statements have no risky piece at all
        QString statement;
        QStringList expected; // output text of every literal before the first risky piece
        bool riskySeen = false;
        const int pieces = random.bounded(1, 25);
        for (int p = 0; p < pieces; ++p) {
            QString piece;
            QString converted;
            const int pick = random.bounded(100);
            if (pick < 10) {
                piece = QStringLiteral("'L%1 it''s & \"q\" [b] #1/1/2024# -- top 1'").arg(round);
                converted = piece;
            } else if (pick < 20) {
                piece = QStringLiteral("\"D%1 it's \"\"q\"\" & [b] True\"").arg(round);
                converted = QStringLiteral("'D%1 it''s \"q\" & [b] True'").arg(round);
            } else if (pick < 27) {
                piece = QStringLiteral("[N%1 & 'x' \"y\" True]").arg(round);
                converted = QStringLiteral("\"N%1 & 'x' \"\"y\"\" True\"").arg(round);
            } else if (!clean && pick < 40) {
                piece = risky[random.bounded(risky.size())];
                riskySeen = true;
            } else {
                piece = plain[random.bounded(plain.size())];
            }
            // Pieces are glued without a space only where that cannot merge two of them into
            // one literal or comment.
            const bool glue = !statement.isEmpty() && random.bounded(3) == 0 &&
                              !edge.contains(statement.back()) && !edge.contains(piece.front());
            if (!statement.isEmpty())
                statement += glue ? "" : random.bounded(4) ? " " : "\n ";
            statement += piece;
            if (!converted.isEmpty() && !riskySeen)
                expected << converted;
        }
        const QString tail = QStringLiteral("'tail & [x] \"y\" True");
        const bool withTail = clean && random.bounded(4) == 0;
        if (withTail)
            statement += QLatin1Char(' ') + tail;

        const QString out = translateJetSql(statement);
        for (const QString& literal : expected) {
            ASSERT_TRUE(out.contains(literal))
                << "input: " << statement.toStdString() << "\noutput: " << out.toStdString()
                << "\nmissing: " << literal.toStdString();
        }
        if (withTail) {
            ASSERT_TRUE(out.endsWith(tail))
                << "input: " << statement.toStdString() << "\noutput: " << out.toStdString();
        }
    }
}

// Deep nesting and long chains must not exhaust the stack or slow down more than linearly.
TEST(JetSqlTest, LargeStatements) {
    QStringList parts;
    for (int i = 0; i < 20000; ++i)
        parts << QStringLiteral("A%1").arg(i);
    const QString chain = translateJetSql("select " + parts.join(" & ") + " from T");
    EXPECT_EQ(chain.count(QLatin1String("COALESCE(")), 20000);

    const int depth = 5000;
    const QString nested = translateJetSql(QStringLiteral("select ") + QString(depth, '(') +
                                           "a & b" + QString(depth, ')'));
    EXPECT_TRUE(nested.contains("(COALESCE(a,'') || COALESCE(b,''))"));
}

// The same statements for an archive on a PostgreSQL server, and the statements the program
// writes for SQLite itself, rewritten for the server.
TEST(JetSqlTest, ServerOutput) {
    const struct {
        const char* in;
        const char* out;
    } jet[] = {
        {"select Cognome & ' ' & Nome from T", "select (COALESCE(CAST(Cognome AS text),'') || ' ' "
                                               "|| COALESCE(CAST(Nome AS text),'')) from T"},
        {"select Numero & 1 from T",
         "select (COALESCE(CAST(Numero AS text),'') || CAST(1 AS text)) from T"},
        {"select top 1 * from [PA_FE_Header] order by Numero desc",
         "select * from \"pa_fe_header\" order by Numero desc LIMIT 1"},
        {"SELECT @@IDENTITY", "SELECT lastval()"},
        {"select * from T where Data = #1/31/2024# and Esportato = True",
         "select * from T where Data = '2024-01-31' and Esportato = 1"},
        {"select * from T where Nome like 'ro%' and not X like \"a*\"",
         "select * from T where Nome ILIKE 'ro%' and not X ILIKE 'a*'"},
        {"Delete * from T where Id = 3", "DELETE FROM T where Id = 3"},
        {"CREATE TABLE Nuova (Id COUNTER PRIMARY KEY, Nome TEXT(50), Nota MEMO, Ok YESNO, "
         "Importo CURRENCY, Quando DATETIME)",
         "CREATE TABLE Nuova (Id integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, Nome "
         "citext, Nota text, Ok integer, Importo double precision, Quando text)"},
        {"ALTER TABLE T ADD COLUMN Conto LONG", "ALTER TABLE T ADD COLUMN Conto integer"},
        {"select 'a & b like [x]' from T", "select 'a & b like [x]' from T"},
    };
    for (const auto& c : jet)
        EXPECT_EQ(translateJetSql(QString::fromUtf8(c.in), SqlDialect::Postgres).toStdString(),
                  std::string(c.out))
            << "input: " << c.in;

    const struct {
        const char* in;
        const char* out;
    } native[] = {
        {"UPDATE \"PA_FE_Header\" SET \"Numero\" = ? WHERE rowid = ?",
         "UPDATE \"pa_fe_header\" SET \"numero\" = ? WHERE rowid = ?"},
        {"SELECT max(coalesce(a, 0), (SELECT max(b) FROM T)) FROM U",
         "SELECT greatest(coalesce(a, 0), (SELECT max(b) FROM T)) FROM U"},
        {"SELECT min(x, 3), ifnull(y, ''), instr(z, 'A') FROM T WHERE w LIKE 'A%'",
         "SELECT least(x, 3), coalesce(y, ''), strpos(z, 'A') FROM T WHERE w ILIKE 'A%'"},
        {"SELECT last_insert_rowid()", "SELECT lastval()"},
        {"SELECT 'It''s \"Quoted\"' FROM \"T\"", "SELECT 'It''s \"Quoted\"' FROM \"t\""},
    };
    for (const auto& c : native)
        EXPECT_EQ(sqliteToPostgres(QString::fromUtf8(c.in)).toStdString(), std::string(c.out))
            << "input: " << c.in;
}

} // namespace
} // namespace brevalto
