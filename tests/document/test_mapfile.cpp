// Map files byte for byte, and what reading and writing do with bad files.
#include "document/MapFile.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <unistd.h>

using namespace modCVDMXMap;

namespace {

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

MapTable KnownMap()
{
    MapTable map{};
    for (int i = 0; i < kChannels; ++i)
        map[i] = int16_t(i % 64);
    map[0] = 255;
    map[1] = -1;
    map[2] = 300;
    map[3] = -32768;
    map[kDevAddEntry] = 15;
    map[kDevRangeEntry] = 9;
    return map;
}

} // namespace

class MapFileTest : public QObject {
    Q_OBJECT
private slots:
    void resetMapBytes();
    void knownMapRoundTrips();
    void longerFileKeepsItsTail();
    void longerFileReadsItsFirst1028Bytes();
    void invalidFilesAreRefused_data();
    void invalidFilesAreRefused();
    void unreadableFilesAreRefused_data();
    void unreadableFilesAreRefused();
    void unwritableFilesAreRefused_data();
    void unwritableFilesAreRefused();
    void failedSaveLeavesTheOldFileWhole();
};

void MapFileTest::resetMapBytes()
{
    TempHome home;
    ClearMap();
    bMapChanged = true;
    sMapFile = home.Path() + QStringLiteral("/reset.CVX");
    QCOMPARE(WriteMapFile().kind, MapFileError::None);
    QByteArray expected;
    for (int i = 0; i < 512; ++i)
        expected += QByteArray::fromHex("FF00");
    expected += QByteArray(4, '\0');
    QCOMPARE(ReadBytes(sMapFile), expected);
    QCOMPARE(bMapChanged, false);
}

void MapFileTest::knownMapRoundTrips()
{
    TempHome home;
    iDmxMap = KnownMap();
    sMapFile = home.Path() + QStringLiteral("/known.CVX");
    QCOMPARE(WriteMapFile().kind, MapFileError::None);
    const QByteArray bytes = ReadBytes(sMapFile);
    QCOMPARE(bytes.size(), 1028);
    QCOMPARE(bytes.left(10), QByteArray::fromHex("FF00FFFF2C010080" "0400"));
    QCOMPARE(bytes.mid(1022), QByteArray::fromHex("3F000F000900"));

    ClearMap();
    sMapFile = home.Path() + QStringLiteral("/known.CVX");
    bMapChanged = true;
    QCOMPARE(ReadMapFile().kind, MapFileError::None);
    QVERIFY(iDmxMap == KnownMap());
    QCOMPARE(bMapChanged, false);
}

void MapFileTest::longerFileKeepsItsTail()
{
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/long.CVX");
    QByteArray old(2000, '\0');
    for (int i = 0; i < old.size(); ++i)
        old[i] = char(i * 7);
    WriteBytes(path, old);
    ClearMap();
    sMapFile = path;
    QCOMPARE(WriteMapFile().kind, MapFileError::None);
    const QByteArray now = ReadBytes(path);
    QCOMPARE(now.size(), 2000);
    QCOMPARE(now.left(1028), MapToBytes(iDmxMap));
    QCOMPARE(now.mid(1028), old.mid(1028));
}

void MapFileTest::longerFileReadsItsFirst1028Bytes()
{
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/long.CVX");
    WriteBytes(path, MapToBytes(KnownMap()) + QByteArray(500, 'x'));
    ClearMap();
    sMapFile = path;
    QCOMPARE(ReadMapFile().kind, MapFileError::None);
    QVERIFY(iDmxMap == KnownMap());
}

void MapFileTest::invalidFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = MapToBytes(KnownMap());
    QTest::newRow("0 bytes") << QByteArray();
    QTest::newRow("1 byte") << QByteArray(1, '\x05');
    QTest::newRow("1027 bytes") << good.left(1027);
    QByteArray address16 = good;
    address16[1024] = 16;
    QTest::newRow("device address 16") << address16;
    QByteArray addressNegative = good;
    addressNegative[1025] = char(0xFF);
    QTest::newRow("device address negative") << addressNegative;
    QByteArray range16 = good;
    range16[1026] = 16;
    QTest::newRow("device range 16") << range16;
}

void MapFileTest::invalidFilesAreRefused()
{
    QFETCH(QByteArray, bytes);
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/bad.CVX");
    WriteBytes(path, bytes);
    ClearMap();
    iDmxMap[7] = 3;
    bMapChanged = true;
    const MapTable before = iDmxMap;
    sMapFile = path;
    QCOMPARE(ReadMapFile().kind, MapFileError::NotValid);
    QVERIFY(iDmxMap == before);
    QCOMPARE(bMapChanged, true);
}

void MapFileTest::unreadableFilesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing.CVX" << "No such file or directory";
    QTest::newRow("a folder") << "folder.CVX" << "Is a directory";
    QTest::newRow("in a missing folder") << "nowhere/x.CVX" << "No such file or directory";
}

void MapFileTest::unreadableFilesAreRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    TempHome home;
    QDir(home.Path()).mkdir(QStringLiteral("folder.CVX"));
    ClearMap();
    iDmxMap[0] = 1;
    const MapTable before = iDmxMap;
    sMapFile = home.Path() + QLatin1Char('/') + name;
    const MapFileError error = ReadMapFile();
    QCOMPARE(error.kind, MapFileError::CannotOpen);
    QCOMPARE(error.reason, reason);
    QVERIFY(iDmxMap == before);
}

void MapFileTest::unwritableFilesAreRefused_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("full disk") << "/dev/full" << "No space left on device";
    QTest::newRow("a folder") << "@/folder.CVX" << "Is a directory";
    QTest::newRow("missing folder") << "@/nowhere/x.CVX" << QString();
}

void MapFileTest::unwritableFilesAreRefused()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    TempHome home;
    QDir(home.Path()).mkdir(QStringLiteral("folder.CVX"));
    path.replace(QLatin1Char('@'), home.Path());
    ClearMap();
    bMapChanged = true;
    sMapFile = path;
    const MapFileError error = WriteMapFile();
    QCOMPARE(error.kind, MapFileError::CannotSave);
    QVERIFY(!error.reason.isEmpty());
    if (!reason.isEmpty())
        QCOMPARE(error.reason, reason);
    QCOMPARE(bMapChanged, true);
    QVERIFY(!QFile::exists(home.Path() + QStringLiteral("/nowhere")));
}

// A save that cannot complete leaves the file that was there, byte for byte.
void MapFileTest::failedSaveLeavesTheOldFileWhole()
{
    if (::geteuid() == 0)
        QSKIP("root may write into read-only folders");
    TempHome home;
    const QString folder = home.Path() + QStringLiteral("/locked");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/good.CVX");
    const QByteArray good = MapToBytes(KnownMap()) + QByteArray("tail");
    WriteBytes(path, good);
    QFile::setPermissions(path, QFile::ReadOwner);
    ClearMap();
    bMapChanged = true;
    sMapFile = path;
    QCOMPARE(WriteMapFile().kind, MapFileError::CannotSave);
    QCOMPARE(ReadBytes(path), good);
    QCOMPARE(bMapChanged, true);
}

QTEST_GUILESS_MAIN(MapFileTest)
#include "test_mapfile.moc"
