#pragma once
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

// One run of the command-line tool (the program named by CVDMX_CLI) to its end.
struct CliRun {
    bool finished = false; // started and ended by itself, not by a signal
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// What a run starts with where it differs from the test itself.
struct CliLaunch {
    QString program;                  // empty: the tool
    QString folder;                   // the working folder; empty: the test's
    QProcessEnvironment environment;  // empty: the test's
    std::function<void()> childSetup; // runs in the child before the program starts
};

// A run of the tool, started; Wait() lets it end. Runs that each wait out the tool's
// two-second limit take the time of one when they are started together.
class CliProcess {
public:
    // childSetup, when given, runs in the child before the tool starts.
    explicit CliProcess(const QStringList &args, const std::function<void()> &childSetup = {});
    CliProcess(const QStringList &args, const CliLaunch &launch);
    CliProcess(const CliProcess &) = delete;
    CliProcess &operator=(const CliProcess &) = delete;

    // Gives the tool these bytes on its standard input, then its end.
    void Send(const QByteArray &input);
    CliRun Wait();

private:
    QProcess proc_;
};

inline CliRun RunCli(const QStringList &args, const std::function<void()> &childSetup = {})
{
    return CliProcess(args, childSetup).Wait();
}

// A run with input on its standard input, through a pipe as a shell gives it.
inline CliRun RunCliWithInput(const QStringList &args, const QByteArray &input)
{
    CliProcess run(args);
    run.Send(input);
    return run.Wait();
}
