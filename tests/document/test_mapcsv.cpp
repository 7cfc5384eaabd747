// Maps and their labels as separated rows and back: the rows written, the round trip,
// what spreadsheets save, and every kind of bad row with its line and column.
#include "document/MapCsv.h"
#include "document/MapFile.h"

#include "kit/Maps.h"
#include <QDir>
#include <QFile>

#include <QtTest>

using namespace modCVDMXMap;

Q_DECLARE_METATYPE(MapLabels)

namespace {

const QString kHeader = QStringLiteral("channel,entry,output,label");

QByteArray Rows(const QStringList &rows)
{
    return (rows.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

// Address 03: channel 1 on D:03.1, 2 on an odd entry, 5 on entry 60 (past device 16),
// 512 on D:10.4; labels for some of them and for spares, one of them past device 16.
MapTable RigMap()
{
    MapTable map = EmptyMap(2, 3);
    map[0] = 0;
    map[1] = 300;
    map[4] = 60;
    map[511] = 55;
    return map;
}

MapLabels RigLabels()
{
    MapLabels labels;
    labels.title = QStringLiteral("Rig, \"A\"");
    labels.outputs[0] = QStringLiteral(" padded");
    labels.outputs[1] = QStringLiteral("Spare one");
    labels.outputs[55] = QStringLiteral("Spot; left");
    labels.outputs[60] = QStringLiteral("Hidden");
    labels.outputs[61] = QStringLiteral("Spare hidden 𝄞");
    return labels;
}

} // namespace

class TestMapCsv : public QObject {
    Q_OBJECT
private slots:
    void rowsWritten();
    void roundTrip_data();
    void roundTrip();
    void whatASpreadsheetSaves();
    void separatorsOfEveryLocale_data();
    void separatorsOfEveryLocale();
    void eitherEntryOrOutput_data();
    void eitherEntryOrOutput();
    void badRows_data();
    void badRows();
};

void TestMapCsv::rowsWritten()
{
    const QStringList lines = MapToCsv(RigMap(), RigLabels()).split(QLatin1Char('\n'));
    // 54 outputs of the address no channel holds (entries 1..54), and entry 61.
    QCOMPARE(lines.size(), 1 + 3 + 512 + 55 + 1);
    QCOMPARE(lines.mid(0, 9),
             QStringList({"channel,entry,output,label", "title,,\"Rig, \"\"A\"\"\",", "address,2,Device Address: 03,",
                          "range,3,Device Range: 4 / Switch Setting: 3,", "1,0,D:03.1,\" padded\"", "2,300,- - -,",
                          "3,255,- - -,", "4,255,- - -,", "5,60,- - -,Hidden"}));
    QCOMPARE(lines.mid(515, 3), QStringList({"512,55,D:10.4,\"Spot; left\"", ",1,D:03.2,Spare one", ",2,D:03.3,"}));
    QCOMPARE(lines.mid(569), QStringList({",54,D:10.3,", ",61,- - -,Spare hidden 𝄞", ""}));

    const QStringList plain = MapToCsv(EmptyMap(15, 0)).split(QLatin1Char('\n'));
    QCOMPARE(plain.mid(0, 5),
             QStringList({"channel,entry,output,label", "title,,,", "address,15,Device Address: 10,",
                          "range,0,Device Range: 1 / Switch Setting: 0,", "1,255,- - -,"}));
    QCOMPARE(plain.mid(516), QStringList({",0,D:10.1,", ",1,D:10.2,", ",2,D:10.3,", ",3,D:10.4,", ""}));
}

// Every map file the samples folder holds, and maps with entries and labels the editor
// never makes: written as rows and read back, the table, its 1028 bytes and the labels are
// the same.
void TestMapCsv::roundTrip_data()
{
    QTest::addColumn<MapTable>("map");
    QTest::addColumn<MapLabels>("labels");
    const QDir samples(QStringLiteral(CVDMX_SOURCE_DIR "/samples"));
    const QStringList files = samples.entryList({QStringLiteral("*.CVX")}, QDir::Files);
    QVERIFY(files.size() >= 2);
    bool labelled = false;
    for (const QString &name : files) {
        const MapFileContent content = ReadMap(samples.filePath(name));
        QCOMPARE(content.error.kind, MapFileError::None);
        labelled = labelled || !content.tail.labels.IsEmpty();
        QTest::newRow(qPrintable(name)) << content.map << content.tail.labels;
    }
    QVERIFY(labelled);
    MapTable odd = EmptyMap(15, 15);
    const int16_t kept[] = {-32768, -1, 64, 100, 254, 256, 32767, 0, 3, 63};
    for (int c = 0; c < kChannels; ++c)
        odd[c] = kept[c % 10];
    QTest::newRow("kept out-of-range entries at address 10") << odd << MapLabels();
    MapTable full = EmptyMap(0, 7);
    for (int c = 0; c < kChannels; ++c)
        full[c] = int16_t(c % kOutputs);
    MapLabels every;
    for (int e = 0; e < kOutputs; ++e)
        every.outputs[size_t(e)] = QStringLiteral("Out, %1 \"x\"").arg(e);
    QTest::newRow("every output, eight times, every label") << full << every;
    QTest::newRow("labels of spares, hidden ones and blanks") << RigMap() << RigLabels();
    MapLabels longest;
    longest.title = QStringLiteral("🎭").repeated(kLabelMaxLength);
    longest.outputs[3] = QStringLiteral("\"").repeated(kLabelMaxLength);
    longest.outputs[4] = QStringLiteral("\u00A0x\u00A0");
    QTest::newRow("the longest texts, quotes and blanks that are not spaces") << EmptyMap() << longest;
}

void TestMapCsv::roundTrip()
{
    QFETCH(MapTable, map);
    QFETCH(MapLabels, labels);
    const CsvMap back = MapFromCsv(MapToCsv(map, labels).toUtf8());
    QVERIFY2(!back.error, back.error ? qPrintable(back.error->Text()) : "");
    QCOMPARE(MapToBytes(back.map), MapToBytes(map));
    QVERIFY(back.labels.has_value());
    QCOMPARE(back.labels->title, labels.title);
    for (int e = 0; e < kOutputs; ++e)
        QCOMPARE(back.labels->outputs[size_t(e)], labels.outputs[size_t(e)]);
}

// A byte order mark, CR LF, quoted fields, columns in another order with one more column,
// rows in any order, a blank line, a row of empty fields and tabs around fields; channels
// without a row have no output. Without a label column and a title row the rows give no
// labels.
void TestMapCsv::whatASpreadsheetSaves()
{
    const QByteArray bytes
        = "\xEF\xBB\xBF"
          "\"Output\",Notes,\"Channel\",\"Entry\"\r\n"
          "D:04.2,\"front, left\",17,\r\n"
          "\"Device Range: 6 / Switch Setting: 5\",,range,5\r\n"
          ",\"said \"\"spare\"\"\",512,255\r\n"
          "\r\n"
          ",,,\r\n"
          "\tD:02.1 ,,1,\t\r\n"
          ",,address,1\r\n"
          "\"- - -\",\t\"two, on one line\"\t,2,\r\n"
          "D:10.4,,3,59\r\n";
    const CsvMap read = MapFromCsv(bytes);
    QVERIFY2(!read.error, read.error ? qPrintable(read.error->Text()) : "");
    MapTable expected = EmptyMap(1, 5);
    expected[16] = 9;
    expected[0] = 0;
    expected[2] = 59;
    QCOMPARE(MapToBytes(read.map), MapToBytes(expected));
    QVERIFY(!read.labels.has_value());
}

// Each row: the separator a spreadsheet wrote. The same rows, with a byte order mark and
// CR LF, give the same map and labels.
void TestMapCsv::separatorsOfEveryLocale_data()
{
    QTest::addColumn<QString>("separator");
    QTest::newRow("comma") << ",";
    QTest::newRow("semicolon") << ";";
    QTest::newRow("tab") << "\t";
}

void TestMapCsv::separatorsOfEveryLocale()
{
    QFETCH(QString, separator);
    const QStringList rows{"Channel|Entry|Output|Label|Notes",
                           "title||Bühne 2||",
                           "address|2|||",
                           "1||d:3.1|\"Cyc; left, 1\"|\"a, b; c\"",
                           "2|||",
                           "|61||Spare|",
                           "3|7|D:04.4|\"\"|"};
    QString text = rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    const QByteArray bytes = "\xEF\xBB\xBF" + text.replace(QLatin1Char('|'), separator).toUtf8();
    const CsvMap read = MapFromCsv(bytes);
    QVERIFY2(!read.error, read.error ? qPrintable(read.error->Text()) : "");
    MapTable expected = EmptyMap(2, 0);
    expected[0] = 0;
    expected[2] = 7;
    QCOMPARE(MapToBytes(read.map), MapToBytes(expected));
    MapLabels labels;
    labels.title = QStringLiteral("Bühne 2");
    labels.outputs[0] = QStringLiteral("Cyc; left, 1");
    labels.outputs[61] = QStringLiteral("Spare");
    QVERIFY(read.labels.has_value());
    QVERIFY(*read.labels == labels);
}

// Each row: the entry and output fields of channel 1's row at address 03, and the entry
// they give.
void TestMapCsv::eitherEntryOrOutput_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("expected");
    struct Row {
        const char *tag, *entry, *output;
        int expected;
    };
    const Row rows[] = {
        {"entry only", "4", "", 4},
        {"output only", "", "D:04.1", 4},
        {"both, agreeing", "4", "D:04.1", 4},
        {"none by its text", "", "- - -", 255},
        {"None", "", "None", 255},
        {"none", "", "none", 255},
        {"NONE", "", "NONE", 255},
        {"a dash", "", "-", 255},
        {"an empty cell", "", "", 255},
        {"an entry past device 16 with its text", "60", "- - -", 60},
        {"an entry past device 16 with a word for none", "60", "None", 60},
        {"a kept entry with its text", "-7", "- - -", -7},
        {"blanks around the entry", " 12 ", "", 12},
        {"lower case", "", "d:04.1", 4},
        {"no leading zero", "", "d:4.1", 4},
        {"lower-case hexadecimal", "", "d:0a.3", 30},
        {"blanks inside", "", "D: 4 .1", 4},
        {"lower case and an entry", "31", "d:a.4", 31},
    };
    for (const Row &r : rows)
        QTest::newRow(r.tag) << QString::fromUtf8(r.entry) << QString::fromUtf8(r.output) << r.expected;
}

void TestMapCsv::eitherEntryOrOutput()
{
    QFETCH(QString, entry);
    QFETCH(QString, output);
    QFETCH(int, expected);
    const CsvMap read = MapFromCsv(Rows({"channel,entry,output", "address,2,", "1," + entry + ',' + output}));
    QVERIFY2(!read.error, read.error ? qPrintable(read.error->Text()) : "");
    QCOMPARE(int(read.map[0]), expected);
}

// Each row: the rows, and the error: its line, column and message.
void TestMapCsv::badRows_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const QString header = kHeader;
    const QString expected = QStringLiteral(
        "; expected channel,entry,output,label (a channel column and an entry or output column, separated by "
        "commas, semicolons or tabs)");
    const QString x65 = QStringLiteral("x").repeated(65);
    QTest::newRow("empty") << QByteArray() << "line 1, column 1: no header row (channel,entry,output,label)";
    QTest::newRow("no header") << Rows(
        {"1,0,D:01.1"}) << "line 1, column 1: the header row names the columns \"1\", \"0\", \"D:01.1\"" + expected;
    QTest::newRow("a header in another language")
        << Rows({"Kanal;Eintrag;Ausgang", "1;0;D:01.1"})
        << "line 1, column 1: the header row names the columns \"Kanal\", \"Eintrag\", \"Ausgang\"" + expected;
    QTest::newRow("a header of many columns")
        << QByteArray("a,b,c,d,e,f,g,h,i,j,k,l,m\n")
        << "line 1, column 1: the header row names the columns \"a\", \"b\", \"c\", \"d\", \"e\", \"f\", \"g\", "
           "\"h\", \"i\", \"j\", ... (13 in all)"
            + expected;
    QTest::newRow("a header of other words and a long field")
        << QByteArray("ch\xC3\xA4nnel,\"" + QByteArray(41, 'x') + "\"\n")
        << "line 1, column 1: the header row names the columns \"ch\u00E4nnel\", \"" + QString(40, 'x') + "...\""
            + expected;
    QTest::newRow("a header with a control character")
        << QByteArray("ch\x01nnel,entry\n")
        << QStringLiteral("line 1, column 1: control character 0x01 inside a field");
    QTest::newRow("a header without an entry or output")
        << Rows({"channel,label"})
        << "line 1, column 1: the header row names the columns \"channel\", \"label\"" + expected;
    QTest::newRow("unknown channel 513") << Rows({header, "1,0,", "513,0,"})
                                         << "line 3, column 1: no channel \"513\" (1..512, title, address or range)";
    QTest::newRow("unknown channel 0") << Rows({header, "0,0,"})
                                       << "line 2, column 1: no channel \"0\" (1..512, title, address or range)";
    QTest::newRow("a word for a channel")
        << Rows({header, "ch1,0,"}) << "line 2, column 1: no channel \"ch1\" (1..512, title, address or range)";
    QTest::newRow("a channel twice") << Rows({header, "7,1,", "8,2,", "7,3,"})
                                     << "line 4, column 1: \"7\" is given twice (first on line 2)";
    QTest::newRow("the address twice") << Rows({header, "address,1,", "Address,2,"})
                                       << "line 3, column 1: \"Address\" is given twice (first on line 2)";
    QTest::newRow("the title twice") << Rows({header, "title,,A,", "Title,,B,"})
                                     << "line 3, column 1: \"Title\" is given twice (first on line 2)";
    QTest::newRow("an entry for the title")
        << Rows({header, "title,3,A,"}) << "line 2, column 2: the title row takes no entry";
    QTest::newRow("a title too long") << Rows({header, "title,," + x65 + ","})
                                      << "line 2, column 3: the title is longer than 64 characters (65)";
    QTest::newRow("a label on the address row")
        << Rows({header, "address,1,,x"}) << "line 2, column 4: the address row takes no label";
    QTest::newRow("a label too long") << Rows({header, "1,0,," + x65})
                                      << "line 2, column 4: the label is longer than 64 characters (65)";
    QTest::newRow("a label of two lines")
        << Rows({header, "1,0,,\"two", "lines\""}) << "line 2, column 4: a quoted field that never ends";
    QTest::newRow("labels of one output that differ")
        << Rows({header, "1,0,,Cyc", "2,0,,", "3,0,,Cyc R"})
        << "line 4, column 4: the label \"Cyc R\" of D:01.1 differs from \"Cyc\" on line 2";
    QTest::newRow("a spare's label that differs")
        << Rows({header, ",0,,Work", "1,,D:01.1,Cyc"})
        << "line 3, column 4: the label \"Cyc\" of D:01.1 differs from \"Work\" on line 2";
    QTest::newRow("labels of an entry past device 16 that differ")
        << Rows({header, "address,15,", "1,60,,A", ",60,,B"})
        << "line 4, column 4: the label \"B\" of entry 60 differs from \"A\" on line 3";
    QTest::newRow("a label for no output")
        << Rows({header, "1,,None,Cyc"}) << "line 2, column 4: channel 1 has no output to label";
    QTest::newRow("a label for an odd entry")
        << Rows({header, "1,300,,Cyc"}) << "line 2, column 4: channel 1 has no output to label";
    QTest::newRow("a spare naming nothing")
        << Rows({header, ",,,Cyc"})
        << "line 2, column 3: a row without a channel names an output (an entry 0..63 or its output)";
    QTest::newRow("a spare naming none") << Rows(
        {header,
         ",,None,Cyc"}) << "line 2, column 3: a row without a channel names an output (an entry 0..63 or its output)";
    QTest::newRow("a spare naming an odd entry")
        << Rows({header, ",300,,Cyc"})
        << "line 2, column 2: a row without a channel names an output (an entry 0..63 or its output)";
    QTest::newRow("an entry that is no number")
        << Rows({header, "4,five,"}) << "line 2, column 2: entry \"five\" is not a number";
    QTest::newRow("an entry beyond 16 bits")
        << Rows({header, "4,40000,"}) << "line 2, column 2: entry \"40000\" is not a number";
    QTest::newRow("an address row without entry or text")
        << Rows({header, "address,,"}) << "line 2, column 1: the row gives neither an entry nor an output";
    QTest::newRow("an output past device 16")
        << Rows({header, "4,,D:11.1"}) << "line 2, column 3: \"D:11.1\" is not an output at Device Address: 01";
    QTest::newRow("an output of three digits")
        << Rows({header, "4,,D:001.1"}) << "line 2, column 3: \"D:001.1\" is not an output at Device Address: 01";
    QTest::newRow("output 5 of a device")
        << Rows({header, "4,,D:01.5"}) << "line 2, column 3: \"D:01.5\" is not an output at Device Address: 01";
    QTest::newRow("an output the address cannot name")
        << Rows({header, "address,15,", "4,,d:2.1"})
        << "line 3, column 3: \"d:2.1\" is not an output at Device Address: 10";
    QTest::newRow("entry and output disagree")
        << Rows({header, "address,2,", "4,0,D:04.1"})
        << "line 3, column 3: entry 0 shows as \"D:03.1\" at Device Address: 03, not \"D:04.1\"";
    QTest::newRow("an output and a word for none")
        << Rows({header, "4,0,none"})
        << "line 2, column 3: entry 0 shows as \"D:01.1\" at Device Address: 01, not \"none\"";
    QTest::newRow("address outside the list")
        << Rows({header, "address,16,"}) << "line 2, column 2: entry 16 is outside the list (0..15)";
    QTest::newRow("address text unknown")
        << Rows({header, "address,,Device Address: 11"})
        << "line 2, column 3: \"Device Address: 11\" is not an output in the device address list";
    QTest::newRow("range text and entry disagree")
        << Rows({header, "range,2,Device Range: 4 / Switch Setting: 3"})
        << "line 2, column 3: entry 2 shows as \"Device Range: 3 / Switch Setting: 2\" in the device range list, not "
           "\"Device Range: 4 / Switch Setting: 3\"";
    QTest::newRow("a quoted field that never ends")
        << Rows({header, "4,\"5,"}) << "line 2, column 2: a quoted field that never ends";
    QTest::newRow("a quoted field that goes on on the next line")
        << Rows({header, "4,5,\"two", "lines\"", "5,6,"}) << "line 2, column 3: a quoted field that never ends";
    QTest::newRow("a NUL ends no field") << QByteArray("channel,entry,output\n1,5\0,\n", 27)
                                         << "line 2, column 2: control character 0x00 inside a field";
    QTest::newRow("a NUL inside quotes") << QByteArray("channel,entry,output\n1,\"5\0\",\n", 29)
                                         << "line 2, column 2: control character 0x00 inside a field";
    QTest::newRow("a lone CR") << QByteArray("channel,entry,output\n1,5\r2,\n")
                               << "line 2, column 2: control character 0x0D inside a field";
    QTest::newRow("a tab inside a field")
        << Rows({header, "1,5\t2,"}) << "line 2, column 2: control character 0x09 inside a field";
    QTest::newRow("a tab inside quotes") << Rows({header, "1,\"5\t\","})
                                         << "line 2, column 2: control character 0x09 inside a field";
    QTest::newRow("DEL") << Rows({header, "1,5,D:01.1\x7f"})
                         << "line 2, column 3: control character 0x7F inside a field";
    QTest::newRow("a C1 control character, U+0085")
        << Rows({header, "1,5,\xc2\x85"}) << "line 2, column 3: control character 0x85 inside a field";
    QTest::newRow("escape in the header")
        << Rows({"channel,\x1b[2Jentry,output"}) << "line 1, column 2: control character 0x1B inside a field";
    QTest::newRow("text after a closing quote")
        << Rows({header, "4,\"5\"x,"}) << "line 2, column 2: text after the closing quote of a field";
    QTest::newRow("the first bad row is the one reported")
        << Rows({header, "2,x,", "600,1,"}) << "line 2, column 2: entry \"x\" is not a number";
}

void TestMapCsv::badRows()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const CsvMap read = MapFromCsv(bytes);
    QVERIFY(read.error.has_value());
    QCOMPARE(read.error->Text(), error);
}

QTEST_GUILESS_MAIN(TestMapCsv)
#include "test_mapcsv.moc"
