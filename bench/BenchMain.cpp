#include "Bench.h"

#include "store/Connection.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
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
