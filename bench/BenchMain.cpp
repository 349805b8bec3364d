#include "Bench.h"

#include <QApplication>
#include <QFile>
#include <QTextStream>
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

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList wanted = app.arguments().mid(1);
    for (const auto& [name, run] : brevalto::bench::registry()) {
        if (!wanted.isEmpty() && !wanted.contains(name))
            continue;
        QTextStream(stdout) << "== " << name << "\n";
        run();
    }
    return 0;
}
