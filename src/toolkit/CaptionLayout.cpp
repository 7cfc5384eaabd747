#include "toolkit/CaptionLayout.h"

#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <list>
#include <string_view>

namespace toolkit {

namespace {

// The characters of channel numbers.
constexpr char kTableChars[] = "0123456789";
constexpr int kTableSize = sizeof(kTableChars) - 1;

} // namespace

// The glyphs of the table characters in one font, and where they stand.
struct GlyphTable {
    QRawFont font;
    qreal ascent = 0;
    qreal height = 0;
    std::array<int, 128> slot{}; // place of a character in kTableChars, or -1
    std::array<quint32, kTableSize> glyph{};
    std::array<qreal, kTableSize> advance{};
    // From the origin of a character's glyph to that of the next: its advance with the
    // pair's kerning.
    std::array<std::array<qreal, kTableSize>, kTableSize> step{};
};

namespace {

// The width Qt's text layout gives one line of text.
qreal LineWidth(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return layout.lineAt(0).naturalTextWidth();
}

// Lays out every ordered pair of table characters in one line, and reads the glyphs and
// distances from it, and each character's advance from a line of its own. The layout must
// show each character as its own glyph on one baseline, and distances that depend on
// nothing but the pair: the pairs that meet across two neighbouring pairs ("01" "23" meet
// as "12") are checked against the table. Null when it does not.
std::unique_ptr<GlyphTable> ReadTable(const QFont &font)
{
    QString pairs;
    for (char a : std::string_view(kTableChars, kTableSize)) {
        for (char b : std::string_view(kTableChars, kTableSize))
            pairs += QLatin1Char(a) + QString(QLatin1Char(b));
    }
    QTextLayout layout(pairs, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1)
        return nullptr;
    const QList<quint32> glyphs = runs[0].glyphIndexes();
    const QList<QPointF> at = runs[0].positions();
    if (glyphs.size() != pairs.size() || at.size() != pairs.size())
        return nullptr;

    auto table = std::make_unique<GlyphTable>();
    table->font = runs[0].rawFont();
    table->slot.fill(-1);
    const QList<quint32> own = table->font.glyphIndexesForString(QString::fromLatin1(kTableChars, kTableSize));
    if (own.size() != kTableSize)
        return nullptr;
    for (int c = 0; c < kTableSize; ++c) {
        table->slot[uchar(kTableChars[c])] = c;
        table->glyph[c] = own[c];
        table->advance[c] = LineWidth(QString(QLatin1Char(kTableChars[c])), font);
    }
    table->ascent = line.ascent();
    table->height = std::ceil(line.height());
    auto slotAt = [&](int i) { return table->slot[pairs[i].unicode()]; };
    for (int i = 0; i < pairs.size(); ++i) {
        if (glyphs[i] != own[slotAt(i)] || at[i].y() != at[0].y())
            return nullptr;
        if (i % 2 == 1)
            table->step[slotAt(i - 1)][slotAt(i)] = at[i].x() - at[i - 1].x();
    }
    for (int i = 2; i < pairs.size(); i += 2) {
        if (at[i].x() - at[i - 1].x() != table->step[slotAt(i - 1)][slotAt(i)])
            return nullptr;
    }
    if (at[0].x() != 0 || at[0].y() != table->ascent
        || at.last().x() + table->advance[slotAt(pairs.size() - 1)] != line.naturalTextWidth())
        return nullptr;
    return table;
}

// The pixels the glyphs may cover, from their outlines' bounding boxes and two pixels
// around them.
QRectF InkOf(const QList<QGlyphRun> &runs)
{
    constexpr qreal kRoom = 2;
    QRectF ink;
    for (const QGlyphRun &run : runs) {
        const QRawFont font = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> at = run.positions();
        for (int i = 0; i < glyphs.size() && i < at.size(); ++i) {
            const QRectF glyph = font.boundingRect(glyphs[i]);
            if (!glyph.isEmpty())
                ink |= glyph.translated(at[i]);
        }
    }
    return ink.isEmpty() ? ink : ink.adjusted(-kRoom, -kRoom, kRoom, kRoom);
}

} // namespace

void CaptionLayout::Draw(QPainter &painter, const QPointF &topLeft) const
{
    for (const QGlyphRun &run : glyphs_)
        painter.drawGlyphRun(topLeft, run);
}

void CaptionBatch::Add(const CaptionLayout &caption, const QPointF &topLeft)
{
    for (const QGlyphRun &glyphs : caption.Glyphs()) {
        const QRawFont font = glyphs.rawFont();
        auto run = std::find_if(runs_.begin(), runs_.end(), [&](const Run &r) { return r.font == font; });
        if (run == runs_.end())
            run = runs_.insert(runs_.end(), Run{font, {}, {}});
        run->glyphs += glyphs.glyphIndexes();
        for (const QPointF &p : glyphs.positions())
            run->at.append(topLeft + p);
    }
}

void CaptionBatch::Draw(QPainter &painter)
{
    for (const Run &run : runs_) {
        QGlyphRun glyphs;
        glyphs.setRawFont(run.font);
        glyphs.setGlyphIndexes(run.glyphs);
        glyphs.setPositions(run.at);
        painter.drawGlyphRun(QPointF(0, 0), glyphs);
    }
    runs_.clear();
}

CaptionFont *CaptionFont::For(const QFont &font)
{
    // Fonts compare cheaply; their keys are built as text.
    static std::list<std::unique_ptr<CaptionFont>> fonts;
    for (const auto &f : fonts) {
        if (f->font_ == font)
            return f.get();
    }
    return fonts.emplace_back(new CaptionFont(font)).get();
}

CaptionFont::CaptionFont(const QFont &font) : font_(font) {}

CaptionFont::~CaptionFont() = default;

std::shared_ptr<const CaptionLayout> CaptionFont::Layout(const QString &text)
{
    auto it = layouts_.constFind(text);
    if (it != layouts_.constEnd())
        return *it;
    auto layout = std::make_shared<CaptionLayout>();
    layout->text_ = text;
    if (!FromTable(text, *layout))
        FromTextLayout(text, *layout);
    layout->ink_ = InkOf(layout->glyphs_);
    if (layouts_.size() > 4096)
        layouts_.clear();
    layouts_.insert(text, layout);
    return layout;
}

// Laid out as Qt's static text lays out one line: its leading included, at the width that
// static text gives it (the widest Qt's fixed-point text metrics take), so never wrapped.
void CaptionFont::FromTextLayout(const QString &text, CaptionLayout &layout) const
{
    constexpr int kWidest = std::numeric_limits<int>::max() / 256;
    QTextLayout lines(text, font_);
    lines.beginLayout();
    QTextLine line = lines.createLine();
    line.setLeadingIncluded(true);
    line.setLineWidth(kWidest);
    line.setPosition(QPointF(0, 0));
    lines.endLayout();
    layout.glyphs_ = lines.glyphRuns();
    layout.size_ = lines.boundingRect().size();
}

bool CaptionFont::FromTable(const QString &text, CaptionLayout &layout)
{
    const std::string_view tableChars(kTableChars, kTableSize);
    if (text.isEmpty() || !std::all_of(text.begin(), text.end(), [&](QChar ch) {
            return ch.unicode() < 128 && tableChars.find(char(ch.unicode())) != std::string_view::npos;
        }))
        return false;
    if (!tableRead_) {
        table_ = ReadTable(font_);
        tableRead_ = true;
    }
    if (!table_)
        return false;
    QList<quint32> glyphs(text.size());
    QList<QPointF> at(text.size());
    qreal x = 0;
    int previous = -1;
    for (int i = 0; i < text.size(); ++i) {
        const int c = table_->slot[text[i].unicode()];
        if (previous >= 0)
            x += table_->step[previous][c];
        glyphs[i] = table_->glyph[c];
        at[i] = QPointF(x, table_->ascent);
        previous = c;
    }
    QGlyphRun run;
    run.setRawFont(table_->font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(at);
    layout.glyphs_ = {run};
    layout.size_ = QSizeF(x + table_->advance[previous], table_->height);
    layout.fromTable_ = true;
    return true;
}

} // namespace toolkit
