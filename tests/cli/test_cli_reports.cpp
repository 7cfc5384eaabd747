// cvdmxmap-cli's reports on a map and the way back from a spreadsheet: show --by-output,
// check, import and sheet, run as a user runs them.
#include "document/DeviceLists.h"
#include "document/MapFile.h"
#include "kit/CliRun.h"
#include "kit/TempHome.h"
#include "link/Protocol.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <sys/stat.h>

using namespace modCVDMXMap;

namespace {

// Address 03: channel 1 on D:03.1, channels 5..7 and 9 sharing D:04.2, channel 20 past
// device 16, channel 30 holding an entry the editor never makes.
MapTable Patched()
{
    MapTable map;
    map.fill(kNoOutput);
    map[0] = 0;
    for (int c : {4, 5, 6, 8})
        map[c] = 5;
    map[19] = 60;
    map[29] = 300;
    map[kDevAddEntry] = 2;
    map[kDevRangeEntry] = 3;
    return map;
}

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

} // namespace

class TestCliReports : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { home_.reset(); }
    void byOutput();
    void check_data();
    void check();
    void showCsvThenImportGivesTheFileBack_data();
    void showCsvThenImportGivesTheFileBack();
    void importRefusalWritesNothing_data();
    void importRefusalWritesNothing();
    void sheet_data();
    void sheet();

private:
    QString Put(const QString &name, const MapTable &map) const;
    QString Path(const QString &name) const { return home_->Path() + QLatin1Char('/') + name; }

    std::unique_ptr<TempHome> home_;
};

void TestCliReports::init()
{
    home_ = std::make_unique<TempHome>();
}

QString TestCliReports::Put(const QString &name, const MapTable &map) const
{
    QFile f(Path(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(MapToBytes(map));
    return Path(name);
}

void TestCliReports::byOutput()
{
    const QString file = Put(QStringLiteral("patched.CVX"), Patched());
    const CliRun text = RunCli({"show", file, "--by-output"});
    QVERIFY(text.finished);
    QCOMPARE(text.status, 0);
    const QStringList lines = QString::fromLatin1(text.out).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 1 + 56 + 1);
    QCOMPARE(lines.mid(0, 8),
             QStringList({"Device Address: 03", "D:03.1  1", "D:03.2  not driven", "D:03.3  not driven",
                          "D:03.4  not driven", "D:04.1  not driven", "D:04.2  5-7, 9  [4 channels]",
                          "D:04.3  not driven"}));
    QCOMPARE(lines[56], QStringLiteral("D:10.4  not driven"));

    const CliRun csv = RunCli({"show", "--csv", file, "--by-output"});
    QCOMPARE(csv.status, 0);
    const QStringList rows = QString::fromLatin1(csv.out).split(QLatin1Char('\n'));
    QCOMPARE(rows.size(), 1 + 56 + 1);
    QCOMPARE(rows.mid(0, 3), QStringList({"output,entry,channels,count", "D:03.1,0,\"1\",1", "D:03.2,1,\"\",0"}));
    QCOMPARE(rows[6], QStringLiteral("D:04.2,5,\"5-7, 9\",4"));
}

// Each row: the map file's bytes, the exit status and the findings.
void TestCliReports::check_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    MapTable clean = Patched();
    clean[19] = kNoOutput;
    clean[29] = kNoOutput;
    clean[8] = 6;
    clean[6] = 7;
    clean[5] = 8;
    QTest::newRow("nothing to report") << MapToBytes(clean) << 0 << ""
                                       << "";
    QTest::newRow("shared output, past device 16, odd entry")
        << MapToBytes(Patched()) << 1
        << "D:04.2 is driven by 4 channels: 5-7, 9\n"
           "channel 020 holds entry 60, an output past device 16 at Device Address: 03: it shows as - - -\n"
           "channel 030 holds 300, neither an output (0..63) nor none (255): kept in the file, shown as - - -\n"
        << "";
    QByteArray outside = MapToBytes(clean);
    outside[2 * kDevAddEntry] = 16;
    outside[2 * kDevRangeEntry] = char(0xFF);
    outside[2 * kDevRangeEntry + 1] = char(0xFF);
    QTest::newRow("device entries outside the lists, which the editor refuses")
        << outside << 1
        << "device address entry 16 is outside the list (0..15)\ndevice range entry -1 is outside the list (0..15)\n"
        << "";
    QTest::newRow("shorter than a map") << MapToBytes(clean).left(1027) << 3 << ""
                                        << ": Not A Valid Map File. (shorter than 1028 bytes)\n";
}

void TestCliReports::check()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    WriteBytes(Path(QStringLiteral("map.CVX")), bytes);
    const CliRun run = RunCli({"check", Path(QStringLiteral("map.CVX"))});
    QVERIFY(run.finished);
    QCOMPARE(run.status, status);
    QCOMPARE(QString::fromLatin1(run.out), out);
    QCOMPARE(QString::fromLocal8Bit(run.err),
             err.isEmpty() ? QString() : QStringLiteral("cvdmxmap-cli: ") + Path(QStringLiteral("map.CVX")) + err);
}

// Every sample and maps with entries the editor never makes: show --csv, then import,
// gives the map file back byte for byte.
void TestCliReports::showCsvThenImportGivesTheFileBack_data()
{
    QTest::addColumn<QString>("source");
    const QDir samples(QStringLiteral(CVDMX_SOURCE_DIR "/samples"));
    for (const QString &name : samples.entryList({QStringLiteral("*.CVX")}, QDir::Files))
        QTest::newRow(qPrintable(name)) << samples.filePath(name);
    QTest::newRow("kept out-of-range entries") << QString();
}

void TestCliReports::showCsvThenImportGivesTheFileBack()
{
    QFETCH(QString, source);
    if (source.isEmpty()) {
        MapTable odd = Patched();
        odd[1] = -32768;
        odd[2] = 32767;
        odd[3] = -1;
        source = Put(QStringLiteral("odd.CVX"), odd);
    }
    const CliRun shown = RunCli({"show", source, "--csv"});
    QCOMPARE(shown.status, 0);
    WriteBytes(Path(QStringLiteral("map.csv")), shown.out);
    const QString back = Path(QStringLiteral("back.CVX"));
    const CliRun imported = RunCli({"import", Path(QStringLiteral("map.csv")), "-o", back});
    QCOMPARE(QString::fromLocal8Bit(imported.err), QString());
    QCOMPARE(imported.status, 0);
    QVERIFY(QString::fromLatin1(imported.out).startsWith(back + QStringLiteral(": ")));
    QCOMPARE(ReadBytes(back), ReadBytes(source).left(kMapFileSize));
}

// Each row: the CSV's bytes (null: a named pipe) and the report. The output file, there
// before, keeps its bytes.
void TestCliReports::importRefusalWritesNothing_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("report");
    QTest::newRow("a bad row") << QByteArray("channel,entry,output\n1,0,D:01.1\n2,7,D:01.1\n")
                               << ": line 3, column 3: entry 7 shows as \"D:02.4\" at Device Address: 01, not "
                                  "\"D:01.1\"; nothing written\n";
    QTest::newRow("a named pipe") << QByteArray() << ": cannot read it (Not a regular file)\n";
}

void TestCliReports::importRefusalWritesNothing()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, report);
    const QString input = Path(QStringLiteral("rows.csv"));
    if (csv.isNull())
        QCOMPARE(::mkfifo(QFile::encodeName(input).constData(), 0600), 0);
    else
        WriteBytes(input, csv);
    const QString output = Put(QStringLiteral("kept.CVX"), Patched());
    const CliRun run = RunCli({"import", input, "--output", output});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 3);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err), QStringLiteral("cvdmxmap-cli: ") + input + report);
    QCOMPARE(ReadBytes(output), MapToBytes(Patched()));
}

// Each row: the paper option, and the page size pdfinfo reads.
void TestCliReports::sheet_data()
{
    QTest::addColumn<QStringList>("paper");
    QTest::addColumn<QString>("pageSize");
    QTest::newRow("a4") << QStringList{"--paper", "a4"} << "842 x 595 pts (A4)";
    QTest::newRow("letter") << QStringList{"--paper=letter"} << "792 x 612 pts (letter)";
}

void TestCliReports::sheet()
{
    QFETCH(QStringList, paper);
    QFETCH(QString, pageSize);
    const QString file = Put(QStringLiteral("Rig 4.CVX"), Patched());
    const QString pdf = Path(QStringLiteral("sheet.pdf"));
    const QDate today = QDate::currentDate();
    const CliRun run = RunCli(QStringList{"sheet", file, "-o", pdf} + paper);
    QVERIFY(run.finished);
    QCOMPARE(QString::fromLocal8Bit(run.err), QString());
    QCOMPARE(run.status, 0);

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(info.waitForFinished(30000));
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains(QStringLiteral("Page size:       ") + pageSize));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    QVERIFY2(page.startsWith(QStringLiteral("Rig 4.CVX ") + today.toString(Qt::ISODate))
                 || page.startsWith(QStringLiteral("Rig 4.CVX ") + today.addDays(1).toString(Qt::ISODate)),
             qPrintable(page.left(80)));
    QVERIFY(page.contains(QStringLiteral("Device Address: 03 Device Range: 4 / Switch Setting: 3 Checksum: ")
                          + dmxlink::MapChecksumText(Patched())));
    QVERIFY(page.contains(QStringLiteral("D:04.2 \u25C6 5-7, 9 [4 channels]")));
    QVERIFY(page.contains(QStringLiteral("020 - - -")));

    const CliRun bad = RunCli({"sheet", file, "-o", pdf, "--paper", "a3"});
    QCOMPARE(bad.status, 2);
    QCOMPARE(
        QString::fromLocal8Bit(bad.err),
        QStringLiteral("cvdmxmap-cli: sheet: --paper takes a4 or letter, not a3 (see cvdmxmap-cli sheet --help)\n"));
    const CliRun noOutput = RunCli({"sheet", file});
    QCOMPARE(noOutput.status, 2);
    QCOMPARE(QString::fromLocal8Bit(noOutput.err),
             QStringLiteral("cvdmxmap-cli: sheet: -o FILE missing (see cvdmxmap-cli sheet --help)\n"));
}

QTEST_GUILESS_MAIN(TestCliReports)
#include "test_cli_reports.moc"
