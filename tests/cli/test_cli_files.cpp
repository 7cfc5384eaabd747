// cvdmxmap-cli on map files: show, checksum, diff, help, bad arguments and bad files.
#include "document/MapFile.h"
#include "kit/CliRun.h"
#include "kit/DiskFault.h"
#include "kit/Files.h"
#include "kit/Maps.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace modCVDMXMap;

namespace {

const QString kTooShort = QStringLiteral(": Not A Valid Map File. (shorter than 1028 bytes)\n");
const QString kAddressOutside = QStringLiteral(": Not A Valid Map File. (device address outside 0..15)\n");
const QString kRangeOutside = QStringLiteral(": Not A Valid Map File. (device range outside 0..15)\n");

QString Lines(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace

class TestCliFiles : public QObject {
    Q_OBJECT
private slots:
    void init();
    void showPrintsAddressRangeAndEveryChannel();
    void showCsvPrintsEntryRows();
    void checksumOfKnownMaps_data();
    void checksumOfKnownMaps();
    void diffListsWhatDiffers_data();
    void diffListsWhatDiffers();
    void badFilesAreRefused_data();
    void badFilesAreRefused();
    void badArgumentsAreUsageErrors_data();
    void badArgumentsAreUsageErrors();
    void helpForEveryCommand_data();
    void helpForEveryCommand();
    void mainHelpDocumentsEveryExitStatus();
    void outputThatCannotBeWrittenFails_data();
    void outputThatCannotBeWrittenFails();

private:
    QString Put(const QString &name, const MapTable &map);
    QString Path(const QString &name) const { return dir_->filePath(name); }

    std::unique_ptr<QTemporaryDir> dir_;
};

void TestCliFiles::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

QString TestCliFiles::Put(const QString &name, const MapTable &map)
{
    WriteBytes(Path(name), MapToBytes(map));
    return Path(name);
}

void TestCliFiles::showPrintsAddressRangeAndEveryChannel()
{
    const QString file = Put(QStringLiteral("known.CVX"), FewOutputsMap());
    QStringList expected{"Device Address: 03", "Device Range: 4 / Switch Setting: 3",
                         "001  D:03.1",        "002  D:04.2",
                         "003  - - -",         "004  D:10.4",
                         "005  - - -",         "006  - - -",
                         "007  - - -"};
    for (int c = 8; c <= 511; ++c)
        expected << QStringLiteral("%1  - - -").arg(c, 3, 10, QLatin1Char('0'));
    expected << "512  D:04.4";

    const CliRun run = RunCli({"show", file});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(QString::fromLatin1(run.out), Lines(expected));
    QCOMPARE(run.err, QByteArray());
}

void TestCliFiles::showCsvPrintsEntryRows()
{
    const QString file = Put(QStringLiteral("known.CVX"), FewOutputsMap());
    QStringList expected{"channel,entry,output,label",
                         "title,,,",
                         "address,2,Device Address: 03,",
                         "range,3,Device Range: 4 / Switch Setting: 3,",
                         "1,0,D:03.1,",
                         "2,5,D:04.2,",
                         "3,255,- - -,",
                         "4,55,D:10.4,",
                         "5,56,- - -,",
                         "6,-1,- - -,",
                         "7,300,- - -,"};
    for (int c = 8; c <= 511; ++c)
        expected << QStringLiteral("%1,255,- - -,").arg(c);
    expected << "512,7,D:04.4,";
    // The outputs of address 03 no channel holds: entries 1..54 but 5 and 7.
    expected << ",1,D:03.2,"
             << ",2,D:03.3,"
             << ",3,D:03.4,"
             << ",4,D:04.1,"
             << ",6,D:04.3,";
    for (int e = 8; e <= 54; ++e)
        expected
            << QStringLiteral(",%1,D:%2.%3,").arg(e).arg(e / 4 + 3, 2, 16, QLatin1Char('0')).arg(e % 4 + 1).toUpper();

    const CliRun run = RunCli({"show", "--csv", file});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(QString::fromLatin1(run.out), Lines(expected));
    QCOMPARE(run.err, QByteArray());
}

void TestCliFiles::checksumOfKnownMaps_data()
{
    QTest::addColumn<MapTable>("map");
    QTest::addColumn<QByteArray>("checksum");
    QTest::newRow("no assignments") << MapOf([](int) { return int16_t(255); }) << QByteArray("0A1A1879AC56C2A8");
    QTest::newRow("all output 0") << MapOf([](int) { return int16_t(0); }) << QByteArray("E5E2E3BB4E4AF0E9");
    QTest::newRow("channel 1 only") << MapOf([](int i) { return int16_t(i == 0 ? 0 : 255); })
                                    << QByteArray("E5F8557D5599D5D7");
    QTest::newRow("entry i is i mod 256")
        << MapOf([](int i) { return int16_t(i % 256); }) << QByteArray("95C9D1FCC152382D");
    MapTable moved = MapOf([](int) { return int16_t(255); });
    moved[kDevAddEntry] = 15;
    moved[kDevRangeEntry] = 15;
    QTest::newRow("address and range not covered") << moved << QByteArray("0A1A1879AC56C2A8");
}

void TestCliFiles::checksumOfKnownMaps()
{
    QFETCH(MapTable, map);
    QFETCH(QByteArray, checksum);
    const CliRun run = RunCli({"checksum", Put(QStringLiteral("map.CVX"), map)});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, checksum + '\n');
    QCOMPARE(run.err, QByteArray());
}

void TestCliFiles::diffListsWhatDiffers_data()
{
    QTest::addColumn<MapTable>("b");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::newRow("same") << FewOutputsMap() << 0 << QString();
    MapTable entries = FewOutputsMap();
    entries[1] = 6;
    entries[2] = 0;
    entries[511] = 255;
    QTest::newRow("entries") << entries << 1
                             << Lines({"channel 002: D:04.2 (entry 5) -> D:04.3 (entry 6)",
                                       "channel 003: - - - (entry 255) -> D:03.1 (entry 0)",
                                       "channel 512: D:04.4 (entry 7) -> - - - (entry 255)"});
    MapTable device = FewOutputsMap();
    device[kDevAddEntry] = 0;
    device[kDevRangeEntry] = 15;
    QTest::newRow("address and range only")
        << device << 1 << Lines({"Device Address: 03 -> 01", "Device Range: 4 -> 16"});
    MapTable both = device;
    both[6] = 301;
    QTest::newRow("address and an entry") << both << 1
                                          << Lines({"Device Address: 03 -> 01", "Device Range: 4 -> 16",
                                                    "channel 007: - - - (entry 300) -> - - - (entry 301)"});
}

void TestCliFiles::diffListsWhatDiffers()
{
    QFETCH(MapTable, b);
    QFETCH(int, status);
    QFETCH(QString, out);
    const QString fileA = Put(QStringLiteral("a.CVX"), FewOutputsMap());
    const QString fileB = Put(QStringLiteral("b.CVX"), b);
    const CliRun run = RunCli({"diff", fileA, fileB});
    QVERIFY(run.finished);
    QCOMPARE(run.status, status);
    QCOMPARE(QString::fromLatin1(run.out), out);
    QCOMPARE(run.err, QByteArray());
}

// %good, %short, ... in the arguments stand for the files made by the test.
void TestCliFiles::badFilesAreRefused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("bad");
    QTest::addColumn<QString>("reason");
    const QString missing = QStringLiteral(": Unable To Open Map File. (No such file or directory)\n");
    QTest::newRow("show missing") << QStringList{"show", "%missing"} << "%missing" << missing;
    QTest::newRow("show empty") << QStringList{"show", "%empty"} << "%empty" << kTooShort;
    QTest::newRow("show directory") << QStringList{"show", "%dir"} << "%dir"
                                    << ": Unable To Open Map File. (Is a directory)\n";
    QTest::newRow("show a named pipe") << QStringList{"show", "%pipe"} << "%pipe"
                                       << ": Unable To Open Map File. (Not a regular file)\n";
    QTest::newRow("csv short") << QStringList{"show", "--csv", "%short"} << "%short" << kTooShort;
    QTest::newRow("checksum short") << QStringList{"checksum", "%short"} << "%short" << kTooShort;
    QTest::newRow("checksum address 16") << QStringList{"checksum", "%address16"} << "%address16" << kAddressOutside;
    QTest::newRow("checksum range -1") << QStringList{"checksum", "%range-1"} << "%range-1" << kRangeOutside;
    QTest::newRow("show address and range outside: the address is named")
        << QStringList{"show", "%both"} << "%both" << kAddressOutside;
    QTest::newRow("diff first missing") << QStringList{"diff", "%missing", "%good"} << "%missing" << missing;
    QTest::newRow("diff second short") << QStringList{"diff", "%good", "%short"} << "%short" << kTooShort;
    // The file is read before the port is touched.
    QTest::newRow("download short") << QStringList{"download", "%short", "--port", "/dev/null"} << "%short"
                                    << kTooShort;
    QTest::newRow("verify missing") << QStringList{"verify", "%missing", "--port", "COM1"} << "%missing" << missing;
}

void TestCliFiles::badFilesAreRefused()
{
    QFETCH(QStringList, args);
    QFETCH(QString, bad);
    QFETCH(QString, reason);
    Put(QStringLiteral("good.CVX"), FewOutputsMap());
    const QByteArray full = MapToBytes(FewOutputsMap());
    QVERIFY(WriteBytes(Path(QStringLiteral("short.CVX")), full.left(kMapFileSize - 1)));
    QVERIFY(WriteBytes(Path(QStringLiteral("empty.CVX")), QByteArray()));
    QByteArray address16 = full;
    address16[2 * kDevAddEntry] = 16;
    QVERIFY(WriteBytes(Path(QStringLiteral("address16.CVX")), address16));
    QByteArray rangeMinus1 = full;
    rangeMinus1[2 * kDevRangeEntry] = char(0xFF);
    rangeMinus1[2 * kDevRangeEntry + 1] = char(0xFF);
    QVERIFY(WriteBytes(Path(QStringLiteral("range-1.CVX")), rangeMinus1));
    QByteArray both = rangeMinus1;
    both[2 * kDevAddEntry] = char(0xFF);
    both[2 * kDevAddEntry + 1] = char(0x7F);
    QVERIFY(WriteBytes(Path(QStringLiteral("both.CVX")), both));
    QVERIFY(QDir().mkdir(Path(QStringLiteral("dir.CVX"))));
    QCOMPARE(::mkfifo(QFile::encodeName(Path(QStringLiteral("pipe.CVX"))).constData(), 0600), 0);
    // Nothing may wait on a pipe that nobody writes.
    const HangGuard guard(20);
    auto resolve = [this](QString word) {
        if (word.startsWith(QLatin1Char('%')))
            word = Path(word.mid(1) + QStringLiteral(".CVX"));
        return word;
    };
    for (QString &word : args)
        word = resolve(word);

    const CliRun run = RunCli(args);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 3);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err), QStringLiteral("cvdmxmap-cli: ") + resolve(bad) + reason);
}

void TestCliFiles::badArgumentsAreUsageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("err");
    const QString more = QStringLiteral(" (see cvdmxmap-cli --help)\n");
    QTest::newRow("nothing") << QStringList() << "no command given" + more;
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << "unknown command frobnicate" + more;
    QTest::newRow("help on unknown") << QStringList{"help", "frob"} << "unknown command frob" + more;
    auto about = [](const char *command, const QString &message) {
        return QStringLiteral("%1: %2 (see cvdmxmap-cli %1 --help)\n").arg(QLatin1String(command), message);
    };
    QTest::newRow("show no file") << QStringList{"show"} << about("show", "FILE missing");
    QTest::newRow("show two files") << QStringList{"show", "a.CVX", "b.CVX"}
                                    << about("show", "unexpected argument b.CVX");
    QTest::newRow("show unknown option") << QStringList{"show", "-x", "a.CVX"} << about("show", "unknown option -x");
    QTest::newRow("show --port") << QStringList{"show", "--port", "COM1", "a.CVX"}
                                 << about("show", "unknown option --port");
    QTest::newRow("checksum --csv") << QStringList{"checksum", "--csv", "a.CVX"}
                                    << about("checksum", "unknown option --csv");
    QTest::newRow("download no port") << QStringList{"download", "a.CVX"} << about("download", "--port PORT missing");
    QTest::newRow("download port no value")
        << QStringList{"download", "a.CVX", "--port"} << about("download", "--port needs a value");
    QTest::newRow("download port= empty")
        << QStringList{"download", "--port=", "a.CVX"} << about("download", "--port needs a value");
    QTest::newRow("download no file") << QStringList{"download", "--port", "COM1"} << about("download", "FILE missing");
    QTest::newRow("verify COM9") << QStringList{"verify", "a.CVX", "--port", "COM9"}
                                 << about("verify", "PORT must be COM1 .. COM8 or a device path, not COM9");
    QTest::newRow("verify COM0") << QStringList{"verify", "a.CVX", "--port=COM0"}
                                 << about("verify", "PORT must be COM1 .. COM8 or a device path, not COM0");
    QTest::newRow("verify bare device name")
        << QStringList{"verify", "a.CVX", "--port", "ttyUSB0"}
        << about("verify", "PORT must be COM1 .. COM8 or a device path, not ttyUSB0");
    QTest::newRow("revision no port") << QStringList{"revision"} << about("revision", "--port PORT missing");
    QTest::newRow("revision operand") << QStringList{"revision", "extra", "--port", "COM1"}
                                      << about("revision", "unexpected argument extra");
    QTest::newRow("diff one file") << QStringList{"diff", "a.CVX"} << about("diff", "B missing");
    QTest::newRow("diff three files") << QStringList{"diff", "a", "b", "c"} << about("diff", "unexpected argument c");
}

void TestCliFiles::badArgumentsAreUsageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, err);
    const CliRun run = RunCli(args);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err), QStringLiteral("cvdmxmap-cli: ") + err);
}

void TestCliFiles::helpForEveryCommand_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("usage");
    QTest::addColumn<QString>("statusLine");
    QTest::newRow("main") << QStringList{"--help"} << "Usage: cvdmxmap-cli COMMAND [ARGUMENTS]"
                          << "  3  a map file cannot be read, or is not a valid map file";
    QTest::newRow("help word") << QStringList{"help"} << "Usage: cvdmxmap-cli COMMAND [ARGUMENTS]"
                               << "  4  the port cannot be opened";
    QTest::newRow("show") << QStringList{"show", "--help"} << "Usage: cvdmxmap-cli show FILE [--csv] [--by-output]"
                          << "Exit status: 0 printed, 2 usage error, 3 FILE cannot be read or is not a";
    QTest::newRow("show with other words")
        << QStringList{"show", "x", "--frob", "-h"} << "Usage: cvdmxmap-cli show FILE [--csv] [--by-output]"
        << "  --by-output  print the map the other way round";
    QTest::newRow("checksum") << QStringList{"checksum", "-h"} << "Usage: cvdmxmap-cli checksum FILE"
                              << "Exit status: 0 printed, 2 usage error, 3 FILE cannot be read or is not a";
    QTest::newRow("download") << QStringList{"download", "--help"} << "Usage: cvdmxmap-cli download FILE --port PORT"
                              << "Exit status: 0 downloaded and checksum matched, 1 checksum mismatch, 2 usage";
    QTest::newRow("help download") << QStringList{"help", "download"} << "Usage: cvdmxmap-cli download FILE --port PORT"
                                   << "PORT is COM1 .. COM8 or a device path such as /dev/ttyUSB0. COMn is found";
    QTest::newRow("verify") << QStringList{"verify", "--help"} << "Usage: cvdmxmap-cli verify FILE --port PORT"
                            << "Exit status: 0 the controller holds the map, 1 it holds another map, 2 usage";
    QTest::newRow("revision") << QStringList{"revision", "--help"} << "Usage: cvdmxmap-cli revision --port PORT"
                              << "Exit status: 0 printed, 2 usage error, 4 PORT cannot be opened, 5 time-out or";
    QTest::newRow("diff") << QStringList{"diff", "--help"} << "Usage: cvdmxmap-cli diff A B"
                          << "Exit status: 0 the same, 1 they differ, 2 usage error, 3 A or B cannot be";
    QTest::newRow("check") << QStringList{"check", "--help"} << "Usage: cvdmxmap-cli check FILE"
                           << "Exit status: 0 no finding, 1 one finding or more, 2 usage error, 3 FILE";
    QTest::newRow("import") << QStringList{"help", "import"} << "Usage: cvdmxmap-cli import CSV -o FILE"
                            << "Exit status: 0 written, 2 usage error, 3 CSV cannot be read, is longer than";
    QTest::newRow("sheet") << QStringList{"sheet", "-h"}
                           << "Usage: cvdmxmap-cli sheet FILE -o OUT.pdf [--paper a4|letter]"
                           << "  --paper a4|letter     the paper; by default letter where the locale";
    QTest::newRow("identify") << QStringList{"identify", "--help"}
                              << "Usage: cvdmxmap-cli identify [--port PORT]... [--maps FOLDER] [--csv]"
                              << "Exit status: 0 every controller that answered holds a map of FOLDER, 1 one";
    QTest::newRow("ports") << QStringList{"ports", "--help"}
                           << "Usage: cvdmxmap-cli ports [--set COMn=PATH | --unset COMn]"
                           << "Exit status: 0 listed or changed, 2 usage error, 3 the settings file cannot";
}

void TestCliFiles::helpForEveryCommand()
{
    QFETCH(QStringList, args);
    QFETCH(QString, usage);
    QFETCH(QString, statusLine);
    const CliRun run = RunCli(args);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray());
    const QStringList lines = QString::fromLatin1(run.out).split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), usage);
    QVERIFY2(std::any_of(lines.cbegin(), lines.cend(), [&](const QString &l) { return l.startsWith(statusLine); }),
             qPrintable(statusLine));
    for (const QString &line : lines)
        QVERIFY2(line.size() < 80, qPrintable(line));
}

void TestCliFiles::mainHelpDocumentsEveryExitStatus()
{
    const CliRun run = RunCli({"--help"});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    const QString out = QString::fromLatin1(run.out);
    const QString table = out.mid(out.indexOf(QStringLiteral("Exit status:\n")));
    for (const char *line :
         {"\n  0  success; verify: the controller holds the map; identify: every\n     controller that answered "
          "holds a map of the folder; diff: the maps are\n     the same; check: no finding\n",
          "\n  1  checksum mismatch after a download; verify: the controller holds\n     another map; identify: a "
          "controller holds none of the folder's maps;\n     diff: the maps differ; check: findings\n",
          "\n  2  usage error: unknown command or option, missing or extra argument,\n     bad PORT\n",
          "\n  3  a map file cannot be read, or is not a valid map file; identify: the\n     folder cannot be read; a "
          "file cannot be written; a CSV row is bad; or\n     standard output or standard error cannot be written\n",
          "\n  4  the port cannot be opened; identify: no controller answered\n",
          "\n  5  time-out: no complete reply from the controller within 2000 ms, or\n     the line was lost\n"})
        QVERIFY2(table.contains(QLatin1String(line)), line);
}

// Each row: where standard output goes, and the reason reported on standard error. The
// output is larger than one buffer, so the failure shows while it is being written.
void TestCliFiles::outputThatCannotBeWrittenFails_data()
{
    QTest::addColumn<QString>("sink");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a full device") << "full"
                                   << "No space left on device";
    QTest::newRow("a pipe whose reader has gone") << "closed pipe"
                                                  << "Broken pipe";
    QTest::newRow("a file past the file-size limit") << "limit"
                                                     << "File too large";
}

void TestCliFiles::outputThatCannotBeWrittenFails()
{
    QFETCH(QString, sink);
    QFETCH(QString, reason);
    const QString file = Put(QStringLiteral("known.CVX"), FewOutputsMap());
    const QByteArray out = QFile::encodeName(Path(QStringLiteral("out.txt")));
    const CliRun run = RunCli({"show", file}, [sink, out] {
        int fd = -1;
        if (sink == "full") {
            fd = ::open("/dev/full", O_WRONLY);
        } else if (sink == "closed pipe") {
            int ends[2];
            if (::pipe(ends) == 0) {
                ::close(ends[0]);
                fd = ends[1];
            }
        } else {
            fd = ::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const rlimit limit{100, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::dup2(fd, STDOUT_FILENO);
    });
    QVERIFY(run.finished);
    QCOMPARE(run.status, 3);
    QCOMPARE(QString::fromLocal8Bit(run.err),
             QStringLiteral("cvdmxmap-cli: cannot write to standard output: ") + reason + QLatin1Char('\n'));
}

QTEST_GUILESS_MAIN(TestCliFiles)
#include "test_cli_files.moc"
