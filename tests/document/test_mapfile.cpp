// Map files byte for byte, and what reading and writing do with bad files.
#include "document/MapFile.h"
#include "kit/DiskFault.h"
#include "kit/FileAccess.h"
#include "kit/Files.h"
#include "kit/Maps.h"
#include "kit/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

using namespace modCVDMXMap;

namespace {

MapTable KnownMap()
{
    MapTable map{};
    for (int i = 0; i < kChannels; ++i)
        map[i] = int16_t(i % kOutputs);
    map[0] = 255;
    map[1] = -1;
    map[2] = 300;
    map[3] = -32768;
    map[kDevAddEntry] = 15;
    map[kDevRangeEntry] = 9;
    return map;
}

} // namespace

class TestMapFile : public QObject {
    Q_OBJECT
private slots:
    void resetMapBytes();
    void knownMapRoundTrips();
    void longerFileKeepsItsTail();
    void longerFileReadsItsFirst1028Bytes();
    void invalidFilesAreRefused_data();
    void invalidFilesAreRefused();
    void filesThatCannotBeUsed_data();
    void filesThatCannotBeUsed();
    void failedSaveLeavesTheOldFileWhole_data();
    void failedSaveLeavesTheOldFileWhole();
    void saveKeepsTheFilesIdentity_data();
    void saveKeepsTheFilesIdentity();
    void sideFilesOfAnotherSave_data();
    void sideFilesOfAnotherSave();
};

void TestMapFile::resetMapBytes()
{
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/reset.CVX");
    QCOMPARE(WriteLabelledMap(path, ResetMap(), MapLabels()).kind, MapFileError::None);
    QByteArray expected;
    for (int i = 0; i < 512; ++i)
        expected += QByteArray::fromHex("FF00");
    expected += QByteArray(4, '\0');
    QCOMPARE(ReadBytes(path), expected);
}

void TestMapFile::knownMapRoundTrips()
{
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/known.CVX");
    QCOMPARE(WriteLabelledMap(path, KnownMap(), MapLabels()).kind, MapFileError::None);
    const QByteArray bytes = ReadBytes(path);
    QCOMPARE(bytes.size(), 1028);
    QCOMPARE(bytes.left(10),
             QByteArray::fromHex("FF00FFFF2C010080"
                                 "0400"));
    QCOMPARE(bytes.mid(1022), QByteArray::fromHex("3F000F000900"));

    const MapFileContent content = ReadMap(path);
    QCOMPARE(content.error.kind, MapFileError::None);
    QVERIFY(content.map == KnownMap());
    QCOMPARE(content.tail.kind, LabelsTail::None);
}

void TestMapFile::longerFileKeepsItsTail()
{
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/long.CVX");
    QByteArray old(2000, '\0');
    for (int i = 0; i < old.size(); ++i)
        old[i] = char(i * 7);
    QVERIFY(WriteBytes(path, old));
    QCOMPARE(WriteLabelledMap(path, ResetMap(), MapLabels()).kind, MapFileError::None);
    const QByteArray now = ReadBytes(path);
    QCOMPARE(now.size(), 2000);
    QCOMPARE(now.left(1028), MapToBytes(ResetMap()));
    QCOMPARE(now.mid(1028), old.mid(1028));
}

void TestMapFile::longerFileReadsItsFirst1028Bytes()
{
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/long.CVX");
    QVERIFY(WriteBytes(path, MapToBytes(KnownMap()) + QByteArray(500, 'x')));
    const MapFileContent content = ReadMap(path);
    QCOMPARE(content.error.kind, MapFileError::None);
    QVERIFY(content.map == KnownMap());
    QCOMPARE(content.tail.kind, LabelsTail::Foreign);
}

void TestMapFile::invalidFilesAreRefused_data()
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

void TestMapFile::invalidFilesAreRefused()
{
    QFETCH(QByteArray, bytes);
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/bad.CVX");
    QVERIFY(WriteBytes(path, bytes));
    const MapFileContent content = ReadMap(path);
    QCOMPARE(content.error.kind, MapFileError::NotValid);
    QVERIFY(content.map == MapTable{});
    QCOMPARE(content.tail.kind, LabelsTail::None);
}

// Each row: a read or a save, the path ('@' is a folder that holds a folder folder.CVX and a
// named pipe pipe.CVX), and the system's reason (empty: any). Nothing is made on the disk.
void TestMapFile::filesThatCannotBeUsed_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read: missing") << false << "@/missing.CVX"
                                   << "No such file or directory";
    QTest::newRow("read: a folder") << false << "@/folder.CVX"
                                    << "Is a directory";
    QTest::newRow("read: in a missing folder") << false << "@/nowhere/x.CVX"
                                               << "No such file or directory";
    QTest::newRow("read: a named pipe") << false << "@/pipe.CVX"
                                        << "Not a regular file";
    QTest::newRow("save: a named pipe") << true << "@/pipe.CVX"
                                        << "Not a regular file";
    QTest::newRow("save: a device") << true << "/dev/null"
                                    << "Not a regular file";
    QTest::newRow("save: a folder") << true << "@/folder.CVX"
                                    << "Is a directory";
    QTest::newRow("save: in a missing folder") << true << "@/nowhere/x.CVX" << QString();
}

void TestMapFile::filesThatCannotBeUsed()
{
    QFETCH(bool, save);
    QFETCH(QString, path);
    QFETCH(QString, reason);
    TempHome home;
    QVERIFY(QDir(home.Path()).mkdir(QStringLiteral("folder.CVX")));
    QCOMPARE(::mkfifo(QFile::encodeName(home.Path() + QStringLiteral("/pipe.CVX")).constData(), 0600), 0);
    // Nothing may wait on a pipe that nobody writes or reads.
    const HangGuard guard(20);
    path.replace(QLatin1Char('@'), home.Path());

    const MapFileError error = save ? WriteLabelledMap(path, KnownMap(), MapLabels()) : ReadMap(path).error;

    QCOMPARE(error.kind, save ? MapFileError::CannotSave : MapFileError::CannotOpen);
    QVERIFY(!error.reason.isEmpty());
    if (!reason.isEmpty())
        QCOMPARE(error.reason, reason);
    QCOMPARE(Entries(home.Path()), QStringList({"folder.CVX", "pipe.CVX"}));
}

// Each row: how the file is made read-only, and the system's reason. The save is refused
// although the folder would let the file be replaced, and the file keeps its bytes and
// its tail. Root may write anything, but a file without a write permission bit was not
// meant to be written: mode 0444 refuses root as it refuses everyone.
void TestMapFile::failedSaveLeavesTheOldFileWhole_data()
{
    QTest::addColumn<bool>("modeOnly");
    QTest::newRow("read-only (for root: immutable)") << false;
    QTest::newRow("mode 0444, whoever saves") << true;
}

void TestMapFile::failedSaveLeavesTheOldFileWhole()
{
    QFETCH(bool, modeOnly);
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/good.CVX");
    const QByteArray good = MapToBytes(KnownMap()) + QByteArray("tail");
    QVERIFY(WriteBytes(path, good));
    std::optional<ReadOnlyFile> readOnly;
    std::optional<TemporaryMode> mode;
    if (modeOnly) {
        mode.emplace(path, 0444u);
        QVERIFY(mode->Ok());
    } else {
        readOnly.emplace(path);
        QVERIFY(readOnly->Ok());
    }
    const MapFileError error = WriteLabelledMap(path, ResetMap(), MapLabels());
    QCOMPARE(error.kind, MapFileError::CannotSave);
    QCOMPARE(error.reason, modeOnly ? QStringLiteral("Permission denied") : readOnly->Reason());
    QCOMPARE(ReadBytes(path), good);
    QCOMPARE(QDir(home.Path()).entryList(QDir::Files | QDir::Hidden), QStringList({"good.CVX"}));
}

namespace {

struct Identity {
    ino_t inode;
    nlink_t links;
    uid_t owner;
    gid_t group;
    mode_t mode;
    QByteArray attribute; // user.cvdmx, empty when none
    QByteArray acl;       // the access ACL as the file system keeps it, empty when none
};

QByteArray Attribute(const QString &path, const char *name)
{
    char value[1024] = {};
    const ssize_t n = ::getxattr(QFile::encodeName(path).constData(), name, value, sizeof value);
    return n > 0 ? QByteArray(value, int(n)) : QByteArray();
}

// Runs setfacl with these words; true when it succeeded.
bool SetFacl(const QStringList &words)
{
    QProcess p;
    p.start(QStringLiteral("setfacl"), words);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

Identity IdentityOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return {st.st_ino,
            st.st_nlink,
            st.st_uid,
            st.st_gid,
            mode_t(st.st_mode & 07777),
            Attribute(path, "user.cvdmx"),
            Attribute(path, "system.posix_acl_access")};
}

} // namespace

// Each row: how the map file stands before the save, and who saves it. Afterwards it holds
// the new map under every name it had, with the same owner, group, mode, attributes and
// ACL (none where it had none, although a new file in its folder gets one).
void TestMapFile::saveKeepsTheFilesIdentity_data()
{
    QTest::addColumn<QString>("setup");
    QTest::newRow("second hard link") << "hard link";
    QTest::newRow("reached through a symbolic link") << "symbolic link";
    QTest::newRow("mode 0640") << "mode";
    QTest::newRow("extended attribute") << "attribute";
    QTest::newRow("folder with a default ACL, the file without an ACL") << "default acl";
    QTest::newRow("folder with a default ACL, the file with an ACL of its own") << "own acl";
    QTest::newRow("a name of 255 bytes") << "long name";
    if (::geteuid() == 0) {
        QTest::newRow("another user's group-writable file, saved by a group member") << "group member";
        QTest::newRow("root saves another user's file") << "root";
    }
}

void TestMapFile::saveKeepsTheFilesIdentity()
{
    QFETCH(QString, setup);
    TempHome home;
    QVERIFY(QFile::setPermissions(home.Path(), QFileDevice::Permissions(0x7777)));
    const QString path = home.Path()
        + (setup == "long name" ? QLatin1Char('/') + QString(251, QLatin1Char('x')) + QStringLiteral(".CVX")
                                : QStringLiteral("/shared.CVX"));
    const QString other = home.Path() + QStringLiteral("/other name.CVX");
    const QByteArray old = MapToBytes(KnownMap()) + QByteArray("tail");
    QVERIFY(WriteBytes(path, old));
    if (setup == "own acl")
        QVERIFY(SetFacl({"-m", "u:4321:r", path}));
    if (setup == "default acl" || setup == "own acl")
        QVERIFY(SetFacl({"-d", "-m", "u:1234:rw", home.Path()}));
    QString saved = path;
    if (setup == "hard link")
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
    if (setup == "symbolic link") {
        QVERIFY(QFile::link(QStringLiteral("shared.CVX"), other));
        saved = other;
    }
    if (setup == "mode")
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
    if (setup == "attribute")
        QCOMPARE(::setxattr(QFile::encodeName(path).constData(), "user.cvdmx", "stage left", 10, 0), 0);
    if (setup == "group member" || setup == "root") {
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 1001, 2000), 0);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0664), 0);
    }
    const Identity before = IdentityOf(path);

    MapTable map = ResetMap();
    map[5] = 63;
    const QByteArray expected = MapToBytes(map) + QByteArray("tail");
    {
        std::optional<AsUser> user;
        if (setup == "group member") {
            user.emplace(1002, 1002, std::vector<gid_t>{1002, 2000});
            QVERIFY(user->Ok());
        }
        const MapFileError error = WriteMap(saved, map);
        QCOMPARE(error.reason, QString());
        QCOMPARE(error.kind, MapFileError::None);
    }
    QCOMPARE(ReadBytes(path), expected);
    const Identity after = IdentityOf(path);
    QCOMPARE(after.links, before.links);
    QCOMPARE(after.owner, before.owner);
    QCOMPARE(after.group, before.group);
    QCOMPARE(after.mode, before.mode);
    QCOMPARE(after.attribute, before.attribute);
    QCOMPARE(after.acl, before.acl);
    QCOMPARE(after.acl.isEmpty(), setup != "own acl");
    // Replaced by a new file, although the side file's name had to be shortened.
    if (setup == "long name")
        QVERIFY(after.inode != before.inode);
    if (setup == "hard link")
        QCOMPARE(ReadBytes(other), expected);
    if (setup == "symbolic link")
        QVERIFY(QFileInfo(other).isSymLink());

    // The owner saves next, as before the group member did.
    if (setup == "group member") {
        map[6] = 62;
        AsUser owner(1001, 2000, {2000});
        QVERIFY(owner.Ok());
        QCOMPARE(WriteMap(path, map).kind, MapFileError::None);
        QCOMPARE(ReadBytes(path), MapToBytes(map) + QByteArray("tail"));
    }
    QCOMPARE(QDir(home.Path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
             setup == "hard link" || setup == "symbolic link" ? 2 : 1);
}

// Each row: a side file beside the map file, as another save leaves it ("left": killed) or
// holds it ("held": under way), and a read or a save of the map. A ".backup" holds the
// file's old bytes while the file itself is rewritten (here it is torn: the start of a new
// map, then the old bytes); a ".saving" the new content being built. Refused saves give
// the reason ('@' is the side file) and change nothing.
void TestMapFile::sideFilesOfAnotherSave_data()
{
    QTest::addColumn<QString>("side");
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("reason");
    QTest::newRow("backup left: the next read puts it back") << "backup"
                                                             << "left" << false << QString();
    QTest::newRow("backup left: the next save puts it back, then saves") << "backup"
                                                                         << "left" << true << QString();
    QTest::newRow("backup left beside a file of mode 0444: read from the backup, both kept")
        << "backup"
        << "read-only" << false << QString();
    QTest::newRow("backup of a save under way: read from it, nothing touched") << "backup"
                                                                               << "held" << false << QString();
    QTest::newRow("backup of a save under way: the save waits two seconds, then gives up")
        << "backup"
        << "held" << true << "another program is saving this file (@)";
    QTest::newRow(".saving left: the next save removes it") << "saving"
                                                            << "left" << true << QString();
    QTest::newRow(".saving a symbolic link: the save is refused") << "saving"
                                                                  << "symlink" << true << "@ is a symbolic link";
    if (::geteuid() == 0) {
        QTest::newRow("another user's .saving: the save is refused")
            << "saving"
            << "foreign" << true << "@ belongs to another user";
        QTest::newRow("another user's backup: never trusted, the file read as it is")
            << "backup"
            << "foreign" << false << QString();
    }
}

void TestMapFile::sideFilesOfAnotherSave()
{
    QFETCH(QString, side);
    QFETCH(QString, state);
    QFETCH(bool, save);
    QFETCH(QString, reason);
    TempHome home;
    const QString path = home.Path() + QStringLiteral("/stage.CVX");
    const QString sidePath = home.Path() + QStringLiteral("/.stage.CVX.") + side;
    const QString elsewhere = home.Path() + QStringLiteral("/elsewhere");
    reason.replace(QLatin1Char('@'), sidePath);
    const QByteArray old = MapToBytes(KnownMap()) + QByteArray("tail");
    MapTable newer = KnownMap();
    newer[0] = 7;
    const bool backup = side == "backup";
    const QByteArray torn = MapToBytes(newer).left(600) + old.mid(600);
    const QByteArray sideBytes = backup ? old : QByteArray("the start of a new map");
    QVERIFY(WriteBytes(path, backup ? torn : old));
    if (state == "symlink") {
        QVERIFY(WriteBytes(elsewhere, "kept"));
        QVERIFY(QFile::link(elsewhere, sidePath));
    } else {
        QVERIFY(WriteBytes(sidePath, sideBytes));
        QCOMPARE(::chmod(QFile::encodeName(sidePath).constData(), 0600), 0);
    }
    if (state == "foreign")
        QCOMPARE(::chown(QFile::encodeName(sidePath).constData(), 1001, 1001), 0);
    // The other save's lock: an flock on the side file, through a descriptor of its own.
    const int held = state == "held" ? ::open(QFile::encodeName(sidePath).constData(), O_RDONLY | O_CLOEXEC) : -1;
    if (state == "held")
        QCOMPARE(::flock(held, LOCK_EX), 0);
    std::optional<TemporaryMode> readOnly;
    if (state == "read-only")
        readOnly.emplace(path, 0444u);

    const MapTable saved = EmptyMap(1, 2);
    QByteArray expected = backup && state != "foreign" ? old : torn;
    bool sideStays = state != "left";
    if (save) {
        const MapFileError error = WriteMap(path, saved);
        QCOMPARE(error.reason, reason);
        QCOMPARE(error.kind, reason.isEmpty() ? MapFileError::None : MapFileError::CannotSave);
        if (reason.isEmpty())
            expected = MapToBytes(saved) + QByteArray("tail");
        else
            expected = backup ? torn : old;
    } else {
        const MapFileContent content = ReadMap(path);
        QCOMPARE(content.error.kind, MapFileError::None);
        QVERIFY(content.map == *MapFromBytes(expected));
        if (state == "read-only" || state == "held")
            expected = torn;
    }
    if (held >= 0)
        ::close(held);
    readOnly.reset();
    QCOMPARE(ReadBytes(path), expected);
    QCOMPARE(QFileInfo::exists(sidePath) || QFileInfo(sidePath).isSymLink(), sideStays);
    if (state == "symlink")
        QCOMPARE(ReadBytes(elsewhere), QByteArray("kept"));
    else if (sideStays)
        QCOMPARE(ReadBytes(sidePath), sideBytes);
}

QTEST_GUILESS_MAIN(TestMapFile)
#include "test_mapfile.moc"
