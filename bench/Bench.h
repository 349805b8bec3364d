#pragma once
// A tiny benchmark registry: each bench file registers its runs; brevalto_bench runs them all,
// or those whose names are given on the command line. Figures go to standard output.
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

namespace brevalto::bench {

struct Registrar {
    Registrar(const char* name, std::function<void()> run);
};

// Milliseconds taken by f (best of n runs).
double bestMs(int n, const std::function<void()>& f);
// Milliseconds taken by f (median of n runs).
double medianMs(int n, const std::function<void()>& f);
// Wall-clock milliseconds of a whole process run to its end (median of n runs), output discarded;
// negative when the program cannot be started or fails. `environment` adds NAME=VALUE pairs.
// The environment of a benchmark child: this process's own with the NAME=VALUE pairs added.
QProcessEnvironment childEnvironment(const QStringList& pairs);
double processMs(int n, const QString& program, const QStringList& arguments,
                 const QStringList& environment = {});
// "what: mine ms, reference ms, ratio r (goal at most g)" on one line.
void compare(const QString& what, double mine, double reference, double goal);
// The folder of the program's sources (data/schema holds the invoice schema).
QString sourceFolder();
// Peak resident memory of the process so far, in MB.
double peakMemoryMb();
void report(const QString& what, double value, const QString& unit);
// The pre-send check of a file, in process and as "brevalto check" beside xmllint.
void measureCheck(const QString& file);
// The address of an empty database `name` made anew on the PostgreSQL server whose address is in
// BREVALTO_BENCH_PG (scripts/pg-cluster start gives one), for the same figures on a server
// archive; empty when that variable is not set.
QString serverDatabase(const QString& name);

} // namespace brevalto::bench
