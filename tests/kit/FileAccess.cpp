#include "kit/FileAccess.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <sys/fsuid.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr unsigned kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool Capabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, data) == 0;
}

bool SetCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

NoPermissionOverride::NoPermissionOverride()
{
    __user_cap_data_struct data[2] = {};
    if (!Capabilities(data))
        return;
    if ((data[0].effective & kOverrides) == 0) {
        ok_ = true;
        return;
    }
    data[0].effective &= ~kOverrides;
    ok_ = dropped_ = SetCapabilities(data);
}

NoPermissionOverride::~NoPermissionOverride()
{
    __user_cap_data_struct data[2] = {};
    if (dropped_ && Capabilities(data)) {
        data[0].effective |= data[0].permitted & kOverrides;
        SetCapabilities(data);
    }
}

ReadOnlyFile::ReadOnlyFile(const QString &path) : path_(path)
{
    const bool root = ::geteuid() == 0;
    if (root && SetImmutable(true)) {
        ok_ = immutable_ = true;
        return;
    }
    struct stat st;
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) != 0 || ::chmod(name.constData(), 0444) != 0)
        return;
    oldMode_ = st.st_mode & 07777;
    ok_ = true;
    if (root) {
        noOverride_.emplace();
        ok_ = noOverride_->Ok();
    }
}

ReadOnlyFile::~ReadOnlyFile()
{
    noOverride_.reset();
    if (immutable_)
        SetImmutable(false);
    else if (oldMode_ != 0)
        ::chmod(QFile::encodeName(path_).constData(), oldMode_);
}

QString ReadOnlyFile::Reason() const
{
    return QString::fromLocal8Bit(std::strerror(immutable_ ? EPERM : EACCES));
}

bool ReadOnlyFile::SetImmutable(bool on) const
{
    const int fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

TemporaryMode::TemporaryMode(const QString &path, unsigned mode) : path_(path)
{
    struct stat st;
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) != 0)
        return;
    oldMode_ = st.st_mode & 07777;
    ok_ = ::chmod(name.constData(), mode) == 0;
}

TemporaryMode::~TemporaryMode()
{
    if (ok_)
        ::chmod(QFile::encodeName(path_).constData(), oldMode_);
}

AsUser::AsUser(uid_t uid, gid_t gid, std::vector<gid_t> groups)
{
    oldGroups_.resize(size_t(::getgroups(0, nullptr)));
    ::getgroups(int(oldGroups_.size()), oldGroups_.data());
    // The raw calls change this thread only; the C library's would change every thread.
    ok_ = ::syscall(SYS_setgroups, groups.size(), groups.data()) == 0;
    ::setfsgid(gid);
    ::setfsuid(uid);
}

AsUser::~AsUser()
{
    ::setfsuid(0);
    ::setfsgid(0);
    ::syscall(SYS_setgroups, oldGroups_.size(), oldGroups_.data());
}

bool AsUser::Ok() const
{
    return ok_ && ::setfsuid(uid_t(-1)) != 0;
}
