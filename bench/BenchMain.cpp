#include "Bench.h"

#include "store/Connection.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryFile>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace brevalto::bench {

namespace {
std::vector<std::pair<QString, std::function<void()>>>& registry() {
    static std::vector<std::pair<QString, std::function<void()>>> r;
    return r;
}
} // namespace

Registrar::Registrar(const char* name, std::function<void()> run) {
    registry().emplace_back(QString::fromLatin1(name), std::move(run));
}

double bestMs(int n, const std::function<void()>& f) {
    double best = 1e300;
    for (int i = 0; i < n; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

double medianMs(int n, const std::function<void()>& f) {
    std::vector<double> times;
    for (int i = 0; i < n; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QProcessEnvironment childEnvironment(const QStringList& pairs) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : pairs)
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    return env;
}

double processMs(int n, const QString& program, const QStringList& arguments,
                 const QStringList& environment) {
    bool failed = false;
    const double ms = medianMs(n, [&] {
        QProcess process;
        process.setProcessEnvironment(childEnvironment(environment));
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(program, arguments);
        if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            failed = true;
    });
    return failed ? -1 : ms;
}

void compare(const QString& what, double mine, double reference, double goal) {
    QTextStream(stdout) << QStringLiteral("%1: %2 ms against %3 ms, ratio %4 (goal at most %5)\n")
                               .arg(what)
                               .arg(mine, 0, 'f', 1)
                               .arg(reference, 0, 'f', 1)
                               .arg(reference > 0 ? mine / reference : 0.0, 0, 'f', 2)
                               .arg(goal, 0, 'f', 1);
}

double Runs::median() const {
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[sorted.size() / 2];
}

double Runs::medianPeakMb() const {
    std::vector<double> sorted = peakMb;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[sorted.size() / 2];
}

QString Runs::spread() const {
    if (ms.empty())
        return QStringLiteral("no runs");
    const auto [low, high] = std::minmax_element(ms.begin(), ms.end());
    return QStringLiteral("median %1 ms (min %2, max %3, %4 runs)")
        .arg(median(), 0, 'f', 1)
        .arg(*low, 0, 'f', 1)
        .arg(*high, 0, 'f', 1)
        .arg(ms.size());
}

namespace {

// One run of a whole process through /usr/bin/time: its time, and its peak memory in MB.
std::pair<double, double> runProcess(const Command& c) {
    QTemporaryFile memory;
    memory.open();
    QProcess process;
    process.setProcessEnvironment(childEnvironment(c.environment));
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral("/usr/bin/time"),
                  QStringList{QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"),
                              memory.fileName()} +
                      c.command);
    const bool ended = process.waitForFinished(600000);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (!ended || process.exitStatus() != QProcess::NormalExit ||
        !c.exitCodes.contains(process.exitCode()))
        return {-1, 0};
    QFile peak(memory.fileName());
    peak.open(QIODevice::ReadOnly);
    return {ms, peak.readAll().trimmed().split('\n').last().toDouble() / 1024.0};
}

} // namespace

std::vector<Runs> interleaved(int n, const std::vector<Side>& sides) {
    std::vector<Runs> runs(sides.size());
    for (int i = 0; i < n; ++i) {
        for (size_t s = 0; s < sides.size(); ++s) {
            if (const auto* c = std::get_if<Command>(&sides[s])) {
                const auto [ms, mb] = runProcess(*c);
                runs[s].ms.push_back(ms);
                runs[s].peakMb.push_back(mb);
            } else {
                QElapsedTimer timer;
                timer.start();
                std::get<std::function<void()>>(sides[s])();
                runs[s].ms.push_back(timer.nsecsElapsed() / 1e6);
            }
        }
    }
    return runs;
}

void compareRuns(const QString& what, const Runs& mine, const Runs& reference, double goal) {
    const bool failed =
        std::any_of(mine.ms.begin(), mine.ms.end(), [](double v) { return v < 0; }) ||
        std::any_of(reference.ms.begin(), reference.ms.end(), [](double v) { return v < 0; });
    QTextStream(stdout) << QStringLiteral("%1: %2 against %3, ratio %4 (goal at most %5)%6\n")
                               .arg(what, mine.spread(), reference.spread())
                               .arg(reference.median() > 0 ? mine.median() / reference.median()
                                                           : 0.0,
                                    0, 'f', 2)
                               .arg(goal, 0, 'f', 1)
                               .arg(failed ? QStringLiteral(" FAILED RUNS") : QString());
}

QString sourceFolder() {
    return QStringLiteral(BREVALTO_SOURCE_DIR);
}

double peakMemoryMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

void report(const QString& what, double value, const QString& unit) {
    QTextStream(stdout) << QStringLiteral("%1: %2 %3\n").arg(what).arg(value, 0, 'f', 2).arg(unit);
}

} // namespace brevalto::bench

namespace brevalto::bench {

QString serverDatabase(const QString& name) {
    const QString base = qEnvironmentVariable("BREVALTO_BENCH_PG");
    if (base.isEmpty())
        return {};
    Connection admin;
    admin.open(base);
    admin.execNative(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    admin.execNative(QStringLiteral("CREATE DATABASE %1").arg(name));
    return base.left(base.lastIndexOf(QLatin1Char('/')) + 1) + name;
}

} // namespace brevalto::bench

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList wanted = app.arguments().mid(1);
    for (const auto& [name, run] : brevalto::bench::registry()) {
        // "child-" runs are the other side of a whole-process comparison: only on request.
        if (wanted.isEmpty() ? name.startsWith(QLatin1String("child-")) : !wanted.contains(name))
            continue;
        if (!name.startsWith(QLatin1String("child-")))
            QTextStream(stdout) << "== " << name << "\n";
        run();
    }
    return 0;
}
