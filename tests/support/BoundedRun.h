#pragma once
// A child process with its address space and processor time limited (RLIMIT_AS, RLIMIT_CPU):
// how a test shows that a hostile input cannot make the program take memory or time out of
// proportion to it, without timing anything. A child that goes past a limit fails to allocate
// (and ends abnormally) or is killed by a signal; the test then sees it did not end as expected.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace brevalto::test {

struct BoundedRun {
    bool exited = false; // ended by itself rather than by a signal
    int exitCode = -1;
    int signal = 0;
    QByteArray out; // the program's standard output and error (program form)
    QByteArray err;

    // "exit 0", "killed by signal 9 (Killed)", for assertion messages.
    std::string describe() const;
};

// Runs the program with the arguments, its address space limited to megabytes and its processor
// time to seconds (a wall-clock alarm at three times that ends a child that waits instead).
BoundedRun runBounded(const QString& program, const QStringList& args, int megabytes, int seconds);
// Runs body in a forked copy of the test, with megabytes of address space more than the test
// holds now; the child's exit code is body's result.
BoundedRun runBounded(const std::function<int()>& body, int megabytes, int seconds);

} // namespace brevalto::test
