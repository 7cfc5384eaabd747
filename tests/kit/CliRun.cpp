#include "kit/CliRun.h"

#include <QFile>

CliProcess::CliProcess(const QStringList &args, const std::function<void()> &childSetup)
{
    if (childSetup)
        proc_.setChildProcessModifier(childSetup);
    proc_.start(QFile::decodeName(qgetenv("CVDMX_CLI")), args);
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
