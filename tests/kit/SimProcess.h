#pragma once
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// The controller simulator (the program named by CVDMX_SIM) running on its own
// pseudo-terminal for the length of a test.
class SimProcess {
public:
    explicit SimProcess(const QStringList &args = {});
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool Started() const { return !path_.isEmpty(); }
    QString Path() const { return path_; }

    // Every command the simulator has received so far, after making sure it has taken
    // in everything sent before: a marker "[00]", which it does not answer, goes through
    // the line first and is left out. The port must be free.
    QList<QByteArray> Received();
    // Asks the simulator to end (SIGTERM) and waits; true when it exited cleanly.
    bool Stop();

private:
    bool ReadLineWithin(QByteArray *line, int timeoutMs);

    QProcess proc_;
    QString path_;
    QList<QByteArray> received_;
};
