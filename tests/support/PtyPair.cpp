#include "support/PtyPair.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

PtyPair::PtyPair() : master_(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
{
    if (!master_.Valid() || grantpt(master_.Get()) != 0 || unlockpt(master_.Get()) != 0) {
        master_.Reset();
        return;
    }
    path_ = QString::fromLatin1(ptsname(master_.Get()));
}

void PtyPair::Write(const QByteArray &bytes) const
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_.Get(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else {
            pollfd pfd{master_.Get(), POLLOUT, 0};
            if (::poll(&pfd, 1, 1000) <= 0)
                return;
        }
    }
}

QByteArray PtyPair::Read(int n, int timeoutMs) const
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    QByteArray bytes;
    while (bytes.size() < n) {
        char buf[4096];
        const ssize_t got = ::read(master_.Get(), buf, sizeof buf);
        if (got > 0) {
            bytes.append(buf, got);
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd pfd{master_.Get(), POLLIN, 0};
        ::poll(&pfd, 1, int(left));
    }
    return bytes;
}
