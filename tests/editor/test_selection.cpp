// Presses on the grid: the output chooser, the multi-select range and its colours.
#include "EditorFixture.h"

#include "kit/Wheel.h"
#include "toolkit/CallTrace.h"
#include "toolkit/Caption.h"

#include <QAccessible>
#include <QPushButton>
#include <QWindow>

using namespace modCVDMXMap;

class TestSelection : public QObject {
    Q_OBJECT
private slots:
    void leftPressOpensTheChooser_data();
    void leftPressOpensTheChooser();
    void chooserHoldsSixtyFiveEntries_data();
    void chooserHoldsSixtyFiveEntries();
    void chooserInTheLastColumnStaysInsideTheWindow();
    void pressSequences_data();
    void pressSequences();
    void leftPressEndsTheRange();
    void numberCellClickOpensTheChooserAndKeepsTheRange();
    void passiveAreasOnlyHideTheChooser_data();
    void passiveAreasOnlyHideTheChooser();
    void activationForgetsTheRangeButLeavesItPainted();
    void titleShowsTheFile();
    void titleShowsAPathLetterForLetter_data();
    void titleShowsAPathLetterForLetter();
    void wheelOverTheOpenChooserChangesNothing();
};

void TestSelection::leftPressOpensTheChooser_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("stored");
    QTest::newRow("none") << 255 << 0 << 255;
    QTest::newRow("output 0") << 0 << 1 << 0;
    QTest::newRow("output 63") << 63 << 64 << 63;
    QTest::newRow("100 becomes none") << 100 << 0 << 255;
    QTest::newRow("64 becomes none") << 64 << 0 << 255;
    QTest::newRow("-1 becomes none") << -1 << 0 << 255;
    QTest::newRow("-32768 becomes none") << -32768 << 0 << 255;
}

void TestSelection::leftPressOpensTheChooser()
{
    QFETCH(int, entry);
    EditorFixture f;
    iDmxMap[40] = int16_t(entry);
    f.Press(40, Qt::LeftButton);
    QCOMPARE(f.w->iCurChan, int16_t(40));
    QVERIFY(f.w->cboDimChan->isVisible());
    QCOMPARE(f.w->cboDimChan->pos(), f.w->lblDimChan[40].Rect().topLeft());
    QCOMPARE(f.w->cboDimChan->pos(), QPoint(122, 192));
    // It stands over the cells, where the next click reaches it.
    const QWidget *top = f.w->client->childAt(f.w->cboDimChan->geometry().center());
    QVERIFY(top == f.w->cboDimChan || f.w->cboDimChan->isAncestorOf(top));
    QFETCH(int, selected);
    QCOMPARE(f.w->cboDimChan->ListIndex(), selected);
    QFETCH(int, stored);
    QCOMPARE(int(iDmxMap[40]), stored);
    QCOMPARE(bMapChanged, true); // opening a channel marks the map changed
    QCOMPARE(f.boxes.Shown().size(), 0);
}

void TestSelection::chooserHoldsSixtyFiveEntries_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("entry1");
    QTest::addColumn<QString>("entry4");
    QTest::addColumn<QString>("entry5");
    QTest::addColumn<QString>("entry64");
    QTest::newRow("address 1") << 0 << "D:01.1"
                               << "D:01.4"
                               << "D:02.1"
                               << "D:10.4";
    QTest::newRow("address 6") << 5 << "D:06.1"
                               << "D:06.4"
                               << "D:07.1"
                               << "- - -";
    QTest::newRow("address 16") << 15 << "D:10.1"
                                << "D:10.4"
                                << "- - -"
                                << "- - -";
}

void TestSelection::chooserHoldsSixtyFiveEntries()
{
    EditorFixture f;
    QFETCH(int, address);
    f.w->cboDevAdd->SetListIndex(address);
    f.Press(0, Qt::LeftButton);
    QCOMPARE(f.w->cboDimChan->ListCount(), 65);
    QCOMPARE(f.w->cboDimChan->List(0), QStringLiteral("None"));
    QFETCH(QString, entry1);
    QCOMPARE(f.w->cboDimChan->List(1), entry1);
    QFETCH(QString, entry4);
    QCOMPARE(f.w->cboDimChan->List(4), entry4);
    QFETCH(QString, entry5);
    QCOMPARE(f.w->cboDimChan->List(5), entry5);
    QFETCH(QString, entry64);
    QCOMPARE(f.w->cboDimChan->List(64), entry64);
}

void TestSelection::chooserInTheLastColumnStaysInsideTheWindow()
{
    EditorFixture f;
    f.Press(511, Qt::LeftButton);
    QCOMPARE(f.w->cboDimChan->pos(), QPoint(1321 - 73, 652));
    QVERIFY(f.w->cboDimChan->geometry().right() < frmCVDMXMap::kClientWidth);
}

// Each row: presses as (cell, button, modifiers), then the expected range.
void TestSelection::pressSequences_data()
{
    QTest::addColumn<QList<QList<int>>>("presses");
    QTest::addColumn<bool>("active");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    const int R = Qt::RightButton, M = Qt::MiddleButton;
    const int S = Qt::ShiftModifier, C = Qt::ControlModifier, A = Qt::AltModifier;
    QTest::newRow("right press: one cell") << QList<QList<int>>{{7, R, 0}} << true << 7 << 7;
    QTest::newRow("right then shift+right backwards") << QList<QList<int>>{{10, R, 0}, {3, R, S}} << true << 10 << 3;
    QTest::newRow("right then ctrl+right forwards") << QList<QList<int>>{{3, R, 0}, {300, R, C}} << true << 3 << 300;
    QTest::newRow("alt+right moves the end again")
        << QList<QList<int>>{{3, R, 0}, {300, R, C}, {5, R, A}} << true << 3 << 5;
    QTest::newRow("shift+ctrl+right") << QList<QList<int>>{{20, R, 0}, {25, R, S | C}} << true << 20 << 25;
    QTest::newRow("middle press starts a range") << QList<QList<int>>{{9, M, 0}} << true << 9 << 9;
    QTest::newRow("a new anchor") << QList<QList<int>>{{10, R, 0}, {3, R, S}, {50, R, 0}} << true << 50 << 50;
    QTest::newRow("all 512") << QList<QList<int>>{{0, R, 0}, {511, R, S}} << true << 0 << 511;
    QTest::newRow("shift+right without a range") << QList<QList<int>>{{3, R, S}} << false << 0 << 0;
}

void TestSelection::pressSequences()
{
    QFETCH(QList<QList<int>>, presses);
    QFETCH(bool, active);
    QFETCH(int, start);
    QFETCH(int, end);
    EditorFixture f;
    f.Press(100, Qt::LeftButton); // the chooser stands open first
    const bool changedBefore = bMapChanged;
    for (const QList<int> &p : presses)
        f.Press(p[0], Qt::MouseButton(p[1]), Qt::KeyboardModifiers(p[2]));

    QVERIFY(!f.w->cboDimChan->isVisible());
    QCOMPARE(f.w->bMSActive, active);
    QCOMPARE(f.w->cmdMSClear->isVisible(), active);
    QCOMPARE(f.w->cmdMSCopy->isVisible(), active);
    QCOMPARE(f.w->cmdMSSeq->isVisible(), active);
    QCOMPARE(int(f.w->iMSStart), start);
    QCOMPARE(int(f.w->iMSEnd), end);
    QCOMPARE(f.w->iCurChan, int16_t(100));
    const int lo = std::min(start, end), hi = std::max(start, end);
    for (int i = 0; i < kChannels; ++i) {
        const QColor expected = !active ? kPale : (i < lo || i > hi) ? kGrey : i == lo ? kWhiteCell : kPale;
        QCOMPARE(f.Colour(i), expected);
    }
    QCOMPARE(bMapChanged, changedBefore);
}

void TestSelection::leftPressEndsTheRange()
{
    EditorFixture f;
    f.Press(10, Qt::RightButton);
    f.Press(3, Qt::RightButton, Qt::ShiftModifier);
    f.Press(200, Qt::LeftButton);
    QCOMPARE(f.w->bMSActive, false);
    for (int i = 0; i < kChannels; ++i)
        QCOMPARE(f.Colour(i), kPale);
    QVERIFY(!f.w->cmdMSClear->isVisible());
    QVERIFY(!f.w->cmdMSCopy->isVisible());
    QVERIFY(!f.w->cmdMSSeq->isVisible());
    QVERIFY(f.w->cboDimChan->isVisible());
    QCOMPARE(f.w->iCurChan, int16_t(200));
    // The range ends stay where they were; only the flag is off.
    QCOMPARE(f.w->iMSStart, int16_t(10));
    QCOMPARE(f.w->iMSEnd, int16_t(3));
}

void TestSelection::numberCellClickOpensTheChooserAndKeepsTheRange()
{
    EditorFixture f;
    f.Press(30, Qt::RightButton);
    f.Press(40, Qt::RightButton, Qt::ShiftModifier);
    iDmxMap[17] = 9;
    bMapChanged = false;
    f.Click(f.w->lblDMXChan[17]);
    QCOMPARE(f.w->iCurChan, int16_t(17));
    QVERIFY(f.w->cboDimChan->isVisible());
    QCOMPARE(f.w->cboDimChan->pos(), QPoint(40, 372));
    QCOMPARE(f.w->cboDimChan->ListIndex(), 10);
    QCOMPARE(bMapChanged, true);
    QCOMPARE(f.w->bMSActive, true);
    QCOMPARE(f.Colour(30), kWhiteCell);
    QCOMPARE(f.Colour(35), kPale);
    QCOMPARE(f.Colour(17), kGrey);
    QVERIFY(f.w->cmdMSSeq->isVisible());
}

void TestSelection::passiveAreasOnlyHideTheChooser_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("background click") << "click";
    QTest::newRow("background double click") << "dblclick";
    QTest::newRow("DMX Channel legend") << "header";
    QTest::newRow("Dimmer Output legend") << "label1";
}

void TestSelection::passiveAreasOnlyHideTheChooser()
{
    QFETCH(QString, where);
    EditorFixture f;
    f.Press(5, Qt::RightButton);
    f.Press(8, Qt::RightButton, Qt::AltModifier);
    f.Press(60, Qt::LeftButton);
    f.Press(5, Qt::RightButton);
    f.Press(8, Qt::RightButton, Qt::AltModifier);
    f.Click(f.w->lblDMXChan[60]);
    QVERIFY(f.w->cboDimChan->isVisible());
    const QPoint background(700, 30); // between the header row and the grid
    if (where == "click")
        f.Click(background);
    else if (where == "dblclick")
        Mouse(f.w->client).DoubleClick(background, Qt::LeftButton);
    else if (where == "header")
        f.Click(f.w->lblHeader);
    else
        f.Click(f.w->Label1);
    QVERIFY(!f.w->cboDimChan->isVisible());
    QCOMPARE(f.w->iCurChan, int16_t(60));
    QCOMPARE(f.w->bMSActive, true);
    QCOMPARE(f.Colour(5), kWhiteCell);
    QCOMPARE(f.Colour(8), kPale);
    QCOMPARE(f.Colour(9), kGrey);
    QVERIFY(f.w->cmdMSCopy->isVisible());
}

// Activation clears the flag without repainting: the old range stays on screen and
// its buttons still act on it, while a modifier press only hides the chooser.
void TestSelection::activationForgetsTheRangeButLeavesItPainted()
{
    EditorFixture f;
    iDmxMap[4] = 2;
    f.Press(4, Qt::RightButton);
    f.Press(6, Qt::RightButton, Qt::ShiftModifier);
    f.w->Form_Activate();
    QCOMPARE(f.w->bMSActive, false);
    QCOMPARE(f.Colour(4), kWhiteCell);
    QCOMPARE(f.Colour(7), kGrey);
    QVERIFY(f.w->cmdMSCopy->isVisible());

    f.Press(9, Qt::RightButton, Qt::ShiftModifier);
    QCOMPARE(f.w->iMSEnd, int16_t(6));
    QCOMPARE(f.Colour(9), kGrey);

    QTest::mouseClick(f.w->cmdMSCopy, Qt::LeftButton);
    QCOMPARE(iDmxMap[5], int16_t(2));
    QCOMPARE(iDmxMap[6], int16_t(2));
    QCOMPARE(iDmxMap[7], int16_t(255));
    QCOMPARE(f.Text(6), QStringLiteral("D:01.3"));
}

void TestSelection::titleShowsTheFile()
{
    EditorFixture f;
    sMapFile = QStringLiteral("/home/x/Stage Left.CVX");
    f.w->ShowScreen();
    QCOMPARE(f.w->windowTitle(), QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01   /home/x/Stage Left.CVX"));
    sMapFile = QStringLiteral("none"); // only the exact word marks an untitled map
    f.w->ShowScreen();
    QCOMPARE(f.w->windowTitle(), QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01   none"));
}

// After a left press the chooser stands under the pointer without the focus: scrolling
// on stores no other output and runs no handler.
void TestSelection::titleShowsAPathLetterForLetter_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("modified mark") << "/home/x/Stage[*].CVX";
    QTest::newRow("two marks") << "/home/x/[*][*]/a.CVX";
    QTest::newRow("three marks apart") << "/home/[*]x/[*]/b[*].CVX";
    QTest::newRow("mark in brackets") << "/home/x/[[*]]*].CVX";
    QTest::newRow("brackets without a mark") << "/home/x/[a]*.CVX";
}

// Qt would drop "[*]" from a title as the place of its modified-document mark: the title
// bar, the window's accessible name and the caption read back show the path whole.
void TestSelection::titleShowsAPathLetterForLetter()
{
    QFETCH(QString, path);
    EditorFixture f;
    f.w->setWindowModified(true); // the mark is never shown either
    sMapFile = path;
    f.w->ShowScreen();
    const QString expected = QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01   ") + path;
    QCOMPARE(f.w->windowHandle()->title(), expected);
    QCOMPARE(QAccessible::queryAccessibleInterface(f.w.get())->text(QAccessible::Name), expected);
    QCOMPARE(toolkit::Caption(f.w.get()), expected);
    QCOMPARE(sMainCaption, QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01"));
}

void TestSelection::wheelOverTheOpenChooserChangesNothing()
{
    EditorFixture f;
    iDmxMap[40] = 6;
    f.w->ShowScreen();
    f.Press(40, Qt::LeftButton);
    QCOMPARE(f.w->cboDimChan->ListIndex(), 7);
    bMapChanged = false;
    QStringList trace;
    toolkit::CallTrace::Install(&trace);
    TurnWheel(f.w->cboDimChan, -1);
    TurnWheel(f.w->cboDimChan, 2);
    toolkit::CallTrace::Install(nullptr);
    QCOMPARE(trace, QStringList());
    QCOMPARE(f.w->cboDimChan->ListIndex(), 7);
    QCOMPARE(iDmxMap[40], int16_t(6));
    QCOMPARE(f.Text(40), QStringLiteral("D:02.3"));
    QCOMPARE(bMapChanged, false);
    QVERIFY(f.w->cboDimChan->isVisible());
    QVERIFY(!f.w->cboDimChan->hasFocus());
}

QTEST_MAIN(TestSelection)
#include "test_selection.moc"
