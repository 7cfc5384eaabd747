#pragma once
#include <QString>

namespace platform {

// Maps one of the program's fixed drive-letter paths ("C:\QRT Corvanta DMX Map\...")
// onto this machine: the drive root becomes the user's home folder and backslashes
// become slashes. HOME is read at every call, so tests can point it elsewhere.
QString LocalPath(const QString &fixedPath);

} // namespace platform
