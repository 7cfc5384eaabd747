#include "platform/Profile.h"

#include "platform/LockFile.h"
#include "platform/SafeFile.h"

#include <QFileInfo>
#include <limits>
#include <vector>

namespace platform {

namespace {

struct TextLine {
    int start; // offset of the first byte of the line
    int end;   // offset just past the line's content, before "\r\n" or "\n"
    int next;  // offset of the next line
};

std::vector<TextLine> SplitLines(const QByteArray &text)
{
    std::vector<TextLine> lines;
    int pos = 0;
    while (pos < text.size()) {
        int nl = text.indexOf('\n', pos);
        int next = nl < 0 ? int(text.size()) : nl + 1;
        int end = nl < 0 ? int(text.size()) : nl;
        if (end > pos && text[end - 1] == '\r')
            --end;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

bool SameName(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// What one line is: a section header, a key line, or anything else.
struct Parsed {
    enum Kind { Other, Section, Key } kind = Other;
    QByteArray name;
    QByteArray value;
};

Parsed ParseLine(const QByteArray &text, const TextLine &line)
{
    const QByteArray content = text.mid(line.start, line.end - line.start).trimmed();
    Parsed p;
    if (content.startsWith('[')) {
        int close = content.indexOf(']');
        p.kind = Parsed::Section;
        p.name = content.mid(1, close < 0 ? -1 : close - 1).trimmed();
    } else if (!content.startsWith(';')) {
        int eq = content.indexOf('=');
        if (eq >= 0) {
            p.kind = Parsed::Key;
            p.name = content.left(eq).trimmed();
            p.value = content.mid(eq + 1).trimmed();
        }
    }
    return p;
}

// Where a key lives: the index of its section header and of its own line (-1 when missing),
// and the line after which a new key of that section goes.
struct Location {
    int section = -1;
    int key = -1;
    int lastInSection = -1;
};

Location Find(const QByteArray &text, const std::vector<TextLine> &lines, const QByteArray &section,
              const QByteArray &key)
{
    Location loc;
    for (int i = 0; i < int(lines.size()); ++i) {
        const Parsed p = ParseLine(text, lines[i]);
        if (p.kind == Parsed::Section) {
            if (loc.section >= 0)
                break;
            if (SameName(p.name, section))
                loc.section = loc.lastInSection = i;
        } else if (loc.section >= 0) {
            if (p.kind == Parsed::Key) {
                loc.lastInSection = i;
                if (SameName(p.name, key)) {
                    loc.key = i;
                    break;
                }
            }
        }
    }
    return loc;
}

QByteArray LineEnd(const QByteArray &text)
{
    return text.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
}

} // namespace

std::optional<QByteArray> ProfileValue(const QByteArray &text, const QByteArray &section, const QByteArray &key)
{
    const std::vector<TextLine> lines = SplitLines(text);
    const Location loc = Find(text, lines, section, key);
    if (loc.key < 0)
        return std::nullopt;
    return ParseLine(text, lines[loc.key]).value;
}

QByteArray ProfileWithValue(const QByteArray &text, const QByteArray &section, const QByteArray &key,
                            const QByteArray &value)
{
    const std::vector<TextLine> lines = SplitLines(text);
    const Location loc = Find(text, lines, section, key);
    const QByteArray eol = LineEnd(text);
    const QByteArray keyLine = key + '=' + value;
    QByteArray out = text;
    if (loc.key >= 0) {
        const TextLine &l = lines[loc.key];
        out.replace(l.start, l.end - l.start, keyLine);
    } else if (loc.section >= 0) {
        const TextLine &l = lines[loc.lastInSection];
        // A last line ending in a bare '\r' has no newline: the key must not join it.
        const bool ended = text[l.next - 1] == '\n';
        out.insert(l.next, ended ? keyLine + eol : eol + keyLine + eol);
    } else {
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += eol;
        out += '[' + section + ']' + eol + keyLine + eol;
    }
    return out;
}

QByteArray ProfileWithoutKey(const QByteArray &text, const QByteArray &section, const QByteArray &key)
{
    const std::vector<TextLine> lines = SplitLines(text);
    const Location loc = Find(text, lines, section, key);
    if (loc.key < 0)
        return text;
    const TextLine &l = lines[loc.key];
    return QByteArray(text).remove(l.start, l.next - l.start);
}

long long ProfileInt(const QByteArray &value)
{
    int i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-'))
        negative = value[i++] == '-';
    // The magnitude is counted towards the limit on the value's side: the smallest value
    // has no positive counterpart.
    const unsigned long long limit = negative ? 0ULL - (unsigned long long)std::numeric_limits<long long>::min()
                                              : (unsigned long long)std::numeric_limits<long long>::max();
    unsigned long long n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        const unsigned digit = unsigned(value[i] - '0');
        n = n > (limit - digit) / 10 ? limit : n * 10 + digit;
    }
    return negative ? (long long)(0ULL - n) : (long long)n;
}

std::optional<QByteArray> ReadProfileFile(const QString &path, QString *reason)
{
    if (!QFileInfo::exists(path))
        return QByteArray();
    return ReadSavedFile(path, kProfileLimit, reason, Longer::Refused);
}

long long GetPrivateProfileInt(const QByteArray &section, const QByteArray &key, long long defaultValue,
                               const QString &path)
{
    QString reason;
    const std::optional<QByteArray> text = ReadProfileFile(path, &reason);
    if (!text)
        return defaultValue;
    const std::optional<QByteArray> value = ProfileValue(*text, section, key);
    if (!value || value->isEmpty())
        return defaultValue;
    return ProfileInt(*value);
}

QByteArray GetPrivateProfileString(const QByteArray &section, const QByteArray &key, const QByteArray &defaultValue,
                                   const QString &path)
{
    QString reason;
    const std::optional<QByteArray> text = ReadProfileFile(path, &reason);
    if (!text)
        return defaultValue;
    return ProfileValue(*text, section, key).value_or(defaultValue);
}

namespace {

// A line end would start another line of the file, a section or key of the caller's
// making; a NUL would end the value for many readers.
bool SingleLine(const QByteArray &text, const char *what, QString *reason)
{
    if (!text.contains('\r') && !text.contains('\n') && !text.contains('\0'))
        return true;
    *reason = QStringLiteral("a line end or NUL character in the ") + QLatin1String(what);
    return false;
}

// The editor, the command-line tool and the simulator all rewrite the file: one of them
// at a time reads it, changes it and puts it back, under a hidden lock file beside it.
bool Rewrite(const QString &path, const std::function<QByteArray(const QByteArray &)> &change, QString *reason)
{
    const QFileInfo file(path);
    const LockFile lock(file.path() + QStringLiteral("/.") + file.fileName() + QStringLiteral(".lock"), path);
    if (!lock.Held()) {
        *reason = lock.Reason();
        return false;
    }
    const auto bounded = [&](const OldContent &old, QString *why) -> std::optional<NewContent> {
        if (old.size > kProfileLimit) {
            *why = LargerThan(kProfileLimit);
            return std::nullopt;
        }
        NewContent next{change(old.head), std::nullopt};
        if (next.head.size() > kProfileLimit) {
            *why = QStringLiteral("it would become ") + LargerThan(kProfileLimit);
            return std::nullopt;
        }
        return next;
    };
    return RewriteFile(path, kProfileLimit, bounded, reason);
}

} // namespace

bool WritePrivateProfileString(const QByteArray &section, const QByteArray &key, const QByteArray &value,
                               const QString &path, QString *reason)
{
    QString ignored;
    QString &why = reason ? *reason : ignored;
    if (!SingleLine(section, "section", &why) || !SingleLine(key, "key", &why) || !SingleLine(value, "value", &why))
        return false;
    return Rewrite(
        path, [&](const QByteArray &text) { return ProfileWithValue(text, section, key, value); }, &why);
}

bool DeletePrivateProfileKey(const QByteArray &section, const QByteArray &key, const QString &path, QString *reason)
{
    QString ignored;
    QString &why = reason ? *reason : ignored;
    if (!QFileInfo::exists(path))
        return true;
    if (!SingleLine(section, "section", &why) || !SingleLine(key, "key", &why))
        return false;
    return Rewrite(
        path, [&](const QByteArray &text) { return ProfileWithoutKey(text, section, key); }, &why);
}

} // namespace platform
