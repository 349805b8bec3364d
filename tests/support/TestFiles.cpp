#include "support/TestFiles.h"

#include "store/ArchiveAddress.h"
#include "store/ArchiveCreator.h"
#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <stdexcept>

namespace brevalto::test {

QString schemaErrors(const QString& path) {
    const QString schema = QStringLiteral(BREVALTO_SOURCE_DIR "/data/schema/");
    QProcess xmllint;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XML_CATALOG_FILES"), schema + QStringLiteral("catalog.xml"));
    xmllint.setProcessEnvironment(env);
    xmllint.start(QStringLiteral("xmllint"),
                  {"--nonet", "--noout", "--schema", schema + "Schema_VFPR12_v1.2.3.xsd", path});
    if (!xmllint.waitForStarted())
        return QStringLiteral("xmllint could not be started (scripts/setup installs it)");
    if (!xmllint.waitForFinished(120000))
        return QStringLiteral("xmllint did not finish");
    if (xmllint.exitStatus() == QProcess::NormalExit && xmllint.exitCode() == 0)
        return QString();
    return QString::fromLocal8Bit(xmllint.readAllStandardError());
}

QString readAndClose(std::FILE* stream) {
    std::rewind(stream);
    QByteArray bytes;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        bytes.append(buffer, qsizetype(n));
    std::fclose(stream);
    return QString::fromLocal8Bit(bytes).trimmed();
}

CommandRun runCommand(CommandFunction command, const QStringList& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    CommandRun run;
    run.code = command(args, out, err);
    run.out = readAndClose(out);
    run.err = readAndClose(err);
    return run;
}

TempFolder::TempFolder() {
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

bool onServer() {
    return qgetenv("BREVALTO_TEST_ENGINE") == "postgresql";
}

QString serverAddress() {
    return QString::fromLocal8Bit(qgetenv("BREVALTO_TEST_PG"));
}

namespace {

// The address of another database of the test server.
QString databaseAddress(const QString& database) {
    QString base = serverAddress();
    const qsizetype q = base.indexOf(QLatin1Char('?'));
    const QString query = q >= 0 ? base.mid(q) : QString();
    if (q >= 0)
        base.truncate(q);
    return base.left(base.lastIndexOf(QLatin1Char('/')) + 1) + database + query;
}

// Databases made for tests of this process: those of earlier tests go when a new test asks.
class ServerDatabases {
public:
    QString create(const QString& templateName) {
        const std::string test = currentTest();
        Connection admin;
        admin.open(serverAddress());
        if (test != owner_) {
            for (const QString& name : std::as_const(made_))
                admin.execNative(
                    QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
            made_.clear();
            owner_ = test;
        }
        const QString name =
            QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(++count_);
        admin.execNative(templateName.isEmpty()
                             ? QStringLiteral("CREATE DATABASE %1").arg(name)
                             : QStringLiteral("CREATE DATABASE %1 TEMPLATE %2 STRATEGY FILE_COPY")
                                   .arg(name, templateName));
        made_ << name;
        return databaseAddress(name);
    }

    // The database with the full schema and reference data every copy starts from.
    // Shared by every test process of the run: made by the first that needs it (the others wait
    // on a lock) and named after the schema and the test program, so that a server kept between
    // runs never serves an old one. Left on the server: the test cluster goes as a whole.
    QString templateName() {
        if (template_.isEmpty()) {
            // The program that makes it counts too: a rebuilt one makes its own.
            QByteArray schema = QByteArray::number(requiredArchiveVersion) +
                                QFileInfo(QCoreApplication::applicationFilePath())
                                    .lastModified()
                                    .toString()
                                    .toUtf8();
            for (const TableDef& table : archiveSchema())
                schema += createTableSql(table, SqlDialect::Postgres).toUtf8();
            const QString name =
                QStringLiteral("modello_") +
                QString::fromLatin1(
                    QCryptographicHash::hash(schema, QCryptographicHash::Md5).toHex().left(12));
            Connection admin;
            admin.open(serverAddress());
            admin.execNative(QStringLiteral("SELECT pg_advisory_lock(7301)"));
            try {
                if (!admin
                         .execNative(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"),
                                     {name})
                         .next()) {
                    const QString work = name + QStringLiteral("_nuovo");
                    admin.execNative(
                        QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(work));
                    admin.execNative(QStringLiteral("CREATE DATABASE %1").arg(work));
                    createArchive(databaseAddress(work));
                    admin.execNative(
                        QStringLiteral("ALTER DATABASE %1 RENAME TO %2").arg(work, name));
                }
            } catch (...) {
                admin.execNative(QStringLiteral("SELECT pg_advisory_unlock(7301)"));
                throw;
            }
            admin.execNative(QStringLiteral("SELECT pg_advisory_unlock(7301)"));
            template_ = name;
        }
        return template_;
    }

    // Drops every database this process made; run before the application object goes (the
    // driver goes with it).
    void dropAll() {
        if (made_.isEmpty())
            return;
        try {
            Connection admin;
            admin.open(serverAddress());
            for (const QString& name : std::as_const(made_))
                admin.execNative(
                    QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        } catch (...) {
        }
        made_.clear();
    }

private:
    static std::string currentTest() {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        return info ? std::string(info->test_suite_name()) + "." + info->name() : std::string();
    }

    QStringList made_;
    std::string owner_;
    QString template_;
    int count_ = 0;
};

ServerDatabases& serverDatabases() {
    static ServerDatabases databases;
    return databases;
}

} // namespace

void refuseRows(Connection& connection, const QString& table, const QString& event,
                const QString& condition, const QString& message) {
    if (connection.isServer()) {
        connection.execNative(
            QStringLiteral("CREATE FUNCTION refuse_rows() RETURNS trigger LANGUAGE plpgsql AS $$ "
                           "BEGIN IF %1 THEN RAISE EXCEPTION '%2'; END IF; "
                           "RETURN CASE WHEN TG_OP = 'DELETE' THEN OLD ELSE NEW END; END $$")
                .arg(condition.isEmpty() ? QStringLiteral("true") : condition, message));
        connection.execNative(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 FOR EACH ROW "
                                             "EXECUTE FUNCTION refuse_rows()")
                                  .arg(event, table));
        return;
    }
    connection.execNative(
        QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 %3 BEGIN SELECT RAISE(ABORT, '%4'); "
                       "END")
            .arg(event, table,
                 condition.isEmpty() ? QString() : QStringLiteral("WHEN ") + condition, message));
}

void stopRefusingRows(Connection& connection, const QString& table) {
    if (connection.isServer()) {
        connection.execNative(QStringLiteral("DROP TRIGGER refuse ON %1").arg(table));
        connection.execNative(QStringLiteral("DROP FUNCTION refuse_rows()"));
    } else {
        connection.execNative(QStringLiteral("DROP TRIGGER refuse"));
    }
}

void dropServerDatabases() {
    if (!serverAddress().isEmpty())
        serverDatabases().dropAll();
}

QString newServerDatabase() {
    if (serverAddress().isEmpty())
        throw std::runtime_error("BREVALTO_TEST_PG is not set");
    return serverDatabases().create(QString());
}

QString copyOfNewArchive(const TempFolder& folder, const QString& name) {
    if (onServer()) {
        if (serverAddress().isEmpty())
            throw std::runtime_error("BREVALTO_TEST_PG is not set");
        ServerDatabases& databases = serverDatabases();
        return databases.create(databases.templateName());
    }
    return copyOfNewFileArchive(folder, name);
}

QString copyOfNewFileArchive(const TempFolder& folder, const QString& name) {
    static QTemporaryDir cache;
    static QString master;
    if (master.isEmpty()) {
        master = cache.filePath(QStringLiteral("master.mdb"));
        createArchive(master);
    }
    const QString target = folder.file(name);
    QFile::remove(target);
    if (!QFile::copy(master, target))
        throw std::runtime_error("cannot copy the test archive");
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                 QFile::WriteUser);
    return target;
}

QString openError(const QString& location, int busyTimeout) {
    Connection c;
    c.setBusyTimeout(busyTimeout);
    try {
        c.open(location);
    } catch (const DbError& e) {
        EXPECT_FALSE(c.isOpen());
        return e.text();
    }
    return {};
}

} // namespace brevalto::test
