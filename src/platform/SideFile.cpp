#include "platform/SideFile.h"

#include "platform/FileOps.h"
#include "platform/Stopwatch.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kWaitMs = 2000;
constexpr long kPauseNs = 5 * 1000 * 1000;
constexpr int kHashDigits = 8;

void Pause()
{
    const timespec pause{0, kPauseNs};
    ::nanosleep(&pause, nullptr);
}

QString Shown(const QByteArray &path)
{
    return QFile::decodeName(path);
}

// What an existing side file is to whoever finds it.
struct Found {
    enum Kind { None, Leftover, Busy, Foreign, Error } kind = None;
    UniqueFd fd; // open for reading; locked for a Leftover
    QString reason;
};

// Whose side files are trusted: this user's, and those of the file's owner, who may write
// the file anyway (and whose they become when root saves the file by rename).
bool Trusted(const struct stat &side, const QByteArray &target)
{
    struct stat st;
    return side.st_uid == ::geteuid() || (::stat(target.constData(), &st) == 0 && side.st_uid == st.st_uid);
}

// Opens the side file at path of target, if there is one, and takes its lock if nobody
// holds it.
Found Examine(const QByteArray &path, const QByteArray &target)
{
    Found found;
    for (;;) {
        found.fd.Reset(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!found.fd.Valid()) {
            const int err = errno;
            found.kind = err == ENOENT ? Found::None : err == ELOOP ? Found::Foreign : Found::Error;
            found.reason = err == ELOOP ? Shown(path) + QStringLiteral(" is a symbolic link") : SystemReason(err);
            return found;
        }
        struct stat st {};
        if (::fstat(found.fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || !Trusted(st, target)) {
            found.kind = Found::Foreign;
            found.reason = Shown(path)
                + (S_ISREG(st.st_mode) ? QStringLiteral(" belongs to another user")
                                       : QStringLiteral(" is not a regular file"));
            return found;
        }
        if (::flock(found.fd.Get(), LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            found.kind = err == EWOULDBLOCK ? Found::Busy : Found::Error;
            found.reason = SystemReason(err);
            return found;
        }
        // Whoever held it last may have removed or replaced it before letting go.
        if (StillNamed(path, found.fd.Get())) {
            found.kind = Found::Leftover;
            return found;
        }
    }
}

QString SaveUnderWay(const QByteArray &path)
{
    return QStringLiteral("another program is saving this file (") + Shown(path) + QLatin1Char(')');
}

// Rolls the target back to the leftover backup open as fd and removes the backup.
bool RollBack(const QByteArray &target, const QByteArray &backup, int fd, QString *reason)
{
    const UniqueFd out(::open(target.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!out.Valid() || ::fstat(out.Get(), &st) != 0)
        return Fail(reason, errno);
    if (!IsRegular(st, reason) || !RestoreFrom(fd, out.Get(), reason))
        return false;
    if (::unlink(backup.constData()) != 0)
        return Fail(reason, errno);
    SyncFolder(FolderOf(backup));
    return true;
}

bool TargetExists(const QByteArray &target)
{
    struct stat st;
    return ::stat(target.constData(), &st) == 0 || errno != ENOENT;
}

} // namespace

QByteArray SidePath(const QByteArray &target, Side side)
{
    const QByteArray suffix = side == Side::Saving ? QByteArray(".saving") : QByteArray(".backup");
    const int slash = target.lastIndexOf('/');
    QByteArray base = target.mid(slash + 1);
    if (1 + base.size() + suffix.size() > NAME_MAX) {
        const QByteArray hash = QCryptographicHash::hash(base, QCryptographicHash::Sha1).toHex().left(kHashDigits);
        int keep = NAME_MAX - 1 - int(suffix.size()) - 1 - kHashDigits;
        // Never in the middle of a UTF-8 character.
        while (keep > 0 && (uchar(base[keep]) & 0xC0) == 0x80)
            --keep;
        base = base.left(keep) + '~' + hash;
    }
    return target.left(slash + 1) + '.' + base + suffix;
}

SideFile::~SideFile()
{
    if (fd_.Valid() && named_)
        ::unlink(path_.constData());
}

SideFile::SideFile(SideFile &&other) noexcept
    : path_(std::move(other.path_)),
      fd_(std::move(other.fd_)),
      named_(other.named_)
{
}

SideFile &SideFile::operator=(SideFile &&other) noexcept
{
    if (this != &other) {
        if (fd_.Valid() && named_)
            ::unlink(path_.constData());
        path_ = std::move(other.path_);
        fd_ = std::move(other.fd_);
        named_ = other.named_;
    }
    return *this;
}

SideFile SideFile::CreateSaving(const QByteArray &target, mode_t mode, QString *reason, int *err)
{
    const QByteArray path = SidePath(target, Side::Saving);
    const Stopwatch waited;
    *err = 0;
    for (;;) {
        UniqueFd fd(::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (fd.Valid()) {
            // Someone who took it for a leftover between the two calls removes it: try again.
            if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0 && StillNamed(path, fd.Get()))
                return SideFile(path, std::move(fd));
        } else if (errno != EEXIST) {
            *err = errno;
            Fail(reason, errno);
            return {};
        } else {
            Found found = Examine(path, target);
            if (found.kind == Found::Leftover) {
                ::unlink(path.constData());
                continue;
            }
            if (found.kind == Found::Foreign || found.kind == Found::Error) {
                *reason = found.reason;
                return {};
            }
        }
        if (waited.Read() >= kWaitMs) {
            *reason = SaveUnderWay(path);
            return {};
        }
        Pause();
    }
}

bool SideFile::RenameTo(const QByteArray &to, QString *reason)
{
    if (::rename(path_.constData(), to.constData()) != 0)
        return Fail(reason, errno);
    path_ = to;
    return true;
}

bool SideFile::ReplaceTarget(const QByteArray &target, QString *reason)
{
    if (!RenameTo(target, reason))
        return false;
    named_ = false;
    return true;
}

bool SideFile::Remove()
{
    if (::unlink(path_.constData()) != 0)
        return false;
    named_ = false;
    return true;
}

bool SettleBackupForWriter(const QByteArray &target, QString *reason)
{
    const QByteArray path = SidePath(target, Side::Backup);
    const Stopwatch waited;
    for (;;) {
        Found found = Examine(path, target);
        switch (found.kind) {
        case Found::None:
            return true;
        case Found::Leftover:
            // A backup whose file is gone has nothing left to put back.
            if (!TargetExists(target)) {
                ::unlink(path.constData());
                return true;
            }
            return RollBack(target, path, found.fd.Get(), reason);
        case Found::Busy:
            if (waited.Read() >= kWaitMs) {
                *reason = SaveUnderWay(path);
                return false;
            }
            Pause();
            break;
        case Found::Foreign:
        case Found::Error:
            *reason = found.reason;
            return false;
        }
    }
}

void SettleBackupForReader(const QByteArray &target, bool mayWrite, UniqueFd *oldBytes)
{
    if (!TargetExists(target))
        return;
    const QByteArray path = SidePath(target, Side::Backup);
    Found found = Examine(path, target);
    QString reason;
    if (found.kind == Found::Leftover && mayWrite && RollBack(target, path, found.fd.Get(), &reason))
        return;
    // A backup is complete before its name appears: its bytes are the file's old content.
    if (found.kind == Found::Leftover || found.kind == Found::Busy)
        *oldBytes = std::move(found.fd);
}

bool RestoreFrom(int backup, int target, QString *reason)
{
    struct stat st;
    if (::fstat(backup, &st) != 0)
        return Fail(reason, errno);
    // Emptied first, so that where the backup has a hole the file has one too.
    if (::ftruncate(target, 0) != 0)
        return Fail(reason, errno);
    if (!CopyRange(backup, 0, st.st_size, target, 0, reason))
        return false;
    if (::ftruncate(target, st.st_size) != 0 || ::fsync(target) != 0)
        return Fail(reason, errno);
    return true;
}

} // namespace platform
