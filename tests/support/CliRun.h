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
};

// Runs the tool with args; childSetup, when given, runs in the child before the tool
// starts.
CliRun RunCli(const QStringList &args, const std::function<void()> &childSetup = {});
