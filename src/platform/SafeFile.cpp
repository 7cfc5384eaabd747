#include "platform/SafeFile.h"

#include "platform/FileIdentity.h"
#include "platform/FileOps.h"
#include "platform/SideFile.h"
#include "platform/UniqueFd.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

const QString kNotRegularFile = QStringLiteral("Not a regular file");

namespace {

constexpr mode_t kPrivateMode = 0600;
constexpr mode_t kNewFileMode = 0666; // less the umask, as any new file gets
constexpr mode_t kWriteBits = 0222;
constexpr qint64 kPiece = 64 * 1024;
constexpr int kMaxLinkHops = 40;
// Without a copy beside the file, the bytes a rewrite in place overwrites are kept in
// memory to put back should a write fail; beyond this it is refused.
constexpr qint64 kUndoLimit = 16 << 20;

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

std::optional<QByteArray> ReadFrom(int fd, qint64 maxBytes, Longer longer, QString *reason)
{
    Q_ASSERT(maxBytes >= 0);
    const qint64 wanted = longer == Longer::Refused ? maxBytes + 1 : maxBytes;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        Fail(reason, errno);
        return std::nullopt;
    }
    // A file that says it is larger is refused unread; one that grows meanwhile, after the limit.
    if (longer == Longer::Refused && st.st_size > maxBytes) {
        *reason = LargerThan(maxBytes);
        return std::nullopt;
    }
    QByteArray bytes;
    bytes.reserve(std::min<qint64>(st.st_size, wanted));
    char buf[kPiece];
    while (bytes.size() < wanted) {
        qint64 got = 0;
        if (!ReadAt(fd, buf, std::min(kPiece, wanted - bytes.size()), bytes.size(), &got, reason))
            return std::nullopt;
        if (got == 0)
            break;
        bytes.append(buf, got);
    }
    if (bytes.size() > maxBytes) {
        *reason = LargerThan(maxBytes);
        return std::nullopt;
    }
    return bytes;
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
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
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

// The new content's layout over an old file of oldSize bytes.
struct Layout {
    Layout(const NewContent &next, qint64 oldSize)
        : from(std::clamp<qint64>(next.keepFrom.value_or(oldSize), 0, oldSize)),
          tail(std::max<qint64>(0, oldSize - from)),
          size(next.head.size() + tail),
          tailStays(tail > 0 && from == next.head.size())
    {
    }
    qint64 from; // where the kept tail starts in the old file
    qint64 tail; // its length
    qint64 size; // the new file's
    bool tailStays;
};

bool Unchanged(const OldContent &old, const NewContent &next)
{
    const Layout layout(next, old.size);
    if (layout.size != old.size || next.head.size() > old.head.size() || !old.head.startsWith(next.head))
        return false;
    return layout.tail == 0 || layout.tailStays;
}

// Writes the new content into the empty file to, the tail from the old file from.
bool WriteContent(int to, const NewContent &next, int from, qint64 oldSize, QString *reason)
{
    const Layout layout(next, oldSize);
    if (!WriteAt(to, next.head.constData(), next.head.size(), 0, reason))
        return false;
    if (layout.tail == 0)
        return true;
    if (!CopyRange(from, layout.from, oldSize, to, next.head.size(), reason))
        return false;
    return ::ftruncate(to, off_t(layout.size)) == 0 || Fail(reason, errno);
}

enum class Outcome { Replaced, Failed, NotHere };

// The new content in the side file saving, renamed over target. NotHere when the old file
// (fd, old) cannot lend the new one its identity.
Outcome ReplaceWithNewFile(const QByteArray &target, int fd, const struct stat &old, const NewContent &next,
                           SideFile &saving, QString *reason)
{
    if (!AdoptIdentity(fd, old, saving.Fd()))
        return Outcome::NotHere;
    if (!WriteContent(saving.Fd(), next, fd, old.st_size, reason))
        return Outcome::Failed;
    if (::fsync(saving.Fd()) != 0) {
        Fail(reason, errno);
        return Outcome::Failed;
    }
    if (!saving.ReplaceTarget(target, reason))
        return Outcome::Failed;
    SyncFolder(FolderOf(target));
    return Outcome::Replaced;
}

// Writes the new content over the open file, the moved tail taken from the backup.
bool WriteInPlace(int fd, qint64 oldSize, const NewContent &next, int backup, QString *reason)
{
    const Layout layout(next, oldSize);
    const bool tailMoves = layout.tail > 0 && !layout.tailStays;
    // A tail that moves is copied from the backup into a file cut short after the head, so
    // that where the backup has a hole the file has one too.
    if (tailMoves && ::ftruncate(fd, off_t(next.head.size())) != 0)
        return Fail(reason, errno);
    if (!WriteAt(fd, next.head.constData(), next.head.size(), 0, reason))
        return false;
    if (tailMoves && !CopyRange(backup, layout.from, oldSize, fd, next.head.size(), reason))
        return false;
    if ((tailMoves || layout.size < oldSize) && ::ftruncate(fd, off_t(layout.size)) != 0)
        return Fail(reason, errno);
    return ::fsync(fd) == 0 || Fail(reason, errno);
}

// Rewrites the open file where it stands, once a complete copy of its old bytes is on disk
// beside it as ".backup": a crash from then on leaves that copy, which the next read or
// rewrite puts back. The copy is made in the side file saving, which becomes the backup.
bool RewriteWithBackup(const QByteArray &target, int fd, qint64 oldSize, const NewContent &next, SideFile &saving,
                       QString *reason)
{
    if (!CopyRange(fd, 0, oldSize, saving.Fd(), 0, reason))
        return false;
    if (::ftruncate(saving.Fd(), off_t(oldSize)) != 0 || ::fsync(saving.Fd()) != 0)
        return Fail(reason, errno);
    if (!saving.RenameTo(SidePath(target, Side::Backup), reason))
        return false;
    SyncFolder(FolderOf(target));
    if (!WriteInPlace(fd, oldSize, next, saving.Fd(), reason)) {
        QString ignored;
        // Should the old bytes not go back now, the backup stays for the next read or rewrite.
        if (RestoreFrom(saving.Fd(), fd, &ignored) && saving.Remove())
            SyncFolder(FolderOf(target));
        else
            saving.Keep();
        return false;
    }
    // A backup left beside the new content would roll it back: that is a failure too.
    if (!saving.Remove())
        return Fail(reason, errno);
    SyncFolder(FolderOf(target));
    return true;
}

// Rewrites the open file where it stands when its folder takes no backup: the bytes it
// overwrites are kept in memory, and put back should a write fail. Room for a larger
// content is taken first, so a full disk changes nothing.
bool RewriteWithoutBackup(int fd, qint64 oldSize, const NewContent &next, QString *reason)
{
    const Layout layout(next, oldSize);
    const bool tailMoves = layout.tail > 0 && !layout.tailStays;
    const qint64 undoSize = layout.tailStays ? std::min<qint64>(oldSize, next.head.size()) : oldSize;
    if (undoSize + (tailMoves ? layout.tail : 0) > kUndoLimit) {
        *reason = QStringLiteral("too large to rewrite where it stands without a backup (") + LargerThan(kUndoLimit)
            + QLatin1Char(')');
        return false;
    }
    QByteArray undo(undoSize, '\0');
    QByteArray tail(tailMoves ? layout.tail : 0, '\0');
    qint64 got = 0;
    if (!ReadAt(fd, undo.data(), undo.size(), 0, &got, reason)
        || !ReadAt(fd, tail.data(), tail.size(), layout.from, &got, reason))
        return false;
    if (layout.size > oldSize && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, off_t(oldSize), off_t(layout.size - oldSize)) != 0
        && errno != EOPNOTSUPP && errno != ENOSYS)
        return Fail(reason, errno);
    if (WriteAt(fd, next.head.constData(), next.head.size(), 0, reason)
        && WriteAt(fd, tail.constData(), tail.size(), next.head.size(), reason)) {
        if (layout.size < oldSize && ::ftruncate(fd, off_t(layout.size)) != 0)
            Fail(reason, errno);
        else if (::fsync(fd) != 0)
            Fail(reason, errno);
        else
            return true;
    }
    QString ignored;
    if (::ftruncate(fd, off_t(oldSize)) == 0 && WriteAt(fd, undo.constData(), undo.size(), 0, &ignored))
        ::fsync(fd);
    return false;
}

bool WriteNewFile(const QByteArray &target, SideFile &saving, const ContentChange &change, QString *reason)
{
    const std::optional<NewContent> next = change(OldContent{}, reason);
    if (!next || !WriteAt(saving.Fd(), next->head.constData(), next->head.size(), 0, reason))
        return false;
    if (::fsync(saving.Fd()) != 0)
        return Fail(reason, errno);
    if (!saving.ReplaceTarget(target, reason))
        return false;
    SyncFolder(FolderOf(target));
    return true;
}

// The errors of a folder that takes no new file, where a file can still be written in place.
bool NoNewFileHere(int err)
{
    return err == EACCES || err == EPERM || err == ENAMETOOLONG;
}

} // namespace

QString LargerThan(qint64 limit)
{
    constexpr qint64 kKiB = 1024;
    constexpr qint64 kMiB = kKiB * kKiB;
    if (limit >= kMiB && limit % kMiB == 0)
        return QStringLiteral("larger than %1 MiB").arg(limit / kMiB);
    if (limit >= kKiB && limit % kKiB == 0)
        return QStringLiteral("larger than %1 KiB").arg(limit / kKiB);
    return QStringLiteral("larger than %1 bytes").arg(limit);
}

std::optional<QByteArray> ReadRegularFile(const QString &path, qint64 maxBytes, QString *reason, Longer longer)
{
    const UniqueFd fd = OpenRegular(QFile::encodeName(path), O_RDONLY, reason);
    if (!fd.Valid())
        return std::nullopt;
    return ReadFrom(fd.Get(), maxBytes, longer, reason);
}

std::optional<QByteArray> ReadSavedFile(const QString &path, qint64 maxBytes, QString *reason, Longer longer)
{
    const QByteArray target = ResolveLinks(QFile::encodeName(path));
    struct stat st;
    const bool mayWrite = ::stat(target.constData(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & kWriteBits) != 0
        && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) == 0;
    UniqueFd oldBytes;
    SettleBackupForReader(target, mayWrite, &oldBytes);
    if (oldBytes.Valid())
        return ReadFrom(oldBytes.Get(), maxBytes, longer, reason);
    return ReadRegularFile(QFile::decodeName(target), maxBytes, reason, longer);
}

bool RewriteFile(const QString &path, qint64 headLimit, const ContentChange &change, QString *reason)
{
    const NoFileSizeSignal noSignal;
    const QByteArray target = ResolveLinks(QFile::encodeName(path));
    struct stat st;
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        return Fail(reason, errno);
    if (exists && !IsRegular(st, reason))
        return false;
    // Root may write anything; a file that nobody may write was not meant to be written.
    if (exists && (st.st_mode & kWriteBits) == 0)
        return Fail(reason, EACCES);

    int err = 0;
    SideFile saving = SideFile::CreateSaving(target, exists ? kPrivateMode : kNewFileMode, reason, &err);
    if (!saving.Valid() && !(exists && NoNewFileHere(err)))
        return false;
    if (saving.Valid() && !SettleBackupForWriter(target, reason))
        return false;
    if (!exists)
        return WriteNewFile(target, saving, change, reason);

    // Opened for writing, so that a file the user may not write is refused here.
    const UniqueFd fd = OpenRegular(target, O_RDWR, reason);
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0)
        return false;
    OldContent old{true, st.st_size, QByteArray(std::min<qint64>(st.st_size, headLimit), '\0')};
    qint64 got = 0;
    if (!ReadAt(fd.Get(), old.head.data(), old.head.size(), 0, &got, reason))
        return false;
    old.head.truncate(got);
    const std::optional<NewContent> next = change(old, reason);
    if (!next)
        return false;
    if (Unchanged(old, *next))
        return true;
    if (!saving.Valid())
        return RewriteWithoutBackup(fd.Get(), st.st_size, *next, reason);
    // A new file in place of one with other hard links would part it from them.
    if (st.st_nlink == 1) {
        struct stat created;
        if (::fstat(saving.Fd(), &created) != 0)
            return Fail(reason, errno);
        const Outcome outcome = ReplaceWithNewFile(target, fd.Get(), st, *next, saving, reason);
        if (outcome != Outcome::NotHere)
            return outcome == Outcome::Replaced;
        if (!MakePrivate(saving.Fd(), created))
            return Fail(reason, errno);
    }
    return RewriteWithBackup(target, fd.Get(), st.st_size, *next, saving, reason);
}

} // namespace platform
