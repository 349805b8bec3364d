// Copying an archive file into a new one: what the copy stores is compared with what was read,
// row by row, and a copy that differs is never kept.
#include "store/ArchiveCopy.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

// An archive whose Numero column was declared by another program without a type: it keeps the
// text "1e1" as it was written, where a new archive's whole-number column stores 10.
QString archiveWithUntypedNumero(const test::TempFolder& folder) {
    const QString path = test::copyOfNewFileArchive(folder, "origine.mdb");
    Connection c;
    c.open(path);
    QSqlQuery q = c.execNative("SELECT sql FROM sqlite_master WHERE name = 'PA_FE_Header'");
    EXPECT_TRUE(q.next());
    QString sql = q.value(0).toString();
    EXPECT_TRUE(sql.contains("\"Numero\" INTEGER"));
    sql.replace("\"Numero\" INTEGER", "\"Numero\" BLOB");
    q.finish();
    c.inTransaction([&] {
        c.execNative("ALTER TABLE PA_FE_Header RENAME TO PA_FE_Header_prima");
        c.execNative(sql);
        c.execNative("INSERT INTO PA_FE_Header SELECT * FROM PA_FE_Header_prima");
        c.execNative("DROP TABLE PA_FE_Header_prima");
        c.execNative("INSERT INTO PA_FE_Header (Numero) VALUES (2)");
    });
    return path;
}

} // namespace

TEST(ArchiveCopyTest, ACopyThatStoresAValueDifferentlyIsRefusedAndNothingIsKept) {
    SKIP_ON_SERVER("an archive file as another program left it");
    test::TempFolder folder;
    const QString source = archiveWithUntypedNumero(folder);
    const QString copy = folder.file("copia.mdb");

    // Rows as a new archive stores them copy and compare equal.
    const CopyReport report = copyArchive(source, copy);
    EXPECT_TRUE(QFileInfo::exists(copy));
    EXPECT_TRUE(report.text().contains("conteggi e controlli uguali"));
    QFile::remove(copy);

    {
        Connection c;
        c.open(source);
        c.execNative("INSERT INTO PA_FE_Header (Numero) VALUES ('1e1')");
    }
    try {
        copyArchive(source, copy);
        ADD_FAILURE() << "the copy was kept";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains("La copia della tabella PA_FE_Header non corrisponde "
                                      "all'originale (righe 2 e 2"))
            << e.text().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_EQ(QDir(folder.path()).entryList({"copia*"}, QDir::Files), QStringList());
}
