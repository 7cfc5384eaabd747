// Presses, refresh and sequence figures of the main window, each measured up to the end
// of the repaint that shows its result and judged against a full repaint of the window;
// map file figures.
#include "Figures.h"

#include "document/MapFile.h"
#include "editor/frmCVDMXMap.h"
#include "toolkit/MsgBox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <cstdio>

using namespace modCVDMXMap;

namespace {

// A real mouse press and release 5 pixels into a cell of the window, through the
// application's event dispatch to the widget there.
void Press(frmCVDMXMap &w, const toolkit::Cell &cell, Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    const QPoint at = cell.Rect().topLeft() + QPoint(5, 5);
    QWidget *target = w.client->childAt(at);
    const QPointF p = target->mapFrom(w.client, at);
    QMouseEvent press(QEvent::MouseButtonPress, p, target->mapToGlobal(p), button, button, mods);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, target->mapToGlobal(p), button, Qt::NoButton, mods);
    QApplication::sendEvent(target, &release);
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

// The floor of the click paths: the whole window repainted with nothing changed,
// measured the same way, to the end of the repaint. Every widget is marked for repainting:
// the window's own update() would repaint only what its opaque children leave uncovered.
double RepaintMs(QWidget &window)
{
    const QList<QWidget *> widgets = window.findChildren<QWidget *>();
    return TimeMs([&] {
        window.update();
        for (QWidget *widget : widgets)
            widget->update();
        Paint();
    });
}

Figure ClickPath(const QString &name)
{
    return RatioFigure(name, QStringLiteral("a full repaint of the window, nothing changed"), 1.5);
}

Figure Make(const QString &name, double goal, const QString &goalText)
{
    return AbsoluteFigure(name + Conditions(), QStringLiteral("ms"), goal, goalText);
}

} // namespace

void MeasureEditor(const BenchOptions &options, std::vector<Figure> &figures)
{
    toolkit::SetMsgBoxResponder([](const QString &, int, const QString &) { return int(toolkit::vbOK); });
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    const int reps = options.reps;

    frmCVDMXMap w;
    w.ShowAndActivate();
    Paint();

    // Each sample of a click path follows one of its floor, in the same state of the window.
    Figure left = ClickPath(QStringLiteral("Left press on an output cell"));
    for (int r = 0; r < reps; ++r) {
        const int i = (r * 37) % kChannels;
        left.floor.push_back(RepaintMs(w));
        left.samples.push_back(TimeMs([&] {
            Press(w, w.lblDimChan[i], Qt::LeftButton, Qt::NoModifier);
            Paint();
        }));
    }
    figures.push_back(left);

    Figure right = ClickPath(QStringLiteral("Right press on an output cell"));
    Figure extend = ClickPath(QStringLiteral("Shift + right press across all 512"));
    for (int r = 0; r < reps; ++r) {
        right.floor.push_back(RepaintMs(w));
        right.samples.push_back(TimeMs([&] {
            Press(w, w.lblDimChan[0], Qt::RightButton, Qt::NoModifier);
            Paint();
        }));
        extend.floor.push_back(RepaintMs(w));
        extend.samples.push_back(TimeMs([&] {
            Press(w, w.lblDimChan[511], Qt::RightButton, Qt::ShiftModifier);
            Paint();
        }));
    }
    figures.push_back(right);
    figures.push_back(extend);

    // Alternate between two maps whose device address and range both differ, as after
    // opening a file: three nested refreshes each time.
    Figure refresh = ClickPath(QStringLiteral("Refresh after a new address and range"));
    for (int r = 0; r < reps; ++r) {
        refresh.floor.push_back(RepaintMs(w));
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

    Figure sequence = ClickPath(QStringLiteral("Sequence Values over 512 channels"));
    Press(w, w.lblDimChan[0], Qt::RightButton, Qt::NoModifier);
    Press(w, w.lblDimChan[511], Qt::RightButton, Qt::ShiftModifier);
    for (int r = 0; r < reps; ++r) {
        iDmxMap.fill(255);
        iDmxMap[0] = int16_t(r % 2);
        SetDevAdd(0);
        SetDevRange(0);
        w.ShowScreen();
        Paint();
        sequence.floor.push_back(RepaintMs(w));
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
    toolkit::SetMsgBoxResponder({});
    qApp->removeEventFilter(&counter);
    if (counter.paints < 1024)
        std::fprintf(stderr, "cvdmxmap-bench: only %d paint events seen; the window may not be painting\n",
                     counter.paints);
}
