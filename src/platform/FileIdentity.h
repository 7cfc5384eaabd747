#pragma once
#include <sys/stat.h>

// What identifies a file besides its content and its place: owner, group, mode and
// extended attributes (ACLs among them).
namespace platform {

// Gives the open file newFd the identity of the old file (oldFd, old): owner and group
// first, then exactly its extended attributes (any the new file has and the old one lacks,
// such as an ACL inherited from the folder, are removed), then its mode. False when any of
// it cannot be given.
bool AdoptIdentity(int oldFd, const struct stat &old, int newFd);

// Gives the open file fd back the owner and group it was created with (created) and mode
// 0600, after AdoptIdentity failed part of the way.
bool MakePrivate(int fd, const struct stat &created);

} // namespace platform
