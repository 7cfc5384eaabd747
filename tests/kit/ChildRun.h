#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// A program run to its end as a direct child of the test, with what the kernel tells of
// it: its memory high-water mark (the ru_maxrss that wait4 returns for that child alone)
// and, when traced, every call it makes that changes a file. A traced run can be killed
// with SIGKILL on entry to its Nth such call, before the call runs, as a crash or a power
// cut would stop it there. CliRun runs the tool plainly; this is for what needs the kernel.
struct ChildOutcome {
    bool exited = false; // ended by itself, with status
    int status = -1;
    int signal = 0; // the signal that ended it otherwise
    long maxRssKiB = 0;
    QByteArray out;
    QByteArray err;
    // Traced: each call that changes a file, in order, as "name path", e.g.
    // "openat /tmp/x/.Stage.CVX.saving" or "fsync /tmp/x" (a folder).
    QStringList fileCalls;
    QString killedAt; // the call the run was killed at, empty when it was not
};

struct ChildOptions {
    bool trace = false;
    int killAtCall = 0; // traced: SIGKILL on entry to this call, counted from 1; 0: never
    // SIGTERM once the program has printed its first line, as one stops the simulator.
    bool stopAfterFirstLine = false;
    // Runs in the child before the program starts; only async-signal-safe calls.
    std::function<void()> setup;
};

// Calls that change files: an open for writing or creating, a write, truncation,
// allocation, sync, rename, link, unlink, a change of mode, owner or extended attribute,
// a copy into a file. Writes to pipes, terminals and event counters are not counted.
ChildOutcome RunChild(const QString &program, const QStringList &args, const ChildOptions &options = {});
