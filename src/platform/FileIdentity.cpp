#include "platform/FileIdentity.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <cstring>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr mode_t kPrivateMode = 0600;

// The names of an open file's extended attributes; nothing when they cannot be listed.
bool AttributeNames(int fd, QList<QByteArray> *names)
{
    names->clear();
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;
    std::vector<char> list(size_t(size) + 1, '\0');
    const ssize_t got = ::flistxattr(fd, list.data(), list.size());
    if (got < 0)
        return false;
    for (const char *name = list.data(); name < list.data() + got; name += std::strlen(name) + 1)
        names->append(QByteArray(name));
    return true;
}

bool CopyAttributesExactly(int from, int to)
{
    QList<QByteArray> wanted, present;
    if (!AttributeNames(from, &wanted) || !AttributeNames(to, &present))
        return false;
    for (const QByteArray &name : present) {
        if (!wanted.contains(name) && ::fremovexattr(to, name.constData()) != 0)
            return false;
    }
    for (const QByteArray &name : wanted) {
        const ssize_t length = ::fgetxattr(from, name.constData(), nullptr, 0);
        if (length < 0)
            return false;
        std::vector<char> value(size_t(length) + 1);
        if (::fgetxattr(from, name.constData(), value.data(), value.size()) != length
            || ::fsetxattr(to, name.constData(), value.data(), size_t(length), 0) != 0)
            return false;
    }
    return true;
}

} // namespace

bool AdoptIdentity(int oldFd, const struct stat &old, int newFd)
{
    struct stat now;
    if (::fstat(newFd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(newFd, old.st_uid, old.st_gid) != 0)
        return false;
    return CopyAttributesExactly(oldFd, newFd) && ::fchmod(newFd, old.st_mode & 07777) == 0;
}

bool MakePrivate(int fd, const struct stat &created)
{
    struct stat now;
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != created.st_uid || now.st_gid != created.st_gid)
        && ::fchown(fd, created.st_uid, created.st_gid) != 0)
        return false;
    return ::fchmod(fd, kPrivateMode) == 0;
}

} // namespace platform
