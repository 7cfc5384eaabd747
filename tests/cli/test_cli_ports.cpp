// cvdmxmap-cli ports: what COM1..COM8 stand for on this machine, and pointing one at a
// device and back, with the settings file's other bytes kept.
#include "kit/CliRun.h"
#include "kit/TempHome.h"
#include "platform/PseudoTerminal.h"

#include <QFile>
#include <QtTest>
#include <algorithm>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The line of port name in the listing, blanks folded.
QString PortLine(const QString &out, const QString &name)
{
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        if (line.startsWith(name + QLatin1Char(' ')))
            return line.simplified();
    }
    return QString();
}

} // namespace

class TestCliPorts : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { home_.reset(); }
    void listing();
    void noPermissionNamesTheGroup();
    void setAndUnsetKeepEveryOtherByte();
    void badWords_data();
    void badWords();
    void refusalGivesTheReason_data();
    void refusalGivesTheReason();

private:
    std::unique_ptr<TempHome> home_;
};

void TestCliPorts::init()
{
    home_ = std::make_unique<TempHome>();
}

// COM1 on a pseudo-terminal, COM2 on a device that is not there, COM3 on a plain file,
// the rest on their defaults.
void TestCliPorts::listing()
{
    platform::PseudoTerminal line;
    QVERIFY(line.Ok());
    const QString plain = home_->Path() + QStringLiteral("/plain");
    QFile(plain).open(QIODevice::WriteOnly);
    home_->WriteSettings("[Ports]\nCOM1=" + QFile::encodeName(line.Path())
                         + "\nCOM2=/dev/ttyUSB93\nCOM3=" + QFile::encodeName(plain) + "\n");
    const CliRun run = RunCli({"ports"});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray());
    const QString out = QString::fromLocal8Bit(run.out);
    QVERIFY(out.startsWith(QStringLiteral("Settings file: ") + home_->SettingsFile() + QLatin1Char('\n')));
    QCOMPARE(PortLine(out, QStringLiteral("COM1")),
             QStringLiteral("COM1 ") + line.Path() + QStringLiteral(" settings file present, usable"));
    QCOMPARE(PortLine(out, QStringLiteral("COM2")), QStringLiteral("COM2 /dev/ttyUSB93 settings file missing"));
    QCOMPARE(PortLine(out, QStringLiteral("COM3")),
             QStringLiteral("COM3 ") + plain + QStringLiteral(" settings file present, not a device"));
    for (int n = 4; n <= 8; ++n)
        QVERIFY(PortLine(out, QStringLiteral("COM%1").arg(n))
                    .startsWith(QStringLiteral("COM%1 /dev/ttyS%2 default ").arg(n).arg(n - 1)));
    QVERIFY(out.contains(QStringLiteral("\nSerial devices on this machine")));
}

// A device of a group the user is not in, such as dialout, that only that group may use:
// the listing names the group.
void TestCliPorts::noPermissionNamesTheGroup()
{
    platform::PseudoTerminal line;
    QVERIFY(line.Ok());
    const QByteArray device = QFile::encodeName(line.Path());
    home_->WriteSettings("[Ports]\nCOM4=" + device + "\n");
    QCOMPARE(::chmod(QFile::encodeName(home_->Path()).constData(), 0755), 0);
    // Root gives the device to dialout and runs the tool as nobody; an ordinary user keeps
    // the terminal's own group, one it is not in, and takes the owner's bits away.
    std::function<void()> outsider;
    if (::geteuid() == 0) {
        const group *dialout = ::getgrnam("dialout");
        QVERIFY(dialout);
        QCOMPARE(::chown(device.constData(), 0, dialout->gr_gid), 0);
        QCOMPARE(::chmod(device.constData(), 0660), 0);
        outsider = [] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(127);
        };
    } else {
        QCOMPARE(::chmod(device.constData(), 0060), 0);
    }
    struct stat st {};
    QCOMPARE(::stat(device.constData(), &st), 0);
    const QString groupName = QString::fromLocal8Bit(::getgrgid(st.st_gid)->gr_name);
    // An ordinary user may be in the terminal's group already: then no group is named.
    const bool outsideGroup = ::geteuid() == 0 || (::getegid() != st.st_gid && [&] {
                                  std::vector<gid_t> groups(size_t(::getgroups(0, nullptr)));
                                  ::getgroups(int(groups.size()), groups.data());
                                  return std::find(groups.begin(), groups.end(), st.st_gid) == groups.end();
                              }());
    const CliRun run = RunCli({"ports"}, outsider);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    const QString advice = QStringLiteral(
                               ": the user is not in the %1 group (sudo usermod -aG %1 $USER, then log in "
                               "again)")
                               .arg(groupName);
    QCOMPARE(PortLine(QString::fromLocal8Bit(run.out), QStringLiteral("COM4")),
             QStringLiteral("COM4 ") + line.Path() + QStringLiteral(" settings file present, no permission")
                 + (outsideGroup ? advice : QString()));
    if (::geteuid() == 0)
        QCOMPARE(groupName, QStringLiteral("dialout"));
}

void TestCliPorts::setAndUnsetKeepEveryOtherByte()
{
    const QByteArray before = "; the rig in hall 2\r\n[Download]\r\nCom Port=3\r\n\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\n";
    home_->WriteSettings(before);
    platform::PseudoTerminal line;
    QVERIFY(line.Ok());

    const CliRun set = RunCli({"ports", "--set", "com3=" + line.Path()});
    QCOMPARE(set.status, 0);
    QCOMPARE(QString::fromLocal8Bit(set.out), QStringLiteral("COM3 is now ") + line.Path() + QLatin1Char('\n'));
    QCOMPARE(home_->ReadSettings(), before + "COM3=" + QFile::encodeName(line.Path()) + "\r\n");

    const CliRun missing = RunCli({"ports", "--set=COM3=/dev/ttyUSB93"});
    QCOMPARE(missing.status, 0);
    QCOMPARE(QString::fromLocal8Bit(missing.out),
             QStringLiteral("COM3 is now /dev/ttyUSB93\n      /dev/ttyUSB93: missing\n"));
    QCOMPARE(home_->ReadSettings(), before + "COM3=/dev/ttyUSB93\r\n");

    const CliRun unset = RunCli({"ports", "--unset", "COM3"});
    QCOMPARE(unset.status, 0);
    QCOMPARE(QString::fromLocal8Bit(unset.out), QStringLiteral("COM3 is back to /dev/ttyS2\n"));
    QCOMPARE(home_->ReadSettings(), before);

    // A first --set on a new machine makes the working folder and the file.
    home_.reset();
    home_ = std::make_unique<TempHome>();
    QCOMPARE(RunCli({"ports", "--set", "COM8=/dev/ttyACM0"}).status, 0);
    QCOMPARE(home_->ReadSettings(), QByteArray("[Ports]\nCOM8=/dev/ttyACM0\n"));
}

// Each row: the words, and the complaint. The settings file stays as it was.
void TestCliPorts::badWords_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("err");
    const QString more = QStringLiteral(" (see cvdmxmap-cli ports --help)\n");
    QTest::newRow("COM9") << QStringList{"--set", "COM9=/dev/ttyUSB0"}
                          << "--set takes COMn=PATH, COM1 .. COM8 and a device path, not COM9=/dev/ttyUSB0" + more;
    QTest::newRow("COM01") << QStringList{"--set", "COM01=/dev/ttyUSB0"}
                           << "--set takes COMn=PATH, COM1 .. COM8 and a device path, not COM01=/dev/ttyUSB0" + more;
    QTest::newRow("no path") << QStringList{"--set", "COM2"}
                             << "--set takes COMn=PATH, COM1 .. COM8 and a device path, not COM2" + more;
    QTest::newRow("a path without a folder") << QStringList{"--set", "COM2=ttyUSB0"}
                                             << "--set takes COMn=PATH, COM1 .. COM8 and a device path, not "
                                                "COM2=ttyUSB0"
            + more;
    QTest::newRow("unset COM 2") << QStringList{"--unset", "COM 2"} << "--unset takes COM1 .. COM8, not COM 2" + more;
    QTest::newRow("both") << QStringList{"--set", "COM2=/dev/x", "--unset", "COM2"}
                          << "--set and --unset do not go together" + more;
    QTest::newRow("an operand") << QStringList{"COM2"} << "unexpected argument COM2" + more;
    // A control character would end the settings line, or hide in it.
    QTest::newRow("a tab in the path") << QStringList{"--set", "COM2=/dev/tty\tUSB0"}
                                       << "the device path holds control character 0x09 at position 9" + more;
    QTest::newRow("an escape in the path") << QStringList{"--set", "COM2=\x1b[2J/dev/ttyUSB0"}
                                           << "the device path holds control character 0x1B at position 1" + more;
    QTest::newRow("DEL at the end of the path") << QStringList{"--set", "COM2=/dev/ttyUSB0\x7f"}
                                                << "the device path holds control character 0x7F at position 13" + more;
}

void TestCliPorts::badWords()
{
    QFETCH(QStringList, words);
    QFETCH(QString, err);
    const QByteArray before = "[Ports]\nCOM2=/dev/ttyUSB1\n";
    home_->WriteSettings(before);
    const CliRun run = RunCli(QStringList{"ports"} + words);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err), QStringLiteral("cvdmxmap-cli: ports: ") + err);
    QCOMPARE(home_->ReadSettings(), before);
}

// Each row: the words, with a settings file of mode 0444, which nobody (root included) may
// write: status 3, the reason, and the file as it was.
void TestCliPorts::refusalGivesTheReason_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::newRow("--set") << QStringList{"--set", "COM2=/dev/ttyUSB0"};
    QTest::newRow("--unset") << QStringList{"--unset", "COM2"};
}

void TestCliPorts::refusalGivesTheReason()
{
    QFETCH(QStringList, words);
    const QByteArray before = "[Ports]\nCOM2=/dev/ttyUSB1\n";
    home_->WriteSettings(before);
    QCOMPARE(::chmod(QFile::encodeName(home_->SettingsFile()).constData(), 0444), 0);
    const CliRun run = RunCli(QStringList{"ports"} + words);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 3);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err),
             QStringLiteral("cvdmxmap-cli: ") + home_->SettingsFile()
                 + QStringLiteral(": cannot write the settings file (Permission denied)\n"));
    QCOMPARE(home_->ReadSettings(), before);
}

QTEST_GUILESS_MAIN(TestCliPorts)
#include "test_cli_ports.moc"
