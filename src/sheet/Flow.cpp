#include "sheet/Flow.h"

#include "sheet/Style.h"

#include <algorithm>

namespace sheet {

namespace {
constexpr qreal kBalanceStep = 0.5; // how closely the last page's columns are evened out
} // namespace

Flow::Flow(const QRectF &area, qreal firstTop) : area_(area), lowest_(firstTop) {}

void Flow::Section(const Block &heading, const Draw &continued, const std::vector<Block> &blocks, int columns,
                   qreal gap)
{
    columns = std::max(columns, 1);
    gap_ = gap;
    columnWidth_ = (area_.width() - (columns - 1) * gap) / columns;
    qreal y = items_.empty() ? lowest_ : lowest_ + kSectionSpace;
    const qreal first = blocks.empty() ? 0 : blocks.front().height;
    if (y + heading.height + first > area_.bottom() && y > area_.top()) {
        ++page_;
        y = area_.top();
    }
    items_.push_back({page_, QPointF(area_.left(), y), heading.draw});
    top_ = lowest_ = y + heading.height;

    // Whole pages first: each column filled to the bottom. A block too tall for what is
    // left of a column goes on to the next one, or to a new page where a column is taller.
    const qreal freshTop = area_.top() + heading.height;
    const qreal bottom = area_.bottom() + kEntrySpace; // the last entry's space may stand past it
    size_t start = 0;
    while (start < blocks.size()) {
        size_t end = start;
        int column = 0;
        qreal filled = 0;
        while (end < blocks.size()) {
            const qreal step = blocks[end].height + kEntrySpace;
            if (top_ + filled + step <= bottom || (filled == 0 && top_ <= freshTop)) {
                overflows_ = overflows_ || top_ + filled + step > bottom;
                filled += step;
                ++end;
            } else if (filled == 0 || ++column == columns) {
                break;
            } else {
                filled = 0;
            }
        }
        if (end == blocks.size())
            break;
        Columns(blocks, start, end, bottom - top_, true);
        start = end;
        ++page_;
        items_.push_back({page_, area_.topLeft(), continued});
        top_ = lowest_ = freshTop;
    }

    // The rest on this page, in columns as even as they go.
    qreal low = 0;
    qreal high = bottom - top_;
    for (size_t i = start; i < blocks.size(); ++i)
        low = std::max(low, blocks[i].height + kEntrySpace);
    high = std::max(high, low);
    while (high - low > kBalanceStep) {
        const qreal middle = (low + high) / 2;
        (Columns(blocks, start, blocks.size(), middle, false) <= columns ? high : low) = middle;
    }
    Columns(blocks, start, blocks.size(), high, true);
}

int Flow::Columns(const std::vector<Block> &blocks, size_t first, size_t last, qreal height, bool place)
{
    int column = 0;
    qreal filled = 0;
    for (size_t i = first; i < last; ++i) {
        const qreal step = blocks[i].height + kEntrySpace;
        if (filled > 0 && filled + step > height) {
            ++column;
            filled = 0;
        }
        if (place) {
            items_.push_back(
                {page_, QPointF(area_.left() + column * (columnWidth_ + gap_), top_ + filled), blocks[i].draw});
            lowest_ = std::max(lowest_, top_ + filled + step);
        }
        filled += step;
    }
    return first < last ? column + 1 : 0;
}

void Flow::DrawPage(QPainter &painter, int page) const
{
    for (const Item &item : items_) {
        if (item.page == page && item.draw)
            item.draw(painter, item.topLeft);
    }
}

} // namespace sheet
