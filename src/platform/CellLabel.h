#pragma once
#include <QColor>
#include <QLabel>
#include <functional>

namespace platform {

// A label with a back colour, a mouse-down event that reports the button
// (1 left, 2 right, 4 middle) and the modifier keys (1 Shift, 2 Ctrl, 4 Alt),
// and a click event (left button pressed and released over the label).
class CellLabel : public QLabel {
    Q_OBJECT
public:
    explicit CellLabel(QWidget *parent = nullptr);

    // A hidden label with the same parent, size, font, alignment and colour.
    CellLabel *Copy() const;

    void SetBackColor(const QColor &color);
    QColor BackColor() const { return back_; }
    void SetCaption(const QString &text) { setText(text); }

    std::function<void(int button, int shift, int x, int y)> onMouseDown;
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor back_;
};

// Modifier-key mask of a mouse or key event: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftMask(Qt::KeyboardModifiers modifiers);

} // namespace platform
