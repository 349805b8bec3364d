// Files written whole or not at all, whatever stops the writing.
#include "store/WholeFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace brevalto;

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(illeggibile)");
}

TEST(WholeFileTest, ReplacesAFileWholeOrLeavesItAsItWas) {
    test::TempFolder folder;
    QString why;
    EXPECT_FALSE(writeWholeFile(folder.file("manca/elenco.csv"), "x", &why));
    EXPECT_EQ(why, "non esiste") << "the system's reason, in Italian";

    const QString path = folder.file("elenco.csv");
    ASSERT_TRUE(writeWholeFile(path, "prima\n", &why));
    ASSERT_TRUE(writeWholeFile(path, "seconda\n", &why));
    EXPECT_EQ(contentOf(path), "seconda\n");

    // A full disk, played by a file-size limit: a file just past it (whose bytes a buffer would
    // have kept until the file was closed) and one far past it.
    for (const int size : {2 * 1024, 100 * 1024}) {
        SCOPED_TRACE(size);
        struct rlimit before {};
        getrlimit(RLIMIT_FSIZE, &before);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = before;
        limit.rlim_cur = 1024;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        why.clear();
        const bool written = writeWholeFile(path, QByteArray(size, 'x'), &why);
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_FALSE(written);
        EXPECT_EQ(why, "il file supera la dimensione consentita");
        EXPECT_EQ(contentOf(path), "seconda\n");
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList({"elenco.csv"}));
    }
}

// A symbolic link that points at no file is not written through: the file would appear
// wherever the link points. A link to an existing file is that file, replaced as usual.
TEST(WholeFileTest, ADanglingSymbolicLinkIsRefused) {
    test::TempFolder folder;
    const QString elsewhere = folder.file("altrove/segreto.txt");
    QDir().mkpath(folder.file("altrove"));
    const QString link = folder.file("fattura.xml");
    ASSERT_TRUE(QFile::link(elsewhere, link));
    QString why;
    EXPECT_FALSE(writeWholeFile(link, "x", &why));
    EXPECT_TRUE(why.contains("collegamento simbolico a un file che non esiste"))
        << why.toStdString();
    EXPECT_FALSE(QFile::exists(elsewhere));

    ASSERT_TRUE(writeWholeFile(elsewhere, "prima", &why));
    EXPECT_TRUE(writeWholeFile(link, "dopo", &why)) << why.toStdString();
    EXPECT_EQ(contentOf(elsewhere), "dopo");
}

} // namespace
