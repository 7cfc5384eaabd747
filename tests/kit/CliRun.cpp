#include "kit/CliRun.h"

#include "kit/StallWatch.h"

#include <QFile>

CliRun RunCli(const QStringList &args, const std::function<void()> &childSetup)
{
    CliRun run;
    const StallWatch stalls;
    QProcess proc;
    if (childSetup)
        proc.setChildProcessModifier(childSetup);
    proc.start(QFile::decodeName(qgetenv("CVDMX_CLI")), args);
    if (!proc.waitForFinished(30000)) {
        proc.kill();
        proc.waitForFinished(10000);
        return run;
    }
    run.finished = proc.exitStatus() == QProcess::NormalExit;
    run.status = proc.exitCode();
    run.out = proc.readAllStandardOutput();
    run.err = proc.readAllStandardError();
    run.stallMs = stalls.LongestMs();
    return run;
}
