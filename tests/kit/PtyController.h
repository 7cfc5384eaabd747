#pragma once
#include "platform/PseudoTerminal.h"
#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

// A controller on the controller's end of a pseudo-terminal, on a thread of its own, for
// runs over a real serial port. Each command it reads (everything up to and including a
// "]") goes to the script with its number from 0; the script answers through Write() or
// HangUp() and returns false to stop serving.
class PtyController {
public:
    using Script = std::function<bool(int index, const QByteArray &command, PtyController &line)>;
    // One reply per command, written in one go. After an answer marked hangUp, or on a
    // command beyond the answers, the controller hangs up: the port's wait for more then
    // ends at once with a line fault instead of running into the two-second limit. The
    // last answer may still be on its way when the answers run out, so the line stays up
    // unless another command comes.
    struct Answer {
        QByteArray reply;
        bool hangUp = false;
    };

    explicit PtyController(Script script);
    explicit PtyController(std::vector<Answer> answers);
    ~PtyController();
    PtyController(const PtyController &) = delete;
    PtyController &operator=(const PtyController &) = delete;

    bool Ok() const { return ok_; }
    // The end a serial port opens.
    QString Path() const { return path_; }

    // Writes bytes towards the port, waiting while it takes nothing, for three seconds at
    // most; gives up when the line is gone or the controller is stopped.
    void Write(const QByteArray &bytes);
    // Closes the line: a port that has it open sees it gone. From the script, or after Stop().
    void HangUp() { pty_.HangUp(); }
    // Ends serving; afterwards Commands() holds every command received, in order.
    void Stop();
    const QList<QByteArray> &Commands() const { return commands_; }

private:
    void Serve();
    bool AwaitCommand(QByteArray *command);

    platform::PseudoTerminal pty_;
    platform::UniqueFd stopRead_;
    platform::UniqueFd stopWrite_;
    Script script_;
    QString path_;
    bool ok_ = false;
    std::atomic<bool> stopping_{false};
    QByteArray pending_;
    QList<QByteArray> commands_;
    std::thread thread_;
};
