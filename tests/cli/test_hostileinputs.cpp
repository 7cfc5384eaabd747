// Input far beyond anything real, and characters where they do not belong: each program
// refuses it (or, for a map file with a long tail, saves without reading the tail) within
// 64 MiB of memory, with the exact message and status, and writes nothing it should not.
#include "document/MapCsv.h"
#include "document/MapFile.h"
#include "kit/ChildRun.h"
#include "kit/Files.h"
#include "kit/Maps.h"
#include "kit/TempHome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace modCVDMXMap;

namespace {

constexpr long kMemoryLimitKiB = 64 * 1024;
constexpr qint64 kMiB = 1 << 20;
const QByteArray kTailStart = "what follows the map: kept\n";
const QByteArray kTailEnd = "the last bytes of a 1 GiB map file\n";

// A file of size bytes that starts with head and ends in a hole (and then end, if given),
// so that it takes no room on the disk.
bool WriteSparse(const QString &path, const QByteArray &head, qint64 size, const QByteArray &end = QByteArray())
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = ::pwrite(fd, head.constData(), size_t(head.size()), 0) == head.size()
        && ::ftruncate(fd, off_t(size - end.size())) == 0
        && ::pwrite(fd, end.constData(), size_t(end.size()), off_t(size - end.size())) == end.size();
    return ::close(fd) == 0 && ok;
}

// What a file is, for "nothing written": its size, its mtime, and its data (read from the
// runs of data only, so that a sparse 2 GiB file is hashed in no time).
struct FileState {
    qint64 size = -1;
    timespec mtime{};
    QByteArray hash;
    blkcnt_t blocks = 0;

    bool operator==(const FileState &o) const
    {
        return size == o.size && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec && hash == o.hash;
    }
};

FileState StateOf(const QString &path)
{
    FileState state;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return state;
    state.size = st.st_size;
    state.mtime = st.st_mtim;
    state.blocks = st.st_blocks;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    off_t at = 0;
    for (;;) {
        const off_t data = ::lseek(fd, at, SEEK_DATA);
        if (data < 0)
            break;
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        QByteArray run(int(hole - data), '\0');
        if (::pread(fd, run.data(), size_t(run.size()), data) != run.size())
            break;
        hash.addData(QByteArray::number(qlonglong(data)));
        hash.addData(run);
        at = hole;
    }
    ::close(fd);
    state.hash = hash.result();
    return state;
}

} // namespace

class TestHostileInputs : public QObject {
    Q_OBJECT
private slots:
    void boundedAndRefused_data();
    void boundedAndRefused();
};

// Each row: the input (the words to cvdmxmap-cli, '@' the temporary folder), the file that
// must stay as it was (a map or the settings file; for the 1 GiB map the file written), the
// status, the message on standard error and the line on standard output.
void TestHostileInputs::boundedAndRefused_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("out");
    const QString settings = QStringLiteral("%settings");
    const QString morePorts = QStringLiteral(" (see cvdmxmap-cli ports --help)\n");
    QTest::newRow("a CSV of one 256 MiB line") << "huge csv" << QStringList{"import", "@/rows.csv", "-o", "@/kept.CVX"}
                                               << 3 << "@/rows.csv: cannot read it (larger than 1 MiB)\n"
                                               << "";
    QTest::newRow("a NUL in a CSV field")
        << "nul csv" << QStringList{"import", "@/rows.csv", "-o", "@/kept.CVX"} << 3
        << "@/rows.csv: line 2, column 2: control character 0x00 inside a field; nothing written\n"
        << "";
    QTest::newRow("import -o over a 1 GiB map file: 1028 bytes and a sparse tail, kept, never read")
        << "huge map" << QStringList{"import", "@/rows.csv", "-o", "@/kept.CVX"} << 0 << ""
        << "@/kept.CVX: 1 of 512 channels patched, Device Address: 01, Device Range: 1 / Switch Setting: 0, 0 of 64 "
           "outputs labelled\n";
    QTest::newRow("ports --set with a 2 GiB sparse settings file")
        << "huge settings" << QStringList{"ports", "--set", "COM2=/dev/ttyUSB3"} << 3
        << settings + ": cannot write the settings file (larger than 1 MiB)\n"
        << "";
    QTest::newRow("ports with a 2 GiB sparse settings file")
        << "huge settings" << QStringList{"ports"} << 3
        << settings + ": cannot read the settings file (larger than 1 MiB); COM1 .. COM8 stand for their defaults\n"
        << "*";
    QTest::newRow("a line feed in a ports --set path")
        << "settings" << QStringList{"ports", "--set", "COM2=/dev/x\n[Download]\nCom Port=7"} << 2
        << "ports: the device path holds control character 0x0A at position 7" + morePorts << "";
    QTest::newRow("a carriage return in a ports --set path")
        << "settings" << QStringList{"ports", "--set", "COM2=/dev/ttyUSB3\r"} << 2
        << "ports: the device path holds control character 0x0D at position 13" + morePorts << "";
}

void TestHostileInputs::boundedAndRefused()
{
    QFETCH(QString, input);
    QFETCH(QStringList, words);
    QFETCH(int, status);
    QFETCH(QString, err);
    QFETCH(QString, out);
    TempHome home;
    const QString dir = home.Path();
    for (QString &w : words)
        w.replace(QLatin1Char('@'), dir);
    err.replace(QLatin1Char('@'), dir).replace(QStringLiteral("%settings"), home.SettingsFile());
    out.replace(QLatin1Char('@'), dir);

    const QString csv = dir + QStringLiteral("/rows.csv");
    const QString map = dir + QStringLiteral("/kept.CVX");
    const QString kept = input.contains(QLatin1String("settings")) ? home.SettingsFile() : map;
    const MapTable imported = MapOf([](int i) { return int16_t(i == 0 ? 0 : 255); });
    const QByteArray oldMap = MapToBytes(DiskMap());
    if (input == "huge csv")
        QVERIFY(WriteSparse(csv, "channel,entry,output\n1,", 256 * kMiB));
    else if (input == "nul csv")
        QVERIFY(WriteBytes(csv, QByteArray("channel,entry,output\n1,5\0,\n", 27)));
    else
        QVERIFY(WriteBytes(csv, MapToCsv(imported).toUtf8()));
    if (input == "huge map")
        QVERIFY(WriteSparse(map, oldMap + kTailStart, 1024 * kMiB, kTailEnd));
    else
        QVERIFY(WriteBytes(map, oldMap));
    if (input == "huge settings") {
        QVERIFY(QDir().mkpath(home.WorkFolder()));
        QVERIFY(WriteSparse(home.SettingsFile(), "[Ports]\nCOM2=/dev/ttyUSB1\n", 2048 * kMiB));
    } else if (input == "settings") {
        home.WriteSettings("[Download]\nCom Port=2\n[Ports]\nCOM2=/dev/ttyUSB1\n");
    }
    const FileState before = StateOf(kept);

    const ChildOutcome run = RunChild(QFile::decodeName(qgetenv("CVDMX_CLI")), words);

    qInfo("memory high-water mark: %ld KiB", run.maxRssKiB);
    QVERIFY2(run.maxRssKiB < kMemoryLimitKiB, qPrintable(QStringLiteral("%1 KiB").arg(run.maxRssKiB)));
    QVERIFY(run.exited);
    QCOMPARE(QString::fromLocal8Bit(run.err), err.isEmpty() ? QString() : QStringLiteral("cvdmxmap-cli: ") + err);
    QCOMPARE(run.status, status);
    if (out != QLatin1String("*"))
        QCOMPARE(QString::fromLocal8Bit(run.out), out);
    const FileState after = StateOf(kept);
    if (input != "huge map") {
        QVERIFY(after == before);
        return;
    }
    // The new map in front of the old tail, which was neither read nor written again: the
    // file takes no more room on the disk than before.
    QCOMPARE(after.size, before.size);
    QFile f(map);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.read(kMapFileSize + kTailStart.size()), MapToBytes(imported) + kTailStart);
    QVERIFY(f.seek(before.size - kTailEnd.size()));
    QCOMPARE(f.read(kTailEnd.size()), kTailEnd);
    QVERIFY2(
        after.blocks <= before.blocks,
        qPrintable(QStringLiteral("%1 blocks, %2 before").arg(qlonglong(after.blocks)).arg(qlonglong(before.blocks))));
}

QTEST_GUILESS_MAIN(TestHostileInputs)
#include "test_hostileinputs.moc"
