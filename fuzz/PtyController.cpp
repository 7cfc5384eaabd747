#include "PtyController.h"

#include <QFile>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

PtyController::PtyController(std::vector<Answer> answers)
    : answers_(std::move(answers)),
      master_(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
{
    int stop[2];
    if (!master_.Valid() || grantpt(master_.Get()) != 0 || unlockpt(master_.Get()) != 0
        || pipe2(stop, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    stopRead_.Reset(stop[0]);
    stopWrite_.Reset(stop[1]);
    path_ = QString::fromLatin1(ptsname(master_.Get()));
    slave_.Reset(::open(QFile::encodeName(path_).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!slave_.Valid())
        return;
    ok_ = true;
    thread_ = std::thread([this] { Run(); });
}

PtyController::~PtyController()
{
    Stop();
}

void PtyController::Stop()
{
    if (!thread_.joinable())
        return;
    const char one = 1;
    while (::write(stopWrite_.Get(), &one, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    master_.Reset();
    slave_.Reset();
}

void PtyController::Run()
{
    // The last answer may still be on its way when the answers run out: hanging up
    // then would throw it away, so the line stays up unless another command comes.
    for (size_t k = 0;; ++k) {
        QByteArray command;
        if (!AwaitCommand(&command))
            return;
        commands_.append(command);
        if (k == answers_.size() || !WriteAll(answers_[k].reply) || answers_[k].hangUp)
            break;
    }
    master_.Reset();
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
        pollfd fds[2] = {{master_.Get(), POLLIN, 0}, {stopRead_.Get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (fds[1].revents != 0)
            return false;
        char buf[512];
        const ssize_t n = ::read(master_.Get(), buf, sizeof buf);
        if (n > 0)
            pending_.append(buf, n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
    }
}

bool PtyController::WriteAll(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_.Get(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd pfd{master_.Get(), POLLOUT, 0};
        if (::poll(&pfd, 1, 1000) <= 0)
            return false;
    }
    return true;
}
