// The pre-send check of a large file: in process (parse, schema and content rules) and as whole
// processes, "brevalto check" beside "xmllint --noout --schema" on the same file, each with its
// time and peak memory.
#include "Bench.h"
#include "check/Checker.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace brevalto::bench {

namespace {

struct ProcessFigures {
    double ms = 1e300;
    double peakMb = 0;
};

// Best time of n runs of a whole process, output discarded, and the peak memory of that run.
// Through /usr/bin/time: a child started straight from this process would count this process's
// own peak in its figures.
ProcessFigures bestProcess(int n, const QStringList& command, const QStringList& environment) {
    ProcessFigures best;
    QTemporaryDir dir;
    const QString memoryFile = dir.filePath(QStringLiteral("peak"));
    for (int i = 0; i < n; ++i) {
        QProcess process;
        process.setProcessEnvironment(childEnvironment(environment));
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral("/usr/bin/time"),
                      QStringList{QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"),
                                  memoryFile} +
                          command);
        if (!process.waitForFinished(600000))
            return {};
        const double ms = timer.nsecsElapsed() / 1e6;
        QFile peak(memoryFile);
        if (ms < best.ms && peak.open(QIODevice::ReadOnly))
            best = {ms, peak.readAll().trimmed().split('\n').last().toDouble() / 1024.0};
    }
    return best;
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
    const ProcessFigures ours = bestProcess(5, {program, QStringLiteral("check"), file}, {});
    const QString schema = sourceFolder() + QStringLiteral("/data/schema/");
    const ProcessFigures xmllint = bestProcess(
        5,
        {QStringLiteral("xmllint"), QStringLiteral("--nonet"), QStringLiteral("--noout"),
         QStringLiteral("--schema"), schema + QStringLiteral("Schema_VFPR12_v1.2.3.xsd"), file},
        {QStringLiteral("XML_CATALOG_FILES=") + schema + QStringLiteral("catalog.xml")});
    report(QStringLiteral("brevalto check (whole process)"), ours.ms, QStringLiteral("ms"));
    report(QStringLiteral("brevalto check peak memory"), ours.peakMb, QStringLiteral("MB"));
    report(QStringLiteral("xmllint --noout --schema (whole process)"), xmllint.ms,
           QStringLiteral("ms"));
    report(QStringLiteral("xmllint peak memory"), xmllint.peakMb, QStringLiteral("MB"));
    compare(QStringLiteral("brevalto check against xmllint --schema"), ours.ms, xmllint.ms, 3.0);
}

} // namespace brevalto::bench
