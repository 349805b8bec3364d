#include "SdiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <zip.h>

namespace brevalto::test {

namespace {

int runProgram(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000)) {
        ADD_FAILURE() << program.toStdString() << " is missing: scripts/setup installs it";
        return -1;
    }
    process.waitForFinished(60000);
    return process.exitCode();
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

} // namespace

QByteArray sdiSample(const QString& name) {
    return readBytes(QStringLiteral(BREVALTO_SOURCE_DIR "/tests/receipts/samples/") + name);
}

QByteArray edited(const QString& name, const QList<QPair<QByteArray, QByteArray>>& changes) {
    QByteArray bytes = sdiSample(name);
    for (const auto& change : changes) {
        EXPECT_TRUE(bytes.contains(change.first)) << change.first.toStdString();
        bytes.replace(change.first, change.second);
    }
    return bytes;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QByteArray signedWithOpenssl(const QString& folder, const QByteArray& bytes) {
    const QDir dir(folder);
    writeBytes(dir.filePath("da-firmare.xml"), bytes);
    EXPECT_EQ(
        runProgram("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                               dir.filePath("key.pem"), "-out", dir.filePath("cert.pem"), "-subj",
                               "/CN=Sistema di Interscambio di prova", "-days", "2"}),
        0);
    EXPECT_EQ(runProgram("openssl", {"cms", "-sign", "-binary", "-nodetach", "-in",
                                     dir.filePath("da-firmare.xml"), "-signer",
                                     dir.filePath("cert.pem"), "-inkey", dir.filePath("key.pem"),
                                     "-outform", "DER", "-out", dir.filePath("firmato.p7m")}),
              0);
    return readBytes(dir.filePath("firmato.p7m"));
}

QByteArray zipOf(const QList<QPair<QString, QByteArray>>& entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    EXPECT_NE(archive, nullptr);
    zip_source_keep(target);
    for (const auto& entry : entries) {
        zip_source_t* content =
            zip_source_buffer(archive, entry.second.constData(), entry.second.size(), 0);
        EXPECT_GE(zip_file_add(archive, entry.first.toUtf8().constData(), content, 0), 0);
    }
    EXPECT_EQ(zip_close(archive), 0);
    QByteArray bytes;
    EXPECT_EQ(zip_source_open(target), 0);
    zip_source_seek(target, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(target);
    zip_source_seek(target, 0, SEEK_SET);
    bytes.resize(size);
    zip_source_read(target, bytes.data(), zip_uint64_t(size));
    zip_source_close(target);
    zip_source_free(target);
    zip_error_fini(&error);
    return bytes;
}

} // namespace brevalto::test
