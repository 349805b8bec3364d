// The pre-send check of a large file: in process (parse, schema and content rules) and as whole
// processes, "brevalto check" beside "xmllint --noout --schema" on the same file, each with its
// time and peak memory.
#include "Bench.h"
#include "check/Checker.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace brevalto::bench {

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

    // Whole processes, interleaved: the check as the user runs it against xmllint validating the
    // same file with the same schema.
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/brevalto");
    const QString schema = sourceFolder() + QStringLiteral("/data/schema/");
    const std::vector<Runs> runs = interleaved(
        11,
        {Command{{program, QStringLiteral("check"), file}, {}, {0, 1}},
         Command{{QStringLiteral("xmllint"), QStringLiteral("--nonet"), QStringLiteral("--noout"),
                  QStringLiteral("--schema"), schema + QStringLiteral("Schema_VFPR12_v1.2.3.xsd"),
                  file},
                 {QStringLiteral("XML_CATALOG_FILES=") + schema + QStringLiteral("catalog.xml")}}});
    report(QStringLiteral("file size"), QFileInfo(file).size() / 1048576.0, QStringLiteral("MB"));
    report(QStringLiteral("brevalto check peak memory (median)"), runs[0].medianPeakMb(),
           QStringLiteral("MB"));
    report(QStringLiteral("xmllint peak memory (median)"), runs[1].medianPeakMb(),
           QStringLiteral("MB"));
    report(QStringLiteral("brevalto check peak memory / xmllint's (goal at most 1)"),
           runs[0].medianPeakMb() / runs[1].medianPeakMb(), QStringLiteral("x"));
    compareRuns(QStringLiteral("brevalto check against xmllint --noout --schema (whole processes)"),
                runs[0], runs[1], 1.0);
}

} // namespace brevalto::bench
