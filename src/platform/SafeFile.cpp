#include "platform/SafeFile.h"

#include "platform/UniqueFd.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace platform {

const QString kNotRegularFile = QStringLiteral("Not a regular file");

namespace {

QString Reason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool Fail(QString *reason, int err)
{
    *reason = Reason(err);
    return false;
}

// Refuses what must not be opened: a folder, a pipe, a socket, a device.
bool IsRegular(const struct stat &st, QString *reason)
{
    if (S_ISDIR(st.st_mode))
        return Fail(reason, EISDIR);
    if (!S_ISREG(st.st_mode)) {
        *reason = kNotRegularFile;
        return false;
    }
    return true;
}

// Opens a file that stat found regular, without waiting on it, and checks again what was
// opened, in case something else took the name meanwhile.
UniqueFd OpenRegular(const QByteArray &path, int flags, QString *reason)
{
    struct stat st;
    if (::stat(path.constData(), &st) != 0) {
        Fail(reason, errno);
        return {};
    }
    if (!IsRegular(st, reason))
        return {};
    UniqueFd fd(::open(path.constData(), flags | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) {
        Fail(reason, errno);
        return {};
    }
    if (::fstat(fd.Get(), &st) != 0 || !IsRegular(st, reason))
        return {};
    return fd;
}

std::optional<QByteArray> ReadFrom(int fd, qint64 maxBytes, QString *reason)
{
    QByteArray bytes;
    char buf[65536];
    while (maxBytes < 0 || bytes.size() < maxBytes) {
        const size_t want = maxBytes < 0 ? sizeof buf : size_t(std::min<qint64>(sizeof buf, maxBytes - bytes.size()));
        const ssize_t n = ::read(fd, buf, want);
        if (n > 0)
            bytes.append(buf, n);
        else if (n == 0)
            break;
        else if (errno != EINTR) {
            Fail(reason, errno);
            return std::nullopt;
        }
    }
    return bytes;
}

bool WriteAt(int fd, const QByteArray &bytes, QString *reason)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR)
            return Fail(reason, errno);
    }
    return true;
}

// A write past a file-size limit raises SIGXFSZ, which would end the program in the
// middle of a save; ignored, the write fails with "File too large" and is handled.
class NoFileSizeSignal {
public:
    NoFileSizeSignal() { old_ = std::signal(SIGXFSZ, SIG_IGN); }
    ~NoFileSizeSignal() { std::signal(SIGXFSZ, old_); }
    NoFileSizeSignal(const NoFileSizeSignal &) = delete;
    NoFileSizeSignal &operator=(const NoFileSizeSignal &) = delete;

private:
    void (*old_)(int);
};

// The target of a symbolic link, followed link by link, so that a save replaces the file
// the link points to and the link stays.
QByteArray ResolveLinks(QByteArray path)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), buf, sizeof buf);
        if (n < 0)
            return path;
        QByteArray target(buf, n);
        if (!target.startsWith('/'))
            target.prepend(path.left(path.lastIndexOf('/') + 1));
        path = target;
    }
    return path;
}

QByteArray FolderOf(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// A new file beside target, removed again unless kept.
class TempFile {
public:
    explicit TempFile(const QByteArray &target)
    {
        const int slash = target.lastIndexOf('/');
        const QByteArray prefix = target.left(slash + 1) + '.' + target.mid(slash + 1).left(200) + '.';
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = prefix + QByteArray::number(QRandomGenerator::global()->generate(), 36);
            // Mode 0666 less the umask, as any new file gets.
            fd_.Reset(::open(path_.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
            if (fd_.Valid() || errno != EEXIST)
                break;
        }
        error_ = fd_.Valid() ? 0 : errno;
    }
    ~TempFile()
    {
        if (fd_.Valid() && !kept_)
            ::unlink(path_.constData());
    }
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    int Fd() const { return fd_.Get(); }
    int Error() const { return error_; }
    const QByteArray &Path() const { return path_; }
    void Keep() { kept_ = true; }

private:
    QByteArray path_;
    UniqueFd fd_;
    int error_ = 0;
    bool kept_ = false;
};

// Copies every extended attribute (ACLs included) of one open file to another.
bool CopyAttributes(int from, int to)
{
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;
    std::vector<char> names(size_t(size) + 1, '\0');
    if (::flistxattr(from, names.data(), names.size()) != size)
        return false;
    for (const char *name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
        const ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        if (length < 0)
            return false;
        std::vector<char> value(size_t(length) + 1);
        if (::fgetxattr(from, name, value.data(), value.size()) != length
            || ::fsetxattr(to, name, value.data(), size_t(length), 0) != 0)
            return false;
    }
    return true;
}

// Gives the new file what identifies the old one besides its content.
bool AdoptIdentity(int oldFd, const struct stat &old, int newFd)
{
    struct stat now;
    if (::fstat(newFd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(newFd, old.st_uid, old.st_gid) != 0)
        return false;
    return ::fchmod(newFd, old.st_mode & 07777) == 0 && CopyAttributes(oldFd, newFd);
}

void SyncFolder(const QByteArray &folder)
{
    const UniqueFd fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid())
        ::fsync(fd.Get());
}

enum class Outcome { Replaced, Failed, NotHere };

// Writes content to a new file beside target and renames it over target. NotHere when the
// old file (oldFd, old) would lose its identity or the folder takes no new file.
Outcome ReplaceWithNewFile(const QByteArray &target, int oldFd, const struct stat *old, const QByteArray &content,
                           QString *reason)
{
    TempFile temp(target);
    if (temp.Fd() < 0) {
        Fail(reason, temp.Error());
        const bool refused = temp.Error() == EACCES || temp.Error() == EPERM || temp.Error() == ENAMETOOLONG;
        return old && refused ? Outcome::NotHere : Outcome::Failed;
    }
    if (old && !AdoptIdentity(oldFd, *old, temp.Fd()))
        return Outcome::NotHere;
    if (!WriteAt(temp.Fd(), content, reason))
        return Outcome::Failed;
    if (::fsync(temp.Fd()) != 0 || ::rename(temp.Path().constData(), target.constData()) != 0) {
        Fail(reason, errno);
        return Outcome::Failed;
    }
    temp.Keep();
    SyncFolder(FolderOf(target));
    return Outcome::Replaced;
}

// Rewrites the open file where it stands. Room for a larger content is taken before
// anything is written, so a full disk changes nothing; should a write fail all the same,
// the old bytes go back where they were, which needs no new room.
bool RewriteInPlace(int fd, const QByteArray &old, const QByteArray &content, QString *reason)
{
    if (content.size() > old.size() && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(content.size())) != 0
        && errno != EOPNOTSUPP && errno != ENOSYS)
        return Fail(reason, errno);
    if (WriteAt(fd, content, reason)) {
        if (content.size() < old.size() && ::ftruncate(fd, off_t(content.size())) != 0)
            Fail(reason, errno);
        else if (::fsync(fd) != 0)
            Fail(reason, errno);
        else
            return true;
    }
    QString ignored;
    if (::ftruncate(fd, off_t(old.size())) == 0 && WriteAt(fd, old, &ignored))
        ::fsync(fd);
    return false;
}

} // namespace

std::optional<QByteArray> ReadRegularFile(const QString &path, qint64 maxBytes, QString *reason)
{
    const UniqueFd fd = OpenRegular(QFile::encodeName(path), O_RDONLY, reason);
    if (!fd.Valid())
        return std::nullopt;
    return ReadFrom(fd.Get(), maxBytes, reason);
}

bool RewriteFile(const QString &path, const std::function<QByteArray(const QByteArray &old)> &newContent,
                 QString *reason)
{
    const NoFileSizeSignal noSignal;
    const QByteArray target = ResolveLinks(QFile::encodeName(path));
    struct stat st;
    if (::stat(target.constData(), &st) != 0) {
        if (errno != ENOENT)
            return Fail(reason, errno);
        return ReplaceWithNewFile(target, -1, nullptr, newContent(QByteArray()), reason) == Outcome::Replaced;
    }
    // Opened for writing, so that a file the user may not write is refused here.
    const UniqueFd fd = OpenRegular(target, O_RDWR, reason);
    if (!fd.Valid())
        return false;
    const std::optional<QByteArray> old = ReadFrom(fd.Get(), -1, reason);
    if (!old || ::fstat(fd.Get(), &st) != 0)
        return false;
    const QByteArray content = newContent(*old);
    if (content == *old)
        return true;
    // A new file in place of one with other hard links would part it from them.
    if (st.st_nlink == 1) {
        const Outcome outcome = ReplaceWithNewFile(target, fd.Get(), &st, content, reason);
        if (outcome != Outcome::NotHere)
            return outcome == Outcome::Replaced;
    }
    return RewriteInPlace(fd.Get(), *old, content, reason);
}

} // namespace platform
