// cvdmxmap-cli against the controller simulator on a pseudo-terminal: download, verify,
// revision, and ports that cannot be used.
#include "document/MapFile.h"
#include "kit/CliRun.h"
#include "kit/FileAccess.h"
#include "kit/Files.h"
#include "kit/Maps.h"
#include "kit/SimProcess.h"
#include "kit/TempHome.h"
#include "link/Protocol.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"

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

const MapTable kMap = MapOf([](int i) { return int16_t(i % 3 == 0 ? kNoOutput : i % 64); }, 4, 7);

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

} // namespace

class TestCliLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { home_.reset(); }
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

QTEST_GUILESS_MAIN(TestCliLink)
#include "test_cli_link.moc"
