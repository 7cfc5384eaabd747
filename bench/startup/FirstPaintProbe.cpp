// The first-paint probe of the start-up launchers. Linked into a program, it starts with
// the application object (a Qt start-up function, so that the program's own code stays
// as it is), waits for a window's first paint and then for the event loop to run out of
// work, which is when the window is whole on the screen and the program waits for the
// user. It then prints its line (FirstPaintProbe.h) and ends the event loop.
#include "FirstPaintProbe.h"

#include <QAbstractEventDispatcher>
#include <QAccessible>
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

class FirstPaintProbe : public QObject {
public:
    explicit FirstPaintProbe(QObject *parent) : QObject(parent) {}

    void Idle()
    {
        if (!painted_ || reported_)
            return;
        reported_ = true;
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        struct rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%s %lld %ld %d\n", kFirstPaintLine,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                    usage.ru_maxrss, QAccessible::isActive() ? 1 : 0);
        std::fflush(stdout);
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow())
            painted_ = true;
        return false;
    }

private:
    bool painted_ = false;
    bool reported_ = false;
};

void InstallFirstPaintProbe()
{
    auto *probe = new FirstPaintProbe(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(probe);
    QObject::connect(QCoreApplication::eventDispatcher(), &QAbstractEventDispatcher::aboutToBlock, probe,
                     [probe] { probe->Idle(); });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallFirstPaintProbe)
