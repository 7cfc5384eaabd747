// Faults on the line during a download or a firmware query from the communications
// window: silence, short and late replies, junk, a device that goes away, a write that
// fails, a port that cannot be opened. The fault matrix runs the window's handlers on a
// scripted line with a fake clock; a few cases of each class run over real pseudo-terminals,
// with the simulator or a stand-in controller. Each ends with the exact report, the window
// at rest, and the map, its file and the settings as they were.
#include "comm/frmCVDMXMapComm.h"
#include "document/MapFile.h"
#include "editor/DocumentGlobals.h"
#include "kit/Boxes.h"
#include "kit/CommWindow.h"
#include "kit/FileAccess.h"
#include "kit/Files.h"
#include "kit/Maps.h"
#include "kit/PtyController.h"
#include "kit/ScriptedLine.h"
#include "kit/SimProcess.h"
#include "kit/TempHome.h"
#include "link/Exchange.h"
#include "link/Protocol.h"
#include "platform/Profile.h"

#include <QProcess>
#include <QtTest>

#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace modCVDMXMap;

namespace {

const MapTable kMap = MapOf([](int i) { return int16_t(i % 64); }, 3, 11);
const QByteArray kChecksumReply = '[' + dmxlink::MapChecksumText(kMap).toLatin1() + ']';
const QByteArray kRevisionReply = "[REV 2.05 ABCDEFGHI]";
const QString kRevision = QStringLiteral("REV 2.05 ABCDEFGHI");
// The device the settings file names for COM1 in the matrix; the scripted line opens nothing.
const QString kDevice = QStringLiteral("/dev/cvdmx-scripted");
// How long a good controller takes to answer, on the fake clock.
constexpr int kReplyMs = 12;

// The nine commands of a download of kMap, the first n of them.
QList<QByteArray> Commands(int n)
{
    return (Frames(kMap, dmxlink::kBlocks) << "[03]").mid(0, n);
}

// A controller that answers every command of a download in kReplyMs, except the one at
// index k (0..7 a block, 8 the checksum query), which takes step's part.
ScriptedLine::Script Download(int k = -1, std::optional<ScriptedLine::Step> step = {})
{
    ScriptedLine::Script script;
    for (int b = 0; b < dmxlink::kBlocks; ++b)
        script << Answer(Commands(9)[b], "[01]", kReplyMs);
    script << Answer("[03]", kChecksumReply, kReplyMs);
    if (step)
        script[k] = *step;
    return script;
}

ScriptedLine::Step Checksum(const QByteArray &reply, int atMs = kReplyMs)
{
    return Answer("[03]", reply, atMs);
}

QByteArray Junk(int size)
{
    QByteArray junk(size, '\0');
    for (int i = 0; i < size; ++i)
        junk[i] = char("~#?[]\x00\xff\r\n"[i % 9]);
    return junk;
}

// Holds an exclusive flock on a device from another process, as a terminal program would.
// The process is flock(1) itself, turned into sleep without a fork, so ending it ends the
// lock and leaves no process behind.
class OtherProgramLock {
public:
    explicit OtherProgramLock(const QString &device)
    {
        proc_.start(QStringLiteral("flock"),
                    {QStringLiteral("--exclusive"), QStringLiteral("--no-fork"), device, QStringLiteral("sleep"),
                     QStringLiteral("60")});
        if (!proc_.waitForStarted(10000))
            return;
        const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        for (int i = 0; i < 1000 && fd >= 0 && !held_; ++i) {
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

} // namespace

class TestLineFaults : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { home_.reset(); }
    void faultMatrix_data();
    void faultMatrix();
    void endToEnd_data();
    void endToEnd();

private:
    // A titled map with unsaved edits, its file on disk; what the run must leave alone:
    // the map, its file, the port and the settings file (wholeSettings), or its port line
    // only.
    void StageDocument();
    void VerifyDocumentUntouched(bool wholeSettings = true) const;

    std::unique_ptr<TempHome> home_;
    QByteArray fileBefore_;
    QByteArray settingsBefore_;
};

void TestLineFaults::init()
{
    home_.reset();
    home_ = std::make_unique<TempHome>();
    iComPort = 0;
}

void TestLineFaults::StageDocument()
{
    MapTable saved = kMap;
    saved[0] = 9;
    QVERIFY(QDir().mkpath(home_->WorkFolder()));
    sMapFile = home_->WorkFolder() + QStringLiteral("/stage.CVX");
    fileBefore_ = MapToBytes(saved);
    QVERIFY(WriteBytes(sMapFile, fileBefore_));
    iDmxMap = kMap;
    bMapChanged = true;
}

void TestLineFaults::VerifyDocumentUntouched(bool wholeSettings) const
{
    QVERIFY(iDmxMap == kMap);
    QCOMPARE(bMapChanged, true);
    QCOMPARE(sMapFile, home_->WorkFolder() + QStringLiteral("/stage.CVX"));
    QCOMPARE(ReadBytes(sMapFile), fileBefore_);
    QCOMPARE(int(iComPort), 0);
    QCOMPARE(platform::GetPrivateProfileString("Download", "Com Port", "", home_->SettingsFile()), QByteArray("1"));
    if (wholeSettings)
        QCOMPARE(home_->ReadSettings(), settingsBefore_);
}

// Each row: download or firmware query, the controller's script, a port that cannot be
// opened ("open") or cannot raise DTR ("dtr"), the one report expected, the frames sent
// byte for byte, the reply held afterwards ("before": the one held before the command),
// bCommFault, and the fake time at which the command ended.
void TestLineFaults::faultMatrix_data()
{
    QTest::addColumn<bool>("download");
    QTest::addColumn<ScriptedLine::Script>("script");
    QTest::addColumn<QString>("port");
    QTest::addColumn<ShownBox>("box");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("commFault");
    QTest::addColumn<int>("ms");
    const QString none;
    const QString sum = QString::fromLatin1(kChecksumReply);
    const int blocks = 8 * kReplyMs;
    const int limit = dmxlink::Exchange::kLimitMs;

    QTest::newRow("download complete") << true << Download() << none << kCompleteBox << Commands(9) << sum << false
                                       << 9 * kReplyMs;
    QTest::newRow("silence on block 1") << true << Download(0, Silent(Commands(1)[0])) << none << kCommFaultBox
                                        << Commands(1) << "before" << true << limit;
    QTest::newRow("silence on block 4") << true << Download(3, Silent(Commands(4)[3])) << none << kCommFaultBox
                                        << Commands(4) << "[01]" << true << 3 * kReplyMs + limit;
    QTest::newRow("silence on block 8") << true << Download(7, Silent(Commands(8)[7])) << none << kCommFaultBox
                                        << Commands(8) << "[01]" << true << 7 * kReplyMs + limit;
    QTest::newRow("block 1 answered with 3 of 4 characters")
        << true << Download(0, Answer(Commands(1)[0], "[01", kReplyMs)) << none << kCommFaultBox << Commands(1)
        << "before" << true << limit;
    QTest::newRow("block 2 answered 200 ms after the limit")
        << true << Download(1, Answer(Commands(2)[1], "[01]", limit + 200)) << none << kCommFaultBox << Commands(2)
        << "[01]" << true << kReplyMs + limit;
    QTest::newRow("silence on the checksum query") << true << Download(8, Silent("[03]")) << none << kCommFaultBox
                                                   << Commands(9) << "[01]" << true << blocks + limit;
    QTest::newRow("checksum answered with 17 of 18 characters")
        << true << Download(8, Checksum(kChecksumReply.chopped(1))) << none << kCommFaultBox << Commands(9) << "[01]"
        << true << blocks + limit;
    QTest::newRow("checksum complete 1 ms before the limit")
        << true << Download(8, Checksum(kChecksumReply, limit - 1)) << none << kCompleteBox << Commands(9) << sum
        << false << blocks + limit - 1;
    // The wait ends with the reply complete, but the stopwatch read after the wait decides.
    QTest::newRow("checksum complete right at the limit")
        << true << Download(8, Checksum(kChecksumReply, limit)) << none << kCommFaultBox << Commands(9) << "[01]"
        << true << blocks + limit;
    QTest::newRow("checksum trickles, 100 ms a character")
        << true << Download(8, Trickles("[03]", kChecksumReply, 0, 100)) << none << kCompleteBox << Commands(9) << sum
        << false << blocks + 1700;
    QTest::newRow("checksum in three pieces")
        << true
        << Download(
               8,
               InPieces("[03]",
                        {{5, kChecksumReply.left(1)}, {900, kChecksumReply.mid(1, 9)}, {1500, kChecksumReply.mid(10)}}))
        << none << kCompleteBox << Commands(9) << sum << false << blocks + 1500;
    QTest::newRow("checksum with a wrong digit")
        << true << Download(8, Checksum(kChecksumReply.chopped(2) + "0]")) << none << kChecksumFaultBox << Commands(9)
        << sum.chopped(2) + "0]" << false << 9 * kReplyMs;
    QTest::newRow("checksum in lower case")
        << true << Download(8, Checksum(kChecksumReply.toLower())) << none << kChecksumFaultBox << Commands(9)
        << sum.toLower() << false << 9 * kReplyMs;
    QTest::newRow("junk before the checksum")
        << true << Download(8, Checksum("~~" + kChecksumReply)) << none << kChecksumFaultBox << Commands(9)
        << "~~" + sum << false << 9 * kReplyMs;
    QTest::newRow("characters after the checksum")
        << true << Download(8, Checksum(kChecksumReply + "ZZZZ")) << none << kCompleteBox << Commands(9) << sum + "ZZZZ"
        << false << 9 * kReplyMs;
    QTest::newRow("device gone before block 1 is answered") << true << Download(0, HangsUp(Commands(1)[0], 5)) << none
                                                            << kCommFaultBox << Commands(1) << "before" << true << 5;
    QTest::newRow("device gone at block 8, after part of its reply") << true << Download(7, [] {
        ScriptedLine::Step step = Answer(Commands(8)[7], "[0", 3);
        step.hangUpAtMs = 7;
        return step;
    }()) << none << kCommFaultBox << Commands(8) << "[01]" << true << 7 * kReplyMs + 7;
    QTest::newRow("write error at block 4") << true << Download(3, WriteFails(Commands(4)[3])) << none << kCommFaultBox
                                            << Commands(4) << "[01]" << true << 3 * kReplyMs;
    QTest::newRow("write error at the checksum query")
        << true << Download(8, WriteFails("[03]")) << none << kCommFaultBox << Commands(9) << "[01]" << true << blocks;
    QTest::newRow("download: port cannot be opened")
        << true << Download() << "open" << kInvalidPortBox << QList<QByteArray>() << "before" << false << 0;
    QTest::newRow("download: DTR cannot be raised")
        << true << Download() << "dtr" << kInvalidPortBox << QList<QByteArray>() << "before" << false << 0;

    const QList<QByteArray> query{"[04]"};
    const QString revision = QString::fromLatin1(kRevisionReply);
    auto firmware = [](const ScriptedLine::Step &step) { return ScriptedLine::Script{step}; };
    QTest::newRow("revision, 20 characters") << false << firmware(Answer("[04]", kRevisionReply, kReplyMs)) << none
                                             << RevisionBox(kRevision) << query << revision << false << kReplyMs;
    QTest::newRow("revision, 21 characters")
        << false << firmware(Answer("[04]", kRevisionReply + "#", kReplyMs)) << none << RevisionBox(kRevision) << query
        << revision + "#" << false << kReplyMs;
    QTest::newRow("revision, 19 characters") << false << firmware(Answer("[04]", kRevisionReply.chopped(1), kReplyMs))
                                             << none << kCommFaultBox << query << "before" << true << limit;
    QTest::newRow("revision: silence") << false << firmware(Silent("[04]")) << none << kCommFaultBox << query
                                       << "before" << true << limit;
    QTest::newRow("revision: junk first shifts the text")
        << false << firmware(Answer("[04]", "~~" + kRevisionReply, kReplyMs)) << none
        << RevisionBox(QStringLiteral("~[REV 2.05 ABCDEFG")) << query << "~~" + revision << false << kReplyMs;
    QTest::newRow("revision trickles, 100 ms a character from 500 ms")
        << false << firmware(Trickles("[04]", kRevisionReply, 500, 100)) << none << kCommFaultBox << query << "before"
        << true << limit;
    QTest::newRow("revision complete right at the limit")
        << false << firmware(Answer("[04]", kRevisionReply, limit)) << none << kCommFaultBox << query << "before"
        << true << limit;
    QTest::newRow("revision: device gone")
        << false << firmware(HangsUp("[04]", 40)) << none << kCommFaultBox << query << "before" << true << 40;
    QTest::newRow("revision: write error")
        << false << firmware(WriteFails("[04]")) << none << kCommFaultBox << query << "before" << true << 0;
    QTest::newRow("revision: port cannot be opened") << false << firmware(Silent("[04]")) << "open" << kInvalidPortBox
                                                     << QList<QByteArray>() << "before" << false << 0;
    QTest::newRow("revision: DTR cannot be raised") << false << firmware(Silent("[04]")) << "dtr" << kInvalidPortBox
                                                    << QList<QByteArray>() << "before" << false << 0;
}

void TestLineFaults::faultMatrix()
{
    QFETCH(bool, download);
    QFETCH(ScriptedLine::Script, script);
    QFETCH(QString, port);
    QFETCH(ShownBox, box);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QString, reply);
    QFETCH(bool, commFault);
    QFETCH(int, ms);
    home_->WriteSettings("[Ports]\nCOM1=" + QFile::encodeName(kDevice) + "\n");
    StageDocument();
    ScriptedLine line(script);
    if (port == "open")
        line.FailOpen(QStringLiteral("open: Permission denied"));
    if (port == "dtr")
        line.FailDtr(QStringLiteral("DTR: Input/output error"));
    frmCVDMXMapComm w(CommWindowDocument(), nullptr, &line, &line);
    w.Form_Load();
    w.sReply = QStringLiteral("before");
    settingsBefore_ = home_->ReadSettings();
    CommWindowLog log(w);

    if (download)
        w.cmdDownload_Click();
    else
        w.cmdFirmRev_Click();

    QCOMPARE(log.boxes, QList<ShownBox>{box});
    QCOMPARE(line.Sent(), sent);
    QCOMPARE(line.Unexpected(), 0);
    QCOMPARE(line.Opened(), QStringList{kDevice});
    QCOMPARE(w.sReply, reply);
    QCOMPARE(w.bCommFault, commFault);
    QCOMPARE(line.Now(), int64_t(ms));
    QVERIFY(AtRest(w));
    QStringList expectedLog{"box " + box.title + " [closed]"};
    if (box == kCommFaultBox)
        expectedLog = QStringList{"box Fault [open]"};
    if (download && !(box == kInvalidPortBox))
        expectedLog = DownloadLog(int(std::min<qsizetype>(sent.size(), 8)) - 1, box.title, !(box == kCompleteBox));
    QCOMPARE(log.log, expectedLog);
    VerifyDocumentUntouched();
}

// Each row: the simulator's options, or a stand-in controller on the test's own
// pseudo-terminal (its script, or the fault made on it), download or firmware query,
// the one report expected, the commands the controller gets (-1: not counted), and after
// a time-out or a port that did not open, the reply kept from the last exchange that
// ended in time.
void TestLineFaults::endToEnd_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QString>("standIn");
    QTest::addColumn<bool>("download");
    QTest::addColumn<ShownBox>("report");
    QTest::addColumn<int>("commands");
    QTest::addColumn<QString>("kept");
    const QString none;
    QTest::newRow("device gone at block 1")
        << QStringList{"--drop-at", "0"} << none << true << kCommFaultBox << -1 << "before";
    QTest::newRow("device gone at block 8")
        << QStringList{"--drop-at", "7"} << none << true << kCommFaultBox << -1 << "[01]";
    QTest::newRow("write error at block 4") << QStringList() << "write error" << true << kCommFaultBox << 3 << "[01]";
    QTest::newRow("junk before every reply")
        << QStringList{"--junk", "01", "--junk", "03"} << none << true << kChecksumFaultBox << 9 << none;
    QTest::newRow("junk before the revision") << QStringList{"--junk", "04"} << none << false
                                              << RevisionBox(QStringLiteral("~[CVDMX FW REV 1.0")) << 1 << none;
    // The serial port holds 1024 bytes; the rest waits in the driver.
    QTest::newRow("1 MB of junk answering the checksum query")
        << QStringList() << "flood" << true << kChecksumFaultBox << 9 << none;
    QTest::newRow("1 MB of junk answering the revision query")
        << QStringList() << "flood" << false << RevisionBox(QString::fromLatin1(Junk(19).mid(1))) << 1 << none;
    QTest::newRow("silence on block 4: a real time-out")
        << QStringList{"--silent", "01:3"} << none << true << kCommFaultBox << 4 << "[01]";
    QTest::newRow("permission denied") << QStringList() << "no permission" << true << kInvalidPortBox << 0 << "before";
    QTest::newRow("in use by another program")
        << QStringList() << "other program" << true << kInvalidPortBox << 0 << "before";
    QTest::newRow("in use by another program, firmware")
        << QStringList() << "other program" << false << kInvalidPortBox << 0 << "before";
    QTest::newRow("missing device, firmware")
        << QStringList() << "missing" << false << kInvalidPortBox << 0 << "before";
    QTest::newRow("not a terminal") << QStringList() << "regular file" << true << kInvalidPortBox << 0 << "before";
}

void TestLineFaults::endToEnd()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QString, standIn);
    QFETCH(bool, download);
    QFETCH(ShownBox, report);
    QFETCH(int, commands);
    QFETCH(QString, kept);
    StageDocument();

    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<PtyController> controller;
    QString device;
    if (standIn.isEmpty()) {
        sim = std::make_unique<SimProcess>(QStringList{"--port", "COM1"} + simArgs);
        QVERIFY(sim->Started());
    } else {
        // Blocks are answered; the flood answers a query with junk, the others answer
        // blocks 1 to 3 only.
        const bool flood = standIn == "flood";
        controller
            = std::make_unique<PtyController>([flood](int index, const QByteArray &command, PtyController &line) {
                  if (flood && (command == "[03]" || command == "[04]")) {
                      line.Write(Junk(1 << 20));
                      return false;
                  }
                  line.Write("[01]");
                  return flood || index < 2;
              });
        QVERIFY(controller->Ok());
        device = controller->Path();
        if (standIn == "missing")
            device = home_->Path() + QStringLiteral("/ttyGone");
        if (standIn == "regular file") {
            device = home_->Path() + QStringLiteral("/notatty");
            QVERIFY(WriteBytes(device, QByteArray()));
        }
        QVERIFY(platform::WritePrivateProfileString("Ports", "COM1", QFile::encodeName(device), home_->SettingsFile()));
    }
    std::unique_ptr<OtherProgramLock> lock;
    if (standIn == "other program") {
        lock = std::make_unique<OtherProgramLock>(device);
        QVERIFY(lock->Held());
    }
    std::optional<TemporaryMode> noAccess;
    if (standIn == "no permission") {
        noAccess.emplace(device, 0u);
        QVERIFY(noAccess->Ok());
    }

    frmCVDMXMapComm w(CommWindowDocument());
    w.Form_Load();
    w.sReply = QStringLiteral("before");
    settingsBefore_ = home_->ReadSettings();
    CommWindowLog log(w);
    int largestWaiting = 0;
    QObject::connect(w.pbDL, &QProgressBar::valueChanged, &w, [&](int block) {
        largestWaiting = std::max(largestWaiting, w.comDev().InBufferCount());
        if (standIn == "write error" && block == 3) {
            controller->Stop();
            controller->HangUp();
        }
    });
    {
        std::optional<NoPermissionOverride> noOverride;
        if (standIn == "no permission") {
            noOverride.emplace();
            QVERIFY(noOverride->Ok());
            QCOMPARE(::open(QFile::encodeName(device).constData(), O_RDWR | O_NONBLOCK), -1);
            QCOMPARE(errno, EACCES);
        }
        if (download)
            w.cmdDownload_Click();
        else
            w.cmdFirmRev_Click();
    }

    QCOMPARE(log.boxes, QList<ShownBox>{report});
    QCOMPARE(w.bCommFault, report == kCommFaultBox);
    QVERIFY(AtRest(w));
    QVERIFY(w.sReply.size() <= platform::SerialPort::kReceiveBufferSize);
    QVERIFY(largestWaiting <= platform::SerialPort::kReceiveBufferSize);
    // A time-out or a port that did not open keeps the reply of the last exchange that ended in time.
    if (report == kCommFaultBox || report == kInvalidPortBox)
        QCOMPARE(w.sReply, kept);
    if (report == kInvalidPortBox)
        QCOMPARE(log.log, QStringList{"box COM Error [closed]"});
    // A simulator that drops its line points COM1 at the new one.
    VerifyDocumentUntouched(!simArgs.contains(QStringLiteral("--drop-at")));

    QList<QByteArray> received;
    if (controller) {
        controller->Stop();
        received = controller->Commands();
    } else if (commands >= 0) {
        received = sim->Received();
    }
    if (commands >= 0) {
        const QList<QByteArray> expected = download ? Commands(commands) : QList<QByteArray>{"[04]"}.mid(0, commands);
        QCOMPARE(received, expected);
    }
}

QTEST_MAIN(TestLineFaults)
#include "test_linefaults.moc"
