#include "platform/PseudoTerminal.h"

#include "platform/Stopwatch.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

PseudoTerminal::PseudoTerminal()
{
    UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!master.Valid() || ::grantpt(master.Get()) != 0 || ::unlockpt(master.Get()) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    const QByteArray path = ::ptsname(master.Get());
    slave_.Reset(::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!slave_.Valid()) {
        error_ = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    termios tio{};
    ::tcgetattr(slave_.Get(), &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B38400);
    ::cfsetospeed(&tio, B38400);
    ::tcsetattr(slave_.Get(), TCSANOW, &tio);
    path_ = QString::fromLatin1(path);
    master_ = std::move(master);
}

qsizetype PseudoTerminal::Write(const QByteArray &bytes, int timeoutMs) const
{
    const Stopwatch waited;
    qsizetype done = 0;
    while (done < bytes.size() && master_.Valid()) {
        const ssize_t n = ::write(master_.Get(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const int left = timeoutMs - waited.Read();
        if (n == 0 || errno != EAGAIN || left <= 0)
            break;
        pollfd pfd{master_.Get(), POLLOUT, 0};
        ::poll(&pfd, 1, left);
    }
    return done;
}

QByteArray PseudoTerminal::Read(int n, int timeoutMs) const
{
    const Stopwatch waited;
    QByteArray bytes;
    while (bytes.size() < n && master_.Valid()) {
        char buf[4096];
        const ssize_t got = ::read(master_.Get(), buf, sizeof buf);
        if (got > 0) {
            bytes.append(buf, got);
            continue;
        }
        const int left = timeoutMs - waited.Read();
        if (left <= 0)
            break;
        pollfd pfd{master_.Get(), POLLIN, 0};
        ::poll(&pfd, 1, left);
    }
    return bytes;
}

void PseudoTerminal::HangUp()
{
    slave_.Reset();
    master_.Reset();
}

} // namespace platform
