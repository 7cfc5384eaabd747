// cvdmxmap-cli's options as users of other tools write them: "--" before operands that
// look like options, values that look like options, values attached with "=" or to a
// short option, and an option given twice; each run in a folder of its own.
#include "document/MapCsv.h"
#include "document/MapFile.h"
#include "kit/CliRun.h"
#include "kit/Files.h"
#include "kit/Maps.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace modCVDMXMap;

namespace {

const QStringList kInputs{"--help", "-h", "-x", "rows.csv"};

// A map whose check has findings: two channels on one output, one past device 16.
MapTable Shared()
{
    MapTable map = EmptyMap(14, 2);
    map[0] = 3;
    map[1] = 3;
    map[2] = 9;
    return map;
}

// The tool run with args in folder.
CliRun RunIn(const QString &folder, const QStringList &args)
{
    return CliProcess(args, CliLaunch{QString(), folder, QProcessEnvironment(), {}}).Wait();
}

} // namespace

class TestCliOptions : public QObject {
    Q_OBJECT
private slots:
    void init();
    void wordsAfterTheEndOfOptionsAreOperands_data();
    void wordsAfterTheEndOfOptionsAreOperands();
    void importWritesWhereTheOptionsSay_data();
    void importWritesWhereTheOptionsSay();
    void sheetTakesAValueThatLooksLikeAnOption();

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

// Map files named --help, -h and -x, and rows to import, in a fresh folder.
void TestCliOptions::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QVERIFY(WriteBytes(dir_->filePath("--help"), MapToBytes(DiskMap())));
    QVERIFY(WriteBytes(dir_->filePath("-h"), MapToBytes(Shared())));
    QVERIFY(WriteBytes(dir_->filePath("-x"), MapToBytes(MapOf([](int i) { return int16_t(i % kOutputs); }, 5, 1))));
    MapLabels labels;
    labels.title = QStringLiteral("After the dashes");
    labels.outputs[3] = QStringLiteral("Cyc");
    QVERIFY(WriteBytes(dir_->filePath("rows.csv"), MapToCsv(Shared(), labels).toUtf8()));
}

// Each row: words with "--" before files named like options, and the same files named
// "./--help" and so on, which no parser takes for an option. Both give the same output,
// and neither is the command's help.
void TestCliOptions::wordsAfterTheEndOfOptionsAreOperands_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("plain");
    QTest::addColumn<int>("status");
    QTest::newRow("show") << QStringList{"show", "--", "--help"} << QStringList{"show", "./--help"} << 0;
    QTest::newRow("show --csv") << QStringList{"show", "--csv", "--", "--help"}
                                << QStringList{"show", "--csv", "./--help"} << 0;
    QTest::newRow("checksum") << QStringList{"checksum", "--", "-x"} << QStringList{"checksum", "./-x"} << 0;
    QTest::newRow("diff") << QStringList{"diff", "--", "--help", "-x"} << QStringList{"diff", "./--help", "./-x"} << 1;
    QTest::newRow("check") << QStringList{"check", "--", "-h"} << QStringList{"check", "./-h"} << 1;
}

void TestCliOptions::wordsAfterTheEndOfOptionsAreOperands()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, plain);
    QFETCH(int, status);
    const CliRun run = RunIn(dir_->path(), args);
    const CliRun reference = RunIn(dir_->path(), plain);
    QVERIFY(run.finished);
    QCOMPARE(run.status, status);
    QCOMPARE(run.err, QByteArray());
    QVERIFY(!run.out.isEmpty());
    QVERIFY(!run.out.startsWith("Usage:"));
    QCOMPARE(run.out, reference.out);
    QCOMPARE(reference.status, status);
}

// Each row: the words after "import rows.csv", and the one file they write, with the bytes
// "-o plain.CVX" writes. No other file appears in the folder.
void TestCliOptions::importWritesWhereTheOptionsSay_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("written");
    QTest::newRow("-o --help: a value, not the help") << QStringList{"-o", "--help"} << "--help";
    QTest::newRow("-o -x") << QStringList{"-o", "-x"} << "-x";
    QTest::newRow("-oFILE") << QStringList{"-onew.CVX"} << "new.CVX";
    QTest::newRow("-o=FILE") << QStringList{"-o=new.CVX"} << "new.CVX";
    QTest::newRow("--output=FILE") << QStringList{"--output=new.CVX"} << "new.CVX";
    QTest::newRow("given twice: the last") << QStringList{"-o", "first.CVX", "--output", "second.CVX"} << "second.CVX";
    QTest::newRow("before the operand") << QStringList{"--output", "new.CVX", "--"} << "new.CVX";
}

void TestCliOptions::importWritesWhereTheOptionsSay()
{
    QFETCH(QStringList, words);
    QFETCH(QString, written);
    QTemporaryDir plainDir;
    QVERIFY(WriteBytes(plainDir.filePath("rows.csv"), ReadBytes(dir_->filePath("rows.csv"))));
    QCOMPARE(RunIn(plainDir.path(), {"import", "rows.csv", "-o", "plain.CVX"}).status, 0);
    const QByteArray expected = ReadBytes(plainDir.filePath("plain.CVX"));
    QVERIFY(expected.size() > kMapFileSize);
    const QStringList before = Entries(dir_->path());

    const CliRun run = RunIn(dir_->path(), QStringList{"import", "rows.csv"} + words);
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray());
    QVERIFY2(run.out.startsWith(written.toUtf8() + ": 3 of 512 channels patched"), run.out.constData());
    QCOMPARE(ReadBytes(dir_->filePath(written)), expected);
    QStringList after = before;
    if (!after.contains(written)) {
        after.append(written);
        after.sort();
    }
    QCOMPARE(Entries(dir_->path()), after);
}

// "-o -h" names the PDF to write; the map file named --help stays as it was.
void TestCliOptions::sheetTakesAValueThatLooksLikeAnOption()
{
    const CliRun run = RunIn(dir_->path(), {"sheet", "--paper=a4", "-o", "-h", "--", "--help"});
    QVERIFY(run.finished);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.err, QByteArray());
    QVERIFY(ReadBytes(dir_->filePath("-h")).startsWith("%PDF-"));
    QCOMPARE(ReadBytes(dir_->filePath("--help")), MapToBytes(DiskMap()));
}

QTEST_GUILESS_MAIN(TestCliOptions)
#include "document/Outputs.h"
#include "test_cli_options.moc"
