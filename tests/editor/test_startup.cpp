// What the main window holds after start-up, and the order in which start-up runs.
#include "AccessibleGrid.h"
#include "EditorFixture.h"

#include "document/OutputLabel.h"
#include "toolkit/CallTrace.h"

#include <QFile>
#include <QFontMetrics>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWindow>
#include <optional>

using namespace modCVDMXMap;

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void startupState();
    void cellPositions_data();
    void cellPositions();
    void deviceListTexts_data();
    void deviceListTexts();
    void windowPlacementAndDesign();
    void placedByItsOuterSizeBeforeItIsShown();
    void everyTextFitsItsControl();
    void startupCreatesFolderAndSettings();
    void storedPortIsKept();
    void startupOrderAndNesting();
    void gridIsReadableByAssistiveTools_data();
    void gridIsReadableByAssistiveTools();
};

void TestStartup::startupState()
{
    EditorFixture f;
    frmCVDMXMap &w = *f.w;
    QCOMPARE(w.windowTitle(), QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01   (None)"));
    QCOMPARE(sMainCaption, QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01"));
    QCOMPARE(w.cboDevAdd->ListIndex(), 0);
    QCOMPARE(w.cboDevRange->ListIndex(), 0);
    QCOMPARE(w.cboDevAdd->currentText(), QStringLiteral("Device Address: 01"));
    QCOMPARE(w.cboDevRange->currentText(), QStringLiteral("Device Range: 1 / Switch Setting: 0"));
    for (int i = 0; i < kChannels; ++i) {
        QCOMPARE(f.Text(i), QStringLiteral("- - -"));
        QCOMPARE(f.Colour(i), kPale);
        QCOMPARE(w.lblDMXChan[i].BackColor(), QColor(0x80, 0xFF, 0xFF));
        QVERIFY(w.lblDMXChan[i].Visible());
        QVERIFY(w.lblDimChan[i].Visible());
        QCOMPARE(iDmxMap[i], int16_t(255));
    }
    QVERIFY(w.grid->isVisible());
    QVERIFY(!w.cboDimChan->isVisible());
    QVERIFY(!w.cmdMSClear->isVisible());
    QVERIFY(!w.cmdMSCopy->isVisible());
    QVERIFY(!w.cmdMSSeq->isVisible());
    QCOMPARE(w.iCurChan, int16_t(0));
    QCOMPARE(w.iMSStart, int16_t(0));
    QCOMPARE(w.iMSEnd, int16_t(0));
    QCOMPARE(w.bMSActive, false);
    QCOMPARE(w.bExitRequested, false);
    QCOMPARE(w.bDialogPathSet, false);
    QCOMPARE(bMapChanged, false); // although both list handlers ran during loading
    QCOMPARE(GetDevAdd(), int16_t(0));
    QCOMPARE(GetDevRange(), int16_t(0));
    QCOMPARE(sMapFile, QStringLiteral("None"));
    QCOMPARE(f.boxes.Shown().size(), 0);
}

void TestStartup::cellPositions_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QPoint>("numberCell");
    QTest::addColumn<QPoint>("outputCell");
    QTest::newRow("1") << 1 << "001" << QPoint(8, 32) << QPoint(40, 32);
    QTest::newRow("10") << 10 << "010" << QPoint(8, 212) << QPoint(40, 212);
    QTest::newRow("32") << 32 << "032" << QPoint(8, 652) << QPoint(40, 652);
    QTest::newRow("33") << 33 << "033" << QPoint(90, 32) << QPoint(122, 32);
    QTest::newRow("100") << 100 << "100" << QPoint(254, 92) << QPoint(286, 92);
    QTest::newRow("512") << 512 << "512" << QPoint(1238, 652) << QPoint(1270, 652);
}

void TestStartup::cellPositions()
{
    EditorFixture f;
    QFETCH(int, channel);
    const int i = channel - 1;
    QFETCH(QString, number);
    QCOMPARE(f.w->lblDMXChan[i].Caption(), number);
    QFETCH(QPoint, numberCell);
    QCOMPARE(f.w->lblDMXChan[i].Rect(), QRect(numberCell, QSize(33, 17)));
    QFETCH(QPoint, outputCell);
    QCOMPARE(f.w->lblDimChan[i].Rect(), QRect(outputCell, QSize(41, 17)));
    QCOMPARE(f.w->grid->geometry(), f.w->client->rect()); // so the cells' pixels are the client area's
}

void TestStartup::deviceListTexts_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("range");
    QTest::newRow("0") << 0 << "Device Address: 01"
                       << "Device Range: 1 / Switch Setting: 0";
    QTest::newRow("9") << 9 << "Device Address: 0A"
                       << "Device Range: 10 / Switch Setting: 9";
    QTest::newRow("15") << 15 << "Device Address: 10"
                        << "Device Range: 16 / Switch Setting: F";
}

void TestStartup::deviceListTexts()
{
    EditorFixture f;
    QCOMPARE(f.w->cboDevAdd->ListCount(), 16);
    QCOMPARE(f.w->cboDevRange->ListCount(), 16);
    QFETCH(int, index);
    QFETCH(QString, address);
    QCOMPARE(f.w->cboDevAdd->List(index), address);
    QFETCH(QString, range);
    QCOMPARE(f.w->cboDevRange->List(index), range);
}

void TestStartup::windowPlacementAndDesign()
{
    EditorFixture f;
    frmCVDMXMap &w = *f.w;
    QCOMPARE(w.client->size(), QSize(1321, 673));
    QCOMPARE(w.client->palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(w.frameGeometry().top(), w.screen()->geometry().top() + 4);
    const int screenWidth = w.screen()->geometry().width();
    QVERIFY(w.frameGeometry().width() > w.width()); // the platform gives it a frame
    QVERIFY(qAbs(w.frameGeometry().left() - (screenWidth - w.frameGeometry().width()) / 2.0) <= 0.5);
    QCOMPARE(w.cboDevAdd->geometry(), QRect(8, 0, 129, 21));
    QCOMPARE(w.cboDevRange->geometry(), QRect(144, 0, 209, 21));
    QCOMPARE(w.lblHeader.Rect(), QRect(400, 0, 97, 21));
    QCOMPARE(w.lblHeader.Caption(), QStringLiteral("DMX Channel"));
    QCOMPARE(w.lblHeader.BackColor(), QColor(0x80, 0xFF, 0xFF));
    QCOMPARE(w.Label1.Rect(), QRect(496, 0, 105, 21));
    QCOMPARE(w.Label1.Caption(), QStringLiteral("Dimmer Output"));
    QCOMPARE(w.Label1.BackColor(), QColor(0xFF, 0xFF, 0xC0));
    QCOMPARE(w.cmdMSClear->geometry(), QRect(1008, 0, 97, 25));
    QCOMPARE(w.cmdMSClear->text(), QStringLiteral("Clear Values"));
    QCOMPARE(w.cmdMSCopy->geometry(), QRect(1112, 0, 97, 25));
    QCOMPARE(w.cmdMSCopy->text(), QStringLiteral("Copy Values"));
    QCOMPARE(w.cmdMSSeq->geometry(), QRect(1216, 0, 97, 25));
    QCOMPARE(w.cmdMSSeq->text(), QStringLiteral("Sequence Values"));
    QCOMPARE(w.cboDimChan->size(), QSize(73, 21));

    QStringList menus;
    for (QAction *a : w.menuBar()->actions())
        menus << a->text();
    QCOMPARE(menus, QStringList({"File", "Download"}));
    QStringList items;
    for (QAction *a : w.mnuFile->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(items, QStringList({"New", "Open", "Save", "Save As", "-", "Exit"}));
    for (QAction *a : w.mnuFile->actions())
        QVERIFY(a->shortcut().isEmpty());
    QVERIFY(!w.windowIcon().isNull());
}

// Loading places the window by its outer size, frame included, before it is first shown;
// showing it does not move it.
void TestStartup::placedByItsOuterSizeBeforeItIsShown()
{
    TempHome home;
    MsgBoxScript boxes;
    frmCVDMXMap w;
    const QRect loaded = w.frameGeometry();
    const QRect screen = w.screen()->geometry();
    const QMargins frame = w.windowHandle()->frameMargins();
    QVERIFY(frame.left() + frame.right() > 0);
    QVERIFY2(screen.width() >= loaded.width(), "the test screen (tests/offscreen.json) must hold the window");
    QCOMPARE(loaded.size(), w.size() + QSize(frame.left() + frame.right(), frame.top() + frame.bottom()));
    QCOMPARE(loaded.top(), screen.top() + 4);
    QVERIFY(qAbs(loaded.left() - screen.left() - (screen.width() - loaded.width()) / 2.0) <= 0.5);
    w.ShowAndActivate();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.frameGeometry(), loaded);
}

// The fonts must show every output text whole in a 41-pixel cell and every range
// button's caption inside its frame.
void TestStartup::everyTextFitsItsControl()
{
    EditorFixture f;
    const QFontMetrics metrics(f.w->lblDimChan[0].Font());
    int widest = 0;
    for (int a = 0; a < kDevices; ++a)
        for (int v = 0; v < kOutputs; ++v)
            widest = std::max(widest, metrics.horizontalAdvance(OutputLabel(int16_t(v), a)));
    QVERIFY2(widest <= 41, qPrintable(QStringLiteral("widest output text is %1 px").arg(widest)));
    const QFontMetrics numbers(f.w->lblDMXChan[0].Font());
    QVERIFY(numbers.horizontalAdvance(QStringLiteral("888")) <= 33);
    // The range buttons are 97 pixels wide: their captions must fit inside the frame.
    for (QPushButton *button : {f.w->cmdMSClear, f.w->cmdMSCopy, f.w->cmdMSSeq}) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const int width = button->fontMetrics().horizontalAdvance(button->text());
        QVERIFY2(width <= contents.width(),
                 qPrintable(
                     QStringLiteral("\"%1\" is %2 px in %3 px").arg(button->text()).arg(width).arg(contents.width())));
    }
}

void TestStartup::startupCreatesFolderAndSettings()
{
    EditorFixture f;
    QVERIFY(QFileInfo(f.home.WorkFolder()).isDir());
    QCOMPARE(f.home.ReadSettings(), QByteArray("[Download]\nCom Port=1\n"));
    QCOMPARE(int(iComPort), 0);
}

void TestStartup::storedPortIsKept()
{
    TempHome home;
    home.WriteSettings("[Download]\r\nCom Port=8\r\n");
    MsgBoxScript boxes;
    frmCVDMXMap w;
    QCOMPARE(int(iComPort), 7);
    QCOMPARE(home.ReadSettings(), QByteArray("[Download]\r\nCom Port=8\r\n"));
    QCOMPARE(boxes.Shown().size(), 0);
}

// Both device lists are filled and set to entry 0 while loading: the address handler
// runs, its refresh sets the range list, whose handler runs a second refresh inside it.
void TestStartup::startupOrderAndNesting()
{
    TempHome home;
    MsgBoxScript boxes;
    QStringList trace;
    toolkit::CallTrace::Install(&trace);
    frmCVDMXMap w;
    w.ShowAndActivate();
    toolkit::CallTrace::Install(nullptr);
    QCOMPARE(trace,
             QStringList({
                 "Form_Load",
                 "  cboDevAdd_Click",
                 "    ShowScreen",
                 "      cboDevRange_Click",
                 "        ShowScreen",
                 "Form_Activate",
                 "  ShowScreen",
             }));
}

// A screen reader walking the window finds the two legends and then, channel by channel,
// a label for the number and one for the output, each named by its text and placed on
// the screen where the cell stands: a reader started after the window, or one listening
// while the window is built, which reads the grid before all its cells are there.
void TestStartup::gridIsReadableByAssistiveTools_data()
{
    QTest::addColumn<bool>("listeningFirst");
    QTest::newRow("reader started after the window") << false;
    QTest::newRow("reader listening while the window is built") << true;
}

void TestStartup::gridIsReadableByAssistiveTools()
{
    QFETCH(bool, listeningFirst);
    std::optional<AccessibilityOn> on;
    if (listeningFirst)
        on.emplace();
    EditorFixture f;
    frmCVDMXMap &w = *f.w;
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&w);
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("QRT Corvanta DMX Output Map   Rev 1.01   (None)"));

    const QList<AccessibleNode> labels = AccessibleLabels(w);
    QCOMPARE(labels.size(), 1026);
    const QPoint origin = w.client->mapToGlobal(QPoint(0, 0));
    QCOMPARE(labels[0].name, QStringLiteral("DMX Channel"));
    QCOMPARE(labels[0].rect, QRect(origin + QPoint(400, 0), QSize(97, 21)));
    QCOMPARE(labels[1].name, QStringLiteral("Dimmer Output"));
    QCOMPARE(labels[1].rect, QRect(origin + QPoint(496, 0), QSize(105, 21)));
    for (int i = 0; i < kChannels; ++i) {
        const AccessibleNode &number = labels[2 + 2 * i];
        const AccessibleNode &output = labels[3 + 2 * i];
        QCOMPARE(number.name, QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0')));
        QCOMPARE(number.rect, QRect(origin + QPoint((i / 32) * 82 + 8, (i % 32) * 20 + 32), QSize(33, 17)));
        QCOMPARE(output.name, QStringLiteral("- - -"));
        QCOMPARE(output.rect, QRect(origin + QPoint((i / 32) * 82 + 40, (i % 32) * 20 + 32), QSize(41, 17)));
        QVERIFY(!number.invisible);
        QVERIFY(!output.invisible);
    }
    QVERIFY(LabelsMatchTheGrid(w, labels));
    // The controls keep their own roles.
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(w.cboDevAdd);
    QCOMPARE(list->role(), QAccessible::ComboBox);
    QCOMPARE(list->text(QAccessible::Value), QStringLiteral("Device Address: 01"));
    QCOMPARE(QAccessible::queryAccessibleInterface(w.cmdMSSeq)->text(QAccessible::Name),
             QStringLiteral("Sequence Values"));
    QVERIFY(QAccessible::queryAccessibleInterface(w.cmdMSSeq)->state().invisible);
}

QTEST_MAIN(TestStartup)
#include "document/Outputs.h"
#include "test_startup.moc"
