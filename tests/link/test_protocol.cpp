// The controller's frames and the map checksum.
#include "kit/Maps.h"
#include "link/Protocol.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// The register as one 64-bit value, which is what the cells amount to for entries 0..255.
QString Checksum64(const MapTable &map)
{
    uint64_t r = ~uint64_t(0);
    for (int i = 0; i < modCVDMXMap::kChannels; ++i) {
        r ^= uint64_t(map[size_t(i)]);
        const bool low = r & 1;
        r >>= 1;
        if (low)
            r ^= 0xEFF5A0A1EFF5A0A1ull;
    }
    return QStringLiteral("%1").arg(r, 16, 16, QLatin1Char('0')).toUpper();
}

} // namespace

class TestProtocol : public QObject {
    Q_OBJECT
private slots:
    void blockFrame_data();
    void blockFrame();
    void frameCarriesLowBitsOfAnyEntry();
    void checksumReferenceValues_data();
    void checksumReferenceValues();
    void checksumEqualsShiftRegisterForByteEntries();
    void checksumIgnoresDeviceAddressAndRange();
    void checksumTakesEveryBitOfLargeEntries_data();
    void checksumTakesEveryBitOfLargeEntries();
    void commandTexts();
};

void TestProtocol::blockFrame_data()
{
    QTest::addColumn<int>("block");
    QTest::addColumn<QByteArray>("address");
    const char *addresses[] = {"0000", "0040", "0080", "00C0", "0100", "0140", "0180", "01C0"};
    for (int b = 0; b < 8; ++b)
        QTest::addRow("block %d", b) << b << QByteArray(addresses[b]);
}

void TestProtocol::blockFrame()
{
    QFETCH(int, block);
    QFETCH(QByteArray, address);
    const MapTable map = MapOf([](int i) { return int16_t(i % 256); }, 3, 15);
    QByteArray expected = "[01" + address;
    for (int i = 0; i < 64; ++i)
        expected += QByteArray::number((block * 64 + i) % 256, 16).rightJustified(2, '0').toUpper();
    expected += ']';
    QCOMPARE(Frame(map, block), expected);
    QCOMPARE(Frame(map, block).size(), dmxlink::kBlockFrameLength);

    const MapTable reset = MapOf([](int) { return int16_t(255); }, 3, 15);
    QCOMPARE(Frame(reset, block), "[01" + address + QByteArray(128, 'F') + "]");
}

void TestProtocol::frameCarriesLowBitsOfAnyEntry()
{
    MapTable map = MapOf([](int) { return int16_t(255); }, 3, 15);
    map[0] = -1;
    map[1] = 256;
    map[2] = 0x1AB;
    map[3] = -32768;
    map[63] = 0x7F3C;
    const QByteArray frame = Frame(map, 0);
    QCOMPARE(frame.mid(7, 8), QByteArray("FF00AB00"));
    QCOMPARE(frame.mid(7 + 2 * 63, 3), QByteArray("3C]"));
    QCOMPARE(frame.size(), 136);
}

void TestProtocol::checksumReferenceValues_data()
{
    QTest::addColumn<MapTable>("map");
    QTest::addColumn<QString>("text");
    QTest::newRow("all 255") << MapOf([](int) { return int16_t(255); }, 3, 15) << "0A1A1879AC56C2A8";
    QTest::newRow("all 0") << MapOf([](int) { return int16_t(0); }, 3, 15) << "E5E2E3BB4E4AF0E9";
    QTest::newRow("entry 0 is 0, rest 255")
        << MapOf([](int i) { return int16_t(i == 0 ? 0 : 255); }, 3, 15) << "E5F8557D5599D5D7";
    QTest::newRow("entry i is i mod 256") << MapOf([](int i) { return int16_t(i % 256); }, 3, 15) << "95C9D1FCC152382D";
}

void TestProtocol::checksumReferenceValues()
{
    QFETCH(MapTable, map);
    QFETCH(QString, text);
    QCOMPARE(dmxlink::MapChecksumText(map), text);
    QCOMPARE(Checksum64(map), text);
}

void TestProtocol::checksumEqualsShiftRegisterForByteEntries()
{
    QRandomGenerator random(20240607);
    for (int round = 0; round < 50; ++round) {
        MapTable map{};
        for (int i = 0; i < modCVDMXMap::kChannels; ++i)
            map[size_t(i)] = int16_t(random.bounded(256));
        QCOMPARE(dmxlink::MapChecksumText(map), Checksum64(map));
    }
}

void TestProtocol::checksumIgnoresDeviceAddressAndRange()
{
    MapTable map = MapOf([](int i) { return int16_t(i % 64); }, 3, 15);
    const QString before = dmxlink::MapChecksumText(map);
    map[modCVDMXMap::kDevAddEntry] = 0;
    map[modCVDMXMap::kDevRangeEntry] = 7;
    QCOMPARE(dmxlink::MapChecksumText(map), before);
}

void TestProtocol::checksumTakesEveryBitOfLargeEntries_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("large");
    QTest::newRow("256 at entry 0") << 0 << 256;
    QTest::newRow("-1 at entry 100") << 100 << -1;
    QTest::newRow("0x1FF at entry 511") << 511 << 0x1FF;
    QTest::newRow("-32768 at entry 5") << 5 << -32768;
}

void TestProtocol::checksumTakesEveryBitOfLargeEntries()
{
    QFETCH(int, index);
    QFETCH(int, large);
    MapTable map = MapOf([](int) { return int16_t(255); }, 3, 15);
    map[size_t(index)] = int16_t(large);
    MapTable lowByte = map;
    lowByte[size_t(index)] = int16_t(large & 0xFF);
    const QString text = dmxlink::MapChecksumText(map);
    QVERIFY(text != dmxlink::MapChecksumText(lowByte));
    QCOMPARE(text.size(), 16);
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]{16}$")).match(text).hasMatch());
    // The frames still carry only the low eight bits.
    QCOMPARE(Frame(map, index / 64), Frame(lowByte, index / 64));
}

void TestProtocol::commandTexts()
{
    QCOMPARE(dmxlink::kChecksumCommand, QStringLiteral("[03]"));
    QCOMPARE(dmxlink::kFirmRevCommand, QStringLiteral("[04]"));
    QCOMPARE(dmxlink::kBlockReplyLength, int16_t(4));
    QCOMPARE(dmxlink::kChecksumReplyLength, int16_t(18));
    QCOMPARE(dmxlink::kFirmRevReplyLength, int16_t(20));
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "test_protocol.moc"
