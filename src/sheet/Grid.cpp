#include "sheet/Grid.h"

#include "sheet/Text.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <numeric>

namespace sheet {

namespace {

using modCVDMXMap::kChannels;

// Spacing as fractions of the type size.
constexpr qreal kNumberGap = 0.2; // between the channel number and the output
constexpr qreal kMarkGap = 0.08;  // between the output and its mark, which has room of its own
// Between two columns, the rule in the middle: what the cells leave, up to a comfortable
// gap, and never less than the least. Labels get room only beyond comfortable gaps.
constexpr qreal kGridGap = 1.0;
constexpr qreal kLeastGridGap = 0.45;
constexpr qreal kRowSpacing = 1.08;
// An elided label shows at least this many characters, or is left to the reverse patch.
constexpr int kShortestLabelPart = 3;
// Room worth keeping for a column's labels, as a multiple of the type size: a few letters.
constexpr qreal kUsefulLabelRoom = 4;

const QString kNoOutputText = QStringLiteral("- - -");

const GridCell &Cell(const Content &content, int column, int row)
{
    return content.cells[size_t(column * kGridRows + row)];
}

// Shares room among wants, the smallest first, so that as many as can be get all they
// want; when one cannot while leaving each after it a useful share, those left share the
// rest evenly.
std::array<qreal, kGridColumns> ShareOut(const std::array<qreal, kGridColumns> &wants, qreal room, qreal useful)
{
    std::array<size_t, kGridColumns> order;
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return wants[a] < wants[b]; });
    std::array<qreal, kGridColumns> given{};
    size_t i = 0;
    for (; i < order.size(); ++i) {
        const qreal want = wants[order[i]];
        const size_t after
            = size_t(std::count_if(order.begin() + i + 1, order.end(), [&](size_t c) { return wants[c] > 0; }));
        if (want > room - after * useful)
            break;
        given[order[i]] = want;
        room -= want;
    }
    const size_t left = order.size() - i;
    for (; i < order.size(); ++i)
        given[order[i]] = std::min(wants[order[i]], room / left);
    return given;
}

} // namespace

GridLayout LayOutGrid(const Content &content, qreal width, qreal points, QPaintDevice *device)
{
    GridLayout layout;
    layout.points = points;
    const QFontMetricsF digits(SheetFont(Face::Digits, points), device);
    const QFontMetricsF text(SheetFont(Face::Text, points), device);
    layout.rowHeight = text.height() * kRowSpacing;
    layout.height = kGridRows * layout.rowHeight;
    const qreal numberWidth = digits.horizontalAdvance(QStringLiteral("000"));
    const qreal markWidth = digits.horizontalAdvance(Symbol(Mark::Shared));
    const qreal labelGap = text.horizontalAdvance(QLatin1Char(' '));

    std::array<qreal, kGridColumns> outputWidths{};
    std::array<qreal, kGridColumns> bases{};
    std::array<qreal, kGridColumns> wants{};
    for (int c = 0; c < kGridColumns; ++c) {
        bool marked = false;
        for (int r = 0; r < kGridRows; ++r) {
            const GridCell &cell = Cell(content, c, r);
            outputWidths[c] = std::max(outputWidths[c], text.horizontalAdvance(cell.output));
            marked = marked || cell.mark != Mark::None;
            if (!cell.label.isEmpty())
                wants[c] = std::max(wants[c], labelGap + text.horizontalAdvance(cell.label));
        }
        bases[c] = numberWidth + kNumberGap * points + outputWidths[c] + (marked ? kMarkGap * points + markWidth : 0);
    }
    const qreal cells = std::accumulate(bases.begin(), bases.end(), 0.0);
    layout.gap = std::clamp((width - cells) / (kGridColumns - 1), kLeastGridGap * points, kGridGap * points);
    const qreal room = width - cells - (kGridColumns - 1) * layout.gap;
    layout.fits = room >= 0;
    const qreal wanted = std::accumulate(wants.begin(), wants.end(), 0.0);
    layout.labelsWhole = layout.fits && wanted <= room;
    const std::array<qreal, kGridColumns> given = ShareOut(wants, std::max(room, 0.0), kUsefulLabelRoom * points);
    const qreal spare = layout.labelsWhole ? (room - wanted) / kGridColumns : 0;

    qreal x = 0;
    for (int c = 0; c < kGridColumns; ++c) {
        GridColumn &column = layout.columns[c];
        column.left = x;
        column.outputLeft = x + numberWidth + kNumberGap * points;
        column.markLeft = column.outputLeft + outputWidths[c] + kMarkGap * points;
        column.labelLeft = x + bases[c] + labelGap;
        column.labelRoom = std::max(given[c] - labelGap, 0.0);
        column.right = x + bases[c] + given[c] + spare;
        x = column.right + layout.gap;
    }
    return layout;
}

void DrawGrid(QPainter &painter, const QPointF &topLeft, const GridLayout &layout, const Content &content)
{
    const QFont digits = SheetFont(Face::Digits, layout.points);
    const QFont text = SheetFont(Face::Text, layout.points);
    constexpr int kFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    for (int c = 0; c < kGridColumns; ++c) {
        const GridColumn &column = layout.columns[c];
        const qreal right = topLeft.x() + column.right;
        for (int r = 0; r < kGridRows; ++r) {
            const GridCell &cell = Cell(content, c, r);
            const qreal y = topLeft.y() + r * layout.rowHeight;
            const auto box = [&](qreal left) {
                return QRectF(topLeft.x() + left, y, right - topLeft.x() - left, layout.rowHeight);
            };
            painter.setFont(digits);
            painter.setPen(kChannelInk);
            painter.drawText(box(column.left), kFlags,
                             QStringLiteral("%1").arg(c * kGridRows + r + 1, 3, 10, QLatin1Char('0')));
            painter.setFont(text);
            painter.setPen(cell.mark != Mark::None ? kFlag : cell.output == kNoOutputText ? kQuiet : kInk);
            painter.drawText(box(column.outputLeft), kFlags, cell.output);
            if (cell.mark != Mark::None) {
                painter.setFont(digits);
                painter.drawText(box(column.markLeft), kFlags, Symbol(cell.mark));
            }
            if (cell.label.isEmpty() || column.labelRoom <= 0)
                continue;
            const QString label = Elided(cell.label, text, column.labelRoom, painter.device());
            if (label != cell.label && label.size() - 1 < kShortestLabelPart)
                continue;
            painter.setFont(text);
            painter.setPen(kInk);
            painter.drawText(box(column.labelLeft), kFlags, label);
        }
    }
    painter.setPen(QPen(kRule, kRuleWidth));
    for (int c = 0; c + 1 < kGridColumns; ++c) {
        const qreal x = topLeft.x() + layout.columns[c].right + layout.gap / 2;
        painter.drawLine(QPointF(x, topLeft.y()), QPointF(x, topLeft.y() + layout.height));
    }
}

} // namespace sheet
