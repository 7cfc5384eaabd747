#include "sheet/Legend.h"

#include "sheet/Style.h"

#include <QFontMetricsF>
#include <QPainter>

namespace sheet {

namespace {
constexpr int kItemSpaces = 3; // between two items, in spaces
} // namespace

Legend::Legend(const Content &content, qreal width, QPaintDevice *device)
    : font_(SheetFont(Face::Text, kLegendPt)),
      symbolFont_(SheetFont(Face::Digits, kLegendPt))
{
    if (content.marks.empty())
        return;
    const QFontMetricsF text(font_, device);
    const QFontMetricsF digits(symbolFont_, device);
    const qreal space = text.horizontalAdvance(QLatin1Char(' '));
    const QString heading = QStringLiteral("Marks:");
    pieces_.push_back({heading, false, QPointF(0, 0)});
    QPointF at(text.horizontalAdvance(heading), 0);
    for (Mark mark : content.marks) {
        const qreal symbolWidth = digits.horizontalAdvance(Symbol(mark)) + space;
        const qreal itemWidth = symbolWidth + text.horizontalAdvance(Meaning(mark));
        at.rx() += kItemSpaces * space;
        if (at.x() + itemWidth > width)
            at = QPointF(0, at.y() + text.height());
        pieces_.push_back({Symbol(mark), true, at});
        pieces_.push_back({Meaning(mark), false, at + QPointF(symbolWidth, 0)});
        at.rx() += itemWidth;
    }
    height_ = at.y() + text.height();
}

void Legend::Draw(QPainter &p, const QPointF &topLeft) const
{
    const qreal ascent = QFontMetricsF(font_, p.device()).ascent();
    for (const Piece &piece : pieces_) {
        p.setFont(piece.symbol ? symbolFont_ : font_);
        p.setPen(piece.symbol ? kFlag : kInk);
        p.drawText(topLeft + piece.at + QPointF(0, ascent), piece.text);
    }
}

} // namespace sheet
