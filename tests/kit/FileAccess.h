#pragma once
#include <QString>
#include <optional>
#include <sys/types.h>
#include <vector>

// Root passes permission bits by its capabilities. These make a refusal real for the
// lifetime of the object, for root as for an ordinary user. The capability change holds
// for the calling thread only, which is the thread that runs the test.

// Takes the permission override (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH) out of the
// effective capabilities, so that mode bits refuse root too; puts it back on destruction.
// Nothing to do for an ordinary user.
class NoPermissionOverride {
public:
    NoPermissionOverride();
    ~NoPermissionOverride();
    NoPermissionOverride(const NoPermissionOverride &) = delete;
    NoPermissionOverride &operator=(const NoPermissionOverride &) = delete;

    bool Ok() const { return ok_; }

private:
    bool ok_ = false;
    bool dropped_ = false;
};

// Makes an existing file read-only, for root as for an ordinary user: for root the
// immutable attribute, which nothing overrides, where the file system has it (ext4 does;
// it needs CAP_LINUX_IMMUTABLE), otherwise mode 0444 with the permission override taken
// away; mode 0444 for an ordinary user. Writable again on destruction.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString &path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    bool Ok() const { return ok_; }
    // The system's reason a write to the file meets: "Operation not permitted" for an
    // immutable file, "Permission denied" otherwise.
    QString Reason() const;

private:
    bool SetImmutable(bool on) const;

    QString path_;
    bool ok_ = false;
    bool immutable_ = false;
    unsigned oldMode_ = 0;
    std::optional<NoPermissionOverride> noOverride_;
};

// Gives a file or folder these mode bits and puts the old ones back on destruction.
// Root also needs a NoPermissionOverride for them to refuse anything.
class TemporaryMode {
public:
    TemporaryMode(const QString &path, unsigned mode);
    ~TemporaryMode();
    TemporaryMode(const TemporaryMode &) = delete;
    TemporaryMode &operator=(const TemporaryMode &) = delete;

    bool Ok() const { return ok_; }

private:
    QString path_;
    unsigned oldMode_ = 0;
    bool ok_ = false;
};

// Switches the file-system identity of the calling thread to another user with the given
// groups, as that user's own process would be, until destruction: root drops its
// permission override with it. Needs root; Ok() tells whether the switch was made.
class AsUser {
public:
    AsUser(uid_t uid, gid_t gid, std::vector<gid_t> groups);
    ~AsUser();
    AsUser(const AsUser &) = delete;
    AsUser &operator=(const AsUser &) = delete;

    bool Ok() const;

private:
    std::vector<gid_t> oldGroups_;
    bool ok_ = false;
};
