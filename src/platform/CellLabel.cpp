#include "platform/CellLabel.h"

#include <QMouseEvent>

namespace platform {

CellLabel::CellLabel(QWidget *parent) : QLabel(parent)
{
    setAutoFillBackground(true);
}

CellLabel *CellLabel::Copy() const
{
    auto *copy = new CellLabel(parentWidget());
    copy->hide();
    copy->setGeometry(geometry());
    copy->setFont(font());
    copy->setAlignment(alignment());
    copy->setFrameStyle(frameStyle());
    copy->SetBackColor(back_);
    return copy;
}

void CellLabel::SetBackColor(const QColor &color)
{
    if (color == back_)
        return;
    back_ = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
}

int ShiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

void CellLabel::mousePressEvent(QMouseEvent *event)
{
    if (onMouseDown) {
        const QPoint p = event->position().toPoint();
        onMouseDown(int(event->button()), ShiftMask(event->modifiers()), p.x(), p.y());
    }
    event->accept();
}

void CellLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())
        && onClick)
        onClick();
}

} // namespace platform
