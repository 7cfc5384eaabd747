#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

// Profile files: "[section]" lines and "key=value" lines, with the semantics of the
// classic profile calls. Section and key names match case-insensitively, blanks around
// names and values are ignored, lines starting with ';' are comments, and the first
// matching section and key win. Writing a key changes only that key's line; every other
// byte of the file stays as it was.
namespace platform {

// The value of key in section, or nothing when the section or key is missing.
std::optional<QByteArray> ProfileValue(const QByteArray &text, const QByteArray &section, const QByteArray &key);

// text with key in section set to value; adds the key, or the section and the key, when missing.
QByteArray ProfileWithValue(const QByteArray &text, const QByteArray &section, const QByteArray &key,
                            const QByteArray &value);

// text without key's line in section; text itself when there is no such key.
QByteArray ProfileWithoutKey(const QByteArray &text, const QByteArray &section, const QByteArray &key);

// Reads an integer value: leading blanks, an optional sign, then decimal digits up to the
// first non-digit; no digits gives 0. Too many digits saturate at the limits of the type.
long long ProfileInt(const QByteArray &value);

// The largest profile file read or written: the settings are a few hundred bytes.
constexpr qint64 kProfileLimit = 1 << 20;

// The text of a profile file, empty when there is none; nothing, with the reason, when it
// is there but cannot be read (not a regular file, no permission, larger than 1 MiB).
// A rewrite of it that was interrupted is rolled back first.
std::optional<QByteArray> ReadProfileFile(const QString &path, QString *reason);

// A file that cannot be read reads as one without keys.
long long GetPrivateProfileInt(const QByteArray &section, const QByteArray &key, long long defaultValue,
                               const QString &path);
QByteArray GetPrivateProfileString(const QByteArray &section, const QByteArray &key, const QByteArray &defaultValue,
                                   const QString &path);
// Creates the file, the section and the key as needed. The file then holds either its old
// bytes or the complete new text, even if the program is killed at any point, and the
// read-modify-write is done under a lock file beside it (".NAME.lock" for NAME), shared
// by every program that writes it. Returns false, with the reason in *reason when given, when the file
// cannot be read or written, is not a regular file (such a file is never written), is or
// would become larger than 1 MiB, or when the section, key or value holds a line end or
// a NUL.
bool WritePrivateProfileString(const QByteArray &section, const QByteArray &key, const QByteArray &value,
                               const QString &path, QString *reason = nullptr);
// Removes the key's line, in the same way. A missing file or key is left as it is.
bool DeletePrivateProfileKey(const QByteArray &section, const QByteArray &key, const QString &path,
                             QString *reason = nullptr);

} // namespace platform
