#include "platform/FolderLock.h"

#include "platform/Stopwatch.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>

namespace platform {

namespace {
constexpr int kWaitMs = 2000;
} // namespace

FolderLock::FolderLock(const QString &folder)
{
    UniqueFd fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.Valid())
        return;
    const Stopwatch waited;
    // A holder that never lets go must not hang the program: the caller gives up instead.
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited.Read() >= kWaitMs)
            return;
        const timespec pause{0, 5 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    fd_ = std::move(fd);
}

} // namespace platform
