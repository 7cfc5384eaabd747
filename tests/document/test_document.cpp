// The map table, its reset and accessors, and the hex texts. The port setting is in
// test_settingsfaults.
#include "document/modCVDMXMap.h"

#include <QTest>

using namespace modCVDMXMap;

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void hexTexts_data();
    void hexTexts();
    void clearMapResetsEverything();
    void deviceAccessorsStoreWithoutCheck();
};

void TestDocument::hexTexts_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("hex1");
    QTest::addColumn<QString>("hex2");
    QTest::newRow("0") << 0 << "0"
                       << "00";
    QTest::newRow("5") << 5 << "5"
                       << "05";
    QTest::newRow("9") << 9 << "9"
                       << "09";
    QTest::newRow("10") << 10 << "A"
                        << "0A";
    QTest::newRow("15") << 15 << "F"
                        << "0F";
    QTest::newRow("16") << 16 << "0"
                        << "10";
    QTest::newRow("255") << 255 << "F"
                         << "FF";
    QTest::newRow("256") << 256 << "0"
                         << "00";
    QTest::newRow("-1") << -1 << "F"
                        << "FF";
    QTest::newRow("-32768") << -32768 << "0"
                            << "00";
    QTest::newRow("32767") << 32767 << "F"
                           << "FF";
    QTest::newRow("0x1ABC") << 0x1ABC << "C"
                            << "BC";
}

void TestDocument::hexTexts()
{
    QFETCH(int, value);
    QFETCH(QString, hex1);
    QCOMPARE(Hex1(int16_t(value)), hex1);
    QFETCH(QString, hex2);
    QCOMPARE(Hex2(int16_t(value)), hex2);
}

void TestDocument::clearMapResetsEverything()
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

void TestDocument::deviceAccessorsStoreWithoutCheck()
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

QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
