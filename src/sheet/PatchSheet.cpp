#include "sheet/PatchSheet.h"

#include "document/DeviceLists.h"
#include "document/OutputLabel.h"
#include "document/ReversePatch.h"
#include "link/Protocol.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

namespace sheet {

namespace {

using namespace modCVDMXMap;

// Page units are points (1/72 inch).
constexpr int kResolution = 72;
constexpr qreal kMargin = 28;
constexpr qreal kCellPt = 7;   // grid and reverse patch
constexpr qreal kHeaderPt = 9; // header and titles
constexpr qreal kTitlePt = 13;
constexpr int kRows = 32;
constexpr int kColumns = 16;
constexpr int kPatchColumns = 4;

const QColor kInk(0x00, 0x00, 0x00);
const QColor kQuiet(0xA0, 0xA0, 0xA0); // unassigned cells, outputs nobody drives
const QColor kRule(0xC8, 0xC8, 0xC8);
const QColor kFlag(0xB0, 0x00, 0x00); // outputs driven by several channels

QFont Font(qreal points, bool bold = false, const QString &family = QStringLiteral("DejaVu Sans Mono"))
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Draws the pages in order: Next() starts a new one.
class Pages {
public:
    Pages(QPdfWriter &writer, QPainter &painter) : writer_(writer), painter_(painter) {}

    QRectF Area() const
    {
        const QSizeF page = writer_.pageLayout().paintRect(QPageLayout::Point).size();
        return QRectF(kMargin, kMargin, page.width() - 2 * kMargin, page.height() - 2 * kMargin);
    }
    void Next()
    {
        writer_.newPage();
        ++count_;
    }
    int Count() const { return count_; }
    QPainter &Painter() { return painter_; }

private:
    QPdfWriter &writer_;
    QPainter &painter_;
    int count_ = 1;
};

// Returns the y below the header.
qreal DrawHeader(QPainter &p, const QRectF &area, const Sheet &sheet)
{
    const MapTable &map = sheet.map;
    p.setPen(kInk);
    p.setFont(Font(kTitlePt, true, QStringLiteral("DejaVu Sans")));
    const qreal titleHeight = QFontMetricsF(p.font()).height();
    QRectF line(area.left(), area.top(), area.width(), titleHeight);
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, sheet.fileName);
    p.setFont(Font(kHeaderPt, false, QStringLiteral("DejaVu Sans")));
    p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, sheet.date.toString(Qt::ISODate));
    const qreal textHeight = QFontMetricsF(p.font()).height();
    line = QRectF(area.left(), line.bottom() + 2, area.width(), textHeight);
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
               DeviceAddressText(map[kDevAddEntry]) + QStringLiteral("      ") + DeviceRangeText(map[kDevRangeEntry])
                   + QStringLiteral("      Checksum: ") + dmxlink::MapChecksumText(map));
    p.setPen(QPen(kRule, 0.5));
    p.drawLine(QPointF(area.left(), line.bottom() + 3), QPointF(area.right(), line.bottom() + 3));
    return line.bottom() + 8;
}

// The channels as the window shows them: 16 columns of 32, number and output. Returns the
// y below the grid.
qreal DrawGrid(QPainter &p, const QRectF &area, qreal top, const MapTable &map)
{
    p.setFont(Font(kCellPt));
    const QFontMetricsF metrics(p.font());
    const qreal rowHeight = metrics.height() + 0.6;
    const qreal columnWidth = area.width() / kColumns;
    const qreal numberWidth = metrics.horizontalAdvance(QStringLiteral("000 "));
    const int address = map[kDevAddEntry];
    for (int i = 0; i < kChannels; ++i) {
        const qreal x = area.left() + (i / kRows) * columnWidth;
        const qreal y = top + (i % kRows) * rowHeight;
        const QString output = OutputLabel(map[i], address);
        p.setPen(kQuiet);
        p.drawText(QRectF(x, y, numberWidth, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0')));
        p.setPen(output == QLatin1String("- - -") ? kQuiet : kInk);
        p.drawText(QRectF(x + numberWidth, y, columnWidth - numberWidth, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   output);
    }
    p.setPen(QPen(kRule, 0.5));
    for (int c = 1; c < kColumns; ++c) {
        const qreal x = area.left() + c * columnWidth - 3;
        p.drawLine(QPointF(x, top), QPointF(x, top + kRows * rowHeight));
    }
    return top + kRows * rowHeight + 10;
}

// What the reverse patch says of one output, and in which colour.
struct PatchLine {
    QString text;
    QColor colour;
};

PatchLine Line(const OutputDrive &output)
{
    if (output.channels.empty())
        return {QStringLiteral("not driven"), kQuiet};
    const QString runs = ChannelRuns(output.channels);
    if (output.channels.size() == 1)
        return {runs, kInk};
    return {runs + QStringLiteral("  [%1 channels]").arg(output.channels.size()), kFlag};
}

// The reverse patch in columns, continued on a second page when it runs long.
void DrawReversePatch(Pages &pages, qreal top, const MapTable &map)
{
    QPainter &p = pages.Painter();
    QRectF area = pages.Area();
    p.setPen(kInk);
    p.setFont(Font(kHeaderPt, true, QStringLiteral("DejaVu Sans")));
    const qreal titleHeight = QFontMetricsF(p.font()).height();
    p.drawText(QRectF(area.left(), top, area.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Outputs at ") + DeviceAddressText(map[kDevAddEntry])
                   + QStringLiteral(" and the channels that drive them"));
    top += titleHeight + 4;

    const std::vector<OutputDrive> outputs = ReversePatch(map);
    p.setFont(Font(kCellPt));
    const qreal columnWidth = area.width() / kPatchColumns;
    const size_t perColumn = (outputs.size() + kPatchColumns - 1) / kPatchColumns;
    int column = 0;
    size_t inColumn = 0;
    qreal y = top;
    const auto nextColumn = [&] {
        inColumn = 0;
        y = top;
        if (++column < kPatchColumns)
            return;
        pages.Next();
        area = pages.Area();
        y = top = area.top();
        column = 0;
    };
    // The label, then the channels, wrapped beside it.
    const qreal labelWidth = QFontMetricsF(p.font()).horizontalAdvance(QStringLiteral("D:00.0  "));
    constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    for (const OutputDrive &output : outputs) {
        const PatchLine line = Line(output);
        const auto box = [&] {
            return QRectF(area.left() + column * columnWidth + labelWidth, y, columnWidth - 6 - labelWidth,
                          area.bottom() - y);
        };
        if (inColumn == perColumn || p.boundingRect(box(), kFlags, line.text).bottom() > area.bottom())
            nextColumn();
        p.setPen(line.colour);
        p.drawText(QRectF(area.left() + column * columnWidth, y, labelWidth, area.bottom() - y),
                   Qt::AlignLeft | Qt::AlignTop, output.label);
        QRectF drawn;
        p.drawText(box(), kFlags, line.text, &drawn);
        y = drawn.bottom() + 1;
        ++inColumn;
    }
}

} // namespace

QByteArray RenderPdf(const Sheet &sheet)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kResolution);
    writer.setTitle(QStringLiteral("Patch sheet: ") + sheet.fileName);
    writer.setCreator(QStringLiteral("cvdmxmap-cli sheet"));
    writer.setPageLayout(QPageLayout(QPageSize(sheet.paper == Paper::Letter ? QPageSize::Letter : QPageSize::A4),
                                     QPageLayout::Landscape, QMarginsF()));
    QPainter painter(&writer);
    Pages pages(writer, painter);
    const QRectF area = pages.Area();
    qreal y = DrawHeader(painter, area, sheet);
    y = DrawGrid(painter, area, y, sheet.map);
    DrawReversePatch(pages, y, sheet.map);
    painter.end();
    return pdf;
}

} // namespace sheet
