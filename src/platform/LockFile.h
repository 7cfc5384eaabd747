#pragma once
#include "platform/UniqueFd.h"

#include <QString>

namespace platform {

// An exclusive lock held from construction to destruction, shared by every program that
// takes it: an flock on a lock file of this user's own, made with mode 0600 when missing
// and left in place. A lock file that is a symbolic link, not a regular file or another
// user's is refused, so nobody else can hold the lock. Where the folder takes no new file
// and there is no lock file yet, the guarded file itself is locked: no program of this
// user can make the lock file there either. Waits at most two seconds for another holder.
class LockFile {
public:
    LockFile(const QString &lockPath, const QString &guardedPath);
    LockFile(const LockFile &) = delete;
    LockFile &operator=(const LockFile &) = delete;

    bool Held() const { return fd_.Valid(); }
    // Why the lock was not taken.
    const QString &Reason() const { return reason_; }

private:
    UniqueFd Open(const QString &lockPath, const QString &guardedPath);

    UniqueFd fd_;
    QString reason_;
};

} // namespace platform
