// Settings files that are damaged, huge, oddly written or protected: the port start-up
// takes from them, and that writing the port changes the port line and nothing else.
#include "document/modCVDMXMap.h"
#include "support/FileAccess.h"
#include "support/TempHome.h"

#include <QElapsedTimer>
#include <QTest>
#include <optional>

using namespace modCVDMXMap;

namespace {

// The settings steps of start-up: LoadSettings and the range check.
void StartUp()
{
    LoadSettings();
    if (iComPort < 0 || iComPort > 7) {
        iComPort = 0;
        SaveSettings();
    }
}

// Every byte value once: NULs, control characters, '[', ']', '=', ';', a lone CR and a
// lone LF, ending in 0xFF without a line end.
QByteArray Garbage()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += char(b);
    return bytes;
}

QByteArray TenMegabytesOfGarbage()
{
    const QByteArray block = Garbage();
    QByteArray bytes;
    bytes.reserve(10 << 20);
    while (bytes.size() < (10 << 20))
        bytes += block;
    return bytes;
}

QByteArray Download(const QByteArray &value)
{
    return "[Download]\nCom Port=" + value + "\n";
}

} // namespace

class SettingsFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void startUpThenSave_data();
    void startUpThenSave();
    void protectedSettingsFile_data();
    void protectedSettingsFile();
};

// Each row: the file before start-up, the port index start-up ends with, the file after
// start-up, and the file after the user picks COM6.
void SettingsFaultsTest::startUpThenSave_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("afterStartUp");
    QTest::addColumn<QByteArray>("afterSave");

    const QByteArray g = Garbage();
    QTest::newRow("binary garbage only") << g << 0 << g + "\n" + Download("1") << g + "\n" + Download("6");
    QTest::newRow("binary garbage around the section")
        << g + "\n" + Download("4") + g << 3 << g + "\n" + Download("4") + g << g + "\n" + Download("6") + g;
    QTest::newRow("binary value") << Download("\x01\xff" "7") << 0 << Download("1") << Download("6");
    QTest::newRow("NUL after the number") << Download(QByteArray("5\0 9", 4)) << 4 << Download("5") << Download("6");

    const QByteArray big = TenMegabytesOfGarbage();
    QTest::newRow("10 MB of garbage without the key")
        << big << 0 << big + "\n" + Download("1") << big + "\n" + Download("6");
    QTest::newRow("10 MB of garbage after the key")
        << Download("4") + big << 3 << Download("4") + big << Download("6") + big;

    QTest::newRow("key twice: the first counts and changes")
        << QByteArray("[Download]\nCom Port=2\nCom Port=7\n") << 1 << QByteArray("[Download]\nCom Port=2\nCom Port=7\n")
        << QByteArray("[Download]\nCom Port=6\nCom Port=7\n");
    QTest::newRow("key twice, the first empty")
        << QByteArray("[Download]\nCom Port=\nCom Port=7\n") << 0 << QByteArray("[Download]\nCom Port=1\nCom Port=7\n")
        << QByteArray("[Download]\nCom Port=6\nCom Port=7\n");
    QTest::newRow("section twice, key in both")
        << QByteArray("[Download]\nCom Port=3\n[Download]\nCom Port=5\n") << 2
        << QByteArray("[Download]\nCom Port=3\n[Download]\nCom Port=5\n")
        << QByteArray("[Download]\nCom Port=6\n[Download]\nCom Port=5\n");
    QTest::newRow("section twice, key in the second only")
        << QByteArray("[Download]\nx=1\n[Other]\ny=2\n[Download]\nCom Port=5\n") << 0
        << QByteArray("[Download]\nx=1\nCom Port=1\n[Other]\ny=2\n[Download]\nCom Port=5\n")
        << QByteArray("[Download]\nx=1\nCom Port=6\n[Other]\ny=2\n[Download]\nCom Port=5\n");

    const QByteArray crlf("; set\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\n\r\n[Download]\r\nCom Port=%\r\n[Later]\r\nk = v\r\n");
    QTest::newRow("CR LF line ends") << QByteArray(crlf).replace('%', "4") << 3 << QByteArray(crlf).replace('%', "4")
                                     << QByteArray(crlf).replace('%', "6");
    const QByteArray lf = QByteArray(crlf).replace("\r\n", "\n");
    QTest::newRow("LF line ends") << QByteArray(lf).replace('%', "4") << 3 << QByteArray(lf).replace('%', "4")
                                  << QByteArray(lf).replace('%', "6");
    QTest::newRow("mixed line ends") << QByteArray("[Download]\r\nCom Port=9\n; end\r\n") << 0
                                     << QByteArray("[Download]\r\nCom Port=1\n; end\r\n")
                                     << QByteArray("[Download]\r\nCom Port=6\n; end\r\n");
    QTest::newRow("CR LF, key added") << QByteArray("[Ports]\r\nCOM2=/dev/pts/3\r\n") << 0
                                      << QByteArray("[Ports]\r\nCOM2=/dev/pts/3\r\n[Download]\r\nCom Port=1\r\n")
                                      << QByteArray("[Ports]\r\nCOM2=/dev/pts/3\r\n[Download]\r\nCom Port=6\r\n");
    QTest::newRow("no final newline") << QByteArray("[Ports]\nCOM2=/dev/pts/3\n[Download]\nCom Port=4") << 3
                                      << QByteArray("[Ports]\nCOM2=/dev/pts/3\n[Download]\nCom Port=4")
                                      << QByteArray("[Ports]\nCOM2=/dev/pts/3\n[Download]\nCom Port=6");
    QTest::newRow("no final newline, key added") << QByteArray("[Download]\nOther=1") << 0
                                                 << QByteArray("[Download]\nOther=1\nCom Port=1\n")
                                                 << QByteArray("[Download]\nOther=1\nCom Port=6\n");

    // Numbers: the value as stored, the port index, and the number start-up writes back.
    struct Number { const char *tag, *value; int port; const char *stored; };
    const Number numbers[] = {
        {"blanks around", "  3  ", 2, "3"},
        {"tab before", "\t4", 3, "4"},
        {"plus sign", "+5", 4, "5"},
        {"minus sign", "-5", 0, "1"},
        {"sign, blank, digit", "- 5", 0, "1"},
        {"two signs", "++5", 0, "1"},
        {"hex prefix 0x3 reads 0", "0x3", 0, "1"},
        {"leading zero", "03", 2, "3"},
        {"many leading zeros", "00000007", 6, "7"},
        {"decimal point", "3.9", 2, "3"},
        {"inner blank", "2 7", 1, "2"},
        {"32767", "32767", 0, "1"},
        {"2^16 + 3 does not wrap to 3", "65539", 0, "1"},
        {"-2^16 + 3 does not wrap to 3", "-65533", 0, "1"},
        {"2^31 - 1", "2147483647", 0, "1"},
        {"2^32 + 3 does not wrap to 3", "4294967299", 0, "1"},
        {"2^64 + 3 does not wrap to 3", "18446744073709551619", 0, "1"},
        {"-2^64 + 3", "-18446744073709551613", 0, "1"},
        {"26 digits", "99999999999999999999999999", 0, "1"},
    };
    for (const Number &n : numbers)
        QTest::newRow(n.tag) << Download(n.value) << n.port << Download(n.stored) << Download("6");
}

void SettingsFaultsTest::startUpThenSave()
{
    QFETCH(QByteArray, before);
    QFETCH(int, port);
    QFETCH(QByteArray, afterStartUp);
    QFETCH(QByteArray, afterSave);
    TempHome home;
    home.WriteSettings(before);
    QVERIFY(home.ReadSettings() == before);

    iComPort = 42;
    QElapsedTimer clock;
    clock.start();
    StartUp();
    QVERIFY2(clock.elapsed() < 60000, qPrintable(QStringLiteral("start-up took %1 ms").arg(clock.elapsed())));
    QCOMPARE(int(iComPort), port);
    QVERIFY2(home.ReadSettings() == afterStartUp, home.ReadSettings().left(200).toPercentEncoding().constData());

    iComPort = 5;
    SaveSettings();
    QCOMPARE(int(iComPort), 5);
    QVERIFY2(home.ReadSettings() == afterSave, home.ReadSettings().left(200).toPercentEncoding().constData());
}

// Each row: how the file is protected, its bytes, and the port index start-up ends with.
// The file stays as it was; the port picked afterwards holds for the run.
void SettingsFaultsTest::protectedSettingsFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("port");
    QTest::newRow("read-only, stored 4") << "read-only" << Download("4") << 3;
    QTest::newRow("read-only, stored 9 out of range") << "read-only" << Download("9") << 0;
    QTest::newRow("read-only, blanks around 4") << "read-only" << QByteArray("[Download]\r\n Com Port = 4 \r\n") << 3;
    QTest::newRow("read-only, no key") << "read-only" << QByteArray("[Ports]\nCOM1=/dev/ttyUSB0\n") << 0;
    QTest::newRow("no read permission, stored 4") << "unreadable" << Download("4") << 0;
}

void SettingsFaultsTest::protectedSettingsFile()
{
    QFETCH(QString, how);
    QFETCH(QByteArray, bytes);
    QFETCH(int, port);
    TempHome home;
    home.WriteSettings(bytes);

    std::optional<ReadOnlyFile> readOnly;
    std::optional<TemporaryMode> mode;
    std::optional<NoPermissionOverride> noOverride;
    if (how == "read-only") {
        readOnly.emplace(home.SettingsFile());
        if (!readOnly->Ok())
            QSKIP("this file system cannot make the file read-only");
    } else {
        mode.emplace(home.SettingsFile(), 0u);
        noOverride.emplace();
        if (!mode->Ok() || !noOverride->Ok())
            QSKIP("cannot take the permission away from this user");
    }

    iComPort = 42;
    StartUp();
    QCOMPARE(int(iComPort), port);
    iComPort = 5;
    SaveSettings();
    QCOMPARE(int(iComPort), 5);

    noOverride.reset();
    mode.reset();
    QCOMPARE(home.ReadSettings(), bytes);
}

QTEST_GUILESS_MAIN(SettingsFaultsTest)
#include "test_settingsfaults.moc"
