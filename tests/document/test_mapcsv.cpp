// Maps as comma-separated rows and back: the rows written, the round trip, what a
// spreadsheet saves, and every kind of bad row with its line and column.
#include "document/MapCsv.h"
#include "document/MapFile.h"

#include "kit/Maps.h"
#include <QDir>
#include <QFile>

#include <QtTest>

using namespace modCVDMXMap;

namespace {

QByteArray Rows(const QStringList &rows)
{
    return (rows.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

} // namespace

class TestMapCsv : public QObject {
    Q_OBJECT
private slots:
    void rowsWritten();
    void roundTrip_data();
    void roundTrip();
    void whatASpreadsheetSaves();
    void eitherEntryOrOutput_data();
    void eitherEntryOrOutput();
    void badRows_data();
    void badRows();
};

void TestMapCsv::rowsWritten()
{
    MapTable map = EmptyMap(2, 3);
    map[0] = 0;
    map[1] = 300;
    map[511] = 55;
    const QStringList lines = MapToCsv(map).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 1 + 2 + 512 + 1);
    QCOMPARE(lines.mid(0, 5),
             QStringList({"channel,entry,output", "address,2,Device Address: 03",
                          "range,3,Device Range: 4 / Switch Setting: 3", "1,0,D:03.1", "2,300,- - -"}));
    QCOMPARE(lines[4 + 510], QStringLiteral("512,55,D:10.4"));
    QCOMPARE(lines.last(), QString());
}

// Every map file the samples folder holds, and maps with entries the editor never makes:
// written as rows and read back, the table and its 1028 bytes are the same.
void TestMapCsv::roundTrip_data()
{
    QTest::addColumn<MapTable>("map");
    const QDir samples(QStringLiteral(CVDMX_SOURCE_DIR "/samples"));
    const QStringList files = samples.entryList({QStringLiteral("*.CVX")}, QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString &name : files) {
        const MapFileContent content = ReadMap(samples.filePath(name));
        QCOMPARE(content.error.kind, MapFileError::None);
        QTest::newRow(qPrintable(name)) << content.map;
    }
    MapTable odd = EmptyMap(15, 15);
    const int16_t kept[] = {-32768, -1, 64, 100, 254, 256, 32767, 0, 3, 63};
    for (int c = 0; c < kChannels; ++c)
        odd[c] = kept[c % 10];
    QTest::newRow("kept out-of-range entries at address 10") << odd;
    MapTable full = EmptyMap(0, 7);
    for (int c = 0; c < kChannels; ++c)
        full[c] = int16_t(c % 64);
    QTest::newRow("every output, eight times") << full;
}

void TestMapCsv::roundTrip()
{
    QFETCH(MapTable, map);
    const CsvMap back = MapFromCsv(MapToCsv(map).toUtf8());
    QVERIFY2(!back.error, back.error ? qPrintable(back.error->Text()) : "");
    QCOMPARE(MapToBytes(back.map), MapToBytes(map));
}

// A byte order mark, CR LF, quoted fields, columns in another order with one more column,
// rows in any order, a blank line and tabs around fields; channels without a row have no
// output.
void TestMapCsv::whatASpreadsheetSaves()
{
    const QByteArray bytes
        = "\xEF\xBB\xBF"
          "\"Output\",Notes,\"Channel\",\"Entry\"\r\n"
          "D:04.2,\"front, left\",17,\r\n"
          "\"Device Range: 6 / Switch Setting: 5\",,range,5\r\n"
          ",\"said \"\"spare\"\"\",512,255\r\n"
          "\r\n"
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
}

// Each row: the entry and output fields of channel 1's row at address 03, and the entry
// they give.
void TestMapCsv::eitherEntryOrOutput_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("expected");
    QTest::newRow("entry only") << "4"
                                << "" << 4;
    QTest::newRow("output only") << ""
                                 << "D:04.1" << 4;
    QTest::newRow("both, agreeing") << "4"
                                    << "D:04.1" << 4;
    QTest::newRow("none by its text") << ""
                                      << "- - -" << 255;
    QTest::newRow("an entry past device 16 with its text") << "60"
                                                           << "- - -" << 60;
    QTest::newRow("a kept entry with its text") << "-7"
                                                << "- - -" << -7;
    QTest::newRow("blanks around the entry") << " 12 "
                                             << "" << 12;
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
    const QString header = QStringLiteral("channel,entry,output");
    QTest::newRow("empty") << QByteArray() << "line 1, column 1: no header row (channel,entry,output)";
    QTest::newRow("no header")
        << Rows({"1,0,D:01.1"})
        << "line 1, column 1: the header row must name a channel column and an entry or output column "
           "(channel,entry,output)";
    QTest::newRow("unknown channel 513") << Rows({header, "1,0,", "513,0,"})
                                         << "line 3, column 1: no channel \"513\" (1..512, address or range)";
    QTest::newRow("unknown channel 0") << Rows({header, "0,0,"})
                                       << "line 2, column 1: no channel \"0\" (1..512, address or range)";
    QTest::newRow("a word for a channel")
        << Rows({header, "ch1,0,"}) << "line 2, column 1: no channel \"ch1\" (1..512, address or range)";
    QTest::newRow("a channel twice") << Rows({header, "7,1,", "8,2,", "7,3,"})
                                     << "line 4, column 1: \"7\" is given twice (first on line 2)";
    QTest::newRow("the address twice") << Rows({header, "address,1,", "Address,2,"})
                                       << "line 3, column 1: \"Address\" is given twice (first on line 2)";
    QTest::newRow("an entry that is no number")
        << Rows({header, "4,five,"}) << "line 2, column 2: entry \"five\" is not a number";
    QTest::newRow("an entry beyond 16 bits")
        << Rows({header, "4,40000,"}) << "line 2, column 2: entry \"40000\" is not a number";
    QTest::newRow("neither entry nor output")
        << Rows({header, "4,,"}) << "line 2, column 1: the row gives neither an entry nor an output";
    QTest::newRow("an output that means nothing")
        << Rows({header, "4,,D:1.1"}) << "line 2, column 3: \"D:1.1\" is not an output at Device Address: 01";
    QTest::newRow("an output the address cannot name")
        << Rows({header, "address,15,", "4,,D:02.1"})
        << "line 3, column 3: \"D:02.1\" is not an output at Device Address: 10";
    QTest::newRow("entry and output disagree")
        << Rows({header, "address,2,", "4,0,D:04.1"})
        << "line 3, column 3: entry 0 shows as \"D:03.1\" at Device Address: 03, not \"D:04.1\"";
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
        << Rows({header, "2,,", "600,1,"}) << "line 2, column 1: the row gives neither an entry nor an output";
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
