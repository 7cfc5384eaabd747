// cvdmx-sim: a controller on a pseudo-terminal, for tests and users without hardware.
#include "document/MapFile.h"
#include "platform/ComPorts.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"
#include "sim/Options.h"
#include "sim/SimController.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <optional>
#include <poll.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using sim::Options;

constexpr int kCannotWrite = 1; // the --save file or the settings file

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

[[noreturn]] void Fail(const QString &message)
{
    std::fprintf(stderr, "cvdmx-sim: %s\n", message.toLocal8Bit().constData());
    std::exit(2);
}

// The controller's end of the line: a pseudo-terminal, or a serial device.
struct Line {
    std::unique_ptr<platform::PseudoTerminal> pty;
    platform::SerialPort device;
    QString path;

    int Fd() const { return device.PortOpen() ? device.Handle() : pty->Master(); }
    // Gives up on what nobody takes within a second (the editor's side is full).
    void Write(const QByteArray &bytes)
    {
        if (device.PortOpen())
            device.Output(bytes);
        else
            pty->Write(bytes, 1000);
    }
};

void OpenLine(const Options &o, Line &line)
{
    if (!o.device.isEmpty()) {
        QString reason;
        if (!line.device.Open(o.device, &reason))
            Fail(o.device + QStringLiteral(": ") + reason);
        line.path = o.device;
        return;
    }
    line.pty = std::make_unique<platform::PseudoTerminal>();
    if (!line.pty->Ok())
        Fail(QStringLiteral("cannot open a pseudo-terminal: ") + line.pty->Error());
    line.path = line.pty->Path();
}

// The settings file is written first: whoever reads the path can rely on it. False, and
// nothing announced, when it cannot be written: the editor would not reach this line.
bool Announce(const Options &o, const Line &line)
{
    if (o.comPort) {
        const QString settings = modCVDMXMap::SettingsFilePath();
        QDir().mkpath(QFileInfo(settings).path());
        QString reason;
        if (!o.comPort->SetDevice(line.path, settings, &reason)) {
            std::fprintf(stderr, "cvdmx-sim: cannot write %s: %s\n", settings.toLocal8Bit().constData(),
                         reason.toLocal8Bit().constData());
            return false;
        }
    }
    std::printf("%s\n", QFile::encodeName(line.path).constData());
    std::fflush(stdout);
    return true;
}

struct Pending {
    Clock::time_point due;
    QByteArray reply;
};

int Serve(const Options &o)
{
    // Signals are taken from before the line is announced: whoever reads its path may stop
    // the simulator at once, and must find the map saved.
    sigset_t blocked, waiting;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &waiting);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    sigdelset(&waiting, SIGINT);
    sigdelset(&waiting, SIGTERM);

    sim::Controller controller(o.behaviour);
    Line line;
    OpenLine(o, line);
    if (!Announce(o, line))
        return kCannotWrite;

    std::deque<Pending> pending;
    bool announced = true;
    while (!g_stop && announced) {
        const Clock::time_point now = Clock::now();
        while (!pending.empty() && pending.front().due <= now) {
            line.Write(pending.front().reply);
            pending.pop_front();
        }
        timespec timeout{1, 0};
        if (!pending.empty()) {
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(pending.front().due - now).count();
            timeout = {time_t(ns / 1000000000), long(ns % 1000000000)};
        }
        pollfd pfd{line.Fd(), POLLIN, 0};
        const int r = ppoll(&pfd, 1, &timeout, &waiting);
        if (r <= 0)
            continue;
        char buf[4096];
        const ssize_t n = ::read(line.Fd(), buf, sizeof buf);
        if (n <= 0)
            continue;
        for (const sim::Answer &a : controller.Feed(QByteArray(buf, int(n)))) {
            std::printf("rx %s\n", a.frame.constData());
            std::fflush(stdout);
            if (a.drop) {
                pending.clear();
                line.device.Close();
                line.pty.reset();
                OpenLine(o, line);
                announced = Announce(o, line);
                break;
            }
            if (!a.reply.isEmpty())
                pending.push_back({Clock::now() + std::chrono::milliseconds(a.delayMs), a.reply});
        }
    }

    if (!o.saveFile.isEmpty()) {
        const modCVDMXMap::MapFileError error = modCVDMXMap::WriteMap(o.saveFile, controller.Map());
        if (error.kind != modCVDMXMap::MapFileError::None) {
            std::fprintf(stderr, "cvdmx-sim: cannot write %s: %s\n", o.saveFile.toLocal8Bit().constData(),
                         error.reason.toLocal8Bit().constData());
            return kCannotWrite;
        }
    }
    return announced ? 0 : kCannotWrite;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    Options options;
    QString mistake;
    if (!sim::ParseOptions(args, &options, &mistake))
        Fail(mistake);
    if (options.help) {
        std::fputs(sim::UsageText(), stdout);
        return 0;
    }
    return Serve(options);
}
