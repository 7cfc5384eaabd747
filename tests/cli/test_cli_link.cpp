// cvdmxmap-cli against the controller simulator on a pseudo-terminal: download, verify,
// revision, and ports that cannot be used.
#include "document/MapFile.h"
#include "link/Protocol.h"
#include "platform/SerialPort.h"
#include "kit/CliRun.h"
#include "platform/PseudoTerminal.h"
#include "kit/SimProcess.h"
#include "kit/TempHome.h"

#include <QFile>
#include <QtTest>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace modCVDMXMap;

namespace {

MapTable ResetMap()
{
    MapTable map;
    map.fill(kNoOutput);
    map[kDevAddEntry] = 0;
    map[kDevRangeEntry] = 0;
    return map;
}

MapTable KnownMap()
{
    MapTable map;
    for (int i = 0; i < kChannels; ++i)
        map[i] = int16_t(i % 3 == 0 ? kNoOutput : i % 64);
    map[kDevAddEntry] = 4;
    map[kDevRangeEntry] = 7;
    return map;
}

QList<QByteArray> Frames(const MapTable &map, int blocks)
{
    QList<QByteArray> frames;
    for (int b = 0; b < blocks; ++b)
        frames << dmxlink::BlockFrame(map, b).toLatin1();
    return frames;
}

QString Lines(const QStringList &lines)
{
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace

class TestCliLink : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { home_.reset(); }
    void downloadThenVerifyOverComPort();
    void verifyAsksOnlyTheChecksum_data();
    void verifyAsksOnlyTheChecksum();
    void downloadFaults_data();
    void downloadFaults();
    void lineDroppedMidDownloadClaimsNothing();
    void revision_data();
    void revision();
    void portsThatCannotBeOpened_data();
    void portsThatCannotBeOpened();
    void portInUseIsRefusedAndLeftAlone();
    void permissionDeniedNamesDialoutGroup();

private:
    QString Put(const QString &name, const MapTable &map) const;

    std::unique_ptr<TempHome> home_;
};

void TestCliLink::init()
{
    home_.reset();
    home_ = std::make_unique<TempHome>();
}

QString TestCliLink::Put(const QString &name, const MapTable &map) const
{
    const QString path = home_->Path() + QLatin1Char('/') + name;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(MapToBytes(map));
    return path;
}

void TestCliLink::downloadThenVerifyOverComPort()
{
    SimProcess sim({"--port", "COM2"});
    QVERIFY(sim.Started());
    const QByteArray settings = home_->ReadSettings();
    const QString file = Put(QStringLiteral("Stage.CVX"), KnownMap());
    const QString checksum = dmxlink::MapChecksumText(KnownMap());
    const QString where = QStringLiteral("COM2 (") + sim.Path() + QLatin1Char(')');

    const CliRun download = RunCli({"download", file, "--port", "com2"});
    QVERIFY(download.finished);
    CVDMX_SKIP_IF_STALLED(download, QString());
    QCOMPARE(download.status, 0);
    QCOMPARE(QString::fromLocal8Bit(download.err),
             QStringLiteral("Downloading Stage.CVX to ") + where + QStringLiteral(": block 1 2 3 4 5 6 7 8, checksum\n"));
    QCOMPARE(QString::fromLocal8Bit(download.out), QStringLiteral("Download complete: ") + where
                                                       + QStringLiteral(" holds ") + file
                                                       + QStringLiteral(" (checksum ") + checksum + ")\n");
    QCOMPARE(sim.Received(), Frames(KnownMap(), 8) << "[03]");

    const CliRun verify = RunCli({"verify", "--port=COM2", file});
    QVERIFY(verify.finished);
    CVDMX_SKIP_IF_STALLED(verify, QString());
    QCOMPARE(verify.status, 0);
    QCOMPARE(QString::fromLocal8Bit(verify.out),
             where + QStringLiteral(" holds ") + file + QStringLiteral(" (checksum ") + checksum + ")\n");
    QCOMPARE(verify.err, QByteArray());
    QCOMPARE(sim.Received(), Frames(KnownMap(), 8) << "[03]" << "[03]");
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
    const MapTable map = known ? KnownMap() : ResetMap();
    const QString file = Put(QStringLiteral("map.CVX"), map);
    const QString checksum = dmxlink::MapChecksumText(map);

    const CliRun run = RunCli({"verify", file, "--port", sim.Path()});
    QVERIFY(run.finished);
    CVDMX_SKIP_IF_STALLED(run, QString());
    QCOMPARE(run.status, status);
    const QString expected = status == 0
        ? sim.Path() + QStringLiteral(" holds ") + file + QStringLiteral(" (checksum ") + checksum + ")\n"
        : sim.Path() + QStringLiteral(" holds another map: checksum ") + reported + QStringLiteral(", ") + file
            + QStringLiteral(" has ") + checksum + "\n";
    QCOMPARE(QString::fromLocal8Bit(run.out), expected);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(sim.Received(), QList<QByteArray>{"[03]"});
}

void TestCliLink::downloadFaults_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("progress");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("framesSent");
    QTest::addColumn<bool>("checksumAsked");
    QTest::newRow("silent on block 4") << QStringList{"--silent", "01:3"} << 5 << "1 2 3 4"
                                       << "no complete reply to block 4 of 8 (channels 193-256) within 2000 ms" << 4
                                       << false;
    QTest::newRow("short reply to block 1")
        << QStringList{"--short", "01:0"} << 5 << "1"
        << "no complete reply to block 1 of 8 (channels 1-64) within 2000 ms" << 1 << false;
    QTest::newRow("silent on the last block")
        << QStringList{"--silent", "01:7"} << 5 << "1 2 3 4 5 6 7 8"
        << "no complete reply to block 8 of 8 (channels 449-512) within 2000 ms" << 8 << false;
    QTest::newRow("silent on the checksum")
        << QStringList{"--silent", "03"} << 5 << "1 2 3 4 5 6 7 8, checksum"
        << "no complete reply to the checksum query [03] within 2000 ms" << 8 << true;
    QTest::newRow("lower-case checksum")
        << QStringList{"--lower-checksum"} << 1 << "1 2 3 4 5 6 7 8, checksum"
        << "checksum mismatch after the download: the controller reports %lower, the map has %checksum; "
           "the device will not function properly"
        << 8 << true;
}

void TestCliLink::downloadFaults()
{
    QFETCH(QStringList, simArgs);
    QFETCH(int, status);
    QFETCH(QString, progress);
    QFETCH(QString, error);
    QFETCH(int, framesSent);
    QFETCH(bool, checksumAsked);
    SimProcess sim(simArgs);
    QVERIFY(sim.Started());
    const QString file = Put(QStringLiteral("Stage.CVX"), KnownMap());
    const QString checksum = dmxlink::MapChecksumText(KnownMap());
    error.replace(QLatin1String("%lower"), checksum.toLower()).replace(QLatin1String("%checksum"), checksum);

    const CliRun run = RunCli({"download", file, "--port", sim.Path()});
    QVERIFY(run.finished);
    CVDMX_SKIP_IF_STALLED(run, error.startsWith(QLatin1String("no complete reply")) ? error : QString());
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err),
             Lines({QStringLiteral("Downloading Stage.CVX to ") + sim.Path() + QStringLiteral(": block ") + progress,
                    QStringLiteral("cvdmxmap-cli: ") + sim.Path() + QStringLiteral(": ") + error}));
    QList<QByteArray> expected = Frames(KnownMap(), framesSent);
    if (checksumAsked)
        expected << "[03]";
    QCOMPARE(sim.Received(), expected);
}

void TestCliLink::lineDroppedMidDownloadClaimsNothing()
{
    SimProcess sim({"--drop-at", "2"});
    QVERIFY(sim.Started());
    const QString file = Put(QStringLiteral("Stage.CVX"), KnownMap());

    const CliRun run = RunCli({"download", file, "--port", sim.Path()});
    QVERIFY(run.finished);
    CVDMX_SKIP_IF_STALLED(run, QString());
    QCOMPARE(run.status, 5);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err),
             Lines({QStringLiteral("Downloading Stage.CVX to ") + sim.Path() + QStringLiteral(": block 1 2 3"),
                    QStringLiteral("cvdmxmap-cli: ") + sim.Path()
                        + QStringLiteral(": the line was lost while waiting for the reply to block 3 of 8 "
                                         "(channels 129-192)")}));
}

void TestCliLink::revision_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<bool>("viaComPort");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("error");
    QTest::newRow("default revision") << QStringList() << false << 0 << QByteArray("CVDMX FW REV 1.01 \n") << QString();
    QTest::newRow("through COM5") << QStringList{"--port", "COM5"} << true << 0 << QByteArray("CVDMX FW REV 1.01 \n")
                                  << QString();
    QTest::newRow("shown as received") << QStringList{"--revision", "rev 2.00 [beta] x1"} << false << 0
                                       << QByteArray("rev 2.00 [beta] x1\n") << QString();
    QTest::newRow("extra characters left out") << QStringList{"--extra", "04", "--extra-text", "TAIL"} << false << 0
                                               << QByteArray("CVDMX FW REV 1.01 \n") << QString();
    QTest::newRow("one character short") << QStringList{"--short", "04"} << false << 5 << QByteArray()
                                         << "no complete reply to the revision query [04] within 2000 ms";
    QTest::newRow("silent") << QStringList{"--silent", "04"} << true << 5 << QByteArray()
                            << "no complete reply to the revision query [04] within 2000 ms";
}

void TestCliLink::revision()
{
    QFETCH(QStringList, simArgs);
    QFETCH(bool, viaComPort);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QString, error);
    if (viaComPort && !simArgs.contains(QLatin1String("--port")))
        simArgs << "--port" << "COM5";
    SimProcess sim(simArgs);
    QVERIFY(sim.Started());
    const QString where = viaComPort ? QStringLiteral("COM5 (") + sim.Path() + QLatin1Char(')') : sim.Path();

    const CliRun run = RunCli({"revision", "--port", viaComPort ? QStringLiteral("COM5") : sim.Path()});
    QVERIFY(run.finished);
    CVDMX_SKIP_IF_STALLED(run, error);
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, out);
    QCOMPARE(QString::fromLocal8Bit(run.err),
             error.isEmpty() ? QString() : QStringLiteral("cvdmxmap-cli: ") + where + QStringLiteral(": ") + error + "\n");
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
    QTest::newRow("missing device") << "revision" << "/nonexistent/ttyX" << "/nonexistent/ttyX" << missing;
    QTest::newRow("COM3 named in the settings file")
        << "download" << "COM3" << "COM3 (/nonexistent/cvdmx-line)" << missing;
    QTest::newRow("com3 in lower case") << "verify" << "com3" << "COM3 (/nonexistent/cvdmx-line)" << missing;
    QTest::newRow("regular file") << "download" << "%home/plain" << "%home/plain" << notTerminal;
    QTest::newRow("COM4 naming a regular file") << "revision" << "COM4" << "COM4 (%home/plain)" << notTerminal;
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
    const QString file = Put(QStringLiteral("Stage.CVX"), KnownMap());
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
    const QString file = Put(QStringLiteral("Stage.CVX"), KnownMap());
    {
        platform::SerialPort holder;
        QString reason;
        QVERIFY(holder.Open(sim.Path(), &reason));
        const CliRun run = RunCli({"download", file, "--port", sim.Path()});
        QVERIFY(run.finished);
        QCOMPARE(run.status, 4);
        QCOMPARE(run.out, QByteArray());
        const QString err = QString::fromLocal8Bit(run.err);
        QVERIFY2(err.startsWith(QStringLiteral("cvdmxmap-cli: ") + sim.Path() + QStringLiteral(": cannot use the port: ")),
                 qPrintable(err));
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QVERIFY(err.endsWith(QLatin1Char('\n')));
    }
    QCOMPARE(sim.Received(), QList<QByteArray>());
}

// Run as root, the tool is started as the unprivileged user "nobody", for whom the
// pseudo-terminal (root's, mode 620) is out of reach; otherwise the test's own
// pseudo-terminal is made unreadable.
void TestCliLink::permissionDeniedNamesDialoutGroup()
{
    platform::PseudoTerminal pty;
    QVERIFY(pty.Ok());
    std::function<void()> asNobody;
    if (::geteuid() == 0) {
        asNobody = [] {
            const gid_t none = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(none) != 0 || ::setuid(none) != 0)
                ::_exit(127);
        };
    } else {
        QCOMPARE(::chmod(QFile::encodeName(pty.Path()).constData(), 0), 0);
    }
    const CliRun run = RunCli({"revision", "--port", pty.Path()}, asNobody);
    if (!run.finished || run.status == 127)
        QSKIP("the tool cannot be started as an unprivileged user from this build folder");
    QCOMPARE(run.status, 4);
    QCOMPARE(run.out, QByteArray());
    const QString err = QString::fromLocal8Bit(run.err);
    const QString start = QStringLiteral("cvdmxmap-cli: ") + pty.Path()
        + QStringLiteral(": cannot use the port: open: Permission denied (the user may need to be in the "
                         "dialout group: sudo usermod -aG dialout ");
    QVERIFY2(err.startsWith(start), qPrintable(err));
    QVERIFY2(err.endsWith(QStringLiteral(", then log in again)\n")), qPrintable(err));
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
}

QTEST_GUILESS_MAIN(TestCliLink)
#include "test_cli_link.moc"
