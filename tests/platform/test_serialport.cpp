#include "kit/TempHome.h"
#include "platform/ComPorts.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"
#include "platform/Stopwatch.h"

#include <QTemporaryFile>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

class TestSerialPort : public QObject {
    Q_OBJECT
private slots:
    void opensPseudoTerminalWithLineSettings();
    void refusesUnusableDevice_data();
    void refusesUnusableDevice();
    void refusesDeviceInUseUntilClosed();
    void exclusiveFlagHeldOnlyWhileOpen();
    void dtrOnPseudoTerminalCountsAsSuccess();
    void outputSendsEveryByteThroughFullBuffers();
    void outputGivesUpWhenNothingIsTaken();
    void inputReturnsAndRemovesEverythingWaiting();
    void receiveBufferHolds1024BytesAndLosesNone();
    void waitForInputBlocksUntilMoreBytesOrTimeout();
    void lineGoneIsReported();
    void comPortDevice_data();
    void comPortDevice();
    void stopwatchCountsMilliseconds();
};

void TestSerialPort::opensPseudoTerminalWithLineSettings()
{
    platform::PseudoTerminal pty;
    QVERIFY(pty.Ok());
    platform::SerialPort port;
    QString reason;
    QVERIFY2(port.Open(pty.Path(), &reason), qPrintable(reason));
    QVERIFY(port.PortOpen());

    termios tio{};
    QCOMPARE(tcgetattr(port.Handle(), &tio), 0);
    QCOMPARE(cfgetospeed(&tio), speed_t(B38400));
    QCOMPARE(cfgetispeed(&tio), speed_t(B38400));
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(tio.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    QCOMPARE(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
    QCOMPARE(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP | IGNBRK), tcflag_t(0));
    QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
    QCOMPARE(fcntl(port.Handle(), F_GETFL) & O_NONBLOCK, O_NONBLOCK);

    port.Close();
    QVERIFY(!port.PortOpen());
    QCOMPARE(port.Handle(), -1);
}

void TestSerialPort::refusesUnusableDevice_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing device") << "missing";
    QTest::newRow("regular file") << "file";
    QTest::newRow("folder") << "folder";
}

void TestSerialPort::refusesUnusableDevice()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/ttyNone");
    if (kind == QLatin1String("file")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a line");
    } else if (kind == QLatin1String("folder")) {
        path = dir.path();
    }
    platform::SerialPort port;
    QString reason;
    QVERIFY(!port.Open(path, &reason));
    QVERIFY(!port.PortOpen());
    QVERIFY(!reason.isEmpty());
    if (kind == QLatin1String("file")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("not a line"));
    }
}

// An ordinary user meets the exclusive-use flag when opening; root passes the flag and
// meets the lock.
void TestSerialPort::refusesDeviceInUseUntilClosed()
{
    platform::PseudoTerminal pty;
    platform::SerialPort first, second;
    QString reason;
    QVERIFY(first.Open(pty.Path(), &reason));
    QVERIFY(!second.Open(pty.Path(), &reason));
    QCOMPARE(reason,
             ::geteuid() == 0 ? QStringLiteral("in use: ") + QString::fromLocal8Bit(std::strerror(EWOULDBLOCK))
                              : QStringLiteral("open: ") + QString::fromLocal8Bit(std::strerror(EBUSY)));
    QVERIFY(!second.PortOpen());
    QVERIFY(first.PortOpen());
    first.Close();
    QVERIFY2(second.Open(pty.Path(), &reason), qPrintable(reason));
}

void TestSerialPort::exclusiveFlagHeldOnlyWhileOpen()
{
    platform::PseudoTerminal pty;
    platform::UniqueFd observer(::open(pty.Path().toLatin1().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK));
    QVERIFY(observer.Valid());
    int excl = -1;
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(pty.Path(), &reason));
    QCOMPARE(ioctl(observer.Get(), TIOCGEXCL, &excl), 0);
    QCOMPARE(excl, 1);
    port.Close();
    QCOMPARE(ioctl(observer.Get(), TIOCGEXCL, &excl), 0);
    QCOMPARE(excl, 0);
}

void TestSerialPort::dtrOnPseudoTerminalCountsAsSuccess()
{
    platform::PseudoTerminal pty;
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(pty.Path(), &reason));
    QVERIFY2(port.SetDTREnable(true, &reason), qPrintable(reason));

    platform::SerialPort closed;
    QVERIFY(!closed.SetDTREnable(true, &reason));
}

void TestSerialPort::outputSendsEveryByteThroughFullBuffers()
{
    platform::PseudoTerminal pty;
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(pty.Path(), &reason));
    // Far more than the line buffers hold: the writer meets EAGAIN and partial writes.
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += char('A' + i % 26);
    QByteArray got;
    std::thread reader([&] { got = pty.Read(int(bytes.size()), 20000); });
    const bool sent = port.Output(bytes);
    reader.join();
    QVERIFY(sent);
    QCOMPARE(got.size(), bytes.size());
    QVERIFY(got == bytes);
}

void TestSerialPort::outputGivesUpWhenNothingIsTaken()
{
    platform::PseudoTerminal pty;
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(pty.Path(), &reason));
    platform::Stopwatch sw;
    QVERIFY(!port.Output(QByteArray(1 << 20, 'x')));
    QVERIFY(sw.Read() >= 1900);
    QVERIFY(!port.LineOk());
    QVERIFY(!port.WaitForInput(0));
}

void TestSerialPort::inputReturnsAndRemovesEverythingWaiting()
{
    platform::PseudoTerminal pty;
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(pty.Path(), &reason));
    QCOMPARE(port.InBufferCount(), 0);
    QCOMPARE(port.Input(), QByteArray());
    pty.Write(QByteArray("[0A1B]\r\n\x00\xff", 10), 3000);
    QTRY_COMPARE(port.InBufferCount(), 10);
    QCOMPARE(port.Input(), QByteArray("[0A1B]\r\n\x00\xff", 10));
    QCOMPARE(port.InBufferCount(), 0);
    QCOMPARE(port.Input(), QByteArray());
}

void TestSerialPort::receiveBufferHolds1024BytesAndLosesNone()
{
    platform::PseudoTerminal pty;
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(pty.Path(), &reason));
    QByteArray flood(3000, '\0');
    for (int i = 0; i < flood.size(); ++i)
        flood[i] = char(i * 7);
    pty.Write(flood, 3000);
    QTRY_COMPARE(port.InBufferCount(), 1024);
    QByteArray received = port.Input();
    QCOMPARE(received.size(), 1024);
    QTRY_COMPARE(port.InBufferCount(), 1024);
    received += port.Input();
    QTRY_COMPARE(port.InBufferCount(), 952);
    received += port.Input();
    QCOMPARE(received, flood);
    QCOMPARE(port.InBufferCount(), 0);
}

// The waits that must end early are given 20 s: ending before that shows what ended them,
// however slow the machine.
void TestSerialPort::waitForInputBlocksUntilMoreBytesOrTimeout()
{
    platform::PseudoTerminal pty;
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(pty.Path(), &reason));
    pty.Write("ab", 3000);
    QTRY_COMPARE(port.InBufferCount(), 2);

    // Bytes already waiting do not end the wait: only new ones do.
    platform::Stopwatch sw;
    QVERIFY(port.WaitForInput(300));
    QVERIFY(sw.Read() >= 290);
    QCOMPARE(port.InBufferCount(), 2);

    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty.Write("c", 3000);
    });
    sw.Restart();
    QVERIFY(port.WaitForInput(20000));
    writer.join();
    QVERIFY(sw.Read() < 20000);
    QCOMPARE(port.Input(), QByteArray("abc"));

    // Bytes that reached the driver after the caller last counted are new to it too: the
    // wait ends at once instead of blocking for more.
    pty.Write("[01]", 3000);
    pollfd pfd{port.Handle(), POLLIN, 0};
    QCOMPARE(::poll(&pfd, 1, 20000), 1);
    sw.Restart();
    QVERIFY(port.WaitForInput(20000));
    QVERIFY2(sw.Read() < 20000, qPrintable(QString::number(sw.Read())));
    QCOMPARE(port.Input(), QByteArray("[01]"));
}

void TestSerialPort::lineGoneIsReported()
{
    platform::PseudoTerminal pty;
    platform::SerialPort port;
    QString reason;
    QVERIFY(port.Open(pty.Path(), &reason));
    QVERIFY(port.LineOk());
    pty.HangUp();
    platform::Stopwatch sw;
    QVERIFY(!port.WaitForInput(20000));
    QVERIFY(sw.Read() < 20000);
    QVERIFY(!port.LineOk());
    QVERIFY(!port.Output("[04]"));
    port.Close();
    QVERIFY(!port.PortOpen());
}

void TestSerialPort::comPortDevice_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::newRow("no file, COM1") << QByteArray() << 1 << "/dev/ttyS0";
    QTest::newRow("no key, COM8") << QByteArray("[Download]\r\nCom Port=2\r\n") << 8 << "/dev/ttyS7";
    QTest::newRow("COM1 mapped") << QByteArray("[Ports]\r\nCOM1=/dev/ttyUSB0\r\n") << 1 << "/dev/ttyUSB0";
    QTest::newRow("other key mapped") << QByteArray("[Ports]\r\nCOM1=/dev/ttyUSB0\r\n") << 2 << "/dev/ttyS1";
    QTest::newRow("names in any case") << QByteArray("[ports]\ncom3 = /dev/pts/7 \n") << 3 << "/dev/pts/7";
    QTest::newRow("empty value") << QByteArray("[Ports]\nCOM4=\n") << 4 << "/dev/ttyS3";
    QTest::newRow("blank in path") << QByteArray("[Ports]\nCOM5=/tmp/my line\n") << 5 << "/tmp/my line";
}

void TestSerialPort::comPortDevice()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, port);
    QFETCH(QString, device);
    TempHome home;
    if (!settings.isEmpty())
        home.WriteSettings(settings);
    QCOMPARE(platform::ComPort::FromIndex(port - 1).Device(home.SettingsFile()), device);
    QCOMPARE(home.ReadSettings(), settings);
}

void TestSerialPort::stopwatchCountsMilliseconds()
{
    platform::Stopwatch sw;
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const int32_t first = sw.Read();
    QVERIFY(first >= 60);
    QVERIFY(sw.Read() >= first);
    sw.Restart();
    QVERIFY(sw.Read() < first);
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "test_serialport.moc"
