// The first-paint probe of the start-up launchers. Linked into a program, it starts with
// the application object (a Qt start-up function, so that the program's own code stays
// as it is) and watches for the first paint of a window. Qt paints a window and all its
// children in one pass; an event that the probe posts, at low priority, from the window's
// own paint event arrives once that pass is over, after any repaint already queued. The
// probe then prints its line (FirstPaintProbe.h) and ends the event loop.
#include "FirstPaintProbe.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

class FirstPaintProbe : public QObject {
public:
    explicit FirstPaintProbe(QObject *parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!painted_ && event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->isWindow()) {
            painted_ = true;
            QCoreApplication::postEvent(this, new QEvent(kPainted), Qt::LowEventPriority);
        }
        return false;
    }

    bool event(QEvent *event) override
    {
        if (event->type() != kPainted)
            return QObject::event(event);
        Report();
        QCoreApplication::exit(0);
        return true;
    }

private:
    static constexpr QEvent::Type kPainted = QEvent::User;

    static void Report()
    {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        struct rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%s %lld %ld %d\n", kFirstPaintLine,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                    usage.ru_maxrss, QAccessible::isActive() ? 1 : 0);
        std::fflush(stdout);
    }

    bool painted_ = false;
};

void InstallFirstPaintProbe()
{
    QCoreApplication::instance()->installEventFilter(new FirstPaintProbe(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallFirstPaintProbe)
