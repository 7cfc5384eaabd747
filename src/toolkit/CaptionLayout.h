#pragma once
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QRawFont>
#include <QRectF>
#include <QSizeF>
#include <memory>
#include <vector>

class QPainter;

namespace toolkit {

struct GlyphTable;

// One line of plain text laid out in one font, ready to be drawn again and again. It looks
// and measures exactly as Qt's static text of the same text and font.
class CaptionLayout {
public:
    QString Text() const { return text_; }
    // As Qt's text layout measures it: the advance of the text by the line's height.
    QSizeF Size() const { return size_; }
    // Whether it was placed from the font's table rather than by Qt's text layout.
    bool FromTable() const { return fromTable_; }
    // The pixels the caption may cover, its line's top left corner at (0, 0): its glyphs'
    // outlines with room for antialiasing and the filter of subpixel rendering. Empty for a
    // caption that shows nothing.
    QRectF Ink() const { return ink_; }
    // The glyphs, placed from the line's top left corner.
    const QList<QGlyphRun> &Glyphs() const { return glyphs_; }
    // Draws with the painter's pen, the top left corner of the line at topLeft.
    void Draw(QPainter &painter, const QPointF &topLeft) const;

private:
    friend class CaptionFont;
    QString text_;
    QSizeF size_;
    QRectF ink_;
    QList<QGlyphRun> glyphs_;
    bool fromTable_ = false;
};

// The glyphs of many captions, gathered to be drawn in one call per font: a call costs
// about as much again as the glyphs it draws.
class CaptionBatch {
public:
    void Add(const CaptionLayout &caption, const QPointF &topLeft);
    // Draws what was added with the painter's pen, and empties the batch.
    void Draw(QPainter &painter);

private:
    struct Run {
        QRawFont font;
        QList<quint32> glyphs;
        QList<QPointF> at; // on the painter
    };
    std::vector<Run> runs_; // one per font
};

// The layouts of one font, each text laid out once and shared by every cell that shows it.
// The grid shows 512 channel numbers and some seventy output names ("D:0A.4", "- - -").
// Numbers are placed from a table of the digits' glyphs and of the distance between each
// pair of them, which one pass of Qt's text layout over every pair gives, so that a number
// needs no layout pass of its own (a pass costs about as much as painting the cell). Other
// texts go through Qt's text layout.
class CaptionFont {
public:
    // The layouts of font: one object per distinct font, kept for the program's life.
    static CaptionFont *For(const QFont &font);

    std::shared_ptr<const CaptionLayout> Layout(const QString &text);

    ~CaptionFont();

private:
    explicit CaptionFont(const QFont &font);
    bool FromTable(const QString &text, CaptionLayout &layout);
    void FromTextLayout(const QString &text, CaptionLayout &layout) const;

    QFont font_;
    std::unique_ptr<GlyphTable> table_; // null when the font's layout does not fit the table
    bool tableRead_ = false;            // the table is read when a caption first needs it
    QHash<QString, std::shared_ptr<const CaptionLayout>> layouts_;
};

} // namespace toolkit
