// The patch sheet as a printed page: rendered to PDF and read back with poppler's tools
// (pdfinfo, pdftotext, pdffonts, pdftoppm), as a reader of the page would find it.
#include "document/DeviceLists.h"
#include "document/MapFile.h"
#include "document/OutputLabel.h"
#include "document/ReversePatch.h"
#include "link/Protocol.h"
#include "sheet/PatchSheet.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace modCVDMXMap;

Q_DECLARE_METATYPE(sheet::Sheet)

namespace {

const QDate kDate(2026, 12, 7);
const QString kDateText = QStringLiteral("2026-12-07");
const QString kShared = QStringLiteral("\u25C6");
const QString kHidden = QStringLiteral("\u25B2");
const QString kOdd = QStringLiteral("\u25A0");
const QString kEllipsis = QStringLiteral("\u2026");
constexpr qreal kSmallestPt = 7;
constexpr int kPixelsPerPoint = 4; // pictures at 288 dpi
constexpr int kClearPixels = 6;    // 1.5 pt

MapTable Sample()
{
    return ReadMap(QStringLiteral(CVDMX_SOURCE_DIR "/samples/Stage.CVX")).map;
}

sheet::Sheet SheetOf(const MapTable &map, sheet::Paper paper)
{
    sheet::Sheet input;
    input.fileName = QStringLiteral("Stage.CVX");
    input.map = map;
    input.date = kDate;
    input.paper = paper;
    return input;
}

// The sample stage titled, its outputs labelled: short labels, spares, a long one, accents,
// and one of 64 characters without a space.
sheet::Sheet Labelled(sheet::Paper paper)
{
    sheet::Sheet input = SheetOf(Sample(), paper);
    input.title = QStringLiteral("Studio theatre, spring repertory rig");
    for (int entry = 0; entry < 12; ++entry)
        input.labels[size_t(entry)] = QStringLiteral("Front wash %1").arg(entry + 1);
    input.labels[5] = QStringLiteral("Spare: stage left dip");
    input.labels[6] = QStringLiteral("Spare: stage right dip");
    for (int entry = 12; entry < 20; ++entry)
        input.labels[size_t(entry)] = QStringLiteral("Back light %1").arg(entry - 11);
    input.labels[20] = QStringLiteral("Cyclorama, all eight cells on one dimmer (upstage batten)");
    input.labels[21] = QStringLiteral("Salle, éclairage de service");
    input.labels[23] = QStringLiteral("\u03A9-Übergang_ohne_Leerzeichen_bis_zum_Ende_der_Zeile_und_darüber_h");
    return input;
}

// Every channel on an output, each output driven by eight channels and labelled with 64
// characters, a file name and a title too long for the page: a reverse patch of two pages.
sheet::Sheet Busy(sheet::Paper paper)
{
    MapTable map;
    for (int c = 0; c < kChannels; ++c)
        map[c] = int16_t(c * 7 % kOutputs);
    map[kDevAddEntry] = 0;
    map[kDevRangeEntry] = 15;
    sheet::Sheet input = SheetOf(map, paper);
    input.fileName = QStringLiteral("Touring_rig_").repeated(12) + QStringLiteral("final.CVX");
    input.title = QStringLiteral("A title longer than a map file keeps, ").repeated(5);
    for (int entry = 0; entry < modCVDMXMap::kOutputs; ++entry)
        input.labels[size_t(entry)]
            = QString::asprintf("Output %02d: a label of sixty-four characters, wrapped in the list", entry);
    return input;
}

// At device address 0F: two channels share an output, one is patched past device 16, and
// one hundred hold entries that are neither an output nor none.
sheet::Sheet Marked(sheet::Paper paper)
{
    MapTable map;
    map.fill(kNoOutput);
    map[kDevAddEntry] = 14;
    map[kDevRangeEntry] = 3;
    map[0] = 0;
    map[1] = 0;
    map[2] = 9;
    map[3] = 300;
    map[4] = -1;
    map[40] = 3;
    for (int c = 100; c < 400; c += 3)
        map[c] = int16_t(64 + c);
    sheet::Sheet input = SheetOf(map, paper);
    input.labels[0] = QStringLiteral("Cyc");
    input.labels[3] = QStringLiteral("Follow spot");
    input.labels[9] = QStringLiteral("Never shown");
    return input;
}

// What a program prints, with the type's ligatures ("\uFB01" for "fi") read as their letters.
QString Run(const QString &program, const QStringList &args)
{
    QProcess proc;
    proc.start(program, args);
    if (!proc.waitForFinished(30000) || proc.exitStatus() != QProcess::NormalExit || proc.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(proc.readAllStandardError()));
    QString text = QString::fromUtf8(proc.readAllStandardOutput());
    for (char16_t ligature = 0xFB00; ligature <= 0xFB06; ++ligature)
        text.replace(QChar(ligature), QString(QChar(ligature)).normalized(QString::NormalizationForm_KC));
    return text;
}

QString Squashed(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

struct Word {
    QString text;
    QRectF box;
};

struct Page {
    QSizeF size;
    std::vector<Word> words;
    QString layout; // pdftotext -layout
    QString raw;    // pdftotext -raw: in the order drawn
};

// A rendered sheet as poppler's tools read it: each page's words with their boxes, its
// text laid out and in drawing order; the fonts pdffonts lists.
struct ReadBack {
    QString pdf;
    std::vector<Page> pages;
    QStringList fonts;
};

ReadBack Read(const QString &pdf)
{
    ReadBack back;
    back.pdf = pdf;
    const QString html = Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression size(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"));
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">(.*)</word>"));
    for (const QString &page : html.split(QStringLiteral("</page>"))) {
        const QRegularExpressionMatch m = size.match(page);
        if (!m.hasMatch())
            continue;
        Page read;
        read.size = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
        for (auto it = word.globalMatch(page); it.hasNext();) {
            const QRegularExpressionMatch w = it.next();
            QString text = w.captured(5);
            text.replace(QLatin1String("&lt;"), QLatin1String("<"))
                .replace(QLatin1String("&gt;"), QLatin1String(">"))
                .replace(QLatin1String("&quot;"), QLatin1String("\""))
                .replace(QLatin1String("&apos;"), QLatin1String("'"))
                .replace(QLatin1String("&amp;"), QLatin1String("&"));
            const QPointF topLeft(w.captured(1).toDouble(), w.captured(2).toDouble());
            const QPointF bottomRight(w.captured(3).toDouble(), w.captured(4).toDouble());
            read.words.push_back({text, QRectF(topLeft, bottomRight)});
        }
        back.pages.push_back(read);
    }
    // Pages end with a form feed.
    const QStringList layout = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                                   .split(QLatin1Char('\f'));
    const QStringList raw
        = Run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")}).split(QLatin1Char('\f'));
    for (size_t i = 0; i < back.pages.size(); ++i) {
        back.pages[i].layout = layout.value(int(i));
        back.pages[i].raw = raw.value(int(i));
    }
    back.fonts = Run(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    return back;
}

const Word *Find(const Page &page, const QString &text)
{
    for (const Word &word : page.words) {
        if (word.text == text)
            return &word;
    }
    return nullptr;
}

// The grid's cells of page 1 as read: "D:07.1 ◆ Cyclorama, all …" by channel 1..512.
QMap<int, QString> GridCells(const Page &page)
{
    const Word *header = Find(page, QStringLiteral("Checksum:"));
    const Word *heading = Find(page, QStringLiteral("Outputs"));
    QMap<qreal, std::vector<const Word *>> rows;
    for (const Word &word : page.words) {
        if (header && heading && word.box.top() > header->box.bottom() && word.box.top() < heading->box.top())
            rows[std::round(word.box.top() * 10) / 10].push_back(&word);
    }
    QMap<int, QString> cells;
    for (std::vector<const Word *> &row : rows) {
        std::sort(row.begin(), row.end(), [](const Word *a, const Word *b) { return a->box.left() < b->box.left(); });
        int channel = 0;
        QStringList words;
        for (const Word *word : row) {
            static const QRegularExpression number(QStringLiteral("^\\d{3}$"));
            if (number.match(word->text).hasMatch() && (channel == 0 || word->text.toInt() == channel + 32)) {
                if (channel > 0)
                    cells.insert(channel, words.join(QLatin1Char(' ')));
                channel = word->text.toInt();
                words.clear();
            } else {
                words << word->text;
            }
        }
        if (channel > 0)
            cells.insert(channel, words.join(QLatin1Char(' ')));
    }
    return cells;
}

// How high pdftotext reads a word set at this size, in each face the sheet uses.
qreal WordHeight(const QString &dir, qreal points)
{
    const QString pdf = dir + QStringLiteral("/sizes.pdf");
    {
        QPdfWriter writer(pdf);
        writer.setResolution(72);
        QPainter painter(&writer);
        qreal y = 50;
        for (const QString &family : {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Sans Mono")}) {
            for (bool bold : {false, true}) {
                QFont font(family);
                font.setPointSizeF(points);
                font.setBold(bold);
                painter.setFont(font);
                painter.drawText(QPointF(50, y), QStringLiteral("Sized"));
                y += 40;
            }
        }
    }
    const ReadBack read = Read(pdf);
    qreal least = 1e9;
    for (const Word &word : read.pages.at(0).words)
        least = std::min(least, word.box.height());
    return least;
}

} // namespace

// The sheets the tests read, by name.
sheet::Sheet Case(const QString &name, sheet::Paper paper)
{
    if (name == QLatin1String("labelled"))
        return Labelled(paper);
    if (name == QLatin1String("busy"))
        return Busy(paper);
    if (name == QLatin1String("marked"))
        return Marked(paper);
    if (name == QLatin1String("alternate")) {
        // One output on every other channel: an entry taller than what the grid leaves.
        MapTable map;
        for (int c = 0; c < kChannels; ++c)
            map[c] = c % 2 ? kNoOutput : 5;
        map[kDevAddEntry] = 0;
        map[kDevRangeEntry] = 15;
        return SheetOf(map, paper);
    }
    sheet::Sheet input = SheetOf(Sample(), paper);
    if (name == QLatin1String("broken")) {
        input.fileName = QStringLiteral("Stage\nA.CVX");
        input.title = QStringLiteral("Line one\r\nand\ttwo");
        input.labels[0] = QStringLiteral("Front\nwash");
    }
    return input;
}

class TestPatchSheet : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sheetReadsBack_data();
    void sheetReadsBack();
    void gridLabels_data();
    void gridLabels();
    void marksAndLegend_data();
    void marksAndLegend();
    void columnRulesStandClear_data();
    void columnRulesStandClear();

private:
    // Each sheet is rendered and read back once.
    const ReadBack &Sheet(const QString &name, sheet::Paper paper);
    QTemporaryDir dir_;
    QMap<QString, ReadBack> read_;
    qreal smallestHeight_ = 0;
};

void TestPatchSheet::initTestCase()
{
    QVERIFY(dir_.isValid());
    smallestHeight_ = WordHeight(dir_.path(), kSmallestPt);
    // The measure tells 7 pt from 6 pt: Qt sets type at 72 units to the inch in whole points.
    QVERIFY2(WordHeight(dir_.path(), kSmallestPt - 1) < smallestHeight_ - 1,
             qPrintable(QString::number(smallestHeight_)));
}

const ReadBack &TestPatchSheet::Sheet(const QString &name, sheet::Paper paper)
{
    const QString key = name + (paper == sheet::Paper::A4 ? QStringLiteral("-a4") : QStringLiteral("-letter"));
    if (!read_.contains(key)) {
        const QString pdf = dir_.filePath(key + QStringLiteral(".pdf"));
        QFile file(pdf);
        if (file.open(QIODevice::WriteOnly))
            file.write(sheet::RenderPdf(Case(name, paper)));
        file.close();
        read_.insert(key, Read(pdf));
    }
    return read_[key];
}

// Each row: the sheet and its paper, the page size in points, the pages, and whether the
// file name and the title are cut short with an ellipsis.
void TestPatchSheet::sheetReadsBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("paper");
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<int>("pages");
    QTest::addColumn<bool>("cut");
    const int a4 = int(sheet::Paper::A4);
    const int letter = int(sheet::Paper::Letter);
    const QSizeF a4Size(842, 595);
    const QSizeF letterSize(792, 612);
    QTest::newRow("the sample on A4") << "sample" << a4 << a4Size << 1 << false;
    QTest::newRow("the sample on letter") << "sample" << letter << letterSize << 1 << false;
    QTest::newRow("labelled on A4") << "labelled" << a4 << a4Size << 1 << false;
    QTest::newRow("labelled on letter") << "labelled" << letter << letterSize << 1 << false;
    QTest::newRow("two pages of outputs on A4") << "busy" << a4 << a4Size << 2 << true;
    QTest::newRow("two pages of outputs on letter") << "busy" << letter << letterSize << 2 << true;
    QTest::newRow("marks on A4") << "marked" << a4 << a4Size << 2 << false;
    QTest::newRow("marks on letter") << "marked" << letter << letterSize << 2 << false;
    QTest::newRow("an output on 256 channels, on letter") << "alternate" << letter << letterSize << 2 << false;
    QTest::newRow("line breaks and tabs in the name, the title, a label") << "broken" << a4 << a4Size << 1 << false;
}

void TestPatchSheet::sheetReadsBack()
{
    QFETCH(QString, name);
    QFETCH(int, paper);
    QFETCH(QSizeF, size);
    QFETCH(int, pages);
    QFETCH(bool, cut);
    const sheet::Sheet input = Case(name, sheet::Paper(paper));
    const MapTable &map = input.map;
    const ReadBack &read = Sheet(name, sheet::Paper(paper));
    QCOMPARE(int(read.pages.size()), pages);

    // Every font embedded and one of the sheet's own: nothing was set in a stand-in.
    QVERIFY(!read.fonts.isEmpty());
    for (const QString &font : read.fonts) {
        static const QRegularExpression known(
            QStringLiteral("^DejaVuSans(-Bold|Mono)?\\s+CID TrueType\\s+Identity-H\\s+yes"));
        QVERIFY2(known.match(font).hasMatch(), qPrintable(font));
    }

    QString patch;
    for (int page = 1; page <= pages; ++page) {
        const Page &onPage = read.pages[size_t(page - 1)];
        QCOMPARE(onPage.size, size);

        // The head of every page.
        const QStringList lines = onPage.layout.split(QLatin1Char('\n'));
        QVERIFY(lines.size() > 3);
        const QString pageText = QStringLiteral("page %1 of %2").arg(page).arg(pages);
        if (!cut) {
            QCOMPARE(lines[0].simplified(), input.fileName.simplified() + QLatin1Char(' ') + kDateText);
            QCOMPARE(lines[1].simplified(), (input.title.simplified() + QLatin1Char(' ') + pageText).trimmed());
        } else {
            const QString fileName = lines[0].simplified();
            QVERIFY2(fileName.startsWith(input.fileName.left(40))
                         && fileName.endsWith(kEllipsis + QLatin1Char(' ') + kDateText),
                     qPrintable(fileName));
            const QString title = lines[1].simplified();
            QVERIFY2(title.startsWith(input.title.left(30)) && title.endsWith(kEllipsis + QLatin1Char(' ') + pageText),
                     qPrintable(title));
        }
        QCOMPARE(lines[2].simplified(),
                 (DeviceAddressText(map[kDevAddEntry]) + QLatin1Char(' ') + DeviceRangeText(map[kDevRangeEntry])
                  + QStringLiteral(" Checksum: ") + dmxlink::MapChecksumText(map))
                     .simplified());

        // Nothing set below 7 pt, nothing over anything else, nothing past the page's edge
        // (with 5 mm to spare, where printers stop).
        std::vector<Word> words = onPage.words;
        std::sort(words.begin(), words.end(), [](const Word &a, const Word &b) { return a.box.top() < b.box.top(); });
        const QRectF printable = QRectF(QPointF(0, 0), onPage.size).adjusted(14, 14, -14, -14);
        for (size_t i = 0; i < words.size(); ++i) {
            if (words[i].box.height() < smallestHeight_ - 0.01 || !printable.contains(words[i].box))
                QFAIL(qPrintable(QStringLiteral("too small or off the page: ") + words[i].text));
            for (size_t j = i + 1; j < words.size() && words[j].box.top() < words[i].box.bottom(); ++j) {
                const QRectF overlap = words[i].box.intersected(words[j].box);
                if (overlap.width() > 0.2 && overlap.height() > 0.2)
                    QFAIL(qPrintable(words[i].text + QStringLiteral(" over ") + words[j].text));
            }
        }

        // "[8 channels]" on one line, brackets and all.
        for (const QString &line : onPage.raw.split(QLatin1Char('\n')))
            QVERIFY2(line.count(QLatin1Char('[')) == line.count(QLatin1Char(']')), qPrintable(line));
        patch += onPage.raw.mid(onPage.raw.indexOf(QStringLiteral("Outputs at ")));
    }

    // The 512 channels, each with its output as the window shows it.
    static const QRegularExpression cell(QStringLiteral("\\b(\\d{3}) (D:[0-9A-F]{2}\\.[1-4]|- - -)"));
    QMap<int, QString> shown;
    for (auto it = cell.globalMatch(read.pages[0].layout); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        shown.insert(m.captured(1).toInt(), m.captured(2));
    }
    QCOMPARE(shown.size(), kChannels);
    for (int c = 0; c < kChannels; ++c)
        QCOMPARE(shown.value(c + 1), OutputLabel(map[c], map[kDevAddEntry]));

    // The reverse patch: every output once, its mark, its label in full, its channels.
    const QString flat = Squashed(patch);
    QVERIFY(flat.startsWith(Squashed(QStringLiteral("Outputs at ") + DeviceAddressText(map[kDevAddEntry])
                                     + QStringLiteral(" and the channels that drive them"))));
    int from = 0;
    for (const OutputDrive &output : ReversePatch(map)) {
        QString expected = output.label;
        if (output.channels.size() > 1)
            expected += kShared;
        expected += input.labels[size_t(output.entry)].simplified();
        if (output.channels.empty())
            expected += QStringLiteral("not driven");
        else
            expected += ChannelRuns(output.channels);
        if (output.channels.size() > 1)
            expected += QStringLiteral("[%1 channels]").arg(output.channels.size());
        const int at = flat.indexOf(Squashed(expected), from);
        QVERIFY2(at >= 0, qPrintable(expected));
        from = at;
    }
}

// Each row: the sheet and its paper, the channels whose label shows whole in the grid, and
// those cut short with an ellipsis; no other shows a label.
void TestPatchSheet::gridLabels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("paper");
    QTest::addColumn<QList<int>>("whole");
    QTest::addColumn<QList<int>>("cut");
    const QList<int> wash{1, 2, 3, 4, 5, 8, 9, 10, 11, 12};
    const QList<int> light{33, 34, 35, 36, 37, 38, 39, 40};
    const QList<int> cyclorama{65, 66, 67, 68, 69, 70, 71, 72};
    QTest::newRow("A4") << "labelled" << int(sheet::Paper::A4) << wash + light << cyclorama + QList<int>{101, 103};
    QTest::newRow("letter") << "labelled" << int(sheet::Paper::Letter) << wash + light
                            << cyclorama + QList<int>{101, 103};
    QTest::newRow("every output shared, no room") << "busy" << int(sheet::Paper::A4) << QList<int>{} << QList<int>{};
}

void TestPatchSheet::gridLabels()
{
    QFETCH(QString, name);
    QFETCH(int, paper);
    QFETCH(QList<int>, whole);
    QFETCH(QList<int>, cut);
    const sheet::Sheet input = Case(name, sheet::Paper(paper));
    const QMap<int, QString> cells = GridCells(Sheet(name, sheet::Paper(paper)).pages.at(0));
    QCOMPARE(cells.size(), kChannels);
    for (int channel = 1; channel <= kChannels; ++channel) {
        const int16_t entry = input.map[channel - 1];
        const QString output = OutputLabel(entry, input.map[kDevAddEntry]);
        QString text = cells.value(channel);
        QVERIFY2(text.startsWith(output), qPrintable(text));
        text = text.mid(output.size()).trimmed();
        if (text.startsWith(kShared))
            text = text.mid(1).trimmed();
        if (whole.contains(channel))
            QCOMPARE(text, input.labels[size_t(entry)]);
        else if (cut.contains(channel))
            QVERIFY2(text.size() > 3 && text.endsWith(kEllipsis)
                         && input.labels[size_t(entry)].startsWith(text.chopped(1).trimmed()),
                     qPrintable(text));
        else
            QVERIFY2(text.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(channel).arg(text)));
    }
}

// Each row: the paper. The marked map's sheet flags each mark in the grid, explains them
// at the foot of every page and lists the hidden patch and the odd entries under the
// reverse patch, as check words them.
void TestPatchSheet::marksAndLegend_data()
{
    QTest::addColumn<int>("paper");
    QTest::newRow("A4") << int(sheet::Paper::A4);
    QTest::newRow("letter") << int(sheet::Paper::Letter);
}

void TestPatchSheet::marksAndLegend()
{
    QFETCH(int, paper);
    const ReadBack &read = Sheet(QStringLiteral("marked"), sheet::Paper(paper));
    QCOMPARE(int(read.pages.size()), 2);

    const QMap<int, QString> cells = GridCells(read.pages[0]);
    QCOMPARE(Squashed(cells.value(1)), QStringLiteral("D:0F.1") + kShared + QStringLiteral("Cyc"));
    QCOMPARE(Squashed(cells.value(2)), QStringLiteral("D:0F.1") + kShared + QStringLiteral("Cyc"));
    QCOMPARE(Squashed(cells.value(3)), QStringLiteral("---") + kHidden);
    QCOMPARE(Squashed(cells.value(4)), QStringLiteral("---") + kOdd);
    QCOMPARE(Squashed(cells.value(5)), QStringLiteral("---") + kOdd);
    QCOMPARE(Squashed(cells.value(6)), QStringLiteral("---"));
    QCOMPARE(Squashed(cells.value(41)), QStringLiteral("D:0F.4Followspot"));
    int marked = 0;
    for (const QString &text : cells)
        marked += text.contains(kOdd) || text.contains(kHidden) || text.contains(kShared);
    QCOMPARE(marked, 2 + 1 + 2 + 100);

    QString listed;
    for (const Page &page : read.pages) {
        QVERIFY2(page.raw.simplified().contains(
                     QStringLiteral("Marks: ") + kShared + QStringLiteral(" output driven by several channels ")
                     + kHidden + QStringLiteral(" patched to an output past device 16: shows as - - - ") + kOdd
                     + QStringLiteral(" entry neither an output nor none: shown as - - -")),
                 qPrintable(page.raw.simplified()));
        listed += page.raw;
    }
    const QString flat = Squashed(listed);
    QVERIFY(flat.contains(Squashed(QStringLiteral("D:0F.1") + kShared + QStringLiteral("Cyc 1-2 [2 channels]"))));
    QVERIFY(flat.contains(Squashed(QStringLiteral("D:0F.4 Follow spot 41"))));
    QVERIFY(!flat.contains(QStringLiteral("Nevershown")));
    const int heading
        = flat.indexOf(Squashed(QStringLiteral("Hidden patches and odd entries: the grid shows them as - - -")));
    QVERIFY(heading > 0);
    QVERIFY(flat.contains(
        Squashed(QStringLiteral("Hidden patches and odd entries: the grid shows them as - - - (continued)"))));
    QStringList expected{kHidden
                             + QStringLiteral("channel 003 holds entry 9, an output past device 16 at Device "
                                              "Address: 0F: it shows as - - -"),
                         kOdd
                             + QStringLiteral("channel 004 holds 300, neither an output (0..63) nor none (255): "
                                              "kept in the file, shown as - - -"),
                         kOdd
                             + QStringLiteral("channel 005 holds -1, neither an output (0..63) nor none (255): kept "
                                              "in the file, shown as - - -")};
    for (int c = 100; c < 400; c += 3)
        expected << kOdd
                + QStringLiteral(
                      "channel %1 holds %2, neither an output (0..63) nor none (255): kept in the file, "
                      "shown as - - -")
                      .arg(c + 1, 3, 10, QLatin1Char('0'))
                      .arg(64 + c);
    int from = heading;
    for (const QString &line : expected) {
        const int at = flat.indexOf(Squashed(line), from);
        QVERIFY2(at > from, qPrintable(line));
        from = at;
    }
}

// Each row: the sheet and its paper. Pictured at 288 dpi, the grid's 15 column rules run
// its whole height with at least 1.5 pt of white paper on either side: no text touches
// them, even where every column is as full as a column gets.
void TestPatchSheet::columnRulesStandClear_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("paper");
    QTest::newRow("every output shared, on letter") << "busy" << int(sheet::Paper::Letter);
    QTest::newRow("every output shared, on A4") << "busy" << int(sheet::Paper::A4);
    QTest::newRow("the sample, on letter") << "sample" << int(sheet::Paper::Letter);
    QTest::newRow("labelled, on letter") << "labelled" << int(sheet::Paper::Letter);
    QTest::newRow("marks, on letter") << "marked" << int(sheet::Paper::Letter);
}

void TestPatchSheet::columnRulesStandClear()
{
    QFETCH(QString, name);
    QFETCH(int, paper);
    const ReadBack &read = Sheet(name, sheet::Paper(paper));
    const Word *first = Find(read.pages.at(0), QStringLiteral("001"));
    const Word *last = Find(read.pages.at(0), QStringLiteral("032"));
    QVERIFY(first && last);
    // The band of the grid's rows, whole pixels inside it.
    const int top = int(std::ceil(first->box.top() * kPixelsPerPoint));
    const int height = int(last->box.bottom() * kPixelsPerPoint) - top;
    const QString picture = dir_.filePath(QStringLiteral("grid"));
    Run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(72 * kPixelsPerPoint), QStringLiteral("-f"),
         QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-y"), QString::number(top),
         QStringLiteral("-H"), QString::number(height), QStringLiteral("-singlefile"), read.pdf, picture});
    const QImage image = QImage(picture + QStringLiteral(".pgm")).convertToFormat(QImage::Format_Grayscale8);
    QCOMPARE(image.height(), height);
    constexpr int kWhite = 250;
    const auto inked = [&](int x) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            count += image.constScanLine(y)[x] < kWhite;
        return count;
    };
    // A rule is a run of columns inked all the way down; text never is.
    QList<QPair<int, int>> rules;
    for (int x = 0; x < image.width(); ++x) {
        if (inked(x) < image.height())
            continue;
        if (!rules.isEmpty() && rules.back().second == x - 1)
            rules.back().second = x;
        else
            rules.append({x, x});
    }
    QCOMPARE(rules.size(), 15);
    for (const auto &rule : rules) {
        for (int gap = 1; gap <= kClearPixels; ++gap) {
            QVERIFY2(inked(rule.first - gap) == 0,
                     qPrintable(QStringLiteral("left of the rule at %1").arg(rule.first)));
            QVERIFY2(inked(rule.second + gap) == 0,
                     qPrintable(QStringLiteral("right of the rule at %1").arg(rule.second)));
        }
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
