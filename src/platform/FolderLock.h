#pragma once
#include "platform/UniqueFd.h"

#include <QString>

namespace platform {

// An exclusive lock on a folder, held from construction to destruction, shared by every
// program that takes it (flock on the folder itself, so no lock file is left behind).
// Waits at most two seconds for another holder; Held() tells whether it was taken.
class FolderLock {
public:
    explicit FolderLock(const QString &folder);
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    bool Held() const { return fd_.Valid(); }

private:
    UniqueFd fd_;
};

} // namespace platform
