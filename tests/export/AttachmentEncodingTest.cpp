#include "export/AttachmentEncoding.h"
#include "export/ExportError.h"
#include "store/ProgramFolder.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

class AttachmentEncodingTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = folder.file("programma");
        QDir().mkpath(home);
        qputenv("BREVALTO_HOME", home.toLocal8Bit());
    }
    void TearDown() override { qunsetenv("BREVALTO_HOME"); }

    QString write(const QString& name, const QByteArray& content) {
        QFile f(folder.file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    }
    QByteArray encodedFile() {
        QFile f(home + "/Allegato.wkq");
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << "Allegato.wkq is missing";
        return f.readAll();
    }

    test::TempFolder folder;
    QString home;
};

// Base64 with "=" fill, one line however long, in Allegato.wkq of the program folder.
TEST_F(AttachmentEncodingTest, EncodesIntoTheProgramFolder) {
    const struct {
        QByteArray content;
        QByteArray expected;
    } cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {QByteArray("\x00\xff\xfe", 3), "AP/+"},
    };
    for (const auto& c : cases) {
        AttachmentSourcePath() = write("in.bin", c.content);
        EncodeAttachment();
        EXPECT_EQ(encodedFile(), c.expected) << c.content.size() << " bytes";
        EXPECT_EQ(readEncodedAttachment(), c.expected);
    }
    EXPECT_EQ(encodedAttachmentPath(), QDir(home).absolutePath() + "/Allegato.wkq");
}

TEST_F(AttachmentEncodingTest, LongFilesStayOnOneLineAndTheLastCallWins) {
    QByteArray big;
    for (int i = 0; i < 5000; ++i)
        big.append(char(i * 7));
    AttachmentSourcePath() = write("big.bin", big);
    EncodeAttachment();
    const QByteArray text = encodedFile();
    EXPECT_EQ(text, big.toBase64());
    EXPECT_FALSE(text.contains('\n'));
    EXPECT_FALSE(text.contains('\r'));

    AttachmentSourcePath() = write("small.bin", "xy");
    EncodeAttachment();
    EXPECT_EQ(encodedFile(), "eHk=");
}

TEST_F(AttachmentEncodingTest, AnUnreadableFileIsAFailure) {
    AttachmentSourcePath() = folder.file("missing.bin");
    try {
        EncodeAttachment();
        FAIL() << "no error";
    } catch (const ExportError& e) {
        EXPECT_EQ(e.kind(), ExportError::Kind::Failure);
        EXPECT_TRUE(e.text().contains("missing.bin")) << e.text().toStdString();
    }
}

TEST_F(AttachmentEncodingTest, AProgramFolderThatCannotBeWrittenIsAFailure) {
    // A file where the folder should be: nothing can be created inside it, whoever runs the test.
    const QString blocked = write("bloccata", "x");
    qputenv("BREVALTO_HOME", blocked.toLocal8Bit());
    AttachmentSourcePath() = write("in.bin", "abc");
    EXPECT_THROW(EncodeAttachment(), ExportError);
}

} // namespace
} // namespace brevalto
