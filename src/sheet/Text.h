#pragma once
#include <QColor>
#include <QFont>
#include <QPointF>
#include <QString>
#include <memory>
#include <vector>

class QPaintDevice;
class QPainter;
class QTextLayout;

namespace sheet {

// The text on one line: line breaks, tabs and other control characters become spaces.
QString OneLine(const QString &text);

// The text cut at the right to fit width, with an ellipsis; all of it where it fits.
QString Elided(const QString &text, const QFont &font, qreal width, QPaintDevice *device);

// A piece of text in one font and colour.
struct Run {
    QString text;
    QFont font;
    QColor colour;
};

// Runs of text one after the other, wrapped to a width at word boundaries and, for a word
// longer than a line, inside it: nothing is cut off. No-break spaces hold their neighbours
// on one line. No text takes no height.
class Wrapped {
public:
    Wrapped(const std::vector<Run> &runs, qreal width, QPaintDevice *device);
    qreal Height() const { return height_; }
    // The first line's top at topLeft.
    void Draw(QPainter &painter, const QPointF &topLeft) const;

private:
    std::shared_ptr<QTextLayout> layout_;
    qreal height_ = 0;
};

} // namespace sheet
