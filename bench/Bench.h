#pragma once
// A tiny benchmark registry: each bench file registers its runs; brevalto_bench runs them all,
// or those whose names are given on the command line. Figures go to standard output.
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <variant>
#include <vector>

namespace brevalto {
struct Environment;
}

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
// Figures of repeated runs of one side of a comparison.
struct Runs {
    std::vector<double> ms;
    std::vector<double> peakMb; // whole processes only
    double median() const;
    double medianPeakMb() const;
    // "median m ms (min a, max b)"
    QString spread() const;
};
// A whole process: the program and its arguments, with NAME=VALUE pairs added to the environment;
// run through /usr/bin/time for its peak memory (a child of this process would otherwise count
// this process's peak). A pipeline runs through /bin/sh -c. A run that ends with an exit code not
// listed fails.
struct Command {
    QStringList command;
    QStringList environment = {};
    QList<int> exitCodes = {0};
};
// Each side n times, interleaved (A B A B ...): whatever else loads the machine weighs on both
// sides alike. A side is a whole process or a function run in this process. Negative times mark
// a failed run.
using Side = std::variant<Command, std::function<void()>>;
std::vector<Runs> interleaved(int n, const std::vector<Side>& sides);
// "what: median mine ms (min, max) against median reference ms (min, max), ratio r (goal at
// most g)" on one line.
void compareRuns(const QString& what, const Runs& mine, const Runs& reference, double goal);

// The pre-send check of a file, in process and as "brevalto check" beside xmllint.
void measureCheck(const QString& file);
// The address of an empty database `name` made anew on the PostgreSQL server whose address is in
// BREVALTO_BENCH_PG (scripts/pg-cluster start gives one), for the same figures on a server
// archive; empty when that variable is not set.
QString serverDatabase(const QString& name);

// The program's surroundings for a window opened in the benchmark: its folder, and nothing ended,
// started or waited for.
Environment benchEnvironment(const QString& folder);

} // namespace brevalto::bench
