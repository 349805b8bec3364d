// The shared routines: cursor placement after deletes and saves, and the text and number helpers.
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/Saving.h"
#include "store/Schema.h"
#include "store/SqlText.h"
#include "store/TextFields.h"
#include "store/VatNumber.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

class RepositionTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString path = folder.file("prova.mdb");
        QFile(path).open(QIODevice::WriteOnly);
        connection.open(path);
        connection.execNative(createTableSql(*findTable("Iva")));
        for (int i = 1; i <= 4; ++i)
            connection.exec("insert into Iva (Descrizione) values (?)",
                            {QString("riga %1").arg(i)});
        iva.open();
    }
    test::TempFolder folder;
    Connection connection;
    Dataset iva{connection, "TableIva", "select * from Iva order by Id"};
};

TEST_F(RepositionTest, DeleteMakesThePreviousRowCurrent) {
    iva.locate("Id", 3);
    DeleteAndReposition(iva, "Id");
    EXPECT_EQ(iva.integer("Id"), 2);
    iva.last();
    DeleteAndReposition(iva, "Id");
    EXPECT_EQ(iva.integer("Id"), 2);
    iva.first();
    DeleteAndReposition(iva, "Id");
    EXPECT_EQ(iva.integer("Id"), 2) << "after the first row the following one stays current";
    DeleteAndReposition(iva, "Id");
    EXPECT_TRUE(iva.isEmpty());
    DeleteAndReposition(iva, "Id"); // nothing to delete, no error
    EXPECT_EQ(connection.scalar("select count(*) from Iva").toInt(), 0);
}

TEST_F(RepositionTest, SaveNewRecordLeavesTheNewRowCurrentWithItsKey) {
    iva.locate("Id", 2);
    iva.edit();
    iva.insert();
    iva.edit();
    iva.setValue("Descrizione", "nuova");
    EXPECT_TRUE(SaveNewRecord(iva, "Id"));
    EXPECT_EQ(iva.integer("Id"), 5);
    EXPECT_EQ(iva.text("Descrizione"), "nuova");
    EXPECT_EQ(iva.rowCount(), 5);

    iva.locate("Id", 3);
    iva.edit();
    iva.setValue("Descrizione", "cambiata");
    EXPECT_TRUE(SaveRecord(iva, "Id"));
    EXPECT_EQ(iva.state(), Dataset::State::Edit) << "the screen goes on editing the row";
    EXPECT_EQ(connection.scalar("select Descrizione from Iva where Id = 3").toString(), "cambiata");
}

TEST_F(RepositionTest, FailedSavesRecoverAndReportTheError) {
    iva.locate("Id", 3);
    iva.append();
    iva.setValue("Descrizione", "persa");
    connection.execNative("create trigger no_insert before insert on Iva begin "
                          "select raise(abort, 'bloccato'); end");
    QString error;
    EXPECT_FALSE(SaveNewRecord(iva, "Id", &error));
    EXPECT_TRUE(error.contains("bloccato"));
    EXPECT_EQ(iva.rowCount(), 4);
    EXPECT_EQ(iva.state(), Dataset::State::Browse);

    iva.locate("Id", 2);
    connection.execNative("create trigger no_update before update on Iva begin "
                          "select raise(abort, 'bloccato'); end");
    iva.edit();
    iva.setValue("Descrizione", "mai");
    EXPECT_FALSE(SaveRecord(iva, "Id", &error));
    EXPECT_EQ(iva.integer("Id"), 2) << "back on the same row after the re-query";
    EXPECT_EQ(iva.text("Descrizione"), "riga 2");
}

TEST(Routines, TextHelpers) {
    EXPECT_EQ(QuoteSql("d'a'"), "d''a''");
    EXPECT_EQ(LikePattern("d'a*"), "d''a%");
    for (const char* valid : {"00000000000", "12345678903", "01234567897"})
        EXPECT_TRUE(IsValidPartitaIva(valid)) << valid;
    for (const char* invalid : {"12345678901", "IT00000000000", "0000000000", "000000000000",
                                "1234567890A", "", "12345 78903"})
        EXPECT_FALSE(IsValidPartitaIva(invalid)) << invalid;
    // Tax codes: a person's (also with a homonym's letters), lower case, an entity's number.
    for (const char* valid : {"RSSMRA80A01H501U", "RSSMRA80A01H50MM", "rssmra80a01h501u",
                              "MRTMTT25D09F205Z", "01234567897"})
        EXPECT_TRUE(IsValidCodiceFiscale(valid)) << valid;
    for (const char* invalid : {"RSSMRA80A01H501A", "RSSMRA80A01H501", "RSSMRA80A01H501UX",
                                "RSSMRA80A01H5-1U", "01234567890", ""})
        EXPECT_FALSE(IsValidCodiceFiscale(invalid)) << invalid;

    const struct {
        const char* text;
        int n;
        const char* field;
    } fields[] = {{"a;b;c", 2, "b"}, {"a;b;c", 4, ""}, {"", 1, ""},         {"a;;b", 2, ""},
                  {"a;;b", 3, "b"},  {"a;b;", 2, "b"}, {" x ;\n", 2, "\n"}, {"a", 1, "a"}};
    for (const auto& f : fields)
        EXPECT_EQ(GetField(f.text, f.n, ';'), QString(f.field)) << f.text << " " << f.n;
    EXPECT_EQ(CountFields("a;b", ';'), 2);
    EXPECT_EQ(CountFields("a;b;", ';'), 2);
    EXPECT_EQ(CountFields("a;;b", ';'), 3);
    EXPECT_EQ(CountFields("", ';'), 0);

    EXPECT_EQ(WithTrailingSeparator("C:\\dati"), "C:\\dati\\");
    EXPECT_EQ(WithTrailingSeparator("/home/fatture"), "/home/fatture/");
    EXPECT_EQ(WithTrailingSeparator("/home/"), "/home/");
    EXPECT_EQ(WithTrailingSeparator("dati"), "dati");
    EXPECT_EQ(WithTrailingSeparator(""), "");
    EXPECT_EQ(ConvertiMemo(QString(500, 'x')).size(), 400);
    EXPECT_EQ(ConvertiMemo("breve"), "breve");
}

} // namespace
