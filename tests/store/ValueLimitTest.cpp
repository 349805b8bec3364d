// An archive file whose values are longer than any column of the program holds (written by
// another program, or altered): the engine refuses each before reading it into memory, and the
// message names the table, row and column that hold it.
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/Schema.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

// A small limit keeps the fixture small; the program's own is Connection::kDefaultValueLimit.
class ValueLimitTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString path = folder.file("prova.mdb");
        QFile(path).open(QIODevice::WriteOnly);
        Connection writer;
        writer.open(path);
        writer.execNative(createTableSql(*findTable("Vettori")));
        for (int i = 1; i <= 4; ++i)
            writer.execNative("insert into Vettori (Denominazione) values (?)",
                              {QStringLiteral("Vettore %1").arg(i)});
        writer.close();
        Connection::setValueLimit(4096);
        reader.open(path);
    }
    void TearDown() override { Connection::setValueLimit(Connection::kDefaultValueLimit); }

    // Sets the value of a column of row 3 from an SQL expression (the writer has no limit).
    void store(const QString& column, const QString& expression) {
        Connection writer;
        Connection::setValueLimit(Connection::kDefaultValueLimit);
        writer.open(folder.file("prova.mdb"));
        writer.execNative(
            QStringLiteral("update Vettori set %1 = %2 where Id = 3").arg(column, expression));
        Connection::setValueLimit(4096);
    }

    static QString error(const std::function<void()>& read) {
        try {
            read();
        } catch (const DbError& e) {
            return e.text();
        }
        return {};
    }

    test::TempFolder folder;
    Connection reader;
};

TEST_F(ValueLimitTest, ALongerValueIsRefusedNamingTableRowAndColumn) {
    const struct {
        const char* column;
        const char* expression;
        const char* says;
    } cases[] = {
        {"Denominazione", "printf('%.5000c', 'x')",
         "colonna Denominazione) un valore di 5000 byte"},
        {"Nome", "zeroblob(9000)", "colonna Nome) un valore di 9000 byte"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        store(c.column, c.expression);
        Dataset d(reader, "TableVettori", "select * from Vettori order by Id");
        for (const auto& read : std::initializer_list<std::function<void()>>{
                 [&] { d.open(); }, [&] { d.walk([] {}); },
                 [&] {
                     reader.scalar(
                         QStringLiteral("select %1 from Vettori where Id = 3").arg(c.column));
                 }}) {
            const QString message = error(read);
            EXPECT_TRUE(message.contains("La tabella Vettori ha nella riga 3") &&
                        message.contains(QString::fromUtf8(c.says)) &&
                        message.contains("(4096 byte)"))
                << message.toStdString();
        }
        store(c.column, "NULL");
    }
    Dataset d(reader, "TableVettori", "select * from Vettori order by Id");
    d.open();
    EXPECT_EQ(d.rowCount(), 4);

    // A value no table holds, made by the statement itself.
    const QString computed = error([&] { reader.scalar("select zeroblob(5000)"); });
    EXPECT_TRUE(computed.contains("Una lettura dell'archivio ha dato un valore"))
        << computed.toStdString();
}

} // namespace
