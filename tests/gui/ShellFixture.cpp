#include "ShellFixture.h"

#include "store/Prompt.h"
#include "ui/ScreenHost.h"

#include <QFile>

namespace brevalto::test {

void ShellTest::SetUp() {
    setPrompt(&prompt);
}

void ShellTest::TearDown() {
    screens.reset();
    setModalShower({});
    setPrompt(nullptr);
}

QString ShellTest::makeArchive(const QString& path) {
    if (path.isEmpty())
        return copyOfNewArchive(folder);
    const QString made = copyOfNewArchive(folder, QStringLiteral("copy.tmp"));
    EXPECT_TRUE(QFile::rename(made, path)) << path.toStdString();
    return path;
}

void ShellTest::writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QByteArray ShellTest::readFile(const QString& path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ShellTest::sql(const QString& archive, const QString& statement) {
    Connection connection;
    connection.open(archive);
    connection.exec(statement);
}

QVariant ShellTest::scalar(const QString& archive, const QString& query) {
    Connection connection;
    connection.open(archive);
    return connection.scalar(query);
}

Environment ShellTest::environment() {
    Environment env;
    env.programFolder = programFolder();
    env.upgradeProgram = programFolder() + QStringLiteral("UpgradeDb");
    env.endProgram = [this] { ++ended; };
    env.startProgram = [this](const QString& program) {
        started << program;
        return upgradeRunner ? upgradeRunner(program) : true;
    };
    env.pause = [this](int ms) { pauses << ms; };
    return env;
}

Screens& ShellTest::launch() {
    screens = std::make_unique<Screens>(environment());
    return *screens;
}

bool ShellTest::start() {
    if (!screens)
        launch();
    return window().runStartUp();
}

} // namespace brevalto::test
