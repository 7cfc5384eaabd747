#include "kit/Accessibility.h"

#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

namespace {
AccessibilityOn *g_recorder = nullptr;

void SetPlatformAccessibility(bool active)
{
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(active);
}
} // namespace

AccessibilityOn::AccessibilityOn()
{
    g_recorder = this;
    QAccessible::installUpdateHandler(&AccessibilityOn::Record);
    SetPlatformAccessibility(true);
}

AccessibilityOn::~AccessibilityOn()
{
    SetPlatformAccessibility(false);
    QAccessible::installUpdateHandler(nullptr);
    g_recorder = nullptr;
}

QList<AccessibilityOn::Announced> AccessibilityOn::Events(QAccessible::Event type) const
{
    QList<Announced> matching;
    for (const Announced &e : events_) {
        if (e.type == type)
            matching.append(e);
    }
    return matching;
}

void AccessibilityOn::Record(QAccessibleEvent *event)
{
    if (!g_recorder)
        return;
    QAccessibleInterface *iface = event->accessibleInterface();
    g_recorder->events_.append(
        {event->object(), event->type(), event->child(), iface ? iface->text(QAccessible::Name) : QString()});
}

QList<AccessibleNode> AccessibleChildren(QObject *object)
{
    QList<AccessibleNode> nodes;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    if (!iface)
        return nodes;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        if (!child)
            continue;
        nodes.append({child->object(), child->role(), child->text(QAccessible::Name),
                      child->text(QAccessible::Description), child->rect(), bool(child->state().invisible)});
    }
    return nodes;
}
