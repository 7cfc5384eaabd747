#include "platform/FileOps.h"

#include "platform/UniqueFd.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

const QString kNothingWritten = QStringLiteral("The file system wrote nothing and reported no error");

constexpr qint64 kPiece = 64 * 1024;

// Copies begin..end by reading and writing a piece at a time, for file systems where the
// kernel cannot copy between the two files.
bool CopyByPieces(int from, qint64 begin, qint64 end, int to, qint64 at, QString *reason)
{
    char buf[kPiece];
    while (begin < end) {
        qint64 got = 0;
        if (!ReadAt(from, buf, std::min(kPiece, end - begin), begin, &got, reason))
            return false;
        if (got == 0)
            return true;
        if (!WriteAt(to, buf, got, at, reason))
            return false;
        begin += got;
        at += got;
    }
    return true;
}

bool CopyData(int from, qint64 begin, qint64 end, int to, qint64 at, QString *reason)
{
    while (begin < end) {
        loff_t in = begin;
        loff_t out = at;
        const ssize_t n = ::copy_file_range(from, &in, to, &out, size_t(std::min<qint64>(end - begin, 1 << 30)), 0);
        if (n > 0) {
            begin += n;
            at += n;
        } else if (n == 0) {
            return true;
        } else if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF) {
            return CopyByPieces(from, begin, end, to, at, reason);
        } else if (errno != EINTR) {
            return Fail(reason, errno);
        }
    }
    return true;
}

} // namespace

QString SystemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool Fail(QString *reason, int err)
{
    *reason = SystemReason(err);
    return false;
}

bool IsRegular(const struct stat &st, QString *reason)
{
    if (S_ISDIR(st.st_mode))
        return Fail(reason, EISDIR);
    if (!S_ISREG(st.st_mode)) {
        *reason = QStringLiteral("Not a regular file");
        return false;
    }
    return true;
}

bool SameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool StillNamed(const QByteArray &path, int fd)
{
    struct stat byName, byFd;
    return ::lstat(path.constData(), &byName) == 0 && ::fstat(fd, &byFd) == 0 && SameFile(byName, byFd);
}

QByteArray FolderOf(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

void SyncFolder(const QByteArray &folder)
{
    const UniqueFd fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid())
        ::fsync(fd.Get());
}

bool WriteAt(int fd, const char *data, qint64 size, qint64 offset, QString *reason)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size_t(size - done), off_t(offset + done));
        if (n > 0) {
            done += n;
        } else if (n == 0) {
            // No byte taken and no error: asking again would wait for ever.
            *reason = kNothingWritten;
            return false;
        } else if (errno != EINTR) {
            return Fail(reason, errno);
        }
    }
    return true;
}

bool ReadAt(int fd, char *data, qint64 size, qint64 offset, qint64 *done, QString *reason)
{
    *done = 0;
    while (*done < size) {
        const ssize_t n = ::pread(fd, data + *done, size_t(size - *done), off_t(offset + *done));
        if (n > 0)
            *done += n;
        else if (n == 0)
            break;
        else if (errno != EINTR)
            return Fail(reason, errno);
    }
    return true;
}

bool CopyRange(int from, qint64 begin, qint64 end, int to, qint64 at, QString *reason)
{
    const qint64 shift = at - begin;
    while (begin < end) {
        // The next run of data, and where it ends; a file system without holes has one run.
        const off_t data = ::lseek(from, off_t(begin), SEEK_DATA);
        if (data < 0)
            return errno == ENXIO ? true : Fail(reason, errno);
        if (data >= end)
            return true;
        off_t hole = ::lseek(from, data, SEEK_HOLE);
        if (hole < 0)
            return Fail(reason, errno);
        hole = std::min<off_t>(hole, off_t(end));
        if (!CopyData(from, data, hole, to, data + shift, reason))
            return false;
        begin = hole;
    }
    return true;
}

} // namespace platform
