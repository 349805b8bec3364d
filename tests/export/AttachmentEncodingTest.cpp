#include "export/AttachmentEncoding.h"
#include "ExportTestSupport.h"
#include "export/ExportError.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

QString write(const TempFolder& folder, const QString& name, const QByteArray& content) {
    QFile f(folder.file(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    return f.fileName();
}

// The whole base64 text of a file, its pieces joined.
QByteArray encode(const QString& path) {
    Base64Reader reader(path);
    QByteArray text;
    for (QByteArray piece = reader.next(); !piece.isEmpty(); piece = reader.next())
        text += piece;
    return text;
}

// Base64 with "=" fill, one line however long, whatever the size of the pieces it is read in.
TEST(AttachmentEncodingTest, EncodesOnOneLine) {
    TempFolder folder;
    QByteArray big;
    for (int i = 0; i < 200001; ++i)
        big.append(char(i * 7));
    const struct {
        QByteArray content;
        QByteArray expected;
    } cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {QByteArray("\x00\xff\xfe", 3), "AP/+"},
        {big, big.toBase64()},
    };
    for (const auto& c : cases) {
        const QByteArray text = encode(write(folder, "in.bin", c.content));
        EXPECT_EQ(text, c.expected) << c.content.size() << " bytes";
        EXPECT_FALSE(text.contains('\n'));
    }
}

TEST(AttachmentEncodingTest, AnUnreadableFileIsAFailure) {
    TempFolder folder;
    try {
        encode(folder.file("missing.bin"));
        FAIL() << "no error";
    } catch (const ExportError& e) {
        EXPECT_EQ(e.kind(), ExportError::Kind::Failure);
        EXPECT_TRUE(e.text().contains("missing.bin")) << e.text().toStdString();
    }
}

// A document whose one body carries many attachments of its own random bytes.
int documentWithAttachments(ExportArchive& a, const QString& tag, int count) {
    const int doc = a.addDocument();
    const int body = a.addCompleteBody(doc);
    for (int i = 0; i < count; ++i) {
        QByteArray bytes(20000 + i * 997, Qt::Uninitialized);
        for (char& c : bytes)
            c = char(QRandomGenerator::global()->bounded(256));
        const QString name = QStringLiteral("%1-%2.bin").arg(tag).arg(i);
        a.add("PA_FE_Body_Allegati", {{"PA_FE_Body_Id", body},
                                      {"NomeAttachment", name},
                                      {"PercorsoCompleto", a.makeFile(name, bytes)}});
    }
    return doc;
}

QProcess* startExport(const QString& programDir, const QString& archive, int numero,
                      const QString& out) {
    auto* p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("BREVALTO_HOME", programDir);
    p->setProcessEnvironment(env);
    p->start(QStringLiteral(BREVALTO_BINARY_DIR "/brevalto"),
             {"export", "--archive", archive, "--document", QString::number(numero), "--out", out,
              "--force", "--no-check"});
    return p;
}

void finish(QProcess* p) {
    EXPECT_TRUE(p->waitForFinished(120000));
    EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    delete p;
}

// Two command lines sharing one program folder export two documents at the same moment: each file
// is byte for byte what the same export gives alone.
TEST(AttachmentEncodingTest, ConcurrentExportsKeepTheirOwnAttachments) {
    if (!QFile::exists(QStringLiteral(BREVALTO_BINARY_DIR "/brevalto")))
        GTEST_SKIP() << "brevalto executable not built";
    ExportArchive a;
    const int first = documentWithAttachments(a, "primo", 20);
    const int second = documentWithAttachments(a, "secondo", 20);
    const auto numero = [&](int doc) {
        return a.read("PA_FE_Header", "id", doc, "Numero").toInt();
    };
    const int numbers[] = {numero(first), numero(second)};
    const QString archive = a.db().path();
    a.data.closeAllDatasets();
    a.db().close();

    QByteArray alone[2];
    for (int d = 0; d < 2; ++d) {
        const QString out = a.folder.file(QStringLiteral("ITRSSMRA80A01H501U_S%1.xml").arg(d));
        finish(startExport(a.programDir, archive, numbers[d], out));
        alone[d] = readFile(out);
        ASSERT_TRUE(alone[d].contains("<Attachment>")) << d;
    }
    ASSERT_NE(alone[0], alone[1]);

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        QString out[2];
        QProcess* running[2];
        for (int d = 0; d < 2; ++d) {
            out[d] =
                a.folder.file(QStringLiteral("ITRSSMRA80A01H501U_I%1%2.xml").arg(d).arg(round));
            running[d] = startExport(a.programDir, archive, numbers[d], out[d]);
        }
        for (int d = 0; d < 2; ++d)
            finish(running[d]);
        for (int d = 0; d < 2; ++d)
            EXPECT_TRUE(readFile(out[d]) == alone[d]) << "document " << d << " differs";
    }
    EXPECT_TRUE(QDir(a.programDir).entryList(QDir::Files).isEmpty())
        << "nothing is left in the program folder";
}

// The program folder may be read-only (a shared installation): exports do not need to write there.
TEST(AttachmentEncodingTest, AReadOnlyProgramFolderDoesNotStopAnExport) {
    ExportArchive a;
    const int doc = scenarioSmallAttachments(a);
    // A file where the folder should be: nothing can be created inside it, whoever runs the test.
    const QString blocked = write(a.folder, "bloccata", "x");
    qputenv("BREVALTO_HOME", blocked.toLocal8Bit());
    const QDomDocument x = a.exportDocument(doc);
    EXPECT_EQ(textsAt(x, "FatturaElettronicaBody/Allegati/Attachment"),
              QStringList({"", "YQ==", "YWI=", "YWJj"}));
}

} // namespace
} // namespace brevalto
