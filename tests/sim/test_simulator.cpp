// cvdmx-sim as a program: the words --port takes, serving on a device, --save on a disk
// that refuses the map, and the words refused before it serves.
#include "document/MapFile.h"
#include "kit/CliRun.h"
#include "kit/DiskFault.h"
#include "kit/Files.h"
#include "kit/SimProcess.h"
#include "kit/TempHome.h"
#include "platform/PseudoTerminal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>
#include <optional>
#include <sys/stat.h>

using namespace modCVDMXMap;

namespace {

// Runs the simulator with words that make it stop before serving.
QProcess *Refused(QProcess &proc, const QStringList &args)
{
    proc.start(QFile::decodeName(qgetenv("CVDMX_SIM")), args);
    proc.waitForFinished(10000);
    return &proc;
}

} // namespace

class TestSimulator : public QObject {
    Q_OBJECT
private slots:
    void portTakesExactlyAComPortOrADevice_data();
    void portTakesExactlyAComPortOrADevice();
    void servesOnADevicePath();
    void saveThatFailsLeavesTheOldFile_data();
    void saveThatFailsLeavesTheOldFile();
    void settingsThatCannotBeWrittenEndTheSimulator_data();
    void settingsThatCannotBeWrittenEndTheSimulator();
    void valuesAfterAnEqualsSign();
    void wordsRefusedBeforeServing_data();
    void wordsRefusedBeforeServing();
};

// Each row: the word given to --port and the settings key written, none for a refusal.
void TestSimulator::portTakesExactlyAComPortOrADevice_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("key");
    QTest::newRow("COM3") << "COM3"
                          << "COM3";
    QTest::newRow("com8, any case") << "com8"
                                    << "COM8";
    for (const char *bad : {"COM01", "com+3", "COM 2", "COM9", "COM0", "COM", "COM1x", "3", "ttyUSB0"})
        QTest::newRow(bad) << bad << QString();
}

void TestSimulator::portTakesExactlyAComPortOrADevice()
{
    QFETCH(QString, word);
    QFETCH(QString, key);
    TempHome home;
    if (key.isEmpty()) {
        QProcess proc;
        Refused(proc, {"--port", word});
        QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(proc.exitCode(), 2);
        QCOMPARE(QString::fromLocal8Bit(proc.readAllStandardError()),
                 QStringLiteral("cvdmx-sim: --port takes COM1 .. COM8 or a device path, not ") + word
                     + QLatin1Char('\n'));
        QVERIFY(!QFile::exists(home.WorkFolder()));
        return;
    }
    SimProcess sim({"--port", word});
    QVERIFY(sim.Started());
    QCOMPARE(home.ReadSettings(), "[Ports]\n" + key.toLatin1() + '=' + QFile::encodeName(sim.Path()) + '\n');
    QVERIFY(sim.Stop());
}

// Given a device path, the simulator answers on that device, as it would on a serial
// line wired to the editor's port.
void TestSimulator::servesOnADevicePath()
{
    TempHome home;
    platform::PseudoTerminal line;
    QVERIFY(line.Ok());
    SimProcess sim({"--port", line.Path(), "--revision", "ON A REAL LINE"});
    QVERIFY(sim.Started());
    QCOMPARE(sim.Path(), line.Path());
    line.Write("[04]", 3000);
    QCOMPARE(line.Read(20, 2000), QByteArray("[ON A REAL LINE    ]"));
    QVERIFY(!QFile::exists(home.SettingsFile()));
    QVERIFY(sim.Stop());
}

// Each row: what the file given to --save meets, and the reason reported. The file holds
// its old bytes afterwards, and the simulator ends with status 1.
void TestSimulator::saveThatFailsLeavesTheOldFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    if (FullFileSystem::Possible())
        QTest::newRow("full disk") << "full"
                                   << "No space left on device";
    QTest::newRow("size limit") << "limit"
                                << "File too large";
    QTest::newRow("a named pipe") << "pipe"
                                  << "Not a regular file";
}

void TestSimulator::saveThatFailsLeavesTheOldFile()
{
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    TempHome home;
    const std::unique_ptr<FullFileSystem> disk = FullFileSystemFor(fault);
    QVERIFY(!disk || disk->Ok());
    const QString path = (disk ? disk->Path() : home.Path()) + QStringLiteral("/received.CVX");
    MapTable old;
    old.fill(7);
    old[kDevAddEntry] = 3;
    old[kDevRangeEntry] = 4;
    const QByteArray oldBytes = MapToBytes(old);
    if (fault == "pipe") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(oldBytes), qint64(oldBytes.size()));
    }
    if (disk)
        QVERIFY(disk->Fill());
    const HangGuard guard(20);

    QProcess proc;
    {
        // The limit holds for the simulator, which takes it over when it starts.
        std::optional<FileSizeLimit> limit;
        if (fault == "limit")
            limit.emplace(1024);
        proc.start(QFile::decodeName(qgetenv("CVDMX_SIM")), {"--save", path});
        QVERIFY(proc.waitForReadyRead(10000));
    }
    proc.terminate();
    QVERIFY(proc.waitForFinished(10000));
    QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(proc.exitCode(), 1);
    QCOMPARE(QString::fromLocal8Bit(proc.readAllStandardError()),
             QStringLiteral("cvdmx-sim: cannot write ") + path + QStringLiteral(": ") + reason + QLatin1Char('\n'));
    if (fault == "pipe") {
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(path).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    } else {
        QCOMPARE(ReadBytes(path), oldBytes);
    }
}

// Each row: why --port COMn cannot write the settings file, and the reason. The editor's
// COMn would not reach the line: the simulator says why and ends with status 1 before it
// announces a line, and the file stays as it was.
void TestSimulator::settingsThatCannotBeWrittenEndTheSimulator_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("mode 0444, whoever runs it") << "0444"
                                                << "Permission denied";
    QTest::newRow("a folder in its place") << "folder"
                                           << "Is a directory";
}

void TestSimulator::settingsThatCannotBeWrittenEndTheSimulator()
{
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    TempHome home;
    const QByteArray before = "[Ports]\nCOM3=/dev/ttyUSB2\n";
    if (fault == "folder") {
        QVERIFY(QDir().mkpath(home.SettingsFile()));
    } else {
        home.WriteSettings(before);
        QCOMPARE(::chmod(QFile::encodeName(home.SettingsFile()).constData(), 0444), 0);
    }
    QProcess proc;
    Refused(proc, {"--port", "COM3"});
    QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(proc.exitCode(), 1);
    QCOMPARE(proc.readAllStandardOutput(), QByteArray());
    QCOMPARE(QString::fromLocal8Bit(proc.readAllStandardError()),
             QStringLiteral("cvdmx-sim: cannot write ") + home.SettingsFile() + QStringLiteral(": ") + reason
                 + QLatin1Char('\n'));
    if (fault == "folder")
        QVERIFY(QFileInfo(home.SettingsFile()).isDir());
    else
        QCOMPARE(home.ReadSettings(), before);
}

// --port=COMn and --revision=TEXT give their values as --port COMn and --revision TEXT do.
void TestSimulator::valuesAfterAnEqualsSign()
{
    TempHome home;
    SimProcess sim({"--port=COM3", "--revision=GIVEN AFTER ="});
    QVERIFY(sim.Started());
    QCOMPARE(home.ReadSettings(), "[Ports]\nCOM3=" + QFile::encodeName(sim.Path()) + '\n');
    const CliRun revision = RunCli({"revision", "--port", "COM3"});
    QCOMPARE(revision.status, 0);
    QCOMPARE(revision.out, QByteArray("GIVEN AFTER =     \n"));
    QVERIFY(sim.Stop());
}

// Each row: words the simulator refuses with status 2 before it serves: nothing announced
// on standard output, nothing written to the settings file. %line is a pseudo-terminal the
// simulator could serve on.
void TestSimulator::wordsRefusedBeforeServing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("err");
    QTest::newRow("COM9 after a device path")
        << QStringList{"--port", "%line", "--port", "COM9"} << "--port takes COM1 .. COM8 or a device path, not COM9";
    QTest::newRow("COM9 after COM2") << QStringList{"--port", "COM2", "--port=COM9"}
                                     << "--port takes COM1 .. COM8 or a device path, not COM9";
    QTest::newRow("an empty file to save into")
        << QStringList{"--port", "%line", "--save", ""} << "--save needs a value";
    QTest::newRow("an operand") << QStringList{"--port", "COM2", "received.CVX"}
                                << "unexpected argument received.CVX (see --help)";
}

void TestSimulator::wordsRefusedBeforeServing()
{
    QFETCH(QStringList, args);
    QFETCH(QString, err);
    TempHome home;
    platform::PseudoTerminal line;
    QVERIFY(line.Ok());
    args.replaceInStrings(QStringLiteral("%line"), line.Path());
    QProcess proc;
    Refused(proc, args);
    QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(proc.exitCode(), 2);
    QCOMPARE(proc.readAllStandardOutput(), QByteArray());
    QCOMPARE(QString::fromLocal8Bit(proc.readAllStandardError()), QStringLiteral("cvdmx-sim: ") + err + '\n');
    QVERIFY(!QFile::exists(home.WorkFolder()));
}

QTEST_GUILESS_MAIN(TestSimulator)
#include "test_simulator.moc"
