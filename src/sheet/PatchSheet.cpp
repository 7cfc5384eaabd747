#include "sheet/PatchSheet.h"

#include "sheet/Content.h"
#include "sheet/Flow.h"
#include "sheet/Grid.h"
#include "sheet/Header.h"
#include "sheet/Legend.h"
#include "sheet/Lists.h"
#include "sheet/Style.h"
#include "sheet/Text.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

namespace sheet {

namespace {

constexpr int kResolution = 72; // page units are points
constexpr int kPatchColumns = 4;
constexpr int kListedColumns = 2;

// The pages' free area between the header and the legend.
struct Frame {
    QRectF page;    // inside the margins
    QRectF content; // under the header, over the legend
};

// Where everything goes, for a grid and lists at the sizes given.
struct Layout {
    GridLayout grid;
    Flow flow;
};

Layout LayOut(const Content &content, const Frame &frame, qreal gridPoints, qreal listPoints, QPaintDevice *device)
{
    const GridLayout grid = LayOutGrid(content, frame.content.width(), gridPoints, device);
    Layout layout{grid, Flow(frame.content, frame.content.top() + grid.height + kSectionSpace)};
    Flow &flow = layout.flow;

    const auto section = [&](const QString &heading, int count, int columns, auto blockOf) {
        const Flow::Block continued
            = HeadingBlock(heading + QStringLiteral(" (continued)"), frame.content.width(), listPoints, device);
        Flow::Block head = HeadingBlock(heading, frame.content.width(), listPoints, device);
        head.height = std::max(head.height, continued.height);
        const qreal columnWidth = (frame.content.width() - (columns - 1) * kListGap) / columns;
        std::vector<Flow::Block> blocks;
        for (int i = 0; i < count; ++i)
            blocks.push_back(blockOf(size_t(i), columnWidth));
        flow.Section(head, continued.draw, blocks, columns, kListGap);
    };
    section(content.patchHeading, int(content.outputs.size()), kPatchColumns,
            [&](size_t i, qreal width) { return PatchBlock(content.outputs[i], width, listPoints, device); });
    if (!content.listed.empty())
        section(QStringLiteral("Hidden patches and odd entries: the grid shows them as - - -"),
                int(content.listed.size()), kListedColumns,
                [&](size_t i, qreal width) { return ListedBlock(content.listed[i], width, listPoints, device); });
    return layout;
}

// The largest sizes that need no more pages than the smallest and fit every block in a
// column: first the grid's, as long as every label still fits it whole, then the lists'.
Layout Fit(const Content &content, const Frame &frame, QPaintDevice *device)
{
    const int pages = LayOut(content, frame, kSmallestPt, kSmallestPt, device).flow.Pages();
    const auto fits = [&](const Layout &layout) { return layout.flow.Pages() == pages && !layout.flow.Overflows(); };
    qreal gridPoints = kSmallestPt;
    for (qreal points = kLargestBodyPt; points > kSmallestPt; points -= kBodyStepPt) {
        const GridLayout grid = LayOutGrid(content, frame.content.width(), points, device);
        if (grid.labelsWhole && fits(LayOut(content, frame, points, kSmallestPt, device))) {
            gridPoints = points;
            break;
        }
    }
    for (qreal points = kLargestBodyPt; points > kSmallestPt; points -= kBodyStepPt) {
        Layout layout = LayOut(content, frame, gridPoints, points, device);
        if (fits(layout))
            return layout;
    }
    return LayOut(content, frame, gridPoints, kSmallestPt, device);
}

} // namespace

QByteArray RenderPdf(const Sheet &sheet)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kResolution);
    writer.setTitle(QStringLiteral("Patch sheet: ") + OneLine(sheet.fileName));
    writer.setCreator(QStringLiteral("cvdmxmap-cli sheet"));
    writer.setPageLayout(QPageLayout(QPageSize(sheet.paper == Paper::Letter ? QPageSize::Letter : QPageSize::A4),
                                     QPageLayout::Landscape, QMarginsF()));
    const Content content = ContentOf(sheet);
    const QSizeF paper = writer.pageLayout().paintRect(QPageLayout::Point).size();
    Frame frame;
    frame.page = QRectF(kMargin, kMargin, paper.width() - 2 * kMargin, paper.height() - 2 * kMargin);
    const Header header(content, &writer);
    const Legend legend(content, frame.page.width(), &writer);
    frame.content
        = frame.page.adjusted(0, header.Height(), 0, legend.Height() > 0 ? -(legend.Height() + kSectionSpace) : 0);
    const Layout layout = Fit(content, frame, &writer);

    QPainter painter(&writer);
    const int pages = layout.flow.Pages();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        header.Draw(painter, frame.page, page, pages);
        if (legend.Height() > 0)
            legend.Draw(painter, QPointF(frame.page.left(), frame.page.bottom() - legend.Height()));
        if (page == 0)
            DrawGrid(painter, frame.content.topLeft(), layout.grid, content);
        layout.flow.DrawPage(painter, page);
    }
    painter.end();
    return pdf;
}

} // namespace sheet
