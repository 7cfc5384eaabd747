// The grid of cells drawn by one widget: where its cells stand, what the mouse reaches,
// what it paints, and what assistive tools read from it and hear from it.
#include "toolkit/CellGrid.h"

#include "kit/Accessibility.h"
#include "kit/Mouse.h"

#include <QMouseEvent>
#include <QTest>
#include <QToolTip>

using toolkit::Cell;
using toolkit::CellArray;
using toolkit::CellGrid;

class TestCellGrid : public QObject {
    Q_OBJECT
private slots:
    void cellsStandOnThePitch();
    void theMouseReachesTheCellOnTop_data();
    void theMouseReachesTheCellOnTop();
    void paintsShownCellsOnly();
    void repeatedCellsLookTheSame_data();
    void repeatedCellsLookTheSame();
    void readAsStaticTextsInPlaceOrder();
    void readableWhereTheyStandAndAsShown();
    void changesAreAnnounced();
    void cellsAddedAfterAToolReadTheGrid();
    void descriptionIsTheTooltip();
};

namespace {

// A window with a grid of 3 rows by 2 columns, 50 x 20 pixels apart from (10, 30): a free
// cell "title" above it, a number cell and over it, sharing its last column of pixels, a
// wider value cell at each place. The window records the presses its own area receives.
struct Window : QWidget {
    CellGrid *grid;
    Cell title;
    CellArray numbers;
    CellArray values;
    QStringList events; // "down <array> <index> <button> <shift> <x> <y>", "click ...", "window ..."

    Window() : grid(new CellGrid({10, 30, 50, 20, 3, 2}, this))
    {
        resize(120, 100);
        grid->setGeometry(rect());
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        title = grid->AddCell({QRect(10, 5, 60, 18), font, Qt::cyan});
        numbers = grid->AddPitchedArray({QRect(2, 0, 20, 15), font, Qt::yellow, Qt::AlignCenter});
        values = grid->AddPitchedArray({QRect(21, 0, 28, 15), font, Qt::white, Qt::AlignCenter});
        title.SetCaption(QStringLiteral("Title"));
        title.SetVisible(true);
        for (int i = 0; i < 6; ++i) {
            numbers[i].SetCaption(QString::number(i + 1));
            numbers[i].SetVisible(true);
            values[i].SetCaption(QStringLiteral("v%1").arg(i));
            values[i].SetVisible(true);
        }
        Record(grid->ArrayOf(title), "title");
        Record(numbers, "number");
        Record(values, "value");
        show();
        if (!QTest::qWaitForWindowExposed(this))
            qWarning("window not exposed");
    }

    void Record(CellArray array, const QString &name)
    {
        array.OnMouseDown([this, name](int i, int button, int shift, int x, int y) {
            events << QStringLiteral("down %1 %2 %3 %4 %5 %6").arg(name).arg(i).arg(button).arg(shift).arg(x).arg(y);
        });
        array.OnClick([this, name](int i) { events << QStringLiteral("click %1 %2").arg(name).arg(i); });
    }

protected:
    void mousePressEvent(QMouseEvent *e) override { events << QStringLiteral("window press %1").arg(e->button()); }
    void mouseReleaseEvent(QMouseEvent *e) override { events << QStringLiteral("window release %1").arg(e->button()); }
    void mouseDoubleClickEvent(QMouseEvent *e) override
    {
        events << QStringLiteral("window double click %1").arg(e->button());
    }
};

QRect OnScreen(const Window &w, const Cell &cell)
{
    return QRect(w.grid->mapToGlobal(cell.Rect().topLeft()), cell.Rect().size());
}

} // namespace

// Column by column: the place of index 4 is the second column's second row.
void TestCellGrid::cellsStandOnThePitch()
{
    Window w;
    QCOMPARE(w.numbers.Count(), 6);
    QCOMPARE(w.numbers[0].Rect(), QRect(12, 30, 20, 15));
    QCOMPARE(w.numbers[2].Rect(), QRect(12, 70, 20, 15));
    QCOMPARE(w.values[4].Rect(), QRect(81, 50, 28, 15));
    QCOMPARE(w.title.Rect(), QRect(10, 5, 60, 18));
    QCOMPARE(w.values[4].Caption(), QStringLiteral("v4"));
    QCOMPARE(w.values[4].BackColor(), QColor(Qt::white));
    QCOMPARE(w.grid->ArrayOf(w.values[4])[4], w.values[4]);
    QVERIFY(w.values[4] != w.numbers[4]);
}

void TestCellGrid::theMouseReachesTheCellOnTop_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("events");
    const int L = Qt::LeftButton, R = Qt::RightButton;
    QTest::newRow("a value cell") << QPoint(85, 55) << L << QStringList{"down value 4 1 0 4 5", "click value 4"};
    QTest::newRow("a number cell") << QPoint(12, 30) << R << QStringList{"down number 0 2 0 0 0"};
    QTest::newRow("the pixel both cells hold")
        << QPoint(31, 44) << L << QStringList{"down value 0 1 0 0 14", "click value 0"};
    QTest::newRow("the free cell") << QPoint(69, 22) << L << QStringList{"down title 0 1 0 59 17", "click title 0"};
    QTest::newRow("between two rows") << QPoint(20, 47) << L << QStringList{"window press 1", "window release 1"};
    QTest::newRow("after the last column") << QPoint(110, 35) << L << QStringList{"window press 1", "window release 1"};
    QTest::newRow("below the last row") << QPoint(20, 95) << R << QStringList{"window press 2", "window release 2"};
    QTest::newRow("a hidden cell") << QPoint(65, 75) << L << QStringList{"window press 1", "window release 1"};
}

// A press outside every shown cell, its release and its double click are the window's.
void TestCellGrid::theMouseReachesTheCellOnTop()
{
    QFETCH(QPoint, at);
    QFETCH(int, button);
    QFETCH(QStringList, events);
    Window w;
    w.numbers[5].SetVisible(false);
    w.values[5].SetVisible(false);
    Mouse(&w).Click(at, Qt::MouseButton(button));
    QCOMPARE(w.events, events);
    QCOMPARE(w.grid->CellAt(at) == Cell(), events[0].startsWith(QLatin1String("window")));
}

// Each shown cell is filled with its colour over the whole of its rectangle, the later
// array over the earlier; a hidden cell leaves the window's background.
void TestCellGrid::paintsShownCellsOnly()
{
    Window w;
    w.values[1].SetBackColor(Qt::red);
    w.values[2].SetVisible(false);
    w.numbers[2].SetVisible(false);
    QApplication::processEvents();
    const QImage image = w.grab().toImage();
    const QColor background = w.palette().color(QPalette::Window);
    auto at = [&](QPoint p) { return image.pixelColor(p); };
    QCOMPARE(at(w.values[1].Rect().topLeft()), QColor(Qt::red));
    QCOMPARE(at(w.values[1].Rect().bottomRight()), QColor(Qt::red));
    QCOMPARE(at(w.values[0].Rect().topLeft()), QColor(Qt::white)); // over the number cell
    QCOMPARE(at(w.numbers[0].Rect().topLeft()), QColor(Qt::yellow));
    QCOMPARE(at(w.values[2].Rect().bottomRight()), background);
    QCOMPARE(at(w.numbers[2].Rect().topLeft()), background);
    QCOMPARE(at(QPoint(20, 47)), background);
    // The caption is drawn inside the cell: some pixel of it is neither colour.
    bool inked = false;
    const QRect r = w.title.Rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            inked |= at(QPoint(x, y)) != QColor(Qt::cyan);
    }
    QVERIFY(inked);
}

void TestCellGrid::repeatedCellsLookTheSame_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QImage::Format>("format");
    for (const qreal ratio : {1.0, 2.0}) {
        for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied})
            QTest::addRow("ratio %g, format %d", ratio, int(format)) << ratio << format;
    }
}

// Twelve cells show one caption on one back; a cell shown many times over is copied after
// its first few are drawn. Every one of them looks as the first, also once the pen changed,
// and a cell on another back does not.
void TestCellGrid::repeatedCellsLookTheSame()
{
    QFETCH(qreal, ratio);
    QFETCH(QImage::Format, format);
    QWidget window;
    window.resize(130, 90);
    auto *grid = new CellGrid({2, 3, 42, 21, 4, 3}, &window);
    grid->setGeometry(window.rect());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    const CellArray cells = grid->AddPitchedArray({QRect(1, 1, 40, 17), font, Qt::yellow, Qt::AlignCenter});
    static_assert(toolkit::CellPictures::kUses < 11, "eleven cells on one back are copied after the first few");
    for (int i = 0; i < cells.Count(); ++i) {
        cells[i].SetCaption(QStringLiteral("D:0A.4"));
        cells[i].SetVisible(true);
    }
    cells[9].SetBackColor(Qt::cyan);
    auto render = [&] {
        QImage image(window.size() * ratio, format);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        window.render(&image);
        return image;
    };
    auto pixels = [&](const QImage &image, int i) {
        const QRect r = cells[i].Rect();
        return image.copy(QRect(r.topLeft() * ratio, r.size() * ratio));
    };
    const QImage before = render();
    for (int i = 1; i < cells.Count(); ++i) {
        if (i != 9)
            QVERIFY2(pixels(before, i) == pixels(before, 0), qPrintable(QString::number(i)));
    }
    QVERIFY(pixels(before, 9) != pixels(before, 0));

    QPalette palette = window.palette();
    palette.setColor(QPalette::WindowText, Qt::darkRed);
    window.setPalette(palette);
    const QImage after = render();
    QVERIFY(pixels(after, 0) != pixels(before, 0));
    for (int i = 1; i < cells.Count(); ++i) {
        if (i != 9)
            QVERIFY2(pixels(after, i) == pixels(after, 0), qPrintable(QString::number(i)));
    }
}

// The free cell first, then place by place the cells of both arrays there.
void TestCellGrid::readAsStaticTextsInPlaceOrder()
{
    Window w;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w.grid);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Pane);
    const QList<AccessibleNode> children = AccessibleChildren(w.grid);
    QStringList names;
    for (const AccessibleNode &child : children) {
        names << child.name;
        QCOMPARE(child.role, QAccessible::StaticText);
    }
    QCOMPARE(names, QStringList({"Title", "1", "v0", "2", "v1", "3", "v2", "4", "v3", "5", "v4", "6", "v5"}));
    QCOMPARE(w.grid->AccessibleCell(10), w.values[4]);
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        QCOMPARE(iface->indexOfChild(child), i);
        QCOMPARE(child->parent()->object(), w.grid);
        QCOMPARE(child->childCount(), 0);
        QVERIFY(!child->state().focusable);
        QCOMPARE(iface->child(i), child); // made once, then kept
        QCOMPARE(w.grid->AccessibleIndex(w.grid->AccessibleCell(i)), i);
    }
    // The window lists the grid among its children.
    const QList<AccessibleNode> top = AccessibleChildren(&w);
    QCOMPARE(top.size(), 1);
    QCOMPARE(top[0].object, w.grid);
}

void TestCellGrid::readableWhereTheyStandAndAsShown()
{
    Window w;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w.grid);
    QAccessibleInterface *value4 = iface->child(10);
    QCOMPARE(value4->rect(), OnScreen(w, w.values[4]));
    QCOMPARE(value4->rect(), QRect(w.mapToGlobal(QPoint(81, 50)), QSize(28, 15)));
    const QPoint shared = w.mapToGlobal(QPoint(31, 44));
    QCOMPARE(iface->childAt(shared.x(), shared.y()), iface->child(2)); // the value cell on top
    const QPoint gap = w.mapToGlobal(QPoint(20, 47));
    QCOMPARE(iface->childAt(gap.x(), gap.y()), nullptr);
    QVERIFY(!value4->state().invisible);
    w.values[4].SetVisible(false);
    QVERIFY(value4->state().invisible);
    w.values[4].SetVisible(true);
    w.hide();
    QVERIFY(value4->state().invisible);
}

// One event per change of caption or description, about the cell's child, carrying what
// a tool reads then; nothing when the text stays, nothing for a colour. A cell no tool
// has read yet is not announced: a tool that reads it later reads its text then.
void TestCellGrid::changesAreAnnounced()
{
    Window w;
    AccessibilityOn on;
    QVERIFY(QAccessible::isActive());
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w.grid);
    const int unread = w.grid->AccessibleIndex(w.values[5]);
    for (int i = 0; i < iface->childCount(); ++i) {
        if (i != unread)
            QVERIFY(iface->child(i));
    }
    w.values[5].SetCaption(QStringLiteral("D:03.1"));
    w.values[4].SetCaption(QStringLiteral("D:02.1"));
    w.values[4].SetCaption(QStringLiteral("D:02.1"));
    w.title.SetCaption(QStringLiteral("Other"));
    w.values[4].SetBackColor(Qt::green);
    w.numbers[1].SetDescription(QStringLiteral("Front wash"));
    w.numbers[1].SetDescription(QStringLiteral("Front wash"));
    w.numbers[2].SetVisible(false);

    QList<std::tuple<QObject *, QAccessible::Event, int, QString>> heard;
    for (const AccessibilityOn::Announced &e : on.Events())
        heard.append({e.object.data(), e.type, e.child, e.name});
    const QList<std::tuple<QObject *, QAccessible::Event, int, QString>> expected{
        {w.grid, QAccessible::NameChanged, 10, "D:02.1"},
        {w.grid, QAccessible::NameChanged, 0, "Other"},
        {w.grid, QAccessible::DescriptionChanged, 3, "2"},
        {w.grid, QAccessible::ObjectHide, 5, "3"},
    };
    QCOMPARE(heard, expected);
    QCOMPARE(iface->child(3)->text(QAccessible::Description), QStringLiteral("Front wash"));
    QCOMPARE(iface->child(unread)->text(QAccessible::Name), QStringLiteral("D:03.1"));
    w.values[5].SetCaption(QStringLiteral("D:03.2"));
    QCOMPARE(on.Events().size(), expected.size() + 1);
    QCOMPARE(on.Events().last().child, unread);
    QCOMPARE(on.Events().last().name, QStringLiteral("D:03.2"));
}

// A tool reading the grid while it is built: the cells added after it read the first are
// its children as well, read and then announced like the first.
void TestCellGrid::cellsAddedAfterAToolReadTheGrid()
{
    AccessibilityOn on;
    QWidget w;
    auto *grid = new CellGrid({10, 30, 50, 20, 3, 2}, &w);
    const Cell title = grid->AddCell({QRect(10, 5, 60, 18), QFont(), Qt::cyan});
    title.SetCaption(QStringLiteral("Title"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(grid);
    QCOMPARE(iface->childCount(), 1);
    QCOMPARE(iface->child(0)->text(QAccessible::Name), QStringLiteral("Title"));
    const CellArray numbers = grid->AddPitchedArray({QRect(2, 0, 20, 15), QFont(), Qt::yellow});
    for (int i = 0; i < 6; ++i)
        numbers[i].SetCaption(QString::number(i + 1));
    QCOMPARE(iface->childCount(), 7);
    for (int i = 1; i < 7; ++i) {
        QCOMPARE(iface->child(i)->text(QAccessible::Name), QString::number(i));
        QCOMPARE(iface->indexOfChild(iface->child(i)), i);
    }
    for (int i = 0; i < 6; ++i)
        numbers[i].SetCaption(QString::number(i + 11));
    QCOMPARE(on.Events().size(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(on.Events()[i].child, i + 1);
        QCOMPARE(on.Events()[i].name, QString::number(i + 11));
        QCOMPARE(iface->child(i + 1)->text(QAccessible::Name), on.Events()[i].name);
    }
}

// The pointer resting on a cell with a description shows it; elsewhere nothing.
void TestCellGrid::descriptionIsTheTooltip()
{
    Window w;
    w.values[4].SetDescription(QStringLiteral("Cyc 🎭 left"));
    auto tooltipAt = [&](QPoint at) {
        QHelpEvent help(QEvent::ToolTip, at, w.grid->mapToGlobal(at));
        QApplication::sendEvent(w.grid, &help);
        const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
        // Hidden at once: Qt's own hiding waits for a timer.
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->inherits("QTipLabel"))
                top->close();
        }
        return text;
    };
    QCOMPARE(tooltipAt(QPoint(85, 55)), QStringLiteral("Cyc 🎭 left"));
    QCOMPARE(tooltipAt(QPoint(85, 35)), QString());
    QCOMPARE(tooltipAt(QPoint(20, 47)), QString());
    w.values[4].SetDescription(QString());
    QCOMPARE(tooltipAt(QPoint(85, 55)), QString());
}

QTEST_MAIN(TestCellGrid)
#include "test_cellgrid.moc"
