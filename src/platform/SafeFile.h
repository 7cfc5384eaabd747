#pragma once
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Reading and rewriting the program's own files (maps, settings) so that nothing blocks
// and nothing is lost. Only regular files are read or written: opening a named pipe
// would wait for a writer forever, and a device is no place for a map. Failures carry the
// system's reason, or "Not a regular file".
namespace platform {

extern const QString kNotRegularFile; // "Not a regular file"

// The first maxBytes bytes of a regular file (all of it when maxBytes is negative).
// Nothing, with the reason in *reason, when it cannot be opened or read.
std::optional<QByteArray> ReadRegularFile(const QString &path, qint64 maxBytes, QString *reason);

// Gives the file at path the content newContent(old), where old is what it holds now
// (empty when it does not exist yet). Afterwards the file holds either the complete new
// content or exactly its old bytes. A symbolic link is followed to its target.
//
// The new content is written to a file beside the old one and renamed over it once it is
// complete and on disk, with the old file's mode, owner, group and extended attributes.
// Where that would change the file's identity (it has other hard links, or its owner,
// group or attributes cannot be given to a new file) or the folder takes no new file, the
// file is rewritten where it stands instead: room for the new size is taken first, and
// the old bytes are put back if any write fails.
// A file that is not writable is refused, although its folder might let it be replaced.
bool RewriteFile(const QString &path, const std::function<QByteArray(const QByteArray &old)> &newContent,
                 QString *reason);

} // namespace platform
