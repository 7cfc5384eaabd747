#pragma once
#include <QString>

namespace platform {

bool FolderExists(const QString &path);

// Creates one folder level. On failure returns false and puts the system's reason in *reason.
bool CreateFolder(const QString &path, QString *reason);

} // namespace platform
