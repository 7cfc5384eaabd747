// Settings files that are damaged, huge, oddly written or protected: the port start-up
// takes from them, and that writing the port changes the port line and nothing else.
#include "document/modCVDMXMap.h"
#include "editor/DocumentGlobals.h"
#include "kit/DiskFault.h"
#include "kit/FileAccess.h"
#include "kit/Files.h"
#include "kit/TempHome.h"
#include "platform/Profile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace modCVDMXMap;

namespace {

// The settings steps of the main window's start-up.
void StartUp()
{
    LoadSettings();
    CheckComPort();
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

const QString kLockName = QStringLiteral(".QRT Corvanta DMX Map.ini.lock");

} // namespace

class TestSettingsFaults : public QObject {
    Q_OBJECT
private slots:
    void startUpThenSave_data();
    void startUpThenSave();
    void protectedSettingsFile_data();
    void protectedSettingsFile();
    void folderInPlaceOfTheFileKeepsThePortForTheRun();
    void startUpOnAFullDisk_data();
    void startUpOnAFullDisk();
    void namedPipeIsNeitherReadNorWritten();
    void writerGivesItsReason_data();
    void writerGivesItsReason();
    void lockFileIsTheUsersOwn();
    void linkIsFollowedAndModeKept();
    void concurrentWritersLoseNoKey();
};

// Each row: the file before start-up (null: no file), the port index start-up ends with,
// the file after start-up, and the file after the user picks COM6.
void TestSettingsFaults::startUpThenSave_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("afterStartUp");
    QTest::addColumn<QByteArray>("afterSave");

    QTest::newRow("no file") << QByteArray() << 0 << Download("1") << Download("6");
    QTest::newRow("empty file") << QByteArray("") << 0 << Download("1") << Download("6");
    QTest::newRow("8 stays") << Download("8") << 7 << Download("8") << Download("6");
    QTest::newRow("names in any case, blanks around")
        << QByteArray("[download]\n  com port =  +5  \n") << 4 << QByteArray("[download]\nCom Port=5\n")
        << QByteArray("[download]\nCom Port=6\n");
    QTest::newRow("key in another section only")
        << QByteArray("[Other]\nCom Port=4\n") << 0 << QByteArray("[Other]\nCom Port=4\n[Download]\nCom Port=1\n")
        << QByteArray("[Other]\nCom Port=4\n[Download]\nCom Port=6\n");
    const QByteArray kept(
        "; settings\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\n\r\n[Download]\r\nCom Port=%\r\n[Later]\r\nx = y\r\n");
    QTest::newRow("comments and other sections survive a port put right")
        << QByteArray(kept).replace('%', "9") << 0 << QByteArray(kept).replace('%', "1")
        << QByteArray(kept).replace('%', "6");

    const QByteArray g = Garbage();
    QTest::newRow("binary garbage only") << g << 0 << g + "\n" + Download("1") << g + "\n" + Download("6");
    QTest::newRow("binary garbage around the section")
        << g + "\n" + Download("4") + g << 3 << g + "\n" + Download("4") + g << g + "\n" + Download("6") + g;
    QTest::newRow("binary value") << Download(
        "\x01\xff"
        "7") << 0 << Download("1") << Download("6");
    QTest::newRow("NUL after the number") << Download(QByteArray("5\0 9", 4)) << 4 << Download("5") << Download("6");

    // Beyond 1 MiB a settings file is neither read nor written: port 1, the file as it was.
    const QByteArray big = TenMegabytesOfGarbage();
    QTest::newRow("10 MB of garbage without the key: refused") << big << 0 << big << big;
    QTest::newRow("10 MB of garbage after the key: refused")
        << Download("4") + big << 0 << Download("4") + big << Download("4") + big;
    const QByteArray mebibyte = Download("4").leftJustified(1 << 20, ';');
    QTest::newRow("1 MiB, the key first: read and written")
        << mebibyte << 3 << mebibyte << QByteArray(mebibyte).replace("Port=4", "Port=6");
    QTest::newRow("1 MiB and one byte: refused") << mebibyte + ';' << 0 << mebibyte + ';' << mebibyte + ';';
    const QByteArray full = QByteArray("; ").leftJustified((1 << 20) - 1, '-') + '\n';
    QTest::newRow("1 MiB without the key: the key would make it larger, refused") << full << 0 << full << full;

    QTest::newRow("key twice: the first counts and changes")
        << QByteArray("[Download]\nCom Port=2\nCom Port=7\n") << 1 << QByteArray("[Download]\nCom Port=2\nCom Port=7\n")
        << QByteArray("[Download]\nCom Port=6\nCom Port=7\n");
    QTest::newRow("key twice, the first empty")
        << QByteArray("[Download]\nCom Port=\nCom Port=7\n") << 0 << QByteArray("[Download]\nCom Port=1\nCom Port=7\n")
        << QByteArray("[Download]\nCom Port=6\nCom Port=7\n");
    QTest::newRow("section twice, key in both") << QByteArray("[Download]\nCom Port=3\n[Download]\nCom Port=5\n") << 2
                                                << QByteArray("[Download]\nCom Port=3\n[Download]\nCom Port=5\n")
                                                << QByteArray("[Download]\nCom Port=6\n[Download]\nCom Port=5\n");
    QTest::newRow("section twice, key in the second only")
        << QByteArray("[Download]\nx=1\n[Other]\ny=2\n[Download]\nCom Port=5\n") << 0
        << QByteArray("[Download]\nx=1\nCom Port=1\n[Other]\ny=2\n[Download]\nCom Port=5\n")
        << QByteArray("[Download]\nx=1\nCom Port=6\n[Other]\ny=2\n[Download]\nCom Port=5\n");

    const QByteArray crlf(
        "; set\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\n\r\n[Download]\r\nCom Port=%\r\n[Later]\r\nk = v\r\n");
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
    QTest::newRow("no final newline, key added")
        << QByteArray("[Download]\nOther=1") << 0 << QByteArray("[Download]\nOther=1\nCom Port=1\n")
        << QByteArray("[Download]\nOther=1\nCom Port=6\n");

    // Numbers: the value as stored, the port index, and the number start-up writes back.
    struct Number {
        const char *tag, *value;
        int port;
        const char *stored;
    };
    const Number numbers[] = {
        {"empty value", "", 0, "1"},
        {"0", "0", 0, "1"},
        {"9", "9", 0, "1"},
        {"letters", "abc", 0, "1"},
        {"digits, then letters", "12abc", 0, "1"},
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
        {"99999", "99999", 0, "1"},
        {"-32768", "-32768", 0, "1"},
        {"2^16 + 3 does not wrap to 3", "65539", 0, "1"},
        {"-2^16 + 3 does not wrap to 3", "-65533", 0, "1"},
        {"2^31 - 1", "2147483647", 0, "1"},
        {"2^31", "2147483648", 0, "1"},
        {"2^32 + 3 does not wrap to 3", "4294967299", 0, "1"},
        {"2^64 + 3 does not wrap to 3", "18446744073709551619", 0, "1"},
        {"-2^64 + 3", "-18446744073709551613", 0, "1"},
        {"26 digits", "99999999999999999999999999", 0, "1"},
    };
    for (const Number &n : numbers)
        QTest::newRow(n.tag) << Download(n.value) << n.port << Download(n.stored) << Download("6");
}

void TestSettingsFaults::startUpThenSave()
{
    QFETCH(QByteArray, before);
    QFETCH(int, port);
    QFETCH(QByteArray, afterStartUp);
    QFETCH(QByteArray, afterSave);
    TempHome home;
    if (before.isNull())
        QVERIFY(QDir().mkpath(home.WorkFolder()));
    else
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
void TestSettingsFaults::protectedSettingsFile_data()
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

void TestSettingsFaults::protectedSettingsFile()
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
        QVERIFY(readOnly->Ok());
    } else {
        mode.emplace(home.SettingsFile(), 0u);
        noOverride.emplace();
        QVERIFY(mode->Ok() && noOverride->Ok());
    }

    iComPort = 42;
    StartUp();
    QCOMPARE(int(iComPort), port);
    iComPort = 5;
    SaveSettings();
    QCOMPARE(int(iComPort), 5);

    noOverride.reset();
    mode.reset();
    readOnly.reset();
    QCOMPARE(home.ReadSettings(), bytes);
}

// A folder where the settings file belongs, which even root cannot write as a file: the
// port chosen still holds for the run.
void TestSettingsFaults::folderInPlaceOfTheFileKeepsThePortForTheRun()
{
    TempHome home;
    QVERIFY(QDir().mkpath(home.SettingsFile()));
    iComPort = 42;
    StartUp();
    QCOMPARE(int(iComPort), 0);
    iComPort = 6;
    SaveSettings();
    QCOMPARE(int(iComPort), 6);
    QVERIFY(QFileInfo(home.SettingsFile()).isDir());
}

// Each row: the fault (a full file system, or a file-size limit one byte short of the new
// text) and whether the settings file's folder takes new files. Start-up must add
// "Com Port=1" to the [Download] section, which stands before [Ports]: the file grows in
// its middle and needs one more block. It stays as it was, and start-up goes on with
// port 1. Without a fault, a folder that takes no new file has the file rewritten where
// it stands.
void TestSettingsFaults::startUpOnAFullDisk_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("shutFolder");
    if (FullFileSystem::Possible()) {
        QTest::newRow("full disk") << "full" << false;
        QTest::newRow("full disk, folder takes no new file") << "full" << true;
    }
    QTest::newRow("size limit") << "limit" << false;
    QTest::newRow("size limit, folder takes no new file") << "limit" << true;
    QTest::newRow("no fault, folder takes no new file: rewritten in place") << "" << true;
}

void TestSettingsFaults::startUpOnAFullDisk()
{
    QFETCH(QString, fault);
    QFETCH(bool, shutFolder);
    const std::unique_ptr<FullFileSystem> disk = FullFileSystemFor(fault);
    QVERIFY(!disk || disk->Ok());
    TempHome home(disk ? disk->Path() : QString());
    // 4090 bytes: the added line needs a block the file does not have yet.
    const QByteArray sections = "[Download]\n[Ports]\nCOM1=/dev/ttyUSB0\n";
    const QByteArray comment = "; " + QByteArray(4090 - sections.size() - 3, '-') + "\n";
    const QByteArray before = comment + sections;
    const QByteArray grown = comment + "[Download]\nCom Port=1\n[Ports]\nCOM1=/dev/ttyUSB0\n";
    QCOMPARE(before.size(), 4090);
    home.WriteSettings(before);
    struct stat old {};
    QCOMPARE(::stat(QFile::encodeName(home.SettingsFile()).constData(), &old), 0);

    std::optional<TemporaryMode> shut;
    std::optional<NoPermissionOverride> noOverride;
    if (shutFolder) {
        shut.emplace(home.WorkFolder(), 0555u);
        noOverride.emplace();
        QVERIFY(shut->Ok() && noOverride->Ok());
    }
    std::optional<FileSizeLimit> limit;
    if (disk)
        QVERIFY(disk->Fill());
    if (fault == "limit")
        limit.emplace(long(grown.size()) - 1);

    iComPort = 42;
    StartUp();
    limit.reset();
    noOverride.reset();
    shut.reset();

    QCOMPARE(int(iComPort), 0);
    QCOMPARE(home.ReadSettings(), fault.isEmpty() ? grown : before);
    // The lock file stays; a folder that takes no new file has none, and its settings file
    // itself is locked.
    QCOMPARE(Entries(home.WorkFolder()),
             shutFolder ? QStringList({"QRT Corvanta DMX Map.ini"})
                        : QStringList({kLockName, "QRT Corvanta DMX Map.ini"}));
    struct stat now {};
    QCOMPARE(::stat(QFile::encodeName(home.SettingsFile()).constData(), &now), 0);
    if (shutFolder)
        QCOMPARE(now.st_ino, old.st_ino);
}

// A named pipe where the settings file belongs reads as no file and is never written:
// start-up takes port 1 at once instead of waiting for a writer, and the pipe stays.
void TestSettingsFaults::namedPipeIsNeitherReadNorWritten()
{
    TempHome home;
    QVERIFY(QDir().mkpath(home.WorkFolder()));
    QCOMPARE(::mkfifo(QFile::encodeName(home.SettingsFile()).constData(), 0600), 0);
    const HangGuard guard(20);
    iComPort = 42;
    StartUp();
    QCOMPARE(int(iComPort), 0);
    iComPort = 5;
    SaveSettings();
    struct stat st {};
    QCOMPARE(::lstat(QFile::encodeName(home.SettingsFile()).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
    QCOMPARE(Entries(home.WorkFolder()), QStringList({kLockName, "QRT Corvanta DMX Map.ini"}));
}

// A settings file that is a symbolic link: the file it points to gets the new text, the
// link stays a link, and the file keeps its mode.
void TestSettingsFaults::linkIsFollowedAndModeKept()
{
    TempHome home;
    QVERIFY(QDir().mkpath(home.WorkFolder()));
    const QString real = home.Path() + QStringLiteral("/shared.ini");
    QFile f(real);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("; kept\n[Download]\nCom Port=3\n");
    f.close();
    QCOMPARE(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    QVERIFY(QFile::link(real, home.SettingsFile()));
    iComPort = 6;
    SaveSettings();
    QVERIFY(QFileInfo(home.SettingsFile()).isSymLink());
    QCOMPARE(home.ReadSettings(), QByteArray("; kept\n[Download]\nCom Port=7\n"));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(real).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, 0640u);
}

// Several programs rewriting the settings file at once, each its own key, many times:
// every key is there at the end with its last value. Without one lock across each
// read-modify-write, one program's write undoes another's.
void TestSettingsFaults::concurrentWritersLoseNoKey()
{
    TempHome home;
    home.WriteSettings("[Download]\nCom Port=1\n");
    constexpr int kWriters = 4;
    constexpr int kRounds = 40;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        QVERIFY(pid >= 0);
        if (pid == 0) {
            bool ok = true;
            for (int r = 1; r <= kRounds; ++r)
                ok = platform::WritePrivateProfileString("Ports", "COM" + QByteArray::number(w + 1),
                                                         "/dev/round" + QByteArray::number(r), home.SettingsFile())
                    && ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const QByteArray text = home.ReadSettings();
    QCOMPARE(platform::ProfileValue(text, "Download", "Com Port"), std::optional<QByteArray>("1"));
    for (int w = 0; w < kWriters; ++w)
        QCOMPARE(platform::ProfileValue(text, "Ports", "COM" + QByteArray::number(w + 1)),
                 std::optional<QByteArray>("/dev/round" + QByteArray::number(kRounds)));
}

// Each row: what stands in the way of writing the key, and the reason the writer gives
// ('@' is the working folder, '%' the lock file). The settings file stays as it was.
void TestSettingsFaults::writerGivesItsReason_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("reason");
    const QByteArray ports = "Ports";
    const QByteArray com2 = "COM2";
    const QByteArray device = "/dev/ttyUSB1";
    QTest::newRow("a line feed in the value") << "" << ports << com2 << QByteArray("/dev/x\n[Download]\nCom Port=7")
                                              << "a line end or NUL character in the value";
    QTest::newRow("a carriage return in the key")
        << "" << ports << QByteArray("COM2\r") << device << "a line end or NUL character in the key";
    QTest::newRow("a NUL in the section")
        << "" << QByteArray("Po\0rts", 6) << com2 << device << "a line end or NUL character in the section";
    QTest::newRow("a folder in place of the file") << "folder" << ports << com2 << device << "Is a directory";
    QTest::newRow("mode 0444, whoever writes") << "0444" << ports << com2 << device << "Permission denied";
    QTest::newRow("2 MiB") << "large" << ports << com2 << device << "larger than 1 MiB";
    QTest::newRow("1 MiB, and the new line would make it larger")
        << "full" << ports << com2 << device << "it would become larger than 1 MiB";
    QTest::newRow("the lock held by another program for two seconds")
        << "held" << ports << com2 << device << "another program holds %";
    QTest::newRow("the lock file a symbolic link") << "symlink" << ports << com2 << device << "% is a symbolic link";
    QTest::newRow("the lock file a folder") << "lock folder" << ports << com2 << device << "%: Is a directory";
    QTest::newRow("the lock file a named pipe") << "lock fifo" << ports << com2 << device << "% is not a regular file";
    if (::geteuid() == 0)
        QTest::newRow("the lock file another user's")
            << "foreign" << ports << com2 << device << "% belongs to another user";
}

void TestSettingsFaults::writerGivesItsReason()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QString, reason);
    TempHome home;
    const QString lock = home.WorkFolder() + QLatin1Char('/') + kLockName;
    const QByteArray lockName = QFile::encodeName(lock);
    reason.replace(QLatin1Char('%'), lock);
    QByteArray before = "[Ports]\nCOM2=/dev/ttyS7\n";
    if (fault == "large")
        before = before.leftJustified(2 << 20, ';');
    if (fault == "full")
        before = before.leftJustified(1 << 20, ';');
    if (fault == "folder")
        QVERIFY(QDir().mkpath(home.SettingsFile()));
    else
        home.WriteSettings(before);
    std::optional<TemporaryMode> readOnly;
    if (fault == "0444")
        readOnly.emplace(home.SettingsFile(), 0444u);
    if (fault == "symlink")
        QVERIFY(QFile::link(home.Path(), lock));
    if (fault == "lock folder")
        QVERIFY(QDir().mkdir(lock));
    if (fault == "lock fifo")
        QCOMPARE(::mkfifo(lockName.constData(), 0600), 0);
    int held = -1;
    if (fault == "held" || fault == "foreign") {
        held = ::open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        QVERIFY(held >= 0);
    }
    if (fault == "held")
        QCOMPARE(::flock(held, LOCK_EX), 0);
    if (fault == "foreign")
        QCOMPARE(::fchown(held, 1001, 1001), 0);
    const HangGuard guard(20);

    QString why;
    QVERIFY(!platform::WritePrivateProfileString(section, key, value, home.SettingsFile(), &why));
    QCOMPARE(why, reason);
    if (held >= 0)
        ::close(held);
    readOnly.reset();
    if (fault == "folder")
        QVERIFY(QFileInfo(home.SettingsFile()).isDir());
    else
        QVERIFY(home.ReadSettings() == before);
}

// The lock is a file of the user's own, mode 0600, beside the settings file. Another user
// can neither open it nor hold up a write by locking the folder, as anyone who may read a
// folder can.
void TestSettingsFaults::lockFileIsTheUsersOwn()
{
    TempHome home;
    home.WriteSettings("[Ports]\n");
    const QByteArray lock = QFile::encodeName(home.WorkFolder() + QLatin1Char('/') + kLockName);
    QString reason;
    QVERIFY(platform::WritePrivateProfileString("Ports", "COM1", "/dev/ttyUSB0", home.SettingsFile(), &reason));
    struct stat st {};
    QCOMPARE(::lstat(lock.constData(), &st), 0);
    QVERIFY(S_ISREG(st.st_mode));
    QCOMPARE(st.st_mode & 07777, 0600u);
    QCOMPARE(st.st_uid, ::geteuid());
    QCOMPARE(st.st_size, off_t(0));

    const int folder = ::open(QFile::encodeName(home.WorkFolder()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(folder >= 0);
    QCOMPARE(::flock(folder, LOCK_EX | LOCK_NB), 0);
    const bool written
        = platform::WritePrivateProfileString("Ports", "COM2", "/dev/ttyUSB1", home.SettingsFile(), &reason);
    ::close(folder);
    QVERIFY2(written, qPrintable(reason));
    QCOMPARE(home.ReadSettings(), QByteArray("[Ports]\nCOM1=/dev/ttyUSB0\nCOM2=/dev/ttyUSB1\n"));

    if (::geteuid() == 0) {
        const TemporaryMode openHome(home.Path(), 0755);
        const TemporaryMode openFolder(home.WorkFolder(), 0755);
        AsUser nobody(65534, 65534, {65534});
        QVERIFY(nobody.Ok());
        QCOMPARE(::open(lock.constData(), O_RDONLY | O_CLOEXEC), -1);
        QCOMPARE(errno, EACCES);
    }
}

QTEST_GUILESS_MAIN(TestSettingsFaults)
#include "test_settingsfaults.moc"
