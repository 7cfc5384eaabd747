#include "sheet/Text.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace sheet {

QString OneLine(const QString &text)
{
    QString line = text;
    for (QChar &c : line) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return line;
}

QString Elided(const QString &text, const QFont &font, qreal width, QPaintDevice *device)
{
    return QFontMetricsF(font, device).elidedText(text, Qt::ElideRight, width);
}

Wrapped::Wrapped(const std::vector<Run> &runs, qreal width, QPaintDevice *device)
{
    QString text;
    QList<QTextLayout::FormatRange> formats;
    for (const Run &run : runs) {
        QTextCharFormat format;
        format.setFont(run.font);
        format.setForeground(run.colour);
        formats.append({int(text.size()), int(run.text.size()), format});
        text += run.text;
    }
    layout_ = std::make_shared<QTextLayout>(text, runs.empty() ? QFont() : runs.front().font, device);
    if (text.isEmpty())
        return;
    layout_->setFormats(formats);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_->setTextOption(option);
    layout_->beginLayout();
    for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height_));
        height_ += line.height();
    }
    layout_->endLayout();
}

void Wrapped::Draw(QPainter &painter, const QPointF &topLeft) const
{
    layout_->draw(&painter, topLeft);
}

} // namespace sheet
