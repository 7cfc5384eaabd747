#include "platform/LockFile.h"

#include "platform/FileOps.h"
#include "platform/Stopwatch.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr int kWaitMs = 2000;
constexpr long kPauseNs = 5 * 1000 * 1000;
constexpr mode_t kLockMode = 0600;
} // namespace

LockFile::LockFile(const QString &lockPath, const QString &guardedPath)
{
    UniqueFd fd = Open(lockPath, guardedPath);
    if (!fd.Valid())
        return;
    const Stopwatch waited;
    // A holder that never lets go must not hang the program: the caller gives up instead.
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            reason_ = SystemReason(errno);
            return;
        }
        if (waited.Read() >= kWaitMs) {
            reason_ = QStringLiteral("another program holds ") + lockPath;
            return;
        }
        const timespec pause{0, kPauseNs};
        ::nanosleep(&pause, nullptr);
    }
    fd_ = std::move(fd);
}

UniqueFd LockFile::Open(const QString &lockPath, const QString &guardedPath)
{
    const QByteArray name = QFile::encodeName(lockPath);
    QString locked = lockPath;
    UniqueFd fd(::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, kLockMode));
    if (!fd.Valid()) {
        const int err = errno;
        if (err == ELOOP) {
            reason_ = lockPath + QStringLiteral(" is a symbolic link");
            return {};
        }
        if (err != EACCES && err != EPERM && err != EROFS) {
            reason_ = lockPath + QStringLiteral(": ") + SystemReason(err);
            return {};
        }
        struct stat st;
        if (::lstat(name.constData(), &st) == 0 || errno != ENOENT) {
            reason_ = lockPath + QStringLiteral(": ") + SystemReason(err);
            return {};
        }
        fd.Reset(::open(QFile::encodeName(guardedPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!fd.Valid()) {
            reason_ = SystemReason(err);
            return {};
        }
        locked = guardedPath;
    }
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0) {
        reason_ = SystemReason(errno);
        return {};
    }
    if (!S_ISREG(st.st_mode)) {
        reason_ = locked + QStringLiteral(" is not a regular file");
        return {};
    }
    if (st.st_uid != ::geteuid()) {
        reason_ = locked + QStringLiteral(" belongs to another user");
        return {};
    }
    return fd;
}

} // namespace platform
