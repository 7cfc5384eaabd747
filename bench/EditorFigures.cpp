// Presses, refresh and sequence figures of the main window, each measured up to the end
// of the repaint that shows its result and judged against a full repaint of a bare window;
// map file figures.
#include "BareWindow.h"
#include "Figures.h"

#include "editor/DocumentGlobals.h"
#include "editor/frmCVDMXMap.h"
#include "toolkit/MsgBox.h"

#include "document/Outputs.h"
#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

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

// Counts the paint events the editor's widgets receive, so that a figure can show it took
// in the repaint of what changed.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(const QWidget &window) : window_(window) {}
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && window_.isAncestorOf(static_cast<QWidget *>(watched)))
            ++paints;
        return false;
    }

private:
    const QWidget &window_;
};

// Lets the window paint what the last action changed, as the event loop would.
void Paint()
{
    QApplication::processEvents();
}

// A whole window repainted with nothing changed, to the end of the repaint. Every widget
// is marked for repainting: the window's own update() would repaint only what its opaque
// children leave uncovered.
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

constexpr double kClickPathRatioGoal = 8;
const char kFloorName[] = "a full repaint of a bare window of the same size";

// Judged against the floor, which does not change with the editor's design.
Figure ClickPath(const QString &name)
{
    return RatioFigure(name, QString::fromLatin1(kFloorName), kClickPathRatioGoal);
}

Figure Make(const QString &name, double goal, const QString &goalText)
{
    return AbsoluteFigure(name + Conditions(), QStringLiteral("ms"), goal, goalText);
}

} // namespace

void MeasureEditor(const BenchOptions &options, std::vector<Figure> &figures)
{
    toolkit::SetMsgBoxResponder([](const QString &, int, const QString &) { return int(toolkit::vbOK); });
    const int reps = options.reps;

    frmCVDMXMap w;
    PaintCounter counter(w);
    qApp->installEventFilter(&counter);
    w.ShowAndActivate();
    const std::unique_ptr<QMainWindow> bare = BareWindow();
    bare->move(w.pos());
    bare->show();
    Paint();

    // The editor's own full repaint, which follows its design, against the floor.
    Figure repaint = ClickPath(QStringLiteral("Full repaint of the window, nothing changed"));
    for (int r = 0; r < reps; ++r) {
        repaint.floor.push_back(RepaintMs(*bare));
        repaint.samples.push_back(RepaintMs(w));
    }
    figures.push_back(repaint);

    // Each sample of a click path follows one of its floor, in the same state of the window.
    Figure left = ClickPath(QStringLiteral("Left press on an output cell"));
    for (int r = 0; r < reps; ++r) {
        const int i = (r * 37) % kChannels;
        left.floor.push_back(RepaintMs(*bare));
        left.samples.push_back(TimeMs([&] {
            Press(w, w.lblDimChan[i], Qt::LeftButton, Qt::NoModifier);
            Paint();
        }));
    }
    figures.push_back(left);

    Figure right = ClickPath(QStringLiteral("Right press on an output cell"));
    Figure extend = ClickPath(QStringLiteral("Shift + right press across all 512"));
    for (int r = 0; r < reps; ++r) {
        right.floor.push_back(RepaintMs(*bare));
        right.samples.push_back(TimeMs([&] {
            Press(w, w.lblDimChan[0], Qt::RightButton, Qt::NoModifier);
            Paint();
        }));
        extend.floor.push_back(RepaintMs(*bare));
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
        refresh.floor.push_back(RepaintMs(*bare));
        for (int i = 0; i < kChannels; ++i)
            iDmxMap[i] = int16_t((i + r) % kOutputs);
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
        sequence.floor.push_back(RepaintMs(*bare));
        sequence.samples.push_back(TimeMs([&] {
            w.cmdMSSeq_Click();
            Paint();
        }));
    }
    figures.push_back(sequence);

    QTemporaryDir dir;
    Figure write = Make(QStringLiteral("Write a map file"), 4, QStringLiteral("<= 4 ms"));
    Figure read = Make(QStringLiteral("Read a map file"), 4, QStringLiteral("<= 4 ms"));
    const QString path = dir.filePath(QStringLiteral("bench.CVX"));
    for (int r = 0; r < reps; ++r) {
        write.samples.push_back(TimeMs([&] { WriteMapFile(path); }));
        read.samples.push_back(TimeMs([&] { ReadMapFile(path); }));
    }
    figures.push_back(write);
    figures.push_back(read);
    toolkit::SetMsgBoxResponder({});
    qApp->removeEventFilter(&counter);
    if (counter.paints < 5 * reps)
        std::fprintf(stderr, "cvdmxmap-bench: only %d paint events seen; the window may not be painting\n",
                     counter.paints);
}
