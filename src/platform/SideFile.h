#pragma once
#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// The files a save keeps beside the file it changes, hidden and named after it, so that a
// person recognises them and no "*.CVX" pattern matches them:
//   .Stage.CVX.saving  the new content being built, or the copy of the old bytes being made
//   .Stage.CVX.backup  the complete old bytes, while the file is rewritten where it stands
// Their writer holds an exclusive flock on each for the file's whole life. So a side file
// whose lock can be taken is what a killed save left: a ".saving" is thrown away, a
// ".backup" is put back into the file (the change is rolled back). One whose lock cannot
// be taken belongs to a save under way.
namespace platform {

enum class Side { Saving, Backup };

// The side file of target (a path with symbolic links already followed). A long name is
// shortened, with a short hash of the whole, so that the side name fits NAME_MAX.
QByteArray SidePath(const QByteArray &target, Side side);

// A side file this program made and holds locked; unlinked on destruction unless it was
// renamed over its target.
class SideFile {
public:
    SideFile() = default;
    ~SideFile();
    SideFile(SideFile &&other) noexcept;
    SideFile &operator=(SideFile &&other) noexcept;
    SideFile(const SideFile &) = delete;
    SideFile &operator=(const SideFile &) = delete;

    // Creates the ".saving" file of target with the given mode, exclusively. A leftover of
    // a killed save is removed first; a save under way is waited for, two seconds at most.
    // Nothing, with the reason and errno in *err (0 when it is no system error), on failure.
    static SideFile CreateSaving(const QByteArray &target, mode_t mode, QString *reason, int *err);

    bool Valid() const { return fd_.Valid(); }
    int Fd() const { return fd_.Get(); }
    const QByteArray &Path() const { return path_; }

    // Renames the file to to, which it then is.
    bool RenameTo(const QByteArray &to, QString *reason);
    // Renames the file over target: it is no side file any more.
    bool ReplaceTarget(const QByteArray &target, QString *reason);
    // Removes the file; false, and the file stays, when the folder refuses.
    bool Remove();
    // Leaves the file where it is, for the next reader or writer to find.
    void Keep() { named_ = false; }

private:
    SideFile(QByteArray path, UniqueFd fd) : path_(std::move(path)), fd_(std::move(fd)) {}

    QByteArray path_;
    UniqueFd fd_;
    bool named_ = true;
};

// For a writer of target, which holds its ".saving" file: a ".backup" left by a killed
// rewrite in place is put back into target (keeping its links) and removed; one that
// belongs to a save under way is waited for, two seconds at most. False, with the reason,
// when that cannot be done.
bool SettleBackupForWriter(const QByteArray &target, QString *reason);

// For a reader of target: the same roll-back where mayWrite allows it. Where it does not,
// or a save is under way, *oldBytes becomes the backup, whose bytes are the file's content
// until the change is finished. A side file of any other user than this one or the file's
// owner is never trusted.
void SettleBackupForReader(const QByteArray &target, bool mayWrite, UniqueFd *oldBytes);

// Puts the bytes of backup back into the open file target: afterwards it holds exactly
// them and they are on disk.
bool RestoreFrom(int backup, int target, QString *reason);

} // namespace platform
