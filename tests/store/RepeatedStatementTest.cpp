// A write prepared once and run for many rows goes straight to the engine of an archive file: it
// must store what the driver stores, and a refused row must read as any refused statement.
#include "store/Connection.h"
#include "support/TestFiles.h"

#include <QDate>
#include <QFile>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

class RepeatedStatementTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_ON_SERVER("il motore del file");
        const QString path = folder.file("prova.mdb");
        QFile(path).open(QIODevice::WriteOnly);
        connection.open(path);
        connection.execNative("CREATE TABLE t (id INTEGER PRIMARY KEY, way TEXT, x)");
    }

    test::TempFolder folder;
    Connection connection;
};

TEST_F(RepeatedStatementTest, StoresWhatTheDriverStores) {
    const QVariantList values{QVariant(),
                              42,
                              qlonglong(1) << 40,
                              -0.5,
                              1e-300,
                              true,
                              false,
                              QString("l'\"%_*?[a]"),
                              QString(""),
                              QString(),
                              QString::fromUtf8("€ è 𝄞"),
                              QByteArray("\0\1", 2),
                              QByteArray(),
                              QDate(2024, 1, 15)}; // a type only the driver binds
    RepeatedStatement repeated = connection.prepare("INSERT INTO t (way, x) VALUES (?, ?)");
    for (const QVariant& v : values) {
        repeated.run({"repeated", v});
        connection.execNative("INSERT INTO t (way, x) VALUES (?, ?)", {"driver", v});
    }
    QSqlQuery q =
        connection.execNative("SELECT way, typeof(x) || ' ' || quote(x) FROM t ORDER BY id");
    for (const QVariant& v : values) {
        ASSERT_TRUE(q.next());
        const QString mine = q.value(1).toString();
        ASSERT_TRUE(q.next());
        EXPECT_EQ(mine, q.value(1).toString()) << v.typeName();
    }
}

TEST_F(RepeatedStatementTest, ARefusedRowReadsAsAnyRefusedStatement) {
    connection.execNative("CREATE TRIGGER refuse BEFORE INSERT ON t WHEN NEW.x = 'no' BEGIN "
                          "SELECT RAISE(ABORT, 'riga rifiutata'); END");
    const QString sql = "INSERT INTO t (way, x) VALUES (?, ?)";
    RepeatedStatement repeated = connection.prepare(sql);
    repeated.run({"repeated", "sì"});
    QString mine, drivers;
    try {
        repeated.run({"repeated", "no"});
    } catch (const DbError& e) {
        mine = e.text();
    }
    try {
        connection.execNative(sql, {"driver", "no"});
    } catch (const DbError& e) {
        drivers = e.text();
    }
    EXPECT_TRUE(mine.contains("riga rifiutata")) << mine.toStdString();
    EXPECT_EQ(mine, drivers);
    repeated.run({"repeated", "ancora"}); // the statement runs on after a refusal
    QSqlQuery all = connection.execNative("SELECT group_concat(x, '|') FROM t");
    ASSERT_TRUE(all.next());
    EXPECT_EQ(all.value(0).toString(), QString::fromUtf8("sì|ancora"));
}

} // namespace
