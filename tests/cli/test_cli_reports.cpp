// cvdmxmap-cli's reports on a map and the way back from a spreadsheet: show --by-output,
// check, import and sheet, run as a user runs them.
#include "document/DeviceLists.h"
#include "document/MapCsv.h"
#include "document/MapFile.h"
#include "kit/CliRun.h"
#include "kit/Maps.h"
#include "kit/TempHome.h"
#include "link/Protocol.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Patched's labels: a title, two driven outputs, a spare and the entry past device 16.
MapLabels PatchedLabels()
{
    MapLabels labels;
    labels.title = QStringLiteral("Stage B");
    labels.outputs[0] = QStringLiteral("Cyc 🎭");
    labels.outputs[1] = QStringLiteral("Spare");
    labels.outputs[5] = QStringLiteral("Wash, \"front\"");
    labels.outputs[60] = QStringLiteral("Hidden spot");
    return labels;
}

const QString kHidden
    = QStringLiteral("channel 020 holds entry 60, an output past device 16 at Device Address: 03: it shows as - - -");
const QString kOdd = QStringLiteral(
    "channel 030 holds 300, neither an output (0..63) nor none (255): kept in the file, shown as - - -");

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
    void byOutputWithLabels();
    void labelsThatCannotBeReadAreRefused_data();
    void labelsThatCannotBeReadAreRefused();
    void check_data();
    void check();
    void showCsvThenImportGivesTheFileBack_data();
    void showCsvThenImportGivesTheFileBack();
    void importRefusalWritesNothing_data();
    void importRefusalWritesNothing();
    void importFromStandardInput_data();
    void importFromStandardInput();
    void labelledSampleIsMadeFromItsRows();
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
    QCOMPARE(lines.size(), 1 + 56 + 2 + 1);
    QCOMPARE(lines.mid(0, 8),
             QStringList({"Device Address: 03", "D:03.1  1", "D:03.2  not driven", "D:03.3  not driven",
                          "D:03.4  not driven", "D:04.1  not driven", "D:04.2  5-7, 9  [4 channels]",
                          "D:04.3  not driven"}));
    QCOMPARE(lines.mid(56), QStringList({"D:10.4  not driven", kHidden, kOdd, ""}));
    // Named as check names them.
    const CliRun check = RunCli({"check", file});
    QVERIFY(QString::fromLatin1(check.out).endsWith(kHidden + '\n' + kOdd + '\n'));

    const CliRun csv = RunCli({"show", "--csv", file, "--by-output"});
    QCOMPARE(csv.status, 0);
    const QStringList rows = QString::fromLatin1(csv.out).split(QLatin1Char('\n'));
    QCOMPARE(rows.size(), 1 + 56 + 2 + 1);
    QCOMPARE(rows.mid(0, 3),
             QStringList({"output,entry,channels,count,label", "D:03.1,0,\"1\",1,", "D:03.2,1,\"\",0,"}));
    QCOMPARE(rows[6], QStringLiteral("D:04.2,5,\"5-7, 9\",4,"));
    QCOMPARE(rows.mid(56), QStringList({"D:10.4,55,\"\",0,", "- - -,60,\"20\",1,", "- - -,300,\"30\",1,", ""}));
}

// The title under the address, each output's label in a column of its own, the label of
// a hidden output with its finding; as rows, a label column.
void TestCliReports::byOutputWithLabels()
{
    const QString file = Put(QStringLiteral("labelled.CVX"), Patched());
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::Append));
        f.write(LabelsBlock(PatchedLabels()));
    }
    const CliRun text = RunCli({"show", file, "--by-output"});
    QCOMPARE(text.status, 0);
    const QStringList lines = QString::fromUtf8(text.out).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2 + 56 + 2 + 1);
    QCOMPARE(lines.mid(0, 8),
             QStringList({"Device Address: 03", "Title: Stage B", "D:03.1  Cyc 🎭          1",
                          "D:03.2  Spare          not driven", "D:03.3                 not driven",
                          "D:03.4                 not driven", "D:04.1                 not driven",
                          "D:04.2  Wash, \"front\"  5-7, 9  [4 channels]"}));
    QCOMPARE(lines.mid(58), QStringList({kHidden + "; labelled Hidden spot", kOdd, ""}));

    const CliRun csv = RunCli({"show", file, "--by-output", "--csv"});
    QCOMPARE(csv.status, 0);
    const QStringList rows = QString::fromUtf8(csv.out).split(QLatin1Char('\n'));
    QCOMPARE(rows.size(), 1 + 56 + 2 + 1);
    QCOMPARE(rows.mid(0, 3),
             QStringList({"output,entry,channels,count,label", "D:03.1,0,\"1\",1,Cyc 🎭", "D:03.2,1,\"\",0,Spare"}));
    QCOMPARE(rows[6], QStringLiteral("D:04.2,5,\"5-7, 9\",4,\"Wash, \"\"front\"\"\""));
    QCOMPARE(rows.mid(57), QStringList({"- - -,60,\"20\",1,Hidden spot", "- - -,300,\"30\",1,", ""}));
}

// Each row: what follows Patched's map, and what show --csv and --by-output then report.
// Plain show, which prints no label, and check read the map as ever.
void TestCliReports::labelsThatCannotBeReadAreRefused_data()
{
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QString>("err");
    QByteArray checksum = LabelsBlock(PatchedLabels());
    checksum[30] = char(checksum[30] ^ 1);
    QTest::newRow("bad checksum") << checksum << ": the labels after the map fail their checksum\n";
    QByteArray version = LabelsBlock(PatchedLabels());
    version[8] = 9;
    QTest::newRow("bad version") << version
                                 << ": the labels after the map are of version 9, which this program does not read\n";
    QTest::newRow("bad length") << LabelsBlock(PatchedLabels()).chopped(1)
                                << ": the labels after the map give a length of 174 bytes where 173 follow\n";
    QTest::newRow("another program's tail: no labels") << QByteArray("CVDMX, but not ours") << "";
}

void TestCliReports::labelsThatCannotBeReadAreRefused()
{
    QFETCH(QByteArray, tail);
    QFETCH(QString, err);
    const QString file = Path(QStringLiteral("tail.CVX"));
    WriteBytes(file, MapToBytes(Patched()) + tail);
    for (const QStringList &args : {QStringList{"show", "--csv", file}, QStringList{"show", "--by-output", file}}) {
        const CliRun run = RunCli(args);
        QCOMPARE(run.status, err.isEmpty() ? 0 : 3);
        QCOMPARE(QString::fromUtf8(run.err), err.isEmpty() ? QString() : QStringLiteral("cvdmxmap-cli: ") + file + err);
        QCOMPARE(run.out.isEmpty(), !err.isEmpty());
    }
    const QString pdf = Path(QStringLiteral("tail.pdf"));
    QFile::remove(pdf);
    const CliRun sheet = RunCli({"sheet", file, "-o", pdf});
    QCOMPARE(sheet.status, err.isEmpty() ? 0 : 3);
    QCOMPARE(QString::fromUtf8(sheet.err), err.isEmpty() ? QString() : QStringLiteral("cvdmxmap-cli: ") + file + err);
    QCOMPARE(QFile::exists(pdf), err.isEmpty());
    QCOMPARE(RunCli({"show", file}).status, 0);
    QCOMPARE(RunCli({"check", file}).status, 1);
    QCOMPARE(ReadBytes(file), MapToBytes(Patched()) + tail);
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
// Every sample, every map of the fuzz corpus the editor opens, and maps with entries and
// labels the editor never makes: show --csv, then import, gives the map file back byte for
// byte; a file that ends in bytes that are not labels gives its map.
void TestCliReports::showCsvThenImportGivesTheFileBack_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("kept"); // the bytes the rows carry
    for (const char *folder : {"/samples", "/fuzz/corpus/mapfile"}) {
        const QDir dir(QStringLiteral(CVDMX_SOURCE_DIR) + QLatin1String(folder));
        for (const QString &name : dir.entryList({QStringLiteral("*.CVX")}, QDir::Files)) {
            const MapFileContent content = ReadMap(dir.filePath(name));
            if (content.error.kind != MapFileError::None)
                continue;
            const bool ours = content.tail.kind == LabelsTail::None || content.tail.kind == LabelsTail::Labels;
            QTest::newRow(qPrintable(folder + QLatin1Char('/') + name))
                << dir.filePath(name)
                << int(QFileInfo(dir.filePath(name)).size()) - (ours ? 0 : int(content.tail.size));
        }
    }
    QTest::newRow("kept out-of-range entries") << QString() << -1;
    QTest::newRow("labels, quotes, separators") << QStringLiteral("labels") << -1;
}

void TestCliReports::showCsvThenImportGivesTheFileBack()
{
    QFETCH(QString, source);
    QFETCH(int, kept);
    if (source.isEmpty()) {
        MapTable odd = Patched();
        odd[1] = -32768;
        odd[2] = 32767;
        odd[3] = -1;
        source = Put(QStringLiteral("odd.CVX"), odd);
    } else if (source == QLatin1String("labels")) {
        MapLabels labels = PatchedLabels();
        labels.outputs[9] = QStringLiteral(" ; ,-\"").repeated(10);
        source = Path(QStringLiteral("labelled.CVX"));
        WriteBytes(source, MapToBytes(Patched()) + LabelsBlock(labels));
    }
    const QByteArray bytes = ReadBytes(source);
    if (kept < 0)
        kept = int(bytes.size());
    const CliRun shown = RunCli({"show", source, "--csv"});
    QCOMPARE(shown.status, 0);
    WriteBytes(Path(QStringLiteral("map.csv")), shown.out);
    const QString back = Path(QStringLiteral("back.CVX"));
    const CliRun imported = RunCli({"import", Path(QStringLiteral("map.csv")), "-o", back});
    QCOMPARE(QString::fromLocal8Bit(imported.err), QString());
    QCOMPARE(imported.status, 0);
    QVERIFY(QString::fromLatin1(imported.out).startsWith(back + QStringLiteral(": ")));
    QCOMPARE(ReadBytes(back), bytes.left(kept));
}

// Each row: the CSV's bytes (null: a named pipe), what the output file holds after its map
// before, and the report, which names the CSV or, for a refused save, the output file. The
// output file keeps its bytes.
void TestCliReports::importRefusalWritesNothing_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QString>("report");
    const QByteArray labelled = "channel;entry;output;label\r\n1;0;;Cyc\r\n";
    QTest::newRow("a bad row") << QByteArray("channel,entry,output\n1,0,D:01.1\n2,7,D:01.1\n") << QByteArray()
                               << "rows.csv: line 3, column 3: entry 7 shows as \"D:02.4\" at Device Address: 01, not "
                                  "\"D:01.1\"; nothing written\n";
    QTest::newRow("labels of one output that differ")
        << QByteArray(
               "\xEF\xBB\xBF"
               "channel\tentry\tlabel\r\n1\t0\tCyc\r\n2\t1\t\r\n3\t0\tCyc R\r\n")
        << LabelsBlock(PatchedLabels())
        << "rows.csv: line 4, column 3: the label \"Cyc R\" of D:01.1 differs from \"Cyc\" on line 2; nothing "
           "written\n";
    QTest::newRow("a named pipe") << QByteArray() << QByteArray() << "rows.csv: cannot read it (Not a regular file)\n";
    QTest::newRow("longer than 1 MiB") << labelled + QByteArray(int(kMaxCsvSize) + 1 - labelled.size(), '\n')
                                       << QByteArray() << "rows.csv: cannot read it (larger than 1 MiB)\n";
    QTest::newRow("labels over bytes that are not labels")
        << labelled << QByteArray("tail")
        << "kept.CVX: Unable To Save Map File. (the file ends in 4 bytes that are not labels; labels would "
           "overwrite them)\n";
    QTest::newRow("labels over damaged labels")
        << labelled << LabelsBlock(PatchedLabels()).chopped(1)
        << "kept.CVX: Unable To Save Map File. (the labels after the map give a length of 174 bytes where 173 "
           "follow; labels would overwrite them)\n";
}

void TestCliReports::importRefusalWritesNothing()
{
    QFETCH(QByteArray, csv);
    QFETCH(QByteArray, tail);
    QFETCH(QString, report);
    const QString input = Path(QStringLiteral("rows.csv"));
    if (csv.isNull())
        QCOMPARE(::mkfifo(QFile::encodeName(input).constData(), 0600), 0);
    else
        WriteBytes(input, csv);
    const QString output = Path(QStringLiteral("kept.CVX"));
    WriteBytes(output, MapToBytes(Patched()) + tail);
    const CliRun run = RunCli({"import", input, "--output", output});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 3);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(run.err), QStringLiteral("cvdmxmap-cli: ") + home_->Path() + '/' + report);
    QCOMPARE(ReadBytes(output), MapToBytes(Patched()) + tail);
}

// Each row: what arrives on standard input, and the report. A refusal writes nothing.
void TestCliReports::importFromStandardInput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QByteArray rows
        = "\xEF\xBB\xBF"
          "channel;output;label\r\ntitle;Bühne;\r\n1;d:1.1;\"Cyc; left\"\r\n";
    const QString written = QStringLiteral(
        "%1: 1 of 512 channels patched, Device Address: 01, Device Range: 1 / Switch Setting: 0, 1 of 64 outputs "
        "labelled, titled \"Bühne\"\n");
    QTest::newRow("semicolons, a byte order mark and CR LF") << rows << 0 << written << "";
    QTest::newRow("exactly 1 MiB") << rows + QByteArray(int(kMaxCsvSize) - rows.size(), '\n') << 0 << written << "";
    QTest::newRow("a bad row") << rows + "2;D:01.1;Cyc\r\n"
                               << 3 << ""
                               << "cvdmxmap-cli: standard input: line 4, column 3: the label \"Cyc\" of D:01.1 "
                                  "differs from \"Cyc; left\" on line 3; nothing written\n";
    QTest::newRow("longer than 1 MiB") << QByteArray(int(kMaxCsvSize) + 4096, '\n') << 3 << ""
                                       << "cvdmxmap-cli: standard input: cannot read it (larger than 1 MiB)\n";
    QTest::newRow("nothing") << QByteArray() << 3 << ""
                             << "cvdmxmap-cli: standard input: line 1, column 1: no header row "
                                "(channel,entry,output,label); nothing written\n";
}

void TestCliReports::importFromStandardInput()
{
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const QString output = Path(QStringLiteral("in.CVX"));
    const CliRun run = RunCliWithInput({"import", "-", "-o", output}, input);
    QVERIFY(run.finished);
    QCOMPARE(QString::fromUtf8(run.err), err);
    QCOMPARE(QString::fromUtf8(run.out), out.isEmpty() ? QString() : out.arg(output));
    QCOMPARE(run.status, status);
    if (status != 0) {
        QVERIFY(!QFile::exists(output));
        return;
    }
    MapTable map = EmptyMap();
    map[0] = 0;
    MapLabels labels;
    labels.title = QStringLiteral("Bühne");
    labels.outputs[0] = QStringLiteral("Cyc; left");
    QCOMPARE(ReadBytes(output), MapToBytes(map) + LabelsBlock(labels));
}

// The labelled sample is what its rows give (scripts/samples.sh), and it holds the patch
// of samples/Stage.CVX.
void TestCliReports::labelledSampleIsMadeFromItsRows()
{
    const QString sample = QStringLiteral(CVDMX_SOURCE_DIR "/samples/Stage-labelled.CVX");
    const QString back = Path(QStringLiteral("again.CVX"));
    const CliRun run = RunCli({"import", QStringLiteral(CVDMX_SOURCE_DIR "/samples/Stage-labelled.csv"), "-o", back});
    QCOMPARE(run.status, 0);
    QCOMPARE(ReadBytes(back), ReadBytes(sample));
    QCOMPARE(ReadBytes(sample).left(kMapFileSize), ReadBytes(QStringLiteral(CVDMX_SOURCE_DIR "/samples/Stage.CVX")));
    const MapFileContent content = ReadMap(sample);
    QCOMPARE(content.tail.kind, LabelsTail::Labels);
    QCOMPARE(content.tail.labels.outputs[20], QStringLiteral("Cyclorama"));
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
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::Append));
        f.write(LabelsBlock(PatchedLabels()));
    }
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
    QVERIFY(page.contains(QStringLiteral("Stage B page 1 of 1")));
    QVERIFY(page.contains(QStringLiteral("D:04.2 \u25C6 Wash, \"front\" 5-7, 9 [4 channels]")));
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
