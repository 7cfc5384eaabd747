#include "kit/PtyController.h"

#include "platform/Stopwatch.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

PtyController::PtyController(Script script) : script_(std::move(script)), path_(pty_.Path())
{
    int stop[2];
    if (!pty_.Ok() || ::pipe2(stop, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    stopRead_.Reset(stop[0]);
    stopWrite_.Reset(stop[1]);
    ok_ = true;
    thread_ = std::thread([this] { Serve(); });
}

PtyController::PtyController(std::vector<Answer> answers)
    : PtyController([answers](int index, const QByteArray &, PtyController &line) {
          if (size_t(index) == answers.size()) {
              line.HangUp();
              return false;
          }
          line.Write(answers[size_t(index)].reply);
          if (answers[size_t(index)].hangUp)
              line.HangUp();
          return !answers[size_t(index)].hangUp;
      })
{
}

PtyController::~PtyController()
{
    Stop();
}

void PtyController::Stop()
{
    if (!thread_.joinable())
        return;
    stopping_ = true;
    const char one = 1;
    while (::write(stopWrite_.Get(), &one, 1) < 0 && errno == EINTR) {}
    thread_.join();
}

void PtyController::Serve()
{
    QByteArray command;
    for (int index = 0; AwaitCommand(&command); ++index) {
        commands_.append(command);
        if (!script_(index, command, *this))
            return;
    }
}

bool PtyController::AwaitCommand(QByteArray *command)
{
    for (;;) {
        const qsizetype end = pending_.indexOf(']');
        if (end >= 0) {
            *command = pending_.left(end + 1);
            pending_.remove(0, end + 1);
            return true;
        }
        pollfd fds[2] = {{pty_.Master(), POLLIN, 0}, {stopRead_.Get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (fds[1].revents != 0)
            return false;
        char buf[4096];
        const ssize_t n = ::read(pty_.Master(), buf, sizeof buf);
        if (n > 0)
            pending_.append(buf, n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
    }
}

void PtyController::Write(const QByteArray &bytes)
{
    const platform::Stopwatch waited;
    for (qsizetype done = 0; done < bytes.size() && pty_.Ok() && !stopping_ && waited.Read() < 3000;)
        done += pty_.Write(bytes.mid(done), 20);
}
