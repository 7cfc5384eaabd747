#pragma once
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Reading and rewriting the program's own files (maps, settings) so that nothing blocks,
// nothing is lost and no input takes memory in proportion to its size. Only regular files
// are read or written: opening a named pipe would wait for a writer forever, and a device
// is no place for a map. Failures carry the system's reason, "Not a regular file", or the
// limit a file is larger than.
namespace platform {

extern const QString kNotRegularFile; // "Not a regular file"

// "larger than 1 MiB": why an input beyond limit bytes is refused.
QString LargerThan(qint64 limit);

// What a reader does with a file longer than its limit: it takes the first bytes, or it
// refuses the file.
enum class Longer { Cut, Refused };

// At most maxBytes of a regular file, reading no more than maxBytes + 1. Nothing, with the
// reason in *reason, when it cannot be opened or read, or is longer and refused.
std::optional<QByteArray> ReadRegularFile(const QString &path, qint64 maxBytes, QString *reason,
                                          Longer longer = Longer::Cut);

// The same for a file this program rewrites (a map, the settings). A rewrite in place that
// was interrupted is rolled back first; where this reader may not write the file, or a
// rewrite is under way, it reads the old bytes kept beside the file instead, which are the
// file's content until the rewrite is done.
std::optional<QByteArray> ReadSavedFile(const QString &path, qint64 maxBytes, QString *reason,
                                        Longer longer = Longer::Cut);

// What a rewrite gets to see of the file: whether it exists, its size and its first bytes.
struct OldContent {
    bool exists = false;
    qint64 size = 0;
    QByteArray head; // the first bytes, as many as the rewrite asked for
};

// The new content: head, then the old file's bytes from offset keepFrom to its end
// (nothing when keepFrom is not given or lies past the end). The kept bytes are copied by
// the kernel, never read into memory.
struct NewContent {
    QByteArray head;
    std::optional<qint64> keepFrom;
};

// Gives the content from the old one, or nothing with the reason to refuse the rewrite.
using ContentChange = std::function<std::optional<NewContent>(const OldContent &old, QString *reason)>;

// Gives the file at path the content change(old) returns, old holding at most headLimit
// of its first bytes. Afterwards the file holds either the complete new content or exactly
// its old bytes, even when the program is killed at any point (the next read or rewrite
// finishes what was left). A symbolic link is followed to its target.
//
// The new content is written to a side file beside the old one, private from its first
// byte, which is given the old file's owner, group, extended attributes (ACLs included,
// exactly: none the old one lacks) and mode, and then renamed over it once complete and on
// disk. A new file gets what any new file gets (the umask, a folder's default ACL). Where a
// new file would change the file's identity (it has other hard links, or its owner, group
// or attributes cannot be given to a new file), the file is rewritten where it stands,
// after a complete copy of its old bytes is on disk beside it; where no such copy can be
// made (a full disk, a quota), the rewrite is refused and the file left as it was. Only
// where its folder takes no new file at all is it rewritten in place without that copy
// (the old bytes are put back if a write fails, but a crash then can leave a mixture).
// A file without any write permission bit is refused, for root as for everyone.
bool RewriteFile(const QString &path, qint64 headLimit, const ContentChange &change, QString *reason);

} // namespace platform
