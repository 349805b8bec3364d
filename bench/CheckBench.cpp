// The pre-send check of a large file: in process (parse, schema and content rules) and as whole
// processes, "brevalto check" beside "xmllint --noout --schema" on the same file, each with its
// time and peak memory.
#include "Bench.h"
#include "check/Checker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace brevalto::bench {

namespace {

struct ProcessFigures {
    double ms = 0;
    double peakMb = 0;
};

// Runs a program with its output discarded, through /usr/bin/time for its peak memory: a child
// spawned from this process would inherit this process's own peak in its figures.
ProcessFigures runProcess(const QStringList& arguments) {
    QTemporaryDir dir;
    const QString memoryFile = dir.filePath(QStringLiteral("peak"));
    std::vector<QByteArray> bytes = {"/usr/bin/time", "-f", "%M", "-o", memoryFile.toLocal8Bit()};
    for (const QString& a : arguments)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    ProcessFigures figures;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        figures.ms = timer.nsecsElapsed() / 1e6;
        QFile peak(memoryFile);
        if (peak.open(QIODevice::ReadOnly))
            figures.peakMb = peak.readAll().trimmed().split('\n').last().toDouble() / 1024.0;
    }
    posix_spawn_file_actions_destroy(&actions);
    return figures;
}

// Best time of n runs, and the peak memory of that run.
ProcessFigures bestOf(int n, const QStringList& arguments) {
    ProcessFigures best{1e300, 0};
    for (int i = 0; i < n; ++i) {
        const ProcessFigures f = runProcess(arguments);
        if (f.ms < best.ms)
            best = f;
    }
    return best;
}

// The official schema files, written out of the program's resources for xmllint.
QString writeSchemaFolder(const QTemporaryDir& dir) {
    for (const char* name : {"Schema_VFPR12_v1.2.3.xsd", "xmldsig-core-schema.xsd"})
        QFile::copy(QStringLiteral(":/data/schema/") + QLatin1String(name), dir.filePath(name));
    QFile catalog(dir.filePath(QStringLiteral("catalog.xml")));
    if (catalog.open(QIODevice::WriteOnly))
        catalog.write(
            R"(<?xml version="1.0"?>
<catalog xmlns="urn:oasis:names:tc:entity:xmlns:xml:catalog">
  <system systemId="http://www.w3.org/TR/2002/REC-xmldsig-core-20020212/xmldsig-core-schema.xsd"
          uri="xmldsig-core-schema.xsd"/>
</catalog>
)");
    return dir.filePath(QStringLiteral("Schema_VFPR12_v1.2.3.xsd"));
}

} // namespace

void measureCheck(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = in.readAll();
    qsizetype findings = 0;
    const double inProcess = bestMs(3, [&] { findings = check::checkInvoice(bytes, {}).size(); });
    report(QStringLiteral("check in process (schema and content rules)"), inProcess,
           QStringLiteral("ms"));
    report(QStringLiteral("findings"), double(findings), QString());

    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/brevalto");
    const ProcessFigures ours = bestOf(5, {program, QStringLiteral("check"), file});
    QTemporaryDir schemaDir;
    const QString schema = writeSchemaFolder(schemaDir);
    qputenv("XML_CATALOG_FILES", schemaDir.filePath(QStringLiteral("catalog.xml")).toLocal8Bit());
    const ProcessFigures xmllint =
        bestOf(5, {QStringLiteral("xmllint"), QStringLiteral("--nonet"), QStringLiteral("--noout"),
                   QStringLiteral("--schema"), schema, file});
    qunsetenv("XML_CATALOG_FILES");
    report(QStringLiteral("brevalto check (whole process)"), ours.ms, QStringLiteral("ms"));
    report(QStringLiteral("brevalto check peak memory"), ours.peakMb, QStringLiteral("MB"));
    report(QStringLiteral("xmllint --noout --schema (whole process)"), xmllint.ms,
           QStringLiteral("ms"));
    report(QStringLiteral("xmllint peak memory"), xmllint.peakMb, QStringLiteral("MB"));
    if (xmllint.ms > 0)
        report(QStringLiteral("brevalto check / xmllint"), ours.ms / xmllint.ms,
               QStringLiteral("x"));
}

} // namespace brevalto::bench
