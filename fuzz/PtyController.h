#pragma once
#include "platform/SerialPort.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <thread>
#include <vector>

// The controller's end of a pseudo-terminal, on a thread of its own. It waits for each
// command (everything up to and including a ']') and answers it with the next answer,
// in one write. After an answer marked hangUp, or on a command beyond the answers, it
// closes its end: the editor's wait for more then ends at once with a line fault instead
// of running into the two-second limit.
class PtyController {
public:
    struct Answer {
        QByteArray reply;
        bool hangUp = false;
    };

    explicit PtyController(std::vector<Answer> answers);
    ~PtyController();
    PtyController(const PtyController &) = delete;
    PtyController &operator=(const PtyController &) = delete;

    bool Ok() const { return ok_; }
    QString SlavePath() const { return path_; }
    // Ends the thread; afterwards Commands() holds every command received, in order.
    void Stop();
    const QList<QByteArray> &Commands() const { return commands_; }

private:
    void Run();
    bool AwaitCommand(QByteArray *command);
    bool WriteAll(const QByteArray &bytes);

    std::vector<Answer> answers_;
    platform::UniqueFd master_;
    platform::UniqueFd slave_; // keeps the line up until the controller hangs up
    platform::UniqueFd stopRead_;
    platform::UniqueFd stopWrite_;
    QString path_;
    bool ok_ = false;
    QByteArray pending_;
    QList<QByteArray> commands_;
    std::thread thread_;
};
