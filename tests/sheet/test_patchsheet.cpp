// The patch sheet as a printed page: rendered to PDF and read back with pdftotext and
// pdfinfo (poppler-utils), as a reader of the page would find it.
#include "document/DeviceLists.h"
#include "document/MapFile.h"
#include "document/OutputLabel.h"
#include "document/ReversePatch.h"
#include "link/Protocol.h"
#include "sheet/PatchSheet.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace modCVDMXMap;

namespace {

MapTable Sample()
{
    const MapFileContent content = ReadMap(QStringLiteral(CVDMX_SOURCE_DIR "/samples/Stage.CVX"));
    return content.map;
}

// Every channel on an output, each output driven by eight channels: the longest reverse
// patch a map can have.
MapTable Busy()
{
    MapTable map;
    for (int c = 0; c < kChannels; ++c)
        map[c] = int16_t(c * 7 % 64);
    map[kDevAddEntry] = 0;
    map[kDevRangeEntry] = 15;
    return map;
}

QString Run(const QString &program, const QStringList &args)
{
    QProcess proc;
    proc.start(program, args);
    if (!proc.waitForFinished(30000) || proc.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(proc.readAllStandardError()));
    return QString::fromUtf8(proc.readAllStandardOutput());
}

} // namespace

class TestPatchSheet : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sheetReadsBack_data();
    void sheetReadsBack();

private:
    QTemporaryDir dir_;
};

void TestPatchSheet::initTestCase()
{
    QVERIFY(dir_.isValid());
}

// Each row: the map, the paper, the page size pdfinfo gives and the most pages.
void TestPatchSheet::sheetReadsBack_data()
{
    QTest::addColumn<MapTable>("map");
    QTest::addColumn<int>("paper");
    QTest::addColumn<QString>("pageSize");
    QTest::addColumn<int>("pages");
    QTest::newRow("the sample on A4") << Sample() << int(sheet::Paper::A4) << "842 x 595 pts (A4)" << 1;
    QTest::newRow("the sample on Letter") << Sample() << int(sheet::Paper::Letter) << "792 x 612 pts (letter)" << 1;
    QTest::newRow("every output eight times") << Busy() << int(sheet::Paper::A4) << "842 x 595 pts (A4)" << 2;
}

void TestPatchSheet::sheetReadsBack()
{
    QFETCH(MapTable, map);
    QFETCH(int, paper);
    QFETCH(QString, pageSize);
    QFETCH(int, pages);
    const sheet::Sheet input{QStringLiteral("Stage.CVX"), map, QDate(2026, 12, 7), sheet::Paper(paper)};
    const QString pdf = dir_.filePath(QStringLiteral("sheet.pdf"));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(sheet::RenderPdf(input));
    file.close();

    const QString info = Run(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QStringLiteral("Page size:       ") + pageSize), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("Pages:           %1\n").arg(pages)), qPrintable(info));
    const QString text = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});

    // The header.
    const QStringList lines = text.split(QLatin1Char('\n'));
    QVERIFY2(QRegularExpression(QStringLiteral("^Stage\\.CVX\\s+2026-12-07$")).match(lines[0]).hasMatch(),
             qPrintable(lines[0]));
    QCOMPARE(lines[1].simplified(),
             (DeviceAddressText(map[kDevAddEntry]) + QLatin1Char(' ') + DeviceRangeText(map[kDevRangeEntry])
              + QStringLiteral(" Checksum: ") + dmxlink::MapChecksumText(map))
                 .simplified());

    // The 512 channels, each with its output as the window shows it.
    static const QRegularExpression cell(QStringLiteral("\\b(\\d{3}) (D:[0-9A-F]{2}\\.[1-4]|- - -)"));
    QMap<int, QString> shown;
    for (auto it = cell.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        shown.insert(m.captured(1).toInt(), m.captured(2));
    }
    QCOMPARE(shown.size(), kChannels);
    for (int c = 0; c < kChannels; ++c)
        QCOMPARE(shown.value(c + 1), OutputLabel(map[c], map[kDevAddEntry]));

    // The reverse patch: every output once, with its channels, "not driven" or flagged.
    const QString flat = text.simplified();
    QVERIFY(flat.contains(QStringLiteral("Outputs at ") + DeviceAddressText(map[kDevAddEntry])
                          + QStringLiteral(" and the channels that drive them")));
    for (const OutputDrive &output : ReversePatch(map)) {
        QString expected = output.label + QLatin1Char(' ');
        if (output.channels.empty())
            expected += QStringLiteral("not driven");
        else if (output.channels.size() == 1)
            expected += ChannelRuns(output.channels);
        else
            expected += ChannelRuns(output.channels).left(12);
        QVERIFY2(flat.contains(expected), qPrintable(expected));
        if (output.channels.size() > 1)
            QVERIFY(flat.contains(QStringLiteral("[%1 channels]").arg(output.channels.size())));
    }
}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestPatchSheet test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_patchsheet.moc"
