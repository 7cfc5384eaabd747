#pragma once
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QSizeF>
#include <QStaticText>
#include <memory>

class QPainter;

namespace toolkit {

struct GlyphTable;

// One line of plain text laid out in one font, ready to be drawn again and again.
class CaptionLayout {
public:
    QString Text() const { return text_; }
    // As Qt's text layout measures it: the advance of the text by the line's height.
    QSizeF Size() const { return size_; }
    // Whether it was placed from the font's table rather than by Qt's text layout.
    bool FromTable() const { return fromTable_; }
    // Draws with the painter's pen, the top left corner of the line at topLeft.
    void Draw(QPainter &painter, const QPointF &topLeft) const;

private:
    friend class CaptionFont;
    QString text_;
    QSizeF size_;
    QGlyphRun glyphs_;     // laid out from the font's table of characters
    QStaticText fallback_; // laid out by Qt's text layout
    bool fromTable_ = false;
};

// The layouts of one font, each text laid out once and shared by every label that shows
// it. The grid shows 512 channel numbers and some seventy output names ("D:0A.4",
// "- - -"). Numbers are placed from a table of the digits' glyphs and of the distance
// between each pair of them, which one pass of Qt's text layout over every pair gives, so
// that a number needs no layout pass of its own (a pass costs about as much as painting
// the cell). Other texts go through Qt's text layout.
class CaptionFont {
public:
    // The layouts of font: one object per distinct font, kept for the program's life.
    static CaptionFont *For(const QFont &font);

    CaptionLayout Layout(const QString &text);

    ~CaptionFont();

private:
    explicit CaptionFont(const QFont &font);
    bool FromTable(const QString &text, CaptionLayout &layout);

    QFont font_;
    std::unique_ptr<GlyphTable> table_; // null when the font's layout does not fit the table
    bool tableRead_ = false;            // the table is read when a caption first needs it
    QHash<QString, CaptionLayout> layouts_;
};

} // namespace toolkit
