#pragma once
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

// One run of the command-line tool (the program named by CVDMX_CLI) to its end.
struct CliRun {
    bool finished = false; // started and ended by itself, not by a signal
    int status = -1;
    QByteArray out;
    QByteArray err;
    int stallMs = 0; // the longest the machine held the test up meanwhile (StallWatch)
};

// A time-out other than the one expected (expectedTimeout: the text of the expected
// time-out report, empty when none), while the machine held the test up for half a second
// or more, says nothing about the tool: the test is skipped, not failed.
#define CVDMX_SKIP_IF_STALLED(run, expectedTimeout)                                          \
    do {                                                                                     \
        const QString err_ = QString::fromLocal8Bit((run).err);                              \
        const QString expected_ = (expectedTimeout);                                         \
        if ((run).stallMs >= 500 && err_.contains(QLatin1String(": no complete reply to "))  \
            && (expected_.isEmpty() || !err_.contains(expected_)))                           \
            QSKIP(qPrintable(QStringLiteral("the machine stalled for %1 ms").arg((run).stallMs))); \
    } while (false)

// Runs the tool with args; childSetup, when given, runs in the child before the tool
// starts.
CliRun RunCli(const QStringList &args, const std::function<void()> &childSetup = {});
