#pragma once
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <sys/resource.h>

// The disk faults a user meets, made real for a test.

// A full file system: a tmpfs of the given size mounted on a fresh folder, in a mount
// namespace of the calling thread's own, so nothing outside the test sees it. Mounting
// needs root (CAP_SYS_ADMIN); Possible() tells whether this process can. Fill() takes
// every free block, after the test has put its files there.
class FullFileSystem {
public:
    static bool Possible();

    explicit FullFileSystem(int kilobytes = 64);
    ~FullFileSystem();
    FullFileSystem(const FullFileSystem &) = delete;
    FullFileSystem &operator=(const FullFileSystem &) = delete;

    bool Ok() const { return mounted_; }
    QString Path() const { return mountPoint_.path(); }
    // Fills the file system with a filler file; true once a write meets "No space left".
    bool Fill() const;

private:
    QTemporaryDir mountPoint_;
    int oldNamespace_ = -1;
    bool mounted_ = false;
};

// A full file system for a table row whose fault is "full"; nothing for any other row.
std::unique_ptr<FullFileSystem> FullFileSystemFor(const QString &fault);

// A file-size limit (RLIMIT_FSIZE) for this process, as a quota puts on a writer, with
// SIGXFSZ ignored so that a write past it fails with "File too large" instead of ending
// the process. Restored on destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool Ok() const { return ok_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

// Ends the test process with a message when it is still running after the given
// seconds: a test of something that must not block fails fast instead of hanging.
class HangGuard {
public:
    explicit HangGuard(unsigned seconds);
    ~HangGuard();
    HangGuard(const HangGuard &) = delete;
    HangGuard &operator=(const HangGuard &) = delete;
};
