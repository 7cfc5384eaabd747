#include "sheet/Header.h"

#include "sheet/Style.h"
#include "sheet/Text.h"

#include <QFontMetricsF>
#include <QPainter>

namespace sheet {

namespace {

constexpr qreal kHeaderGap = 12; // between the two texts of one line

qreal LineHeight(const QFont &font, QPaintDevice *device)
{
    return QFontMetricsF(font, device).height();
}

} // namespace

Header::Header(const Content &content, QPaintDevice *device)
    : content_(content),
      device_(device),
      fileFont_(SheetFont(Face::Bold, kFileNamePt)),
      titleFont_(SheetFont(Face::Text, kTitlePt)),
      font_(SheetFont(Face::Text, kHeaderPt))
{
}

qreal Header::Height() const
{
    return LineHeight(fileFont_, device_) + kLineSpace
        + std::max(LineHeight(titleFont_, device_), LineHeight(font_, device_)) + kLineSpace
        + LineHeight(font_, device_) + kSectionSpace;
}

void Header::Draw(QPainter &p, const QRectF &area, int page, int pages) const
{
    p.setPen(kInk);
    QRectF line(area.left(), area.top(), area.width(), LineHeight(fileFont_, device_));
    DrawPair(p, line, fileFont_, content_.fileName, content_.date);
    line = QRectF(area.left(), line.bottom() + kLineSpace, area.width(),
                  std::max(LineHeight(titleFont_, device_), LineHeight(font_, device_)));
    DrawPair(p, line, titleFont_, content_.title, QStringLiteral("page %1 of %2").arg(page + 1).arg(pages));
    line = QRectF(area.left(), line.bottom() + kLineSpace, area.width(), LineHeight(font_, device_));
    p.setFont(font_);
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, Elided(content_.device, font_, line.width(), device_));
    p.setPen(QPen(kRule, kRuleWidth));
    const qreal y = line.bottom() + kSectionSpace / 2;
    p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
}

// The left text in its font, cut to leave room for the right one in the header's font.
void Header::DrawPair(QPainter &p, const QRectF &line, const QFont &leftFont, const QString &left,
                      const QString &right) const
{
    const qreal rightWidth = QFontMetricsF(font_, device_).horizontalAdvance(right);
    p.setFont(font_);
    p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, right);
    p.setFont(leftFont);
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
               Elided(left, leftFont, line.width() - rightWidth - kHeaderGap, device_));
}

} // namespace sheet
