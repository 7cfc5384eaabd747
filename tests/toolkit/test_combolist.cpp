// The drop-down list's selection events: the handler runs for every change of the
// selected index, nested inside the assignment, and for nothing else.
#include "toolkit/ComboList.h"

#include "kit/Wheel.h"

#include <QAbstractItemView>
#include <QPushButton>
#include <QTest>

using toolkit::ComboList;

class TestComboList : public QObject {
    Q_OBJECT
private slots:
    void handlerRunsOnlyOnChanges();
    void handlerRunsNestedInsideTheAssignment();
    void userPickRunsTheHandler();
    void wheelLeavesAListWithoutFocusAlone();
    void wheelStepsTheListThatHasTheFocus_data();
    void wheelStepsTheListThatHasTheFocus();
};

namespace {

// A window with a button, holding the focus, and a list of five entries with entry 2 selected.
struct ListWindow {
    QWidget top;
    QPushButton *button = new QPushButton(QStringLiteral("b"), &top);
    ComboList *list = new ComboList(&top);
    int runs = 0;
    ListWindow()
    {
        button->setGeometry(0, 0, 60, 24);
        list->setGeometry(70, 0, 80, 24);
        for (const char *t : {"a", "b", "c", "d", "e"})
            list->AddItem(QString::fromLatin1(t));
        list->SetListIndex(2);
        list->SetClickHandler([this] { ++runs; });
        top.show();
        if (!QTest::qWaitForWindowExposed(&top))
            qWarning("window not exposed");
        top.activateWindow();
        button->setFocus();
    }
};

} // namespace

void TestComboList::handlerRunsOnlyOnChanges()
{
    ComboList list;
    QList<int> seen;
    list.SetClickHandler([&] { seen << list.ListIndex(); });

    list.AddItem(QStringLiteral("a"));
    list.AddItem(QStringLiteral("b"));
    list.AddItem(QStringLiteral("c"));
    QCOMPARE(list.ListIndex(), -1); // appending selects nothing
    QCOMPARE(list.ListCount(), 3);
    QVERIFY(seen.isEmpty());

    list.SetListIndex(0);
    list.SetListIndex(0); // already selected: nothing
    list.SetListIndex(2);
    QCOMPARE(seen, QList<int>({0, 2}));

    list.Clear(); // emptying: nothing
    QCOMPARE(list.ListIndex(), -1);
    list.AddItem(QStringLiteral("x"));
    list.SetListIndex(0); // after emptying, index 0 is a change again
    QCOMPARE(seen, QList<int>({0, 2, 0}));
    QCOMPARE(list.List(0), QStringLiteral("x"));
}

void TestComboList::handlerRunsNestedInsideTheAssignment()
{
    ComboList list;
    for (const char *t : {"a", "b"})
        list.AddItem(QString::fromLatin1(t));
    QStringList order;
    list.SetClickHandler([&] { order << QStringLiteral("handler"); });
    order << QStringLiteral("before");
    list.SetListIndex(1);
    order << QStringLiteral("after");
    QCOMPARE(order, QStringList({"before", "handler", "after"}));
}

void TestComboList::userPickRunsTheHandler()
{
    ComboList list;
    for (const char *t : {"a", "b", "c"})
        list.AddItem(QString::fromLatin1(t));
    list.SetListIndex(0);
    int runs = 0;
    list.SetClickHandler([&] { ++runs; });
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down); // the keyboard picks the next entry, as a user would
    QCOMPARE(list.ListIndex(), 1);
    QCOMPARE(runs, 1);
}

// Scrolling past a list changes nothing: not its entry, not the focus, no handler.
void TestComboList::wheelLeavesAListWithoutFocusAlone()
{
    ListWindow w;
    QVERIFY(w.button->hasFocus());
    TurnWheel(w.list, -1);
    TurnWheel(w.list, 1);
    TurnWheel(w.list, -3);
    QCOMPARE(w.list->ListIndex(), 2);
    QCOMPARE(w.runs, 0);
    QVERIFY(w.button->hasFocus());
    QVERIFY(!w.list->hasFocus());
}

void TestComboList::wheelStepsTheListThatHasTheFocus_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("tab") << "tab";
    QTest::newRow("click") << "click";
}

// A list that has the focus, by Tab or by a click, steps one entry per notch.
void TestComboList::wheelStepsTheListThatHasTheFocus()
{
    QFETCH(QString, how);
    ListWindow w;
    if (how == "tab") {
        QTest::keyClick(w.button, Qt::Key_Tab);
    } else {
        QTest::mouseClick(w.top.windowHandle(), Qt::LeftButton, {}, w.list->geometry().center());
        QVERIFY(w.list->view()->isVisible()); // the click opened the list; Escape closes it
        QTest::keyClick(w.list->view(), Qt::Key_Escape);
        QVERIFY(!w.list->view()->window()->isVisible());
    }
    QVERIFY(w.list->hasFocus());
    const int runsBefore = w.runs;
    TurnWheel(w.list, -1);
    QCOMPARE(w.list->ListIndex(), 3);
    QCOMPARE(w.runs, runsBefore + 1);
    TurnWheel(w.list, 1);
    QCOMPARE(w.list->ListIndex(), 2);
    QCOMPARE(w.runs, runsBefore + 2);
}

QTEST_MAIN(TestComboList)
#include "test_combolist.moc"
