#pragma once
// Work files written beside a target and moved into place at the end (a new archive, a copy of
// one). Each is named after the target, the machine and the process that writes it, so that a run
// killed before it could clean up (kill -9, a power cut) leaves files the next run on the same
// machine recognises as its own kind and removes; a file of a process still running, or of
// another machine sharing the folder, is left alone.
#include <QString>

namespace brevalto {

// "TARGET.HOST-PID-RANDOM.SUFFIX" beside the target, for this process unless pid says another.
QString workFileBeside(const QString& target, const QString& suffix, qint64 pid = 0);

// Removes the work files (and their journals) beside the target whose writer, a process of this
// machine, no longer runs. Returns how many files were removed.
int removeLeftOverWorkFiles(const QString& target, const QString& suffix);

} // namespace brevalto
