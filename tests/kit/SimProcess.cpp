#include "kit/SimProcess.h"

#include "platform/SerialPort.h"

#include <QDeadlineTimer>
#include <QFile>

SimProcess::SimProcess(const QStringList &args)
{
    const QString program = QFile::decodeName(qgetenv("CVDMX_SIM"));
    if (program.isEmpty())
        return;
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start(program, args);
    QByteArray line;
    if (proc_.waitForStarted(10000) && ReadLineWithin(&line, 10000))
        path_ = QString::fromLocal8Bit(line);
}

SimProcess::~SimProcess()
{
    Stop();
}

bool SimProcess::ReadLineWithin(QByteArray *line, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!proc_.canReadLine()) {
        if (deadline.hasExpired() || !proc_.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    *line = proc_.readLine().trimmed();
    return true;
}

QList<QByteArray> SimProcess::Received()
{
    const QByteArray marker = "[00]";
    platform::SerialPort port;
    QString reason;
    if (port.Open(path_, &reason)) {
        port.Output(marker);
        port.Close();
    }
    QByteArray line;
    while (ReadLineWithin(&line, 10000)) {
        if (line == "rx " + marker)
            break;
        if (line.startsWith("rx "))
            received_.append(line.mid(3));
    }
    return received_;
}

bool SimProcess::Stop()
{
    if (proc_.state() == QProcess::NotRunning)
        return proc_.exitStatus() == QProcess::NormalExit && proc_.exitCode() == 0;
    proc_.terminate();
    if (!proc_.waitForFinished(10000)) {
        proc_.kill();
        proc_.waitForFinished(10000);
        return false;
    }
    return proc_.exitStatus() == QProcess::NormalExit && proc_.exitCode() == 0;
}
