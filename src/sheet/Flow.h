#pragma once
#include <QPointF>
#include <QRectF>
#include <functional>
#include <vector>

class QPainter;

namespace sheet {

// Lays sections of blocks out in columns down the page and on over as many pages as they
// need, and draws them page by page afterwards, once the number of pages is known.
class Flow {
public:
    using Draw = std::function<void(QPainter &, const QPointF &topLeft)>;
    struct Block {
        qreal height = 0;
        Draw draw;
    };

    // Blocks go into area on every page, from firstTop on the first.
    Flow(const QRectF &area, qreal firstTop);

    // A section below everything so far: its heading across the width, kept on one page
    // with the first block, then the blocks in `columns` columns, each filled to the
    // bottom before the next; the columns of the section's last page are balanced. A page
    // that continues the section starts with `continued`, as high as the heading.
    void Section(const Block &heading, const Draw &continued, const std::vector<Block> &blocks, int columns, qreal gap);

    int Pages() const { return page_ + 1; }
    // Whether a block was taller than a whole column and runs past the bottom.
    bool Overflows() const { return overflows_; }
    void DrawPage(QPainter &painter, int page) const;

private:
    struct Item {
        int page;
        QPointF topLeft;
        Draw draw;
    };
    // Places blocks [first, last) from top down columns no taller than height; returns
    // how many columns they take.
    int Columns(const std::vector<Block> &blocks, size_t first, size_t last, qreal height, bool place);

    QRectF area_;
    int page_ = 0;
    qreal lowest_; // below everything placed on this page
    qreal top_ = 0;
    qreal columnWidth_ = 0;
    qreal gap_ = 0;
    bool overflows_ = false;
    std::vector<Item> items_;
};

} // namespace sheet
