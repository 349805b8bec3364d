#include "support/BoundedRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace brevalto::test {

namespace {

// AddressSanitizer reserves terabytes of address space for its shadow memory at start-up, so
// under it the address space cannot be limited: an exec'd child gets the same bound on its
// resident memory from the sanitizer itself, a forked body only its processor time.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool addressSanitizer = true;
#else
constexpr bool addressSanitizer = false;
#endif

void limit(rlim_t bytes, int seconds) {
    if (!addressSanitizer) {
        const rlimit memory{bytes, bytes};
        setrlimit(RLIMIT_AS, &memory);
    }
    const rlimit cpu{rlim_t(seconds), rlim_t(seconds)};
    setrlimit(RLIMIT_CPU, &cpu);
    alarm(unsigned(seconds) * 3);
}

// The address space the process holds now, in bytes.
rlim_t currentSize() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return rlim_t(statm.readAll().split(' ').value(0).toULongLong()) *
           rlim_t(sysconf(_SC_PAGESIZE));
}

BoundedRun wait(pid_t child) {
    BoundedRun run;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.exited = WIFEXITED(status);
    run.exitCode = run.exited ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return run;
}

} // namespace

std::string BoundedRun::describe() const {
    if (exited)
        return "exit " + std::to_string(exitCode) + "; " + err.toStdString();
    return "killed by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
}

BoundedRun runBounded(const QString& program, const QStringList& args, int megabytes, int seconds) {
    QTemporaryDir dir;
    const QByteArray outPath = dir.filePath(QStringLiteral("out")).toLocal8Bit();
    const QByteArray errPath = dir.filePath(QStringLiteral("err")).toLocal8Bit();
    std::vector<QByteArray> argv8{program.toLocal8Bit()};
    for (const QString& a : args)
        argv8.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : argv8)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(err, 2);
        limit(rlim_t(megabytes) << 20, seconds);
        if (addressSanitizer) {
            const QByteArray options =
                qgetenv("ASAN_OPTIONS") + ":hard_rss_limit_mb=" + QByteArray::number(megabytes);
            setenv("ASAN_OPTIONS", options.constData(), 1);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    BoundedRun run = wait(child);
    QFile out(dir.filePath(QStringLiteral("out")));
    if (out.open(QIODevice::ReadOnly))
        run.out = out.readAll();
    QFile err(dir.filePath(QStringLiteral("err")));
    if (err.open(QIODevice::ReadOnly))
        run.err = err.readAll();
    return run;
}

BoundedRun runBounded(const std::function<int()>& body, int megabytes, int seconds) {
    const rlim_t bytes = currentSize() + (rlim_t(megabytes) << 20);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        limit(bytes, seconds);
        const int code = body();
        std::fflush(nullptr);
        _exit(code);
    }
    return wait(child);
}

} // namespace brevalto::test
