// Start-up, presses, refresh, sequence and map file figures of the main window,
// each measured up to the end of the repaint that shows its result.
#include "Figures.h"

#include "document/MapFile.h"
#include "editor/frmCVDMXMap.h"
#include "toolkit/MsgBox.h"

#include <QAccessible>
#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

using namespace modCVDMXMap;

namespace {

// A real mouse press and release on a cell, through the application's event dispatch.
void Press(QWidget *cell, Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    const QPointF p(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, p, cell->mapToGlobal(p), button, button, mods);
    QApplication::sendEvent(cell, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, cell->mapToGlobal(p), button, Qt::NoButton, mods);
    QApplication::sendEvent(cell, &release);
}

// Counts the paint events the widgets receive, so that a figure can show it took in
// the repaint of what changed.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Lets the window paint what the last action changed, as the event loop would.
void Paint()
{
    QApplication::processEvents();
}

// The conditions of a measurement other than the usual ones (offscreen, accessibility
// off), added to each figure's name: " (xcb, accessibility on)".
QString Conditions()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") && !QAccessible::isActive())
        return QString();
    return QStringLiteral(" (%1, accessibility %2)").arg(platform, QAccessible::isActive() ? "on" : "off");
}

Figure Make(const QString &name, double goal, const QString &goalText)
{
    return Figure{name + Conditions(), QStringLiteral("ms"), {}, goal, goalText};
}

} // namespace

void MeasureEditor(const BenchOptions &options, std::vector<Figure> &figures)
{
    toolkit::SetMsgBoxResponder([](const QString &, int, const QString &) { return int(toolkit::vbOK); });
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    const int reps = options.reps;

    Figure startup = Make(QStringLiteral("Start-up to first complete paint"), 50, QStringLiteral("<= 50 ms"));
    double startupRss = 0;
    for (int r = 0; r < std::max(3, reps / 3); ++r) {
        std::unique_ptr<frmCVDMXMap> w;
        startup.samples.push_back(TimeMs([&] {
            w = std::make_unique<frmCVDMXMap>();
            w->ShowAndActivate();
            Paint();
        }));
        if (r == 0)
            startupRss = PeakResidentMB(); // one window, as a user's start-up has
    }

    frmCVDMXMap w;
    w.ShowAndActivate();
    Paint();
    figures.push_back(startup);
    Figure rss = Figure{QStringLiteral("Peak resident memory after start-up") + Conditions(), QStringLiteral("MB"),
                        {startupRss}, 60, QStringLiteral("<= 60 MB")};

    Figure left = Make(QStringLiteral("Left press on an output cell"), 4, QStringLiteral("<= 4 ms"));
    for (int r = 0; r < reps; ++r) {
        const int i = (r * 37) % kChannels;
        left.samples.push_back(TimeMs([&] {
            Press(w.lblDimChan[i], Qt::LeftButton, Qt::NoModifier);
            Paint();
        }));
    }
    figures.push_back(left);

    Figure right = Make(QStringLiteral("Right press on an output cell"), 4, QStringLiteral("<= 4 ms"));
    Figure extend = Make(QStringLiteral("Shift + right press across all 512"), 4, QStringLiteral("<= 4 ms"));
    for (int r = 0; r < reps; ++r) {
        right.samples.push_back(TimeMs([&] {
            Press(w.lblDimChan[0], Qt::RightButton, Qt::NoModifier);
            Paint();
        }));
        extend.samples.push_back(TimeMs([&] {
            Press(w.lblDimChan[511], Qt::RightButton, Qt::ShiftModifier);
            Paint();
        }));
    }
    figures.push_back(right);
    figures.push_back(extend);

    // Alternate between two maps whose device address and range both differ, as after
    // opening a file: three nested refreshes each time.
    Figure refresh = Make(QStringLiteral("Refresh after a new address and range"), 4, QStringLiteral("<= 4 ms"));
    for (int r = 0; r < reps; ++r) {
        for (int i = 0; i < kChannels; ++i)
            iDmxMap[i] = int16_t((i + r) % 64);
        SetDevAdd(int16_t(r % 2 ? 3 : 0));
        SetDevRange(int16_t(r % 2 ? 9 : 1));
        refresh.samples.push_back(TimeMs([&] {
            w.ShowScreen();
            Paint();
        }));
    }
    figures.push_back(refresh);

    Figure sequence = Make(QStringLiteral("Sequence Values over 512 channels"), 4, QStringLiteral("<= 4 ms"));
    Press(w.lblDimChan[0], Qt::RightButton, Qt::NoModifier);
    Press(w.lblDimChan[511], Qt::RightButton, Qt::ShiftModifier);
    for (int r = 0; r < reps; ++r) {
        iDmxMap.fill(255);
        iDmxMap[0] = int16_t(r % 2);
        SetDevAdd(0);
        SetDevRange(0);
        w.ShowScreen();
        Paint();
        sequence.samples.push_back(TimeMs([&] {
            w.cmdMSSeq_Click();
            Paint();
        }));
    }
    figures.push_back(sequence);

    QTemporaryDir dir;
    Figure write = Make(QStringLiteral("Write a map file"), 4, QStringLiteral("<= 4 ms"));
    Figure read = Make(QStringLiteral("Read a map file"), 4, QStringLiteral("<= 4 ms"));
    sMapFile = dir.filePath(QStringLiteral("bench.CVX"));
    for (int r = 0; r < reps; ++r) {
        write.samples.push_back(TimeMs([] { WriteMapFile(); }));
        read.samples.push_back(TimeMs([] { ReadMapFile(); }));
    }
    figures.push_back(write);
    figures.push_back(read);
    figures.push_back(rss);
    toolkit::SetMsgBoxResponder({});
    qApp->removeEventFilter(&counter);
    if (counter.paints < 1024)
        std::fprintf(stderr, "cvdmxmap-bench: only %d paint events seen; the window may not be painting\n", counter.paints);
}
