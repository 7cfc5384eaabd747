#include "kit/ChildRun.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSyscallStop = SIGTRAP | 0x80;
constexpr int kWriteFlags = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC;

// How a call names the file it changes.
enum class Names { Fd, FdOut, Path, DirPath, OpenPath, OpenAtPath };

struct FileCall {
    long nr;
    const char *name;
    Names names;
    int arg; // the argument that names it
};

const FileCall kFileCalls[] = {
    {SYS_openat, "openat", Names::OpenAtPath, 1},
#ifdef SYS_open
    {SYS_open, "open", Names::OpenPath, 0},
    {SYS_creat, "creat", Names::Path, 0},
    {SYS_rename, "rename", Names::Path, 0},
    {SYS_unlink, "unlink", Names::Path, 0},
    {SYS_rmdir, "rmdir", Names::Path, 0},
    {SYS_mkdir, "mkdir", Names::Path, 0},
    {SYS_link, "link", Names::Path, 0},
    {SYS_symlink, "symlink", Names::Path, 1},
    {SYS_chmod, "chmod", Names::Path, 0},
    {SYS_chown, "chown", Names::Path, 0},
    {SYS_lchown, "lchown", Names::Path, 0},
#endif
    {SYS_write, "write", Names::Fd, 0},
    {SYS_pwrite64, "pwrite64", Names::Fd, 0},
    {SYS_writev, "writev", Names::Fd, 0},
    {SYS_pwritev, "pwritev", Names::Fd, 0},
    {SYS_pwritev2, "pwritev2", Names::Fd, 0},
    {SYS_ftruncate, "ftruncate", Names::Fd, 0},
    {SYS_truncate, "truncate", Names::Path, 0},
    {SYS_fallocate, "fallocate", Names::Fd, 0},
    {SYS_fsync, "fsync", Names::Fd, 0},
    {SYS_fdatasync, "fdatasync", Names::Fd, 0},
    {SYS_sync_file_range, "sync_file_range", Names::Fd, 0},
    {SYS_renameat, "renameat", Names::DirPath, 1},
    {SYS_renameat2, "renameat2", Names::DirPath, 1},
    {SYS_unlinkat, "unlinkat", Names::DirPath, 1},
    {SYS_mkdirat, "mkdirat", Names::DirPath, 1},
    {SYS_linkat, "linkat", Names::DirPath, 3},
    {SYS_symlinkat, "symlinkat", Names::DirPath, 2},
    {SYS_fchmod, "fchmod", Names::Fd, 0},
    {SYS_fchmodat, "fchmodat", Names::DirPath, 1},
    {SYS_fchown, "fchown", Names::Fd, 0},
    {SYS_fchownat, "fchownat", Names::DirPath, 1},
    {SYS_fsetxattr, "fsetxattr", Names::Fd, 0},
    {SYS_setxattr, "setxattr", Names::Path, 0},
    {SYS_lsetxattr, "lsetxattr", Names::Path, 0},
    {SYS_fremovexattr, "fremovexattr", Names::Fd, 0},
    {SYS_removexattr, "removexattr", Names::Path, 0},
    {SYS_lremovexattr, "lremovexattr", Names::Path, 0},
    {SYS_copy_file_range, "copy_file_range", Names::FdOut, 2},
    {SYS_sendfile, "sendfile", Names::FdOut, 0},
    {SYS_splice, "splice", Names::FdOut, 2},
};

// A string in the tracee's memory.
QByteArray TraceeString(pid_t tid, unsigned long long address)
{
    QByteArray text;
    char buf[256];
    while (text.size() < PATH_MAX) {
        iovec local{buf, sizeof buf};
        iovec remote{reinterpret_cast<void *>(address + text.size()), sizeof buf};
        ssize_t n = ::process_vm_readv(tid, &local, 1, &remote, 1, 0);
        if (n <= 0) {
            // The string may end just before a page the tracee cannot read: one byte at a time.
            local.iov_len = remote.iov_len = 1;
            n = ::process_vm_readv(tid, &local, 1, &remote, 1, 0);
            if (n <= 0)
                break;
        }
        const int end = QByteArray(buf, int(n)).indexOf('\0');
        if (end >= 0)
            return text + QByteArray(buf, end);
        text += QByteArray(buf, int(n));
    }
    return text;
}

QByteArray FdPath(pid_t tid, unsigned long long fd, struct stat *st)
{
    const QByteArray link = "/proc/" + QByteArray::number(tid) + "/fd/" + QByteArray::number(fd);
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(link.constData(), buf, sizeof buf);
    if (::stat(link.constData(), st) != 0)
        st->st_mode = 0;
    return n > 0 ? QByteArray(buf, int(n)) : QByteArray();
}

// The call a tracee is entering, described, when it changes a file.
std::optional<QString> Describe(pid_t tid, const __ptrace_syscall_info &info)
{
    for (const FileCall &call : kFileCalls) {
        if (call.nr != long(info.entry.nr))
            continue;
        const unsigned long long arg = info.entry.args[call.arg];
        QByteArray path;
        switch (call.names) {
        case Names::Fd:
        case Names::FdOut: {
            struct stat st {};
            path = FdPath(tid, arg, &st);
            if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
                return std::nullopt;
            break;
        }
        case Names::OpenPath:
        case Names::OpenAtPath:
            if ((info.entry.args[call.arg + 1] & kWriteFlags) == 0)
                return std::nullopt;
            path = TraceeString(tid, arg);
            break;
        case Names::Path:
        case Names::DirPath:
            path = TraceeString(tid, arg);
            break;
        }
        return QString::fromLatin1(call.name) + QLatin1Char(' ') + QFile::decodeName(path);
    }
    return std::nullopt;
}

// Drains one end of a pipe; with stopAfterFirstLine, sends SIGTERM to pid at the first line.
void Drain(int fd, QByteArray *into, pid_t pid, bool stopAfterFirstLine)
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        into->append(buf, int(n));
        if (stopAfterFirstLine && into->contains('\n')) {
            ::kill(pid, SIGTERM);
            stopAfterFirstLine = false;
        }
    }
    ::close(fd);
}

// Follows the tracee and every thread and child it starts until pid ends.
void Trace(pid_t pid, const ChildOptions &options, ChildOutcome *outcome, rusage *usage)
{
    int status = 0;
    if (::waitpid(pid, &status, __WALL) != pid || !WIFSTOPPED(status))
        return;
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr,
             PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACECLONE | PTRACE_O_TRACEFORK | PTRACE_O_TRACEVFORK | PTRACE_O_TRACEEXEC
                 | PTRACE_O_EXITKILL);
    ::ptrace(PTRACE_SYSCALL, pid, nullptr, nullptr);
    for (;;) {
        rusage ru{};
        const pid_t tid = ::wait4(-1, &status, __WALL, &ru);
        if (tid < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            if (tid != pid)
                continue;
            *usage = ru;
            outcome->exited = WIFEXITED(status);
            outcome->status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            outcome->signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            return;
        }
        int deliver = 0;
        const int sig = WSTOPSIG(status);
        if (sig == kSyscallStop) {
            __ptrace_syscall_info info{};
            if (::ptrace(PTRACE_GET_SYSCALL_INFO, tid, sizeof info, &info) > 0
                && info.op == PTRACE_SYSCALL_INFO_ENTRY) {
                if (const std::optional<QString> call = Describe(tid, info)) {
                    outcome->fileCalls << *call;
                    if (outcome->fileCalls.size() == options.killAtCall) {
                        outcome->killedAt = *call;
                        ::kill(pid, SIGKILL);
                    }
                }
            }
        } else if (status >> 16 == 0 && sig != SIGSTOP) {
            deliver = sig; // a signal for the tracee, such as SIGTERM, goes through
        }
        ::ptrace(PTRACE_SYSCALL, tid, nullptr, reinterpret_cast<void *>(long(deliver)));
    }
}

} // namespace

ChildOutcome RunChild(const QString &program, const QStringList &args, const ChildOptions &options)
{
    ChildOutcome outcome;
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString &a : args)
        words.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return outcome;
    const pid_t pid = ::fork();
    if (pid == 0) {
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        const int devNull = ::open("/dev/null", O_RDONLY);
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        if (options.setup)
            options.setup();
        if (options.trace) {
            ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
            ::raise(SIGSTOP);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (pid < 0) {
        ::close(out[0]);
        ::close(err[0]);
        return outcome;
    }
    std::thread outReader(Drain, out[0], &outcome.out, pid, options.stopAfterFirstLine);
    std::thread errReader(Drain, err[0], &outcome.err, pid, false);
    rusage usage{};
    if (options.trace) {
        Trace(pid, options, &outcome, &usage);
    } else {
        int status = 0;
        while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {}
        outcome.exited = WIFEXITED(status);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    outReader.join();
    errReader.join();
    outcome.maxRssKiB = usage.ru_maxrss;
    return outcome;
}
