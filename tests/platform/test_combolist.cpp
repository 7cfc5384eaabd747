// The drop-down list's selection events: the handler runs for every change of the
// selected index, nested inside the assignment, and for nothing else.
#include "platform/ComboList.h"

#include <QTest>

using platform::ComboList;

class ComboListTest : public QObject {
    Q_OBJECT
private slots:
    void handlerRunsOnlyOnChanges();
    void handlerRunsNestedInsideTheAssignment();
    void userPickRunsTheHandler();
};

void ComboListTest::handlerRunsOnlyOnChanges()
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

void ComboListTest::handlerRunsNestedInsideTheAssignment()
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

void ComboListTest::userPickRunsTheHandler()
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

QTEST_MAIN(ComboListTest)
#include "test_combolist.moc"
