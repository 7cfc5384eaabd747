#pragma once
#include <QByteArray>
#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

// Small POSIX file operations under the safe writer: each reports failure with the
// system's reason and loops over partial transfers.
namespace platform {

QString SystemReason(int err);
// Puts the system's reason for err in *reason and returns false.
bool Fail(QString *reason, int err);

// Refuses what must not be opened: a folder, a pipe, a socket, a device.
bool IsRegular(const struct stat &st, QString *reason);

bool SameFile(const struct stat &a, const struct stat &b);
// True when path (not followed) still names the file open as fd.
bool StillNamed(const QByteArray &path, int fd);

// The folder part of path: "." for a bare name.
QByteArray FolderOf(const QByteArray &path);
// Puts a folder's entries (a new name, a name removed) on disk.
void SyncFolder(const QByteArray &folder);

// Writes size bytes at offset. A write that takes no byte and reports no error fails.
bool WriteAt(int fd, const char *data, qint64 size, qint64 offset, QString *reason);
// Reads up to size bytes at offset; fewer only at the end of the file.
bool ReadAt(int fd, char *data, qint64 size, qint64 offset, qint64 *done, QString *reason);

// Copies bytes begin..end of one file to another at offset at, in the kernel where it
// can and in small pieces where it cannot, never all at once in memory. Holes stay holes:
// only the source's data is copied, so the caller sets the destination's final size.
bool CopyRange(int from, qint64 begin, qint64 end, int to, qint64 at, QString *reason);

} // namespace platform
