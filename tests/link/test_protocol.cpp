#include "link/Protocol.h"
#include "sim/SimController.h"
#include "document/MapFile.h"

#include <QRandomGenerator>
#include <QtTest>

using dmxlink::MapTable;

namespace {

MapTable MapOf(int16_t (*entry)(int i))
{
    MapTable map{};
    for (int i = 0; i < modCVDMXMap::kChannels; ++i)
        map[size_t(i)] = entry(i);
    map[modCVDMXMap::kDevAddEntry] = 3;
    map[modCVDMXMap::kDevRangeEntry] = 15;
    return map;
}

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

QByteArray Frame(const MapTable &map, int block)
{
    return dmxlink::BlockFrame(map, block).toLatin1();
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
    void simStoresBlocksAndAnswersChecksum();
    void simFindsFramesInNoiseAndPieces();
    void simMisbehaves_data();
    void simMisbehaves();
    void simDropsLineOnce();
    void simTargets_data();
    void simTargets();
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
    const MapTable map = MapOf([](int i) { return int16_t(i % 256); });
    QByteArray expected = "[01" + address;
    for (int i = 0; i < 64; ++i)
        expected += QByteArray::number((block * 64 + i) % 256, 16).rightJustified(2, '0').toUpper();
    expected += ']';
    QCOMPARE(Frame(map, block), expected);
    QCOMPARE(Frame(map, block).size(), dmxlink::kBlockFrameLength);

    const MapTable reset = MapOf([](int) { return int16_t(255); });
    QCOMPARE(Frame(reset, block), "[01" + address + QByteArray(128, 'F') + "]");
}

void TestProtocol::frameCarriesLowBitsOfAnyEntry()
{
    MapTable map = MapOf([](int) { return int16_t(255); });
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
    QTest::newRow("all 255") << MapOf([](int) { return int16_t(255); }) << "0A1A1879AC56C2A8";
    QTest::newRow("all 0") << MapOf([](int) { return int16_t(0); }) << "E5E2E3BB4E4AF0E9";
    QTest::newRow("entry 0 is 0, rest 255")
        << MapOf([](int i) { return int16_t(i == 0 ? 0 : 255); }) << "E5F8557D5599D5D7";
    QTest::newRow("entry i is i mod 256") << MapOf([](int i) { return int16_t(i % 256); })
                                          << "95C9D1FCC152382D";
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
    MapTable map = MapOf([](int i) { return int16_t(i % 64); });
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
    MapTable map = MapOf([](int) { return int16_t(255); });
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

void TestProtocol::simStoresBlocksAndAnswersChecksum()
{
    sim::Controller sim;
    auto answers = sim.Feed("[03]");
    QCOMPARE(answers.size(), size_t(1));
    QCOMPARE(answers[0].reply, QByteArray("[0A1A1879AC56C2A8]"));

    const MapTable map = MapOf([](int i) { return int16_t(i % 256); });
    for (int b = 0; b < 8; ++b) {
        answers = sim.Feed(Frame(map, b));
        QCOMPARE(answers.size(), size_t(1));
        QCOMPARE(answers[0].frame, Frame(map, b));
        QCOMPARE(answers[0].reply.size(), 4);
        QCOMPARE(answers[0].delayMs, 0);
    }
    for (int i = 0; i < 512; ++i)
        QCOMPARE(sim.Map()[size_t(i)], int16_t(i % 256));
    QCOMPARE(sim.Map()[512], int16_t(0));
    QCOMPARE(sim.Map()[513], int16_t(0));
    QCOMPARE(sim.Feed("[03]")[0].reply, QByteArray("[95C9D1FCC152382D]"));
    QCOMPARE(sim.Feed("[04]")[0].reply, QByteArray("[CVDMX FW REV 1.01 ]"));

    const QByteArray file = modCVDMXMap::MapToBytes(sim.Map());
    QCOMPARE(file.size(), 1028);
    QCOMPARE(file.mid(0, 6), QByteArray("\x00\x00\x01\x00\x02\x00", 6));
    QCOMPARE(file.mid(2 * 255, 4), QByteArray("\xff\x00\x00\x00", 4));
    QCOMPARE(file.right(4), QByteArray(4, '\0'));
}

void TestProtocol::simFindsFramesInNoiseAndPieces()
{
    sim::Controller sim;
    QVERIFY(sim.Feed("xx[0").empty());
    QVERIFY(sim.Feed("4").empty());
    auto answers = sim.Feed("]\r\n[[03]zz[04");
    QCOMPARE(answers.size(), size_t(2));
    QCOMPARE(answers[0].frame, QByteArray("[04]"));
    QCOMPARE(answers[1].frame, QByteArray("[03]"));
    answers = sim.Feed("]");
    QCOMPARE(answers.size(), size_t(1));
    QCOMPARE(answers[0].frame, QByteArray("[04]"));

    // A short block frame is taken in but not stored, and not answered.
    answers = sim.Feed("[010000FF00]");
    QCOMPARE(answers.size(), size_t(1));
    QVERIFY(answers[0].reply.isEmpty());
    QCOMPARE(sim.Map()[1], int16_t(255));

    // 16 MiB after a "[" without its "]" is junk: what is held never outgrows one block
    // frame, and the next frame is answered.
    const QByteArray flood(1 << 20, 'x');
    QVERIFY(sim.Feed("[").empty());
    for (int i = 0; i < 16; ++i) {
        QVERIFY(sim.Feed(flood).empty());
        QVERIFY(sim.PendingBytes() <= dmxlink::kBlockFrameLength);
    }
    QVERIFY(sim.Feed("[01" + flood + "[0").empty());
    QCOMPARE(sim.PendingBytes(), qsizetype(2));
    answers = sim.Feed("3]");
    QCOMPARE(answers.size(), size_t(1));
    QCOMPARE(answers[0].frame, QByteArray("[03]"));
    QCOMPARE(sim.PendingBytes(), qsizetype(0));
}

void TestProtocol::simMisbehaves_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("delay");
    const QByteArray sum = "0A1A1879AC56C2A8";
    QTest::newRow("silent 03") << QStringList{"silent", "03"} << QByteArray("[03]") << QByteArray() << 0;
    QTest::newRow("silent 01 other cmd") << QStringList{"silent", "01"} << QByteArray("[04]")
                                         << QByteArray("[CVDMX FW REV 1.01 ]") << 0;
    QTest::newRow("short 04") << QStringList{"short", "04"} << QByteArray("[04]")
                              << QByteArray("[CVDMX FW REV 1.01 ") << 0;
    QTest::newRow("extra 03") << QStringList{"extra", "03"} << QByteArray("[03]") << "[" + sum + "]#" << 0;
    QTest::newRow("junk 03") << QStringList{"junk", "03"} << QByteArray("[03]") << "~~[" + sum + "]" << 0;
    QTest::newRow("late 04") << QStringList{"late", "04"} << QByteArray("[04]")
                             << QByteArray("[CVDMX FW REV 1.01 ]") << 1500;
    QTest::newRow("wrong checksum") << QStringList{"wrong"} << QByteArray("[03]")
                                    << QByteArray("[0A1A1879AC56C2A0]") << 0;
    QTest::newRow("lower checksum") << QStringList{"lower"} << QByteArray("[03]")
                                    << QByteArray("[0a1a1879ac56c2a8]") << 0;
}

void TestProtocol::simMisbehaves()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(int, delay);
    sim::Behaviour b;
    sim::Target t;
    if (options.size() > 1)
        QVERIFY(sim::ParseTarget(options[1], &t));
    const QString what = options[0];
    if (what == QLatin1String("silent"))
        b.silent.append(t);
    else if (what == QLatin1String("short"))
        b.shortReply.append(t);
    else if (what == QLatin1String("extra"))
        b.extra.append(t);
    else if (what == QLatin1String("junk"))
        b.junk.append(t);
    else if (what == QLatin1String("late"))
        b.late.append(t);
    b.wrongChecksum = what == QLatin1String("wrong");
    b.lowerChecksum = what == QLatin1String("lower");
    sim::Controller sim(b);
    const auto answers = sim.Feed(command);
    QCOMPARE(answers.size(), size_t(1));
    QCOMPARE(answers[0].reply, reply);
    QCOMPARE(answers[0].delayMs, delay);
    QVERIFY(!answers[0].drop);
}

void TestProtocol::simDropsLineOnce()
{
    sim::Behaviour b;
    b.dropAtBlock = 2;
    sim::Target silent3;
    QVERIFY(sim::ParseTarget(QStringLiteral("01:3"), &silent3));
    b.silent.append(silent3);
    sim::Controller sim(b);
    const MapTable map = MapOf([](int) { return int16_t(7); });
    QVERIFY(!sim.Feed(Frame(map, 1))[0].drop);
    QVERIFY(sim.Feed(Frame(map, 2))[0].drop);
    QVERIFY(sim.Feed(Frame(map, 3))[0].reply.isEmpty());
    const auto again = sim.Feed(Frame(map, 2));
    QVERIFY(!again[0].drop);
    QCOMPARE(again[0].reply.size(), 4);
    QCOMPARE(sim.Map()[2 * 64], int16_t(7));
    QCOMPARE(sim.Map()[3 * 64], int16_t(7));
    QCOMPARE(sim.Map()[4 * 64], int16_t(255));
}

void TestProtocol::simTargets_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("block");
    QTest::newRow("01") << "01" << true << QByteArray("01") << -1;
    QTest::newRow("01:7") << "01:7" << true << QByteArray("01") << 7;
    QTest::newRow("03") << "03" << true << QByteArray("03") << -1;
    QTest::newRow("04") << "04" << true << QByteArray("04") << -1;
    QTest::newRow("01:8") << "01:8" << false << QByteArray() << -1;
    QTest::newRow("03:1") << "03:1" << false << QByteArray() << -1;
    QTest::newRow("02") << "02" << false << QByteArray() << -1;
    QTest::newRow("01:x") << "01:x" << false << QByteArray() << -1;
}

void TestProtocol::simTargets()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QByteArray, command);
    QFETCH(int, block);
    sim::Target t;
    QCOMPARE(sim::ParseTarget(text, &t), ok);
    if (ok) {
        QCOMPARE(t.command, command);
        QCOMPARE(t.block, block);
    }
}

QTEST_MAIN(TestProtocol)
#include "test_protocol.moc"
