// ZIPs for the portal: read back with libzip, their contents byte for byte, the limits on every
// file and on every ZIP, the names.
#include "export/PortalZip.h"
#include "export/ZipCommand.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <zip.h>

namespace brevalto::test {
namespace {

// Every entry of a ZIP: name → bytes; the flag says whether each was stored compressed.
QMap<QString, QByteArray> readZip(const QString& path, bool* compressed = nullptr) {
    QMap<QString, QByteArray> out;
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    EXPECT_NE(zip, nullptr) << path.toStdString() << " error " << error;
    if (!zip)
        return out;
    if (compressed)
        *compressed = true;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(zip, zip_uint64_t(i), 0, &st);
        QByteArray bytes(qsizetype(st.size), '\0');
        zip_file_t* file = zip_fopen_index(zip, zip_uint64_t(i), 0);
        EXPECT_EQ(zip_fread(file, bytes.data(), st.size), zip_int64_t(st.size));
        zip_fclose(file);
        if (compressed && st.comp_method != ZIP_CM_DEFLATE)
            *compressed = false;
        out.insert(QString::fromUtf8(st.name), bytes);
    }
    zip_close(zip);
    return out;
}

class PortalZipTest : public ::testing::Test {
protected:
    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = folder.file(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static QByteArray noise(qsizetype size) {
        QByteArray bytes(size, '\0');
        QRandomGenerator generator(42);
        generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
        return bytes;
    }
    static QByteArray invoice(int n) {
        QByteArray text = "<?xml version=\"1.0\"?><p:FatturaElettronica>";
        for (int i = 0; i < 200; ++i)
            text += "<DettaglioLinee><NumeroLinea>" + QByteArray::number(i) +
                    "</NumeroLinea></DettaglioLinee>";
        return text + "<Numero>" + QByteArray::number(n) + "</Numero></p:FatturaElettronica>";
    }
    QStringList filesIn() const { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }

    TempFolder folder;
};

// Plain and signed files at the top of one ZIP, each under its own name, compressed, the same
// bytes; the files that cannot go are left out with the reason and the rest still packed.
TEST_F(PortalZipTest, PacksTheFilesAndLeavesOutWhatTheExchangeSystemRefuses) {
    const QString a = file("IT01234567890_00001.xml", invoice(1));
    const QString b = file("IT01234567890_00002.xml.p7m", invoice(2) + "firma");
    const QString big = file("IT01234567890_00003.xml", QByteArray(portal::kMaxFileSize + 1, 'x'));
    const QString badName = file("fattura di marzo.xml", invoice(4));
    QDir().mkpath(folder.file("altra"));
    const QString twice = folder.file("altra/IT01234567890_00001.xml");
    QFile::copy(a, twice);
    const QString limit = file("IT01234567890_00005.xml", QByteArray(portal::kMaxFileSize, 'y'));

    const QString target = folder.file("IT01234567890_Z0001.zip");
    const portal::ZipResult zip = portal::packForPortal(
        {a, b, big, badName, twice, folder.file("IT01234567890_00009.xml"), limit}, target, false);
    ASSERT_TRUE(zip.ok()) << zip.error.toStdString();
    ASSERT_EQ(zip.archives, QStringList({target}));
    bool compressed = false;
    const QMap<QString, QByteArray> inside = readZip(target, &compressed);
    EXPECT_EQ(inside.keys(), QStringList({"IT01234567890_00001.xml", "IT01234567890_00002.xml.p7m",
                                          "IT01234567890_00005.xml"}));
    EXPECT_EQ(inside.value("IT01234567890_00001.xml"), invoice(1));
    EXPECT_EQ(inside.value("IT01234567890_00002.xml.p7m"), invoice(2) + "firma");
    EXPECT_TRUE(compressed);
    EXPECT_LE(QFileInfo(target).size(), portal::kMaxZipSize);

    QStringList refused;
    for (const portal::Refused& r : zip.refused)
        refused << QFileInfo(r.file).fileName() + " " + r.finding.code;
    EXPECT_EQ(refused,
              QStringList({"IT01234567890_00003.xml 00003", "fattura di marzo.xml 00001",
                           "IT01234567890_00001.xml 00002", "IT01234567890_00009.xml FILE"}));
}

// Files that do not fit one ZIP go on in the next, named after it; no ZIP is over the limit and
// every file is in exactly one. Hardly compressible files make the ZIPs as large as they get.
TEST_F(PortalZipTest, SplitsOverSeveralZipsWithinTheLimit) {
    QStringList files;
    QMap<QString, QByteArray> expected;
    for (int n = 1; n <= 7; ++n) {
        const QString name = QStringLiteral("IT01234567890_%1.xml").arg(n, 5, 10, QLatin1Char('0'));
        const QByteArray bytes = noise(1'400'000 + n);
        files << file(name, bytes);
        expected.insert(name, bytes);
    }
    const portal::ZipResult zip =
        portal::packForPortal(files, folder.file("IT01234567890_Z0009.zip"), false);
    ASSERT_TRUE(zip.ok()) << zip.error.toStdString();
    ASSERT_EQ(zip.archives.size(), 3);
    QMap<QString, QByteArray> found;
    for (const QString& archive : zip.archives) {
        EXPECT_LE(QFileInfo(archive).size(), portal::kMaxZipSize) << archive.toStdString();
        const QMap<QString, QByteArray> inside = readZip(archive);
        for (auto it = inside.begin(); it != inside.end(); ++it) {
            EXPECT_FALSE(found.contains(it.key()));
            found.insert(it.key(), it.value());
        }
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(filesIn().filter(".zip"),
              QStringList({"IT01234567890_Z0009.zip", "IT01234567890_Z0010.zip",
                           "IT01234567890_Z0011.zip"}))
        << "no work file left";
}

// A ZIP name the exchange system refuses, one already there (without replace), or nothing left to
// pack: nothing is written.
TEST_F(PortalZipTest, WritesNothingWhenTheZipCannotBeRight) {
    const QString a = file("IT01234567890_00001.xml", invoice(1));
    const QString taken = file("IT01234567890_Z0001.zip", "vecchio");
    struct Case {
        QString target;
        QStringList files;
        const char* says;
    };
    const QList<Case> cases = {
        {folder.file("fatture.zip"), {a}, "non valido"},
        {folder.file("IT0123_Z0001.zip"), {a}, "non valido"},
        {taken, {a}, "esiste già"},
        {folder.file("IT01234567890_Z0002.zip"), {folder.file("manca.xml")}, "Nessun file"},
    };
    for (const Case& c : cases) {
        const portal::ZipResult zip = portal::packForPortal(c.files, c.target, false);
        EXPECT_TRUE(zip.error.contains(QString::fromUtf8(c.says))) << zip.error.toStdString();
        EXPECT_TRUE(zip.archives.isEmpty());
    }
    EXPECT_EQ(filesIn(), QStringList({"IT01234567890_00001.xml", "IT01234567890_Z0001.zip"}));
    EXPECT_EQ(QFile(taken).size(), 7);
    ASSERT_TRUE(portal::packForPortal({a}, taken, true).ok());
    EXPECT_EQ(readZip(taken).keys(), QStringList({"IT01234567890_00001.xml"}));
}

// brevalto zip: the ZIP written with what it holds; a file left out is said and gives 1.
TEST_F(PortalZipTest, TheCommandPrintsEachZipAndWhatWasLeftOut) {
    const QString a = file("IT01234567890_00001.xml", invoice(1));
    const QString bad = file("fattura.xml", invoice(2));
    const auto run = [&](const QStringList& args, QString* out, QString* err) {
        std::FILE* o = std::tmpfile();
        std::FILE* e = std::tmpfile();
        const int code = runZipCommand(args, o, e);
        *out = readAndClose(o);
        *err = readAndClose(e);
        return code;
    };
    QString out;
    QString err;
    const QString target = folder.file("IT01234567890_Z0001.zip");
    EXPECT_EQ(run({"--out", target, a}, &out, &err), 0) << err.toStdString();
    EXPECT_EQ(out, target + "\n  IT01234567890_00001.xml");
    EXPECT_EQ(run({"--out", target, a}, &out, &err), 1);
    EXPECT_TRUE(err.contains("esiste già")) << err.toStdString();
    EXPECT_EQ(run({"--out", target, "--force", a, bad}, &out, &err), 1);
    EXPECT_TRUE(err.startsWith(bad + "\t00001\t\t")) << err.toStdString();
    EXPECT_EQ(readZip(target).keys(), QStringList({"IT01234567890_00001.xml"}));
    EXPECT_EQ(run({"--out", target}, &out, &err), 2);
    EXPECT_EQ(run({a}, &out, &err), 2);
}

TEST(PortalZipNames, TheProgressiveGrowsWithinFiveCharacters) {
    const struct {
        const char* name;
        const char* next;
    } cases[] = {
        {"IT01234567890_Z0001.zip", "IT01234567890_Z0002.zip"},
        {"IT01234567890_Z0009.zip", "IT01234567890_Z0010.zip"},
        {"IT01234567890_00099.zip", "IT01234567890_00100.zip"},
        {"IT01234567890_AB.zip", "IT01234567890_AB1.zip"},
        {"IT01234567890_Z9999.zip", ""},
        {"IT01234567890_99999.zip", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(portal::nextZipName(c.name), QString::fromUtf8(c.next)) << c.name;
}

} // namespace
} // namespace brevalto::test
