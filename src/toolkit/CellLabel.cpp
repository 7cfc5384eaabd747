#include "toolkit/CellLabel.h"

#include "toolkit/AccessibleCell.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

namespace toolkit {

// Though it paints every pixel, a label is not marked opaque: Qt would cut each of the
// grid's 1024 labels out of the region left to paint beneath its siblings, a cost that
// grows with the square of their number, and the first paint of the window would spend
// most of its time there.
CellLabel::CellLabel(QWidget *parent) : QWidget(parent)
{
    InstallAccessibleCells();
}

CellLabel *CellLabel::Copy() const
{
    auto *copy = new CellLabel(parentWidget());
    copy->hide();
    copy->setGeometry(geometry());
    copy->setFont(font());
    copy->setAlignment(alignment());
    copy->SetBackColor(back_);
    return copy;
}

void CellLabel::SetBackColor(const QColor &color)
{
    if (color == back_)
        return;
    back_ = color;
    update();
}

void CellLabel::SetCaption(const QString &text)
{
    if (text == text_)
        return;
    text_ = text;
    laidOut_ = false;
    update();
    // A screen reader that follows the grid hears the new text. Nothing is built while no
    // assistive tool listens: a refresh sets 512 captions.
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void CellLabel::SetDescription(const QString &text)
{
    // A refresh sets 512 descriptions, nearly all of them the same as before.
    if (text == toolTip())
        return;
    setToolTip(text);
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void CellLabel::setAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    update();
}

void CellLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        captionFont_ = nullptr;
        laidOut_ = false;
    }
    QWidget::changeEvent(event);
}

// Laid out when first painted, in the font it is painted in.
const CaptionLayout &CellLabel::Layout()
{
    if (!laidOut_) {
        if (!captionFont_)
            captionFont_ = CaptionFont::For(font());
        layout_ = captionFont_->Layout(text_);
        laidOut_ = true;
    }
    return layout_;
}

void CellLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), back_);
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(font());
    const CaptionLayout &caption = Layout();
    const QSizeF size = caption.Size();
    qreal x = 0;
    if (alignment_ & Qt::AlignHCenter)
        x = (width() - size.width()) / 2;
    else if (alignment_ & Qt::AlignRight)
        x = width() - size.width();
    caption.Draw(p, QPointF(x, (height() - size.height()) / 2));
}

int ShiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

void CellLabel::mousePressEvent(QMouseEvent *event)
{
    lastPressButton_ = event->button();
    lastPressTime_ = event->timestamp();
    clickPending_ = event->button() == Qt::LeftButton;
    if (onMouseDown) {
        const QPoint p = event->position().toPoint();
        onMouseDown(int(event->button()), ShiftMask(event->modifiers()), p.x(), p.y());
    }
    event->accept();
}

// Qt delivers the second press of a double click as a double-click event; it is no
// mouse-down, and its release no click. The grid has no double-click handler. The first
// press may have gone to a neighbouring widget a few pixels away: this label then takes
// the event as its own first press.
void CellLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    const bool secondPress = event->button() == lastPressButton_
        && event->timestamp() - lastPressTime_ <= quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    if (!secondPress) {
        mousePressEvent(event);
        return;
    }
    clickPending_ = false;
    event->accept();
}

void CellLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const bool click
        = clickPending_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    clickPending_ = false;
    if (click && onClick)
        onClick();
}

} // namespace toolkit
