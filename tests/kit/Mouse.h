#pragma once
#include <QPoint>
#include <Qt>

class QWidget;

// A mouse over a window, its presses and releases delivered as the window system delivers
// a real mouse's: to whatever stands under the pointer in the window (or to the widget that
// holds the mouse while a button is down), with the buttons held, the modifier keys and a
// time stamp, from which Qt makes double clicks. Positions are pixels of a widget of the
// window. Each press comes long after the last event, unless Soon() says otherwise; the
// clock is QTest's own, so that QTest's mouse functions and this one never see time run
// backwards.
class Mouse {
public:
    explicit Mouse(QWidget *area);

    void Press(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {});
    void Release(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {});
    // Press and release where the pointer is.
    void Click(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {});
    // Two clicks in quick succession, the second of which Qt takes for a double click.
    void DoubleClick(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {});
    // The next press follows within the double-click interval.
    void Soon() { soon_ = true; }

private:
    void Send(QPoint at, Qt::MouseButton button, bool press, Qt::KeyboardModifiers modifiers);

    QWidget *area_;
    Qt::MouseButtons held_;
    bool soon_ = false;
};
