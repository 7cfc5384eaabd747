#pragma once
#include "toolkit/CaptionLayout.h"

#include <QColor>
#include <QWidget>
#include <functional>

namespace toolkit {

// A label with a back colour, a mouse-down event that reports the button
// (1 left, 2 right, 4 middle) and the modifier keys (1 Shift, 2 Ctrl, 4 Alt),
// and a click event (left button pressed and released over the label). The second press
// of a double click is neither a mouse-down nor, with its release, a click.
// Assistive tools see it as a static text named by its caption, described by its
// description, and hear each change; the description is also its tooltip.
// It draws its one line of text itself, from a shared layout (CaptionLayout.h) made when
// it is first painted: the grid changes and repaints 512 of these at a time, and QLabel's
// general text handling costs several times more per caption.
class CellLabel : public QWidget {
    Q_OBJECT
public:
    explicit CellLabel(QWidget *parent = nullptr);

    // A hidden label with the same parent, size, font, alignment and colour.
    CellLabel *Copy() const;

    void SetBackColor(const QColor &color);
    QColor BackColor() const { return back_; }
    void SetCaption(const QString &text);
    QString text() const { return text_; }
    void setText(const QString &text) { SetCaption(text); }
    // The tooltip and accessible description; "" for none.
    void SetDescription(const QString &text);
    QString Description() const { return toolTip(); }
    void setAlignment(Qt::Alignment alignment);
    Qt::Alignment alignment() const { return alignment_; }

    std::function<void(int button, int shift, int x, int y)> onMouseDown;
    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    const CaptionLayout &Layout();

    QColor back_;
    QString text_;
    CaptionLayout layout_;
    bool laidOut_ = false;               // layout_ shows text_ in the current font
    CaptionFont *captionFont_ = nullptr; // the layouts of the current font
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    Qt::MouseButton lastPressButton_ = Qt::NoButton;
    quint64 lastPressTime_ = 0;
    bool clickPending_ = false; // a left press here whose release over the label is a click
};

// Modifier-key mask of a mouse or key event: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftMask(Qt::KeyboardModifiers modifiers);

} // namespace toolkit
