#include "platform/SerialPort.h"

#include "platform/Stopwatch.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kWriteLimitMs = 2000;

QString Reason(const char *what, int err)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(err)));
}

bool ApplyLineSettings(int fd, QString *reason)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        *reason = Reason("not a terminal", errno);
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, B38400) != 0 || cfsetospeed(&tio, B38400) != 0 || tcsetattr(fd, TCSANOW, &tio) != 0) {
        *reason = Reason("line settings", errno);
        return false;
    }
    return true;
}

// Waits until the driver has sent what it was given, within the time left of the write
// limit: tcdrain() has no limit, and a wedged line would hold the program for as long as it
// stays wedged. (The few bytes of a UART's own FIFO take milliseconds more.)
bool DrainWithin(int fd, const Stopwatch &sinceWrite)
{
    for (;;) {
        int queued = 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0)
            return false;
        if (queued == 0)
            return true;
        if (sinceWrite.Read() >= kWriteLimitMs)
            return false;
        const timespec pause{0, 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
}

} // namespace

bool SerialPort::Open(const QString &device, QString *reason)
{
    Close();
    UniqueFd fd(::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) {
        *reason = Reason("open", errno);
        return false;
    }
    if (!isatty(fd.Get())) {
        *reason = Reason("not a terminal", ENOTTY);
        return false;
    }
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        *reason = Reason("in use", errno);
        return false;
    }
    if (::ioctl(fd.Get(), TIOCEXCL) != 0) {
        *reason = Reason("exclusive use", errno);
        return false;
    }
    if (!ApplyLineSettings(fd.Get(), reason)) {
        ::ioctl(fd.Get(), TIOCNXCL);
        return false;
    }
    fd_ = std::move(fd);
    rx_.clear();
    lineOk_ = true;
    return true;
}

void SerialPort::Close()
{
    if (!fd_.Valid())
        return;
    // What a failed line still holds would make close() wait for it, up to the driver's
    // closing time (30 s). On a sound line Output has sent everything already, and a
    // flush could drop bytes a pseudo-terminal's other end has yet to read.
    if (!lineOk_)
        ::tcflush(fd_.Get(), TCIOFLUSH);
    // A pseudo-terminal whose other end stays open would otherwise keep the flag.
    ::ioctl(fd_.Get(), TIOCNXCL);
    fd_.Reset();
    rx_.clear();
}

bool SerialPort::SetDTREnable(bool on, QString *reason)
{
    int bits = TIOCM_DTR;
    if (::ioctl(fd_.Get(), on ? TIOCMBIS : TIOCMBIC, &bits) == 0 || errno == ENOTTY)
        return true;
    *reason = Reason("DTR", errno);
    return false;
}

bool SerialPort::Output(const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    const Stopwatch sw;
    while (left > 0 && lineOk_) {
        const ssize_t n = ::write(fd_.Get(), p, size_t(left));
        if (n > 0) {
            p += n;
            left -= n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            // A line that cannot take a command in this long is as good as gone.
            const int wait = kWriteLimitMs - sw.Read();
            pollfd pfd{fd_.Get(), POLLOUT, 0};
            const int r = wait <= 0 ? 0 : ::poll(&pfd, 1, wait);
            if ((r < 0 && errno != EINTR) || r == 0 || (r > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL))))
                lineOk_ = false;
            continue;
        }
        lineOk_ = false;
    }
    if (lineOk_ && !DrainWithin(fd_.Get(), sw))
        lineOk_ = false;
    return lineOk_;
}

void SerialPort::Pump()
{
    if (!fd_.Valid())
        return;
    char buf[kReceiveBufferSize];
    while (rx_.size() < kReceiveBufferSize) {
        const ssize_t n = ::read(fd_.Get(), buf, size_t(kReceiveBufferSize - rx_.size()));
        if (n > 0) {
            rx_.append(buf, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // With VMIN 0 a read of 0 means "nothing waiting"; a hang-up shows in poll().
        if (n < 0 && errno != EAGAIN)
            lineOk_ = false;
        return;
    }
}

int SerialPort::InBufferCount()
{
    Pump();
    return int(rx_.size());
}

QByteArray SerialPort::Input()
{
    Pump();
    QByteArray bytes;
    bytes.swap(rx_);
    return bytes;
}

bool SerialPort::WaitForInput(int timeoutMs)
{
    if (!fd_.Valid())
        return false;
    // Bytes that reached the driver since the caller last counted are new to it: waiting
    // in poll() for yet more would miss them.
    const qsizetype before = rx_.size();
    Pump();
    if (!lineOk_ || rx_.size() > before)
        return lineOk_;
    pollfd pfd{fd_.Get(), POLLIN, 0};
    const int r = ::poll(&pfd, 1, timeoutMs < 0 ? 0 : timeoutMs);
    Pump();
    // A hang-up stays signalled: the line is gone (device unplugged, other end closed).
    if ((r < 0 && errno != EINTR) || (r > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL))))
        lineOk_ = false;
    return lineOk_;
}

} // namespace platform
