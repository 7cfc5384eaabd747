// cvdmx-sim: a controller on a pseudo-terminal, for tests and users without hardware.
#include "document/MapFile.h"
#include "platform/ComPorts.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"
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

constexpr int kCannotWrite = 1; // the --save file or the settings file

const char kUsage[]
    = "Usage: cvdmx-sim [options]\n"
      "Stands in for a QRT Corvanta DMX controller on a pseudo-terminal. Prints the path\n"
      "of the line on the first line of its output, then one line per command received\n"
      "(\"rx [..]\"). Ends on SIGINT or SIGTERM.\n"
      "\n"
      "  --port COMn        write the line's path into section [Ports], key COMn, of the\n"
      "                     editor's settings file, so that the editor's COMn reaches it;\n"
      "                     ends with status 1 when that file cannot be written\n"
      "  --port DEVICE      serve on this serial device (a path such as /dev/ttyUSB1,\n"
      "                     wired to the editor's port) instead of a pseudo-terminal\n"
      "  --save FILE        on exit, write the map held as a 1028-byte map file (entries\n"
      "                     0..511 as received, 255 where nothing was received;\n"
      "                     device address and range 0)\n"
      "  --revision TEXT    the 18 characters answered to [04]\n"
      "\n"
      "Misbehaving. WHAT is 01 (every block), 01:N (block N, 0..7), 03 or 04;\n"
      "each of these may be given more than once:\n"
      "  --silent WHAT      never answer WHAT\n"
      "  --short WHAT       answer WHAT one character short\n"
      "  --extra WHAT       add --extra-text (default \"#\") after the answer to WHAT\n"
      "  --junk WHAT        send --junk-text (default \"~~\") before the answer to WHAT\n"
      "  --late WHAT        answer WHAT after --delay MS (default 1500)\n"
      "  --bad-checksum     report a wrong checksum to [03]\n"
      "  --lower-checksum   report the checksum in lower-case digits\n"
      "  --drop-at N        close the line, unanswered, when block N arrives; then open\n"
      "                     a new line, print its path and update --port\n"
      "  --help             show this text\n"
      "\n"
      "Exit status: 0 ended by a signal or --help, 1 the --save file or the settings\n"
      "file cannot be written, 2 a bad option or no line to serve on.\n";

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

struct Options {
    sim::Behaviour behaviour;
    std::optional<platform::ComPort> comPort; // the port to point at the pseudo-terminal
    QString device;                           // a serial device to serve on instead
    QString saveFile;
};

[[noreturn]] void Fail(const QString &message)
{
    std::fprintf(stderr, "cvdmx-sim: %s\n", message.toLocal8Bit().constData());
    std::exit(2);
}

Options ParseOptions(const QStringList &args)
{
    Options o;
    auto value = [&](int &i) {
        if (i + 1 >= args.size())
            Fail(args[i] + QStringLiteral(" needs a value"));
        return args[++i];
    };
    auto target = [&](int &i, QList<sim::Target> &list) {
        sim::Target t;
        const QString text = value(i);
        if (!sim::ParseTarget(text, &t))
            Fail(QStringLiteral("not a command: ") + text);
        list.append(t);
    };
    auto number = [&](int &i) {
        bool ok = false;
        const int n = value(i).toInt(&ok);
        if (!ok || n < 0)
            Fail(args[i - 1] + QStringLiteral(" needs a number"));
        return n;
    };
    sim::Behaviour &b = o.behaviour;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (a == QLatin1String("--port")) {
            const QString port = value(i);
            if (port.contains(QLatin1Char('/')))
                o.device = port;
            else
                o.comPort = platform::ComPort::FromName(port);
            if (o.device.isEmpty() && !o.comPort)
                Fail(QStringLiteral("--port takes COM1 .. COM8 or a device path, not ") + port);
        } else if (a == QLatin1String("--save")) {
            o.saveFile = value(i);
        } else if (a == QLatin1String("--revision")) {
            b.revision = value(i).toLatin1();
        } else if (a == QLatin1String("--silent")) {
            target(i, b.silent);
        } else if (a == QLatin1String("--short")) {
            target(i, b.shortReply);
        } else if (a == QLatin1String("--extra")) {
            target(i, b.extra);
        } else if (a == QLatin1String("--extra-text")) {
            b.extraText = value(i).toLatin1();
        } else if (a == QLatin1String("--junk")) {
            target(i, b.junk);
        } else if (a == QLatin1String("--junk-text")) {
            b.junkText = value(i).toLatin1();
        } else if (a == QLatin1String("--late")) {
            target(i, b.late);
        } else if (a == QLatin1String("--delay")) {
            b.lateMs = number(i);
        } else if (a == QLatin1String("--bad-checksum")) {
            b.wrongChecksum = true;
        } else if (a == QLatin1String("--lower-checksum")) {
            b.lowerChecksum = true;
        } else if (a == QLatin1String("--drop-at")) {
            b.dropAtBlock = number(i);
        } else {
            Fail(QStringLiteral("unknown option ") + a + QStringLiteral(" (see --help)"));
        }
    }
    return o;
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
    return Serve(ParseOptions(args));
}
