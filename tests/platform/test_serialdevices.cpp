// What the tool tells of COM1..COM8 and of the serial devices a machine has: the devices
// found under a device tree, their stable names, whether each can be used, and pointing a
// port at a device and back in the settings file with every other byte kept.
#include "platform/ComPorts.h"
#include "platform/Profile.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialDevices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace platform;

namespace {

void Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSerialDevices : public QObject {
    Q_OBJECT
private slots:
    void keyRemoved_data();
    void keyRemoved();
    void portPointedAndBack();
    void devicesOfATree();
    void probedDevices();
    void uartReportedByTheDriver_data();
    void uartReportedByTheDriver();
};

// Each row: the file, and the file without key COM2 of [Ports].
void TestSerialDevices::keyRemoved_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("the key's line only")
        << QByteArray(
               "; mine\r\n[Ports]\r\nCOM1=/dev/a\r\n com2 = /dev/b \r\nCOM3=/dev/c\r\n[Download]\r\nCom Port=2\r\n")
        << QByteArray("; mine\r\n[Ports]\r\nCOM1=/dev/a\r\nCOM3=/dev/c\r\n[Download]\r\nCom Port=2\r\n");
    QTest::newRow("the last line, without a newline") << QByteArray("[Ports]\nCOM2=/dev/b") << QByteArray("[Ports]\n");
    QTest::newRow("no such key") << QByteArray("[Ports]\nCOM1=/dev/a\n") << QByteArray("[Ports]\nCOM1=/dev/a\n");
    QTest::newRow("the key in another section")
        << QByteArray("[Other]\nCOM2=x\n[Ports]\n") << QByteArray("[Other]\nCOM2=x\n[Ports]\n");
}

void TestSerialDevices::keyRemoved()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QCOMPARE(ProfileWithoutKey(before, "Ports", "COM2"), after);
}

// A port pointed at a device and back in a real settings file: the port's line comes and
// goes, nothing else changes.
void TestSerialDevices::portPointedAndBack()
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("settings.ini"));
    const QByteArray before = "; kept\n[Download]\nCom Port=3\n[Ports]\nCOM1=/dev/ttyUSB9\n";
    Write(settings, before);
    const ComPort com3 = ComPort::FromIndex(2);
    QCOMPARE(com3.ConfiguredDevice(settings), std::nullopt);
    QCOMPARE(com3.Device(settings), QStringLiteral("/dev/ttyS2"));

    QVERIFY(com3.SetDevice(QStringLiteral("/dev/serial/by-id/usb-X-if00-port0"), settings));
    QCOMPARE(Read(settings), before + "COM3=/dev/serial/by-id/usb-X-if00-port0\n");
    QCOMPARE(com3.Device(settings), QStringLiteral("/dev/serial/by-id/usb-X-if00-port0"));

    QVERIFY(com3.ClearDevice(settings));
    QCOMPARE(Read(settings), before);
    QCOMPARE(com3.Device(settings), QStringLiteral("/dev/ttyS2"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({".settings.ini.lock", "settings.ini"}));
}

// A device tree with two adapters behind stable names, one node without, and what is no
// serial device at all.
void TestSerialDevices::devicesOfATree()
{
    QTemporaryDir dev;
    QVERIFY(QDir(dev.path()).mkpath(QStringLiteral("serial/by-id")));
    for (const char *node : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0", "null"})
        Write(dev.filePath(QString::fromLatin1(node)), QByteArray());
    QVERIFY(QFile::link(QStringLiteral("../../ttyUSB1"),
                        dev.filePath(QStringLiteral("serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0"))));
    QVERIFY(QFile::link(QStringLiteral("../../ttyACM0"),
                        dev.filePath(QStringLiteral("serial/by-id/usb-Arduino_Uno_7563-if00"))));

    const std::vector<SerialDevice> devices = ListSerialDevices(dev.path());
    QStringList listed;
    for (const SerialDevice &d : devices)
        listed << QDir(dev.path()).relativeFilePath(d.path) + QStringLiteral(" -> ")
                + (d.target.isEmpty() ? QString() : QDir(dev.path()).relativeFilePath(d.target));
    QCOMPARE(listed,
             QStringList({"serial/by-id/usb-Arduino_Uno_7563-if00 -> ttyACM0",
                          "serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0 -> ttyUSB1", "ttyACM0 -> ", "ttyUSB0 -> ",
                          "ttyUSB1 -> "}));
    QCOMPARE(StableName(dev.filePath(QStringLiteral("ttyUSB1")), devices),
             dev.filePath(QStringLiteral("serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0")));
    QCOMPARE(StableName(dev.filePath(QStringLiteral("ttyUSB0")), devices), QString());
    QCOMPARE(ListSerialDevices(dev.filePath(QStringLiteral("nowhere"))).size(), size_t(0));
}

// A pseudo-terminal is a device this user may use; a missing path and a plain file are not.
void TestSerialDevices::probedDevices()
{
    QTemporaryDir dir;
    PseudoTerminal line;
    QVERIFY(line.Ok());
    const DeviceState tty = ProbeDevice(line.Path());
    QVERIFY(tty.present && tty.usable);
    QCOMPARE(tty.problem, QString());

    const DeviceState missing = ProbeDevice(dir.filePath(QStringLiteral("ttyUSB7")));
    QVERIFY(!missing.present && !missing.usable);
    QCOMPARE(missing.problem, QStringLiteral("missing"));

    Write(dir.filePath(QStringLiteral("plain")), "x");
    const DeviceState plain = ProbeDevice(dir.filePath(QStringLiteral("plain")));
    QVERIFY(plain.present && !plain.usable);
    QCOMPARE(plain.problem, QStringLiteral("not a device"));
}

// Each row: what the serial core reports as the type of the port behind a real character
// device (a pseudo-terminal), in a device tree of the test's own; nothing when it is not a
// serial core port.
void TestSerialDevices::uartReportedByTheDriver_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QString>("problem");
    QTest::newRow("no UART (type 0)") << QByteArray("0\n") << false << "no UART";
    QTest::newRow("a 16550A (type 4)") << QByteArray("4\n") << true << "";
    QTest::newRow("no type: not a serial core port") << QByteArray() << true << "";
}

void TestSerialDevices::uartReportedByTheDriver()
{
    QFETCH(QByteArray, type);
    QFETCH(bool, usable);
    QFETCH(QString, problem);
    PseudoTerminal line;
    QVERIFY(line.Ok());
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(line.Path()).constData(), &st), 0);
    QTemporaryDir sys;
    const QString port = sys.filePath(QStringLiteral("dev/char/%1:%2").arg(major(st.st_rdev)).arg(minor(st.st_rdev)));
    QVERIFY(QDir().mkpath(port));
    if (!type.isEmpty())
        Write(port + QStringLiteral("/type"), type);

    const DeviceState state = ProbeDevice(line.Path(), sys.path());
    QVERIFY(state.present);
    QCOMPARE(state.usable, usable);
    QCOMPARE(state.problem, problem);
}

QTEST_GUILESS_MAIN(TestSerialDevices)
#include "test_serialdevices.moc"
