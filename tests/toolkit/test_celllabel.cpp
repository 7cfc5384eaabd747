// The grid's label: what assistive tools read from it and hear from it.
#include "toolkit/CellLabel.h"

#include "kit/Accessibility.h"

#include <QTest>

using toolkit::CellLabel;

class TestCellLabel : public QObject {
    Q_OBJECT
private slots:
    void isAStaticTextNamedByItsCaption();
    void followsItsCellOnScreenAndInVisibility();
    void copiesAreReadableToo();
    void captionChangeIsAnnounced();
    void doubleClickIsOneMouseDownAndOneClick_data();
    void doubleClickIsOneMouseDownAndOneClick();
    void doubleClickWhoseFirstPressWentElsewhereIsAPress();
    void pressesApartAreEachAMouseDownAndAClick();
};

namespace {

struct Window {
    QWidget top;
    CellLabel *cell;
    QStringList events; // "down <button> <shift>" and "click", in order
    Window() : cell(new CellLabel(&top))
    {
        cell->onMouseDown = [this](int button, int shift, int, int) {
            events << QStringLiteral("down %1 %2").arg(button).arg(shift);
        };
        cell->onClick = [this] { events << QStringLiteral("click"); };
        top.resize(200, 100);
        cell->setGeometry(40, 32, 41, 17);
        cell->SetCaption(QStringLiteral("- - -"));
        top.show();
        if (!QTest::qWaitForWindowExposed(&top))
            qWarning("window not exposed");
    }
};

} // namespace

void TestCellLabel::isAStaticTextNamedByItsCaption()
{
    Window w;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w.cell);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::StaticText);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("- - -"));
    QCOMPARE(iface->parent()->object(), &w.top);
    QCOMPARE(iface->childCount(), 0);
    QVERIFY(!iface->state().focusable);
    for (const char *text : {"001", "D:02.1", "D:0A.4", "512", ""}) {
        w.cell->SetCaption(QString::fromLatin1(text));
        QCOMPARE(iface->text(QAccessible::Name), QString::fromLatin1(text));
    }
    // The window lists it among its children, under the same interface.
    const QList<AccessibleNode> children = AccessibleChildren(&w.top);
    QCOMPARE(children.size(), 1);
    QCOMPARE(children[0].object, w.cell);
    QCOMPARE(children[0].role, QAccessible::StaticText);
}

void TestCellLabel::followsItsCellOnScreenAndInVisibility()
{
    Window w;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w.cell);
    QCOMPARE(iface->rect(), QRect(w.top.mapToGlobal(QPoint(40, 32)), QSize(41, 17)));
    QVERIFY(!iface->state().invisible);
    w.cell->move(122, 192);
    QCOMPARE(iface->rect(), QRect(w.top.mapToGlobal(QPoint(122, 192)), QSize(41, 17)));
    w.cell->hide();
    QVERIFY(iface->state().invisible);
    w.cell->show();
    QVERIFY(!iface->state().invisible);
}

void TestCellLabel::copiesAreReadableToo()
{
    Window w;
    CellLabel *copy = w.cell->Copy();
    copy->SetCaption(QStringLiteral("002"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(copy);
    QCOMPARE(iface->role(), QAccessible::StaticText);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("002"));
    QVERIFY(iface->state().invisible); // a copy starts hidden
    copy->show();
    QVERIFY(!iface->state().invisible);
    QCOMPARE(AccessibleChildren(&w.top).size(), 2);
}

// One name-changed event per change of text, carrying the new text; none when the
// text stays, and none from a cell whose text did not change.
void TestCellLabel::captionChangeIsAnnounced()
{
    Window w;
    CellLabel *other = w.cell->Copy();
    other->SetCaption(QStringLiteral("D:01.1"));
    other->show();
    AccessibilityOn on;
    QVERIFY(QAccessible::isActive());

    w.cell->SetCaption(QStringLiteral("D:02.1"));
    w.cell->SetCaption(QStringLiteral("D:02.1"));
    w.cell->SetCaption(QStringLiteral("- - -"));
    other->SetCaption(QStringLiteral("D:01.1"));

    const QList<AccessibilityOn::Announced> names = on.Events(QAccessible::NameChanged);
    QCOMPARE(names.size(), 2);
    QCOMPARE(names[0].object.data(), w.cell);
    QCOMPARE(names[0].name, QStringLiteral("D:02.1"));
    QCOMPARE(names[1].object.data(), w.cell);
    QCOMPARE(names[1].name, QStringLiteral("- - -"));
    // A colour change is not a change of name.
    on.Clear();
    w.cell->SetBackColor(Qt::white);
    QCOMPARE(on.Events(QAccessible::NameChanged).size(), 0);
}

void TestCellLabel::doubleClickIsOneMouseDownAndOneClick_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("left") << int(Qt::LeftButton) << 0 << QStringList{"down 1 0", "click"};
    QTest::newRow("right") << int(Qt::RightButton) << 0 << QStringList{"down 2 0"};
    QTest::newRow("shift + right") << int(Qt::RightButton) << int(Qt::ShiftModifier) << QStringList{"down 2 1"};
    QTest::newRow("middle") << int(Qt::MiddleButton) << 0 << QStringList{"down 4 0"};
}

// A double click through the window, as the mouse makes it: press, release, then the
// second press, which Qt delivers as a double click, and its release.
void TestCellLabel::doubleClickIsOneMouseDownAndOneClick()
{
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(QStringList, expected);
    Window w;
    QTest::mouseDClick(w.top.windowHandle(), Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers), QPoint(45, 37));
    QCOMPARE(w.events, expected);
    // The next press after the double click is a new one.
    w.events.clear();
    QTest::mouseClick(w.top.windowHandle(), Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers), QPoint(45, 37));
    QCOMPARE(w.events, expected);
}

// Qt makes a double click of two presses a few pixels apart; when the first went to the
// neighbouring cell, the second is this cell's own first press.
void TestCellLabel::doubleClickWhoseFirstPressWentElsewhereIsAPress()
{
    Window w;
    CellLabel *neighbour = w.cell->Copy();
    neighbour->move(8, 32);
    neighbour->show();
    int neighbourDowns = 0;
    neighbour->onMouseDown = [&](int, int, int, int) { ++neighbourDowns; };
    QTest::mousePress(neighbour, Qt::LeftButton, {}, QPoint(31, 5));
    QTest::mouseRelease(neighbour, Qt::LeftButton, {}, QPoint(31, 5));
    QTest::mouseDClick(w.cell, Qt::LeftButton, {}, QPoint(1, 5));
    QTest::mouseRelease(w.cell, Qt::LeftButton, {}, QPoint(1, 5));
    QCOMPARE(neighbourDowns, 1);
    QCOMPARE(w.events, QStringList({"down 1 0", "click"}));
}

void TestCellLabel::pressesApartAreEachAMouseDownAndAClick()
{
    Window w;
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(w.top.windowHandle(), Qt::LeftButton, {}, QPoint(45, 37));
    QCOMPARE(w.events, QStringList({"down 1 0", "click", "down 1 0", "click", "down 1 0", "click"}));
    // A release outside the label is no click.
    w.events.clear();
    QTest::mousePress(w.cell, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(w.cell, Qt::LeftButton, {}, QPoint(60, 5));
    QCOMPARE(w.events, QStringList({"down 1 0"}));
}

QTEST_MAIN(TestCellLabel)
#include "test_celllabel.moc"
