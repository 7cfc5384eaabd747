// The map table, its reset and accessors, the hex texts and the COM port setting.
#include "document/modCVDMXMap.h"
#include "kit/TempHome.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace modCVDMXMap;

class DocumentTest : public QObject {
    Q_OBJECT
private slots:
    void hexTexts_data();
    void hexTexts();
    void clearMapResetsEverything();
    void deviceAccessorsStoreWithoutCheck();
    void loadSettings_data();
    void loadSettings();
    void saveSettingsChangesOnlyThePortLine();
    void unwritableSettingsFileKeepsThePortForTheRun();
};

void DocumentTest::hexTexts_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("hex1");
    QTest::addColumn<QString>("hex2");
    QTest::newRow("0") << 0 << "0" << "00";
    QTest::newRow("5") << 5 << "5" << "05";
    QTest::newRow("9") << 9 << "9" << "09";
    QTest::newRow("10") << 10 << "A" << "0A";
    QTest::newRow("15") << 15 << "F" << "0F";
    QTest::newRow("16") << 16 << "0" << "10";
    QTest::newRow("255") << 255 << "F" << "FF";
    QTest::newRow("256") << 256 << "0" << "00";
    QTest::newRow("-1") << -1 << "F" << "FF";
    QTest::newRow("-32768") << -32768 << "0" << "00";
    QTest::newRow("32767") << 32767 << "F" << "FF";
    QTest::newRow("0x1ABC") << 0x1ABC << "C" << "BC";
}

void DocumentTest::hexTexts()
{
    QFETCH(int, value);
    QFETCH(QString, hex1);
    QCOMPARE(Hex1(int16_t(value)), hex1);
    QFETCH(QString, hex2);
    QCOMPARE(Hex2(int16_t(value)), hex2);
}

void DocumentTest::clearMapResetsEverything()
{
    iDmxMap.fill(7);
    sMapFile = QStringLiteral("/somewhere/a.CVX");
    bMapChanged = true;
    ClearMap();
    for (int i = 0; i < kChannels; ++i)
        QCOMPARE(iDmxMap[i], int16_t(255));
    QCOMPARE(GetDevAdd(), int16_t(0));
    QCOMPARE(GetDevRange(), int16_t(0));
    QCOMPARE(sMapFile, QStringLiteral("None"));
    QCOMPARE(bMapChanged, false);
}

void DocumentTest::deviceAccessorsStoreWithoutCheck()
{
    ClearMap();
    SetDevAdd(15);
    SetDevRange(-3);
    QCOMPARE(iDmxMap[512], int16_t(15));
    QCOMPARE(iDmxMap[513], int16_t(-3));
    QCOMPARE(GetDevAdd(), int16_t(15));
    QCOMPARE(GetDevRange(), int16_t(-3));
    QCOMPARE(iDmxMap[511], int16_t(255));
    QCOMPARE(bMapChanged, false);
}

// LoadSettings followed by the start-up range check, as the main window runs them.
void DocumentTest::loadSettings_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("missing file") << false << QByteArray() << 0 << QByteArray("[Download]\nCom Port=1\n");
    QTest::newRow("empty file") << true << QByteArray() << 0 << QByteArray("[Download]\nCom Port=1\n");
    QTest::newRow("8 stays") << true << QByteArray("[Download]\nCom Port=8\n") << 7
                             << QByteArray("[Download]\nCom Port=8\n");
    QTest::newRow("3") << true << QByteArray("[Download]\r\nCom Port=3\r\n") << 2
                       << QByteArray("[Download]\r\nCom Port=3\r\n");
    QTest::newRow("9 becomes 1") << true << QByteArray("[Download]\nCom Port=9\n") << 0
                                 << QByteArray("[Download]\nCom Port=1\n");
    QTest::newRow("0 becomes 1") << true << QByteArray("[Download]\nCom Port=0\n") << 0
                                 << QByteArray("[Download]\nCom Port=1\n");
    QTest::newRow("abc becomes 1") << true << QByteArray("[Download]\nCom Port=abc\n") << 0
                                   << QByteArray("[Download]\nCom Port=1\n");
    QTest::newRow("12abc is 12, becomes 1") << true << QByteArray("[Download]\nCom Port=12abc\n") << 0
                                            << QByteArray("[Download]\nCom Port=1\n");
    QTest::newRow("99999 beyond 16 bits") << true << QByteArray("[Download]\nCom Port=99999\n") << 0
                                          << QByteArray("[Download]\nCom Port=1\n");
    QTest::newRow("-32768") << true << QByteArray("[Download]\nCom Port=-32768\n") << 0
                            << QByteArray("[Download]\nCom Port=1\n");
    QTest::newRow("2^31") << true << QByteArray("[Download]\nCom Port=2147483648\n") << 0
                          << QByteArray("[Download]\nCom Port=1\n");
    QTest::newRow("blanks and sign") << true << QByteArray("[download]\n  com port =  +5  \n") << 4
                                     << QByteArray("[download]\nCom Port=5\n");
    QTest::newRow("empty value is the default") << true << QByteArray("[Download]\nCom Port=\n") << 0
                                                << QByteArray("[Download]\nCom Port=1\n");
    QTest::newRow("no final newline") << true << QByteArray("[Download]\nCom Port=6") << 5
                                      << QByteArray("[Download]\nCom Port=6");
    QTest::newRow("key in another section only")
        << true << QByteArray("[Other]\nCom Port=4\n") << 0
        << QByteArray("[Other]\nCom Port=4\n[Download]\nCom Port=1\n");
    QTest::newRow("comments and other sections survive")
        << true << QByteArray("; settings\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\n\r\n[Download]\r\nCom Port=9\r\n[Later]\r\nx = y\r\n")
        << 0 << QByteArray("; settings\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\n\r\n[Download]\r\nCom Port=1\r\n[Later]\r\nx = y\r\n");
    QTest::newRow("repeated key: the first counts")
        << true << QByteArray("[Download]\nCom Port=2\nCom Port=7\n") << 1
        << QByteArray("[Download]\nCom Port=2\nCom Port=7\n");
}

void DocumentTest::loadSettings()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, before);
    TempHome home;
    if (fileExists)
        home.WriteSettings(before);
    else
        QDir().mkpath(home.WorkFolder());

    iComPort = 42;
    LoadSettings();
    if (iComPort < 0 || iComPort > 7) {
        iComPort = 0;
        SaveSettings();
    }
    QFETCH(int, port);
    QCOMPARE(int(iComPort), port);
    QFETCH(QByteArray, after);
    QCOMPARE(home.ReadSettings(), after);
}

void DocumentTest::saveSettingsChangesOnlyThePortLine()
{
    TempHome home;
    home.WriteSettings("[Ports]\nCOM3=/dev/pts/9\n[Download]\nCom Port=1\n; end\n");
    iComPort = 4;
    SaveSettings();
    QCOMPARE(home.ReadSettings(), QByteArray("[Ports]\nCOM3=/dev/pts/9\n[Download]\nCom Port=5\n; end\n"));
}

// A settings file that cannot be written (here a folder in its place, which even root
// cannot write as a file) is ignored: the port chosen still holds for the run.
void DocumentTest::unwritableSettingsFileKeepsThePortForTheRun()
{
    TempHome home;
    QVERIFY(QDir().mkpath(home.SettingsFile()));
    LoadSettings();
    QCOMPARE(int(iComPort), 0);
    iComPort = 6;
    SaveSettings();
    QCOMPARE(int(iComPort), 6);
    QVERIFY(QFileInfo(home.SettingsFile()).isDir());
}

QTEST_GUILESS_MAIN(DocumentTest)
#include "test_document.moc"
