#include "kit/DiskFault.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

bool FullFileSystem::Possible()
{
    return ::geteuid() == 0;
}

FullFileSystem::FullFileSystem(int kilobytes)
{
    if (!mountPoint_.isValid() || !Possible())
        return;
    oldNamespace_ = ::open("/proc/thread-self/ns/mnt", O_RDONLY | O_CLOEXEC);
    if (oldNamespace_ < 0 || ::unshare(CLONE_NEWNS) != 0)
        return;
    // Mounts made here must not spread back to the namespace the thread came from.
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0777";
    mounted_ = ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
        && ::mount("cvdmx-full", QFile::encodeName(Path()).constData(), "tmpfs", 0, options.constData()) == 0;
}

FullFileSystem::~FullFileSystem()
{
    if (mounted_)
        ::umount2(QFile::encodeName(Path()).constData(), MNT_DETACH);
    if (oldNamespace_ >= 0) {
        ::setns(oldNamespace_, CLONE_NEWNS);
        ::close(oldNamespace_);
    }
}

bool FullFileSystem::Fill() const
{
    const int fd = ::open(QFile::encodeName(Path() + QStringLiteral("/filler")).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray block(4096, 'f');
    bool full = false;
    for (;;) {
        const ssize_t n = ::write(fd, block.constData(), size_t(block.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            full = errno == ENOSPC;
            break;
        }
    }
    // The last page may have taken part of a block; one byte more must fail too.
    while (full && ::write(fd, "f", 1) == 1) {}
    ::close(fd);
    return full;
}

std::unique_ptr<FullFileSystem> FullFileSystemFor(const QString &fault)
{
    return fault == QLatin1String("full") ? std::make_unique<FullFileSystem>() : nullptr;
}

FileSizeLimit::FileSizeLimit(long bytes)
{
    if (::getrlimit(RLIMIT_FSIZE, &old_) != 0)
        return;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t(bytes), old_.rlim_max};
    ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (ok_)
        ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
}

namespace {

void Hung(int)
{
    static const char message[] = "HangGuard: the test was still running at its limit: something blocked\n";
    (void)!::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(3);
}

} // namespace

HangGuard::HangGuard(unsigned seconds)
{
    std::signal(SIGALRM, Hung);
    ::alarm(seconds);
}

HangGuard::~HangGuard()
{
    ::alarm(0);
    std::signal(SIGALRM, SIG_DFL);
}
