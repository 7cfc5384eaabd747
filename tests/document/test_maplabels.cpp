// Labels and a title after the map in its file: the block byte for byte, what is read
// back, texts that cannot be labels, and the tails that are no labels block, kept.
#include "document/MapFile.h"
#include "document/MapLabels.h"
#include "kit/DiskFault.h"
#include "kit/Files.h"
#include "kit/Maps.h"
#include "kit/TempHome.h"
#include "link/Protocol.h"

#include <QFile>
#include <QTest>
#include <unistd.h>

using namespace modCVDMXMap;

Q_DECLARE_METATYPE(MapLabels)

namespace {

MapLabels StageLabels()
{
    MapLabels labels;
    labels.title = QStringLiteral("Stage");
    labels.outputs[0] = QStringLiteral("Cyc");
    labels.outputs[63] = QStringLiteral("é🎭");
    return labels;
}

// The block of StageLabels, as the format lays it out.
QByteArray StageBlock()
{
    const QByteArray versionLengthTitle = QByteArray::fromHex("0100900000000500"); // 1, 144 bytes, 5 bytes
    return QByteArray("CVDMXLBL") + versionLengthTitle + "Stage" + QByteArray::fromHex("0300") + "Cyc"
        + QByteArray(62 * 2, '\0') + QByteArray::fromHex("0600") + "é🎭" + QByteArray::fromHex("4F78C3A3");
}

// A text of n characters, each of the given one (a surrogate pair counts as one).
QString Repeated(const QString &character, int n)
{
    return character.repeated(n);
}

MapLabels FullLabels(const QString &character)
{
    MapLabels labels;
    labels.title = Repeated(character, kLabelMaxLength);
    for (QString &label : labels.outputs)
        label = Repeated(character, kLabelMaxLength);
    return labels;
}

QByteArray WithLength(QByteArray block, uint32_t length)
{
    for (int i = 0; i < 4; ++i)
        block[10 + i] = char((length >> (8 * i)) & 0xFF);
    return block;
}

} // namespace

class TestMapLabels : public QObject {
    Q_OBJECT
private slots:
    void blockBytes();
    void crc32OfTheCheckString();
    void labelsRoundTrip_data();
    void labelsRoundTrip();
    void textsThatCannotBeLabels_data();
    void textsThatCannotBeLabels();
    void tailsThatAreNoLabels_data();
    void tailsThatAreNoLabels();
    void newLabelsReplaceTheBlock();
    void aHugeTailIsNotReadWhole();
    void cellLabel_data();
    void cellLabel();
};

void TestMapLabels::blockBytes()
{
    QCOMPARE(LabelsBlock(StageLabels()), StageBlock());
    QCOMPARE(LabelsBlock(MapLabels()), QByteArray());
    QCOMPARE(LabelsBlock(FullLabels(QStringLiteral("🎭"))).size(), kMaxLabelsBlock);
    QCOMPARE(kMaxLabelsBlock, 16788);
}

void TestMapLabels::crc32OfTheCheckString()
{
    QCOMPARE(Crc32("123456789"), 0xCBF43926u);
    QCOMPARE(Crc32(QByteArray()), 0u);
}

// Each row: the labels saved after DiskMap, and the file's size then.
void TestMapLabels::labelsRoundTrip_data()
{
    QTest::addColumn<MapLabels>("labels");
    QTest::addColumn<int>("size");
    QTest::newRow("none: the map alone") << MapLabels() << 1028;
    MapLabels title;
    title.title = QStringLiteral("Main stage, spring tour");
    QTest::newRow("a title alone") << title << 1028 + 18 + 65 * 2 + 23;
    MapLabels every;
    for (int e = 0; e < kOutputs; ++e)
        every.outputs[size_t(e)] = QStringLiteral("Output %1").arg(e);
    every.title = QStringLiteral("Every output");
    QTest::newRow("every label and the title") << every << 1028 + 18 + 65 * 2 + 12 + 10 * 8 + 54 * 9;
    QTest::newRow("stage, beyond the BMP") << StageLabels() << 1028 + 162;
    QTest::newRow("full length, 4 bytes a character") << FullLabels(QStringLiteral("𝄞")) << 1028 + kMaxLabelsBlock;
    QTest::newRow("full length, 1 byte a character") << FullLabels(QStringLiteral("x")) << 1028 + 18 + 65 * 66;
    MapLabels spaces;
    spaces.outputs[7] = QStringLiteral("  spaced  out  ");
    spaces.outputs[8] = QStringLiteral("\"quoted\", with; separators\u00A0");
    QTest::newRow("blanks, quotes and separators kept") << spaces << 1028 + 18 + 65 * 2 + 15 + 28;
}

void TestMapLabels::labelsRoundTrip()
{
    QFETCH(MapLabels, labels);
    QFETCH(int, size);
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/labelled.CVX");
    QCOMPARE(WriteLabelledMap(path, DiskMap(), labels).kind, MapFileError::None);
    const QByteArray bytes = ReadBytes(path);
    QCOMPARE(bytes.size(), size);
    QCOMPARE(bytes.left(kMapFileSize), MapToBytes(DiskMap()));
    QCOMPARE(bytes.mid(kMapFileSize), LabelsBlock(labels));

    const MapFileContent content = ReadMap(path);
    QCOMPARE(content.error.kind, MapFileError::None);
    QVERIFY(content.map == DiskMap());
    QCOMPARE(content.tail.kind, labels.IsEmpty() ? LabelsTail::None : LabelsTail::Labels);
    QVERIFY(content.tail.labels == labels);
    // What reaches a controller is the table's alone.
    QCOMPARE(dmxlink::MapChecksumText(content.map), dmxlink::MapChecksumText(DiskMap()));
}

// Each row: a label text, and why it is refused.
void TestMapLabels::textsThatCannotBeLabels_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem");
    QTest::newRow("65 characters") << Repeated(QStringLiteral("x"), 65) << "is longer than 64 characters (65)";
    QTest::newRow("65 characters beyond the BMP")
        << Repeated(QStringLiteral("🎭"), 65) << "is longer than 64 characters (65)";
    QTest::newRow("a tab") << QStringLiteral("front\tback") << "holds the control character U+0009";
    QTest::newRow("a line feed") << QStringLiteral("two\nlines") << "holds the control character U+000A";
    QTest::newRow("a delete") << QStringLiteral("x\u007F") << "holds the control character U+007F";
    QTest::newRow("a line separator") << QStringLiteral("two\u2028lines") << "holds the line break U+2028";
    QTest::newRow("half a surrogate pair") << QString(QChar(0xD83C)) << "is not valid Unicode";
}

void TestMapLabels::textsThatCannotBeLabels()
{
    QFETCH(QString, text);
    QFETCH(QString, problem);
    QCOMPARE(LabelTextProblem(text), problem);

    TempHome home;
    const QString path = home.Path() + QStringLiteral("/kept.CVX");
    const QByteArray before = MapToBytes(DiskMap()) + LabelsBlock(StageLabels());
    QVERIFY(WriteBytes(path, before));
    MapLabels labels = StageLabels();
    labels.outputs[9] = text;
    const MapFileError error = WriteLabelledMap(path, EmptyMap(), labels);
    QCOMPARE(error.kind, MapFileError::CannotSave);
    QCOMPARE(error.reason, QStringLiteral("the label of entry 9 ") + problem);
    labels = StageLabels();
    labels.title = text;
    QCOMPARE(WriteLabelledMap(path, EmptyMap(), labels).reason, QStringLiteral("the title ") + problem);
    QCOMPARE(ReadBytes(path), before);
}

// Each row: the bytes after the map, what they are read as, and why they are no labels.
// Every one is kept byte for byte by a save without labels and refuses a save with them.
void TestMapLabels::tailsThatAreNoLabels_data()
{
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("problem");
    const int foreign = LabelsTail::Foreign;
    const int damaged = LabelsTail::Damaged;
    QTest::newRow("4 bytes of another program")
        << QByteArray::fromHex("DEADBEEF") << foreign << "the file ends in 4 bytes that are not labels";
    QTest::newRow("the signature cut short")
        << QByteArray("CVDMXLB") << foreign << "the file ends in 7 bytes that are not labels";
    QTest::newRow("text longer than any block")
        << QByteArray(kMaxLabelsBlock + 1, 'x') << foreign << "the file ends in 16789 bytes that are not labels";

    const QByteArray good = StageBlock();
    QByteArray checksum = good;
    checksum[20] = 't';
    QTest::newRow("bad checksum") << checksum << damaged << "the labels after the map fail their checksum";
    QTest::newRow("bad length: one more")
        << WithLength(good, 145) << damaged << "the labels after the map give a length of 145 bytes where 144 follow";
    QTest::newRow("bad length: huge") << WithLength(good, 0xFFFFFFFF) << damaged
                                      << "the labels after the map give a length of 4294967295 bytes where 144 follow";
    QTest::newRow("cut off") << good.left(100) << damaged
                             << "the labels after the map give a length of 144 bytes where 82 follow";
    QTest::newRow("a byte more") << good + 'x' << damaged
                                 << "the labels after the map give a length of 144 bytes where 145 follow";
    QTest::newRow("the header cut short") << good.left(12) << damaged << "the labels after the map are cut short";
    QByteArray version = good;
    version[8] = 2;
    QTest::newRow("bad version") << version << damaged
                                 << "the labels after the map are of version 2, which this program does not read";
    QTest::newRow("longer than any block") << good + QByteArray(kMaxLabelsBlock, '\0') << damaged
                                           << "the labels after the map are longer than any labels (16788 bytes)";
    // A sound checksum over a payload that is not 65 texts.
    QByteArray payload = QByteArray::fromHex("0300") + "Cyc";
    QByteArray inside = QByteArray("CVDMXLBL") + QByteArray::fromHex("0100") + QByteArray(4, '\0') + payload;
    inside = WithLength(inside, uint32_t(payload.size()));
    const uint32_t crc = Crc32(inside);
    for (int i = 0; i < 4; ++i)
        inside += char((crc >> (8 * i)) & 0xFF);
    QTest::newRow("too few texts") << inside << damaged
                                   << "the labels after the map hold something other than 65 lines of text";
}

void TestMapLabels::tailsThatAreNoLabels()
{
    QFETCH(QByteArray, tail);
    QFETCH(int, kind);
    QFETCH(QString, problem);
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/tail.CVX");
    const QByteArray before = MapToBytes(DiskMap()) + tail;
    QVERIFY(WriteBytes(path, before));

    const MapFileContent content = ReadMap(path);
    QCOMPARE(content.error.kind, MapFileError::None);
    QVERIFY(content.map == DiskMap());
    QCOMPARE(int(content.tail.kind), kind);
    QCOMPARE(content.tail.problem, problem);
    QVERIFY(content.tail.labels == MapLabels());

    const MapFileError refused = WriteLabelledMap(path, EmptyMap(), StageLabels());
    QCOMPARE(refused.kind, MapFileError::CannotSave);
    QCOMPARE(refused.reason, problem + QStringLiteral("; labels would overwrite them"));
    QCOMPARE(ReadBytes(path), before);

    QCOMPARE(WriteLabelledMap(path, EmptyMap(), MapLabels()).kind, MapFileError::None);
    QCOMPARE(ReadBytes(path), MapToBytes(EmptyMap()) + tail);
}

void TestMapLabels::newLabelsReplaceTheBlock()
{
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/replaced.CVX");
    QCOMPARE(WriteLabelledMap(path, DiskMap(), FullLabels(QStringLiteral("𝄞"))).kind, MapFileError::None);
    QCOMPARE(WriteLabelledMap(path, DiskMap(), StageLabels()).kind, MapFileError::None);
    QCOMPARE(ReadBytes(path), MapToBytes(DiskMap()) + StageBlock());
    QCOMPARE(WriteLabelledMap(path, EmptyMap(), MapLabels()).kind, MapFileError::None);
    QCOMPARE(ReadBytes(path), MapToBytes(EmptyMap()));
}

// A file that claims 64 GiB (a hole, no disk taken) is read up to the longest block.
void TestMapLabels::aHugeTailIsNotReadWhole()
{
    const HangGuard guard(20);
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/huge.CVX");
    QVERIFY(WriteBytes(path, MapToBytes(DiskMap()) + LabelsBlock(StageLabels())));
    QVERIFY(QFile::resize(path, qint64(64) << 30));
    const MapFileContent content = ReadMap(path);
    QCOMPARE(content.error.kind, MapFileError::None);
    QCOMPARE(content.tail.kind, LabelsTail::Damaged);
    QCOMPARE(content.tail.problem, QStringLiteral("the labels after the map are longer than any labels (16788 bytes)"));
}

// Each row: a cell's entry, the device address index, and the label it gives.
void TestMapLabels::cellLabel_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("label");
    QTest::newRow("an output, labelled") << 0 << 0 << "Cyc";
    QTest::newRow("the last output, labelled") << 63 << 0 << "é🎭";
    QTest::newRow("an output, unlabelled") << 1 << 0 << "";
    QTest::newRow("renumbered by the address") << 0 << 15 << "Cyc";
    QTest::newRow("pushed past device 16") << 63 << 1 << "";
    QTest::newRow("no output") << 255 << 0 << "";
    QTest::newRow("an entry the editor never makes") << -1 << 0 << "";
    QTest::newRow("64") << 64 << 0 << "";
}

void TestMapLabels::cellLabel()
{
    QFETCH(int, entry);
    QFETCH(int, address);
    QFETCH(QString, label);
    QCOMPARE(CellLabelOf(int16_t(entry), address, StageLabels()), label);
}

QTEST_GUILESS_MAIN(TestMapLabels)
#include "test_maplabels.moc"
