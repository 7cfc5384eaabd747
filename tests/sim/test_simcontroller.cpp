// The simulator's controller: what it keeps of a download, what it answers, how it finds
// frames in the bytes of the line, and each way it can be told to misbehave.
#include "document/MapFile.h"
#include "kit/Maps.h"
#include "link/Protocol.h"
#include "sim/SimController.h"

#include <QtTest>

class TestSimController : public QObject {
    Q_OBJECT
private slots:
    void storesBlocksAndAnswersChecksum();
    void findsFramesInNoiseAndPieces();
    void misbehaves_data();
    void misbehaves();
    void dropsLineOnce();
    void targets_data();
    void targets();
};

void TestSimController::storesBlocksAndAnswersChecksum()
{
    sim::Controller sim;
    auto answers = sim.Feed("[03]");
    QCOMPARE(answers.size(), size_t(1));
    QCOMPARE(answers[0].reply, QByteArray("[0A1A1879AC56C2A8]"));

    const MapTable map = MapOf([](int i) { return int16_t(i % 256); }, 3, 15);
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

void TestSimController::findsFramesInNoiseAndPieces()
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

void TestSimController::misbehaves_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("delay");
    const QByteArray sum = "0A1A1879AC56C2A8";
    QTest::newRow("silent 03") << QStringList{"silent", "03"} << QByteArray("[03]") << QByteArray() << 0;
    QTest::newRow("silent 01 other cmd") << QStringList{"silent", "01"} << QByteArray("[04]")
                                         << QByteArray("[CVDMX FW REV 1.01 ]") << 0;
    QTest::newRow("short 04") << QStringList{"short", "04"} << QByteArray("[04]") << QByteArray("[CVDMX FW REV 1.01 ")
                              << 0;
    QTest::newRow("extra 03") << QStringList{"extra", "03"} << QByteArray("[03]") << "[" + sum + "]#" << 0;
    QTest::newRow("junk 03") << QStringList{"junk", "03"} << QByteArray("[03]") << "~~[" + sum + "]" << 0;
    QTest::newRow("late 04") << QStringList{"late", "04"} << QByteArray("[04]") << QByteArray("[CVDMX FW REV 1.01 ]")
                             << 1500;
    QTest::newRow("wrong checksum") << QStringList{"wrong"} << QByteArray("[03]") << QByteArray("[0A1A1879AC56C2A0]")
                                    << 0;
    QTest::newRow("lower checksum") << QStringList{"lower"} << QByteArray("[03]") << QByteArray("[0a1a1879ac56c2a8]")
                                    << 0;
}

void TestSimController::misbehaves()
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

void TestSimController::dropsLineOnce()
{
    sim::Behaviour b;
    b.dropAtBlock = 2;
    sim::Target silent3;
    QVERIFY(sim::ParseTarget(QStringLiteral("01:3"), &silent3));
    b.silent.append(silent3);
    sim::Controller sim(b);
    const MapTable map = MapOf([](int) { return int16_t(7); }, 3, 15);
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

void TestSimController::targets_data()
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

void TestSimController::targets()
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

QTEST_GUILESS_MAIN(TestSimController)
#include "test_simcontroller.moc"
