// Faults on the line during a download or a firmware query: a device that goes away,
// a write that fails, junk, a slow trickle, a flood, a reply too late, a device that
// cannot be opened. Each ends with the exact report, the window at rest and the map,
// its file and the settings as they were.
#include "document/MapFile.h"
#include "link/Protocol.h"
#include "comm/frmCVDMXMapComm.h"
#include "toolkit/MsgBox.h"
#include "platform/Profile.h"
#include "platform/Stopwatch.h"
#include "kit/FileAccess.h"
#include "kit/MsgBoxScript.h"
#include "platform/PseudoTerminal.h"
#include "kit/SimProcess.h"
#include "kit/StallWatch.h"
#include "kit/TempHome.h"

#include <QProcess>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace modCVDMXMap;

namespace {

const QString kChecksumFault =
    QStringLiteral("Download Failed.\r\nChecksum Fault.\r\nDevice Will NOT Function Properly.");
const ShownBox kCommFault{"Comm Fault", 16, "Fault"};
const ShownBox kFailure{kChecksumFault, 16, "Download Failure"};
const ShownBox kComplete{"Download Complete", 0, "Downlaod"};
const ShownBox kInvalidPort{"Invalid COM Port.", 48, "COM Error"};

using Clock = std::chrono::steady_clock;

// A controller on the test's end of a pseudo-terminal, in a thread of its own. Each
// command it reads goes to the script with its number (from 0); the script answers
// through Write() and returns false to stop serving.
class StandIn {
public:
    using Script = std::function<bool(int index, const QByteArray &command, StandIn &line)>;

    StandIn(platform::PseudoTerminal &pty, Script script) : pty_(pty), script_(std::move(script))
    {
        thread_ = std::thread([this] { Serve(); });
    }
    ~StandIn() { Join(); }

    void Join()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    // Writes what the line takes within three seconds; stops early when the line is gone.
    void Write(const QByteArray &bytes)
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(3);
        qsizetype done = 0;
        while (done < bytes.size() && Clock::now() < deadline) {
            const ssize_t n = ::write(pty_.Master(), bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0) {
                done += n;
            } else if (n < 0 && errno == EAGAIN) {
                pollfd pfd{pty_.Master(), POLLOUT, 0};
                ::poll(&pfd, 1, 20);
            } else if (!(n < 0 && errno == EINTR)) {
                return;
            }
        }
    }
    QList<QByteArray> Received()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

private:
    void Serve()
    {
        QByteArray pending;
        int index = 0;
        while (!stop_) {
            pollfd pfd{pty_.Master(), POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0 || !(pfd.revents & POLLIN)) {
                // No one has the line open: a hang-up shows until the port is opened.
                if (pfd.revents & POLLHUP)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            char buf[4096];
            const ssize_t n = ::read(pty_.Master(), buf, sizeof buf);
            if (n <= 0)
                continue;
            pending.append(buf, int(n));
            int close;
            while ((close = pending.indexOf(']')) >= 0) {
                const QByteArray command = pending.left(close + 1);
                pending.remove(0, close + 1);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    received_.append(command);
                }
                if (!script_(index++, command, *this))
                    return;
            }
        }
    }

    platform::PseudoTerminal &pty_;
    Script script_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    QList<QByteArray> received_;
    std::thread thread_;
};

// The answer a good controller gives to each command, for the map of the test.
QByteArray GoodReply(const QByteArray &command)
{
    if (command == "[03]")
        return '[' + dmxlink::MapChecksumText(iDmxMap).toLatin1() + ']';
    if (command == "[04]")
        return "[CVDMX FW REV 1.01 ]";
    return "[01]";
}

// Writes text one character at a time, the first after firstMs, then one every stepMs.
void Trickle(StandIn &line, const QByteArray &text, int firstMs, int stepMs)
{
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < text.size(); ++i) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(firstMs + i * stepMs));
        line.Write(text.mid(i, 1));
    }
}

QByteArray Junk(int size)
{
    QByteArray junk(size, '\0');
    for (int i = 0; i < size; ++i)
        junk[i] = char("~#?[]\x00\xff\r\n"[i % 9]);
    return junk;
}

// The scripts of the stand-in controller, by name.
StandIn::Script StandInScript(const QString &name)
{
    if (name == "checksum trickles")
        return [](int, const QByteArray &command, StandIn &line) {
            if (command == "[03]")
                Trickle(line, GoodReply(command), 0, 100);
            else
                line.Write(GoodReply(command));
            return true;
        };
    if (name == "revision trickles")
        return [](int, const QByteArray &command, StandIn &line) {
            Trickle(line, GoodReply(command), 500, 100);
            return true;
        };
    if (name == "flood")
        return [](int, const QByteArray &command, StandIn &line) {
            if (command == "[03]" || command == "[04]") {
                line.Write(Junk(1 << 20));
                return false;
            }
            line.Write(GoodReply(command));
            return true;
        };
    // Answers blocks 0..2 and stops; the test then takes the line away.
    return [](int index, const QByteArray &command, StandIn &line) {
        line.Write(GoodReply(command));
        return index < 2;
    };
}

// Holds an exclusive flock on a device from another process, as a terminal program would.
class OtherProgramLock {
public:
    explicit OtherProgramLock(const QString &device)
    {
        proc_.start(QStringLiteral("flock"), {QStringLiteral("--exclusive"), device, QStringLiteral("sleep"),
                                              QStringLiteral("60")});
        if (!proc_.waitForStarted(10000))
            return;
        const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        for (int i = 0; i < 500 && fd >= 0 && !held_; ++i) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
                ::flock(fd, LOCK_UN);
            else
                held_ = errno == EWOULDBLOCK;
            if (!held_)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (fd >= 0)
            ::close(fd);
    }
    ~OtherProgramLock()
    {
        proc_.kill();
        proc_.waitForFinished(10000);
    }
    bool Held() const { return held_; }

private:
    QProcess proc_;
    bool held_ = false;
};

// The four controls enabled, the bar hidden and the port closed: the window at rest.
bool AtRest(const frmCVDMXMapComm &w)
{
    return w.cboComPort->isEnabled() && w.cmdDownload->isEnabled() && w.cmdFirmRev->isEnabled()
        && w.cmdClose->isEnabled() && w.pbDL->isHidden() && !w.comDev.PortOpen();
}

} // namespace

class TestLineFaults : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { home_.reset(); }
    void faultsEndWithTheReportAndLoseNothing_data();
    void faultsEndWithTheReportAndLoseNothing();

private:
    std::unique_ptr<TempHome> home_;
};

void TestLineFaults::init()
{
    home_.reset();
    home_ = std::make_unique<TempHome>();
    iComPort = 0;
    for (int i = 0; i < kChannels; ++i)
        iDmxMap[size_t(i)] = int16_t(i % 64);
    SetDevAdd(3);
    SetDevRange(11);
}

// Each row: the line (a simulator with its options, or a stand-in on the test's own
// pseudo-terminal), the operation, the one report expected, the commands the controller
// gets (-1: not counted), the longest the operation may take, and after a time-out or a
// port that did not open, the reply kept from the last exchange that ended in time.
void TestLineFaults::faultsEndWithTheReportAndLoseNothing_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QString>("standIn");
    QTest::addColumn<bool>("download");
    QTest::addColumn<ShownBox>("report");
    QTest::addColumn<int>("commands");
    QTest::addColumn<int>("maxMs");
    QTest::addColumn<QString>("kept");
    const QString none;
    QTest::newRow("device gone at block 0") << QStringList{"--drop-at", "0"} << none << true << kCommFault << -1 << 1500 << "before";
    QTest::newRow("device gone at block 7") << QStringList{"--drop-at", "7"} << none << true << kCommFault << -1 << 1500 << "[01]";
    QTest::newRow("write error at block 3") << QStringList() << "write error" << true << kCommFault << 3 << 1500 << "[01]";
    QTest::newRow("junk before every reply")
        << QStringList{"--junk", "01", "--junk", "03"} << none << true << kFailure << 9 << 1500 << none;
    QTest::newRow("junk before the revision")
        << QStringList{"--junk", "04"} << none << false
        << ShownBox{"~[CVDMX FW REV 1.0", 64, "Device Firmware Revision"} << 1 << 1500 << none;
    QTest::newRow("checksum trickles, 100 ms a character")
        << QStringList() << "checksum trickles" << true << kComplete << 9 << 4000 << none;
    QTest::newRow("revision trickles, 100 ms a character from 500 ms")
        << QStringList() << "revision trickles" << false << kCommFault << 1 << 3000 << "before";
    QTest::newRow("1 MB of junk answering the checksum query")
        << QStringList() << "flood" << true << kFailure << 9 << 2000 << none;
    QTest::newRow("1 MB of junk answering the revision query")
        << QStringList() << "flood" << false
        << ShownBox{QString::fromLatin1(Junk(19).mid(1)), 64, "Device Firmware Revision"} << 1 << 2000 << none;
    QTest::newRow("checksum reply 200 ms after the limit")
        << QStringList{"--late", "03", "--delay", "2200"} << none << true << kCommFault << 9 << 3000 << "[01]";
    QTest::newRow("permission denied") << QStringList() << "no permission" << true << kInvalidPort << 0 << 1500 << "before";
    QTest::newRow("in use by another program") << QStringList() << "other program" << true << kInvalidPort << 0
                                                << 1500 << "before";
    QTest::newRow("in use by another program, firmware")
        << QStringList() << "other program" << false << kInvalidPort << 0 << 1500 << "before";
}

void TestLineFaults::faultsEndWithTheReportAndLoseNothing()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QString, standIn);
    QFETCH(bool, download);
    QFETCH(ShownBox, report);
    QFETCH(int, commands);
    QFETCH(int, maxMs);
    QFETCH(QString, kept);

    // A titled map with unsaved edits, its file on disk.
    QDir().mkpath(home_->WorkFolder());
    sMapFile = home_->WorkFolder() + QStringLiteral("/stage.CVX");
    QVERIFY(WriteMapFile().kind == MapFileError::None);
    const QByteArray fileBefore = MapToBytes(iDmxMap);
    iDmxMap[0] = 9;
    bMapChanged = true;
    const MapTable mapBefore = iDmxMap;

    std::unique_ptr<SimProcess> sim;
    platform::PseudoTerminal pty;
    QString device;
    if (standIn.isEmpty()) {
        sim = std::make_unique<SimProcess>(QStringList{"--port", "COM1"} + simArgs);
        QVERIFY(sim->Started());
    } else {
        QVERIFY(pty.Ok());
        QVERIFY(platform::WritePrivateProfileString("Ports", "COM1", QFile::encodeName(pty.Path()),
                                          home_->SettingsFile()));
    }
    std::unique_ptr<StandIn> line;
    if (standIn != "no permission" && standIn != "other program" && !standIn.isEmpty())
        line = std::make_unique<StandIn>(pty, StandInScript(standIn));
    std::unique_ptr<OtherProgramLock> lock;
    if (standIn == "other program") {
        lock = std::make_unique<OtherProgramLock>(pty.Path());
        QVERIFY(lock->Held());
    }
    if (standIn == "no permission")
        QVERIFY(::chmod(QFile::encodeName(pty.Path()).constData(), 0) == 0);

    frmCVDMXMapComm w;
    w.Form_Load();
    w.sReply = QStringLiteral("before");
    const QByteArray settingsBefore = home_->ReadSettings();
    QList<ShownBox> boxes;
    toolkit::SetMsgBoxResponder([&](const QString &text, int buttons, const QString &title) {
        boxes.append({text, buttons, title});
        return int(toolkit::vbOK);
    });
    int largestWaiting = 0;
    QObject::connect(w.pbDL, &QProgressBar::valueChanged, &w, [&](int block) {
        largestWaiting = std::max(largestWaiting, w.comDev.InBufferCount());
        if (standIn == "write error" && block == 3) {
            line->Join();
            pty.HangUp();
        }
    });

    const StallWatch stalls;
    platform::Stopwatch sw;
    {
        std::unique_ptr<NoPermissionOverride> noOverride;
        if (standIn == "no permission") {
            noOverride = std::make_unique<NoPermissionOverride>();
            QVERIFY(noOverride->Ok());
            errno = 0;
            QCOMPARE(::open(QFile::encodeName(pty.Path()).constData(), O_RDWR | O_NONBLOCK), -1);
            QCOMPARE(errno, EACCES);
        }
        if (download)
            w.cmdDownload_Click();
        else
            w.cmdFirmRev_Click();
    }
    const int32_t elapsed = sw.Read();
    toolkit::SetMsgBoxResponder({});

    CVDMX_SKIP_IF_HELD_UP(stalls, boxes == QList<ShownBox>{kCommFault} && !(report == kCommFault), 200);
    QCOMPARE(boxes, QList<ShownBox>{report});
    QVERIFY2(elapsed < maxMs, qPrintable(QString::number(elapsed)));
    QVERIFY(AtRest(w));
    QVERIFY(w.sReply.size() <= platform::SerialPort::kReceiveBufferSize);
    QVERIFY(largestWaiting <= platform::SerialPort::kReceiveBufferSize);
    // A time-out or a port that did not open keeps the reply of the last exchange that ended in time.
    if (report == kCommFault || report == kInvalidPort)
        QCOMPARE(w.sReply, kept);
    QVERIFY(iDmxMap == mapBefore);
    QCOMPARE(bMapChanged, true);
    QCOMPARE(sMapFile, home_->WorkFolder() + QStringLiteral("/stage.CVX"));
    QFile file(sMapFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), fileBefore);
    QCOMPARE(int(iComPort), 0);
    QCOMPARE(platform::GetPrivateProfileString("Download", "Com Port", "", home_->SettingsFile()),
             QByteArray("1"));
    if (sim && simArgs.value(0) != "--drop-at")
        QCOMPARE(home_->ReadSettings(), settingsBefore);

    if (line)
        line->Join();
    QList<QByteArray> received;
    if (sim && commands >= 0)
        received = sim->Received();
    else if (line)
        received = line->Received();
    if (commands >= 0) {
        QCOMPARE(received.size(), commands);
        for (int b = 0; b < commands && b < dmxlink::kBlocks && download; ++b)
            QCOMPARE(received[b], dmxlink::BlockFrame(mapBefore, b).toLatin1());
        if (commands == 9)
            QCOMPARE(received[8], QByteArray("[03]"));
        if (!download && commands == 1)
            QCOMPARE(received[0], QByteArray("[04]"));
    }
    if (standIn == "no permission")
        QCOMPARE(pty.Read(1, 100), QByteArray());
}

QTEST_MAIN(TestLineFaults)
#include "test_linefaults.moc"
