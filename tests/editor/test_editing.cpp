// Choosing outputs, device address and range, and the three range commands.
#include "AccessibleGrid.h"
#include "EditorFixture.h"

#include "document/OutputLabel.h"
#include "kit/Wheel.h"
#include "toolkit/CallTrace.h"
#include "toolkit/MsgBox.h"

#include <QPushButton>

using namespace modCVDMXMap;

namespace {
const QString kMessageA = QStringLiteral("First Value Is NONE\r\nCan Not Copy In Sequence?");
const QString kMessageB = QStringLiteral("Sequence Past End Of Outputs\r\nCopy Terminated");
} // namespace

class TestEditing : public QObject {
    Q_OBJECT
private slots:
    void choosingAnOutputStoresIt_data();
    void choosingAnOutputStoresIt();
    void deviceAddressRenumbersEveryCell();
    void deviceRangeIsStoredWithoutMarkingTheMap();
    void refreshAfterBothDeviceEntriesChangedNestsThreeDeep();
    void rangeCommands_data();
    void rangeCommands();
    void sequenceIsHeardByAScreenReader();
    void wheelStepsADeviceListOnlyWithTheFocus();
};

void TestEditing::choosingAnOutputStoresIt_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("text");
    QTest::newRow("None") << 0 << 0 << 255 << "- - -";
    QTest::newRow("first output") << 0 << 1 << 0 << "D:01.1";
    QTest::newRow("output 5 of address 1") << 0 << 5 << 4 << "D:02.1";
    QTest::newRow("last output") << 0 << 64 << 63 << "D:10.4";
    QTest::newRow("a - - - entry under address 16") << 15 << 5 << 4 << "- - -";
    QTest::newRow("address 16, first") << 15 << 1 << 0 << "D:10.1";
}

void TestEditing::choosingAnOutputStoresIt()
{
    QFETCH(int, address);
    QFETCH(int, index);
    EditorFixture f;
    f.w->cboDevAdd->SetListIndex(address);
    iDmxMap[99] = 17;
    f.Press(99, Qt::LeftButton);
    QCOMPARE(f.w->cboDimChan->ListIndex(), 18);
    f.w->cboDimChan->SetListIndex(index);
    QFETCH(int, stored);
    QCOMPARE(int(iDmxMap[99]), stored);
    QFETCH(QString, text);
    QCOMPARE(f.Text(99), text);
    QVERIFY(!f.w->cboDimChan->isVisible());
    QCOMPARE(bMapChanged, true);
    QCOMPARE(iDmxMap[98], int16_t(255));
    QCOMPARE(iDmxMap[100], int16_t(255));
}

void TestEditing::deviceAddressRenumbersEveryCell()
{
    EditorFixture f;
    iDmxMap[0] = 0;
    iDmxMap[1] = 43;
    iDmxMap[2] = 44;
    iDmxMap[511] = 3;
    f.w->ShowScreen();
    QCOMPARE(f.Text(1), QStringLiteral("D:0B.4"));
    f.Press(200, Qt::LeftButton);
    bMapChanged = false;

    f.w->cboDevAdd->SetListIndex(5);
    QCOMPARE(GetDevAdd(), int16_t(5));
    QCOMPARE(f.Text(0), QStringLiteral("D:06.1"));
    QCOMPARE(f.Text(1), QStringLiteral("D:10.4"));
    QCOMPARE(f.Text(2), QStringLiteral("- - -"));
    QCOMPARE(f.Text(511), QStringLiteral("D:06.4"));
    QCOMPARE(iDmxMap[2], int16_t(44)); // kept, only shown as no output
    QCOMPARE(bMapChanged, false);
    QVERIFY(!f.w->cboDimChan->isVisible());
}

void TestEditing::deviceRangeIsStoredWithoutMarkingTheMap()
{
    EditorFixture f;
    iDmxMap[0] = 6;
    f.w->cboDevRange->SetListIndex(12);
    QCOMPARE(GetDevRange(), int16_t(12));
    QCOMPARE(f.Text(0), QStringLiteral("D:02.3"));
    QCOMPARE(bMapChanged, false);
}

// After a file brings a new address and a new range, one refresh runs both handlers,
// the second inside the first: three refreshes active at once, and no deeper.
void TestEditing::refreshAfterBothDeviceEntriesChangedNestsThreeDeep()
{
    EditorFixture f;
    SetDevAdd(3);
    SetDevRange(9);
    iDmxMap[0] = 0;
    QStringList trace;
    toolkit::CallTrace::Install(&trace);
    f.w->ShowScreen();
    toolkit::CallTrace::Install(nullptr);
    QCOMPARE(trace,
             QStringList({
                 "ShowScreen",
                 "  cboDevAdd_Click",
                 "    ShowScreen",
                 "      cboDevRange_Click",
                 "        ShowScreen",
             }));
    QCOMPARE(f.w->cboDevAdd->ListIndex(), 3);
    QCOMPARE(f.w->cboDevRange->ListIndex(), 9);
    QCOMPARE(f.Text(0), QStringLiteral("D:04.1"));
    QCOMPARE(bMapChanged, false);
}

// Each row: entries written from channel index 'from' on, the range ends, the button,
// and then the entries expected from 'from' on, the messages and the changed flag.
void TestEditing::rangeCommands_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("changed");

    QTest::newRow("clear one channel") << 5 << QList<int>{255, 7, 255} << 6 << 6 << "clear" << QList<int>{255, 255, 255}
                                       << QStringList() << true;
    QTest::newRow("clear reversed range")
        << 5 << QList<int>{1, 2, 3, 4} << 7 << 5 << "clear" << QList<int>{255, 255, 255, 4} << QStringList() << true;
    QTest::newRow("copy one channel") << 5 << QList<int>{255, 7, 255} << 6 << 6 << "copy" << QList<int>{255, 7, 255}
                                      << QStringList() << true;
    QTest::newRow("copy from the smaller end") << 5 << QList<int>{9, 1, 2, 3, 4, 5, 6} << 10 << 5 << "copy"
                                               << QList<int>{9, 9, 9, 9, 9, 9, 6} << QStringList() << true;
    QTest::newRow("copy of none clears silently")
        << 5 << QList<int>{255, 1, 2} << 5 << 6 << "copy" << QList<int>{255, 255, 2} << QStringList() << true;
    QTest::newRow("copy keeps a foreign value")
        << 5 << QList<int>{300, 1} << 5 << 6 << "copy" << QList<int>{300, 300} << QStringList() << true;
    QTest::newRow("sequence one channel at 63")
        << 5 << QList<int>{63} << 5 << 5 << "seq" << QList<int>{63} << QStringList() << true;
    QTest::newRow("sequence reversed from the smaller end")
        << 5 << QList<int>{20, 1, 1, 1, 1, 255} << 10 << 5 << "seq" << QList<int>{20, 21, 22, 23, 24, 25}
        << QStringList() << true;
    QTest::newRow("sequence from 60 over six stops after 63")
        << 5 << QList<int>{60, 1, 1, 1, 7, 8} << 5 << 10 << "seq" << QList<int>{60, 61, 62, 63, 7, 8}
        << QStringList{kMessageB} << true;
    QTest::newRow("sequence from 61 over three ends at 63")
        << 5 << QList<int>{61, 1, 1, 1} << 5 << 7 << "seq" << QList<int>{61, 62, 63, 1} << QStringList() << true;
    QTest::newRow("sequence with first entry none")
        << 5 << QList<int>{255, 4, 4, 4, 4, 9} << 10 << 5 << "seq" << QList<int>{255, 4, 4, 4, 4, 9}
        << QStringList{kMessageA} << false;
    QTest::newRow("sequence with a foreign first entry")
        << 5 << QList<int>{64, 4} << 5 << 6 << "seq" << QList<int>{64, 4} << QStringList{kMessageA} << false;
    QTest::newRow("sequence with a negative first entry")
        << 5 << QList<int>{-1, 4} << 5 << 6 << "seq" << QList<int>{-1, 4} << QStringList{kMessageA} << false;
    QTest::newRow("sequence over all 512 from 0") << 0 << QList<int>{0} << 0 << 511 << "seq"
                                                  << QList<int>{0, 1, 2, 62, 63, 255} << QStringList{kMessageB} << true;
}

void TestEditing::rangeCommands()
{
    QFETCH(int, from);
    QFETCH(QList<int>, before);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, command);
    QFETCH(QList<int>, after);
    QFETCH(QStringList, messages);

    EditorFixture f;
    for (int k = 0; k < before.size(); ++k)
        iDmxMap[from + k] = int16_t(before[k]);
    f.w->ShowScreen();
    f.Press(start, Qt::RightButton);
    f.Press(end, Qt::RightButton, Qt::ShiftModifier);
    bMapChanged = false;
    f.boxes.Answer(QList<int>(messages.size(), toolkit::vbOK));
    const auto snapshot = iDmxMap;

    QPushButton *button = command == "clear" ? f.w->cmdMSClear : command == "copy" ? f.w->cmdMSCopy : f.w->cmdMSSeq;
    QTest::mouseClick(button, Qt::LeftButton);

    if (QByteArray(QTest::currentDataTag()) == "sequence over all 512 from 0") {
        for (int c = 0; c < kOutputs; ++c)
            QCOMPARE(int(iDmxMap[c]), c);
        for (int c = kOutputs; c < kChannels; ++c)
            QCOMPARE(iDmxMap[c], int16_t(255));
    } else {
        for (int k = 0; k < after.size(); ++k)
            QCOMPARE(int(iDmxMap[from + k]), after[k]);
        for (int c = 0; c < kEntries; ++c) {
            if (c < from || c >= from + after.size())
                QCOMPARE(iDmxMap[c], snapshot[c]);
        }
    }
    QList<ShownBox> expected;
    for (const QString &m : messages)
        expected.append({m, 64, QStringLiteral("Copy Error")});
    QCOMPARE(f.boxes.Shown(), expected);
    QCOMPARE(f.boxes.Unexpected(), 0);
    QFETCH(bool, changed);
    QCOMPARE(bMapChanged, changed);
    // The range and its buttons stay for the next command; the cells show the entries.
    QCOMPARE(f.w->bMSActive, true);
    QCOMPARE(int(f.w->iMSStart), start);
    QCOMPARE(int(f.w->iMSEnd), end);
    QVERIFY(f.w->cmdMSSeq->isVisible());
    for (int c = 0; c < kChannels; ++c)
        QCOMPARE(f.Text(c), OutputLabel(iDmxMap[c], 0));
}

// Sequence Values announces each cell whose output it changes, in channel order, and
// nothing for the cells whose output stays.
void TestEditing::sequenceIsHeardByAScreenReader()
{
    EditorFixture f;
    const QList<int> before{20, 1, 1, 255, 24, 9}; // channel 45 holds its sequence value already
    for (int k = 0; k < before.size(); ++k)
        iDmxMap[40 + k] = int16_t(before[k]);
    f.w->ShowScreen();
    f.Press(45, Qt::RightButton);
    f.Press(40, Qt::RightButton, Qt::ShiftModifier);
    AccessibilityOn on;
    QVERIFY(!AccessibleLabels(*f.w).isEmpty()); // the reader has read the grid
    QTest::mouseClick(f.w->cmdMSSeq, Qt::LeftButton);

    const QList<QPair<toolkit::Cell, QString>> expected{{f.w->lblDimChan[41], QStringLiteral("D:06.2")},
                                                        {f.w->lblDimChan[42], QStringLiteral("D:06.3")},
                                                        {f.w->lblDimChan[43], QStringLiteral("D:06.4")},
                                                        {f.w->lblDimChan[45], QStringLiteral("D:07.2")}};
    QCOMPARE(AnnouncedCells(on), expected);
    const QList<AccessibleNode> labels = AccessibleLabels(*f.w);
    QVERIFY(LabelsMatchTheGrid(*f.w, labels));
    for (int k = 0; k < before.size(); ++k)
        QCOMPARE(labels[3 + 2 * (40 + k)].name, OutputLabel(int16_t(20 + k), 0));
    QCOMPARE(labels[3 + 2 * 46].name, QStringLiteral("- - -"));
}

// The address list holds the focus after start-up, as the first control in tab order.
// Scrolling over the range list then changes nothing; once Tab has brought the focus to
// it, the wheel steps it and its handler stores the range, and scrolling over the address
// list, which has lost the focus, renumbers nothing.
void TestEditing::wheelStepsADeviceListOnlyWithTheFocus()
{
    EditorFixture f;
    iDmxMap[0] = 4;
    f.w->ShowScreen();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(f.w->cboDevAdd));
    QStringList trace;
    toolkit::CallTrace::Install(&trace);
    TurnWheel(f.w->cboDevRange, -1);
    TurnWheel(f.w->cboDevRange, -2);
    QCOMPARE(trace, QStringList());
    QCOMPARE(f.w->cboDevRange->ListIndex(), 0);
    QCOMPARE(GetDevRange(), int16_t(0));

    QTest::keyClick(f.w->cboDevAdd, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(f.w->cboDevRange));
    TurnWheel(f.w->cboDevRange, -1);
    QCOMPARE(trace, QStringList({"cboDevRange_Click", "  ShowScreen"}));
    QCOMPARE(GetDevRange(), int16_t(1));

    trace.clear();
    TurnWheel(f.w->cboDevAdd, -1);
    toolkit::CallTrace::Install(nullptr);
    QCOMPARE(trace, QStringList());
    QCOMPARE(f.w->cboDevAdd->ListIndex(), 0);
    QCOMPARE(GetDevAdd(), int16_t(0));
    QCOMPARE(f.Text(0), QStringLiteral("D:02.1"));
    QCOMPARE(bMapChanged, false);
}

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
