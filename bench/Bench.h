#pragma once
// A tiny benchmark registry: each bench file registers its runs; brevalto_bench runs them all,
// or those whose names are given on the command line. Figures go to standard output.
#include <QElapsedTimer>
#include <QString>
#include <functional>

namespace brevalto::bench {

struct Registrar {
    Registrar(const char* name, std::function<void()> run);
};

// Milliseconds taken by f (best of n runs).
double bestMs(int n, const std::function<void()>& f);
// Peak resident memory of the process so far, in MB.
double peakMemoryMb();
void report(const QString& what, double value, const QString& unit);
// The pre-send check of a file, in process and as "brevalto check" beside xmllint.
void measureCheck(const QString& file);

} // namespace brevalto::bench
