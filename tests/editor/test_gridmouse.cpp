// The mouse on the grid, as the window system delivers it: which handlers each path of
// presses and releases reaches, in what order and nesting.
#include "EditorFixture.h"

#include "kit/Mouse.h"
#include "toolkit/CallTrace.h"

using namespace modCVDMXMap;

namespace {

struct Step {
    enum Kind { Press, Release, Click, DoubleClick, Soon } kind;
    QPoint at;
    Qt::MouseButton button = Qt::LeftButton;
    Qt::KeyboardModifiers modifiers = {};
};
using Path = QList<Step>;

constexpr auto L = Qt::LeftButton;
constexpr auto R = Qt::RightButton;
constexpr auto M = Qt::MiddleButton;

// Pixels of the client area. A channel's cells stand in its column (82 pixels wide) and
// row (20 pixels high): the number cell 33 x 17 from 8 pixels into the column, the output
// cell 41 x 17 from 40 pixels, sharing that pixel column with the number cell.
QPoint CellOrigin(int i, int offset)
{
    return {(i / 32) * 82 + offset, (i % 32) * 20 + 32};
}
QPoint Out(int i, QPoint in = {20, 8})
{
    return CellOrigin(i, 40) + in;
}
QPoint Num(int i, QPoint in = {16, 8})
{
    return CellOrigin(i, 8) + in;
}

Step Press(QPoint at, Qt::MouseButton b, Qt::KeyboardModifiers m = {})
{
    return {Step::Press, at, b, m};
}
Step Release(QPoint at, Qt::MouseButton b, Qt::KeyboardModifiers m = {})
{
    return {Step::Release, at, b, m};
}
Step Click(QPoint at, Qt::MouseButton b, Qt::KeyboardModifiers m = {})
{
    return {Step::Click, at, b, m};
}
Step DoubleClick(QPoint at, Qt::MouseButton b, Qt::KeyboardModifiers m = {})
{
    return {Step::DoubleClick, at, b, m};
}
Step Soon()
{
    return {Step::Soon, {}};
}

void Walk(Mouse &mouse, const Path &path)
{
    for (const Step &s : path) {
        switch (s.kind) {
        case Step::Press:
            mouse.Press(s.at, s.button, s.modifiers);
            break;
        case Step::Release:
            mouse.Release(s.at, s.button, s.modifiers);
            break;
        case Step::Click:
            mouse.Click(s.at, s.button, s.modifiers);
            break;
        case Step::DoubleClick:
            mouse.DoubleClick(s.at, s.button, s.modifiers);
            break;
        case Step::Soon:
            mouse.Soon();
            break;
        }
    }
}

} // namespace

Q_DECLARE_METATYPE(Path)

class TestGridMouse : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void mousePathsReachTheHandlers_data();
    void mousePathsReachTheHandlers();

private:
    std::unique_ptr<EditorFixture> f;
};

void TestGridMouse::initTestCase()
{
    f = std::make_unique<EditorFixture>();
}

void TestGridMouse::cleanupTestCase()
{
    f.reset();
}

// Every path starts from the window as start-up leaves it: no range, the chooser closed.
void TestGridMouse::init()
{
    f->w->cboDimChan->hidePopup();
    f->w->cboDimChan->hide();
    f->w->bMSActive = false;
    f->w->ShowMS();
}

// Each row: presses and releases that set the scene (not traced), the path, and the
// handlers it runs.
void TestGridMouse::mousePathsReachTheHandlers_data()
{
    QTest::addColumn<Path>("setup");
    QTest::addColumn<Path>("path");
    QTest::addColumn<QStringList>("expected");
    const auto S = Qt::ShiftModifier, C = Qt::ControlModifier, A = Qt::AltModifier;
    const Path range{Click(Out(10), R)};
    const Path chooser{Click(Out(100), L)};

    QTest::newRow("left click on an output cell")
        << Path{} << Path{Click(Out(40), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS",         "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen", "lblDimChan_Click"};
    QTest::newRow("left click on an output cell's first pixel")
        << Path{} << Path{Click(Out(40, {0, 0}), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS",         "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen", "lblDimChan_Click"};
    QTest::newRow("left click on an output cell's last pixel")
        << Path{} << Path{Click(Out(40, {40, 16}), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS",         "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen", "lblDimChan_Click"};
    QTest::newRow("left click on the last channel's output")
        << Path{} << Path{Click(Out(511), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS",         "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen", "lblDimChan_Click"};
    QTest::newRow("left click while the chooser stands open elsewhere")
        << chooser << Path{Click(Out(7), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS",         "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen", "lblDimChan_Click"};
    QTest::newRow("left click with a range")
        << range << Path{Click(Out(40), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS",         "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen", "lblDimChan_Click"};
    QTest::newRow("shift + left click") << range << Path{Click(Out(40), L, S)}
                                        << QStringList{"lblDimChan_MouseDown", "  ShowMS",         "  ChanSel",
                                                       "    cboDimChan_Click", "      ShowScreen", "lblDimChan_Click"};
    QTest::newRow("right click on an output cell")
        << chooser << Path{Click(Out(40), R)} << QStringList{"lblDimChan_MouseDown", "  ShowMS"};
    QTest::newRow("middle click on an output cell")
        << Path{} << Path{Click(Out(40), M)} << QStringList{"lblDimChan_MouseDown", "  ShowMS"};
    QTest::newRow("shift + right without a range")
        << chooser << Path{Click(Out(3), R, S)} << QStringList{"lblDimChan_MouseDown"};
    QTest::newRow("shift + right with a range")
        << range << Path{Click(Out(3), R, S)} << QStringList{"lblDimChan_MouseDown", "  ShowMS"};
    QTest::newRow("ctrl + right with a range")
        << range << Path{Click(Out(300), R, C)} << QStringList{"lblDimChan_MouseDown", "  ShowMS"};
    QTest::newRow("alt + right with a range")
        << range << Path{Click(Out(5), R, A)} << QStringList{"lblDimChan_MouseDown", "  ShowMS"};
    QTest::newRow("shift + ctrl + middle with a range")
        << range << Path{Click(Out(25), M, S | C)} << QStringList{"lblDimChan_MouseDown", "  ShowMS"};
    QTest::newRow("left press on an output cell, released on the next")
        << Path{} << Path{Press(Out(40), L), Release(Out(41), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS", "  ChanSel", "    cboDimChan_Click", "      ShowScreen"};
    QTest::newRow("left press on an output cell, released in a gap")
        << Path{} << Path{Press(Out(40), L), Release(Out(40, {20, 18}), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS", "  ChanSel", "    cboDimChan_Click", "      ShowScreen"};
    QTest::newRow("left press on an output cell, released outside the window")
        << Path{} << Path{Press(Out(40), L), Release({1400, 300}, L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS", "  ChanSel", "    cboDimChan_Click", "      ShowScreen"};
    QTest::newRow("right press, left pressed and both released on another cell")
        << Path{} << Path{Press(Out(40), R), Press(Out(60), L), Release(Out(60), R), Release(Out(60), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS",        "lblDimChan_MouseDown", "  ShowMS", "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen"};
    QTest::newRow("left press, right pressed and both released on another cell")
        << Path{} << Path{Press(Out(40), L), Press(Out(60), R), Release(Out(60), R), Release(Out(60), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS", "  ChanSel", "    cboDimChan_Click", "      ShowScreen",
                       "lblDimChan_MouseDown", "  ShowMS"};
    QTest::newRow("left press, right pressed and released, left released on the cell")
        << Path{} << Path{Press(Out(40), L), Press(Out(40), R), Release(Out(40), R), Release(Out(40), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS", "  ChanSel", "    cboDimChan_Click", "      ShowScreen",
                       "lblDimChan_MouseDown", "  ShowMS"};

    QTest::newRow("left click on a number cell")
        << range << Path{Click(Num(17), L)}
        << QStringList{"lblDMXChan_Click", "  ChanSel", "    cboDimChan_Click", "      ShowScreen"};
    QTest::newRow("left click on a number cell's first pixel")
        << Path{} << Path{Click(Num(17, {0, 0}), L)}
        << QStringList{"lblDMXChan_Click", "  ChanSel", "    cboDimChan_Click", "      ShowScreen"};
    QTest::newRow("shift + left click on a number cell")
        << Path{} << Path{Click(Num(17), L, S)}
        << QStringList{"lblDMXChan_Click", "  ChanSel", "    cboDimChan_Click", "      ShowScreen"};
    QTest::newRow("right click on a number cell") << chooser << Path{Click(Num(17), R)} << QStringList{};
    QTest::newRow("middle click on a number cell") << Path{} << Path{Click(Num(17), M)} << QStringList{};
    QTest::newRow("left press on a number cell, released on the next")
        << Path{} << Path{Press(Num(17), L), Release(Num(18), L)} << QStringList{};
    QTest::newRow("left press on a number cell, released on its output cell")
        << Path{} << Path{Press(Num(17), L), Release(Out(17), L)} << QStringList{};

    QTest::newRow("left click on the pixel a number and an output cell share")
        << Path{} << Path{Click(Num(17, {32, 8}), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS",         "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen", "lblDimChan_Click"};
    QTest::newRow("right click on the shared pixel")
        << Path{} << Path{Click(Out(17, {0, 16}), R)} << QStringList{"lblDimChan_MouseDown", "  ShowMS"};

    QTest::newRow("left click in the gap after an output cell")
        << chooser << Path{Click(Out(0, {41, 8}), L)} << QStringList{"Form_Click"};
    QTest::newRow("left click in the gap before a number cell")
        << chooser << Path{Click(Num(33, {-1, 8}), L)} << QStringList{"Form_Click"};
    QTest::newRow("left click left of the first column")
        << chooser << Path{Click({3, 40}, L)} << QStringList{"Form_Click"};
    QTest::newRow("left click in the gap below a row")
        << chooser << Path{Click(Out(0, {20, 17}), L)} << QStringList{"Form_Click"};
    QTest::newRow("left click below the last row")
        << chooser << Path{Click(Out(31, {20, 18}), L)} << QStringList{"Form_Click"};
    QTest::newRow("left click right of the last column")
        << chooser << Path{Click(Out(511, {41, 8}), L)} << QStringList{"Form_Click"};
    QTest::newRow("left click between the header row and the grid")
        << chooser << Path{Click({700, 30}, L)} << QStringList{"Form_Click"};
    QTest::newRow("right click in a gap") << chooser << Path{Click(Out(0, {41, 8}), R)} << QStringList{};
    QTest::newRow("middle click in a gap") << chooser << Path{Click(Out(0, {41, 8}), M)} << QStringList{};
    QTest::newRow("left press in a gap, released on a cell")
        << chooser << Path{Press(Out(0, {41, 8}), L), Release(Out(40), L)} << QStringList{"Form_Click"};

    QTest::newRow("left click on the DMX Channel legend")
        << chooser << Path{Click({410, 10}, L)} << QStringList{"lblHeader_Click"};
    QTest::newRow("left click on the Dimmer Output legend")
        << chooser << Path{Click({500, 10}, L)} << QStringList{"Label1_Click"};
    QTest::newRow("right click on a legend") << chooser << Path{Click({410, 10}, R)} << QStringList{};
    QTest::newRow("left press on a legend, released on the other")
        << chooser << Path{Press({410, 10}, L), Release({500, 10}, L)} << QStringList{};

    QTest::newRow("double click on an output cell")
        << Path{} << Path{DoubleClick(Out(40), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS",         "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen", "lblDimChan_Click"};
    QTest::newRow("right double click on an output cell")
        << Path{} << Path{DoubleClick(Out(40), R)} << QStringList{"lblDimChan_MouseDown", "  ShowMS"};
    QTest::newRow("shift + right double click")
        << range << Path{DoubleClick(Out(33), R, S)} << QStringList{"lblDimChan_MouseDown", "  ShowMS"};
    QTest::newRow("double click on a number cell")
        << Path{} << Path{DoubleClick(Num(17), L)}
        << QStringList{"lblDMXChan_Click", "  ChanSel", "    cboDimChan_Click", "      ShowScreen"};
    QTest::newRow("double click on a legend")
        << chooser << Path{DoubleClick({410, 10}, L)} << QStringList{"lblHeader_Click"};
    QTest::newRow("double click in a gap")
        << chooser << Path{DoubleClick({700, 30}, L)} << QStringList{"Form_Click", "Form_DblClick", "Form_Click"};
    QTest::newRow("right double click in a gap")
        << chooser << Path{DoubleClick({700, 30}, R)} << QStringList{"Form_DblClick"};
    QTest::newRow("double click from a number cell onto its output cell")
        << Path{} << Path{Click(Num(17, {30, 8}), L), Soon(), Click(Out(17, {2, 8}), L)}
        << QStringList{"lblDMXChan_Click", "  ChanSel", "    cboDimChan_Click", "      ShowScreen"};
    QTest::newRow("right double click from an output cell into the gap after it")
        << Path{} << Path{Click(Out(0, {39, 8}), R), Soon(), Click(Out(0, {42, 8}), R)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS", "Form_DblClick"};
    QTest::newRow("double click from a gap onto an output cell")
        << chooser << Path{Click(Out(0, {20, 18}), L), Soon(), Click(Out(1, {20, 2}), L)}
        << QStringList{"Form_Click",           "lblDimChan_MouseDown", "  ShowMS",        "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen",     "lblDimChan_Click"};
    QTest::newRow("double click from a gap onto a number cell")
        << chooser << Path{Click(Num(32, {-3, 8}), L), Soon(), Click(Num(32, {1, 8}), L)}
        << QStringList{"Form_Click", "lblDMXChan_Click", "  ChanSel", "    cboDimChan_Click", "      ShowScreen"};
    QTest::newRow("double click from an output cell onto the one below")
        << Path{} << Path{Click(Out(0, {20, 16}), L), Soon(), Click(Out(1, {20, 1}), L)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS",         "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen", "lblDimChan_Click",
                       "lblDimChan_MouseDown", "  ShowMS",         "  ChanSel",
                       "    cboDimChan_Click", "      ShowScreen", "lblDimChan_Click"};
    QTest::newRow("three quick right clicks on an output cell")
        << Path{} << Path{Click(Out(40), R), Soon(), Click(Out(40), R), Soon(), Click(Out(40), R)}
        << QStringList{"lblDimChan_MouseDown", "  ShowMS", "lblDimChan_MouseDown", "  ShowMS"};
    QTest::newRow("three quick clicks on a gap")
        << chooser << Path{Click({700, 30}, L), Soon(), Click({700, 30}, L), Soon(), Click({700, 30}, L)}
        << QStringList{"Form_Click", "Form_DblClick", "Form_Click", "Form_Click"};
}

void TestGridMouse::mousePathsReachTheHandlers()
{
    QFETCH(Path, setup);
    QFETCH(Path, path);
    QFETCH(QStringList, expected);
    Mouse mouse(f->w->client);
    Walk(mouse, setup);
    QStringList trace;
    toolkit::CallTrace::Install(&trace);
    Walk(mouse, path);
    toolkit::CallTrace::Install(nullptr);
    QCOMPARE(trace, expected);
}

QTEST_MAIN(TestGridMouse)
#include "test_gridmouse.moc"
