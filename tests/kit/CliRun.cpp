#include "kit/CliRun.h"

#include <QFile>

CliProcess::CliProcess(const QStringList &args, const std::function<void()> &childSetup)
    : CliProcess(args, CliLaunch{QString(), QString(), QProcessEnvironment(), childSetup})
{
}

CliProcess::CliProcess(const QStringList &args, const CliLaunch &launch)
{
    if (launch.childSetup)
        proc_.setChildProcessModifier(launch.childSetup);
    if (!launch.folder.isEmpty())
        proc_.setWorkingDirectory(launch.folder);
    if (!launch.environment.isEmpty())
        proc_.setProcessEnvironment(launch.environment);
    proc_.start(launch.program.isEmpty() ? QFile::decodeName(qgetenv("CVDMX_CLI")) : launch.program, args);
}

void CliProcess::Send(const QByteArray &input)
{
    proc_.write(input);
    proc_.closeWriteChannel();
}

CliRun CliProcess::Wait()
{
    CliRun run;
    if (!proc_.waitForFinished(30000)) {
        proc_.kill();
        proc_.waitForFinished(10000);
        return run;
    }
    run.finished = proc_.exitStatus() == QProcess::NormalExit;
    run.status = proc_.exitCode();
    run.out = proc_.readAllStandardOutput();
    run.err = proc_.readAllStandardError();
    return run;
}
