// cvdmxmap-cli against the controller simulator on a pseudo-terminal: download, verify,
// revision, identify, and ports that cannot be used.
#include "document/MapFile.h"
#include "document/MapLabels.h"
#include "kit/CliRun.h"
#include "kit/FileAccess.h"
#include "kit/Files.h"
#include "kit/Maps.h"
#include "kit/PtyController.h"
#include "kit/SimProcess.h"
#include "kit/TempHome.h"
#include "link/Protocol.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>
#include <grp.h>
#include <linux/capability.h>
#include <map>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace modCVDMXMap;

namespace {

constexpr uid_t kNobody = 65534;

const MapTable kMap = MapOf([](int i) { return int16_t(i % 3 == 0 ? kNoOutput : i % kOutputs); }, 4, 7);

QString Lines(const QStringList &lines)
{
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// What a time-out tells the user to check, after its exact line.
QString NoReplyHint(const QString &where)
{
    return QStringLiteral(
               "cvdmxmap-cli: check that the controller is powered on, that its cable is plugged in at both "
               "ends, that ")
        + where
        + QStringLiteral(
               " is the port the cable is on (cvdmxmap-cli ports lists them), and that its address and range "
               "switches are set as the map's Device Address and Device Range");
}

const QString kPartialMap = QStringLiteral("cvdmxmap-cli: the controller now holds a partial map: download again");

// The runs that wait out the tool's two-second limit. They are started together before the
// first test; each row of timeOutsAreReported then reads its own. The file is a copy of
// kMap named Stage.CVX; the port the simulator's path, or COM5 through the settings file.
struct TimeOut {
    const char *tag;
    QStringList simArgs;
    QString command;
    bool viaCom5;
    QString progress; // the download's progress line after "block "
    QString what;     // what got no complete reply
    int framesSent;
    bool checksumAsked;
    bool partialMap; // blocks went out before the time-out
};

const QList<TimeOut> &TimeOuts()
{
    static const QList<TimeOut> rows{
        {"download: silent on block 4",
         {"--silent", "01:3"},
         "download",
         false,
         "1 2 3 4",
         "block 4 of 8 (channels 193-256)",
         4,
         false,
         true},
        {"download: short reply to block 1",
         {"--short", "01:0"},
         "download",
         false,
         "1",
         "block 1 of 8 (channels 1-64)",
         1,
         false,
         false},
        {"download: silent on the last block",
         {"--silent", "01:7"},
         "download",
         false,
         "1 2 3 4 5 6 7 8",
         "block 8 of 8 (channels 449-512)",
         8,
         false,
         true},
        {"download: silent on the checksum",
         {"--silent", "03"},
         "download",
         false,
         "1 2 3 4 5 6 7 8, checksum",
         "the checksum query [03]",
         8,
         true,
         false},
        {"revision: one character short",
         {"--short", "04"},
         "revision",
         false,
         "",
         "the revision query [04]",
         0,
         false,
         false},
        {"revision: silent, through COM5",
         {"--silent", "04", "--port", "COM5"},
         "revision",
         true,
         "",
         "the revision query [04]",
         0,
         false,
         false},
    };
    return rows;
}

const QString kResetChecksum = QStringLiteral("0A1A1879AC56C2A8");
const QString kRevision = QStringLiteral("\"CVDMX FW REV 1.01 \"");
const QString kIdentifyHeader = QStringLiteral("port,device,state,revision,checksum,maps");

// The section [Ports] pointing COM1.. at devices, and the rest of the eight at paths that
// do not exist: no run of a test may reach a device of the machine.
QByteArray PortsSection(const QStringList &devices)
{
    QByteArray section = "[Ports]\n";
    for (int n = 1; n <= 8; ++n) {
        const QString device = n <= devices.size() ? devices[n - 1] : QStringLiteral("/nonexistent/cvdmx-COM%1").arg(n);
        section += "COM" + QByteArray::number(n) + "=" + QFile::encodeName(device) + "\n";
    }
    return section;
}

// A file of a test's map folder, what it holds told by its name: "Stage..." kMap at the
// device address index, "Reset..." the reset map, "Other..." another map, "Short..." too
// few bytes for a map, "High..." a device address of 16, "Locked..." the reset map that
// nobody may read, "Pipe..." a named pipe, "Link..." a link to nothing, "...\/" a folder,
// anything else a line of text.
bool PutFolderFile(const QString &folder, const QString &name, int index)
{
    const QString path = folder + QLatin1Char('/') + name;
    const auto is = [&](const char *prefix) { return name.startsWith(QLatin1String(prefix)); };
    if (name.endsWith(QLatin1Char('/')))
        return QDir().mkpath(path);
    if (is("Pipe"))
        return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
    if (is("Link"))
        return QFile::link(folder + QStringLiteral("/nothing-here"), path);
    MapTable map = ResetMap();
    if (is("Titled")) {
        MapLabels labels;
        labels.title = QStringLiteral("Main stage");
        return WriteBytes(path, MapToBytes(kMap) + LabelsBlock(labels));
    }
    if (is("Stage")) {
        map = kMap;
        map[kDevAddEntry] = int16_t(index);
    } else if (is("Other")) {
        map[0] = 1;
    } else if (is("High")) {
        map[kDevAddEntry] = 16;
    } else if (is("Short")) {
        return WriteBytes(path, MapToBytes(map).left(100));
    } else if (!is("Reset") && !is("Locked")) {
        return WriteBytes(path, "not a map\n");
    }
    return WriteBytes(path, MapToBytes(map)) && (!is("Locked") || ::chmod(QFile::encodeName(path).constData(), 0) == 0);
}

// The runs of identify that wait out the two-second limit: started together before the
// first test, in a home of their own, each with three simulators. Their COM1..COM3 (or
// --port, in order) are the simulators; %1..%3 in the rows stand for their paths.
struct SlowIdentify {
    const char *tag;
    std::vector<QStringList> sims;
    bool explicitPorts;
    int status;
    QStringList rows; // after the header
};

const QList<SlowIdentify> &SlowIdentifies()
{
    static const QList<SlowIdentify> rows{
        {"three silent controllers, nothing answered",
         {{"--silent", "03", "--silent", "04"},
          {"--silent", "03", "--silent", "04"},
          {"--silent", "03", "--silent", "04"}},
         false,
         4,
         {"COM1,%1,no answer to [03] and [04],-,-,-", "COM2,%2,no answer to [03] and [04],-,-,-",
          "COM3,%3,no answer to [03] and [04],-,-,-", "COM4,/nonexistent/cvdmx-COM4,no device,-,-,-",
          "COM5,/nonexistent/cvdmx-COM5,no device,-,-,-", "COM6,/nonexistent/cvdmx-COM6,no device,-,-,-",
          "COM7,/nonexistent/cvdmx-COM7,no device,-,-,-", "COM8,/nonexistent/cvdmx-COM8,no device,-,-,-"}},
        {"one query unanswered",
         {{"--silent", "04"}, {"--silent", "03"}, {"--short", "03", "--revision", "REV 9, with commas"}},
         true,
         0,
         {"-,%1,no answer to [04],-," + kResetChecksum + ",Reset.CVX", "-,%2,no answer to [03]," + kRevision + ",-,-",
          "-,%3,no answer to [03],\"REV 9, with commas\",-,-"}},
    };
    return rows;
}

QStringList Filled(QStringList lines, const QStringList &devices)
{
    for (QString &line : lines) {
        for (int i = devices.size() - 1; i >= 0; --i)
            line.replace(QStringLiteral("%%1").arg(i + 1), devices[i]);
    }
    return lines;
}

// Root passes permission bits by its capabilities: a run that must meet them, as an
// ordinary user does, is started without the ones that override them.
void WithoutPermissionOverride()
{
    if (::geteuid() == 0
        && (::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE) != 0 || ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH) != 0))
        ::_exit(127);
}

// The devices of COM1..COM8 for one test, laid out from words:
//   "sim" / "sim|ARG|ARG..."  a simulator (with those arguments) holding the reset map
//   "stage"                   a simulator that was sent kMap by cvdmxmap-cli download
//   "in use"                  a simulator whose line the test holds open
//   "lost N"                  a controller that answers N checksum queries, then hangs up
//   "link N", "same N"        a link to the device of COM N, that device's path again
//   "file"                    a regular file
//   "missing"                 a path that does not exist
class Rack {
public:
    Rack(const QStringList &words, const QString &home)
    {
        for (int n = 1; n <= words.size(); ++n) {
            const QString &word = words[n - 1];
            const QStringList parts = word.split(QLatin1Char('|'));
            QString device = QStringLiteral("/nonexistent/cvdmx-COM%1").arg(n);
            if (word.startsWith(QLatin1String("sim")) || word == QLatin1String("stage")
                || word == QLatin1String("in use")) {
                auto &sim = sims_[n] = std::make_unique<SimProcess>(
                    word.startsWith(QLatin1String("sim")) ? parts.mid(1) : QStringList());
                ok_ = ok_ && sim->Started();
                device = sim->Path();
            } else if (word.startsWith(QLatin1String("lost "))) {
                std::vector<PtyController::Answer> answers(size_t(word.mid(5).toInt()),
                                                           {"[" + kResetChecksum.toLatin1() + "]"});
                auto &pty = ptys_[n] = std::make_unique<PtyController>(answers);
                ok_ = ok_ && pty->Ok();
                device = pty->Path();
            } else if (word.startsWith(QLatin1String("link "))) {
                device = home + QStringLiteral("/link%1").arg(n);
                ok_ = ok_ && QFile::link(devices_[word.mid(5).toInt() - 1], device);
            } else if (word.startsWith(QLatin1String("same "))) {
                device = devices_[word.mid(5).toInt() - 1];
            } else if (word == QLatin1String("file")) {
                device = home + QStringLiteral("/plain");
                ok_ = ok_ && WriteBytes(device, QByteArray());
            }
            devices_.append(device);
            if (word == QLatin1String("stage")) {
                const QString stage = home + QStringLiteral("/Stage.CVX");
                ok_ = ok_ && WriteBytes(stage, MapToBytes(kMap))
                    && RunCli({"download", stage, "--port", device}).status == 0;
                downloaded_.append(n);
            }
            if (word == QLatin1String("in use")) {
                QString reason;
                ok_ = ok_ && holder_.Open(device, &reason);
                platform::SerialPort second;
                ok_ = ok_ && !second.Open(device, &inUse_);
            }
        }
    }

    bool Ok() const { return ok_; }
    const QStringList &Devices() const { return devices_; }
    // Why the port held open cannot be opened again.
    const QString &InUseReason() const { return inUse_; }

    // What each controller of COM1..COM8 received, as "[03] [04]", leaving out what the
    // download sent; empty for a port without one. Frees the port held open.
    QStringList Received()
    {
        holder_.Close();
        QStringList received;
        for (int n = 1; n <= devices_.size(); ++n) {
            QList<QByteArray> frames;
            if (sims_.count(n)) {
                frames = sims_[n]->Received();
                if (downloaded_.contains(n))
                    frames = frames.mid(dmxlink::kBlocks + 1);
            } else if (ptys_.count(n)) {
                ptys_[n]->Stop();
                frames = ptys_[n]->Commands();
            }
            received.append(QString::fromLatin1(frames.join(' ')));
        }
        return received;
    }

private:
    std::map<int, std::unique_ptr<SimProcess>> sims_;
    std::map<int, std::unique_ptr<PtyController>> ptys_;
    QStringList devices_;
    QList<int> downloaded_;
    platform::SerialPort holder_;
    QString inUse_;
    bool ok_ = true;
};
} // namespace

class TestCliLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { home_.reset(); }
    // First: the time it measures runs from initTestCase.
    void identifyWaitsOutSilentControllersTogether_data();
    void identifyWaitsOutSilentControllersTogether();
    void identifyRack_data();
    void identifyRack();
    void identifyPrintsAlignedColumns();
    void identifyFolderThatCannotBeRead_data();
    void identifyFolderThatCannotBeRead();
    void identifyUsageErrors_data();
    void identifyUsageErrors();
    void identifyAmongThousandsOfFiles();
    void downloadThenVerifyOverComPort();
    void verifyAsksOnlyTheChecksum_data();
    void verifyAsksOnlyTheChecksum();
    void timeOutsAreReported_data();
    void timeOutsAreReported();
    void lowerCaseChecksumAfterTheDownload();
    void lineDroppedMidDownloadClaimsNothing_data();
    void lineDroppedMidDownloadClaimsNothing();
    void revision_data();
    void revision();
    void revisionWithNulShownWhole();
    void portsThatCannotBeOpened_data();
    void portsThatCannotBeOpened();
    void portInUseIsRefusedAndLeftAlone();
    void permissionDeniedNamesTheDevicesGroup_data();
    void permissionDeniedNamesTheDevicesGroup();

private:
    QString Put(const QString &name, const MapTable &map) const;

    std::unique_ptr<TempHome> home_;
    // The time-out runs, by row, with their simulators and their own home.
    struct Running {
        std::unique_ptr<SimProcess> sim;
        std::unique_ptr<CliProcess> cli;
    };
    std::unique_ptr<TempHome> timeOutHome_;
    QString timeOutFile_;
    std::map<QString, Running> timeOuts_;
    // The slow runs of identify, by row, with their simulators, started at the same time.
    struct RunningIdentify {
        std::vector<std::unique_ptr<SimProcess>> sims;
        std::unique_ptr<CliProcess> cli;
    };
    std::unique_ptr<TempHome> identifyHome_;
    std::map<QString, RunningIdentify> slowIdentifies_;
    QElapsedTimer sinceSlowIdentifies_;
};

void TestCliLink::initTestCase()
{
    timeOutHome_ = std::make_unique<TempHome>();
    timeOutFile_ = timeOutHome_->Path() + QStringLiteral("/Stage.CVX");
    QVERIFY(WriteBytes(timeOutFile_, MapToBytes(kMap)));
    for (const TimeOut &row : TimeOuts()) {
        Running &run = timeOuts_[QString::fromLatin1(row.tag)];
        run.sim = std::make_unique<SimProcess>(row.simArgs);
        QVERIFY(run.sim->Started());
        QStringList args{row.command, "--port", row.viaCom5 ? QStringLiteral("COM5") : run.sim->Path()};
        if (row.command == "download")
            args << timeOutFile_;
        run.cli = std::make_unique<CliProcess>(args);
    }

    // Each simulator is a controller holding the reset map; the folder holds that map. The
    // one row on COM1..COM3 has them in the settings file, which points the rest away.
    identifyHome_ = std::make_unique<TempHome>();
    const QString maps = identifyHome_->Path() + QStringLiteral("/maps");
    QVERIFY(QDir().mkpath(maps));
    QVERIFY(WriteBytes(maps + QStringLiteral("/Reset.CVX"), MapToBytes(ResetMap())));
    QByteArray settings = PortsSection({});
    for (const SlowIdentify &row : SlowIdentifies()) {
        RunningIdentify &run = slowIdentifies_[QString::fromLatin1(row.tag)];
        QStringList devices;
        for (const QStringList &simArgs : row.sims) {
            run.sims.push_back(std::make_unique<SimProcess>(simArgs));
            QVERIFY(run.sims.back()->Started());
            devices << run.sims.back()->Path();
        }
        if (!row.explicitPorts)
            settings = PortsSection(devices);
    }
    identifyHome_->WriteSettings(settings);
    sinceSlowIdentifies_.start();
    for (const SlowIdentify &row : SlowIdentifies()) {
        RunningIdentify &run = slowIdentifies_[QString::fromLatin1(row.tag)];
        QStringList args{"identify", "--csv", "--maps", maps};
        for (const auto &sim : run.sims) {
            if (row.explicitPorts)
                args << "--port" << sim->Path();
        }
        run.cli = std::make_unique<CliProcess>(args);
    }
}

void TestCliLink::init()
{
    home_.reset();
    home_ = std::make_unique<TempHome>();
}

QString TestCliLink::Put(const QString &name, const MapTable &map) const
{
    const QString path = home_->Path() + QLatin1Char('/') + name;
    WriteBytes(path, MapToBytes(map));
    return path;
}

void TestCliLink::downloadThenVerifyOverComPort()
{
    SimProcess sim({"--port", "COM2"});
    QVERIFY(sim.Started());
    const QByteArray settings = home_->ReadSettings();
    const QString file = Put(QStringLiteral("Stage.CVX"), kMap);
    const QString checksum = dmxlink::MapChecksumText(kMap);
    const QString where = QStringLiteral("COM2 (") + sim.Path() + QLatin1Char(')');

    const CliRun download = RunCli({"download", file, "--port", "com2"});
    QVERIFY(download.finished);
    QCOMPARE(download.status, 0);
    QCOMPARE(QString::fromLocal8Bit(download.err),
             QStringLiteral("Downloading Stage.CVX to ") + where
                 + QStringLiteral(": block 1 2 3 4 5 6 7 8, checksum\n"));
    QCOMPARE(QString::fromLocal8Bit(download.out),
             QStringLiteral("Download complete: ") + where + QStringLiteral(" holds ") + file
                 + QStringLiteral(" (checksum ") + checksum + ")\n");
    QCOMPARE(sim.Received(), Frames(kMap, 8) << "[03]");

    const CliRun verify = RunCli({"verify", "--port=COM2", file});
    QVERIFY(verify.finished);
    QCOMPARE(verify.status, 0);
    QCOMPARE(QString::fromLocal8Bit(verify.out),
             where + QStringLiteral(" holds ") + file + QStringLiteral(" (checksum ") + checksum + ")\n");
    QCOMPARE(verify.err, QByteArray());
    QCOMPARE(sim.Received(),
             Frames(kMap, 8) << "[03]"
                             << "[03]");
    QCOMPARE(home_->ReadSettings(), settings);
}

void TestCliLink::verifyAsksOnlyTheChecksum_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<bool>("known");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reported");
    const QString reset = QStringLiteral("0A1A1879AC56C2A8");
    QTest::newRow("fresh controller holds the reset map") << QStringList() << false << 0 << QString();
    QTest::newRow("fresh controller, another map") << QStringList() << true << 1 << reset;
    QTest::newRow("extra characters are not compared") << QStringList{"--extra", "03"} << false << 0 << QString();
    QTest::newRow("lower-case digits differ") << QStringList{"--lower-checksum"} << false << 1 << reset.toLower();
    QTest::newRow("wrong checksum") << QStringList{"--bad-checksum"} << false << 1 << "0A1A1879AC56C2A0";
    QTest::newRow("junk first shifts the digits")
        << QStringList{"--junk", "03"} << false << 1 << QStringLiteral("~[0A1A1879AC56C2");
}

void TestCliLink::verifyAsksOnlyTheChecksum()
{
    QFETCH(QStringList, simArgs);
    QFETCH(bool, known);
    QFETCH(int, status);
    QFETCH(QString, reported);
    SimProcess sim(simArgs);
    QVERIFY(sim.Started());
    const MapTable map = known ? kMap : ResetMap();
    const QString file = Put(QStringLiteral("map.CVX"), map);
    const QString checksum = dmxlink::MapChecksumText(map);

    const CliRun run = RunCli({"verify", file, "--port", sim.Path()});
    QVERIFY(run.finished);
    QCOMPARE(run.status, status);
    const QString expected = status == 0
        ? sim.Path() + QStringLiteral(" holds ") + file + QStringLiteral(" (checksum ") + checksum + ")\n"
        : sim.Path() + QStringLiteral(" holds another map: checksum ") + reported + QStringLiteral(", ") + file
            + QStringLiteral(" has ") + checksum + "\n";
    QCOMPARE(QString::fromLocal8Bit(run.out), expected);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(sim.Received(), QList<QByteArray>{"[03]"});
}

void TestCliLink::timeOutsAreReported_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < TimeOuts().size(); ++i)
        QTest::newRow(TimeOuts()[i].tag) << i;
}

// Status 5, the progress so far, the command that got no complete reply, what to check, a
// partial map when blocks went out, nothing on standard output, and the frames the
// controller got.
void TestCliLink::timeOutsAreReported()
{
    QFETCH(int, index);
    const TimeOut &row = TimeOuts()[index];
    Running &running = timeOuts_[QString::fromLatin1(row.tag)];
    QVERIFY(running.cli);
    const CliRun run = running.cli->Wait();
    const QString path = running.sim->Path();
    const QString where = row.viaCom5 ? QStringLiteral("COM5 (") + path + QLatin1Char(')') : path;
    QVERIFY(run.finished);
    QCOMPARE(run.status, 5);
    QCOMPARE(run.out, QByteArray());
    QStringList err;
    if (row.command == "download")
        err << QStringLiteral("Downloading Stage.CVX to ") + where + QStringLiteral(": block ") + row.progress;
    err << QStringLiteral("cvdmxmap-cli: ") + where + QStringLiteral(": no complete reply to ") + row.what
            + QStringLiteral(" within 2000 ms");
    err << NoReplyHint(where);
    if (row.partialMap)
        err << kPartialMap;
    QCOMPARE(QString::fromLocal8Bit(run.err), Lines(err));
    QList<QByteArray> expected = Frames(kMap, row.framesSent);
    if (row.checksumAsked)
        expected << "[03]";
    if (row.command == "revision")
        expected << "[04]";
    QCOMPARE(running.sim->Received(), expected);
}

void TestCliLink::lowerCaseChecksumAfterTheDownload()
{
    SimProcess sim({"--lower-checksum"});
    QVERIFY(sim.Started());
    const QString file = Put(QStringLiteral("Stage.CVX"), kMap);
    const QString checksum = dmxlink::MapChecksumText(kMap);

    const CliRun run = RunCli({"download", file, "--port", sim.Path()});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err),
             Lines({QStringLiteral("Downloading Stage.CVX to ") + sim.Path()
                        + QStringLiteral(": block 1 2 3 4 5 6 7 8, checksum"),
                    QStringLiteral("cvdmxmap-cli: ") + sim.Path()
                        + QStringLiteral(": checksum mismatch after the download: the controller reports ")
                        + checksum.toLower() + QStringLiteral(", the map has ") + checksum
                        + QStringLiteral("; the device will not function properly")}));
    QCOMPARE(sim.Received(), Frames(kMap, 8) << "[03]");
}

// Each row: the block on which the simulator drops the line, from 0. The blocks sent
// before may have reached the controller, so it holds a partial map whichever block it was.
void TestCliLink::lineDroppedMidDownloadClaimsNothing_data()
{
    QTest::addColumn<int>("dropAt");
    QTest::addColumn<QString>("progress");
    QTest::addColumn<QString>("what");
    QTest::newRow("on block 1") << 0 << "1"
                                << "block 1 of 8 (channels 1-64)";
    QTest::newRow("on block 3") << 2 << "1 2 3"
                                << "block 3 of 8 (channels 129-192)";
}

void TestCliLink::lineDroppedMidDownloadClaimsNothing()
{
    QFETCH(int, dropAt);
    QFETCH(QString, progress);
    QFETCH(QString, what);
    SimProcess sim({"--drop-at", QString::number(dropAt)});
    QVERIFY(sim.Started());
    const QString file = Put(QStringLiteral("Stage.CVX"), kMap);

    const CliRun run = RunCli({"download", file, "--port", sim.Path()});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 5);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err),
             Lines({QStringLiteral("Downloading Stage.CVX to ") + sim.Path() + QStringLiteral(": block ") + progress,
                    QStringLiteral("cvdmxmap-cli: ") + sim.Path()
                        + QStringLiteral(": the line was lost while waiting for the reply to ") + what,
                    kPartialMap}));
}

void TestCliLink::revision_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<bool>("viaComPort");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("default revision") << QStringList() << false << QByteArray("CVDMX FW REV 1.01 \n");
    QTest::newRow("through COM5") << QStringList{"--port", "COM5"} << true << QByteArray("CVDMX FW REV 1.01 \n");
    QTest::newRow("shown as received") << QStringList{"--revision", "rev 2.00 [beta] x1"} << false
                                       << QByteArray("rev 2.00 [beta] x1\n");
    QTest::newRow("extra characters left out")
        << QStringList{"--extra", "04", "--extra-text", "TAIL"} << false << QByteArray("CVDMX FW REV 1.01 \n");
}

void TestCliLink::revision()
{
    QFETCH(QStringList, simArgs);
    QFETCH(bool, viaComPort);
    QFETCH(QByteArray, out);
    SimProcess sim(simArgs);
    QVERIFY(sim.Started());

    const CliRun run = RunCli({"revision", "--port", viaComPort ? QStringLiteral("COM5") : sim.Path()});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, out);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(sim.Received(), QList<QByteArray>{"[04]"});
}

// The 18 characters as received, the line end after them.
void TestCliLink::revisionWithNulShownWhole()
{
    const QByteArray revision(
        "REV\0"
        "1.0 ABCDEFGHIJ",
        18);
    PtyController controller({{"[" + revision + "]"}});
    QVERIFY(controller.Ok());

    const CliRun run = RunCli({"revision", "--port", controller.Path()});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, revision + "\n");
    QCOMPARE(run.err, QByteArray());
    controller.Stop();
    QCOMPARE(controller.Commands(), QList<QByteArray>{"[04]"});
}

void TestCliLink::portsThatCannotBeOpened_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("reason");
    const QString missing = QStringLiteral("open: No such file or directory");
    const QString notTerminal = QStringLiteral("not a terminal: Inappropriate ioctl for device");
    QTest::newRow("missing device") << "revision"
                                    << "/nonexistent/ttyX"
                                    << "/nonexistent/ttyX" << missing;
    QTest::newRow("COM3 named in the settings file") << "download"
                                                     << "COM3"
                                                     << "COM3 (/nonexistent/cvdmx-line)" << missing;
    QTest::newRow("com3 in lower case") << "verify"
                                        << "com3"
                                        << "COM3 (/nonexistent/cvdmx-line)" << missing;
    QTest::newRow("regular file") << "download"
                                  << "%home/plain"
                                  << "%home/plain" << notTerminal;
    QTest::newRow("COM4 naming a regular file") << "revision"
                                                << "COM4"
                                                << "COM4 (%home/plain)" << notTerminal;
}

void TestCliLink::portsThatCannotBeOpened()
{
    QFETCH(QString, command);
    QFETCH(QString, port);
    QFETCH(QString, where);
    QFETCH(QString, reason);
    port.replace(QLatin1String("%home"), home_->Path());
    where.replace(QLatin1String("%home"), home_->Path());
    const QString plain = home_->Path() + QStringLiteral("/plain");
    QFile(plain).open(QIODevice::WriteOnly);
    const QByteArray settings = "[Ports]\nCOM3=/nonexistent/cvdmx-line\nCOM4=" + QFile::encodeName(plain) + "\n";
    home_->WriteSettings(settings);
    const QString file = Put(QStringLiteral("Stage.CVX"), kMap);
    QStringList args{command, "--port", port};
    if (command != QLatin1String("revision"))
        args << file;

    const CliRun run = RunCli(args);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 4);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err),
             QStringLiteral("cvdmxmap-cli: ") + where + QStringLiteral(": cannot use the port: ") + reason + "\n");
    QCOMPARE(QFileInfo(plain).size(), qint64(0));
    QCOMPARE(home_->ReadSettings(), settings);
}

void TestCliLink::portInUseIsRefusedAndLeftAlone()
{
    SimProcess sim;
    QVERIFY(sim.Started());
    const QString file = Put(QStringLiteral("Stage.CVX"), kMap);
    {
        platform::SerialPort holder;
        QString reason;
        QVERIFY(holder.Open(sim.Path(), &reason));
        const CliRun run = RunCli({"download", file, "--port", sim.Path()});
        QVERIFY(run.finished);
        QCOMPARE(run.status, 4);
        QCOMPARE(run.out, QByteArray());
        const QString err = QString::fromLocal8Bit(run.err);
        QVERIFY2(
            err.startsWith(QStringLiteral("cvdmxmap-cli: ") + sim.Path() + QStringLiteral(": cannot use the port: ")),
            qPrintable(err));
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QVERIFY(err.endsWith(QLatin1Char('\n')));
    }
    QCOMPARE(sim.Received(), QList<QByteArray>());
}

// A permission refusal in download and revision, and the port's line in ports: the same
// words, naming the device's own group where joining it would help. The tool runs without
// the capabilities that override permission bits and without supplementary groups, as an
// ordinary user outside the device's group; only root can give the device another owner
// and group.
void TestCliLink::permissionDeniedNamesTheDevicesGroup_data()
{
    QTest::addColumn<bool>("foreignGroup");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("advice");
    QTest::newRow("mode 0: no group would help") << false << "revision" << QString();
    if (::geteuid() == 0) {
        const QString uucp
            = QStringLiteral("the user is not in the uucp group (sudo usermod -aG uucp $USER, then log in again)");
        QTest::newRow("another owner, group uucp: revision") << true << "revision" << uucp;
        QTest::newRow("another owner, group uucp: download") << true << "download" << uucp;
    }
}

void TestCliLink::permissionDeniedNamesTheDevicesGroup()
{
    QFETCH(bool, foreignGroup);
    QFETCH(QString, command);
    QFETCH(QString, advice);
    platform::PseudoTerminal pty;
    QVERIFY(pty.Ok());
    const QByteArray device = QFile::encodeName(pty.Path());
    struct stat old {};
    QCOMPARE(::stat(device.constData(), &old), 0);
    TemporaryMode mode(pty.Path(), foreignGroup ? 0660 : 0);
    QVERIFY(mode.Ok());
    if (foreignGroup) {
        const group *uucp = ::getgrnam("uucp");
        QVERIFY(uucp);
        QCOMPARE(::chown(device.constData(), kNobody, uucp->gr_gid), 0);
    }
    const auto asOrdinaryUser = [] {
        if (::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE) != 0
                || ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH) != 0))
            ::_exit(127);
    };
    QByteArray settings = "[Ports]\nCOM1=" + device + "\n";
    for (int n = 2; n <= 8; ++n)
        settings += QStringLiteral("COM%1=/nonexistent/cvdmx-com%1\n").arg(n).toLatin1();
    home_->WriteSettings(settings);
    QStringList args{command, "--port", pty.Path()};
    if (command == "download")
        args << Put(QStringLiteral("Stage.CVX"), kMap);

    const CliRun run = RunCli(args, asOrdinaryUser);
    const CliRun ports = RunCli({"ports"}, asOrdinaryUser);
    if (foreignGroup)
        QCOMPARE(::chown(device.constData(), old.st_uid, old.st_gid), 0);

    QVERIFY(run.finished);
    QCOMPARE(run.status, 4);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err),
             QStringLiteral("cvdmxmap-cli: ") + pty.Path()
                 + QStringLiteral(": cannot use the port: open: Permission denied")
                 + (advice.isEmpty() ? QString() : QStringLiteral(": ") + advice) + QLatin1Char('\n'));
    QCOMPARE(pty.Read(1, 100), QByteArray());

    QVERIFY(ports.finished);
    QCOMPARE(ports.status, 0);
    const int width = std::max(pty.Path().size(), QStringLiteral("/nonexistent/cvdmx-com2").size());
    const QString line = QStringLiteral("COM1  ") + pty.Path().leftJustified(width)
        + QStringLiteral("  settings file  present, no permission")
        + (advice.isEmpty() ? QString() : QStringLiteral(": ") + advice);
    QVERIFY2(QString::fromLocal8Bit(ports.out).split(QLatin1Char('\n')).contains(line),
             qPrintable(QString::fromLocal8Bit(ports.out)));
}

void TestCliLink::identifyWaitsOutSilentControllersTogether_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < SlowIdentifies().size(); ++i)
        QTest::newRow(SlowIdentifies()[i].tag) << i;
}

// Every controller gets the checksum query and the revision query, nothing else, and a
// silent one is waited for twice. The first row's run is bounded in real time: its three
// silent controllers take two limits of 2000 ms each, 12 s when asked one after the other,
// about 4 s when asked together. The time runs from its start to this wait, with nothing
// in between but starting the other slow runs: an upper bound of the run's own time, with
// room for a slow machine.
void TestCliLink::identifyWaitsOutSilentControllersTogether()
{
    QFETCH(int, index);
    const SlowIdentify &row = SlowIdentifies()[index];
    RunningIdentify &running = slowIdentifies_[QString::fromLatin1(row.tag)];
    QVERIFY(running.cli);
    const CliRun run = running.cli->Wait();
    const qint64 elapsed = sinceSlowIdentifies_.elapsed();
    if (index == 0)
        QVERIFY2(elapsed < 9000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    QVERIFY(run.finished);
    QCOMPARE(run.status, row.status);
    QStringList devices;
    for (const auto &sim : running.sims)
        devices << sim->Path();
    QCOMPARE(QString::fromLocal8Bit(run.out), Lines(QStringList{kIdentifyHeader} + Filled(row.rows, devices)));
    QCOMPARE(run.err, QByteArray());
    for (const auto &sim : running.sims)
        QCOMPARE(sim->Received(), (QList<QByteArray>{"[03]", "[04]"}));
}

// Each row lays out COM1.. (see Rack; the ports it does not name lead nowhere) and the
// map folder (see PutFolderFile) and runs identify --csv with args (%F the folder, which is
// the working folder unless --maps names it; %1.. the devices of COM1..), as a user whom
// permission bits refuse. It expects the rows after the header (%stage the checksum of
// kMap, %inuse why a port held open cannot be opened; without --port, a port the row does
// not name is a missing device), the skipped files on standard error, the status, and what
// each controller received.
void TestCliLink::identifyRack_data()
{
    QTest::addColumn<QStringList>("com");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("received");
    const QString reset = QStringLiteral(",") + kResetChecksum + QStringLiteral(",Reset.CVX");
    const QStringList maps{"--maps", "%F"};
    const QString both = QStringLiteral("[03] [04]");
    const QString notTerminal = QStringLiteral("cannot open: not a terminal: Inappropriate ioctl for device,-,-,-");
    const QString tooShort = QStringLiteral("not a valid map file (shorter than 1028 bytes)");
    const QString highAddress = QStringLiteral("not a valid map file (device address outside 0..15)");

    QTest::newRow("a rack: maps found, missing, in use, two names of one device, a file")
        << QStringList{"stage", "sim", "missing", "in use", "link 1", "file", "sim|--revision|rev 2.00 [beta] x1",
                       "same 2"}
        << maps
        << QStringList{"Stage.CVX", "Stage 2.cvx", "Reset.CVX", "Other.CVX",  "Stage.CVX.bak", "notes.txt", "Short.CVX",
                       "High.cvx",  "Sub.CVX/",    "Pipe.CVX",  "Locked.CVX", "Link.CVX",      "Titled.CVX"}
        << QStringList{"COM1,%1,answered," + kRevision
                           + ",%stage,\"Stage 2.cvx, Stage.CVX, Titled.CVX \"\"Main stage\"\"\"",
                       "COM2,%2,answered," + kRevision + reset,
                       "COM3,%3,no device,-,-,-",
                       "COM4,%4,cannot open: %inuse,-,-,-",
                       "COM5,%5,same device as COM1,-,-,-",
                       "COM6,%6," + notTerminal,
                       "COM7,%7,answered,rev 2.00 [beta] x1" + reset,
                       "COM8,%8,same device as COM2,-,-,-"}
        << QStringList{"High.cvx: skipped: " + highAddress,      "Link.CVX: skipped: No such file or directory",
                       "Locked.CVX: skipped: Permission denied", "Pipe.CVX: skipped: Not a regular file",
                       "Short.CVX: skipped: " + tooShort,        "Sub.CVX: skipped: Is a directory"}
        << 0 << QStringList{both, both, "", "", "", "", both, ""};
    QTest::newRow("one controller holds none of the folder's maps")
        << QStringList{"stage", "sim"} << maps << QStringList{"Stage.CVX", "Other.CVX"}
        << QStringList{"COM1,%1,answered," + kRevision + ",%stage,Stage.CVX",
                       "COM2,%2,answered," + kRevision + "," + kResetChecksum + ",none"}
        << QStringList() << 1 << QStringList{both, both};
    QTest::newRow("a checksum in lower case matches nothing")
        << QStringList{"sim|--lower-checksum"} << maps << QStringList{"Reset.CVX"}
        << QStringList{"COM1,%1,answered," + kRevision + "," + kResetChecksum.toLower() + ",none"} << QStringList() << 1
        << QStringList{both};
    QTest::newRow("junk before the checksum: the characters as given")
        << QStringList{"sim|--junk|03"} << maps << QStringList{"Reset.CVX"}
        << QStringList{"COM1,%1,answered," + kRevision + ",~[0A1A1879AC56C2,none"} << QStringList() << 1
        << QStringList{both};
    QTest::newRow("control characters of a revision shown as \\xNN")
        << QStringList{"sim|--revision|\x1b[31mRED\x1b[0m rev"} << maps << QStringList{"Reset.CVX"}
        << QStringList{"COM1,%1,answered,\"\\x1B[31mRED\\x1B[0m rev  \"" + reset} << QStringList() << 0
        << QStringList{both};
    QTest::newRow("nothing could be asked")
        << QStringList{"missing", "in use", "file"} << maps << QStringList{"Reset.CVX"}
        << QStringList{"COM1,%1,no device,-,-,-", "COM2,%2,cannot open: %inuse,-,-,-", "COM3,%3," + notTerminal}
        << QStringList() << 4 << QStringList{"", "", ""};
    QTest::newRow("line lost after the checksum; the other controller unharmed")
        << QStringList{"lost 1", "stage"} << maps << QStringList{"Reset.CVX", "Stage.CVX"}
        << QStringList{"COM1,%1,line lost during [04],-" + reset, "COM2,%2,answered," + kRevision + ",%stage,Stage.CVX"}
        << QStringList() << 0 << QStringList{both, both};
    QTest::newRow("line lost at the first query")
        << QStringList{"lost 0", "sim"} << maps << QStringList{"Reset.CVX"}
        << QStringList{"COM1,%1,line lost during [03],-,-,-", "COM2,%2,answered," + kRevision + reset} << QStringList()
        << 0 << QStringList{"[03]", both};
    QTest::newRow("the ports given, in their order, and no other")
        << QStringList{"sim", "stage", "sim"} << (maps + QStringList{"--port", "%2", "--port", "com1"})
        << QStringList{"Stage.CVX"}
        << QStringList{"-,%2,answered," + kRevision + ",%stage,Stage.CVX",
                       "COM1,%1,answered," + kRevision + "," + kResetChecksum + ",none"}
        << QStringList() << 1 << QStringList{both, both, ""};
    QTest::newRow("the working folder by default")
        << QStringList{"sim"} << QStringList() << QStringList{"Reset.CVX", "Other.cvx"}
        << QStringList{"COM1,%1,answered," + kRevision + reset} << QStringList() << 0 << QStringList{both};
}

void TestCliLink::identifyRack()
{
    QFETCH(QStringList, com);
    QFETCH(QStringList, args);
    QFETCH(QStringList, files);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, skipped);
    QFETCH(int, status);
    QFETCH(QStringList, received);
    Rack rack(com, home_->Path());
    QVERIFY(rack.Ok());
    const QByteArray settings = PortsSection(rack.Devices());
    home_->WriteSettings(settings);
    const QString folder
        = args.contains(QStringLiteral("--maps")) ? home_->Path() + QStringLiteral("/maps") : home_->WorkFolder();
    QVERIFY(QDir().mkpath(folder));
    for (int i = 0; i < files.size(); ++i)
        QVERIFY(PutFolderFile(folder, files[i], i));
    const QStringList folderBefore = Entries(folder);
    for (int n = rows.size() + 1; n <= 8 && !args.contains(QStringLiteral("--port")); ++n)
        rows << QStringLiteral("COM%1,/nonexistent/cvdmx-COM%1,no device,-,-,-").arg(n);
    rows.replaceInStrings(QStringLiteral("%stage"), dmxlink::MapChecksumText(kMap));
    rows.replaceInStrings(QStringLiteral("%inuse"), rack.InUseReason());
    QStringList err;
    for (const QString &file : skipped)
        err << QStringLiteral("cvdmxmap-cli: ") + folder + QLatin1Char('/') + file;

    const CliRun run = RunCli(QStringList{"identify", "--csv"}
                                  + Filled(args, rack.Devices()).replaceInStrings(QStringLiteral("%F"), folder),
                              WithoutPermissionOverride);
    QVERIFY(run.finished);
    QCOMPARE(QString::fromLocal8Bit(run.out), Lines(QStringList{kIdentifyHeader} + Filled(rows, rack.Devices())));
    QCOMPARE(QString::fromLocal8Bit(run.err), Lines(err));
    QCOMPARE(run.status, status);
    QCOMPARE(rack.Received(), received);
    QCOMPARE(home_->ReadSettings(), settings);
    QCOMPARE(Entries(folder), folderBefore);
}

// Without --csv: the folder and its count of maps, then the rows in columns under a
// header. The widest device is a missing one of 23 characters.
void TestCliLink::identifyPrintsAlignedColumns()
{
    Rack rack({"stage", "missing", "lost 0"}, home_->Path());
    QVERIFY(rack.Ok());
    home_->WriteSettings(PortsSection(rack.Devices()));
    const QString folder = home_->Path() + QStringLiteral("/maps");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(PutFolderFile(folder, QStringLiteral("Stage.CVX"), 4));
    QVERIFY(PutFolderFile(folder, QStringLiteral("Reset.CVX"), 0));

    const CliRun run = RunCli({"identify", "--maps", folder});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray());
    const QString stage = rack.Devices()[0].leftJustified(23);
    const QString lost = rack.Devices()[2].leftJustified(23);
    const QString checksum = dmxlink::MapChecksumText(kMap);
    QStringList lines{
        "Map files in " + folder + ": 2",
        "PORT  DEVICE                   STATE                  REVISION            CHECKSUM          MAPS",
        "COM1  " + stage + "  answered               CVDMX FW REV 1.01   " + checksum + "  Stage.CVX",
        "COM2  /nonexistent/cvdmx-COM2  no device              -                   -                 -",
        "COM3  " + lost + "  line lost during [03]  -                   -                 -",
    };
    for (int n = 4; n <= 8; ++n)
        lines << QStringLiteral(
                     "COM%1  /nonexistent/cvdmx-COM%1  no device              -                   -                 -")
                     .arg(n);
    QCOMPARE(QString::fromLocal8Bit(run.out), Lines(lines));
}

// Status 3 and the reason, before any port is touched.
void TestCliLink::identifyFolderThatCannotBeRead_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "none"
                             << "No such file or directory";
    QTest::newRow("a file") << "Reset.CVX"
                            << "Not a directory";
    QTest::newRow("no permission") << "locked"
                                   << "Permission denied";
}

void TestCliLink::identifyFolderThatCannotBeRead()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    Rack rack({"sim"}, home_->Path());
    QVERIFY(rack.Ok());
    home_->WriteSettings(PortsSection(rack.Devices()));
    QVERIFY(PutFolderFile(home_->Path(), QStringLiteral("Reset.CVX"), 0));
    const QString locked = home_->Path() + QStringLiteral("/locked");
    QVERIFY(QDir().mkpath(locked));
    QVERIFY(PutFolderFile(locked, QStringLiteral("Reset.CVX"), 0));
    TemporaryMode noAccess(locked, 0);
    QVERIFY(noAccess.Ok());
    const QString folder = home_->Path() + QLatin1Char('/') + name;

    const CliRun run = RunCli({"identify", "--maps", folder}, WithoutPermissionOverride);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 3);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err),
             QStringLiteral("cvdmxmap-cli: ") + folder + QStringLiteral(": cannot read the folder: ") + reason + "\n");
    QCOMPARE(rack.Received(), QStringList{""});
}

void TestCliLink::identifyUsageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("an operand") << QStringList{"Stage.CVX"} << "unexpected argument Stage.CVX";
    QTest::newRow("COM9") << QStringList{"--port", "COM9"} << "PORT must be COM1 .. COM8 or a device path, not COM9";
    QTest::newRow("a bad port after a good one") << QStringList{"--port", "COM1", "--port", "ttyUSB0"}
                                                 << "PORT must be COM1 .. COM8 or a device path, not ttyUSB0";
    QTest::newRow("--maps without its folder") << QStringList{"--maps"} << "--maps needs a value";
    QTest::newRow("an option of another command") << QStringList{"--by-output"} << "unknown option --by-output";
    QStringList many;
    for (int i = 0; i < 65; ++i)
        many << "--port"
             << "COM1";
    QTest::newRow("65 ports") << many << "at most 64 ports at a time";
}

void TestCliLink::identifyUsageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    Rack rack({"sim"}, home_->Path());
    QVERIFY(rack.Ok());
    home_->WriteSettings(PortsSection(rack.Devices()));
    QVERIFY(QDir().mkpath(home_->WorkFolder()));

    const CliRun run = RunCli(QStringList{"identify"} + args);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err),
             QStringLiteral("cvdmxmap-cli: identify: ") + message
                 + QStringLiteral(" (see cvdmxmap-cli identify --help)\n"));
    QCOMPARE(rack.Received(), QStringList{""});
}

// Thousands of map files of another map, and one the controller holds. They are links to
// one file: on some disks, removing thousands of files of their own takes seconds.
void TestCliLink::identifyAmongThousandsOfFiles()
{
    Rack rack({"stage"}, home_->Path());
    QVERIFY(rack.Ok());
    home_->WriteSettings(PortsSection(rack.Devices()));
    const QString folder = home_->Path() + QStringLiteral("/maps");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(PutFolderFile(home_->Path(), QStringLiteral("Other.CVX"), 0));
    const QByteArray other = QFile::encodeName(home_->Path() + QStringLiteral("/Other.CVX"));
    constexpr int kFiles = 2000;
    for (int k = 0; k < kFiles; ++k) {
        const QString name = folder + QStringLiteral("/Show%1.CVX").arg(k, 4, 10, QLatin1Char('0'));
        QVERIFY(::link(other.constData(), QFile::encodeName(name).constData()) == 0);
    }
    QVERIFY(PutFolderFile(folder, QStringLiteral("Stage.CVX"), 0));

    const CliRun run = RunCli({"identify", "--maps", folder, "--port", "COM1"});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray());
    const QStringList lines = QString::fromLocal8Bit(run.out).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QStringLiteral("Map files in %1: %2").arg(folder).arg(kFiles + 1));
    QVERIFY2(lines[2].endsWith(QStringLiteral("  ") + dmxlink::MapChecksumText(kMap) + QStringLiteral("  Stage.CVX")),
             qPrintable(lines[2]));
}

QTEST_GUILESS_MAIN(TestCliLink)
#include "test_cli_link.moc"
