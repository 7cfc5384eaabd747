// The map read the other way round (which channels drive each output) and the checks a
// technician runs before a download.
#include "document/MapCheck.h"
#include "document/ReversePatch.h"

#include "kit/Maps.h"

#include <QtTest>

using namespace modCVDMXMap;

namespace {

// "D:03.1=5,9-10" for every output with channels, in order.
QString Driven(const std::vector<OutputDrive> &outputs)
{
    QStringList driven;
    for (const OutputDrive &o : outputs) {
        if (!o.channels.empty())
            driven << o.label + QLatin1Char('=') + ChannelRuns(o.channels);
    }
    return driven.join(QLatin1Char(' '));
}

// "hidden 8: 18" for each finding: its kind, its entry and the channels it concerns.
QStringList Summary(const std::vector<Finding> &findings)
{
    static const QMap<Finding::Kind, QString> names{{Finding::Kind::AddressOutsideList, "address"},
                                                    {Finding::Kind::RangeOutsideList, "range"},
                                                    {Finding::Kind::SharedOutput, "shared"},
                                                    {Finding::Kind::HiddenPatch, "hidden"},
                                                    {Finding::Kind::OddEntry, "odd"}};
    QStringList summary;
    for (const Finding &f : findings) {
        QStringList channels;
        for (int c : f.channels)
            channels << QString::number(c);
        summary
            << QStringLiteral("%1 %2: %3").arg(names.value(f.kind)).arg(f.entry).arg(channels.join(QLatin1Char(',')));
    }
    return summary;
}

} // namespace

class TestReversePatch : public QObject {
    Q_OBJECT
private slots:
    void channelRuns_data();
    void channelRuns();
    void outputsAtEachAddress_data();
    void outputsAtEachAddress();
    void channelsOfEachOutput();
    void checkFindings_data();
    void checkFindings();
};

void TestReversePatch::channelRuns_data()
{
    QTest::addColumn<QList<int>>("channels");
    QTest::addColumn<QString>("runs");
    QTest::newRow("none") << QList<int>{} << "";
    QTest::newRow("one") << QList<int>{101} << "101";
    QTest::newRow("two apart") << QList<int>{1, 3} << "1, 3";
    QTest::newRow("two in a row") << QList<int>{7, 8} << "7-8";
    QTest::newRow("a run and one") << QList<int>{65, 66, 67, 68, 69, 70, 71, 72, 101} << "65-72, 101";
    QTest::newRow("one, a run, one") << QList<int>{1, 5, 6, 7, 512} << "1, 5-7, 512";
}

void TestReversePatch::channelRuns()
{
    QFETCH(QList<int>, channels);
    QFETCH(QString, runs);
    QCOMPARE(ChannelRuns(std::vector<int>(channels.cbegin(), channels.cend())), runs);
}

// Each row: the device address entry, how many outputs the map can name there, the
// first and the last of them.
void TestReversePatch::outputsAtEachAddress_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("address 01") << 0 << 64 << "D:01.1"
                                << "D:10.4";
    QTest::newRow("address 03") << 2 << 56 << "D:03.1"
                                << "D:10.4";
    QTest::newRow("address 10") << 15 << 4 << "D:10.1"
                                << "D:10.4";
    QTest::newRow("address entry 16, outside the list") << 16 << 0 << ""
                                                        << "";
    QTest::newRow("address entry -1, outside the list") << -1 << 0 << ""
                                                        << "";
}

void TestReversePatch::outputsAtEachAddress()
{
    QFETCH(int, address);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    const std::vector<OutputDrive> outputs = ReversePatch(EmptyMap(int16_t(address)));
    QCOMPARE(int(outputs.size()), count);
    for (size_t i = 0; i < outputs.size(); ++i) {
        QCOMPARE(outputs[i].entry, int16_t(i));
        QVERIFY(outputs[i].channels.empty());
    }
    if (count > 0) {
        QCOMPARE(outputs.front().label, first);
        QCOMPARE(outputs.back().label, last);
    }
}

void TestReversePatch::channelsOfEachOutput()
{
    MapTable map = EmptyMap(2);
    for (int c = 64; c < 72; ++c)
        map[c] = 20; // channels 65..72 on one output
    map[100] = 20;
    map[0] = 0;
    map[1] = 1;
    map[2] = 1;
    map[3] = 56; // past device 16 at address 03: no output there
    map[4] = 300;
    map[5] = -1;
    const std::vector<OutputDrive> outputs = ReversePatch(map);
    QCOMPARE(int(outputs.size()), 56);
    QCOMPARE(Driven(outputs), QStringLiteral("D:03.1=1 D:03.2=2-3 D:08.1=65-72, 101"));
}

// Each row: the map, the findings as check prints them, one line each, and what each
// finding concerns (its kind, its entry and its channels).
void TestReversePatch::checkFindings_data()
{
    QTest::addColumn<MapTable>("map");
    QTest::addColumn<QStringList>("findings");
    QTest::addColumn<QStringList>("concerns");
    QTest::newRow("the reset map") << EmptyMap() << QStringList() << QStringList();

    MapTable clean = EmptyMap(3, 9);
    for (int c = 0; c < 52; ++c)
        clean[c] = int16_t(c);
    QTest::newRow("every output at address 04 once") << clean << QStringList() << QStringList();

    MapTable shared = EmptyMap();
    shared[4] = 9;
    shared[8] = 9;
    shared[9] = 9;
    shared[20] = 0;
    QTest::newRow("one output, three channels")
        << shared << QStringList{"D:03.2 is driven by 3 channels: 5, 9-10"} << QStringList{"shared 9: 5,9,10"};

    MapTable past = EmptyMap(14);
    past[16] = 7;
    past[17] = 8;
    QTest::newRow("outputs past device 16")
        << past
        << QStringList{"channel 018 holds entry 8, an output past device 16 at Device Address: 0F: it shows as - - -"}
        << QStringList{"hidden 8: 18"};

    MapTable odd = EmptyMap();
    odd[0] = 64;
    odd[1] = -1;
    odd[2] = 254;
    QTest::newRow("entries neither output nor none")
        << odd
        << QStringList{
               "channel 001 holds 64, neither an output (0..63) nor none (255): kept in the file, shown as - - -",
               "channel 002 holds -1, neither an output (0..63) nor none (255): kept in the file, shown as - - -",
               "channel 003 holds 254, neither an output (0..63) nor none (255): kept in the file, shown as - - -"}
        << QStringList{"odd 64: 1", "odd -1: 2", "odd 254: 3"};

    QTest::newRow("device entries outside the lists")
        << EmptyMap(16, -3)
        << QStringList{"device address entry 16 is outside the list (0..15)",
                       "device range entry -3 is outside the list (0..15)"}
        << QStringList{"address 16: ", "range -3: "};

    MapTable mixed = EmptyMap(14);
    mixed[0] = 300;
    mixed[1] = 2;
    mixed[2] = 9;
    mixed[3] = 2;
    QTest::newRow("shared outputs first, then channel by channel")
        << mixed
        << QStringList{"D:0F.3 is driven by 2 channels: 2, 4",
                       "channel 001 holds 300, neither an output (0..63) nor none (255): kept in the file, shown as - "
                       "- -",
                       "channel 003 holds entry 9, an output past device 16 at Device Address: 0F: it shows as - - -"}
        << QStringList{"shared 2: 2,4", "odd 300: 1", "hidden 9: 3"};
}

void TestReversePatch::checkFindings()
{
    QFETCH(MapTable, map);
    QFETCH(QStringList, findings);
    QFETCH(QStringList, concerns);
    QCOMPARE(CheckMap(map), findings);
    const std::vector<Finding> found = MapFindings(map);
    QCOMPARE(Summary(found), concerns);
    for (size_t i = 0; i < found.size(); ++i)
        QCOMPARE(found[i].text, findings[int(i)]);
}

QTEST_GUILESS_MAIN(TestReversePatch)
#include "test_reversepatch.moc"
