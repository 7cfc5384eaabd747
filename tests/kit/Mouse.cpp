#include "kit/Mouse.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <QtGui/qpa/qwindowsysteminterface.h>

namespace {
constexpr int kQuickly = 10;      // ms between the events of one gesture
constexpr int kLongAfter = 10000; // ms before a press that starts a new gesture
} // namespace

Mouse::Mouse(QWidget *area) : area_(area) {}

void Mouse::Send(QPoint at, Qt::MouseButton button, bool press, Qt::KeyboardModifiers modifiers)
{
    QTest::lastMouseTimestamp += press && !soon_ && !held_ ? kLongAfter : kQuickly;
    soon_ = false;
    held_.setFlag(button, press);
    QWidget *top = area_->window();
    const QPoint local = area_->mapTo(top, at);
    QWindowSystemInterface::handleMouseEvent(top->windowHandle(), ulong(QTest::lastMouseTimestamp), QPointF(local),
                                             QPointF(top->mapToGlobal(local)), held_, button,
                                             press ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, modifiers);
    QWindowSystemInterface::flushWindowSystemEvents();
    QCoreApplication::processEvents();
}

void Mouse::Press(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    Send(at, button, true, modifiers);
}

void Mouse::Release(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    Send(at, button, false, modifiers);
}

void Mouse::Click(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    Press(at, button, modifiers);
    Release(at, button, modifiers);
}

void Mouse::DoubleClick(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    Click(at, button, modifiers);
    Soon();
    Click(at, button, modifiers);
}
