#include "kit/Wheel.h"

#include <QWidget>
#include <QWindow>
#include <QtGui/qpa/qwindowsysteminterface.h>

void TurnWheel(QWidget *widget, int notches)
{
    QWidget *top = widget->window();
    const QPoint local = widget->mapTo(top, widget->rect().center());
    QWindowSystemInterface::handleWheelEvent(top->windowHandle(), local, top->mapToGlobal(local), QPoint(),
                                             QPoint(0, 120 * notches));
    QWindowSystemInterface::flushWindowSystemEvents();
}
