#pragma once
#include <QAccessible>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>

// Switches Qt's accessibility on, as a screen reader's AT-SPI bus does on a desktop, and
// records every event the widgets announce; off again when the object goes. The offscreen
// platform has no assistive bus, so this sets the platform's switch directly.
class AccessibilityOn {
public:
    struct Announced {
        QPointer<QObject> object;
        QAccessible::Event type;
        int child;    // the child of the object's interface it is about, or -1 for the object itself
        QString name; // the accessible name of what it is about when it was announced
    };

    AccessibilityOn();
    ~AccessibilityOn();
    AccessibilityOn(const AccessibilityOn &) = delete;
    AccessibilityOn &operator=(const AccessibilityOn &) = delete;

    const QList<Announced> &Events() const { return events_; }
    // The announcements of one type, in order.
    QList<Announced> Events(QAccessible::Event type) const;
    void Clear() { events_.clear(); }

private:
    static void Record(QAccessibleEvent *event);
    QList<Announced> events_;
};

// One node of an accessibility tree as an assistive tool reads it.
struct AccessibleNode {
    QObject *object;
    QAccessible::Role role;
    QString name;
    QString description;
    QRect rect; // on the screen
    bool invisible;
};

// The children of an object's accessible interface, in the order a tool walks them.
QList<AccessibleNode> AccessibleChildren(QObject *object);
