#include "sheet/Lists.h"

#include "sheet/Style.h"
#include "sheet/Text.h"

#include <QFontMetricsF>
#include <QPainter>

namespace sheet {

Flow::Block PatchBlock(const PatchEntry &entry, qreal width, qreal points, QPaintDevice *device)
{
    const QFont text = SheetFont(Face::Text, points);
    const QFont digits = SheetFont(Face::Digits, points);
    const QFontMetricsF metrics(text, device);
    const qreal space = metrics.horizontalAdvance(QLatin1Char(' '));
    const qreal markLeft = metrics.horizontalAdvance(QStringLiteral("D:0D.0")) + space / 2;
    const qreal boxLeft = markLeft + QFontMetricsF(digits, device).horizontalAdvance(Symbol(Mark::Shared)) + 2 * space;
    const QColor colour = entry.mark != Mark::None ? kFlag : entry.driven ? kInk : kQuiet;
    std::vector<Run> runs;
    if (!entry.label.isEmpty())
        runs.push_back({entry.label + QStringLiteral("  "), SheetFont(Face::Bold, points), kInk});
    runs.push_back({entry.channels, text, colour});
    const Wrapped words(runs, width - boxLeft, device);
    return {words.Height(), [=](QPainter &p, const QPointF &topLeft) {
                p.setPen(colour);
                p.setFont(text);
                p.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), entry.output);
                if (entry.mark != Mark::None) {
                    p.setFont(digits);
                    p.drawText(QPointF(topLeft.x() + markLeft, topLeft.y() + metrics.ascent()), Symbol(entry.mark));
                }
                words.Draw(p, QPointF(topLeft.x() + boxLeft, topLeft.y()));
            }};
}

Flow::Block ListedBlock(const Listed &listed, qreal width, qreal points, QPaintDevice *device)
{
    const QFont text = SheetFont(Face::Text, points);
    const QFont digits = SheetFont(Face::Digits, points);
    const QFontMetricsF metrics(text, device);
    const qreal boxLeft = QFontMetricsF(digits, device).horizontalAdvance(Symbol(listed.mark))
        + 2 * metrics.horizontalAdvance(QLatin1Char(' '));
    const Wrapped words({{listed.text, text, kInk}}, width - boxLeft, device);
    return {words.Height(), [=](QPainter &p, const QPointF &topLeft) {
                p.setPen(kFlag);
                p.setFont(digits);
                p.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), Symbol(listed.mark));
                words.Draw(p, QPointF(topLeft.x() + boxLeft, topLeft.y()));
            }};
}

Flow::Block HeadingBlock(const QString &heading, qreal width, qreal points, QPaintDevice *device)
{
    const Wrapped words({{heading, SheetFont(Face::Bold, points), kInk}}, width, device);
    return {words.Height() + kLineSpace, [=](QPainter &p, const QPointF &topLeft) { words.Draw(p, topLeft); }};
}

} // namespace sheet
